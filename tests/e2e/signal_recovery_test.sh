#!/usr/bin/env bash
# Ends the real editor with SIGTERM while a drag is unsaved: it must exit at once, removing its
# working copy and keeping the journal of the drag. The next editor offers the drag back at
# start-up; Return takes it, Ctrl+S saves it, and the saved file must be the one the drag makes.
#
#   signal_recovery_test.sh VERTWRIGHT E2E_MODEL_TOOL
set -euo pipefail
tool=$2
source "$(dirname "$0")/driver.sh"

# A program folder of its own, so the working copy beside the editor is this test's alone.
mkdir "$work/bin"
cp "$1" "$work/bin/vertwright"
editor=$work/bin/vertwright
journals=$HOME/.local/state/vertwright

start_editor "$work/model.ebo"
read -r left top right bottom cx cy <<<"$box"
pointer $((right + 20)) $((bottom + 20))
xdotool click 1
sleep 0.3
drag "$left" "$top" "$right" "$bottom"
xdotool key v
sleep 0.2
drag "$cx" "$cy" $((cx + 30)) $((cy + 15))

journal=$journals/journal-$editor_pid.vwj
for _ in $(seq 50); do
    [ -f "$journal" ] && break
    sleep 0.1
done
[ -f "$journal" ] || fail "no journal of the unsaved drag at $journal"
[ "$(stat -c %a "$journal")" = 600 ] || fail "the journal is not private: $(stat -c %a "$journal")"
[ -f "$work/bin/current.tmp" ] || fail "no working copy beside the editor"

kill -TERM "$editor_pid"
status=0
wait "$editor_pid" || status=$?
editor_pid=
[ "$status" -eq 0 ] || fail "the editor ended with status $status on SIGTERM"
[ ! -e "$work/bin/current.tmp" ] || fail "SIGTERM left the working copy"
[ -f "$journal" ] || fail "SIGTERM removed the journal of the unsaved drag"
cmp -s "$work/original.ebo" "$work/model.ebo" || fail "SIGTERM changed the model file"

# The next start: the splash, then the question, which Return answers Yes.
"$editor" >"$work/editor.log" 2>&1 &
editor_pid=$!
xdotool search --sync --name "^Vertwright V0.2$" >/dev/null
sleep 0.5
pointer 640 512
xdotool key L
question=$(xdotool search --sync --name "^Recover Unsaved Edits$" | head -n 1)
sleep 0.5
xdotool windowfocus "$question"
xdotool key Return
box=
for _ in $(seq 60); do
    import -window root "$work/shot.png"
    box=$("$tool" locate "$work/shot.png" 2>/dev/null) && break
    box=
    sleep 0.25
done
[ -n "$box" ] || fail "the recovered model's marks never showed"
read -r left top right bottom cx cy <<<"$box"
pointer $((right + 20)) $((bottom + 20))
xdotool click 1
sleep 0.3
xdotool key ctrl+s
sleep 1
exit_editor
[ ! -e "$journal" ] || fail "the recovered journal was left"
ls "$journals"/journal-*.vwj >/dev/null 2>&1 && fail "a journal outlived the save"
"$tool" check "$work/original.ebo" "$work/model.ebo" 4.5 2.25 || fail "the recovered model is wrong"
echo "PASS"
