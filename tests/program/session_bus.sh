#!/usr/bin/env bash
# The installed way in: the program with its virtual mouse under a session bus of its own, seen
# by gdbus and by quorvikctl in other processes. Skips (77) without dbus-run-session or gdbus.
#   session_bus.sh BUILD_DIR
set -u
build=$(cd "${1:?build dir}" && pwd)
command -v dbus-run-session >/dev/null && command -v gdbus >/dev/null || exit 77
if [ -z "${QV_BUS_INSIDE:-}" ]; then
    export QV_BUS_INSIDE=1
    dbus-run-session -- "$0" "$@"
    exit $?
fi

work=$(mktemp -d)
program=
trap '[ -n "$program" ] && kill "$program" 2>/dev/null; wait; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen
mkdir -m 700 "$XDG_RUNTIME_DIR"
ctl=$build/bin/quorvikctl
fail() {
    echo "FAIL: $*"
    exit 1
}
call() {
    gdbus call --session -d org.quorvik.Quorvik -o /org/quorvik/Quorvik -m "$@"
}

"$build/bin/quorvik" --virtual-mouse >"$work/program.log" 2>&1 &
program=$!
for _ in $(seq 100); do
    gdbus introspect --session -d org.quorvik.Quorvik -o /org/quorvik/Quorvik >"$work/introspect.txt" 2>/dev/null && break
    sleep 0.05
done
grep -q 'interface org.quorvik.Quorvik1' "$work/introspect.txt" || fail "no interface on the bus"
for member in 'SetDpiLevel(in  i' 'readonly a(is) Profiles' 'readonly q Sensor' 'readonly u Dpi' \
    'AddAppRule(in  s' 'readonly a(si) AppRules' 'readwrite b AutoSwitch'; do
    grep -qF "$member" "$work/introspect.txt" || fail "introspection lacks $member"
done

# The battery the virtual mouse reports, on the bus and through quorvikctl alike.
[ "$(call org.freedesktop.DBus.Properties.Get org.quorvik.Quorvik1 Battery)" = "(<80>,)" ] || fail "Battery"
"$ctl" status --json | grep -q '"battery": 80' || fail "quorvikctl status through the program"

# SetDpiLevel(4): the DPI levels report (0x05) with the fourth level on current (the high half of
# byte 7 counts the current level from 1).
call org.quorvik.Quorvik1.SetDpiLevel 4 >/dev/null || fail "SetDpiLevel"
[ "$("$ctl" dpi --json | cut -c1-12)" = '{"level": 4,' ] || fail "level 4 is not current"
"$ctl" --virtual-mouse --trace "$work/trace.txt" profile list >/dev/null || fail "trace through the program"
awk '{print $3}' "$work/trace.txt" | grep -Eq '^0C0105[0-9A-F]{8}4' || fail "no report made level 4 current"

# A reset asked for with --yes is not asked again, and the 0F report reaches the mouse.
"$ctl" reset --yes 2>/dev/null || fail "reset through the program"
"$ctl" --virtual-mouse --trace "$work/trace.txt" profile list >/dev/null
awk '{print $3}' "$work/trace.txt" | grep -Eq '^0C010F' || fail "no factory reset report"

# The rules: added by quorvikctl through the program and by the bus, the switch set on the bus;
# each side sees what the other did.
"$ctl" app add firefox 1 2>/dev/null || fail "app add through the program"
call org.quorvik.Quorvik1.AddAppRule steam_app_570 2 >/dev/null || fail "AddAppRule"
gdbus call --session -d org.quorvik.Quorvik -o /org/quorvik/Quorvik \
    -m org.freedesktop.DBus.Properties.Set org.quorvik.Quorvik1 AutoSwitch '<true>' >/dev/null || fail "Set AutoSwitch"
[ "$(call org.freedesktop.DBus.Properties.Get org.quorvik.Quorvik1 AppRules)" = "(<[('firefox', 1), ('steam_app_570', 2)]>,)" ] ||
    fail "AppRules"
"$ctl" app list --json | grep -qF '{"autoSwitch": true, "rules": [{"match": "firefox", "slot": 1,' ||
    fail "app list through the program"
call org.quorvik.Quorvik1.RemoveAppRule nothing 2>&1 | grep -q 'org.quorvik.Quorvik1.Error.InvalidArgument' ||
    fail "RemoveAppRule of no rule is no error"

# An error by name, with words.
call org.quorvik.Quorvik1.SelectProfile 7 2>&1 | grep -q 'org.quorvik.Quorvik1.Error.InvalidArgument' ||
    fail "SelectProfile(7) is no error"
call org.quorvik.Quorvik1.Quit >/dev/null || fail "Quit"
for _ in $(seq 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.05
done
kill -0 "$program" 2>/dev/null && fail "the program did not end on Quit()"

# Without the program the tool reads the file the program wrote.
"$ctl" app remove STEAM_APP_570 2>/dev/null || fail "app remove on the rules file"
[ "$("$ctl" app list)" = "$(printf 'automatic switching: on\nfirefox\t1\tProfile 2\tfollowed')" ] ||
    fail "the rules file does not hold the program's rules"
echo "session bus: all checks passed"
