#!/usr/bin/env bash
# Makes the clip of the audio tests: 6 s of a 440 Hz tone with a peak of 0.5, the same in both
# channels, at 48000 Hz (not Godot's mix rate, so the sound is resampled on its way), as 16-bit
# PCM beside a small test pattern. Needs ffmpeg (run it in the build root).
#
#   make_tone.sh <output.mkv>
set -euo pipefail
out=$1
command -v ffmpeg >/dev/null || { echo "make_tone.sh: ffmpeg is missing (run it in the build root)" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
ffmpeg -y -nostdin -loglevel error \
    -f lavfi -i testsrc2=s=160x90:r=25:d=6 \
    -f lavfi -i sine=frequency=440:sample_rate=48000:duration=6 \
    -af 'volume=4,pan=stereo|c0=c0|c1=c0' \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a pcm_s16le "$out"
