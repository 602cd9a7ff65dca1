#!/usr/bin/env bash
# Runs tests that end with a game's exit over and over under load, to show whether the exit after
# S::destroy() is safe: a crash there is rare (a race with the process's exit), so one run proves
# nothing. Two busy loops take the machine's cores while the tests run, as a parallel build
# would. Prints each failed run's last lines and "N runs, N failed"; exits non-zero on a failure.
#
#   tools/exit-soak.sh [runs] [ctest-regex]
#
# Defaults: 30 runs of page_requests_xcb_test and startup_xcb_test (a page's screen capture
# and a probe that shows a scene, each followed by the exit). Needs a build (tools/build.sh).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
runs=${1:-30}
regex=${2:-'^(page_requests_xcb_test|startup_xcb_test)$'}
exec "$here/buildroot.sh" bash -c '
set -uo pipefail
runs=$1; regex=$2
cd "${SORVANE_BUILD_DIR:-build}"
load=()
for _ in 1 2; do (while :; do :; done) & load+=($!); done
trap "kill ${load[*]} 2>/dev/null" EXIT
failed=0
for run in $(seq "$runs"); do
    export XDG_RUNTIME_DIR=$(mktemp -d)
    if ! ctest -R "$regex" --output-on-failure >"$XDG_RUNTIME_DIR/log" 2>&1; then
        failed=$((failed + 1))
        echo "run $run failed:"
        grep -E "SEGV|Segmentation|FAILED|sorvane:|Failed" "$XDG_RUNTIME_DIR/log" | tail -n 15 | sed "s/^/    /"
    fi
    rm -rf "$XDG_RUNTIME_DIR"
done
echo "$runs runs, $failed failed"
[ "$failed" -eq 0 ]
' bash "$runs" "$regex"
