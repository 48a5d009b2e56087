#!/usr/bin/env bash
# Runs the Windows tests under Wine in a throwaway prefix, quiet and without the user's
# desktop.
#   run_under_wine.sh boot PREFIX          make a fresh prefix (any old one is removed)
#   run_under_wine.sh run PREFIX EXE ARGS  run a Windows program in it, headless
#   run_under_wine.sh run-x PREFIX EXE ARGS
#                                          run it on a private Xvfb display of its own,
#                                          for the tests that make windows
#   run_under_wine.sh stop PREFIX          end the prefix's wineserver and its programs
# Every Wine step has a time limit, so a hung Wine fails the test instead of the build.
# The environment reaches the program: LC_ALL=de_DE.UTF-8, for one, gives it a German
# user locale (Wine takes the user's locale from LC_ALL even where the Linux system has
# no such locale installed).
set -euo pipefail

mode=$1
prefix=$2
shift 2

export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs on the first start.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

# Ends whatever still runs in the prefix: a program that outlived its test, and the
# desktop process, which keeps the display it was started on.
end_prefix() {
    timeout 30 wineserver -k 2>/dev/null || true
}

case $mode in
boot)
    if [ -d "$prefix" ]; then
        end_prefix
        rm -rf "$prefix"
    fi
    mkdir -p "$(dirname "$prefix")"
    timeout 150 wineboot --init >/dev/null 2>&1
    # Let the start-up programs finish writing the registry before the tests use it.
    timeout 60 wineserver --wait || true
    test -f "$prefix/system.reg"
    ;;
run)
    exec timeout 150 wine "$@"
    ;;
run-x)
    # shellcheck source=../../bench/xvfb_session.sh
    . "$(dirname "$0")/../../bench/xvfb_session.sh"
    # shellcheck disable=SC2317 # called through the EXIT trap
    finish() {
        end_prefix
        xvfb_stop
    }
    trap finish EXIT
    # A desktop process left from a headless run would host the new windows nowhere.
    end_prefix
    xvfb_start
    status=0
    timeout 150 wine "$@" || status=$?
    exit "$status"
    ;;
stop)
    if [ -d "$prefix" ]; then
        end_prefix
    fi
    ;;
*)
    echo "usage: $0 boot|run|run-x|stop PREFIX [EXE ARGS...]" >&2
    exit 2
    ;;
esac
