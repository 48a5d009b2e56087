#!/usr/bin/env bash
# Usage: run_clang_tidy.sh CLANG_TIDY CONFIG_FILE BUILD_DIR SOURCE...
# Runs clang-tidy with the checks of CONFIG_FILE over each SOURCE, two files at a time,
# using the compile commands of BUILD_DIR, one per source even where the build compiles
# its sources in unity batches (expand_compile_commands.py). Prints every finding and fails
# when there is one, when clang-tidy fails, or when it says anything else at all (a
# configuration it cannot read, a file missing from the compile commands). PYTHON names
# the interpreter for the helper script (python3 on PATH unless set).
set -uo pipefail

tidy=$1 config=$2 build=$3
shift 3
if [ $# -eq 0 ]; then
    echo "run_clang_tidy.sh: no sources given" >&2
    exit 2
fi
if [ ! -f "$build/compile_commands.json" ]; then
    echo "run_clang_tidy.sh: $build/compile_commands.json is missing" >&2
    exit 2
fi

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
if ! "${PYTHON:-python3}" "$(dirname "$0")/expand_compile_commands.py" "$build" "$logs/commands"; then
    echo "run_clang_tidy.sh: the compile commands of $build could not be read" >&2
    exit 2
fi

# One log per source: clang-tidy's output, then its exit status on the last line.
index=0
for source in "$@"; do
    printf '%s\0%s\0' "$source" "$logs/$index.log"
    index=$((index + 1))
done | xargs -0 -n2 -P2 sh -c '
    "$0" --config-file="$1" -p "$2" --quiet "$3" > "$4" 2>&1
    echo "exit status $?" >> "$4"
' "$tidy" "$config" "$logs/commands"

failed=0
index=0
for source in "$@"; do
    log=$logs/$index.log
    index=$((index + 1))
    # clang-tidy counts the warnings it found in other people's headers and hid; that
    # line, and a clean exit, are all a clean file may produce.
    if [ "$(tail -n1 "$log")" = "exit status 0" ] &&
        ! sed '$d' "$log" | grep -qvE '^[0-9]+ warnings? generated\.$'; then
        continue
    fi
    failed=1
    echo "== $source"
    grep -vE '^[0-9]+ warnings? generated\.$' "$log"
done
if [ $failed -ne 0 ]; then
    echo "clang-tidy: findings above" >&2
    exit 1
fi
echo "clang-tidy: $# files, no findings"
