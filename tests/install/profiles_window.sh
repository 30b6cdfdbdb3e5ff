#!/usr/bin/env bash
# The profiles panel of the installed program through its real window, as a user works it: on a
# virtual X display with a window manager, the program started with the virtual mouse; a profile
# added, renamed, selected and deleted, one exported and imported, with xdotool clicking the
# controls where the window draws them and typing into the name and file dialogs. After each step
# the data folder's config.ini and profile files (.psf) are read back.
#
# Usage: tests/install/profiles_window.sh PREFIX     (PREFIX/bin/quorvik: an installed program)
# Needs: Xvfb, openbox, xprop (x11-utils), xdotool, iconv. Exit code 0: every check passed; 1: a check failed;
# 77: a tool is missing (skipped); 2: bad arguments. Takes about 20 seconds, most of it the
# program's delayed save after a select.
set -uo pipefail

prefix=${1:-}
if [ -z "$prefix" ] || [ ! -x "$prefix/bin/quorvik" ]; then
    echo "usage: $0 PREFIX   (with PREFIX/bin/quorvik installed)" >&2
    exit 2
fi
prefix=$(cd "$prefix" && pwd)
for tool in Xvfb openbox xprop xdotool iconv cmp; do
    command -v "$tool" > /dev/null || {
        echo "profiles_window: $tool is missing: skipped" >&2
        exit 77
    }
done

. "$(dirname "$0")/lib.sh"
give_up() {
    echo "FAIL: $*" >&2
    echo "profiles window: $checks checks, $((failed + 1)) failed"
    exit 1
}
# until SECONDS COMMAND...: runs the command every 0.1 s until it succeeds; false after SECONDS.
until_true() {
    local tries=$(($1 * 10))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# ---- a display of 1920 x 1080 (display scale 1) with a window manager ----
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
pids+=($!)
until_true 10 display_written "$work/display" || give_up "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(cat "$work/display")
openbox > "$work/openbox.log" 2>&1 &
pids+=($!)
until_true 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id"' ||
    give_up "openbox did not start: $(cat "$work/openbox.log")"

# ---- the program, on a fresh data folder ----
export HOME=$work/home
export XDG_CONFIG_HOME=$work/config-home
XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$work/files"
chmod 700 "$XDG_RUNTIME_DIR"
export XDG_RUNTIME_DIR
data=$XDG_CONFIG_HOME/GamingMouseData20230810A/config
cd "$work" || exit 1
env -u QT_QPA_PLATFORM "$prefix/bin/quorvik" --virtual-mouse > "$work/quorvik.log" 2>&1 &
gui=$!
pids+=($gui)

# The program's visible top-level windows named $1, one id per line.
windows_named() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$gui" 2> /dev/null); do
        [ "$(xdotool getwindowname "$w" 2> /dev/null)" = "$1" ] && echo "$w"
    done
}
# Waits for a visible window named $1 other than the main window; prints its id.
wait_dialog() {
    local w
    for _ in $(seq 100); do
        for w in $(windows_named "$1"); do
            [ "$w" != "${main:-}" ] && { echo "$w"; return 0; }
        done
        sleep 0.1
    done
    return 1
}
wait_gone() { until_true 10 sh -c "! xdotool search --onlyvisible --pid $gui 2> /dev/null | grep -qx '$1'"; }
# Waits for the program's visible window of W x H pixels (a popup menu has no name); prints
# "id x y".
wait_window_of_size() {
    local w
    for _ in $(seq 50); do
        for w in $(xdotool search --onlyvisible --pid "$gui" 2> /dev/null); do
            eval "$(xdotool getwindowgeometry --shell "$w" 2> /dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
            if [ "${WIDTH:-}" = "$1" ] && [ "${HEIGHT:-}" = "$2" ]; then
                echo "$w $X $Y"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}
