#!/usr/bin/env bash
# CPU time and wake-ups of the program left alone, banners rotating, against the bare window
# (bench_minimal_window: one frameless window holding one text label), in the same run.
# Targets:
#   - CPU time (user plus system, all threads) over the program's first 60 s is at most 1.5
#     times the bare window's over its own first 60 s;
#   - after start-up, the program wakes at most once per banner change.
#
#   idle_cpu.sh [PROGRAM] [SECONDS] [BARE_PROGRAM] [ROUNDS]
#
# Each round runs both programs at the same time, each on a private Xvfb of its own so that
# neither window covers the other, for SECONDS (60 unless given) from its own start. Neither
# starts before both X servers have settled, and the one that starts second waits 4 s more,
# so that no two start-ups compete for the processor; which one goes first alternates from
# round to round. The CPU figures compared are the medians over ROUNDS (3 unless given).
#
# CPU time is the scheduler's running time of the process's threads, read from /proc in
# nanoseconds (the clock ticks of /proc/PID/stat are too coarse for some 40 ms). Wake-ups are
# the times a thread of the program went to sleep and was woken again (its voluntary context
# switches), counted over whole banner intervals: from half an interval after the second
# banner change after the hand-over to the main window, to half an interval after the last
# change that the run still holds, so that the number of changes in between is exact.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
program=${1:-$here/../build/default/app/Lumox2k}
seconds=${2:-60}
bare=${3:-$here/../build/default/bench/startup/bench_minimal_window}
rounds=${4:-3}
cpu_ratio_limit=1.5
banner_interval=1.75
stagger=4
settle=2

# shellcheck source=bench/xvfb_session.sh
source "$here/xvfb_session.sh"

for file in "$program" "$bare"; do
    if [ ! -x "$file" ]; then
        echo "idle_cpu: $file is not built" >&2
        exit 2
    fi
done
if ! awk -v s="$seconds" -v i="$banner_interval" 'BEGIN { exit !(s >= 8 * i) }'; then
    echo "idle_cpu: SECONDS must be at least $(awk -v i="$banner_interval" 'BEGIN { print 8 * i }')" >&2
    exit 2
fi

results=$(mktemp -d "${TMPDIR:-/tmp}/lumox-idle-XXXXXX")
trap 'rm -rf "$results"' EXIT

now() { date +%s.%N; }

# Sleeps until the given time of day in seconds (at once when it has passed).
sleep_until() {
    sleep "$(awk -v t="$1" -v n="$(now)" 'BEGIN { r = t - n; printf "%.3f\n", (r > 0 ? r : 0) }')"
}

# Nanoseconds the scheduler has run the live threads of a process.
runtime_ns() {
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%.0f\n", sum }'
}

# Voluntary context switches of one thread, and of all live threads of a process.
thread_wakeups() {
    awk '/^voluntary_ctxt_switches:/ { print $2 }' "/proc/$1/task/$1/status"
}
process_wakeups() {
    cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches:/ { sum += $2 } END { print sum }'
}

# Runs one program on its own Xvfb after DELAY seconds and writes its figures, as
# "name value" lines, to FILE. With "program" as KIND it also waits for the hand-over to the
# main window and counts the wake-ups over whole banner intervals.
measure() {
    local kind=$1 executable=$2 delay=$3 file=$4 pid='' started handed_over from to
    trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; xvfb_stop' EXIT
    xvfb_start || exit 1
    # Both X servers start together, each in its own job; neither program starts before
    # both have settled. Started at once, the first program's start-up shared the
    # processor with the other server's and took about 12 ms more of it.
    sleep "$settle"
    sleep "$delay"
    started=$(now)
    "$executable" >"$file.log" 2>&1 &
    pid=$!
    if [ "$kind" = program ]; then
        if ! handed_over=$(wait_for_hand_over "$pid" 20); then
            echo "idle_cpu: the main window did not replace the splash window within 20 s" >&2
            cat "$file.log" >&2
            exit 1
        fi
        echo "handover $(awk -v h="$handed_over" -v s="$started" 'BEGIN { print h - s }')" >>"$file"
        echo "startup_ns $(runtime_ns "$pid")" >>"$file"
        # The banner timer starts as the main window is made, just before it shows.
        from=$(awk -v h="$handed_over" -v i="$banner_interval" 'BEGIN { printf "%.3f\n", h + 2.5 * i }')
        to=$(awk -v f="$from" -v s="$started" -v t="$seconds" -v i="$banner_interval" \
            'BEGIN { n = int((s + t - f) / i); printf "%.3f %d\n", f + n * i, n }')
        sleep_until "$from"
        echo "wakeups_from $(thread_wakeups "$pid") $(process_wakeups "$pid")" >>"$file"
        sleep_until "${to% *}"
        echo "wakeups_to $(thread_wakeups "$pid") $(process_wakeups "$pid")" >>"$file"
        echo "banner_changes ${to#* }" >>"$file"
    fi
    sleep_until "$(awk -v s="$started" -v t="$seconds" 'BEGIN { printf "%.3f\n", s + t }')"
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "idle_cpu: $executable ended before the measurement was over" >&2
        cat "$file.log" >&2
        exit 1
    fi
    echo "total_ns $(runtime_ns "$pid")" >>"$file"
    echo "threads $(find /proc/"$pid"/task -mindepth 1 -maxdepth 1 | wc -l)" >>"$file"
}

