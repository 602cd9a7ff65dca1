#!/usr/bin/env bash
# Packages the addon folder from a build and runs the stand-in host's main job from it on a
# player's machine: the player root of tools/playerroot.sh, which has no Qt. Runs twice: with the
# game at one path, then with the game folder moved to another. The build tree is not visible in
# the player root at all, so whatever still pointed into it would fail.
#
#   run_on_player_machine.sh <build-dir> <work-dir>
#
# Leaves <work-dir>/first/ and <work-dir>/moved/ with the PNG files and the host's output, for the
# package test to look at. Exit status 77: the player root has not been created.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/../.." && pwd)
tools=$project/tools

"$tools/playerroot.sh" --create >/dev/null || exit $?

rm -rf "$work"
mkdir -p "$work/game" "$work/harness" "$work/first" "$work/moved"
work=$(cd "$work" && pwd)
game=$work/game

step() { printf '[%5ds] %s\n' "$SECONDS" "$*"; }

step "packaging the addon folder into the game"
SORVANE_ADDON_DEBUG_DIR=$work/debug \
    cmake --install "$build" --component addon --prefix "$game/addons/webview" >"$work/package.log" 2>&1 ||
    { cat "$work/package.log"; exit 1; }
grep "addon: .* MiB in" "$work/package.log" || true

step "making the test clip"
# Pure green, with a tone: the video's pixels are known.
ffmpeg -y -nostdin -loglevel error -f lavfi -i "color=c=0x00ff00:s=640x360:r=30:d=6" \
    -f lavfi -i "sine=frequency=440:duration=6" -c:v libx264 -preset ultrafast -pix_fmt yuv420p \
    -c:a aac -shortest "$game/clip.mp4"

# The host lies at the game's root and finds the library in the addon folder, as a game finds its
# engine extension; its RUNPATH into the build tree is replaced.
cp "$build/examples/sorvane-demo" "$game/sorvane-demo"
patchelf --set-rpath '$ORIGIN/addons/webview' "$game/sorvane-demo"
cat >"$work/harness/player.sh" <<'PLAYER'
#!/bin/bash
# Inside the player root: checks that no Qt is installed beside the game, that the library's
# libraries all resolve, and runs the host's main job.
set -u
game=$1
export HOME=/home/player
mkdir -p "$HOME"
qt=$(find / -xdev \( -name 'libQt6*' -o -name 'qt6' -o -name 'QtWebEngineProcess' \) -print 2>/dev/null)
packages=$(dpkg-query -W -f '${Package}\n' | grep -i 'qt' || true)
if [ -n "$qt$packages" ]; then
    echo "Qt is installed on this player's machine:" $qt $packages
    exit 1
fi
echo "no Qt outside the game folder"
missing=$(ldd "$game/addons/webview/libsorvane.so.0" | grep 'not found' || true)
outside=$(ldd "$game/addons/webview/libsorvane.so.0" | grep 'libQt6' | grep -v "=> $game/" || true)
if [ -n "$missing$outside" ]; then
    echo "libsorvane.so.0 does not resolve from the folder:" "$missing" "$outside"
    exit 1
fi
cd "$game"
export QT_FFMPEG_DECODING_HW_DEVICE_TYPES=none
export QT_LOGGING_RULES="qt.multimedia.ffmpeg*.debug=false;qt.multimedia.ffmpeg*.info=false"
# A player's machine without any display server: the library renders on its headless platform.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
exec "$game/sorvane-demo" --project-root "$game" --output "$game/out" \
    --scene Splash/Splash --resolution 960x720 --frames 30 --clip "$game/clip.mp4"
PLAYER
chmod +x "$work/harness/player.sh"

play() {  # play <label> <game folder here> <its path on the player's machine>
    local label=$1 folder=$2 inside=$3 status=0
    step "$label: running the main job at $inside"
    "$tools/playerroot.sh" --bind "$folder" "$inside" --ro-bind "$work/harness" /opt/harness \
        -- /opt/harness/player.sh "$inside" >"$work/$label/host.log" 2>&1 || status=$?
    sed 's/^/    /' "$work/$label/host.log"
    [ -d "$folder/out" ] && mv "$folder/out"/* "$work/$label/" 2>/dev/null
    rm -rf "$folder/out"
    return $status
}

status=0
play first "$game" /home/player/game || status=1
mkdir -p "$work/elsewhere"
mv "$game" "$work/elsewhere/My Game"
play moved "$work/elsewhere/My Game" "/home/player/Games/My Game" || status=1
step "done (status $status)"
exit $status
