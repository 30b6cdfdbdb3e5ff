#!/usr/bin/env bash
# Key capture under a real X server: starts keycapture_probe in Xvfb, types keys into it with
# xdotool (through XTEST, as a keyboard would) and checks the virtual-key codes the keyboard hook
# posted: left and right Shift, Ctrl, Alt and Win apart, a held key reported once. The last key
# typed is F12, after the held key's release: the probe stops at its release, so every event the
# hook posted in between (a repeat of the held key would be one) is compared too. The X server
# must have repeated the held key, or the check proves nothing and fails. The probe keeps its main
# thread busy for 2 s after the held key's press: the pause between the press and the release the
# hook posted must still be the time the key was held.
#
#   tests/x11/keycapture.sh [BUILD_DIR]     (default: build)
#
# Needs xvfb-run (package xvfb, with xauth) and xdotool. Without a DISPLAY it starts its own
# Xvfb through xvfb-run. Exit 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail

build=${1:-build}
probe="$build/bin/keycapture_probe"
if [ ! -x "$probe" ]; then
    echo "keycapture: $probe not built" >&2
    exit 1
fi
for tool in xdotool; do
    command -v "$tool" >/dev/null || { echo "keycapture: $tool missing, skipped"; exit 77; }
done
if [ -z "${DISPLAY:-}" ]; then
    command -v xvfb-run >/dev/null || { echo "keycapture: xvfb-run missing, skipped"; exit 77; }
    # A display number of its own to start from: two xvfb-run -a started together may pick the same.
    exec xvfb-run -a -n $((200 + RANDOM % 500)) -s "-screen 0 1024x768x24" "$0" "$@"
fi

export QT_QPA_PLATFORM=xcb # CI sets offscreen for the other tests
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"
out=$(mktemp)
trap 'rm -f "$out"; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true' EXIT

# Keys go by X keycode (Xvfb's evdev keymap): xdotool given a right-hand modifier by name
# presses the left one with it.
keys=(50 62 37 105 64 108 133 134 71 10)
expected=(
    "press 0xA0" "release 0xA0" # 50 Shift_L
    "press 0xA1" "release 0xA1" # 62 Shift_R
    "press 0xA2" "release 0xA2" # 37 Control_L
    "press 0xA3" "release 0xA3" # 105 Control_R
    "press 0xA4" "release 0xA4" # 64 Alt_L
    "press 0xA5" "release 0xA5" # 108 Alt_R / AltGr
    "press 0x5B" "release 0x5B" # 133 Super_L
    "press 0x5C" "release 0x5C" # 134 Super_R
    "press 0x74" "release 0x74" # 71 F5
    "press 0x31" "release 0x31" # 10 the 1 key
    "press 0x41" "release 0x41" # 38 a, held long enough for the server's auto-repeat
    "press 0x7B" "release 0x7B" # 96 F12, typed last: the probe stops at its release
)
"$probe" 0x7B >"$out" &
pid=$!

wid=""
for _ in $(seq 1 100); do
    wid=$(xdotool search --name '^quorvik-keycapture$' 2>/dev/null | head -n 1 || true)
    [ -n "$wid" ] && grep -q '^ready$' "$out" && break
    sleep 0.1
done
if [ -z "$wid" ]; then
    echo "keycapture: the probe's window did not appear" >&2
    exit 1
fi
xset r on 2>/dev/null || true
xdotool windowfocus --sync "$wid"
sleep 0.3
for key in "${keys[@]}"; do
    xdotool keydown "$key" keyup "$key"
done
xdotool keydown 38
sleep 1.2 # the X server repeats a held key after about 660 ms
xdotool keyup 38
xdotool keydown 96 keyup 96

status=0
wait "$pid" || status=$?
pid=""
got=()
presses=0
held=""
while IFS= read -r line; do
    case "$line" in
    ready) ;;
    "window-system presses "*) presses=${line#window-system presses } ;;
    "held-ms "*) held=${line#held-ms } ;;
    *) got+=("$line") ;;
    esac
done <"$out"
if [ "$status" -ne 0 ] || [ "${got[*]}" != "${expected[*]}" ]; then
    echo "keycapture: FAILED (probe exit $status)"
    echo "expected: ${expected[*]}"
    echo "got:      ${got[*]}"
    exit 1
fi
typed=$((${#expected[@]} / 2))
if [ "$presses" -le "$typed" ]; then
    echo "keycapture: FAILED: the X server did not repeat the held key ($presses presses for $typed keys)"
    exit 1
fi
# A was held 1.2 s (and the time xdotool takes to start) while the probe was busy for 2 s: the
# pause between its press and release is the keys' own, not the time the busy window handled them.
if [ -z "$held" ] || [ "$held" -lt 1150 ] || [ "$held" -gt 1700 ]; then
    echo "keycapture: FAILED: A held 1.2 s while the window was busy 2 s gave ${held:-no} ms between its events"
    exit 1
fi
echo "keycapture: passed (${#got[@]} key events, left and right apart, a held key once of $presses presses, held ${held} ms while the window was busy 2 s)"
