#!/usr/bin/env bash
# The window while the mouse takes a change, in a real window under Xvfb with openbox: clicks the
# DPI level 7 check, 150 ms later the level 8 check, 150 ms after that the closed Polling Rate
# header, and checks that all three took effect: both levels changed in the window and in the
# virtual mouse's trace (two DPI-levels reports), and the page opened. Meanwhile it watches
# _NET_ACTIVE_WINDOW: the write-progress window never becomes the active window. Last it reads
# the trace for the pacing: every command report of a download follows the one before it by at
# least 60 ms.
#
#   tests/x11/responsive.sh [BUILD_DIR]     (default: build)
#
# Needs xvfb-run (xvfb, xauth), openbox, xdotool, xprop (x11-utils) and import / compare
# (imagemagick). Exit 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail
x11_name=responsive
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

build=$(realpath "${1:-build}")
program="$build/bin/quorvik"
rects="$build/bin/control_rects"
[ -x "$program" ] || x11_fail "$program not built"
[ -x "$rects" ] || x11_fail "$rects not built"
x11_need xdotool xprop import compare
x11_start_display "$0" "$build"

# Where the controls are, at factor 1 (1920 × 1080): levels 7 and 8, the Polling Rate header now,
# and the polling-rate page's first radio once the header opened it.
level7=3266 level8=3267 header=3004 radio=3030
declare -A left top right bottom
while read -r id l t r b; do
    left[$id]=$l top[$id]=$t right[$id]=$r bottom[$id]=$b
done < <(XDG_RUNTIME_DIR="$x11_scratch" "$rects" "$build/bin" $level7 $level8 $header)
read -r _ rl rt rr rb < <(XDG_RUNTIME_DIR="$x11_scratch" "$rects" "$build/bin" --click $header $radio)

export QT_QPA_PLATFORM=xcb
x11_session run
trace="$x11_scratch/trace.txt"
"$program" --virtual-mouse --trace "$trace" 2>"$x11_scratch/stderr" &
pid=$!
x11_track "$pid"
x11_wait 20 x11_main_window "$pid" || x11_fail "no main window within 20 s"
main=$x11_main
read -r wx wy _ _ <<<"$(x11_geometry "$main")"
sleep 1.5 # the first paint and the download after the first scan
xdotool windowactivate --sync "$main" 2>/dev/null || true

centre() { # id → screen x y
    echo "$((wx + (left[$1] + right[$1]) / 2)) $((wy + (top[$1] + bottom[$1]) / 2))"
}
before="$x11_scratch/before.png"
after="$x11_scratch/after.png"
import -window root "$before"

# The active window, every 20 ms from just before the clicks until well after the last write.
active="$x11_scratch/active.txt"
(
    end=$((SECONDS + 3))
    while [ "$SECONDS" -lt "$end" ]; do
        xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed 's/.*# //'
        sleep 0.02
    done
) >"$active" &
watcher=$!
x11_track "$watcher"

click_at() {
    xdotool mousemove $1 $2 click 1
}
click_at $(centre $level7)
sleep 0.15
click_at $(centre $level8)
sleep 0.15
click_at $(centre $header)
wait "$watcher" || true
import -window root "$after"

# The page opened: where its first rate radio now is, the window changed.
crop() {
    convert "$1" -crop "$((rr - rl))x$((rb - rt))+$((wx + rl))+$((wy + rt))" +repage "$2"
}
crop "$before" "$x11_scratch/radio-before.png"
crop "$after" "$x11_scratch/radio-after.png"
differ=$(compare -metric AE "$x11_scratch/radio-before.png" "$x11_scratch/radio-after.png" null: 2>&1 || true)
[ "${differ%% *}" -gt 20 ] || x11_fail "the Polling Rate page did not open (the header's click was lost)"

# The progress window was shown, but the main window stayed the active one.
main_hex=$(printf '0x%x' "$main")
others=$(grep -v -i -x "$main_hex" "$active" | grep -v -x '0x0' | sort -u || true)
[ -z "$others" ] || x11_fail "another window became active during the writes: $others (main $main_hex)"

"$program" --quit || x11_fail "--quit failed"
x11_wait 10 sh -c "! kill -0 $pid 2>/dev/null" || x11_fail "the program did not end"
[ -s "$trace" ] || x11_fail "no trace written"

# Two DPI-levels reports (code 05): level 7 on (mask 7F), then level 8 on as well (FF).
masks=$(awk '{ if (substr($3, 5, 2) == "05") print substr($3, 17, 2) }' "$trace" | tr '\n' ' ')
[ "$masks" = "7F FF " ] || x11_fail "DPI-levels reports with masks '$masks', not '7F FF '"

# Command reports (everything but the status request, 20) keep at least 60 ms between them.
awk '
    substr($3, 5, 2) == "20" { next }
    { if (seen && $1 - last < 60) { print "only " ($1 - last) " ms before the report at " $1; bad = 1 }
      last = $1; seen = 1 }
    END { exit bad }
' "$trace" || x11_fail "reports closer than 60 ms"
echo "$x11_name: passed (levels 7 and 8 and the page header all took their clicks; the main window stayed active)"
