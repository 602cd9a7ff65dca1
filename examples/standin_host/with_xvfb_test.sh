#!/bin/sh
# Tests tools/with-xvfb.sh: the command sees a working display and the xcb platform, its exit
# status and arguments come through unchanged, the server is gone afterwards, parallel runs get
# separate displays, and SORVANE_USE_DISPLAY=1 reuses a reachable display.
#
#   with_xvfb_test.sh <path to with-xvfb.sh>
set -u
wrapper=${1:?usage: with_xvfb_test.sh <path to with-xvfb.sh>}
failures=0
# The checks below need the wrapper to start its own server.
unset SORVANE_USE_DISPLAY
tmp=$(mktemp -d "${TMPDIR:-/tmp}/with_xvfb_test.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The display works and Qt is pointed at it.
"$wrapper" sh -c 'test -n "$DISPLAY" && xset q >/dev/null && test "$QT_QPA_PLATFORM" = xcb' ||
    fail "the command did not get a reachable DISPLAY with QT_QPA_PLATFORM=xcb"

# Exit statuses pass through, failures included.
"$wrapper" sh -c 'exit 7'
status=$?
[ "$status" -eq 7 ] || fail "exit status 7 came back as $status"
"$wrapper" true || fail "exit status 0 came back as $?"

# Arguments keep their spaces.
out=$("$wrapper" printf '%s|' "a b" "" c)
[ "$out" = "a b||c|" ] || fail "arguments arrived as '$out'"

# The server is stopped afterwards: its lock file and socket are gone.
display=$("$wrapper" sh -c 'echo "$DISPLAY"')
n=${display#:}
case "$n" in
'' | *[!0-9]*) fail "unexpected DISPLAY '$display'" ;;
*)
    [ ! -e "/tmp/.X$n-lock" ] || fail "Xvfb on $display left its lock file behind (still running?)"
    [ ! -e "/tmp/.X11-unix/X$n" ] || fail "Xvfb on $display left its socket behind"
    ;;
esac

# Runs that overlap in time each get a display of their own.
"$wrapper" sh -c 'echo "$DISPLAY" > "$0"; sleep 2' "$tmp/first" &
first_pid=$!
"$wrapper" sh -c 'echo "$DISPLAY" > "$0"; sleep 2' "$tmp/second" &
second_pid=$!
wait "$first_pid" || fail "the first of two parallel runs failed"
wait "$second_pid" || fail "the second of two parallel runs failed"
if [ "$(cat "$tmp/first" 2>/dev/null)" = "$(cat "$tmp/second" 2>/dev/null)" ]; then
    fail "two parallel runs shared display '$(cat "$tmp/first" 2>/dev/null)'"
fi

# SORVANE_USE_DISPLAY=1 runs on the reachable display it finds instead of starting another.
inner=$("$wrapper" sh -c 'outer=$DISPLAY; SORVANE_USE_DISPLAY=1 "$0" sh -c "test \"\$DISPLAY\" = \"$outer\" && echo same"' "$wrapper")
[ "$inner" = same ] || fail "SORVANE_USE_DISPLAY=1 did not reuse the outer display"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "with-xvfb.sh: all checks passed"
