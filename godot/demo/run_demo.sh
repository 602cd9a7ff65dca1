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

script=run_demo.sh
. "$(dirname "${BASH_SOURCE[0]}")/../tests/godot_session.sh"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/godot-demo.XXXXXX")
cleanup() {
    stop_xvfb
    rm -rf "$tmp"
}
trap cleanup EXIT
private_home
# The media backend probes no hardware decoder (lavapipe has no video queue; each frame would
# log the failed probe).
export QT_FFMPEG_DECODING_HW_DEVICE_TYPES=none
start_xvfb
enable_extension "$project"
timeout -k 10 "${SORVANE_GODOT_DEMO_LIMIT:-300}" \
    godot --audio-driver Dummy --rendering-driver vulkan --path "$project" -- "--output=$output" "$@"
