#!/usr/bin/env bash
# The pictures of docs/images, taken from the built program as a person sees it: `quorvik
# --virtual-mouse` under Xvfb with openbox, at display factor 1 (a 1920 × 1080 screen) and 2
# (2600 × 1700), in English and in Chinese. For each: the main window as it opens (at factor 2
# with the virtual mouse's panel, which sits over the window's middle there), the button-function
# menu with its multimedia submenu, and the polling-rate page with the rate list open; and the
# macro manager after a recording, drawn by macroshot. In English at factor 1 also the Applications
# dialog with three rules, one of them for a profile since deleted.
#
#   tests/x11/pictures.sh [BUILD_DIR] [OUT_DIR]     (defaults: build, docs/images)
#
# Names: main-window.png, button-menu.png, rate-list.png, macro-manager.png, applications.png for
# English at factor 1; "-zh" for Chinese and "-2x" for factor 2 before ".png". Not a test: CTest
# does not run it.
# Needs xvfb-run (xvfb, xauth), openbox, xdotool, xprop (x11-utils) and ImageMagick.
set -euo pipefail
x11_name=pictures
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

build=$(realpath "${1:-build}")
out=$(realpath -m "${2:-$here/../../docs/images}")
program="$build/bin/quorvik"
[ -x "$program" ] || x11_fail "$program not built"
x11_need xdotool xprop import convert

# "-zh" for Chinese, "-2x" for factor 2.
suffix_of() {
    local lang=$1 factor=$2 s=""
    [ "$lang" = zh ] && s=-zh
    [ "$factor" = 2 ] && s=$s-2x
    echo "$s"
}

# Outside: one Xvfb for each screen, and the macro manager off screen.
if [ -z "${QV_PICTURES_SCREEN:-}" ]; then
    mkdir -p "$out"
    for screen in 1920x1080 2600x1700; do
        QV_PICTURES_SCREEN=$screen QV_X11_SCREEN=$screen "$0" "$build" "$out"
    done
    for factor in 1 2; do
        for lang in en zh; do
            chinese=()
            [ $lang = zh ] && chinese=(--chinese)
            QT_QPA_PLATFORM=offscreen "$build/bin/macroshot" --render "$out/macro-manager$(suffix_of $lang $factor).png" \
                --scale "$factor" "${chinese[@]}"
        done
    done
    echo "pictures: written to $out"
    exit 0
fi
x11_start_display "$0" "$build" "$out"

export QT_QPA_PLATFORM=xcb
factor=1
[ "$QV_PICTURES_SCREEN" = 2600x1700 ] && factor=2
# A point of the window in its units.
wx=0
wy=0
px() { echo $((wx + $1 * factor)); }
py() { echo $((wy + $1 * factor)); }
click_units() {
    xdotool mousemove --sync "$(px "$1")" "$(py "$2")"
    sleep 0.2
    xdotool click 1
    sleep 0.4
}
# The part of the screen from (x1, y1) to (x2, y2) in the window's units, margin included.
crop_units() {
    local file=$1 x1=$2 y1=$3 x2=$4 y2=$5
    import -window root "$x11_scratch/screen.png"
    convert "$x11_scratch/screen.png" -crop "$(((x2 - x1) * factor))x$(((y2 - y1) * factor))+$(px "$x1")+$(py "$y1")" \
        +repage -strip "$out/$file"
}
# The program's windows that appeared since `before` was taken, as "X Y W H" lines.
new_windows() {
    local win
    for win in $(x11_windows "$pid"); do
        grep -qx "$win" <<<"$before" || x11_geometry "$win"
    done
}

