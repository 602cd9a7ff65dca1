#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang into build-fuzz/, replays their corpora, and
# runs each target for a bounded time under ASan and UBSan, seeded with fuzz/corpus/<target>/
# (and given the tokens of fuzz/dict/<target>.dict where there is one).
# New inputs go to build-fuzz/scratch/<target>/, never into the committed corpus; a crash leaves
# its input in build-fuzz/artifacts/ and its log in build-fuzz/logs/. Fails when any target
# crashed or broke one of its checks.
#
#   tools/fuzz.sh [seconds per target, default 60] [target...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
case "$seconds" in
    ''|*[!0-9]*) echo "fuzz.sh: the time per target is a number of seconds, not '$seconds'" >&2; exit 2 ;;
esac
exec "$here/buildroot.sh" bash -c '
set -euo pipefail
project=$1; seconds=$2; shift 2
cd "$project"
build=build-fuzz
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_DIR=${CCACHE_DIR:-/var/cache/ccache} CCACHE_BASEDIR=$(dirname "$project") CCACHE_NOHASHDIR=true
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DSORVANE_BUILD_FUZZERS=ON \
    -DSORVANE_BUILD_TESTS=OFF -DSORVANE_BUILD_BENCH=OFF -DSORVANE_BUILD_EXAMPLES=OFF \
    "${launcher[@]}" >/dev/null
cmake --build "$build" --target fuzzers -j 2

. tools/sanitizers/env.sh
# The slow unwinder would cost most of the executions of a fuzz target; the code of the targets
# has frame pointers, so the fast one still names the frames that matter there.
export ASAN_OPTIONS="$ASAN_OPTIONS:fast_unwind_on_malloc=1"
ctest --test-dir "$build" -L fuzz --output-on-failure

if [ $# -gt 0 ]; then
    targets=("$@")
else
    targets=()
    for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi
mkdir -p "$build/artifacts" "$build/logs"
failed=()
for target in "${targets[@]}"; do
    scratch=$build/scratch/$target
    log=$build/logs/$target.log
    mkdir -p "$scratch"
    dict=()
    [ -f "fuzz/dict/$target.dict" ] && dict=(-dict="fuzz/dict/$target.dict")
    echo "fuzz.sh: $target for ${seconds} s"
    if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
            "${dict[@]}" -artifact_prefix="$build/artifacts/$target-" \
            "$scratch" "fuzz/corpus/$target" >"$log" 2>&1; then
        runs=$(sed -n "s/^stat::number_of_executed_units: *//p" "$log")
        rate=$(sed -n "s/^stat::average_exec_per_sec: *//p" "$log")
        rss=$(sed -n "s/^stat::peak_rss_mb: *//p" "$log")
        done_line=$(grep -E "^#[0-9]+[[:space:]]+DONE" "$log" | tail -n 1 || true)
        cov=$(sed -n "s/.* cov: \([0-9]*\).*/\1/p" <<<"$done_line")
        ft=$(sed -n "s/.* ft: \([0-9]*\).*/\1/p" <<<"$done_line")
        corp=$(sed -n "s/.* corp: \([^ ]*\).*/\1/p" <<<"$done_line")
        echo "fuzz.sh: $target: $runs runs, $rate exec/s, coverage $cov edges, $ft features, corpus $corp, peak $rss MB"
    else
        failed+=("$target")
        echo "fuzz.sh: $target FAILED; the end of $log:" >&2
        tail -n 60 "$log" >&2
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz.sh: failed: ${failed[*]} (inputs in $build/artifacts/)" >&2
    exit 1
fi
echo "fuzz.sh: ${#targets[@]} targets ran clean"
' bash "$project" "$seconds" "$@"
