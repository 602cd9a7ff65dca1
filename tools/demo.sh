#!/usr/bin/env bash
# The main job: the stand-in engine host starts the library and renders its built-in scenes into
# PNG files. Creates the build root and builds first if needed. Runs without any display server:
# the library renders on its headless Qt platform.
#
#   tools/demo.sh [sorvane-demo arguments...]     (tools/demo.sh --help lists them)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
cd "$project"
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
