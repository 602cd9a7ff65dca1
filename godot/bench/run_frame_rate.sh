#!/usr/bin/env bash
# The Godot frame-rate benchmark (frame_rate.gd), in the Godot root: rounds of one Godot run per
# load, the demo's room with that load on its screens for a few seconds (none, Godot's own
# animated texture, an animated 1080p page rendered ahead and waited, a still page, an animated
# QML view ahead and waited, 16 views with one moving); prints every run's figures, the median of
# each, and each load's median as a ratio of the room's alone. The demo's project with this
# build's addon is made first, in the build root:
#
#   tools/buildroot.sh godot/tests/make_project.sh build build/godot-bench godot/demo
#   tools/godotroot.sh -- godot/bench/run_frame_rate.sh build/godot-bench [rounds] [seconds] [views...]
#
# On a machine without a GPU Godot and the view both render on lavapipe, so the figures say what
# the view costs Godot's frame there.
set -uo pipefail
work=$(cd "$1" && pwd)
rounds=${2:-3}
seconds=${3:-8}
shift $(( $# < 3 ? $# : 3 ))
views=("$@")
[ ${#views[@]} -gt 0 ] || views=(none godot page page_waited still qml qml_waited many)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$work/project
[ -f "$project/addons/webview/webview.gdextension" ] || { echo "run_frame_rate.sh: no demo project with the addon in $work"; exit 1; }
mkdir -p "$project/bench"
cp -r "$here/frame_rate.gd" "$here/frame_rate.tscn" "$here/pages" "$project/bench/"

script=run_frame_rate.sh
. "$here/../tests/godot_session.sh"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/godot-bench.XXXXXX")
cleanup() {
    stop_xvfb
    rm -rf "$tmp"
}
trap cleanup EXIT
private_home
start_xvfb
enable_extension "$project"

declare -A runs
for round in $(seq "$rounds"); do
    for view in "${views[@]}"; do
        line=$(timeout -k 10 120 godot --audio-driver Dummy --rendering-driver vulkan --path "$project" \
                   res://bench/frame_rate.tscn -- "--view=$view" "--seconds=$seconds" 2>&1 | grep '^BENCH' | tail -n1)
        echo "round $round: ${line:-BENCH $view: no result}"
        fps=$(echo "$line" | awk '{print $3}')
        [ -n "$fps" ] && runs[$view]+="$fps "
    done
done
echo "frames per second of the demo's room (median of $rounds runs of ${seconds} s, [lowest .. highest], median / the room's alone):"
none_median=
for view in "${views[@]}"; do
    sorted=$(echo ${runs[$view]:-} | tr ' ' '\n' | sed '/^$/d' | sort -g)
    count=$(echo "$sorted" | sed '/^$/d' | wc -l)
    [ "$count" -gt 0 ] || { echo "  $view: no runs"; continue; }
    median=$(echo "$sorted" | sed -n "$(( (count + 1) / 2 ))p")
    [ "$view" = none ] && none_median=$median
    ratio=
    [ -n "$none_median" ] && ratio=$(awk -v a="$median" -v b="$none_median" 'BEGIN { printf "%.2f", a / b }')
    echo "  $(printf '%-12s' "$view") $median  [$(echo "$sorted" | head -n1) .. $(echo "$sorted" | tail -n1)]  ${ratio:+x$ratio}"
done
