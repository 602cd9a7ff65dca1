#!/usr/bin/env bash
# Makes the extension's test project in the build directory: the sources of project/, the
# addon folder installed from this build (the component "addon": the library, its Qt runtime and
# the extension), as a game project has it, and the video clip (media/clip.mp4, made here with
# ffmpeg: the Godot root that runs the tests has none), for the tests also the tone of the audio
# tests (media/tone.mkv), and for a project with pages/ (the demo) the 32 MiB file pages/big.bin
# (make_big_file.py).
#
#   make_project.sh <build-dir> <work-dir> [<project-sources>]
#
# <project-sources> defaults to the tests' project/; the demo passes godot/demo.
set -euo pipefail
build=$(cd "$1" && pwd)
mkdir -p "$2"
work=$(cd "$2" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$work/project
mkdir -p "$project"
# The sources anew; the addon folder and the editor's .godot/ are kept between runs (the install
# only copies what changed).
find "$project" -mindepth 1 -maxdepth 1 ! -name addons ! -name .godot ! -name media -exec rm -rf {} +
cp -a "${3:-$here/project}/." "$project/"
SORVANE_ADDON_DEBUG_DIR=$work/addon-debug \
    cmake --install "$build" --component addon --prefix "$project/addons/webview" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; exit 1; }
[ -s "$project/media/clip.mp4" ] && [ "$project/media/clip.mp4" -nt "$here/make_clip.sh" ] ||
    "$here/make_clip.sh" "$project/media/clip.mp4"
# The tone of the audio tests (tests only).
if [ -z "${3:-}" ]; then
    [ -s "$project/media/tone.mkv" ] && [ "$project/media/tone.mkv" -nt "$here/make_tone.sh" ] ||
        "$here/make_tone.sh" "$project/media/tone.mkv"
fi
# The player opens the file by its path; the editor need not scan it.
touch "$project/media/.gdignore"
# A project with pages (the demo) gets the 32 MiB file its page fetches through the "res" scheme.
[ ! -d "$project/pages" ] || "$here/make_big_file.py" "$project/pages/big.bin"
# The class reference as the build made it, for the test that compares it with the registered
# classes (tests only; the demo is a game's project).
if [ -z "${3:-}" ]; then
    cp -a "$build/godot/doc_classes" "$project/class_reference"
    touch "$project/class_reference/.gdignore"
fi
echo "test project: $project"
