#!/usr/bin/env bash
# The program in a real window: starts `quorvik --virtual-mouse` in its own Xvfb (1920 × 1080)
# with openbox, checks the main window's size and place (1127 × 740, centred) and that it is drawn,
# takes a picture of it, presses the virtual mouse's DPI button, sees the on-screen display appear
# at the bottom-right corner and go again 1.5 – 1.8 s later, closes the virtual mouse's panel and
# sees a later start bring it back, then ends the program with `quorvik --quit` and checks it
# ended with status 0.
#
#   tests/x11/program.sh [BUILD_DIR] [--screenshot FILE]     (default: build)
#
# --screenshot keeps the picture of the main window (PNG) in FILE.
# Needs xvfb-run (xvfb, xauth), openbox, xdotool, xprop (x11-utils) and import / identify
# (imagemagick). Exit 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail
x11_name=program
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

build=build
shot=""
while [ $# -gt 0 ]; do
    case "$1" in
    --screenshot)
        shot=$(realpath -m "$2")
        shift 2
        ;;
    *)
        build=$1
        shift
        ;;
    esac
done
build=$(realpath "$build")
program="$build/bin/quorvik"
[ -x "$program" ] || x11_fail "$program not built"
x11_need xdotool xprop import identify
x11_start_display "$0" "$build" ${shot:+--screenshot "$shot"}

export QT_QPA_PLATFORM=xcb # CI sets offscreen for the other tests
x11_session run
started=$SECONDS
"$program" --virtual-mouse 2>"$x11_scratch/stderr" &
pid=$!
x11_track "$pid"

x11_wait 20 x11_main_window "$pid" || x11_fail "no main window within 20 s"
main=$x11_main
panel=""
have_panel() {
    panel=$(x11_windows "$pid" '^Virtual mouse$' | head -n 1)
    [ -n "$panel" ]
}
x11_wait 10 have_panel || x11_fail "no virtual mouse panel"
echo "main window $main and panel after $((SECONDS - started)) s"

# 1127 × 740 at factor 1, centred on the 1920 × 1080 screen.
read -r x y w h <<<"$(x11_geometry "$main")"
[ "$w" = 1127 ] && [ "$h" = 740 ] || x11_fail "main window is ${w} × ${h}, not 1127 × 740"
[ "$x" = $(((1920 - 1127) / 2)) ] && [ "$y" = $(((1080 - 740) / 2)) ] ||
    x11_fail "main window at $x, $y, not centred"

# Drawn: the skinned window has hundreds of colours, a blank one a single colour. The first paint
# may still be on its way when the window maps; the battery shows from the first one-second tick.
sleep 1.2
picture="$x11_scratch/main-window.png"
colours=0
drawn() {
    import -window "$main" "$picture" 2>/dev/null || return 1
    colours=$(identify -format '%k' "$picture")
    [ "$colours" -ge 200 ]
}
x11_wait 10 drawn || x11_fail "main window not drawn ($colours colours)"
read -r pw ph <<<"$(identify -format '%w %h' "$picture")"
[ "$pw" = 1127 ] && [ "$ph" = 740 ] || x11_fail "picture is $pw × $ph"
echo "main window 1127 × 740 at $x, $y, drawn with $colours colours"
if [ -n "$shot" ]; then
    mkdir -p "$(dirname "$shot")"
    cp "$picture" "$shot"
    echo "picture kept in $shot"
fi

# The DPI button is the panel's first control: it has the keyboard focus once the panel is active.
before=$(x11_windows "$pid" | sort)
xdotool windowactivate --sync "$panel"
sleep 0.2
pressed=$(date +%s%N)
xdotool key space
osd=""
have_osd() {
    local win X Y W H
    for win in $(x11_windows "$pid"); do
        grep -qx "$win" <<<"$before" && continue
        read -r X Y W H <<<"$(x11_geometry "$win")"
        if [ "$W" = 180 ] && [ "$H" = 140 ]; then
            osd=$win
            osd_place="$X $Y"
            return 0
        fi
    done
    return 1
}
x11_wait 3 have_osd || x11_fail "no on-screen display after the DPI button"
shown=$(date +%s%N)
# Bottom-right corner of the work area (openbox reserves none on this screen: 1920 × 1080).
[ "$osd_place" = "1740 940" ] || x11_fail "on-screen display at $osd_place, not 1740 940"
osd_gone() { ! x11_windows "$pid" | grep -qx "$osd"; }
x11_wait 5 osd_gone || x11_fail "the on-screen display stayed"
gone=$(date +%s%N)
visible_ms=$(((gone - pressed) / 1000000))
echo "on-screen display 180 × 140 at 1740, 940: shown $(((shown - pressed) / 1000000)) ms after the press, gone after $visible_ms ms"
# 1.5 – 1.8 s after the change, plus the time xdotool takes to see it (about 0.1 s here).
[ "$visible_ms" -ge 1400 ] && [ "$visible_ms" -le 2300 ] ||
    x11_fail "the on-screen display was gone after $visible_ms ms, not 1.5 – 1.8 s"

# Closed by the window manager's close (Alt+F4 in openbox), the panel hides; a later start, which
# opens the program's window, brings it back.
xdotool windowactivate --sync "$panel"
xdotool key --clearmodifiers alt+F4
panel_closed() { [ -z "$(x11_windows "$pid" '^Virtual mouse$')" ]; }
x11_wait 5 panel_closed || x11_fail "the panel did not close"
kill -0 "$pid" 2>/dev/null || x11_fail "closing the panel ended the program"
"$program" || x11_fail "a later start failed"
x11_wait 5 have_panel || x11_fail "a later start did not bring the panel back"
echo "virtual mouse panel: closed, and back with a later start"

"$program" --quit || x11_fail "quorvik --quit found no running program"
ended() { ! kill -0 "$pid" 2>/dev/null; }
x11_wait 10 ended || x11_fail "the program did not end after --quit"
status=0
wait "$pid" || status=$?
[ "$status" = 0 ] || x11_fail "the program ended with status $status"
if [ -s "$x11_scratch/stderr" ]; then
    echo "its standard error:"
    sed 's/^/  /' "$x11_scratch/stderr"
fi
code=0
"$program" --quit || code=$?
[ "$code" = 1 ] || x11_fail "quorvik --quit with none running exited $code, not 1"
echo "program: passed (ended with status 0 after --quit, in $((SECONDS - started)) s)"
