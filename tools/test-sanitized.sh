#!/usr/bin/env bash
# Runs the whole test suite on a build with AddressSanitizer and UndefinedBehaviorSanitizer:
# builds build-asan/ with SORVANE_SANITIZE=ON (the benchmarks left out), then runs ctest under a
# private X server with the run-time options and leak suppressions of tools/sanitizers/.
#
#   tools/test-sanitized.sh [ctest arguments...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
cd "$project"
SORVANE_BUILD_DIR=build-asan "$here/build.sh" -DSORVANE_SANITIZE=ON -DSORVANE_BUILD_BENCH=OFF
exec "$here/buildroot.sh" "$here/with-xvfb.sh" bash -c '
set -euo pipefail
. tools/sanitizers/env.sh
cd build-asan
ctest --output-on-failure --timeout 900 "$@"
' bash "$@"
