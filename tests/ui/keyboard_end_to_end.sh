#!/usr/bin/env bash
# Mirtel.exe with the keyboard alone: started with a photo, Down selects the first row at once
# and Ctrl+Delete removes it (checked in the file); then, with the photo made read-only, the next
# removal's save is refused, its error box is closed with Enter, and Alt+F4 closes the program,
# which answers 0. Apart from giving the new window the X focus once, as a desktop does for a
# program just started, nothing but keys reaches the program.
# Usage: keyboard_end_to_end.sh MIRTEL_EXE SOURCE_DIR BUILD_DIR
set -uo pipefail
exe=$1
source_dir=$2
build_dir=$3
source "$source_dir/tests/win/x_windows.sh"
start_end_to_end "keyboard end-to-end" "$source_dir" "$build_dir"

copy_sample_photo "$source_dir"
tag_present() { exiftool -s "-$1" "$photo" 2>/dev/null | grep -q "^$1 "; }
tag_present ImageDescription || fail "the sample has no description to remove"

start_mirtel "$exe" "$photo"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowactivate "$window"

# The descriptive group's first row is the description ("Popis").
xdotool key Down
sleep 0.5
xdotool key ctrl+Delete
sleep 2
tag_present ImageDescription && fail "Down and Ctrl+Delete did not remove the first row's tag"
tag_present Make || fail "more than the first row was removed"

# The next first row is the maker; the photo may no longer be written, so its save is refused.
chmod a-w "$photo"
xdotool key Down
sleep 0.5
xdotool key ctrl+Delete
error_box=$(new_window '^Mirtel info$' 20)
[[ -n $error_box ]] || fail "the refused save showed no error box"
sleep 1
import -window root "$source_dir/build/screenshots/keyboard-refused-save.png" 2>/dev/null || true
xdotool key Return
wait_window_gone '^Mirtel info$' "$error_box" || fail "Enter did not close the error box"
sleep 1
xdotool key alt+F4
wait_for_exit "$program"
[[ -n $exit_code ]] || fail "Alt+F4 after the error box did not close the program"
[[ $exit_code == 0 ]] || fail "exit code $exit_code"
tag_present Make || fail "the refused save changed the photo"
echo "keyboard end-to-end: Down and Ctrl+Delete removed the first row from the photo; a refused" \
    "save's box closed with Enter, and Alt+F4 then ended the program with exit code 0"
