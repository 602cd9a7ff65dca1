#!/usr/bin/env bash
# tools/package-addon.sh --output with a folder outside the project, run as a new user would: from
# a game project's folder, with a relative path, through the build root (entered afresh from
# inside it, SORVANE_FORCE_ROOT=1, as on a machine without Qt 6.8). The addon folder and the debug
# archive must be in that folder afterwards, and a folder the root cannot show is refused with a
# message instead of being reported as packaged.
#
#   package_addon_output_test.sh <build-dir>
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/../.." && pwd)

# Under /tmp: outside the project, and writable however the root is mounted.
work=$(mktemp -d /tmp/package-addon-output.XXXXXX)
trap 'rm -rf "$work"' EXIT
game="$work/My Game"
mkdir -p "$game"

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# Inside the build root a fresh entry into it is what a machine without Qt 6.8 does; where the
# machine's own Qt runs the build, the script runs natively and only the first case applies.
in_root=${SORVANE_IN_ROOT:-}
force=()
if [ "$in_root" = 1 ]; then
    force=(SORVANE_FORCE_ROOT=1)
else
    echo "NOTE: not inside the build root: checks the native run only, not the entry into the root"
fi

echo "--- packaging into a game folder outside the project: --output . from $game"
status=0
(cd "$game" && env "${force[@]}" SORVANE_BUILD_DIR="$build" "$project/tools/package-addon.sh" --output .) \
    >"$work/package.log" 2>&1 || status=$?
cat "$work/package.log"
[ "$status" = 0 ] || fail "package-addon.sh exited with $status"
folder="$game/addons/webview"
for file in libsorvane.so.0 linux_x86_64-runtime/lib/libsorvane_load_filter.so linux_x86_64-runtime/libexec/QtWebEngineProcess; do
    [ -f "$folder/$file" ] || fail "$folder/$file is missing"
done
# The web engine finds its locales folder there and creates none in the installed game.
[ "$(readlink "$folder/linux_x86_64-runtime/resources/locales")" = ../translations/qtwebengine_locales ] ||
    fail "resources/locales is not the link to ../translations/qtwebengine_locales"
ls "$game"/sorvane-*-debug.tar.xz >/dev/null 2>&1 || fail "no debug archive in $game"
grep -qF "addon folder:  $folder" "$work/package.log" || fail "the output does not name $folder"

if [ "$in_root" = 1 ]; then
    echo "--- a folder whose place inside the root holds the root's own files: --output /usr/share"
    status=0
    SORVANE_FORCE_ROOT=1 SORVANE_BUILD_DIR="$build" "$project/tools/package-addon.sh" --output /usr/share \
        >"$work/refused.log" 2>&1 || status=$?
    cat "$work/refused.log"
    [ "$status" != 0 ] || fail "packaging into /usr/share was reported as done"
    grep -q "cannot show /usr/share inside the build root" "$work/refused.log" || fail "no message says why it was refused"
    [ ! -e /usr/share/addons ] || fail "/usr/share/addons was written"
fi

if [ "$failures" != 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
