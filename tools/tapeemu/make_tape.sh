#!/bin/sh
# Lays out a tape for the emulated drive (libtapeemu.so): the given files
# become the tape's files 0, 1, 2, ... in dir, in the order given, and the
# tape is rewound. Anything the directory held as a tape before is replaced.
#
# Usage: make_tape.sh dir file...
set -e

if [ "$#" -lt 2 ]; then
    echo "usage: $0 dir file..." >&2
    exit 2
fi
dir=$1
shift

for file in "$@"; do
    if [ ! -f "$file" ] || [ ! -r "$file" ]; then
        echo "$0: $file is not a readable file" >&2
        exit 1
    fi
done

mkdir -p "$dir"
# Old tape files past the new end would otherwise count as more of the tape.
number=0
while [ -e "$dir/$number" ]; do
    rm -f "$dir/$number"
    number=$((number + 1))
done
rm -f "$dir/.position"

number=0
for file in "$@"; do
    cp "$file" "$dir/$number"
    number=$((number + 1))
done
