#!/usr/bin/env bash
# The program's benchmarks, in an Xvfb of their own (1920 × 1080) with openbox:
#   startup  bench_startup on xcb and on offscreen: process start to first paint and peak
#            resident memory, against a bare Qt Widgets window (15 runs each)
#   latency  bench_edit_latency: click to first byte at the virtual mouse, 200 edits
#   stall    bench_stall: the main thread's largest delay during whole-profile downloads, against
#            as long with the window idle
#   idle     CPU time of the running program over 60 s with its window hidden: (1) with the
#            virtual mouse, the window closed to the tray by its close button; (2) without a
#            mouse, NeedPassword=2 (the window never opens); beside them the baseline: a bare Qt
#            Widgets window hidden after its first paint, with one do-nothing 100 ms timer (the
#            least a hidden program that keeps the keep-hidden timer can cost)
#
#   bench/program.sh [BUILD_DIR] [startup] [latency] [stall] [idle]     (default: build, all four)
#
# Figures vary with the machine's load: each part prints the load average it ran at.
set -euo pipefail
x11_name=bench
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/x11/lib.sh"

build=build
parts=()
for arg in "$@"; do
    case "$arg" in
    startup | latency | stall | idle) parts+=("$arg") ;;
    *) build=$arg ;;
    esac
done
[ ${#parts[@]} -gt 0 ] || parts=(startup latency stall idle)
build=$(realpath "$build")
bin="$build/bin"
x11_need xdotool xprop
x11_start_display "$0" "$build" "${parts[@]}"
load() { cut -d' ' -f1 /proc/loadavg; }
# Whether process $1 shows its main window (1127 × 740; its other windows share the title).
main_shown() {
    local win
    for win in $(x11_windows "$1" '^Gaming Mouse$'); do
        [ "$(x11_geometry "$win" | cut -d' ' -f3-)" = "1127 740" ] && return 0
    done
    return 1
}

# CPU seconds used so far by process $1 and its threads: user + system time from /proc/PID/stat
# (clock ticks), and the scheduler's nanosecond count of each thread ("thread-id ns" lines).
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
cpu_ns() {
    local task
    for task in /proc/"$1"/task/*; do
        echo "${task##*/} $(cut -d' ' -f1 "$task/schedstat" 2>/dev/null || echo 0)"
    done
}
# Nanoseconds between two cpu_ns samples, thread by thread: a thread that ended in between (an
# idle pool thread of Qt's expires after 30 s) takes nothing away, one that began counts whole.
cpu_ns_between() {
    awk 'NR == FNR { before[$1] = $2; next } { s += $2 - ($1 in before ? before[$1] : 0) } END { printf "%d", s }' \
        <(echo "$1") <(echo "$2")
}

idle_case() {
    local name=$1 pid=$2 seconds=60
    local hz t0 t1 n0 n1
    hz=$(getconf CLK_TCK)
    t0=$(cpu_ticks "$pid")
    n0=$(cpu_ns "$pid")
    sleep "$seconds"
    kill -0 "$pid" || x11_fail "$name: the program ended"
    t1=$(cpu_ticks "$pid")
    n1=$(cpu_ns "$pid")
    awk -v name="$name" -v s="$seconds" -v hz="$hz" -v dt=$((t1 - t0)) -v dn="$(cpu_ns_between "$n0" "$n1")" \
        -v loadavg="$(load)" 'BEGIN {
        printf "%s: %.0f ms of CPU in %d s = %.3f %% of one core (utime+stime %d ticks = %.3f %%), load average %s\n",
            name, dn / 1e6, s, dn / 1e7 / s, dt, dt * 100 / hz / s, loadavg }'
}

for part in "${parts[@]}"; do
    case "$part" in
    startup)
        echo "== start-up (load average $(load))"
        QT_QPA_PLATFORM=xcb "$bin/bench_startup" --runs 15
        QT_QPA_PLATFORM=offscreen "$bin/bench_startup" --runs 15
        ;;
    latency)
        echo "== edit latency (load average $(load))"
        x11_session latency
        QT_QPA_PLATFORM=offscreen "$bin/bench_edit_latency" --edits 200
        ;;
    stall)
        echo "== main-thread stall during downloads (load average $(load))"
        x11_session stall
        QT_QPA_PLATFORM=xcb "$bin/bench_stall" --downloads 5
        ;;
    idle)
        echo "== idle, window hidden (load average $(load))"
        export QT_QPA_PLATFORM=xcb
        x11_session idle-tray
        "$bin/quorvik" --virtual-mouse 2>/dev/null &
        pid=$!
        x11_track "$pid"
        x11_wait 20 x11_main_window "$pid" || x11_fail "no main window"
        main=$x11_main
        xdotool mousemove --window "$main" 1106 17 click 1 # the close button: hidden, still open for use
        sleep 5
        ! main_shown "$pid" || x11_fail "the window did not hide"
        idle_case "virtual mouse, window closed to the tray (panel open)" "$pid"
        "$bin/quorvik" --quit

        x11_session idle-hidden
        "$bin/quorvikctl" --data-dir "$x11_data/.." status >/dev/null 2>&1 || true # creates the data folder
        iconv -f UTF-16LE -t UTF-8 "$x11_data/config.ini" | sed 's/^NeedPassword=[0-9]*/NeedPassword=2/' |
            iconv -f UTF-8 -t UTF-16LE >"$x11_data/config.ini.new"
        mv "$x11_data/config.ini.new" "$x11_data/config.ini"
        "$bin/quorvik" 2>/dev/null &
        pid=$!
        x11_track "$pid"
        sleep 5
        ! main_shown "$pid" || x11_fail "the window opened"
        idle_case "no mouse, NeedPassword=2, window never shown" "$pid"
        "$bin/quorvik" --quit

        "$bin/bench_bare_window" --idle-tick 100 &
        pid=$!
        x11_track "$pid"
        sleep 5
        idle_case "baseline: bare Qt Widgets window, hidden, one 100 ms timer" "$pid"
        kill "$pid"
        ;;
    esac
done
