#!/usr/bin/env bash
# Runs the whole test suite: creates the build root if needed (tools/buildroot.sh), builds with
# Ninja into build/, assembles the Qt runtime directory, and runs every test with ctest under a
# private X server (the views render on Vulkan through Qt's xcb platform).
#
#   tools/test.sh [ctest arguments...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
cd "$project"
"$here/build.sh"
exec "$here/buildroot.sh" "$here/with-xvfb.sh" bash -c '
set -euo pipefail
cd build
ctest --output-on-failure --timeout 600 "$@"
' bash "$@"
