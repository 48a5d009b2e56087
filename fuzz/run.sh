#!/usr/bin/env bash
# Builds the fuzz targets (CMake preset "fuzz", build/fuzz) and runs each for
# FUZZ_SECONDS seconds (60 by default), then merges the inputs that reached new code
# into its committed corpus, fuzz/corpus/<target>. Names of targets given as arguments
# run only those. Exits non-zero when a target found a crash or a broken invariant; the
# input that did it is left in build/fuzz/artifacts/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
build=build/fuzz
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_rwin_calculator fuzz_tuning_save fuzz_sqlite_store fuzz_picture_decoder)

[ -f "$build/CMakeCache.txt" ] || cmake --preset fuzz
cmake --build --preset fuzz

failed=()
summary=()
for target in "${targets[@]}"; do
    binary=$build/fuzz/$target
    corpus=fuzz/corpus/$target
    fresh=$build/new-inputs/$target
    artifacts=$build/artifacts/$target/
    log=$build/logs/$target.log
    rm -rf "$fresh"
    mkdir -p "$fresh" "$corpus" "$artifacts" "$(dirname "$log")"
    before=$(find "$corpus" -type f | wc -l)

    echo "fuzz: running $target for $seconds s (log: $log)"
    options=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1
        -artifact_prefix="$artifacts")
    [ ! -f "fuzz/dict/$target.dict" ] || options+=(-dict="fuzz/dict/$target.dict")
    status=0
    "$binary" "${options[@]}" "$fresh" "$corpus" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)

    # Only inputs that add coverage to the committed corpus join it.
    "$binary" -merge=1 "$corpus" "$fresh" >>"$log" 2>&1 || true
    after=$(find "$corpus" -type f | wc -l)

    if [ "$status" -ne 0 ]; then
        failed+=("$target")
        echo "fuzz: $target FAILED (exit $status); input kept in $artifacts" >&2
        grep -m 20 -E 'invariant broken|ERROR: |SUMMARY: |runtime error' "$log" >&2 || true
    fi
    summary+=("$target: ${runs:-?} runs, corpus $before -> $after files")
done

printf 'fuzz: %s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: failures in ${failed[*]}; fix them, then copy the input into fuzz/corpus/<target>/ so that make test replays it" >&2
    exit 1
fi
