#!/usr/bin/env bash
# Installs the built tree into a scratch prefix and checks the desktop integration there: the
# desktop entry and the software-centre entry pass their validators, and the names that tie
# the program, its desktop entry, its icons and its software-centre entry together agree.
#
# Usage: check_desktop_integration.sh <cmake> <build dir> <scratch dir> <source dir>
# Each run works in a folder of its own below the scratch folder, removed when all checks pass
# and kept for a look when one fails.
set -euo pipefail

if [ $# -ne 4 ]; then
    echo "usage: $0 <cmake> <build dir> <scratch dir> <source dir>" >&2
    exit 2
fi
cmake=$1
build=$2
scratch=$3
source=$4

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for tool in desktop-file-validate appstreamcli file; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAIL: '$tool' is missing; run tools/bootstrap" >&2
        exit 1
    fi
done

mkdir -p "$scratch"
work=$(mktemp -d "$scratch/run.XXXXXX")
prefix="$work/usr"
if ! "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    echo "FAIL: cmake --install into $prefix failed (output above)" >&2
    exit 1
fi

app_id=com.example.Lumox2000
desktop="$prefix/share/applications/$app_id.desktop"
metainfo="$prefix/share/metainfo/$app_id.metainfo.xml"
for installed in "$desktop" "$metainfo"; do
    if [ ! -f "$installed" ]; then
        echo "FAIL: cmake --install did not install ${installed#"$work/"}" >&2
        exit 1
    fi
done

# desktop-file-validate fails only on errors; its warnings count as failures here, its hints
# are shown but pass.
if ! report=$(desktop-file-validate "$desktop" 2>&1) || grep -qE ': (error|warning): ' <<<"$report"; then
    fail "desktop-file-validate rejects the desktop entry:"$'\n'"$report"
elif [ -n "$report" ]; then
    echo "$report"
fi

# validate-tree checks the software-centre entry and, with it, that the desktop entry it
# launches is installed beside it.
if ! report=$(appstreamcli validate-tree --no-net "$work" 2>&1); then
    fail "appstreamcli validate-tree rejects the installed tree:"$'\n'"$report"
fi

# What software centres need beyond what the validator insists on: an age rating (without one
# some hide the program), a screenshot, the maker, the licences.
for element in '<content_rating type="oars-1\.[01]"' '<screenshot type="default">' \
    '<image[^>]*>https://[^<]+\.png</image>' '<developer_name>[^<]+</developer_name>' \
    '<project_license>[^<]+</project_license>' '<metadata_license>[^<]+</metadata_license>'; do
    grep -Eq "$element" "$metainfo" || fail "the metainfo lacks an element matching '$element'"
done

# Every screenshot shown is one of those kept in docs/.
while IFS= read -r url; do
    [ -f "$source/docs/${url##*/}" ] || fail "the metainfo shows screenshot $url, which docs/ does not hold"
done < <(sed -n 's:.*<image[^>]*>\([^<]*\)</image>.*:\1:p' "$metainfo")

# The id the program gives the desktop (for window matching on Wayland), the desktop file's
# name and the software-centre id must be one and the same.
program_id=$(sed -n 's/.*setDesktopFileName(QStringLiteral("\([^"]*\)")).*/\1/p' "$source/app/qt/program.cpp")
[ "$program_id" = "$app_id" ] ||
    fail "the program calls itself '$program_id' (app/qt/program.cpp), its desktop file is $app_id.desktop"
metainfo_id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")
[ "$metainfo_id" = "$app_id" ] || fail "metainfo id is '$metainfo_id', expected $app_id"

# The release the software centre shows is the version the program shows.
program_version=$(sed -n 's/^#define LUMOX_VERSION_TEXT "\([^"]*\)"$/\1/p' "$build/generated/identity.h")
release_version=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n1)
[ -n "$program_version" ] || fail "no version found in the build's generated/identity.h"
[ "$release_version" = "$program_version" ] ||
    fail "metainfo's newest release is '$release_version', the program shows '$program_version'"

# Exec and Icon of the desktop entry name the installed program and icons of the right sizes.
key() { sed -n "s/^$1=//p" "$desktop"; }
exec_name=$(key Exec)
exec_name=${exec_name%% *}
[ -x "$prefix/bin/$exec_name" ] || fail "Exec=$exec_name is not an installed program in bin/"
icon=$(key Icon)
for size in 16 32; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png"
    if [ ! -f "$png" ]; then
        fail "Icon=$icon has no ${size}x${size} picture in the hicolor theme"
    elif ! file -b "$png" | grep -q "^PNG image data, $size x $size,"; then
        fail "${png#"$work/"} is not a ${size}x${size} PNG: $(file -b "$png")"
    fi
done

if [ "$failures" -ne 0 ]; then
    echo "packaging.desktop_integration: $failures check(s) failed; the installed tree is in $work" >&2
    exit 1
fi
rm -rf "$work"
echo "packaging.desktop_integration: OK: desktop entry and metainfo valid and consistent" \
    "(id $app_id, release $release_version, icon $icon)"
