#!/usr/bin/env bash
# Makes the short clip that the Godot tests and the demo play: 4 s, 320x180 at 25 frames/s,
# H.264 with AAC audio (a 440 Hz tone), titled "Godot Test Clip". A moving test pattern fills the
# top-left quarter; the rest is pure green (#00ff00), so a pixel there has a known colour. Needs
# ffmpeg (the build root has it; the Godot root does not).
#
#   make_clip.sh <output.mp4>
set -euo pipefail
out=$1
command -v ffmpeg >/dev/null || { echo "make_clip.sh: ffmpeg is missing (run it in the build root)" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
ffmpeg -y -nostdin -loglevel error \
    -f lavfi -i color=c=0x00ff00:s=320x180:r=25:d=4 \
    -f lavfi -i testsrc2=s=160x90:r=25:d=4 \
    -f lavfi -i sine=frequency=440:duration=4 \
    -filter_complex '[0:v][1:v]overlay=0:0[v]' -map '[v]' -map 2:a \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac \
    -metadata title="Godot Test Clip" "$out"
