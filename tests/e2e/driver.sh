# Shared by the end-to-end tests: a private home, Xvfb, a generated model ($work/model.ebo and
# its copy $work/original.ebo), and the steps that drive the editor with xdotool. Sourced after
# setting editor and tool; sets work, DISPLAY and, once an editor runs, editor_pid and box (the
# marks' bounds and centre, as "$tool" locate prints them).
work=$(mktemp -d)
export HOME=$work
unset XDG_STATE_HOME
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
xvfb_pid=
editor_pid=

cleanup() {
    [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    local shot=$PWD/e2e-failure.png
    import -window root "$shot" 2>/dev/null && echo "screenshot: $shot" >&2
    echo "FAIL: $*" >&2
    exit 1
}

# Xvfb picks a free display number itself and reports it.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")

"$tool" make "$work/model.ebo"
cp "$work/model.ebo" "$work/original.ebo"

pointer() { # x y: move, then give Qt a moment to see the move on its own
    xdotool mousemove "$1" "$2"
    sleep 0.15
}
drag() { # x1 y1 x2 y2: left-button drag in small steps
    pointer "$1" "$2"
    xdotool mousedown 1
    sleep 0.15
    local steps=6
    for i in $(seq $steps); do
        pointer $(($1 + ($3 - $1) * i / steps)) $(($2 + ($4 - $2) * i / steps))
    done
    xdotool mouseup 1
    sleep 0.3
}

start_editor() { # model: starts the editor on it, closes the splash, waits for the marks
    "$editor" "$1" >"$work/editor.log" 2>&1 &
    editor_pid=$!
    # The splash sits centred on the screen: "L" closes it (its timer would after five seconds).
    xdotool search --sync --name "^Vertwright V0.2$" >/dev/null
    sleep 0.5
    pointer 640 512
    xdotool key L
    box=
    for _ in $(seq 60); do
        import -window root "$work/shot.png"
        if box=$("$tool" locate "$work/shot.png" 2>/dev/null); then
            break
        fi
        box=
        sleep 0.25
    done
    [ -n "$box" ] || fail "the model's vertex marks never showed"
}
exit_editor() {
    xdotool key alt+f
    sleep 0.4
    xdotool key x
    for _ in $(seq 50); do
        kill -0 "$editor_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$editor_pid" 2>/dev/null && fail "File > Exit did not end the editor"
    editor_pid=
}
