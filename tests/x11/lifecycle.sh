#!/usr/bin/env bash
# The program as processes, in its own Xvfb with openbox; every case is a fresh desktop session
# (its own XDG_RUNTIME_DIR, XDG_CONFIG_HOME and TMPDIR):
#  - a second start makes the running one handle the open request (its window, hidden by its close
#    button, shows again) and exits 0;
#  - a start beside a running one that does not answer (stopped) says so and exits 1;
#  - after `kill -9` of the running one (its socket is left behind) a new start becomes the
#    instance; `quorvik --quit` exits 0 and ends it, and exits 1 when none runs;
#  - SIGTERM, SIGINT, `quorvik --quit` and the end of the desktop session (a test session manager
#    asks the program to save for a shutdown) while a save is pending: an edit made by a click on
#    a power-saving check has gone to the virtual mouse and its save is 10 s away; the program
#    ends with status 0 and the profile file then holds the edit, complete (99 lines, the one line
#    changed, readable by quorvikctl).
#
#   tests/x11/lifecycle.sh [BUILD_DIR]     (default: build)
#
# Needs xvfb-run (xvfb, xauth), openbox, xdotool and xprop (x11-utils); the session-end case needs
# bin/x11_session_manager (built where libsm-dev is installed) and is left out without it.
# Exit 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail
x11_name=lifecycle
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

build=$(realpath "${1:-build}")
program="$build/bin/quorvik"
ctl="$build/bin/quorvikctl"
manager="$build/bin/x11_session_manager"
[ -x "$program" ] && [ -x "$ctl" ] || x11_fail "$program or $ctl not built"
x11_need xdotool xprop iconv
x11_start_display "$0" "$build"

export QT_QPA_PLATFORM=xcb # CI sets offscreen for the other tests
unset SESSION_MANAGER
started=$SECONDS

# Main-window points (client pixels at factor 1): the close button, the two power-saving checks.
close_button=(1106 17)
light_on_motion=(130 449)
wake_on_motion=(130 479)

main=""
# Waits for the main window of process $1.
wait_main() {
    x11_wait 20 x11_main_window "$1" || x11_fail "no main window of process $1 within 20 s"
    main=$x11_main
}
main_hidden() { [ -z "$(x11_windows "$1" '^Gaming Mouse$')" ]; }
ended() { ! kill -0 "$1" 2>/dev/null; }
click() { xdotool mousemove --window "$main" "$1" "$2" click 1; }
# The status a background process ended with, in $status (it must end within 10 s).
status=0
status_of() {
    x11_wait 10 ended "$1" || x11_fail "process $1 did not end"
    status=0
    wait "$1" || status=$?
}
pair() { x11_read_utf16 "$x11_data/default0.psf" | grep -E "^$1=" || true; }

# ---- a second start opens the running one's window ----
x11_session open
"$program" --virtual-mouse 2>/dev/null &
first=$!
x11_track "$first"
wait_main "$first"
click "${close_button[@]}"
x11_wait 5 main_hidden "$first" || x11_fail "the close button did not hide the window"
t0=$(date +%s%N)
code=0
timeout 10 "$program" || code=$?
second_ms=$((($(date +%s%N) - t0) / 1000000))
[ "$code" = 0 ] || x11_fail "the second start exited $code, not 0"
shown() { [ -n "$(x11_windows "$first" '^Gaming Mouse$')" ]; }
x11_wait 5 shown || x11_fail "the open request did not show the first one's window"
kill -0 "$first" || x11_fail "the first instance ended"
echo "second start: exit 0 after $second_ms ms; the first one's hidden window came back"

# ---- a running one that does not answer: the next start says so and exits 1 ----
kill -STOP "$first"
code=0
timeout 20 "$program" 2>"$x11_scratch/stopped.stderr" || code=$?
kill -CONT "$first"
[ "$code" = 1 ] || x11_fail "a start beside a stopped instance exited $code, not 1"
grep -q "does not answer" "$x11_scratch/stopped.stderr" ||
    x11_fail "a start beside a stopped instance did not say why: $(cat "$x11_scratch/stopped.stderr")"
kill -0 "$first" || x11_fail "the stopped instance ended"
echo "a stopped instance: the next start says it does not answer and exits 1"

