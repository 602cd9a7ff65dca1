#!/usr/bin/env bash
# Runs the extension's GDScript tests in the real Godot, inside the Godot root
# (tools/godotroot.sh): a private Xvfb (its display number from -displayfd, never a fixed one),
# the test HTTP server, then each test of project/tests/ in a Godot process of its own with
# Vulkan's validation layer (--gpu-validation), under a time limit. A test passes when its
# process prints "TEST PASSED", exits with 0 within the limit, and the validation layer reported
# nothing but the known messages below. Ends with "N passed, N failed".
#
#   run_scenes.sh <work-dir> [test-name...]
#
# <work-dir>/project is the test project with the addon folder installed (make_project.sh);
# each test's output is kept in <work-dir>/logs/<test>.log.
#
# A test that needs more Godot arguments names them in a line of its script:
#   ## godot-arguments: --render-thread separate
# Godot's reports of objects or RIDs leaked at its exit fail a test like a validation message. A
# test may name messages of Godot's own that its arguments bring, as a regular expression, in a
# line "## known-messages: <regex>" (with the reason in the script).
set -uo pipefail
work=$(cd "$1" && pwd)
shift
project=$work/project
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
limit=${SORVANE_GODOT_TEST_LIMIT:-180}

# Validation messages that are known and not the extension's or the library's, counted and shown,
# not failed:
# - Qt creates its own textures with a PREINITIALIZED layout and optimal tiling
#   (docs/engine-integration.md);
# - Godot 4.6 creates the UNORM view of a Texture2DRD on an image imported as R8G8B8A8_SRGB (a
#   view's texture_3d) with an empty VkImageViewUsageCreateInfo: it copies the usage from the
#   creation info of the image, which an imported image does not have. That view is never
#   sampled (3D materials sample the sRGB one), so the message comes once per import.
known_messages='VUID-VkImageCreateInfo-initialLayout-12478|VUID-VkImageViewUsageCreateInfo-usage-parameter'

for tool in godot Xvfb python3 timeout; do
    command -v "$tool" >/dev/null || { echo "run_scenes.sh: $tool is missing in this root"; exit 1; }
done
[ -f "$project/addons/webview/webview.gdextension" ] || { echo "run_scenes.sh: no addon folder in $project"; exit 1; }

script=run_scenes.sh
. "$here/godot_session.sh"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/godot-tests.XXXXXX")
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    stop_xvfb
    rm -rf "$tmp"
}
trap cleanup EXIT

private_home
# The media backend probes no hardware decoder (lavapipe has no video queue; each frame would
# log the failed probe).
export QT_FFMPEG_DECODING_HW_DEVICE_TYPES=none
mkdir -p "$work/logs"

# Each test gets an X server of its own (start_xvfb), so that no state of the X server one test
# leaves behind (its focus, its input method) reaches the next.
start_xvfb

# The test pages, on a port the system picks.
python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$here/pages" >"$tmp/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do grep -q 'port [0-9]*' "$tmp/server.log" && break; sleep 0.1; done
port=$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$tmp/server.log" | head -n1)
[ -n "$port" ] || { echo "run_scenes.sh: the HTTP server did not start"; cat "$tmp/server.log"; exit 1; }
server=http://127.0.0.1:$port

godot=(godot --audio-driver Dummy --rendering-driver vulkan --path "$project")
passed=0
failed=0
failures=()

# A game loads only the extensions that .godot/extension_list.cfg lists, which the editor writes
# when its scan finds one. But Godot 4.6.3's editor crashes at its exit (SIGSEGV in its cleanup)
# after a scan found an extension that registers any class, and is clean when the extension was
# listed at its start; so the list is written first, and the import then shows that a project
# holding the addon opens in the editor with the nodes registered.
enable_extension "$project"
if timeout -k 10 "$limit" "${godot[@]}" --headless --import >"$work/logs/import.log" 2>&1 &&
    grep -q webview.gdextension "$project/.godot/extension_list.cfg" 2>/dev/null; then
    echo "PASS import (the editor opens the project with the extension)"
    passed=$((passed + 1))