# Gives the keyboard to window $1 (the window manager does so for a new dialog; this waits for it).
focus() {
    until_true 3 sh -c "[ \"\$(xdotool getwindowfocus 2> /dev/null)\" = '$1' ]" && return 0
    xdotool windowactivate --sync "$1" > /dev/null 2>&1
    until_true 3 sh -c "[ \"\$(xdotool getwindowfocus 2> /dev/null)\" = '$1' ]"
}

step "the main window"
main=""
for _ in $(seq 200); do
    main=$(windows_named "Gaming Mouse" | head -n 1)
    [ -n "$main" ] && break
    sleep 0.1
done
[ -n "$main" ] || give_up "no main window appeared: $(cat "$work/quorvik.log")"
eval "$(xdotool getwindowgeometry --shell "$main" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
# The window is 1127 x 740 units; its width gives the display scale.
scale=$(awk -v w="$win_w" 'BEGIN { printf "%.4f", w / 1127 }')
echo "main window $main at $win_x,$win_y, ${win_w}x$win_h (scale $scale)"
check "the window is 1127 x 740 units" test "$(awk -v h="$win_h" -v s="$scale" 'BEGIN { printf "%d", h / s + 0.5 }')" = 740
px() { awk -v u="$1" -v s="$scale" 'BEGIN { printf "%d", u * s + 0.5 }'; }
# click BUTTON UX UY: a click at a point of the window given in units
click() {
    xdotool mousemove --sync $((win_x + $(px "$2"))) $((win_y + $(px "$3"))) click "$1"
}

# The profiles panel in units: tab rows from 583, 22 apart and 20 high; the tabs span 44 … 148,
# the buttons 154 … 258 (Add, Rename, Import, Export, Apply, top to bottom).
row_y() { echo $((583 + $1 * 22 + 10)); }
tab_x=96
button_x=206
# The tab's context menu: 160 units wide, five rows of 26 (Import, Export, Rename, Delete,
# Applications…).
menu_w=$(px 160)
menu_h=$(px 130)

# ini_value FILE KEY: the value of KEY in a UTF-16 file of the data folder
ini_value() { iconv -f UTF-16 -t UTF-8 "$1" 2> /dev/null | tr -d '\r' | sed -n "s/^$2=//p" | head -n 1; }
config() { ini_value "$data/config.ini" "$1"; }
config_is() { [ "$(config "$1")" = "$2" ]; }
slot_name() { ini_value "$data/default$1.psf" ProfileName; }
name_is() { [ "$(slot_name "$1")" = "$2" ]; }
show_list() { echo "$(config ProfileShowList0) $(config ProfileShowList1) $(config ProfileShowList2) $(config ProfileShowList3) $(config ProfileShowList4)"; }
# The data folder's files as they are now, to compare after a step.
snapshot() {
    rm -rf "$work/snap-$1"
    mkdir -p "$work/snap-$1"
    cp "$data"/config.ini "$data"/default?.psf "$work/snap-$1/"
}
unchanged() { # unchanged SNAPSHOT FILE: the file is as it was in the snapshot
    cmp -s "$work/snap-$1/$2" "$data/$2"
}

# Opens the context menu of the tab at show-list row $1 and chooses entry $2.
menu_choice() {
    click 3 "$tab_x" "$(row_y "$1")"
    local menu
    menu=$(wait_window_of_size "$menu_w" "$menu_h") || give_up "no context menu on the tab at row $1"
    read -r menu_id menu_x menu_y <<< "$menu"
    # Inside the main window, as every menu of the program.
    check "the context menu of row $1 lies inside the window ($menu_x,$menu_y)" \
        test "$menu_x" -ge "$win_x" -a "$menu_y" -ge "$win_y" -a $((menu_x + menu_w)) -le $((win_x + win_w)) \
        -a $((menu_y + menu_h)) -le $((win_y + win_h))
    xdotool mousemove --sync $((menu_x + menu_w / 2)) $((menu_y + $2 * $(px 26) + $(px 13))) click 1
    wait_gone "$menu_id"
}
# Answers the open name dialog with a name: the field's text replaced, then Enter.
answer_name() {
    local dialog
    dialog=$(wait_dialog "Gaming Mouse") || give_up "no name dialog ($1)"
    focus "$dialog" || give_up "the name dialog did not get the keyboard"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 15 "$1"
    xdotool key Return
    wait_gone "$dialog" || give_up "the name dialog stayed open"
}
# Answers the open file dialog titled $1 with the full path $2.
answer_file() {
    local dialog
    dialog=$(wait_dialog "$1") || give_up "no file dialog \"$1\""
    focus "$dialog" || give_up "the file dialog did not get the keyboard"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 5 "$2"
    sleep 0.2 # the name field's completer follows the typing
    xdotool key Return
    wait_gone "$dialog" || give_up "the file dialog \"$1\" stayed open"
}

