#!/usr/bin/env bash
# The packages of scripts/package as a Windows user meets them, in a fresh Wine prefix: the zip
# holds exactly the listed files; an older version installs silently and the current one over it;
# the files, the Start menu shortcut, the "Open with" and the installed-programs entries are there;
# the installed Mirtel.exe opens a sample photo under its title and mirtel-cli.exe tells the
# version; while it runs, installing and uninstalling refuse; a silent uninstall removes
# everything the installer made and keeps the settings.
# Needs $DISPLAY. Usage: tests/package/install_test.sh (after scripts/package)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
source "$repo_root/tests/win/x_windows.sh"
cd "$repo_root"

fail() {
    echo "package test: $*" >&2
    exit 1
}
[[ -n ${DISPLAY:-} ]] || fail "no display"
version=$(project_version)
zip_file="dist/Mirtel-$version-win64.zip"
setup_file="dist/Mirtel-$version-setup.exe"
[[ -f $zip_file && -f $setup_file ]] || fail "no packages of $version in dist/; run scripts/package"

expected="licence/gcc.txt
licence/mingw-w64.txt
licence/zlib.txt
Mirtel.exe
mirtel-cli.exe
ČTIMNE.txt"
diff <(echo "$expected" | LC_ALL=C sort) <(unzip -Z1 "$zip_file" | LC_ALL=C sort) >&2 ||
    fail "the zip does not hold exactly the listed files"
# Windows shows a name as UTF-8 only when the entry says so (bit 11).
python3 -c 'import sys, zipfile; sys.exit(not zipfile.ZipFile(sys.argv[1]).getinfo("ČTIMNE.txt").flag_bits & 0x800)' \
    "$zip_file" || fail "the zip does not mark ČTIMNE.txt as a UTF-8 name"

# A fresh prefix without a virtual desktop, so that the program's window is an X window named by
# its title.
export WINEPREFIX="$repo_root/build/package/wineprefix"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

windows_folder() { winepath -u "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')" 2>/dev/null; }
installed="$(windows_folder LOCALAPPDATA)/Programs/Mirtel"
shortcut="$(windows_folder APPDATA)/Microsoft/Windows/Start Menu/Programs/Mirtel info.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mirtel'
application_key='HKCU\Software\Classes\Applications\Mirtel.exe'
settings_key='HKCU\Software\Kestrov\Mirtel'
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
reg_default() { wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | awk '$1 == "(Default)" { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# An older version first, built from the same files, so the current one installs as an upgrade
# (into the older one's folder, whatever folder is asked for).
older="$repo_root/build/package/Mirtel-0.9.0.0-setup.exe"
makensis -V1 -DVERSION=0.9.0.0 -DPAYLOAD="$repo_root/build/package/payload" \
    -DICON="$repo_root/res/mirtel.ico" -DOUTFILE="$older" installer/mirtel.nsi >/dev/null ||
    fail "the older installer could not be built"
wine "$older" /S && wineserver -w
[[ $(reg_value "$uninstall_key" DisplayVersion) == 0.9.0.0 ]] || fail "the older version did not install"
# A folder asked for on the command line does not move an installed program.
wine "$setup_file" /S '/D=C:\Jinde' && wineserver -w
[[ -e "$WINEPREFIX/drive_c/Jinde" ]] && fail "the upgrade went into another folder"

for file in Mirtel.exe mirtel-cli.exe ČTIMNE.txt Odinstalovat.exe licence/zlib.txt \
    licence/mingw-w64.txt licence/gcc.txt; do
    [[ -f $installed/$file ]] || fail "$file is not installed in $installed"
done
cmp -s "$installed/Mirtel.exe" build/package/payload/Mirtel.exe || fail "Mirtel.exe is not the packaged one"
[[ -f $shortcut ]] || fail "no Start menu shortcut"
[[ $(reg_value "$uninstall_key" DisplayVersion) == "$version" ]] || fail "the installed version is not $version"
[[ $(reg_value "$uninstall_key" Publisher) == Kestrov ]] || fail "the publisher is not Kestrov"
[[ $(reg_value "$uninstall_key" DisplayName) == "Mirtel info" ]] || fail "the programs list names no Mirtel info"
size=$(reg_value "$uninstall_key" EstimatedSize)
(( size > 0 )) || fail "the programs list has no size"
[[ $(reg_value "$uninstall_key" UninstallString) == *Odinstalovat.exe* ]] || fail "no uninstaller registered"
[[ $(reg_default "$application_key\\shell\\open\\command") == *Mirtel.exe*%1* ]] ||
    fail "no \"Open with\" command"
for extension in .jpg .jpeg .png .gif .bmp .tif .tiff; do
    wine reg query "$application_key\\SupportedTypes" /v "$extension" >/dev/null 2>&1 ||
        fail "\"Open with\" does not offer the program for $extension"
done
key_exists 'HKCU\Software\Classes\.jpg' && fail "the installer touched the .jpg key"

# The installed programs work.
cli_version=$(wine "$installed/mirtel-cli.exe" --version 2>/dev/null | tr -d '\r')
[[ $cli_version == "mirtel-cli $version" ]] || fail "mirtel-cli --version said \"$cli_version\""
photo="$repo_root/build/package/DSCN0010.jpg"
cp "$repo_root/../shared/corpus/jpg/gps/DSCN0010.jpg" "$photo"
chmod u+w "$photo"
wine "$installed/Mirtel.exe" "$(winepath -w "$photo" 2>/dev/null)" >/dev/null 2>&1 &
program=$!
window=$(new_window '^DSCN0010.jpg - Mirtel info$' 60)
[[ -n $window ]] || fail "the installed Mirtel.exe showed no window titled after the photo"
sleep 1
# While it runs, neither an installation nor the uninstaller touches it.
# (wineserver -w would wait for the program too: wine itself waits for the installer.)
wine "$setup_file" /S
installer_code=$?
((installer_code != 0)) || fail "an installation over the running program reported success"
wine "$installed/Odinstalovat.exe" /S
sleep 3
[[ -f $installed/Mirtel.exe && -f $installed/Odinstalovat.exe ]] ||
    fail "the uninstaller removed files of the running program"
key_exists "$uninstall_key" || fail "the uninstaller removed the entry of the running program"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowactivate "$window"
xdotool key --window "$window" alt+F4
wait_for_exit "$program"
[[ -n $exit_code ]] || fail "the installed Mirtel.exe did not end after Alt+F4"
key_exists "$settings_key" || fail "the program stored no settings"

# A silent uninstall keeps the settings and removes the rest.
wine "$installed/Odinstalovat.exe" /S && wineserver -w
for _ in $(seq 20); do
    [[ -e $installed ]] || break
    sleep 0.5
done
[[ -e $installed ]] && fail "the uninstaller left $installed: $(ls -R "$installed")"
[[ -e $shortcut ]] && fail "the uninstaller left the shortcut"
key_exists "$application_key" && fail "the uninstaller left the \"Open with\" entries"
key_exists "$uninstall_key" && fail "the uninstaller left the programs list entry"
key_exists "$settings_key" || fail "the uninstaller removed the settings"
echo "package test: the zip holds the listed files; $version installed over 0.9.0.0 in its folder" \
    "with its shortcut and entries, ran, refused to be replaced or removed while running, and" \
    "uninstalled cleanly, keeping the settings"
