#!/usr/bin/env bash
# Runs a command on a private virtual X display and returns its exit status.
#
#   tools/with-xvfb.sh <command> [args...]
#
# The library renders without a display server (its headless platform); this script is for what
# needs a real X screen: screen capture, and the checks of Qt's xcb platform. It starts Xvfb on
# the first free display from :90 upward, waits until it accepts connections, exports DISPLAY
# and QT_QPA_PLATFORM=xcb, runs the command and always stops Xvfb afterwards.
#
# With SORVANE_USE_DISPLAY=1 and a reachable $DISPLAY the command runs on that display instead.
# SORVANE_XVFB_SCREENS lists the screens Xvfb gets, one WxHxD each (default "1920x1080x24").
set -u

if [ $# -eq 0 ]; then
    echo "usage: $(basename "$0") <command> [args...]" >&2
    exit 2
fi

export QT_QPA_PLATFORM=xcb

if [ "${SORVANE_USE_DISPLAY:-}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
    if xset q >/dev/null 2>&1; then
        exec "$@"
    fi
    echo "with-xvfb.sh: DISPLAY=$DISPLAY is not reachable; starting Xvfb instead" >&2
fi

for tool in Xvfb xset; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "with-xvfb.sh: $tool is not installed (Debian: xvfb, x11-xserver-utils)" >&2
        exit 127
    fi
done

workdir=$(mktemp -d "${TMPDIR:-/tmp}/with-xvfb.XXXXXX") || exit 1
xvfb_pid=
made_runtime_dir=

cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=
    fi
    [ -n "$made_runtime_dir" ] && rm -rf "$made_runtime_dir"
    rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Whether /tmp/.X$1-lock holds the pid of the Xvfb this script started.
owns_lock() {
    local pid
    read -r pid 2>/dev/null <"/tmp/.X$1-lock" || return 1
    [ "$pid" = "$xvfb_pid" ]
}

# Starts Xvfb on display :$1 and waits until it answers. Fails when the display is taken
# (Xvfb exits at once because of the lock file) or the server does not come up in 10 s.
start_xvfb() {
    local n=$1 i
    local screens=() number=0 geometry
    for geometry in ${SORVANE_XVFB_SCREENS:-1920x1080x24}; do
        screens+=(-screen "$number" "$geometry")
        number=$((number + 1))
    done
    # -noreset: by default the server resets whenever its last client leaves, and refuses the
    # connections that arrive during the reset; test programs come and go all the time.
    Xvfb ":$n" -noreset -nolisten tcp "${screens[@]}" >"$workdir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for ((i = 0; i < 100; ++i)); do
        if ! kill -0 "$xvfb_pid" 2>/dev/null; then
            wait "$xvfb_pid" 2>/dev/null
            xvfb_pid=
            return 1
        fi
        # Only a lock file naming our own Xvfb proves the server on :$n is ours; the socket
        # alone may belong to a server that won a race for the same number.
        if owns_lock "$n" && [ -S "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xset q >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    echo "with-xvfb.sh: Xvfb on :$n did not accept connections within 10 s" >&2
    cat "$workdir/xvfb.log" >&2
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
    return 1
}

display=
for ((n = 90; n < 190; ++n)); do
    # Skip displays that are visibly in use; two scripts racing for the same free number are
    # sorted out by Xvfb's own lock file (the loser exits and tries the next number).
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    if start_xvfb "$n"; then
        display=":$n"
        break
    fi
done
if [ -z "$display" ]; then
    echo "with-xvfb.sh: could not start Xvfb on any display from :90 to :189" >&2
    [ -s "$workdir/xvfb.log" ] && cat "$workdir/xvfb.log" >&2
    exit 1
fi
export DISPLAY=$display

# Qt warns on every start when XDG_RUNTIME_DIR is missing; give it a private one.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    made_runtime_dir=$(mktemp -d "${TMPDIR:-/tmp}/runtime.XXXXXX") && chmod 700 "$made_runtime_dir" &&
        export XDG_RUNTIME_DIR=$made_runtime_dir
fi

# Not exec: the trap must still stop Xvfb when the command ends.
"$@"
status=$?
exit "$status"
