#!/usr/bin/env bash
# A newcomer's first window: `make run` in a fresh clone (packages present) until the splash
# window is mapped, against a one-file Qt Widgets program (a QApplication and a QLabel)
# configured, built and started until its window is mapped, side by side in one run.
# Target: the clone's time is at most 3 times the one-file program's.
#
#   first_window.sh [ROUNDS]
#
# Each round times the one-file program, then `make run` in a clone of this repository's
# committed HEAD (uncommitted changes are not in it), each from nothing, in a temporary
# folder, each on a private Xvfb. The figures compared are the medians over ROUNDS (1 unless
# given); the one-file program is configured like the program's default preset (its
# generator and build type), built with the same number of jobs.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
rounds=${1:-1}
ratio_limit=3

# shellcheck source=bench/xvfb_session.sh
source "$here/xvfb_session.sh"

for tool in git cmake Xvfb xdotool xev; do
    if ! command -v "$tool" >/dev/null; then
        echo "first_window: $tool is missing; run tools/bootstrap" >&2
        exit 2
    fi
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/lumox-first-window-XXXXXX")
group=
watcher=
cleanup() {
    if [ -n "$watcher" ]; then
        kill "$watcher" 2>/dev/null || true
    fi
    if [ -n "$group" ]; then
        kill -- "-$group" 2>/dev/null || true
        wait "$group" 2>/dev/null || true
    fi
    xvfb_stop
    rm -rf "$scratch"
}
trap cleanup EXIT

# The generator, build type, its compiler flags where the preset sets them, and jobs of the
# default preset, so that the one-file program is built the way the program is.
mapfile -t preset < <(python3 - "$root/CMakePresets.json" <<'EOF'
import json, sys
presets = json.load(open(sys.argv[1]))
configure = next(p for p in presets["configurePresets"] if p["name"] == "default")
build = next(p for p in presets["buildPresets"] if p["name"] == "default")
variables = configure["cacheVariables"]
build_type = variables["CMAKE_BUILD_TYPE"]
print(configure["generator"])
print(build_type)
print(variables.get("CMAKE_CXX_FLAGS_" + build_type.upper(), ""))
print(build.get("jobs", 2))
EOF
)
generator=${preset[0]}
build_type=${preset[1]}
build_type_flags=()
[ -z "${preset[2]}" ] || build_type_flags=("-DCMAKE_CXX_FLAGS_${build_type^^}=${preset[2]}")
jobs=${preset[3]}

mkdir -p "$scratch/bare"
cat >"$scratch/bare/main.cpp" <<'EOF'
#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QLabel label(QStringLiteral("Hello"));
    label.show();
    return application.exec();
}
EOF
cat >"$scratch/bare/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.25)
project(Bare LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(Qt6 REQUIRED COMPONENTS Widgets)
add_executable(bare main.cpp)
target_link_libraries(bare PRIVATE Qt6::Widgets)
EOF

now() { date +%s.%N; }

# Runs COMMAND... in a process group of its own, its output into LOG, until a visible window
# that xdotool finds with SEARCH (one option and its value) is mapped; prints the seconds from
# the start, then ends the whole group. Fails when the command ends first or after 600 s.
# It waits for the X server's word that a window was mapped (xev on the root window) and only
# then asks xdotool which window it was: polling xdotool instead would take processor time
# from the build it measures, on a machine of two cores.
time_to_window() {
    local log=$1 option=$2 value=$3 started status=0 line feed
    shift 3
    rm -f "$scratch/events"
    mkfifo "$scratch/events"
    xev -root -event substructure >"$scratch/events" 2>/dev/null &
    watcher=$!
    exec {feed}<"$scratch/events"
    # xev has chosen its events before it writes the first of them; give it that long.
    sleep 0.5
    started=$(now)
    setsid "$@" >"$log" 2>&1 &
    group=$!
    while :; do
        if read -r -t 1 -u "$feed" line; then
            if [[ $line == MapNotify* ]]; then
                local mapped
                mapped=$(now)
                if xdotool search --onlyvisible "$option" "$value" >/dev/null 2>&1; then
                    awk -v s="$started" -v n="$mapped" 'BEGIN { printf "%.2f\n", n - s }'
                    break
                fi
            fi
            continue
        fi
        # No event within a second (or xev has ended): is the command still running?
        if ! kill -0 "$watcher" 2>/dev/null || ! kill -0 "$group" 2>/dev/null ||
            awk -v s="$started" -v n="$(now)" 'BEGIN { exit !(n - s > 600) }'; then
            status=1
            break
        fi
    done
    kill -- "-$group" 2>/dev/null || true
    wait "$group" 2>/dev/null || true
    group=
    kill "$watcher" 2>/dev/null || true
    wait "$watcher" 2>/dev/null || true
    watcher=
    exec {feed}<&-
    return $status
}

bare_times=()
clone_times=()
for round in $(seq "$rounds"); do
    xvfb_start

    rm -rf "$scratch/bare/build"
    bare_time=$(time_to_window "$scratch/bare.log" --classname '^bare$' sh -c "
        cmake -S '$scratch/bare' -B '$scratch/bare/build' -G '$generator' \
            -DCMAKE_BUILD_TYPE=$build_type ${build_type_flags[*]@Q} &&
        cmake --build '$scratch/bare/build' -j $jobs &&
        exec '$scratch/bare/build/bare'") || {
        cat "$scratch/bare.log" >&2
        echo "first_window: the one-file program showed no window" >&2
        exit 1
    }

    rm -rf "$scratch/clone"
    git -c advice.detachedHead=false clone --quiet "$root" "$scratch/clone"
    clone_time=$(time_to_window "$scratch/clone.log" --classname '^Lumox2k$' \
        make -C "$scratch/clone" --no-print-directory run) || {
        cat "$scratch/clone.log" >&2
        echo "first_window: make run showed no window" >&2
        exit 1
    }
    xvfb_stop

    printf 'round %d: make run in a fresh clone %6.2f s, one-file Qt program %5.2f s, ratio %.2f\n' \
        "$round" "$clone_time" "$bare_time" "$(awk -v a="$clone_time" -v b="$bare_time" 'BEGIN { print a / b }')"
    bare_times+=("$bare_time")
    clone_times+=("$clone_time")
done

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
clone=$(median "${clone_times[@]}")
bare=$(median "${bare_times[@]}")
awk -v c="$clone" -v b="$bare" -v l="$ratio_limit" -v r="$rounds" 'BEGIN {
    ratio = c / b
    verdict = ratio <= l ? "PASS" : "FAIL"
    printf "%s first_window: make run in a fresh clone maps the splash in %.1f s against %.1f s for a one-file Qt program configured, built and started, ratio %.2f, median of %d (target: at most %d)\n",
        verdict, c, b, ratio, r, l
    exit verdict == "PASS" ? 0 : 1
}'
