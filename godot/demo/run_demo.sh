#!/usr/bin/env bash
# Runs the demo project in the real Godot, inside the Godot root (tools/godotroot.sh), on a private
# Xvfb (its display number from -displayfd, never a fixed one). The project is the copy that
# make_project.sh made with the addon folder and the clip.
#
#   run_demo.sh <project-dir> <output-dir> [demo arguments...]   (see demo.gd: --check, --stay)
set -uo pipefail
project=$(cd "$1" && pwd)
mkdir -p "$2"
output=$(cd "$2" && pwd)
shift 2
for tool in godot Xvfb timeout; do
    command -v "$tool" >/dev/null || { echo "run_demo.sh: $tool is missing in this root"; exit 1; }
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/godot-demo.XXXXXX")
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
export HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/runtime
# The media backend probes no hardware decoder (lavapipe has no video queue; each frame would
# log the failed probe).
export QT_FFMPEG_DECODING_HW_DEVICE_TYPES=none
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { echo "run_demo.sh: Xvfb did not start"; cat "$tmp/xvfb.log"; exit 1; }
export DISPLAY=:$(head -n1 "$tmp/display")

# A game loads the extensions that .godot/extension_list.cfg lists (the editor's scan writes it).
mkdir -p "$project/.godot"
echo 'res://addons/webview/webview.gdextension' >"$project/.godot/extension_list.cfg"
timeout -k 10 "${SORVANE_GODOT_DEMO_LIMIT:-300}" \
    godot --audio-driver Dummy --rendering-driver vulkan --path "$project" -- "--output=$output" "$@"
