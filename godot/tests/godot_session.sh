# Sourced by the scripts that run Godot inside the Godot root (run_scenes.sh, the demo's and the
# benchmark's): a private home and runtime folder, and a private Xvfb whose display number comes
# from -displayfd (never a fixed one). The caller sets `tmp` (a folder of its own, removed by its
# cleanup, which calls stop_xvfb) and `script` (its name, for messages).

# HOME and XDG_RUNTIME_DIR in $tmp.
private_home() {
    export HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/runtime
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
}

xvfb_pid=
# Starts an X server (stopping the one started before) and points DISPLAY at it.
start_xvfb() {
    stop_xvfb
    : >"$tmp/display"
    Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset 3>"$tmp/display" 2>"$tmp/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
    [ -s "$tmp/display" ] || { echo "$script: Xvfb did not start"; cat "$tmp/xvfb.log"; exit 1; }
    export DISPLAY=:$(head -n1 "$tmp/display")
}

stop_xvfb() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    fi
    xvfb_pid=
}

# A game loads the extensions that .godot/extension_list.cfg lists (the editor's scan writes it).
enable_extension() {
    mkdir -p "$1/.godot"
    echo 'res://addons/webview/webview.gdextension' >"$1/.godot/extension_list.cfg"
}
