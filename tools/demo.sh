#!/usr/bin/env bash
# The main job, in Godot: the demo project (godot/demo/) runs in the real Godot 4.6 with this
# build's addon folder, on a private Xvfb inside the Godot root: a room with a web page on a
# screen that the demo clicks through the 3D hit, a video on a second screen and a QML HUD. It
# saves Godot's own screenshots as PNG files in out/godot-demo/ and prints where they are.
# Builds first if needed; the video clip is made with ffmpeg in the build root.
#
#   tools/demo.sh [--check]      (--check also checks the screenshots' key pixels)
#
# The stand-in engine host's demo renders the library's built-in scenes into PNG files, without
# any display server or engine:
#
#   tools/demo.sh --standin [sorvane-demo arguments...]   (tools/demo.sh --standin --help lists them)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
cd "$project"
if [ "${1:-}" != --standin ]; then
    # The library, the extension and the layer: what the demo project's addon folder carries.
    "$here/build.sh" --target sorvane_godot --target sorvane_queue_lock
    "$here/buildroot.sh" godot/tests/make_project.sh build build/godot-demo godot/demo >/dev/null
    exec "$here/godotroot.sh" -- godot/demo/run_demo.sh build/godot-demo/project out/godot-demo "$@"
fi
shift
# Only the host and the library it links: the test command builds the tests, benchmarks and fuzz
# targets.
"$here/build.sh" --target sorvane-demo
exec "$here/buildroot.sh" bash -c '
set -euo pipefail
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/runtime.XXXXXX")
    chmod 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
    trap "rm -rf \"$XDG_RUNTIME_DIR\"" EXIT
fi
root="$PWD/out/project"
# Quiet the media backend: no hardware decoder probing, no debug chatter.
export QT_FFMPEG_DECODING_HW_DEVICE_TYPES=none
export QT_LOGGING_RULES="${QT_LOGGING_RULES:-qt.multimedia.ffmpeg*.debug=false;qt.multimedia.ffmpeg*.info=false}"
tools/make-runtime.sh "$root" >/dev/null
build/examples/sorvane-demo --project-root "$root" --output "$PWD/out" "$@"
' bash "$@"
