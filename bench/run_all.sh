#!/usr/bin/env bash
# Builds the benchmark programs and runs every benchmark under bench/, one after
# the other, then prints a summary: a PASS or FAIL line for each benchmark that
# checks a target, the headline figures of the others. The whole output of each
# benchmark is also kept in build/PRESET/bench-results/NAME.log.
#
#   bench/run_all.sh          (PRESET=default unless set in the environment)
#
# The exit status is 0 when every benchmark ran and met its target, 1 otherwise.
# The benchmarks that need a display start private Xvfb servers of their own, on
# display numbers nobody else uses. A full run takes about five minutes.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
preset=${PRESET:-default}
build="$root/build/$preset"
results="$build/bench-results"
cd "$root" || exit 2

# shellcheck source=bench/xvfb_session.sh
source "$here/xvfb_session.sh"

# The benchmark folders this script knows how to run; a new folder must be
# added to the list and to run_benchmarks below.
known_folders=(banners calculator soak startup store windows)
targets=(Lumox2k bench_map_timer bench_minimal_window bench_keystroke bench_banner_tick
    store_bench bench_soak lumox_windows_bench)

# xdotool finds the program's windows for the scripts that wait for the main window.
if [ -x tools/bootstrap ] && ! tools/bootstrap xdotool; then
    echo "run_all: tools/bootstrap failed" >&2
    exit 2
fi
if [ ! -f "$build/CMakeCache.txt" ] && ! cmake --preset "$preset"; then
    echo "run_all: configuring failed" >&2
    exit 2
fi
if ! cmake --build --preset "$preset" --target "${targets[@]}"; then
    echo "run_all: building the benchmarks failed" >&2
    exit 2
fi

rm -rf "$results"
mkdir -p "$results"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/lumox-run-all-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# The programs on the offscreen platform want a runtime folder of their own.
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

summary=()
failures=0

# Runs one benchmark, shows and keeps its output, and adds a line to the
# summary: its PASS or FAIL lines when it prints any, otherwise the lines the
# given extended regular expression picks out of its output.
run() {
    local name=$1 pick=$2
    shift 2
    local log="$results/$name.log"
    echo
    echo "=== $name: $*"
    "$@" 2>&1 | tee "$log"
    local status=${PIPESTATUS[0]}
    local figures
    figures=$(grep -E '^(PASS|FAIL) ' "$log")
    [ -n "$figures" ] || figures=$(grep -E "$pick" "$log")
    [ -n "$figures" ] || figures="(no figures; see $log)"
    if [ "$status" -ne 0 ]; then
        failures=$((failures + 1))
        grep -qE '^FAIL ' "$log" || figures="ERROR: exit status $status"$'\n'"$figures"
    fi
    summary+=("$name"$'\n'"    ${figures//$'\n'/$'\n'    }")
}

# Google Benchmark programs: the result rows, without colour.
benchmark_rows='^[A-Za-z_][A-Za-z0-9_/:<>.-]* +[0-9.]+ [mun]?s '

# shellcheck disable=SC2317 # called through run
map_timer_under_xvfb() {
    (
        trap xvfb_stop EXIT
        xvfb_start || exit 1
        # Target: at most 1.05 times the bare window's time to map, median of 41 pairs.
        "$build/bench/startup/bench_map_timer" 41 "$build/app/Lumox2k" \
            "$build/bench/startup/bench_minimal_window" 1.05
    )
}

# The Windows programs under Wine, each in a prefix of its own; make bench builds the
# executables (make windows) first. The x86_64 one runs under 64-bit Wine, the i686 one
# under 32-bit Wine claiming to be Windows 95, where this machine runs 32-bit programs
# (run_under_wine.sh says why not, and the row reports itself skipped).
windows_bench="$build/bench/windows/cross"
windows_prefix="$build/bench/windows/wineprefix"
wine_run="$root/tests/windows/run_under_wine.sh"

# Start-up to the splash against the minimal popup, median of 20 runs each, interleaved.
#   windows_startup_under_wine ARCH BUILD WINEARCH [VERSION]
# shellcheck disable=SC2317 # called through run
windows_startup_under_wine() {
    local arch=$1 product=$2
    local prefix="$windows_prefix-$arch"
    export LUMOX_WINE_ARCH=$3 LUMOX_WINE_VERSION=${4:-}
    "$wine_run" boot "$prefix"
    local status=$?
    if [ "$status" -eq 77 ]; then
        return 0
    fi
    [ "$status" -eq 0 ] || return 1
    "$wine_run" run-x "$prefix" "$windows_bench-$arch/win32_map_timer.exe" 20 1.1 \
        frmStartup "$root/build/$product/Lumox2k.exe" \
        MinimalPopup "$windows_bench-$arch/minimal_popup.exe"
}

# shellcheck disable=SC2317 # called through run
windows_banner_tick_under_wine() {
    local prefix="$windows_prefix-x86_64"
    export LUMOX_WINE_ARCH=win64 LUMOX_WINE_VERSION=
    [ -f "$prefix/system.reg" ] || "$wine_run" boot "$prefix" || return 1
    "$wine_run" run-x "$prefix" "$windows_bench-x86_64/bench_win32_banner_tick.exe"
}

run startup '(median|ratio)' map_timer_under_xvfb
run windows_startup_x64 '(median|ratio|skipped)' windows_startup_under_wine x86_64 windows-x64 win64
run windows_startup_x86 '(median|ratio|skipped)' \
    windows_startup_under_wine i686 windows-x86 win32 win95
run windows_size '^(PASS|FAIL) ' "$here/windows/exe_size.sh" "$root/build/windows-x86/Lumox2k.exe" 256
run windows_banner_tick '(median|target|TARGET)' windows_banner_tick_under_wine
run calculator "$benchmark_rows" "$build/bench/calculator/bench_keystroke" --benchmark_color=false
run banners "$benchmark_rows" "$build/bench/banners/bench_banner_tick" --benchmark_color=false
run store "($benchmark_rows|sync calls per save)" \
    cmake --build --preset "$preset" --target run_store_bench
run soak '^soak:' "$build/bench/soak/bench_soak"
run idle_cpu '^idle CPU' "$here/idle_cpu.sh" "$build/app/Lumox2k" 60 \
    "$build/bench/startup/bench_minimal_window" 3
# A fresh clone's make run against a one-file Qt program, built from nothing side by side.
run first_window '^round ' "$here/first_window.sh"
run memory_vs_minimal '^run ' "$here/memory_vs_minimal.sh" "$build/app/Lumox2k" \
    "$build/bench/startup/bench_minimal_window"

echo
echo "=== summary (logs in $results)"
for entry in "${summary[@]}"; do
    echo "$entry"
done
for dir in "$here"/*/; do
    folder=$(basename "$dir")
    if [ -f "$dir/CMakeLists.txt" ] && [[ ! " ${known_folders[*]} " == *" $folder "* ]]; then
        echo "note: bench/$folder is not run by bench/run_all.sh yet"
    fi
done
if [ "$failures" -eq 0 ]; then
    echo "all benchmarks ran and met their targets"
    exit 0
fi
echo "$failures benchmark(s) failed or missed a target"
exit 1
