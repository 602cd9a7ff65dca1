# SORVANE_SANITIZE: every target of the project (library, tests, examples, benchmarks) is built
# with AddressSanitizer and UndefinedBehaviorSanitizer. tools/test-sanitized.sh builds this into
# build-asan/ and runs the suite with the options of tools/sanitizers/.
#
# The runtime is linked as a shared library by both compilers (GCC's default; -shared-libsan for
# clang), so that libsorvane.so.0 can name it and keep linking with --no-undefined, and so that
# the executables and the library share one runtime.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  message(FATAL_ERROR "SORVANE_SANITIZE needs GCC or clang, not ${CMAKE_CXX_COMPILER_ID}")
endif()
if(SORVANE_BUILD_FUZZERS)
  message(FATAL_ERROR "SORVANE_SANITIZE and SORVANE_BUILD_FUZZERS are separate builds; "
                      "the fuzz targets carry their own sanitizers")
endif()

# Without the vptr check: Qt WebEngine is built without C++ run-time type information (as
# Chromium is), so the check cannot recognise any object it creates and reports every member call
# our code makes on one (a focused page item) as "invalid vptr". Every other UBSan check stays.
add_compile_options(-fsanitize=address,undefined -fno-sanitize=vptr -fno-omit-frame-pointer)

# Link flags go into the linker-flag variables rather than the directories' link options, which
# a target's own LINK_OPTIONS property (the library's) would replace.
set(sorvane_sanitizer_link_flags "-fsanitize=address,undefined")
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  string(APPEND sorvane_sanitizer_link_flags " -shared-libsan")
  # clang does not record where its shared runtime lives; the programs find it through their
  # RUNPATH.
  # Its name depends on how clang was packaged: per target directory or per architecture name.
  foreach(name libclang_rt.asan.so libclang_rt.asan-${CMAKE_SYSTEM_PROCESSOR}.so)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
      OUTPUT_VARIABLE sorvane_sanitizer_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(IS_ABSOLUTE "${sorvane_sanitizer_runtime}" AND EXISTS "${sorvane_sanitizer_runtime}")
      cmake_path(GET sorvane_sanitizer_runtime PARENT_PATH sorvane_sanitizer_runtime_dir)
      string(APPEND sorvane_sanitizer_link_flags " -Wl,-rpath,${sorvane_sanitizer_runtime_dir}")
      break()
    endif()
  endforeach()
  if(NOT sorvane_sanitizer_runtime_dir)
    message(WARNING "SORVANE_SANITIZE: clang's shared ASan runtime was not found; "
                    "the programs will need LD_LIBRARY_PATH to start")
  endif()
endif()
foreach(kind EXE SHARED MODULE)
  string(APPEND CMAKE_${kind}_LINKER_FLAGS " ${sorvane_sanitizer_link_flags}")
endforeach()
