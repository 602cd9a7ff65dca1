#!/usr/bin/env bash
# Makes the extension's test project in the build directory: the sources of project/ and the
# addon folder installed from this build (the component "addon": the library, its Qt runtime and
# the extension), as a game project has it.
#
#   make_project.sh <build-dir> <work-dir>
set -euo pipefail
build=$(cd "$1" && pwd)
mkdir -p "$2"
work=$(cd "$2" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$work/project
mkdir -p "$project"
# The sources anew; the addon folder and the editor's .godot/ are kept between runs (the install
# only copies what changed).
find "$project" -mindepth 1 -maxdepth 1 ! -name addons ! -name .godot -exec rm -rf {} +
cp -a "$here/project/." "$project/"
SORVANE_ADDON_DEBUG_DIR=$work/addon-debug \
    cmake --install "$build" --component addon --prefix "$project/addons/webview" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; exit 1; }
echo "test project: $project"
