#!/usr/bin/env bash
# Starts the real editor under Xvfb on a generated model and edits it as a person would:
# box-selects the left segment's vertices on the XY tab, types "v" and drags them; Ctrl+Z puts
# them back and Ctrl+S saves the original bytes; Ctrl+Y and Ctrl+S save the drag, and File >
# Exit ends at once. The saved file must differ from the original only in that segment's
# position block, by the drag.
#
#   edit_save_test.sh VERTWRIGHT E2E_MODEL_TOOL
set -euo pipefail
editor=$1
tool=$2
source "$(dirname "$0")/driver.sh"

choose_file() { # title path: types the path into the file dialog of that title
    local dialog=
    for _ in $(seq 50); do
        dialog=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) && break
        sleep 0.2
    done
    [ -n "$dialog" ] || fail "no \"$1\" dialog"
    sleep 0.5
    xdotool key ctrl+a
    xdotool type --delay 20 "$2"
    xdotool key Return
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || break
        sleep 0.2
    done
    sleep 0.5
    # The closed dialog took the focus with it: a click beside the marks brings it back.
    pointer $((right + 20)) $((bottom + 20))
    xdotool click 1
    sleep 0.3
}

start_editor "$work/model.ebo"
read -r left top right bottom cx cy <<<"$box"

# Without a window manager nothing has the focus until a click: click beside the marks.
pointer $((right + 20)) $((bottom + 20))
xdotool click 1
sleep 0.3

drag "$left" "$top" "$right" "$bottom"
for _ in $(seq 20); do
    import -window root "$work/shot.png"
    count=$("$tool" selected "$work/shot.png")
    [ "$count" -eq 9 ] && break
    sleep 0.2
done
[ "$count" -eq 9 ] || fail "box selection selected $count marks, not 9"

# 30 x 15 pixels are 450 x 225 twips: 4.5 and 2.25 model units at zoom 100.
xdotool key v
sleep 0.2
drag "$cx" "$cy" $((cx + 30)) $((cy + 15))

# Undo puts the marks back where they were, still selected, and saves the original bytes.
xdotool key ctrl+z
back=
for _ in $(seq 20); do
    import -window root "$work/shot.png"
    back=$("$tool" locate-selected "$work/shot.png" 2>/dev/null) && [ "$back" = "$box" ] && break
    sleep 0.2
done
[ "$back" = "$box" ] || fail "after Ctrl+Z the selected marks are at '$back', not '$box'"
xdotool key ctrl+s
sleep 1
cmp -s "$work/original.ebo" "$work/model.ebo" || fail "Ctrl+Z then Ctrl+S did not save the original"

# Redo, save, and Exit: with nothing unsaved it ends at once, asking nothing.
xdotool key ctrl+y
sleep 0.2
xdotool key ctrl+s
sleep 1
exit_editor
"$tool" check "$work/original.ebo" "$work/model.ebo" 4.5 2.25 || fail "the saved model is wrong"

# Again on the saved file: Ctrl+A, one Right arrow (a pixel: 0.15 units at zoom 100), Save As a
# new file, and open that file; the first file stays as it was.
cp "$work/model.ebo" "$work/dragged.ebo"
start_editor "$work/model.ebo"
read -r left top right bottom cx cy <<<"$box"
pointer $((right + 20)) $((bottom + 20))
xdotool click 1
sleep 0.3
xdotool key ctrl+a
for _ in $(seq 20); do
    import -window root "$work/shot.png"
    count=$("$tool" selected "$work/shot.png")
    [ "$count" -eq 18 ] && break
    sleep 0.2
done
[ "$count" -eq 18 ] || fail "Ctrl+A selected $count marks, not 18"
xdotool key Right
sleep 0.3
xdotool key ctrl+shift+s
choose_file "Save As" "$work/second.ebo"
[ -f "$work/second.ebo" ] || fail "Save As wrote no file"
xdotool key ctrl+o
choose_file "Open" "$work/second.ebo"
xdotool search --name "^Error$" >/dev/null 2>&1 && fail "the saved file did not open again"
exit_editor
cmp -s "$work/dragged.ebo" "$work/model.ebo" || fail "Save As changed the first file"
"$tool" check-part "$work/dragged.ebo" "$work/second.ebo" 0.15 0 || fail "the new file is wrong"
echo "PASS"
