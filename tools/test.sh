#!/usr/bin/env bash
# Runs the whole test suite: creates the build root if needed (tools/buildroot.sh), builds with
# Ninja into build/, creates the player roots for the package and exported-game tests if needed
# (tools/playerroot.sh),
# assembles the Qt runtime directory, and runs every test with ctest.
#
# No X server is needed: the views render on the library's headless Qt platform. Only the tests
# labelled "xvfb" (screen capture, and the checks of Qt's xcb platform) start a private Xvfb of
# their own (tools/with-xvfb.sh); `tools/test.sh -LE xvfb` leaves them out.
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
# reported as skipped. The exported-game test (godot_exported_game) plays on the exported-game
# root (tools/playerroot.sh --exported-game), made here the same way.
if [ "${SORVANE_NO_PLAYER_ROOT:-}" != 1 ] && [ "$(id -u)" = 0 ]; then
    "$here/playerroot.sh" --create >/dev/null
    "$here/playerroot.sh" --exported-game --create >/dev/null
fi
exec "$here/buildroot.sh" bash -c '
set -euo pipefail
# Qt warns on every start when XDG_RUNTIME_DIR is missing; give the run a private one.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/runtime.XXXXXX")
    chmod 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
    trap "rm -rf \"$XDG_RUNTIME_DIR\"" EXIT
fi
cd build
ctest --output-on-failure --timeout 600 "$@"
' bash "$@"
