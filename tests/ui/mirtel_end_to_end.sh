#!/usr/bin/env bash
# Mirtel.exe as a person uses it: started with a photo on the command line, found by its title,
# photographed, closed with the keyboard; then its exit code and the settings it stored are
# checked. Runs on $DISPLAY in a Wine prefix of its own without a virtual desktop, so that the
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
mkdir -p "$build_dir/screenshots"
import -window root "$build_dir/screenshots/end-to-end-main-window.png" ||
    fail "no screenshot"

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
echo "end-to-end: the window \"$title\" opened, closed with exit code 0 and stored its settings"