# ---- a killed instance leaves its socket; the next start takes over ----
socket=$(find "$XDG_RUNTIME_DIR" -type s | head -n 1)
[ -n "$socket" ] || x11_fail "no instance socket in XDG_RUNTIME_DIR"
disown "$first" # its end by SIGKILL is expected: no job report
kill -9 "$first"
x11_wait 10 ended "$first" || x11_fail "kill -9 did not end the first one"
[ -S "$socket" ] || x11_fail "the killed instance left no socket (nothing to check)"
"$program" --virtual-mouse 2>/dev/null &
third=$!
x11_track "$third"
wait_main "$third"
kill -0 "$third" || x11_fail "the start after kill -9 did not stay"
code=0
"$program" --quit || code=$?
[ "$code" = 0 ] || x11_fail "--quit with one running exited $code, not 0"
status_of "$third"
[ "$status" = 0 ] || x11_fail "the instance ended with status $status after --quit"
code=0
"$program" --quit || code=$?
[ "$code" = 1 ] || x11_fail "--quit with none running exited $code, not 1"
echo "after kill -9: a new start became the instance; --quit exits 0 and ends it (status 0), then 1"

# ---- an exit request while a save is pending ----
# $1 case name, $2 "x y" of the check to click, $3 pair name, $4 value before, $5 after, $6 how
# to end: TERM, INT, quit (`quorvik --quit`) or session.
pending_save() {
    local name=$1 point=$2 key=$3 before=$4 after=$5 how=$6
    x11_session "$name"
    local trace="$x11_scratch/$name.trace" sm_pid=""
    if [ "$how" = session ]; then
        coproc SM { exec "$manager" 30; }
        sm_pid=$SM_PID
        x11_track "$sm_pid"
        local line
        read -r -t 5 -u "${SM[0]}" line || x11_fail "the session manager did not start"
        export "${line?}" # SESSION_MANAGER=…
    fi
    "$program" --virtual-mouse --trace "$trace" 2>"$x11_scratch/$name.stderr" &
    local pid=$!
    x11_track "$pid"
    wait_main "$pid"
    unset SESSION_MANAGER
    if [ -n "$sm_pid" ]; then
        read -r -t 10 -u "${SM[0]}" line && [ "$line" = registered ] ||
            x11_fail "$name: the program did not register with the session manager ($line)"
    fi
    sleep 1 # the download that follows the first scan
    local old="$x11_scratch/$name.before"
    x11_read_utf16 "$x11_data/default0.psf" >"$old"
    [ "$(pair "$key")" = "$key=$before" ] || x11_fail "$name: the profile starts with $(pair "$key")"
    # shellcheck disable=SC2086
    click $point
    sleep 1 # the 20 ms download has run; the save waits 10 s
    [ "$(pair "$key")" = "$key=$before" ] || x11_fail "$name: saved before the exit request (nothing pending)"
    case "$how" in
    TERM | INT) kill -s "$how" "$pid" ;;
    quit) "$program" --quit || x11_fail "$name: quorvik --quit found no running program" ;;
    session)
        echo end >&"${SM[1]}"
        read -r -t 10 -u "${SM[0]}" line && [ "$line" = "saved 1" ] ||
            x11_fail "$name: the program did not report its save to the session manager ($line)"
        ;;
    esac
    status_of "$pid"
    [ "$status" = 0 ] || x11_fail "$name: the program ended with status $status"

    local new="$x11_scratch/$name.after"
    x11_read_utf16 "$x11_data/default0.psf" >"$new"
    local lines changed
    lines=$(wc -l <"$new")
    [ "$lines" = 99 ] || x11_fail "$name: the saved profile has $lines lines, not 99"
    changed=$(diff "$old" "$new" | grep -E '^[<>]' | tr '\n' ' ' || true)
    [ "$changed" = "< $key=$before > $key=$after " ] ||
        x11_fail "$name: the saved profile differs by: $changed"
    "$ctl" --data-dir "$x11_data/.." reports --slot 0 >/dev/null ||
        x11_fail "$name: quorvikctl cannot read the saved profile"
    [ -z "$(find "$x11_data" -name '*.unreadable' -o -name '*.tmp*')" ] ||
        x11_fail "$name: left $(find "$x11_data" -name '*.unreadable' -o -name '*.tmp*')"
    # The edit reached the mouse before the exit (the trace is written as the program ends).
    local code
    code=$(printf '%02X' "$7")
    grep -Eq "^[0-9]+ [a-z]+ ....$code" "$trace" || x11_fail "$name: the mouse never received command 0x$code"
    echo "$name: the pending edit ($key=$after) saved, 99 lines, readable; exit 0"
}

pending_save sigterm "${wake_on_motion[*]}" MotionWakeup 1 0 TERM 0x0C
pending_save sigint "${light_on_motion[*]}" MoveLightingOnOffMode 0 1 INT 0x0B
pending_save quit "${light_on_motion[*]}" MoveLightingOnOffMode 0 1 quit 0x0B
if [ -x "$manager" ]; then
    pending_save session-end "${wake_on_motion[*]}" MotionWakeup 1 0 session 0x0C
else
    echo "session end: not checked ($manager not built: it needs libsm-dev)"
fi
echo "lifecycle: passed in $((SECONDS - started)) s"
