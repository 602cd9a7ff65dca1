#!/usr/bin/env bash
# Configures and builds the project with Ninja into build/ (inside the build root when the
# machine's own Qt is older than 6.8). Extra arguments go to the CMake configure step, e.g.
# tools/build.sh -DSORVANE_SANITIZE=ON. SORVANE_BUILD_DIR names another build directory.
#
#   tools/build.sh [--target NAME]... [configure arguments...]
#
# --target builds only NAME and what it needs (tools/demo.sh builds the main job's host alone);
# without it everything is built: tests, benchmarks and fuzz targets too.
# ccache is used when the build environment has it (a developer's speed-up, not a requirement).
# The Godot extension (godot/) needs the Godot root of tools/godotroot.sh, which this script
# creates when missing; SORVANE_NO_GODOT=1 leaves the extension out.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
build_dir=${SORVANE_BUILD_DIR:-build}
targets=()
while [ "${1:-}" = --target ]; do
    [ -n "${2:-}" ] || { echo "build.sh: --target needs a name" >&2; exit 2; }
    targets+=("$2")
    shift 2
done
# The Godot extension's build dumps Godot's C interface from the Godot root, which is made once
# outside the build root (tools/godotroot.sh); SORVANE_NO_GODOT=1 builds without the extension.
if [ "${SORVANE_NO_GODOT:-}" = 1 ]; then
    set -- -DSORVANE_BUILD_GODOT=OFF "$@"
elif [ "$(id -u)" = 0 ] && [ "${SORVANE_IN_ROOT:-}" != 1 ]; then
    "$here/godotroot.sh" --create >/dev/null
fi
exec "$here/buildroot.sh" bash -c '
set -euo pipefail
project=$1; build_dir=$2; targets=$3; shift 3
cd "$project"
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_DIR=${CCACHE_DIR:-/var/cache/ccache} CCACHE_BASEDIR=$(dirname "$project") CCACHE_NOHASHDIR=true
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$build_dir" -j 2 ${targets:+--target $targets}
' bash "$project" "$build_dir" "${targets[*]}" "$@"
