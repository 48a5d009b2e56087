#!/usr/bin/env bash
# Runs the program on a private X server and reads the window titles the window manager
# gets: the main window's is "Lumox 2000", and a message box's is its own title alone, with
# nothing that Qt might append (Qt adds the application display name to titles on X11).
# The main window also carries the program icon in both sizes.
#
# Usage: check_x11_titles.sh <program> <source dir>
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 <program> <source dir>" >&2
    exit 2
fi
program=$1
source=$2

for tool in Xvfb xdotool xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAIL: '$tool' is missing; run tools/bootstrap" >&2
        exit 1
    fi
done

# In the sanitizer build: the X11 keyboard library that Qt's X11 plugin loads hands strndup
# a name that is not NUL-terminated, which strndup allows (it reads at most n bytes) but
# the strict string checks of the test run take for an overflow. Only that one check goes.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:intercept_strndup=0"
fi

# shellcheck source=../../bench/xvfb_session.sh
. "$source/bench/xvfb_session.sh"
pid=
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    xvfb_stop
}
trap cleanup EXIT

# The program on a private X server of its own. A server that has lost its display by the
# time the program connects (on a busy machine, other X servers start and stop around it)
# is replaced by a new one, at most twice; any other failure fails at once.
errors=$(mktemp "${TMPDIR:-/tmp}/lumox-x11-titles-XXXXXX")
for attempt in 1 2 3; do
    xvfb_start
    "$program" 2>"$errors" &
    pid=$!
    if wait_for_hand_over "$pid" 20 >/dev/null; then
        break
    fi
    if kill -0 "$pid" 2>/dev/null || ! grep -q 'could not connect to display' "$errors" ||
        [ "$attempt" -eq 3 ]; then
        cat "$errors" >&2
        rm -f "$errors"
        echo "FAIL: the main window did not follow the splash window within 20 seconds" >&2
        exit 1
    fi
    echo "check_x11_titles: the program could not connect to $DISPLAY (attempt $attempt);" \
        "the X server's log follows, and a new server starts" >&2
    cat "$BENCH_SCRATCH/xvfb.log" >&2 || true
    wait "$pid" 2>/dev/null || true
    pid=
    xvfb_stop
done
cat "$errors" >&2
rm -f "$errors"

title() { xprop -id "$1" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'; }

main=$(xdotool search --onlyvisible --pid "$pid" | head -n 1)
main_title=$(title "$main")
[ "$main_title" = "Lumox 2000" ] || {
    echo "FAIL: the main window is titled '$main_title', expected 'Lumox 2000'" >&2
    exit 1
}

# The program icon in both of its sizes, as a window manager reads it.
icon_sizes=$(xprop -id "$main" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | sort | tr '\n' ' ')
[ "$icon_sizes" = "Icon (16 x 16) Icon (32 x 32) " ] || {
    echo "FAIL: the main window's icon holds '$icon_sizes', expected a 16 x 16 and a 32 x 32 image" >&2
    exit 1
}

# With both boxes empty, "Save MTU and RWIN" on the MTU page refuses and says so. The
# points are the centres of the page's tab and of the button, in window pixels.
xdotool mousemove --window "$main" 143 21 click 1
sleep 0.3
xdotool mousemove --window "$main" 300 211 click 1

for _ in $(seq 100); do
    while read -r window; do
        [ "$window" = "$main" ] && continue
        box_title=$(title "$window")
        if [ "$box_title" = "Not Saved" ]; then
            echo "check_x11_titles: OK: main window 'Lumox 2000', message box 'Not Saved'"
            exit 0
        fi
        if [ -n "$box_title" ]; then
            echo "FAIL: the message box is titled '$box_title', expected 'Not Saved'" >&2
            exit 1
        fi
    done < <(xdotool search --onlyvisible --pid "$pid" 2>/dev/null || true)
    sleep 0.05
done
echo "FAIL: no message box appeared after pressing 'Save MTU and RWIN'" >&2
exit 1
