#!/usr/bin/env bash
# The main window under a window manager, clicked as a person clicks it: a report rate chosen from
# the rate selector's list reaches the virtual mouse as quickly as one chosen with a rate button
# (within 100 ms of the click); a quick click on the window's free area leaves the window where it
# is, and the pointer moving afterwards takes nothing along; a drag on the free area moves the
# window, and a click on a control after the drag still works.
#
#   tests/x11/window.sh [BUILD_DIR]     (default: build)
#
# Runs `quorvik --virtual-mouse --trace FILE` in its own Xvfb (1920 × 1080) with openbox, driven by
# xdotool. Needs xvfb-run (xvfb, xauth), openbox, xdotool and xprop (x11-utils). Exit 0 passed,
# 1 failed, 77 skipped (a tool is missing).
set -euo pipefail
x11_name=window
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

build=$(realpath "${1:-build}")
program="$build/bin/quorvik"
[ -x "$program" ] || x11_fail "$program not built"
x11_need xdotool xprop
x11_start_display "$0" "$build"

export QT_QPA_PLATFORM=xcb # CI sets offscreen for the other tests
x11_session run
trace="$x11_scratch/trace"
"$program" --virtual-mouse --trace "$trace" 2>"$x11_scratch/stderr" &
pid=$!
x11_track "$pid"
x11_wait 20 x11_main_window "$pid" || x11_fail "no main window within 20 s"
main=$x11_main
sleep 1.5 # the first scan's download and status read
read -r wx wy _ _ <<<"$(x11_geometry "$main")"

# A point of the window in its 1127 × 740 units (display factor 1 on this screen).
at() { echo $((wx + $1)) $((wy + $2)); }
# Moves there, rests, and clicks; clicked_at is the time of the click itself.
clicked_at=0
click_at() {
    # shellcheck disable=SC2046
    xdotool mousemove --sync $(at "$1" "$2")
    sleep 0.15
    clicked_at=$(now_ms)
    xdotool click 1
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# The settings column at x 846: the DPI and lighting pages start open. Lighting's header (y 284)
# closes it; the polling-rate header then sits at y 318, and opening it leaves DPI open above it.
click_at 976 299
sleep 0.3
click_at 976 333
sleep 0.3
# The rate page's content starts at y 352: the rate buttons (125, 250, 500, 1000 Hz) 60 units
# apart at y 398 … 422, the selector at y 362 … 388 with its list of 26-unit rows below it.
click_at $((846 + 12 + 60 + 28)) 410 # 250 Hz
radio_clicked=$clicked_at
sleep 1
click_at 976 375
sleep 0.5
click_at 976 $((388 + 3 * 26 + 13)) # 1000 Hz
list_clicked=$clicked_at
sleep 0.5

# A quick click on the free area between the buttons panel and the mouse picture, then the
# pointer moves away: the window must not follow it.
read -r bx by _ _ <<<"$(x11_geometry "$main")"
# shellcheck disable=SC2046
xdotool mousemove --sync $(at 310 600) click 1
sleep 0.3
# shellcheck disable=SC2046
xdotool mousemove --sync $(at 360 640)
sleep 0.3
# shellcheck disable=SC2046
xdotool mousemove --sync $(at 420 660)
sleep 0.3
read -r ax ay _ _ <<<"$(x11_geometry "$main")"
[ "$ax $ay" = "$bx $by" ] || x11_fail "a quick click on the free area left the window following the pointer: $bx $by → $ax $ay"
echo "a quick click on the free area: the window stays at $ax, $ay"

# A drag on the free area moves the window with the pointer.
# shellcheck disable=SC2046
xdotool mousemove --sync $(at 310 600) mousedown 1
sleep 0.2
for step in 10 20 40 60 80; do
    # shellcheck disable=SC2046
    xdotool mousemove --sync $(at $((310 + step)) $((600 + step / 2)))
    sleep 0.05
done
sleep 0.2
xdotool mouseup 1
sleep 0.5
read -r dx dy _ _ <<<"$(x11_geometry "$main")"
moved_x=$((dx - ax))
moved_y=$((dy - ay))
# The move starts where the pointer passed the few pixels that tell a drag from a click: the
# window trails the pointer by the first step (10, 5 here).
[ "$moved_x" -ge 65 ] && [ "$moved_x" -le 85 ] && [ "$moved_y" -ge 30 ] && [ "$moved_y" -le 45 ] ||
    x11_fail "a drag of 80, 40 on the free area moved the window by $moved_x, $moved_y"
echo "a drag of 80, 40 on the free area: the window moved by $moved_x, $moved_y"
wx=$dx
wy=$dy
# The window takes clicks again: a rate button after the drag reaches the mouse.
click_at $((846 + 12 + 28)) 410 # 125 Hz
sleep 0.5

"$program" --quit || x11_fail "quorvik --quit found no running program"
ended() { ! kill -0 "$pid" 2>/dev/null; }
x11_wait 10 ended || x11_fail "the program did not end after --quit"
wait "$pid" || x11_fail "the program ended with status $?"
[ -s "$trace" ] || x11_fail "no trace written"

# The report-rate commands (command byte 0x07) in the order received, with their interval (byte 7):
# 250 Hz is 4 ms, 1000 Hz 1 ms, 125 Hz 8 ms.
rates=$(awk '{ if (substr($3, 5, 2) == "07") print $1, substr($3, 15, 2) }' "$trace")
echo "report-rate commands (ms, interval):" $rates
read -r radio_ms radio_rate list_ms list_rate last_ms last_rate <<<"$(echo $rates)" || true
[ "${radio_rate:-}" = 04 ] || x11_fail "the 250 Hz button sent no report rate (got: $rates)"
[ "${list_rate:-}" = 01 ] || x11_fail "the list's 1000 Hz never reached the mouse (got: $rates)"
[ "${last_rate:-}" = 08 ] || x11_fail "the 125 Hz button after the drag sent nothing (got: $rates)"
# Both on the mouse's clock: the list's report came as soon after its click as the button's did
# after its own, give or take the click's own timing.
list_latency=$(((list_ms - radio_ms) - (list_clicked - radio_clicked)))
echo "the list's choice reached the mouse $list_latency ms later after its click than the 250 Hz button's did after its own (negative: sooner)"
[ "$list_latency" -le 100 ] || x11_fail "the list's choice took $list_latency ms longer than a rate button's"
echo "window: passed"
