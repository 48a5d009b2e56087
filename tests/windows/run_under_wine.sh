#!/usr/bin/env bash
# Runs the Windows tests under Wine in a throwaway prefix, quiet and without the user's
# desktop.
#   run_under_wine.sh template PREFIX      boot a pristine prefix (any old one is removed)
#                                          and leave it settled, with nothing running in
#                                          it, for boot to copy
#   run_under_wine.sh boot PREFIX [VERSION]
#                                          make a fresh prefix (any old one is removed):
#                                          a copy of the template LUMOX_WINE_TEMPLATE
#                                          names, or booted afresh where it names none;
#                                          with a VERSION of winecfg's (win98, winxp,
#                                          win10...), Wine reports that Windows to the
#                                          product, Lumox2k.exe, and to nothing else
#   run_under_wine.sh run PREFIX EXE ARGS  run a Windows program in it, headless
#   run_under_wine.sh run-x PREFIX EXE ARGS
#                                          run it on a private Xvfb display of its own,
#                                          for the tests that make windows
#   run_under_wine.sh stop PREFIX          end the prefix's wineserver and its programs
# LUMOX_WINE_ARCH (win64 by default, or win32) chooses the prefix's Wine, and for boot
# LUMOX_WINE_VERSION the Windows version it claims to be (win95, win98, winme...) and
# LUMOX_WINE_LOGPIXELS the desktop's dots per inch (120 for large fonts; 96 otherwise).
# Booting a prefix costs Wine 6 to 20 seconds of processor time, copying a settled one
# about 2, and a freshly booted prefix holds nothing of its own path; so the tests boot one
# template per Wine and give each prefix a copy of it. A
# 32-bit prefix where this machine runs no 32-bit programs, or has no 32-bit Wine, makes
# every mode report the reason and exit with 77, which ctest counts as skipped.
# Every Wine step has a time limit, so a hung Wine fails the test instead of the build.
# The environment reaches the program: LC_ALL=de_DE.UTF-8, for one, gives it a German
# user locale (Wine takes the user's locale from LC_ALL even where the Linux system has
# no such locale installed).
set -euo pipefail

mode=$1
prefix=$2
shift 2

export WINEPREFIX=$prefix
export WINEARCH=${LUMOX_WINE_ARCH:-win64}
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs on the first start.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

# Ends whatever still runs in the prefix: a program that outlived its test, and the
# desktop process, which keeps the display it was started on.
end_prefix() {
    timeout 30 wineserver -k 2>/dev/null || true
}

# Removes any old prefix, after ending what still runs in it.
remove_prefix() {
    if [ -d "$prefix" ]; then
        end_prefix
        rm -rf "$prefix"
    fi
    mkdir -p "$(dirname "$prefix")"
}

# Boots the prefix and waits until the start-up programs have finished writing the
# registry and the wineserver has ended.
boot_prefix() {
    timeout 150 wineboot --init >/dev/null 2>&1
    # No window manager runs on the tests' displays, and Wine, whenever it hides or
    # destroys a window that it leaves to a window manager, waits up to two seconds for one
    # to confirm: two seconds for every test that closes a window. Windows that no window
    # manager manages, Wine places, shows and hides itself, as Windows does.
    timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    timeout 60 wineserver --wait || true
    test -f "$prefix/system.reg"
}

if [ "$WINEARCH" = win32 ] && [ "$mode" != stop ]; then
    if ! reason=$("$(dirname "$0")/../../tools/probe-32-bit"); then
        echo "skipped: $reason, so 32-bit Wine cannot run here"
        exit 77
    fi
    # Debian's wine32 package puts the 32-bit loader here.
    if [ ! -x /usr/lib/wine/wine ] && [ ! -x /usr/lib/i386-linux-gnu/wine/wine ]; then
        echo "skipped: no 32-bit Wine is installed (tools/bootstrap installs wine32:i386)"
        exit 77
    fi
fi

case $mode in
template)
    remove_prefix
    boot_prefix
    # Nothing may outlive the boot and write to the template while it is copied.
    end_prefix
    timeout 30 wineserver --wait || true
    ;;
boot)
    remove_prefix
    if [ -n "${LUMOX_WINE_TEMPLATE:-}" ]; then
        if ! grep -qx "#arch=$WINEARCH" "$LUMOX_WINE_TEMPLATE/system.reg" 2>/dev/null; then
            echo "run_under_wine: $LUMOX_WINE_TEMPLATE is no $WINEARCH prefix" >&2
            exit 1
        fi
        # Real copies, so that nothing done in one reaches the template or another copy.
        # The file wineserver names the template's own folder for its wineserver's socket:
        # without it the copy gets one of its own.
        cp -a "$LUMOX_WINE_TEMPLATE" "$prefix"
        rm -f "$prefix/wineserver"
    else
        boot_prefix
    fi
    # The settings below share one wineserver, and the last step waits for it to end, so
    # that the tests find them in the registry files.
    if [ -n "${LUMOX_WINE_VERSION:-}" ]; then
        timeout 60 wine winecfg /v "$LUMOX_WINE_VERSION" >/dev/null 2>&1
        claimed=$(timeout 60 wine winecfg /v 2>/dev/null | tr -d '\r')
        if [ "$claimed" != "$LUMOX_WINE_VERSION" ]; then
            echo "run_under_wine: the prefix claims to be $claimed, not $LUMOX_WINE_VERSION" >&2
            end_prefix
            exit 1
        fi
    fi
    if [ -n "${LUMOX_WINE_LOGPIXELS:-}" ]; then
        # Where Wine's GetDeviceCaps takes LOGPIXELSX and LOGPIXELSY from.
        timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
            /d "$LUMOX_WINE_LOGPIXELS" /f >/dev/null
    fi
    # What winecfg's Applications page writes; winecfg -v would change the whole prefix and
    # accepts no Windows 95 family version in a 64-bit one.
    if [ $# -gt 0 ]; then
        timeout 60 wine reg add 'HKCU\Software\Wine\AppDefaults\Lumox2k.exe' \
            /v Version /d "$1" /f >/dev/null
    fi
    timeout 60 wineserver --wait || true
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
    echo "usage: $0 template|boot|run|run-x|stop PREFIX [EXE ARGS...]" >&2
    exit 2
    ;;
esac
