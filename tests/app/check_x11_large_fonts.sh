#!/usr/bin/env bash
# Runs the program on a private X server whose desktop is set to large fonts (Xft.dpi: 120)
# and measures what it shows: the splash window 383 x 346 and the main window 473 x 466 real
# pixels (the twips of the form at twelve to the pixel), and a banner at its own 120 x 60
# pixels at the top-left of its 150 x 75 slot, the button face beside it. Were Qt to scale
# the windows itself, the sizes would come out alike but the banner would fill its slot.
#
# Usage: check_x11_large_fonts.sh <program> <source dir>
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 <program> <source dir>" >&2
    exit 2
fi
program=$1
source=$2

for tool in Xvfb xdotool xprop xwininfo import convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAIL: '$tool' is missing; run tools/bootstrap" >&2
        exit 1
    fi
done
if [ -n "${ASAN_OPTIONS:-}" ]; then
    # As in check_x11_titles.sh: the X11 keyboard library's strndup call.
    export ASAN_OPTIONS="$ASAN_OPTIONS:intercept_strndup=0"
fi

# shellcheck source=../../bench/xvfb_session.sh
. "$source/bench/xvfb_session.sh"
pid=
holder=
cleanup() {
    for each in "$pid" "$holder"; do
        if [ -n "$each" ]; then
            kill "$each" 2>/dev/null || true
            wait "$each" 2>/dev/null || true
        fi
    done
    xvfb_stop
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

xvfb_start
# The server forgets the root window's resources when its last client leaves; one client
# stays connected until the end. It prints the property it watches once it is connected,
# and only then are the resources set: were they set first, the server could reset between
# the two, and the program would find the desktop at 96 dots per inch.
connected=$(mktemp "${TMPDIR:-/tmp}/lumox-large-fonts-XXXXXX")
xprop -root -spy _NET_SUPPORTED >"$connected" 2>&1 &
holder=$!
for _ in $(seq 250); do
    [ -s "$connected" ] && break
    sleep 0.02
done
spied=$(cat "$connected")
rm -f "$connected"
[ -n "$spied" ] || fail "xprop did not connect to the X server within 5 seconds"
xprop -root -format RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "$(printf 'Xft.dpi:\t120')"

size_of() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }

"$program" &
pid=$!
splash=
for _ in $(seq 200); do
    splash=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)
    [ -n "$splash" ] && break
    sleep 0.02
done
[ -n "$splash" ] || fail "no splash window within 4 seconds"
[ "$(size_of "$splash")" = 383x346 ] || fail "the splash window is $(size_of "$splash"), not 383x346"

wait_for_hand_over "$pid" 20 >/dev/null || fail "the main window did not follow the splash window"
main=$(xdotool search --onlyvisible --pid "$pid" | head -n 1)
[ "$(size_of "$main")" = 473x466 ] || fail "the main window is $(size_of "$main"), not 473x466"

# imgAds, at (300, 356) in the window: its right quarter beside the picture is button face.
shot=$(mktemp "${TMPDIR:-/tmp}/lumox-large-fonts-XXXXXX.png")
import -window "$main" "$shot"
beside=$(convert "$shot" -format '%[pixel:p{435,386}]' info:)
rm -f "$shot"
case $beside in
srgb\(192,192,192\) | "#C0C0C0" | gray\(75.29*\) | grey75) ;;
*) fail "beside the banner the slot shows $beside, not the button face: the banner is stretched" ;;
esac
echo "check_x11_large_fonts: OK: splash 383x346, main window 473x466, banner at its own size"
