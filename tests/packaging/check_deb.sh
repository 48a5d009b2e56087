#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks it: the files it carries (the program,
# its desktop entry, icons and software-centre entry, nothing else), its control fields, and a
# Depends line computed by dpkg-shlibdeps that covers every library the packaged program needs.
#
# Usage: check_deb.sh <cpack> <build dir> <scratch dir> <numeric version>
# Each run works in a folder of its own below the scratch folder, removed when all checks pass
# and kept for a look when one fails.
set -euo pipefail

if [ $# -ne 4 ]; then
    echo "usage: $0 <cpack> <build dir> <scratch dir> <numeric version>" >&2
    exit 2
fi
cpack=$1
build=$2
scratch=$3
version=$4

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for tool in dpkg-deb dpkg-shlibdeps dpkg file readelf ldd; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAIL: '$tool' is missing; run tools/bootstrap" >&2
        exit 1
    fi
done

mkdir -p "$scratch"
work=$(mktemp -d "$scratch/run.XXXXXX")
if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack could not build the package (output above)" >&2
    exit 1
fi

shopt -s nullglob
debs=("$work"/*.deb)
if [ ${#debs[@]} -ne 1 ]; then
    echo "FAIL: cpack should make exactly one .deb in $work, made ${#debs[@]}" >&2
    exit 1
fi
deb=${debs[0]}
arch=$(dpkg --print-architecture)
if [ "$(basename "$deb")" != "lumox2000_${version}_${arch}.deb" ]; then
    fail "package file is $(basename "$deb"), expected lumox2000_${version}_${arch}.deb"
fi

field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
    local actual
    actual=$(field "$1")
    [ "$actual" = "$2" ] || fail "control field $1 is '$actual', expected '$2'"
}
expect_field Package lumox2000
expect_field Version "$version"
expect_field Architecture "$arch"
expect_field Section net
maintainer=$(field Maintainer)
[[ $maintainer =~ ^[^\<]+\ \<[^@\>]+@example\.com\>$ ]] ||
    fail "Maintainer '$maintainer' is not of the form 'Name <address@example.com>'"
description=$(field Description)
if [ "$(printf '%s\n' "$description" | wc -l)" -lt 2 ]; then
    fail "Description has no long description below its summary line"
fi

# Every entry of the package that is not a directory, as a relative path and its mode.
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' <<<"$listing" | sort)
expected=$(sort <<'EOF'
usr/bin/Lumox2k
usr/share/applications/com.example.Lumox2000.desktop
usr/share/icons/hicolor/16x16/apps/lumox2000.png
usr/share/icons/hicolor/32x32/apps/lumox2000.png
usr/share/metainfo/com.example.Lumox2000.metainfo.xml
EOF
)
missing=$(comm -13 <(printf '%s\n' "$files") <(printf '%s\n' "$expected"))
extra=$(comm -23 <(printf '%s\n' "$files") <(printf '%s\n' "$expected"))
[ -z "$missing" ] || fail "package lacks: $(tr '\n' ' ' <<<"$missing")"
if [ -n "$extra" ]; then
    strays=$(grep -Ei '(^|/)(test|bench)|_tests?$|gtest|gmock|benchmark' <<<"$extra" || true)
    [ -z "$strays" ] || fail "test or benchmark files got into the package: $(tr '\n' ' ' <<<"$strays")"
    fail "package carries files besides the program and its desktop files: $(tr '\n' ' ' <<<"$extra")"
fi
binary_mode=$(awk '$6 == "./usr/bin/Lumox2k" { print $1 }' <<<"$listing")
[ "$binary_mode" = "-rwxr-xr-x" ] || fail "usr/bin/Lumox2k has mode '$binary_mode', expected -rwxr-xr-x"

# The Depends line: the program's own libraries, each with the lowest version it needs.
depends=$(field Depends)
declare -A depended=()
IFS=',' read -ra clauses <<<"$depends"
for clause in "${clauses[@]}"; do
    clause=${clause# }
    depended[${clause%% *}]=$clause
done
for package in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libsqlite3-0; do
    if [ -z "${depended[$package]:-}" ]; then
        fail "Depends lacks $package: '$depends'"
    elif ! [[ ${depended[$package]} =~ ^$package\ \(\>=\ [0-9][^\)]*\)$ ]]; then
        fail "Depends names $package without a lowest version: '${depended[$package]}'"
    fi
done

# Each library the packaged program is linked against must come from a package in Depends.
root="$work/root"
dpkg-deb -x "$deb" "$root"
program="$root/usr/bin/Lumox2k"
file -b "$program" | grep -q ', stripped' || fail "usr/bin/Lumox2k still carries its symbol tables"
needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -n "$needed" ] || fail "readelf lists no libraries for usr/bin/Lumox2k"
resolved=$(ldd "$program")
# On a merged /usr the loader may report /lib/... where dpkg recorded /usr/lib/..., or back, so
# each library is looked up under both names.
declare -A library_path=()
candidates=()
for library in $needed; do
    path=$(awk -v lib="$library" '$1 == lib && $2 == "=>" { print $3 }' <<<"$resolved")
    if [ -z "$path" ] || [ "$path" = "not" ]; then
        fail "$library, needed by usr/bin/Lumox2k, is not found on this machine"
        continue
    fi
    library_path[$library]=$path
    candidates+=("$path" "/usr${path#/usr}" "${path#/usr}")
done
declare -A owner_of=()
while IFS= read -r line; do
    owner=${line%%: *}
    owner_of[${line#*: }]=${owner%%:*}
done < <(dpkg-query -S "${candidates[@]}" 2>/dev/null || true)
for library in "${!library_path[@]}"; do
    path=${library_path[$library]}
    owner=${owner_of[$path]:-${owner_of[/usr${path#/usr}]:-${owner_of[${path#/usr}]:-}}}
    if [ -z "$owner" ]; then
        fail "no installed package owns $path ($library)"
    elif [ -z "${depended[$owner]:-}" ]; then
        fail "$library comes from $owner, which Depends does not name: '$depends'"
    fi
done

if [ "$failures" -ne 0 ]; then
    echo "packaging.deb_package: $failures check(s) failed on $deb" >&2
    exit 1
fi
rm -rf "$work"
echo "packaging.deb_package: OK: $(basename "$deb") holds the program and its desktop files only;" \
    "Depends: $depends"
