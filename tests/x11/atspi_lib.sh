# Shared by the scripts that read the program through AT-SPI (sourced after lib.sh, not run).
#
# atspi_need                 skips unless D-Bus, the accessibility bus and pyatspi are there
# atspi_start_session SCRIPT ARGS…  re-runs SCRIPT inside a D-Bus session of its own, once
#                            (before x11_start_display, so that the X server runs inside it)
# atspi_start_bus            starts the accessibility bus and switches Qt's bridge on
# atspi_start_program SCRIPT BUILD  all of the above for SCRIPT, then `quorvik --virtual-mouse`
#                            with a trace on the display: sets build, program, trace, pid and
#                            x11_main (its main window)
# atspi_check PID STEP…      runs atspi_check.py on process PID
# atspi_quit                 ends the program ($program, $pid) the way a user's second start does
# atspi_bursts TRACE         the command codes of the trace's reports, one line per burst (reports
#                            less than 400 ms apart), status reads left out

atspi_launcher=/usr/libexec/at-spi-bus-launcher
atspi_python=/usr/bin/python3

atspi_need() {
    x11_need dbus-run-session dbus-update-activation-environment xdotool
    [ -x "$atspi_launcher" ] || x11_skip "at-spi-bus-launcher missing (at-spi2-core)"
    "$atspi_python" -c 'import pyatspi' 2>/dev/null || x11_skip "pyatspi missing (python3-pyatspi)"
}

atspi_start_session() {
    if [ -z "${QV_DBUS_INSIDE:-}" ]; then
        export QV_DBUS_INSIDE=1
        exec dbus-run-session -- "$@"
    fi
}

atspi_start_bus() {
    # The session bus started before the X server: what it starts (the accessibility bus and its
    # registry) must find the display.
    dbus-update-activation-environment DISPLAY XAUTHORITY >/dev/null 2>&1 ||
        x11_fail "the session bus took no display"
    "$atspi_launcher" --launch-immediately >/dev/null 2>&1 &
    x11_track $!
    # Qt asks the session whether a screen reader runs; here one always does.
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
    x11_wait 10 sh -c 'dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1' ||
        x11_fail "the accessibility bus did not start"
}

atspi_start_program() {
    build=$(realpath "$2")
    program="$build/bin/quorvik"
    [ -x "$program" ] || x11_fail "$program not built"
    atspi_need
    atspi_start_session "$1" "$build"
    x11_start_display "$1" "$build"
    atspi_start_bus

    export QT_QPA_PLATFORM=xcb
    x11_session run
    trace="$x11_scratch/trace"
    "$program" --virtual-mouse --trace "$trace" 2>"$x11_scratch/stderr" &
    pid=$!
    x11_track "$pid"
    x11_wait 20 x11_main_window "$pid" || x11_fail "no main window within 20 s"
}

atspi_check() {
    "$atspi_python" "$here/atspi_check.py" "$@"
}

atspi_quit() {
    "$program" --quit || x11_fail "quorvik --quit found no running program"
    ended() { ! kill -0 "$pid" 2>/dev/null; }
    x11_wait 10 ended || x11_fail "the program did not end after --quit"
    wait "$pid" || x11_fail "the program ended with status $?"
    [ -s "$trace" ] || x11_fail "no trace written"
}

atspi_bursts() {
    awk '{ code = substr($3, 5, 2); if (code == "20") next;
           if (n && $1 - last > 400) printf "\n"; else if (n) printf " ";
           printf "%s", code; last = $1; n++ } END { printf "\n" }' "$1" | sed '/^$/d'
}
