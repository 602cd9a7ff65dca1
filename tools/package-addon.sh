#!/usr/bin/env bash
# Makes the addon folder a game project carries, dist/addons/webview/: libsorvane.so.0, the Godot
# extension (libsorvane_godot.so and webview.gdextension, unless SORVANE_NO_GODOT=1) and, in
# linux_x86_64-runtime/, the Qt libraries, plugins, QML modules and web engine files it needs on
# a player's machine without Qt, with their licence texts. The debug information is split off
# into dist/sorvane-<version>-debug.tar.xz. Builds the library first where needed (in the build
# root, like tools/build.sh) and prints the sizes.
#
#   tools/package-addon.sh [--output DIR]      (default: dist; the folder is DIR/addons/webview)
#
# DIR may lie anywhere, a game project's folder for example; a relative DIR is taken from the
# current folder. Where the build root is used, DIR is shown inside it at its own path.
#
# SORVANE_BUILD_DIR names the build directory (default build). The same folder comes from
#   cmake --install <build> --component addon --prefix <game-project>/addons/webview
# docs/engine-integration.md says what is bundled and what the player's machine must provide.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
output=$project/dist
while [ $# -gt 0 ]; do
    case "$1" in
        --output)
            [ -n "${2:-}" ] || { echo "package-addon.sh: --output needs a folder" >&2; exit 2; }
            output=$2; shift 2 ;;
        -h|--help) sed -n '2,16s/^# \{0,1\}//p' "$0"; exit 0 ;;
        *) echo "package-addon.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
    esac
done
mkdir -p "$output"
output=$(cd "$output" && pwd)
build_dir=${SORVANE_BUILD_DIR:-build}

cd "$project"
# The Godot extension in the folder needs Godot's C interface from the Godot root (see build.sh);
# SORVANE_NO_GODOT=1 packages the folder without it.
godot_option=-DSORVANE_BUILD_GODOT=ON
if [ "${SORVANE_NO_GODOT:-}" = 1 ]; then
    godot_option=-DSORVANE_BUILD_GODOT=OFF
elif [ "$(id -u)" = 0 ] && [ "${SORVANE_IN_ROOT:-}" != 1 ]; then
    "$here/godotroot.sh" --create >/dev/null
fi
"$here/buildroot.sh" --bind "$output" bash -c '
set -euo pipefail
project=$1; build_dir=$2; output=$3; godot_option=$4
cd "$project"
if [ ! -f "$build_dir/CMakeCache.txt" ] || [ "$godot_option" = -DSORVANE_BUILD_GODOT=OFF ]; then
    launcher=()
    if command -v ccache >/dev/null; then
        export CCACHE_DIR=${CCACHE_DIR:-/var/cache/ccache} CCACHE_BASEDIR=$(dirname "$project") CCACHE_NOHASHDIR=true
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$godot_option" >/dev/null
fi
targets=(sorvane)
grep -q "^build godot/libsorvane_godot.so" "$build_dir/build.ninja" 2>/dev/null && targets+=(sorvane_godot)
cmake --build "$build_dir" --target "${targets[@]}" -j 2
version=$(sed -n "s/^project(sorvane VERSION \([0-9.]*\).*/\1/p" CMakeLists.txt)
folder=$output/addons/webview
debug=$(mktemp -d)
trap "rm -rf \"$debug\"" EXIT
rm -rf "$folder"
SORVANE_ADDON_DEBUG_DIR=$debug/sorvane-$version-debug \
    cmake --install "$build_dir" --component addon --prefix "$folder"
archive=$output/sorvane-$version-debug.tar.xz
rm -f "$archive"
if [ -d "$debug/sorvane-$version-debug" ]; then
    tar -C "$debug" -cJf "$archive" "sorvane-$version-debug"
fi
echo
echo "addon folder:  $folder"
du -sh --apparent-size "$folder" | cut -f1 | sed "s/^/  size:        /"
for part in lib plugins qml libexec resources translations; do
    printf "  %-12s %s\n" "$part" "$(du -sh --apparent-size "$folder/linux_x86_64-runtime/$part" | cut -f1)"
done
if [ -f "$archive" ]; then
    echo "debug archive: $archive ($(du -sh --apparent-size "$archive" | cut -f1))"
fi
' bash "$project" "$build_dir" "$output" "$godot_option"

# Success only for a folder the caller can see where it was asked for.
if [ ! -f "$output/addons/webview/libsorvane.so.0" ]; then
    echo "package-addon.sh: the addon folder did not arrive at $output/addons/webview" >&2
    exit 1
fi
