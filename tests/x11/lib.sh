# Shared by the scripts that run the built program under a real X server (sourced, not run).
#
# x11_start_display SCRIPT ARGS…  re-runs SCRIPT inside its own Xvfb (1920 × 1080, or the
#                                WIDTHxHEIGHT in QV_X11_SCREEN) through xvfb-run, once; inside,
#                                it starts openbox as the window manager
# x11_session NAME               a fresh desktop session for one run of the program: its own
#                                XDG_RUNTIME_DIR (mode 700), XDG_CONFIG_HOME and TMPDIR
# x11_wait SECONDS COMMAND…      runs COMMAND every 50 ms until it succeeds; false on timeout
# x11_windows PID [NAME]         the visible windows of process PID (named NAME, a regex)
# x11_main_window PID            true once process PID shows its main window ("Gaming Mouse"), its
#                                id then in x11_main: for x11_wait
# x11_geometry WINDOW            "X Y WIDTH HEIGHT" of WINDOW on the screen
# x11_track PID                  remembers PID; it is killed when the script ends
#
# Exit codes of the scripts: 0 passed, 1 failed, 77 skipped (a tool is missing).

x11_skip() {
    echo "$x11_name: $*, skipped"
    exit 77
}

x11_fail() {
    echo "$x11_name: FAILED: $*" >&2
    exit 1
}

x11_need() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || x11_skip "$tool missing"
    done
}

x11_start_display() {
    if [ -z "${QV_X11_INSIDE:-}" ]; then
        x11_need xvfb-run xauth
        export QV_X11_INSIDE=1
        # A display number of its own to start from: two xvfb-run -a started together may pick the same.
        exec xvfb-run -a -n $((200 + RANDOM % 500)) -s "-screen 0 ${QV_X11_SCREEN:-1920x1080}x24 -nolisten tcp" "$@"
    fi
    x11_need openbox
    x11_scratch=$(mktemp -d)
    trap x11_cleanup EXIT
    openbox --sm-disable >/dev/null 2>&1 &
    x11_track $!
    # The window manager is ready once it names itself on the root window.
    x11_wait 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
        x11_fail "openbox did not start"
}

x11_pids=()
x11_scratch=""
x11_cleanup() {
    local pid
    for pid in "${x11_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    [ -z "$x11_scratch" ] || rm -rf "$x11_scratch"
}

x11_track() {
    x11_pids+=("$1")
}

x11_session() {
    local root="$x11_scratch/$1"
    mkdir -p "$root/runtime" "$root/config" "$root/tmp"
    chmod 700 "$root/runtime"
    export XDG_RUNTIME_DIR="$root/runtime" XDG_CONFIG_HOME="$root/config" TMPDIR="$root/tmp"
    # Without a bus of the script's own, none is launched on demand: dbus-launch grabs the X
    # server while it starts one, and the program would wait for it before its window shows.
    export DBUS_SESSION_BUS_ADDRESS="${DBUS_SESSION_BUS_ADDRESS:-disabled:}"
    x11_data="$root/config/GamingMouseData20230810A/config"
}

x11_wait() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

x11_windows() {
    if [ -n "${2:-}" ]; then
        xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null || true
    else
        xdotool search --all --onlyvisible --pid "$1" 2>/dev/null || true
    fi
}

x11_main=""
x11_main_window() {
    x11_main=$(x11_windows "$1" '^Gaming Mouse$' | head -n 1)
    [ -n "$x11_main" ]
}

x11_geometry() {
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y $WIDTH $HEIGHT"
}

# The program's text files are UTF-16 with a byte order mark; these read and write them as UTF-8.
x11_read_utf16() {
    iconv -f UTF-16LE -t UTF-8 "$1" | tr -d '\r'
}
