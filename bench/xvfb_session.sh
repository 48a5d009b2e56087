# shellcheck shell=bash
# Shared by the benchmarks and the tests that need an X server; source it, do not run it.
#
#   xvfb_start        starts a private Xvfb on a display number the server picks
#                     itself (so it never takes one that is in use), of
#                     LUMOX_XVFB_SCREEN (1024x768x24 unless set; 800x600x8 makes a
#                     display of 256 colours through a palette), checks that
#                     it answers, exports DISPLAY, and points XDG_RUNTIME_DIR and the per-user data
#                     and settings folders at a scratch folder, so that the
#                     programs under test touch nothing of the user's
#   xvfb_stop         stops that server and removes the scratch folder; the
#                     scripts call it from their EXIT trap
#   wait_for_hand_over PID SECONDS
#                     waits until the first window the process showed (the
#                     splash window) is gone and another one is visible, and
#                     prints the time of day then in seconds; fails when that
#                     has not happened within SECONDS or the process ended
#   proc_cpu_ticks PID   user plus system time of a process, in clock ticks
#   proc_rss_kb PID      resident set (VmRSS) of a process, in kilobytes
#   proc_status_kb PID FIELD   any kilobyte field of /proc/PID/status

XVFB_PID=
BENCH_SCRATCH=

xvfb_start() {
    BENCH_SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/lumox-bench-XXXXXX")
    chmod 700 "$BENCH_SCRATCH"
    export XDG_RUNTIME_DIR="$BENCH_SCRATCH/runtime"
    export XDG_DATA_HOME="$BENCH_SCRATCH/data"
    export XDG_CONFIG_HOME="$BENCH_SCRATCH/config"
    export XDG_CACHE_HOME="$BENCH_SCRATCH/cache"
    mkdir -m 700 "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM

    # Xvfb picks a free display number itself and writes it to the pipe once it
    # takes connections; DISPLAY of the environment is never used. A server that
    # then does not answer (another server starting at the same moment can take
    # its socket) is replaced by a new one.
    local fifo="$BENCH_SCRATCH/displayfd" number attempt
    mkfifo "$fifo"
    for attempt in 1 2 3; do
        Xvfb -displayfd 3 -screen 0 "${LUMOX_XVFB_SCREEN:-1024x768x24}" -nolisten tcp 3>"$fifo" >"$BENCH_SCRATCH/xvfb.log" 2>&1 &
        XVFB_PID=$!
        number=
        if ! read -r -t 20 number <"$fifo" || [ -z "$number" ]; then
            echo "xvfb_start: Xvfb did not start; its log:" >&2
            cat "$BENCH_SCRATCH/xvfb.log" >&2
            return 1
        fi
        if xdpyinfo -display ":$number" >/dev/null 2>&1; then
            export DISPLAY=":$number"
            return 0
        fi
        echo "xvfb_start: display :$number does not answer (attempt $attempt)" >&2
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    done
    return 1
}

xvfb_stop() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
    if [ -n "$BENCH_SCRATCH" ]; then
        rm -rf "$BENCH_SCRATCH"
        BENCH_SCRATCH=
    fi
}

wait_for_hand_over() {
    local pid=$1 limit=$2 first='' windows deadline line feed watcher stamp status=1 events
    deadline=$(awk -v s="$(date +%s.%N)" -v l="$limit" 'BEGIN { printf "%.3f\n", s + l }')
    # The X server says when a window is mapped, unmapped or destroyed (xev on the root
    # window), and only then is xdotool asked which windows the process shows: polling
    # xdotool instead would take processor time from the process being measured.
    events=$(mktemp -u "${BENCH_SCRATCH:-${TMPDIR:-/tmp}}/hand-over-XXXXXX")
    mkfifo "$events"
    xev -root -event substructure >"$events" 2>/dev/null &
    watcher=$!
    exec {feed}<"$events"
    rm -f "$events"
    # xev has chosen its events before it writes the first of them; give it that long. A
    # window shown meanwhile is found by the first look below.
    sleep 0.2
    stamp=$(date +%s.%N)
    while kill -0 "$pid" 2>/dev/null; do
        if [ -n "$stamp" ]; then
            windows=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null || true)
            if [ -z "$first" ] && [ -n "$windows" ]; then
                first=$(head -n 1 <<<"$windows")
            fi
            if [ -n "$first" ] && [ -n "$windows" ] && ! grep -qx "$first" <<<"$windows"; then
                echo "$stamp"
                status=0
                break
            fi
        fi
        if awk -v n="$(date +%s.%N)" -v d="$deadline" 'BEGIN { exit !(n > d) }'; then
            break
        fi
        stamp=
        if read -r -t 0.5 -u "$feed" line; then
            case $line in
            MapNotify* | UnmapNotify* | DestroyNotify*) stamp=$(date +%s.%N) ;;
            esac
        elif ! kill -0 "$watcher" 2>/dev/null; then
            # Without xev, look every 20 ms as before.
            sleep 0.02
            stamp=$(date +%s.%N)
        fi
    done
    kill "$watcher" 2>/dev/null || true
    wait "$watcher" 2>/dev/null || true
    exec {feed}<&-
    return "$status"
}

proc_cpu_ticks() {
    # Fields 14 and 15 of /proc/PID/stat; the command name (field 2) may hold
    # spaces, so count from the closing parenthesis.
    local stat
    stat=$(cat "/proc/$1/stat") || return 1
    stat=${stat##*) }
    awk '{ print $12 + $13 }' <<<"$stat"
}

proc_rss_kb() {
    proc_status_kb "$1" VmRSS
}

proc_status_kb() {
    awk -v field="$2:" '$1 == field { print $2 }' "/proc/$1/status"
}
