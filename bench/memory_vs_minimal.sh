#!/usr/bin/env bash
# Resident memory of the running program against a minimal Qt program showing
# one window, both started together on the same private Xvfb. Target: the
# program takes at most 8 MB (8192 KB) more.
#
#   memory_vs_minimal.sh [PROGRAM] [MINIMAL_PROGRAM] [SECONDS] [RUNS]
#
# Both resident sets (VmRSS) are read SECONDS (5 unless given) after the start,
# by when the program's main window has replaced the splash window and the
# banners have changed a few times; the check that the hand-over has happened is
# part of the run. The median over RUNS (3 unless given) runs is compared with
# the target; each run's figures are printed, split into anonymous memory, file
# mappings and shared memory.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
program=${1:-$here/../build/default/app/Lumox2k}
minimal=${2:-$here/../build/default/bench/startup/bench_minimal_window}
seconds=${3:-5}
runs=${4:-3}
limit_kb=8192

# shellcheck source=bench/xvfb_session.sh
source "$here/xvfb_session.sh"

program_pid=
minimal_pid=
stop_programs() {
    local pid
    for pid in $program_pid $minimal_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    program_pid=
    minimal_pid=
}
cleanup() {
    stop_programs
    xvfb_stop
}
trap cleanup EXIT

for file in "$program" "$minimal"; do
    if [ ! -x "$file" ]; then
        echo "memory_vs_minimal: $file is not built" >&2
        exit 2
    fi
done

# Resident set and its parts, in kilobytes: total anon file shmem.
resident_parts() {
    echo "$(proc_status_kb "$1" VmRSS) $(proc_status_kb "$1" RssAnon)" \
        "$(proc_status_kb "$1" RssFile) $(proc_status_kb "$1" RssShmem)"
}

xvfb_start

differences=()
for ((run = 1; run <= runs; ++run)); do
    started=$(date +%s.%N)
    "$program" >"$BENCH_SCRATCH/program.log" 2>&1 &
    program_pid=$!
    "$minimal" >/dev/null 2>&1 &
    minimal_pid=$!
    if ! wait_for_hand_over "$program_pid" "$seconds" >/dev/null; then
        echo "memory_vs_minimal: the main window was not shown within $seconds s" >&2
        cat "$BENCH_SCRATCH/program.log" >&2
        exit 1
    fi
    remaining=$(awk -v s="$started" -v n="$(date +%s.%N)" -v t="$seconds" \
        'BEGIN { r = s + t - n; printf "%.3f\n", (r > 0 ? r : 0) }')
    sleep "$remaining"
    if ! kill -0 "$program_pid" 2>/dev/null || ! kill -0 "$minimal_pid" 2>/dev/null; then
        echo "memory_vs_minimal: a program ended before it was measured" >&2
        exit 1
    fi
    read -r p_total p_anon p_file p_shmem <<<"$(resident_parts "$program_pid")"
    read -r m_total m_anon m_file m_shmem <<<"$(resident_parts "$minimal_pid")"
    stop_programs
    differences+=($((p_total - m_total)))
    printf 'run %d at %s s: program %6d KB (anon %6d, file %6d, shmem %5d)  minimal %6d KB (anon %6d, file %6d, shmem %5d)  difference %+6d KB\n' \
        "$run" "$seconds" "$p_total" "$p_anon" "$p_file" "$p_shmem" \
        "$m_total" "$m_anon" "$m_file" "$m_shmem" "$((p_total - m_total))"
done

median=$(printf '%s\n' "${differences[@]}" | sort -n |
    awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2)) }')
if [ "$median" -le "$limit_kb" ]; then verdict=PASS; else verdict=FAIL; fi
printf '%s memory_vs_minimal: the program takes %+d KB (%.1f MB) more than a minimal Qt window, median of %d runs (target: at most %d KB)\n' \
    "$verdict" "$median" "$(awk -v k="$median" 'BEGIN { print k / 1024 }')" "$runs" "$limit_kb"
[ "$verdict" = PASS ]
