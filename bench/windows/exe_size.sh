#!/usr/bin/env bash
# Size of a Windows executable against its limit:
#   exe_size.sh FILE LIMIT_KB
# Prints the size in bytes and kilobytes and a PASS or FAIL line; exits with 1 when the
# file is larger than LIMIT_KB kilobytes (of 1024 bytes), 2 when it is not there.
set -euo pipefail
file=$1
limit_kb=$2
if [ ! -f "$file" ]; then
    echo "exe_size: $file is not there; build it with make windows" >&2
    exit 2
fi
bytes=$(stat -c %s "$file")
kb=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1024 }')
if [ "$bytes" -le $((limit_kb * 1024)) ]; then
    echo "PASS $(basename "$(dirname "$file")")/$(basename "$file"): $bytes bytes ($kb KB, limit $limit_kb KB)"
else
    echo "FAIL $(basename "$(dirname "$file")")/$(basename "$file"): $bytes bytes ($kb KB, limit $limit_kb KB)"
    exit 1
fi
