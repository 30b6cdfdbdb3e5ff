#!/usr/bin/env bash
# Profiles that follow the application in use, under Xvfb with openbox: two small X clients of
# their own window classes (xmessage -name) have rules for slots 1 and 2, a third has none. Slots
# 1 and 2 are made to differ from slot 0 in their current DPI level only, so that a switch sends
# exactly one DPI-levels report. The check:
#   - activating each ruled client makes its slot current within 500 ms after the 300 ms of
#     settling, with one DPI-levels report and nothing else;
#   - activating the client without a rule brings the slot chosen by hand back;
#   - ten alternations in one second end on the right slot with at most two downloads.
#
#   tests/x11/appswitch.sh [BUILD_DIR]     (default: build)
#
# Needs xvfb-run (xvfb, xauth), openbox, xdotool, xprop and xmessage (x11-utils), iconv.
# Exit 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail
x11_name=appswitch
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

build=$(realpath "${1:-build}")
program="$build/bin/quorvik"
ctl="$build/bin/quorvikctl"
[ -x "$program" ] || x11_fail "$program not built"
[ -x "$ctl" ] || x11_fail "$ctl not built"
x11_need xdotool xprop xmessage iconv
x11_start_display "$0" "$build"

export QT_QPA_PLATFORM=xcb
x11_session run
mkdir -p "$x11_data"
{
    printf '\xff\xfe'
    printf '[Applications]\nAutoSwitch=1\nRule=1 qvclienta\nRule=2 QVCLIENTB\n' | iconv -f UTF-8 -t UTF-16LE
} >"$x11_data/apprules.ini"

trace="$x11_scratch/trace.txt"
"$program" --virtual-mouse --trace "$trace" 2>"$x11_scratch/stderr" &
pid=$!
x11_track "$pid"
x11_wait 20 x11_main_window "$pid" || x11_fail "no main window within 20 s: $(cat "$x11_scratch/stderr")"
sleep 1.5 # the first paint and the download after the first scan

# Slot 1 on DPI level 3, slot 2 on level 4, slot 0 chosen by hand last.
for step in "profile select 1" "dpi 3" "profile select 2" "dpi 4" "profile select 0"; do
    # shellcheck disable=SC2086
    "$ctl" $step 2>/dev/null || x11_fail "quorvikctl $step failed"
done

current() {
    "$ctl" profile list --json | tr '{' '\n' | grep '"current": true' | sed 's/.*"slot": \([0-9]*\).*/\1/'
}
[ "$(current)" = 0 ] || x11_fail "slot 0 is not current after the set-up"
# Slot 0's DPI level as the DPI-levels report tells it (its factory level).
level0=$("$ctl" dpi --json | sed 's/^{"level": \([0-9]*\),.*/\1/')

# Three clients; each window is found by its class's first part, the name it was given.
xmessage -name qvclienta -geometry 300x80+100+700 "client a" >/dev/null 2>&1 &
x11_track $!
xmessage -name qvclientb -geometry 300x80+500+700 "client b" >/dev/null 2>&1 &
x11_track $!
xmessage -name qvother -geometry 300x80+900+700 "no rule" >/dev/null 2>&1 &
x11_track $!
window_of() {
    x11_wait 10 sh -c "xdotool search --onlyvisible --classname '^$1\$' >/dev/null 2>&1" || x11_fail "$1 did not open"
    xdotool search --onlyvisible --classname "^$1\$" 2>/dev/null | head -n 1
}
a=$(window_of qvclienta)
b=$(window_of qvclientb)
other=$(window_of qvother)
# The clients took the focus as they opened: the switching comes to rest on the one without a rule.
xdotool windowactivate "$other" 2>/dev/null
sleep 1
[ "$(current)" = 0 ] || x11_fail "slot 0 is not current with the client without a rule active"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# The command reports the virtual mouse received so far (status requests left out), one
# "CODE:N" a line, N the high nibble of byte 7 (for DPI-levels reports: the current level + 1).
seen=0
reports_since_last() {
    local snap="$x11_scratch/snap.txt" all
    "$ctl" --virtual-mouse --trace "$snap" status >/dev/null 2>"$x11_scratch/ctl.err" || x11_fail "quorvikctl --trace status failed: $(cat "$x11_scratch/ctl.err")"
    all=$(awk '{ c = substr($3, 5, 2); if (c != "20") print c ":" substr($3, 15, 1) }' "$snap")
    echo "$all" | tail -n +$((seen + 1)) | tr '\n' ' ' | sed 's/ $//'
}
count_reports() {
    local snap="$x11_scratch/snap.txt"
    "$ctl" --virtual-mouse --trace "$snap" status >/dev/null 2>"$x11_scratch/ctl.err" || x11_fail "quorvikctl --trace status failed: $(cat "$x11_scratch/ctl.err")"
    awk '{ if (substr($3, 5, 2) != "20") n++ } END { print n + 0 }' "$snap"
}
wait_current() { # slot
    x11_wait 3 sh -c "[ \"\$('$ctl' profile list --json | tr '{' '\n' | grep '\"current\": true' | sed 's/.*\"slot\": \([0-9]*\).*/\1/')\" = $1 ]"
}

# Activates WINDOW, waits for SLOT to be current and checks that one DPI-levels report with LEVEL
# (1-based) was all the mouse got; prints how long the switch took in ms.
switch_to() {
    local window=$1 slot=$2 level=$3 started got
    started=$(now_ms)
    xdotool windowactivate "$window" 2>/dev/null
    wait_current "$slot" || x11_fail "slot $slot did not become current (current: $(current))"
    local took=$(($(now_ms) - started))
    sleep 0.3 # the download after the switch
    got=$(reports_since_last)
    [ "$got" = "05:$level" ] || x11_fail "the switch to slot $slot sent '$got', not one DPI-levels report '05:$level'"
    seen=$(count_reports)
    echo "$took"
}

seen=$(count_reports)
took_a=$(switch_to "$a" 1 3)
seen=$(count_reports)
took_b=$(switch_to "$b" 2 4)
seen=$(count_reports)
took_other=$(switch_to "$other" 0 "$level0")
seen=$(count_reports)
for took in "$took_a" "$took_b" "$took_other"; do
    [ "$took" -le 800 ] || x11_fail "a switch took $took ms (300 ms settling + at most 500 ms)"
done

# Ten alternations in one second, ending on client b.
for i in 1 2 3 4 5; do
    xdotool windowactivate "$a" 2>/dev/null
    sleep 0.1
    xdotool windowactivate "$b" 2>/dev/null
    sleep 0.1
done
wait_current 2 || x11_fail "the alternation did not end on slot 2 (current: $(current))"
sleep 0.5
after=$(reports_since_last)
count=$(echo "$after" | wc -w)
[ "$count" -ge 1 ] && [ "$count" -le 2 ] || x11_fail "the alternation sent '$after' (one or two downloads expected)"
case " $after " in
*" 05:4 ") ;;
*) x11_fail "the alternation's last report is not slot 2's level: '$after'" ;;
esac

"$program" --quit || x11_fail "--quit failed"
x11_wait 10 sh -c "! kill -0 $pid 2>/dev/null" || x11_fail "the program did not end"
echo "$x11_name: passed (switches took $took_a, $took_b and $took_other ms; the alternation sent: $after)"
