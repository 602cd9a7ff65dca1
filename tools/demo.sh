#!/usr/bin/env bash
# The main job: the stand-in engine host starts the library and renders its built-in scenes into
# PNG files. Creates the build root and builds first if needed.
#
#   tools/demo.sh [sorvane-demo arguments...]     (tools/demo.sh --help lists them)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
cd "$project"
"$here/build.sh"
exec "$here/buildroot.sh" "$here/with-xvfb.sh" bash -c '
set -euo pipefail
root="$PWD/out/project"
# Quiet the media backend: no hardware decoder probing, no debug chatter.
export QT_FFMPEG_DECODING_HW_DEVICE_TYPES=none
export QT_LOGGING_RULES="${QT_LOGGING_RULES:-qt.multimedia.ffmpeg*.debug=false;qt.multimedia.ffmpeg*.info=false}"
tools/make-runtime.sh "$root" >/dev/null
exec build/examples/sorvane-demo --project-root "$root" --output "$PWD/out" "$@"
' bash "$@"
