#!/usr/bin/env bash
# The Godot frame-rate benchmark of rendering ahead (frame_rate.gd), in the Godot root: rounds of
# three Godot runs each, the demo's room with one animated view rendered ahead, with the waited
# render(), and with no view, each for a few seconds; prints every run's figures and the median
# of each. The demo's project with this build's addon is made first, in the build root:
#
#   tools/buildroot.sh godot/tests/make_project.sh build build/godot-bench godot/demo
#   tools/godotroot.sh -- godot/bench/run_frame_rate.sh build/godot-bench [rounds] [seconds]
#
# On a machine without a GPU Godot and the view both render on lavapipe, so the figures say what
# the view costs Godot's frame there.
set -uo pipefail
work=$(cd "$1" && pwd)
rounds=${2:-3}
seconds=${3:-8}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$work/project
[ -f "$project/addons/webview/webview.gdextension" ] || { echo "run_frame_rate.sh: no demo project with the addon in $work"; exit 1; }
mkdir -p "$project/bench"
cp "$here/frame_rate.gd" "$here/frame_rate.tscn" "$project/bench/"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/godot-bench.XXXXXX")
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
export HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { echo "run_frame_rate.sh: Xvfb did not start"; cat "$tmp/xvfb.log"; exit 1; }
export DISPLAY=:$(head -n1 "$tmp/display")
mkdir -p "$project/.godot"
echo 'res://addons/webview/webview.gdextension' >"$project/.godot/extension_list.cfg"

declare -A runs
for round in $(seq "$rounds"); do
    for view in ahead waited none; do
        line=$(timeout -k 10 120 godot --audio-driver Dummy --rendering-driver vulkan --path "$project" \
                   res://bench/frame_rate.tscn -- "--view=$view" "--seconds=$seconds" 2>&1 | grep '^BENCH' | tail -n1)
        echo "round $round: ${line:-BENCH $view: no result}"
        fps=$(echo "$line" | awk '{print $3}')
        [ -n "$fps" ] && runs[$view]+="$fps "
    done
done
echo "frames per second of the demo's room (median of $rounds runs of ${seconds} s, [lowest .. highest]):"
for view in none ahead waited; do
    sorted=$(echo ${runs[$view]:-} | tr ' ' '\n' | sed '/^$/d' | sort -g)
    count=$(echo "$sorted" | sed '/^$/d' | wc -l)
    [ "$count" -gt 0 ] || { echo "  $view: no runs"; continue; }
    median=$(echo "$sorted" | sed -n "$(( (count + 1) / 2 ))p")
    echo "  $(printf '%-7s' "$view") $median  [$(echo "$sorted" | head -n1) .. $(echo "$sorted" | tail -n1)]"
done
