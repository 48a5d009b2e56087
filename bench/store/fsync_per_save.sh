#!/usr/bin/env bash
# Counts, with strace, the calls that force data to the disk (fsync and its kin) per
# save on the SQLite registry store. A save writes the whole new store to a file of its
# own and renames it over the old one: that file once, and the folder once it has been
# renamed, so two calls per save.
#   fsync_per_save.sh STORE_BENCH [SAVES]
# The scratch store lives in the current folder, so the count is for its disk.
set -euo pipefail

bench=$1
saves=${2:-100}
folder=$(mktemp -d "$PWD/fsync-probe-XXXXXX")
trap 'rm -rf "$folder"' EXIT

# Calls made by a run of one opening save followed by the given number of saves.
sync_calls() {
    rm -f "$folder"/registry.sqlite3*
    strace -f -qq -e trace=fsync,fdatasync,sync_file_range,syncfs,sync -o "$folder/trace" \
        "$bench" --saves "$1" --store "$folder/registry.sqlite3"
    grep -cE '(fsync|fdatasync|sync_file_range|syncfs|sync)\(' "$folder/trace" || true
}

baseline=$(sync_calls 0)
measured=$(sync_calls "$saves")
awk -v base="$baseline" -v total="$measured" -v saves="$saves" 'BEGIN {
    printf "sync calls per save: %.2f (%d calls for %d saves, after %d to create the store)\n",
           (total - base) / saves, total - base, saves, base
}'