step "factory state"
until_true 10 test -f "$data/default4.psf" || give_up "no profile files in $data"
check "three profiles shown" test "$(config ProfileShowCount)" = 3
check "profile 0 in use" test "$(config CurrentProfile)" = 0
snapshot start

step "add a profile"
click 1 "$button_x" "$(row_y 0)"
answer_name "Work"
check "config.ini shows four profiles" until_true 5 config_is ProfileShowCount 4
check "slot 3 is the new profile: $(slot_name 3)" name_is 3 "Work"
check "the new profile is not made current" test "$(config CurrentProfile)" = 0
for s in 0 1 2 4; do
    check "add left default$s.psf as it was" unchanged start "default$s.psf"
done
snapshot added

step "rename it through its tab's context menu"
menu_choice 3 2
answer_name "Office"
check "slot 3 is renamed" until_true 5 name_is 3 "Office"
check "rename left config.ini as it was" unchanged added config.ini
for s in 0 1 2 4; do
    check "rename left default$s.psf as it was" unchanged added "default$s.psf"
done
snapshot renamed

step "select it"
click 1 "$tab_x" "$(row_y 3)"
# The choice reaches config.ini with the download's delayed save, 10 s later.
check "config.ini has profile 3 in use" until_true 15 config_is CurrentProfile 3
for s in 0 1 2 3 4; do
    check "select wrote no profile: default$s.psf as it was" unchanged renamed "default$s.psf"
done
snapshot selected

step "delete another profile through its tab's context menu"
menu_choice 1 3
check "config.ini shows three profiles" until_true 5 config_is ProfileShowCount 3
check "slot 1 moved to the end of the show list: $(show_list)" test "$(show_list)" = "0 2 3 4 1"
check "the deleted profile's file is kept" unchanged selected default1.psf
check "profile 3 still in use" test "$(config CurrentProfile)" = 3

step "export the profile in use"
snapshot deleted
exported=$work/files/office.psf
click 1 "$button_x" "$(row_y 3)"
answer_file "Export Profile" "$exported"
check "the exported file is the profile in use" until_true 5 cmp -s "$exported" "$data/default3.psf"
for f in config.ini default0.psf default1.psf default2.psf default3.psf default4.psf; do
    check "export left $f as it was" unchanged deleted "$f"
done

step "import it into another slot through its tab's context menu"
# Rows now: slot 0, slot 2, slot 3. Slot 2 takes the exported profile.
menu_choice 1 0
answer_file "Import Profile" "$exported"
check "slot 2's file equals the imported one" until_true 5 cmp -s "$exported" "$data/default2.psf"
check "slot 2 is named after the imported profile: $(slot_name 2)" test "$(slot_name 2)" = "Office"
for f in default0.psf default1.psf default3.psf default4.psf; do
    check "import left $f as it was" unchanged deleted "$f"
done
check "import left the show list: $(show_list)" test "$(show_list) $(config ProfileShowCount)" = "0 2 3 4 1 3"

step "quit"
env -u QT_QPA_PLATFORM "$prefix/bin/quorvik" --quit
check "the program ended on --quit" until_true 10 sh -c "! kill -0 $gui 2> /dev/null"

echo "profiles window: $checks checks, $failed failed"
[ "$failed" -eq 0 ]