# The Applications dialog, at factor 1 (window units are pixels there). `tab_menu ROW ENTRY`
# chooses ENTRY of the right-click menu of the profile tab in row ROW; `open_applications` opens
# the dialog through the first tab's fifth entry and leaves its place and size in dx, dy, dw, dh.
dx=0
dy=0
tab_menu() {
    local row=$1 entry=$2 x=96 y=$((583 + $1 * 22 + 10)) top
    # The menu opens at the pointer, moved up where its five rows would pass the window's bottom.
    top=$((y < 740 - 6 - 5 * 26 ? y : 740 - 6 - 5 * 26))
    xdotool mousemove --sync "$(px $x)" "$(py $y)"
    sleep 0.2
    xdotool click 3
    sleep 0.4
    click_units $((x + 30)) $((top + entry * 26 + 13))
    sleep 0.3
}
open_applications() {
    before=$(x11_windows "$pid")
    tab_menu 0 4
    read -r dx dy dw dh <<<"$(new_windows | head -n 1)"
    [ -n "${dh:-}" ] || x11_fail "no Applications dialog"
}
dialog_click() {
    xdotool mousemove --sync $((dx + $1)) $((dy + $2))
    sleep 0.2
    xdotool click 1
    sleep 0.3
}
# Types `name` into the name field, chooses the profile menu's entry `entry`, and presses Add.
add_rule() {
    dialog_click 438 130
    xdotool type --delay 20 "$1"
    dialog_click 438 327
    dialog_click 438 $((340 + $2 * 26 + 13))
    dialog_click 372 364
}
# A window of an application, named as a game would be: a copy of xmessage under that name, with
# the process id a window manager reads.
open_app_window() {
    local name=$1 title=$2 window=""
    cp "$(command -v xmessage)" "$x11_scratch/$name"
    "$x11_scratch/$name" -name "$name" -title "$title" -geometry 200x60+0+0 "$title" >/dev/null 2>&1 &
    x11_track $!
    local app=$!
    x11_wait 10 sh -c "xdotool search --onlyvisible --classname '^$name\$' >/dev/null 2>&1" || x11_fail "$name did not open"
    window=$(xdotool search --onlyvisible --classname "^$name\$" | head -n 1)
    xprop -id "$window" -f _NET_WM_PID 32c -set _NET_WM_PID "$app"
}
applications_picture() {
    open_app_window supertuxkart "SuperTuxKart"
    open_app_window blender "Blender"
    xdotool windowactivate --sync "$x11_main" 2>/dev/null || true
    sleep 0.3
    open_applications
    add_rule steam_app_570 1
    add_rule firefox 2
    add_rule code 0
    dialog_click 26 52 # the switch
    dialog_click 504 416 # Close
    tab_menu 2 3 # the third profile's Delete: its rule now selects no profile shown
    open_applications
    import -window root "$x11_scratch/screen.png"
    convert "$x11_scratch/screen.png" -crop "${dw}x${dh}+${dx}+${dy}" +repage -strip "$out/applications.png"
    xdotool key Escape
    sleep 0.3
}

for lang in en zh; do
    x11_session "$lang"
    suffix=$(suffix_of $lang $factor)
    if [ $lang = zh ]; then
        mkdir -p "$x11_data"
        printf '\xff\xfe' >"$x11_data/LanSetting.ini"
        printf '[ChangeLanguage]\nLanguage=ZH\n' | iconv -f UTF-8 -t UTF-16LE >>"$x11_data/LanSetting.ini"
    fi
    "$program" --virtual-mouse 2>"$x11_scratch/stderr-$lang" &
    pid=$!
    x11_track "$pid"
    x11_wait 20 x11_main_window "$pid" || x11_fail "no main window"
    sleep 2 # the battery shows from the first one-second tick
    read -r wx wy ww wh <<<"$(x11_geometry "$x11_main")"
    import -window root "$x11_scratch/screen.png"
    convert "$x11_scratch/screen.png" -crop "${ww}x${wh}+${wx}+${wy}" +repage -strip "$out/main-window$suffix.png"

    # The button-function menu of the first selector (x 51 … 251, y 70 … 96), resting on its
    # eleventh entry (multimedia) until the submenu opens.
    before=$(x11_windows "$pid")
    click_units 150 83
    read -r mx my mw mh <<<"$(new_windows | head -n 1)"
    [ -n "${mh:-}" ] || x11_fail "no button menu"
    row=$((26 * factor))
    xdotool mousemove --sync $((mx + 30)) $((my + 10 * row + row / 2))
    sleep 0.6
    right=$((mx + mw))
    bottom=$((my + mh))
    while read -r sx sy sw sh; do
        [ $((sx + sw)) -gt $right ] && right=$((sx + sw))
        [ $((sy + sh)) -gt $bottom ] && bottom=$((sy + sh))
    done < <(new_windows)
    import -window root "$x11_scratch/screen.png"
    left=$(px 40)
    top=$(py 60)
    convert "$x11_scratch/screen.png" -crop "$((right - left + 8 * factor))x$((bottom - top + 8 * factor))+$left+$top" \
        +repage -strip "$out/button-menu$suffix.png"
    xdotool key Escape
    click_units 600 600 # the free area: the menus fold
    sleep 0.3

    # The polling-rate page under the DPI page, its list open: lighting's header (y 284) closes
    # lighting, the polling-rate header moves to y 318, its selector to y 362 … 388.
    click_units 976 299
    click_units 976 333
    click_units 976 375
    crop_units "rate-list$suffix.png" 838 42 1114 $((388 + 4 * 26 + 8))
    click_units 976 375

    if [ $lang = en ] && [ $factor = 1 ]; then
        applications_picture
    fi

    "$program" --quit || x11_fail "quorvik --quit found no running program"
    x11_wait 10 sh -c "! kill -0 $pid 2>/dev/null" || x11_fail "the program did not end"
done
echo "pictures at factor $factor: done"