echo "idle CPU: $rounds round(s) of $seconds s each, the program against the bare window"
for round in $(seq "$rounds"); do
    if [ $((round % 2)) -eq 1 ]; then program_delay=0 bare_delay=$stagger; else program_delay=$stagger bare_delay=0; fi
    measure program "$program" "$program_delay" "$results/program.$round" &
    program_job=$!
    measure bare "$bare" "$bare_delay" "$results/bare.$round" &
    bare_job=$!
    status=0
    wait "$program_job" || status=1
    wait "$bare_job" || status=1
    [ "$status" -eq 0 ] || exit 1
    awk -v round="$round" -v i="$banner_interval" '
        FNR == NR { p[$1] = $2; if ($1 ~ /^wakeups/) q[$1] = $3; next }
        { b[$1] = $2 }
        END {
            mw = p["wakeups_to"] - p["wakeups_from"]; aw = q["wakeups_to"] - q["wakeups_from"]
            printf "  round %d: program %.1f ms CPU (%.1f ms up to the hand-over at %.2f s, %d threads), bare window %.1f ms CPU (%d threads)\n",
                round, p["total_ns"] / 1e6, p["startup_ns"] / 1e6, p["handover"], p["threads"], b["total_ns"] / 1e6, b["threads"]
            printf "           wake-ups over %d banner changes: main thread %d, all threads %d\n",
                p["banner_changes"], mw, aw
        }' "$results/program.$round" "$results/bare.$round"
done

awk -v limit="$cpu_ratio_limit" -v seconds="$seconds" '
    function median(a, n,    i, j, t) {
        for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
        return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
    }
    FILENAME ~ /program/ && $1 == "total_ns" { pc[++np] = $2 / 1e6 }
    FILENAME ~ /program/ && $1 == "startup_ns" { ps[++ns] = $2 / 1e6 }
    FILENAME ~ /program/ && $1 == "wakeups_from" { f = $3 }
    FILENAME ~ /program/ && $1 == "wakeups_to" { w += $3 - f }
    FILENAME ~ /program/ && $1 == "banner_changes" { c += $2 }
    FILENAME ~ /bare/ && $1 == "total_ns" { bc[++nb] = $2 / 1e6 }
    END {
        program = median(pc, np); bare = median(bc, nb); startup = median(ps, ns)
        ratio = program / bare
        printf "  medians: program %.1f ms CPU (%.1f ms of it up to the hand-over), bare window %.1f ms\n", program, startup, bare
        verdict = ratio <= limit ? "PASS" : "FAIL"
        printf "%s idle_cpu: %.1f ms CPU over the first %d s against %.1f ms for the bare window, ratio %.2f (target: at most %.1f)\n",
            verdict, program, seconds, bare, ratio, limit
        wverdict = w <= c ? "PASS" : "FAIL"
        printf "%s idle_wakeups: %d wake-ups over %d banner changes after start-up, %.2f a change (target: at most 1)\n",
            wverdict, w, c, w / c
        exit (verdict == "PASS" && wverdict == "PASS") ? 0 : 1
    }' "$results"/program.[0-9]* "$results"/bare.[0-9]*
