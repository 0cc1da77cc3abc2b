#!/usr/bin/env bash
# Mirtel.exe as a person uses it: started with a photo on the command line, found by its title,
# photographed; a text added with the keyboard (Ctrl+Insert, Enter on the first offered tag, the
# text, Enter); closed with Alt+F4. Then its exit code and stored settings are checked, and
# exiftool and ImageMagick check the photo: the new text there, every other tag and the pixels as
# they were. Runs on $DISPLAY in a Wine prefix of its own without a virtual desktop, so that the
# program's top-level window is an X window named by its title.
# Usage: mirtel_end_to_end.sh MIRTEL_EXE SOURCE_DIR BUILD_DIR
set -uo pipefail
exe=$1
source_dir=$2
build_dir=$3

fail() {
    echo "end-to-end: $*" >&2
    exit 1
}
[[ -n ${DISPLAY:-} ]] || fail "no display"
export WINEPREFIX="$build_dir/wineprefix-bare"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f $WINEPREFIX/system.reg ]]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine reg delete 'HKCU\Software\Kestrov' /f >/dev/null 2>&1 || true

work=$(mktemp -d)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
cp "$source_dir/../shared/corpus/jpg/gps/DSCN0010.jpg" "$work/"
chmod u+w "$work/DSCN0010.jpg" # the samples are read-only
wine "$exe" "$(winepath -w "$work/DSCN0010.jpg" 2>/dev/null)" >/dev/null 2>&1 &
program=$!

title="DSCN0010.jpg - Mirtel info"
window=""
for _ in $(seq 120); do
    window=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n 1)
    [[ -n $window ]] && break
    sleep 0.5
done
[[ -n $window ]] || fail "no window titled \"$title\""
sleep 2 # the first layout and paint
mkdir -p "$source_dir/build/screenshots"
import -window root "$source_dir/build/screenshots/end-to-end-main-window.png" ||
    fail "no screenshot"

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowactivate "$window"
xdotool key ctrl+Insert
dialog=""
for _ in $(seq 40); do
    dialog=$(xdotool search --name '^Mirtel info$' 2>/dev/null | head -n 1)
    [[ -n $dialog ]] && break
    sleep 0.5
done
[[ -n $dialog ]] || fail "Ctrl+Insert opened no dialog"
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool key Return
text_box=""
for _ in $(seq 40); do
    text_box=$(xdotool search --name '^Mirtel info$' 2>/dev/null | grep -v "^$dialog\$" | head -n 1)
    [[ -n $text_box ]] && break
    sleep 0.5
done
[[ -n $text_box ]] || fail "no text input after choosing the tag"
xdotool windowfocus --sync "$text_box" 2>/dev/null || true
xdotool type --delay 30 "Vylet na hory"
xdotool key Return
sleep 2
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowactivate "$window"
xdotool key --window "$window" alt+F4
exit_code=""
for _ in $(seq 60); do
    if ! kill -0 "$program" 2>/dev/null; then
        wait "$program"
        exit_code=$?
        break
    fi
    sleep 0.5
done
[[ -n $exit_code ]] || fail "the program did not end after Alt+F4"
[[ $exit_code == 0 ]] || fail "exit code $exit_code"
for value in cb_skupina hlavni_okno; do
    wine reg query 'HKCU\Software\Kestrov\Mirtel\1' /v "$value" 2>/dev/null | grep -q "$value" ||
        fail "the setting $value was not stored"
done
# The first tag offered for this photo is the title (0x0320), which exiftool shows as an unknown
# IFD0 tag.
original="$source_dir/../shared/corpus/jpg/gps/DSCN0010.jpg"
tags() {
    exiftool -a -u -G1 -s -n -x System:all -x ExifTool:all -x File:all "$1" 2>/dev/null |
        grep -v 'Exif_0x0320'
}
exiftool -u -s -s -s -Exif_0x0320 "$work/DSCN0010.jpg" | grep -qx "Vylet na hory" ||
    fail "the new title is not in the photo"
diff <(tags "$original") <(tags "$work/DSCN0010.jpg") >&2 || fail "other tags changed"
[[ $(identify -quiet -format '%#' "$original") == $(identify -quiet -format '%#' "$work/DSCN0010.jpg") ]] ||
    fail "the pixels changed"
echo "end-to-end: the window \"$title\" opened, took a new title, closed with exit code 0 and" \
    "stored its settings; the photo has the title and nothing else changed"
