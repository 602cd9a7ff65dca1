#!/usr/bin/env bash
# Exports the demo project with Debian's release export template and plays the exported game on
# a player's machine: the exported-game root of tools/playerroot.sh, which has neither Qt nor
# Godot. The game is moved to another folder before it runs, so nothing may point back at the
# project or the build. Its screenshots must show the page (from the .pck, with its 32 MiB file),
# the HUD (a QML scene from the .pck) and the clip; the demo checks their pixels itself (--check).
#
#   export_game.sh <build-dir> <work-dir>
#
# Leaves <work-dir>/export.log, <work-dir>/play.log and <work-dir>/screenshots/. Without the
# exported-game root (tools/playerroot.sh --exported-game --create, which tools/test.sh runs) it
# fails, unless SORVANE_NO_PLAYER_ROOT=1 leaves it out (exit status 77: skipped).
set -euo pipefail
build=$(cd "$1" && pwd)
mkdir -p "$2"
work=$(cd "$2" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source_root=$(cd "$here/../.." && pwd)
tools=$source_root/tools
# Where Debian's godot-template-release puts the template (in the Godot root).
template=${SORVANE_GODOT_TEMPLATE:-/usr/bin/godot-template-release}

step() { printf '[%5ds] %s\n' "$SECONDS" "$*"; }

if ! "$tools/playerroot.sh" --exported-game --create >/dev/null; then
    [ "${SORVANE_NO_PLAYER_ROOT:-}" = 1 ] && { echo "no exported-game root: skipped"; exit 77; }
    echo "no exported-game root: create it with tools/playerroot.sh --exported-game --create"
    echo "(or set SORVANE_NO_PLAYER_ROOT=1 to leave this test out)"
    exit 1
fi

step "making the demo project"
"$here/make_project.sh" "$build" "$work" "$source_root/godot/demo" >/dev/null
project=$work/project
# The preset a game's developer makes in the editor's export dialog: Linux, the template as the
# custom one, and the game's pages and QML files (not resources of Godot's) in the .pck.
cat >"$project/export_presets.cfg" <<EOF
[preset.0]

name="Linux"
platform="Linux"
runnable=true
dedicated_server=false
custom_features=""
export_filter="all_resources"
include_filter="pages/*, ui/*"
exclude_filter=""
export_path=""

[preset.0.options]

custom_template/debug=""
custom_template/release="$template"
binary_format/embed_pck=false
binary_format/architecture="x86_64"
texture_format/s3tc_bptc=true
texture_format/etc2_astc=false
EOF
# The editor loads the extensions that .godot/extension_list.cfg lists before its first scan,
# so the extension's export plugin is there when the export starts.
mkdir -p "$project/.godot"
echo 'res://addons/webview/webview.gdextension' >"$project/.godot/extension_list.cfg"

rm -rf "$work/export" "$work/elsewhere" "$work/screenshots"
mkdir -p "$work/export"
step "exporting with $template"
status=0
"$tools/godotroot.sh" -- timeout -k 10 300 godot --headless --path "$project" \
    --export-release Linux "$work/export/demo.x86_64" >"$work/export.log" 2>&1 || status=$?
for file in demo.x86_64 demo.pck libsorvane_godot.so addons/webview/libsorvane.so.0 \
    addons/webview/vulkan-layers/VkLayer_sorvane_queue_lock.json; do
    [ -f "$work/export/$file" ] || { echo "the export lacks $file (godot: status $status)"; status=1; }
done
[ -x "$work/export/addons/webview/linux_x86_64-runtime/libexec/QtWebEngineProcess" ] ||
    { echo "the export lacks an executable QtWebEngineProcess"; status=1; }
if [ $status -ne 0 ]; then
    sed 's/^/    /' "$work/export.log"
    exit 1
fi
du -sh --apparent-size "$work/export" | sed 's/^/    exported game: /'

# The game as a player has it, moved away from where it was exported; the clip beside it (the
# player opens videos by their path, so they stay out of the .pck).
mkdir -p "$work/elsewhere"
mv "$work/export" "$work/elsewhere/My Game"
game=$work/elsewhere/My\ Game
mkdir -p "$game/media"
cp "$project/media/clip.mp4" "$game/media/clip.mp4"
mkdir -p "$work/harness" "$work/screenshots"
cat >"$work/harness/player.sh" <<'PLAYER'
#!/bin/bash
# Inside the exported-game root: no Qt and no Godot outside the game folder; then the game on a
# private X server, with Vulkan.
set -u
game=$1 shots=$2
qt=$(find / -xdev \( -name 'libQt6*' -o -name 'QtWebEngineProcess' -o -name 'godot*' \) \
    ! -path "$game/*" ! -path "$shots/*" -print 2>/dev/null)
packages=$(dpkg-query -W -f '${Package}\n' | grep -i -e 'qt' -e godot || true)
if [ -n "$qt$packages" ]; then
    echo "Qt or Godot is installed on this player's machine:" $qt $packages
    exit 1
fi
echo "no Qt and no Godot outside the game folder"
export HOME=/home/player XDG_RUNTIME_DIR=/home/player/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_FFMPEG_DECODING_HW_DEVICE_TYPES=none
# A player whose language has no web engine locale in the folder (it carries en-US only): the
# engine falls back to en-US. (This root has no glibc locales, so Qt also says that it uses
# C.UTF-8 for the character set; the language still comes from LANG.)
export LANG=de_DE.UTF-8
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset 3>/home/player/display 2>/home/player/xvfb.log &
xvfb=$!
for _ in $(seq 100); do [ -s /home/player/display ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 /home/player/display)
cd "$game"
timeout -k 10 300 ./demo.x86_64 --audio-driver Dummy --rendering-driver vulkan -- "--output=$shots" --check
status=$?
kill $xvfb
exit $status
PLAYER
chmod +x "$work/harness/player.sh"

step "playing the exported game on the player's machine"
status=0
"$tools/playerroot.sh" --exported-game --bind "$game" "/home/player/Games/My Game" \
    --bind "$work/screenshots" /home/player/screenshots --ro-bind "$work/harness" /opt/harness \
    -- /opt/harness/player.sh "/home/player/Games/My Game" /home/player/screenshots >"$work/play.log" 2>&1 ||
    status=$?
sed 's/^/    /' "$work/play.log"
grep -q "DEMO CHECK PASSED" "$work/play.log" || status=1
step "done (status $status)"
exit $status
