#!/usr/bin/env bash
# Runs the whole test suite on a build with AddressSanitizer and UndefinedBehaviorSanitizer:
# builds build-asan/ with SORVANE_SANITIZE=ON (the benchmarks left out), then runs ctest with the
# run-time options and leak suppressions of tools/sanitizers/. As in tools/test.sh, no X server is
# needed; the tests labelled "xvfb" start their own.
#
#   tools/test-sanitized.sh [ctest arguments...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
cd "$project"
SORVANE_BUILD_DIR=build-asan "$here/build.sh" -DSORVANE_SANITIZE=ON -DSORVANE_BUILD_BENCH=OFF
exec "$here/buildroot.sh" bash -c '
set -euo pipefail
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/runtime.XXXXXX")
    chmod 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
    trap "rm -rf \"$XDG_RUNTIME_DIR\"" EXIT
fi
. tools/sanitizers/env.sh
cd build-asan
# The package test is left out: its sanitized binaries would need the sanitizer runtime on the
# player'"'"'s machine, which has none (it runs in the ordinary suite).
ctest --output-on-failure --timeout 900 -LE package "$@"
' bash "$@"
