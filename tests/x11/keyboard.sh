#!/usr/bin/env bash
# The program used with the keyboard alone, typed with xdotool, with AT-SPI telling where the
# focus is: Tab from the start to the second button selector, Enter opens its menu, the arrows
# and Enter choose the middle button's function (one button report, 04); Tab on to the first DPI
# level check, Space turns it off (one DPI-levels report, 05); Tab to the macro manager's button,
# Space opens the manager, where a new macro is made, recorded (every key kept, Pause stops) and
# the manager closed with Escape: the library file holds the macro's keys complete. Five wheel
# notches on the debounce slider then write one debounce report (0A) with five steps' change.
#
#   tests/x11/keyboard.sh [BUILD_DIR]     (default: build)
#
# Needs what tests/x11/accessibility.sh needs. Exit 0 passed, 1 failed, 77 skipped.
set -euo pipefail
x11_name=keyboard
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
. "$here/atspi_lib.sh"

atspi_start_program "$0" "${1:-build}"
main=$x11_main
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 1.2 # the first scan's download and status read

# Where the focus is, asked of AT-SPI: "role|name".
coproc ATSPI { "$atspi_python" "$here/atspi_check.py" "$pid" keys; }
x11_track "$ATSPI_PID"
focus() {
    echo "focus?" >&"${ATSPI[1]}"
    local answer
    read -r -t 10 answer <&"${ATSPI[0]}" || x11_fail "AT-SPI did not answer"
    echo "$answer"
}
tabs=0
# Tab (or the key in $2) until the focus is on the control named $1.
tab_to() {
    local key=${2:-Tab} i answer
    for i in $(seq 1 80); do
        xdotool key "$key"
        tabs=$((tabs + 1))
        answer=$(focus)
        [ "${answer#*|}" = "$1" ] && return 0
    done
    x11_fail "Tab never reached '$1' (last: $answer)"
}
gap() { sleep 0.5; } # parts the bursts of reports of two steps
# Waits until the focus is on a control whose role matches $1 (a window that opens takes a moment).
wait_role() {
    local i answer
    for i in $(seq 1 100); do
        answer=$(focus)
        [[ "${answer%%|*}" =~ ^($1)$ ]] && return 0
        sleep 0.05
    done
    x11_fail "the focus never reached a $1 (last: $answer)"
}

tab_to "Right Button"
echo "the second button selector after $tabs Tabs"
xdotool key Return
sleep 0.3
xdotool key Down Down Down
sleep 0.1
xdotool key Return
gap
tab_to "DPI level 1"
echo "the first DPI level check after $tabs Tabs"
xdotool key space
gap
tab_to "Macro Manager"
xdotool key space
sleep 0.5
tab_to "New Macro"
xdotool key space
wait_role "text|entry" # the name dialog's field
xdotool type --delay 30 Keys
xdotool key Return
sleep 0.3
tab_to "Record"
xdotool key space
sleep 0.2
# Keys the window would otherwise take: Tab, Space and the arrows are the macro's now.
xdotool key --delay 60 a Tab space Left b
sleep 0.2
xdotool key Pause
sleep 0.2
xdotool key Escape
sleep 0.4
echo "focus after the manager closed: $(focus)"

# Five notches on the debounce slider: its page opened with the keyboard, the pointer over it.
tab_to "Key Debounce"
xdotool key space
sleep 0.3
echo "where slider|Debounce time" >&"${ATSPI[1]}"
read -r -t 10 sx sy <&"${ATSPI[0]}" || x11_fail "AT-SPI did not answer"
[ "$sx" != none ] || x11_fail "no debounce slider"
xdotool mousemove --sync "$sx" "$sy"
# One xdotool for the five notches: five processes started under load could leave a gap longer
# than the slider's 200 ms rest between two of them.
xdotool click --repeat 5 --delay 50 4
sleep 0.6

exec {ATSPI[1]}>&-
atspi_quit
bursts=$(atspi_bursts "$trace")
echo "reports in bursts (status reads left out):"
echo "$bursts" | sed 's/^/  /'
echo "$bursts" | grep -qx "04" || x11_fail "the menu's choice did not write one button report"
echo "$bursts" | grep -qx "05" || x11_fail "Space on the DPI level check did not write one 05 report"
last=$(echo "$bursts" | tail -n 1)
[ "$last" = "0A" ] || x11_fail "five wheel notches wrote '$last', not one 0A report"
debounce=$(awk '{ if (substr($3, 5, 2) == "0A") v = substr($3, 15, 2) } END { print v }' "$trace")
echo "the debounce report carries $((16#$debounce)) ms (12 ms + 5 × 2 ms expected)"
[ "$((16#$debounce))" = 22 ] || x11_fail "the debounce report carries $((16#$debounce)) ms"

# The macro as the library file keeps it: its events without the delays, code and press flag.
library="$x11_data/MacroLibraryFile.mlf"
[ -f "$library" ] || x11_fail "no macro library file"
events=$(x11_read_utf16 "$library" | awk -F= '/MacroItemName=Keys/ { found = 1 } found && /AllAction=/ { print $2; exit }' |
    fold -w 8 | awk '{ if (substr($0, 1, 2) != "03" && $0 != "00000000") print substr($0, 1, 4) }' | tr '\n' ' ')
echo "recorded events (code, flag): $events"
[ "$events" = "4100 4180 0900 0980 2000 2080 2500 2580 4200 4280 " ] ||
    x11_fail "the recorded macro is not a, Tab, Space, Left, b, each pressed and released"
echo "keyboard: passed"
