#!/usr/bin/env bash
# Runs the Windows tests under Wine in a throwaway prefix, headless and quiet.
#   run_under_wine.sh boot PREFIX          make a fresh prefix (any old one is removed)
#   run_under_wine.sh run PREFIX EXE ARGS  run a Windows program in it
#   run_under_wine.sh stop PREFIX          end the prefix's wineserver and its programs
# Every Wine step has a time limit, so a hung Wine fails the test instead of the build.
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

case $mode in
boot)
    if [ -d "$prefix" ]; then
        timeout 30 wineserver -k 2>/dev/null || true
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
stop)
    if [ -d "$prefix" ]; then
        timeout 30 wineserver -k 2>/dev/null || true
    fi
    ;;
*)
    echo "usage: $0 boot|run|stop PREFIX [EXE ARGS...]" >&2
    exit 2
    ;;
esac
