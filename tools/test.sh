#!/usr/bin/env bash
# Runs the whole test suite: creates the build root if needed (tools/buildroot.sh), builds with
# Ninja into build/, creates the player root for the package test if needed (tools/playerroot.sh),
# assembles the Qt runtime directory, and runs every test with ctest under a private X server
# (the views render on Vulkan through Qt's xcb platform).
#
#   tools/test.sh [ctest arguments...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
cd "$project"
"$here/build.sh"

# The package test (label "package") runs the packaged addon folder on a player's machine without
# Qt: the player root of tools/playerroot.sh, made once outside the build root (a few minutes of
# downloads) and cached beside it. Without it, or with SORVANE_NO_PLAYER_ROOT=1, the test is
# reported as skipped.
if [ "${SORVANE_NO_PLAYER_ROOT:-}" != 1 ] && [ "$(id -u)" = 0 ]; then
    "$here/playerroot.sh" --create >/dev/null
fi
exec "$here/buildroot.sh" "$here/with-xvfb.sh" bash -c '
set -euo pipefail
cd build
ctest --output-on-failure --timeout 600 "$@"
' bash "$@"
