# Finding Wine programs' windows on the X display and waiting for the programs, for the scripts
# that drive Mirtel.exe with xdotool. Source it.

# The first visible window named by the pattern that is none of the excluded ones; empty when none
# appeared within the seconds.
#   new_window PATTERN [SECONDS] [EXCLUDED...]
new_window() {
    local pattern=$1 seconds=${2:-20}
    shift 2 2>/dev/null || shift
    local excluded=(-e none) other found=""
    for other in "$@"; do
        excluded+=(-e "$other")
    done
    for _ in $(seq $((seconds * 2))); do
        found=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null |
            grep -vxF "${excluded[@]}" | head -n 1)
        [[ -n $found ]] && break
        sleep 0.5
    done
    echo "$found"
}

# Waits until no visible window named by the pattern is the given one.
#   wait_window_gone PATTERN WINDOW
wait_window_gone() {
    for _ in $(seq 40); do
        xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -qxF "$2" || return 0
        sleep 0.5
    done
    return 1
}

# Sets exit_code to the exit code of the background job PID once it has ended, or empty when it
# still ran after 30 s. (Not in a subshell: only the shell that started the job can wait for it.)
#   wait_for_exit PID
wait_for_exit() {
    exit_code=""
    for _ in $(seq 60); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            exit_code=$?
            return
        fi
        sleep 0.5
    done
}

# A Wine prefix of the build's own without a virtual desktop, so that each top-level window of a
# program is an X window named by its title, with the program's fonts; made on first use. Exports
# what Wine needs.
#   use_bare_wine_prefix SOURCE_DIR BUILD_DIR
use_bare_wine_prefix() {
    export WINEPREFIX="$2/wineprefix-bare"
    export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    "$1/scripts/wine-fonts"
}

# The common start of an end-to-end script: `fail`, which names the test and ends it, a display,
# the bare prefix, and no stored settings.
#   start_end_to_end NAME SOURCE_DIR BUILD_DIR
start_end_to_end() {
    end_to_end_name=$1
    fail() {
        echo "$end_to_end_name: $*" >&2
        exit 1
    }
    [[ -n ${DISPLAY:-} ]] || fail "no display"
    use_bare_wine_prefix "$2" "$3"
    wine reg delete 'HKCU\Software\Kestrov' /f >/dev/null 2>&1 || true
}

# A writable copy of the sample photo in a folder of the script's own, which goes at the end
# together with the Wine server and whatever still runs on it. Sets `work` and `photo`.
#   copy_sample_photo SOURCE_DIR
copy_sample_photo() {
    work=$(mktemp -d)
    trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
    photo="$work/DSCN0010.jpg"
    cp "$1/../shared/corpus/jpg/gps/DSCN0010.jpg" "$photo"
    chmod u+w "$photo" # the samples are read-only
}

# Starts Mirtel.exe with a file on its command line and waits for its main window, titled with the
# file's name, to be laid out and painted. Sets `program` (for wait_for_exit), `title` and
# `window`.
#   start_mirtel MIRTEL_EXE FILE
start_mirtel() {
    wine "$1" "$(winepath -w "$2" 2>/dev/null)" >/dev/null 2>&1 &
    program=$!
    title="$(basename "$2") - Mirtel info"
    window=$(new_window "^${title}\$" 60)
    [[ -n $window ]] || fail "no window titled \"$title\""
    sleep 2 # the first layout and paint
}