else
    echo "FAIL import: the editor failed on the project (log: $work/logs/import.log)"
    tail -n 20 "$work/logs/import.log"
    failed=$((failed + 1))
    failures+=(import)
fi

tests=("$@")
if [ ${#tests[@]} -eq 0 ]; then
    for file in "$project"/tests/*.gd; do
        name=$(basename "$file" .gd)
        [ "$name" = godot_test ] || tests+=("$name")
    done
fi

# Runs test $1 once, its output in $2; sets reason (empty when it passed), seconds, validation
# and known.
run_test() {
    local name=$1 log=$2 status start own_known known_here
    # The test's own Godot arguments (word-split on purpose).
    read -r -a extra <<<"$(sed -n 's/^## godot-arguments:[[:space:]]*//p' "$project/tests/$name.gd" 2>/dev/null | head -n1)"
    own_known=$(sed -n 's/^## known-messages:[[:space:]]*//p' "$project/tests/$name.gd" 2>/dev/null | head -n1)
    known_here=$known_messages${own_known:+|$own_known}
    # Each run starts from a home of its own: nothing a test leaves in the web engine's profile
    # (cookies, storage, the zoom it remembers per site) or in Godot's user data reaches another.
    HOME=$tmp/home-$name-$RANDOM
    mkdir -p "$HOME"
    start_xvfb
    start=$SECONDS
    timeout -k 10 "$limit" "${godot[@]}" --gpu-validation "${extra[@]}" -- "--test=res://tests/$name.gd" "--server=$server" >"$log" 2>&1
    status=$?
    seconds=$((SECONDS - start))
    validation=$(grep -E 'VUID-|VALIDATION|Validation Error|THREADING|leaked at exit|were leaked' "$log" | grep -vE "$known_here" || true)
    known=$(grep -cE "$known_here" "$log" || true)
    reason=
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        reason="did not end within ${limit} s"
    elif [ "$status" -ne 0 ]; then
        reason="exit status $status"
    elif ! grep -q '^TEST PASSED' "$log"; then
        reason="no TEST PASSED line"
    elif grep -q '^SCRIPT ERROR' "$log"; then
        # An error ends the test's function early, which would otherwise look like a pass.
        reason="script errors"
    elif [ -n "$validation" ]; then
        reason="validation messages"
    fi
}

for name in "${tests[@]}"; do
    log=$work/logs/$name.log
    run_test "$name" "$log"
    # A test that failed its checks runs once more, and says so: the web engine now and then
    # starts a page whose input is lost (Qt's "postEvent: Unexpected null receiver"; its GPU
    # channel failed to start under load), which no retry inside the test mends. A validation
    # message, a script error or a hang is never run again.
    if [ "$reason" = "exit status 1" ] && ! grep -q '^SCRIPT ERROR' "$log"; then
        echo "RETRY $name: its first run failed (${seconds} s; log: $work/logs/$name.first.log):"
        grep -E '^(FAILED CHECK|QCoreApplication)' "$log" | head -n 5 | sed 's/^/    /'
        mv "$log" "$work/logs/$name.first.log"
        run_test "$name" "$log"
    fi
    if [ -z "$reason" ]; then
        echo "PASS $name (${seconds} s${extra[*]:+, ${extra[*]}}; known validation messages: $known)"
        passed=$((passed + 1))
    else
        echo "FAIL $name: $reason (${seconds} s; log: $log)"
        grep -E '^(FAILED CHECK|TEST FAILED|SCRIPT ERROR)' "$log" | sed 's/^/    /'
        [ -n "$validation" ] && echo "$validation" | head -n 5 | sed 's/^/    /'
        [ "$reason" != "validation messages" ] && tail -n 15 "$log" | sed 's/^/    | /'
        failed=$((failed + 1))
        failures+=("$name")
    fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
