# Shared by the scripts: the source root, a UTF-8 locale, and a private display and Wine prefix for
# the Windows build. Source it.

# Wine names files in the Unix locale's character set, so Czech file names need a UTF-8 locale
# whatever the caller's; makensis, too, reads the installer script's UTF-8 only in one.
export LC_ALL=C.UTF-8

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wine_prefix="$repo_root/build/windows/wineprefix"

# The version of the CMake project, the one place it is written.
project_version() {
    sed -n 's/^project(Mirtel VERSION \([0-9.]*\).*/\1/p' "$repo_root/CMakeLists.txt"
}
started_xvfb_pid=""

# Starts a private Xvfb when no display is given.
start_display() {
    if [[ -n ${DISPLAY:-} ]]; then
        return
    fi
    local display_file
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    started_xvfb_pid=$!
    for _ in $(seq 100); do
        [[ -s $display_file ]] && break
        sleep 0.1
    done
    if [[ ! -s $display_file ]]; then
        echo "Xvfb did not start" >&2
        rm -f "$display_file"
        return 1
    fi
    export DISPLAY=":$(head -n 1 "$display_file")"
    rm -f "$display_file"
}

# A Wine prefix inside the build tree, made on first use. Programs run inside one virtual
# desktop: without a window manager, Wine would otherwise wait seconds for every closed window.
prepare_wine() {
    export WINEPREFIX="$wine_prefix"
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
        echo "Creating the Wine prefix $WINEPREFIX" >&2
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
            >/dev/null 2>&1
        wineserver -w
    fi
    "$repo_root/scripts/wine-fonts"
    # A scaling left behind by a run that was stopped half way (the text-fit test, the screenshots).
    wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
}

# Stops what start_display and prepare_wine started.
stop_services() {
    if [[ -n ${WINEPREFIX:-} ]]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [[ -n $started_xvfb_pid ]]; then
        kill "$started_xvfb_pid" 2>/dev/null || true
        wait "$started_xvfb_pid" 2>/dev/null || true
        started_xvfb_pid=""
    fi
}

# Source files the formatter checks: every C++ source and header in the tree, whatever its folder,
# so a new folder is covered without being listed here. Resource scripts (.rc) are not C++ and stay
# out.
formatted_sources() {
    (cd "$repo_root" && git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
}
