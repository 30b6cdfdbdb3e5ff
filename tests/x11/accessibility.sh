#!/usr/bin/env bash
# The program as a screen reader sees it, through AT-SPI: the main window's tree names the button
# selectors by their function, the DPI level checks with their states, the lighting speed slider
# with its value, the page headers shown with their expanded state and the profile tabs; pressing
# a DPI level check through AT-SPI writes exactly one DPI-levels report (05) to the mouse; the
# button-function menu, opened through AT-SPI, lists its 16 entries.
#
#   tests/x11/accessibility.sh [BUILD_DIR]     (default: build)
#
# Runs `quorvik --virtual-mouse --trace FILE` in its own Xvfb with openbox, in a D-Bus session of
# its own with the accessibility bus, Qt's bridge switched on. Needs xvfb-run, openbox, xdotool,
# dbus-run-session (dbus), at-spi-bus-launcher (at-spi2-core) and pyatspi (python3-pyatspi).
# Exit 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail
x11_name=accessibility
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
. "$here/atspi_lib.sh"

atspi_start_program "$0" "${1:-build}"
sleep 1.5 # the first scan's download and status read

atspi_check "$pid" tree || x11_fail "the main window's tree"
sleep 0.8 # a pause that parts the reports of the start from the press's
atspi_check "$pid" press-dpi || x11_fail "pressing a DPI level check"
sleep 0.8
atspi_check "$pid" menu || x11_fail "the button-function menu"
xdotool key Escape
sleep 0.3

atspi_quit
bursts=$(atspi_bursts "$trace")
echo "reports in bursts (status reads left out):"
echo "$bursts" | sed 's/^/  /'
press=$(echo "$bursts" | tail -n 1) # the menu writes nothing: the last burst is the press's
[ "$press" = "05" ] || x11_fail "the press wrote '$press', not one 05 report"
echo "accessibility: passed"
