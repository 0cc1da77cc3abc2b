#!/usr/bin/env bash
# Mirtel.exe as a person uses it: started with a photo on the command line, found by its title,
# photographed; a text added with the keyboard (Ctrl+Insert, Enter on the first offered tag, the
# text, Enter); an author written into two photos through the batch dialog, opened from the menu
# with the keyboard; closed with Alt+F4. Then its exit code and stored settings are checked, and
# exiftool and ImageMagick check the photo: the new text there, every other tag and the pixels as
# they were. Runs on $DISPLAY in a Wine prefix of its own without a virtual desktop, so that the
# program's top-level window is an X window named by its title.
# Usage: mirtel_end_to_end.sh MIRTEL_EXE SOURCE_DIR BUILD_DIR
set -uo pipefail
exe=$1
source_dir=$2
build_dir=$3
source "$source_dir/tests/win/x_windows.sh"
start_end_to_end "end-to-end" "$source_dir" "$build_dir"

copy_sample_photo "$source_dir"
start_mirtel "$exe" "$photo"
mkdir -p "$source_dir/build/screenshots"
import -window root "$source_dir/build/screenshots/end-to-end-main-window.png" ||
    fail "no screenshot"

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowactivate "$window"
xdotool key ctrl+Insert
dialog=$(new_window '^Mirtel info$')
[[ -n $dialog ]] || fail "Ctrl+Insert opened no dialog"
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool key Return
text_box=$(new_window '^Mirtel info$' 20 "$dialog")
[[ -n $text_box ]] || fail "no text input after choosing the tag"
xdotool windowfocus --sync "$text_box" 2>/dev/null || true
xdotool type --delay 30 "Vylet na hory"
xdotool key Return
sleep 2

# The batch dialog from the menu: two photos and a file that is no image added through the
# file-open dialog by typing their paths, an author typed, "Po&užít zadané hodnoty" pressed.
for name in a b; do
    cp "$source_dir/../shared/corpus/jpg/Canon_40D.jpg" "$work/$name.jpg"
    chmod u+w "$work/$name.jpg"
done
echo "no photo" >"$work/fake.jpg"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowactivate "$window"
xdotool key alt+t
sleep 0.5
xdotool key h
batch=$(new_window '^Mirtel info$')
[[ -n $batch ]] || fail "the menu opened no batch dialog"
xdotool windowfocus --sync "$batch" 2>/dev/null || true
sleep 1
# The focus starts on "&Konec"; two steps back is "Přidat soubor".
xdotool key shift+Tab shift+Tab
for name in a b fake; do
    xdotool key space
    chooser=$(new_window '^Open$')
    [[ -n $chooser ]] || fail "\"Přidat soubor\" opened no file dialog"
    xdotool windowfocus --sync "$chooser" 2>/dev/null || true
    sleep 1
    xdotool type --delay 20 "$(winepath -w "$work/$name.jpg" 2>/dev/null)"
    xdotool key Return
    wait_window_gone '^Open$' "$chooser"
    xdotool windowfocus --sync "$batch" 2>/dev/null || true
    sleep 0.5
done
# From "Přidat soubor" back over the button row and the fields below it to "Autor:".
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab
xdotool type --delay 30 "Eva Novakova"
sleep 1
import -window root "$source_dir/build/screenshots/end-to-end-batch-dialog.png" ||
    fail "no screenshot"
xdotool key alt+u
outcome=$(new_window '^Mirtel info$' 20 "$batch")
[[ -n $outcome ]] || fail "a run with a file that is no image showed no outcome"
sleep 1
import -window root "$source_dir/build/screenshots/end-to-end-batch-outcome.png" ||
    fail "no screenshot"
xdotool windowfocus --sync "$outcome" 2>/dev/null || true
xdotool key Return
sleep 1
xdotool windowfocus --sync "$batch" 2>/dev/null || true
xdotool key Escape
wait_window_gone '^Mirtel info$' "$batch"

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowactivate "$window"
xdotool key --window "$window" alt+F4
wait_for_exit "$program"
[[ -n $exit_code ]] || fail "the program did not end after Alt+F4"
[[ $exit_code == 0 ]] || fail "exit code $exit_code"
for value in cb_skupina hlavni_okno; do
    wine reg query 'HKCU\Software\Kestrov\Mirtel\1' /v "$value" 2>/dev/null | grep -q "$value" ||
        fail "the setting $value was not stored"
done
# The first tag offered for this photo is the title (0x0320), which exiftool shows as an unknown
# IFD0 tag; Windows' XPTitle and XMP's dc:title gain the same text.
original="$source_dir/../shared/corpus/jpg/gps/DSCN0010.jpg"
tags() {
    exiftool -a -u -G1 -s -n -x System:all -x ExifTool:all -x File:all "$1" 2>/dev/null |
        grep -vE 'Exif_0x0320|XPTitle|XMP-dc\] +Title'
}
for tag in Exif_0x0320 XPTitle XMP-dc:Title; do
    exiftool -u -s -s -s "-$tag" "$work/DSCN0010.jpg" | grep -qx "Vylet na hory" ||
        fail "the new title is not in the photo's $tag"
done
diff <(tags "$original") <(tags "$work/DSCN0010.jpg") >&2 || fail "other tags changed"
[[ $(identify -quiet -format '%#' "$original") == $(identify -quiet -format '%#' "$work/DSCN0010.jpg") ]] ||
    fail "the pixels changed"
for name in a b; do
    [[ $(exiftool -s3 -Artist "$work/$name.jpg") == "Eva Novakova" ]] ||
        fail "the batch did not write the author into $name.jpg"
done
echo "end-to-end: the window \"$title\" opened, took a new title, wrote an author into two" \
    "photos through the batch dialog and named the file that is no image, closed with exit" \
    "code 0 and stored its settings; the photo has the title and nothing else changed"
