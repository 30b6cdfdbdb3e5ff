#!/usr/bin/env bash
# Profiles that follow the application where no window can be seen (no X server): the running
# processes are looked at instead. A process named like a rule selects its profile within 3 s,
# and its end brings back the profile chosen by hand.
#   appswitch_processes.sh BUILD_DIR
set -u
build=$(cd "${1:?build dir}" && pwd)
work=$(mktemp -d)
program=
game=
trap '[ -n "$game" ] && kill "$game" 2>/dev/null; [ -n "$program" ] && kill "$program" 2>/dev/null; wait; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
# No session bus, and none started on demand: a bus launched for this run could grab an X server
# that another test's window manager needs.
export DBUS_SESSION_BUS_ADDRESS=disabled:
mkdir -m 700 "$XDG_RUNTIME_DIR"
ctl=$build/bin/quorvikctl
fail() {
    echo "FAIL: $*"
    exit 1
}
current() {
    "$ctl" profile list --json | tr '{' '\n' | grep '"current": true' | sed 's/.*"slot": \([0-9]*\).*/\1/'
}
# Waits up to SECONDS for SLOT to be current; prints how long it took in ms.
wait_current() {
    local slot=$1 seconds=$2 started now
    started=$(date +%s%N)
    while :; do
        now=$(date +%s%N)
        [ "$(current)" = "$slot" ] && break
        [ $(((now - started) / 1000000)) -lt $((seconds * 1000)) ] || return 1
        sleep 0.05
    done
    echo $(((now - started) / 1000000))
}

data=$XDG_CONFIG_HOME/GamingMouseData20230810A/config
mkdir -p "$data"
{
    printf '\xff\xfe'
    printf '[Applications]\nAutoSwitch=1\nRule=2 qv-fake-game\n' | iconv -f UTF-8 -t UTF-16LE
} >"$data/apprules.ini"

"$build/bin/quorvik" --virtual-mouse >"$work/program.log" 2>&1 &
program=$!
for _ in $(seq 200); do
    [ "$(current 2>/dev/null)" = 0 ] && break
    sleep 0.05
done
[ "$(current)" = 0 ] || fail "the program did not start on slot 0"

cp "$(command -v sleep)" "$work/qv-fake-game"
"$work/qv-fake-game" 60 &
game=$!
took=$(wait_current 2 3) || fail "slot 2 did not become current within 3 s of the game's start (current: $(current))"
kill "$game"
wait "$game" 2>/dev/null
game=
back=$(wait_current 0 3) || fail "slot 0 did not come back within 3 s of the game's end (current: $(current))"
echo "passed: the game's profile after $took ms, the hand-chosen one back after $back ms"
