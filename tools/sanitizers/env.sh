# Run-time options of the sanitizer builds: the sanitized suite (tools/test-sanitized.sh) and
# the fuzz targets (tools/fuzz.sh). Source it:  . tools/sanitizers/env.sh
#
# Only our own code is instrumented. Qt's libraries, Mesa, and Chromium (whose browser side runs
# in the test processes through Qt WebEngine, and whose renderers and GPU process are separate
# QtWebEngineProcess programs that carry no sanitizer at all) are not; the options below keep
# the checks strict for our code and say where they step around the rest.
sanitizers_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

asan=(
    # Memory errors stop the program at the first report (ASan's default, stated).
    halt_on_error=1
    # Leaks are checked at exit; lsan.supp (below) lists what is not ours.
    detect_leaks=1
    # Our static initialisers must not read another file's statics before they are built.
    check_initialization_order=1
    strict_init_order=1
    # Chromium's allocator shim, inside Qt WebEngine's library, releases with free() blocks that
    # its operator new handed out; the report is about that library, never about ours.
    alloc_dealloc_mismatch=0
    # Qt and the web engine are built without frame pointers, so the fast unwinder stops at the
    # first frame inside them: a leak allocated there showed one unnamed frame of libQt6Gui, which
    # neither says whose it is nor matches a suppression by function. The slow unwinder gives the
    # whole stack (the sanitized suite takes longer; it stays within its time limits).
    fast_unwind_on_malloc=0
)
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}$(IFS=:; echo "${asan[*]}")"

# Undefined behaviour in our code fails the test that ran into it (GCC's UBSan would otherwise
# report and go on), with the stack that led there.
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}halt_on_error=1:print_stacktrace=1"

# Leaks of libraries we do not build; every line is explained in the file.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$sanitizers_dir/lsan.supp:print_suppressions=0"

# Only Mesa's lavapipe is loaded as a Vulkan driver. The other Mesa drivers' start-up reads
# their configuration files with shared state, and the web engine's GPU thread creating its
# instance while the host creates its own made that a heap-use-after-free inside
# libvulkan_nouveau.so (and later a crash in Mesa's GL driver). The suite runs on lavapipe anyway.
if [ -f /usr/share/vulkan/icd.d/lvp_icd.json ]; then
    export VK_DRIVER_FILES=/usr/share/vulkan/icd.d/lvp_icd.json VK_ICD_FILENAMES=/usr/share/vulkan/icd.d/lvp_icd.json
fi

# Not set here, because every program of the suite is instrumented: an uninstrumented host
# (an engine build) that loads the sanitized libsorvane.so.0 needs the runtime loaded first,
#   LD_PRELOAD=$(gcc -print-file-name=libasan.so) ASAN_OPTIONS=verify_asan_link_order=0:...
# since the runtime cannot be the first library of a program that was not linked with it.

unset asan sanitizers_dir
