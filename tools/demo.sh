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
tools/make-runtime.sh "$root" >/dev/null
exec build/examples/sorvane-demo --project-root "$root" --output "$PWD/out" "$@"
' bash "$@"
