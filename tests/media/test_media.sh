#!/bin/sh
# The built demo media: each subset's files on every medium, as many and as large
# as its definition says (Siz in KB, rounded down); the tape one file per subset,
# the second starting with the label, each read back by mt and dd and listed by tar.
# Usage: test_media.sh demo_dir media_dir libtapeemu.so make_tape.sh
set -u
demo=$1 media=$2 library=$3 make_tape=$4
. "$(dirname "$0")/../shell_checks.sh"

# "name files kilobytes compressed" for each subset of a definition file.
subsets()
{
    awk '/^[ \t]*(#|$)/ { next }
        { record = record $0 }
        /\.[ \t]*$/ {
            count = split(record, parts, /;|\.[ \t]*$/)
            name = files = size = ""
            compressed = 0
            for (i = 1; i <= count; i++) {
                split(parts[i], pair, "=")
                key = tolower(pair[1])
                gsub(/[ \t]/, "", key)
                gsub(/^[ \t]+|[ \t]+$/, "", pair[2])
                if (key == "name") name = pair[2]
                if (key == "fls") files = pair[2]
                if (key == "siz") size = pair[2]
                if (key == "com") compressed = tolower(pair[2]) ~ /^(yes|y|1)$/
            }
            print name, files, size, compressed
            record = ""
        }' "$1"
}

for id in kps30 kdb12; do
    subsets "$demo/config/${id}prd.cfg" > "$work/subsets"
    [ "$(ls "$media/tape/$id" | wc -l)" -eq "$(wc -l < "$work/subsets")" ] ||
        fail "$id: the tape does not hold one file per subset"
    # A copy of the tape, so that this run's head position is its own.
    sh "$make_tape" "$work/tape" $(ls "$media/tape/$id" | sort -n | sed "s|^|$media/tape/$id/|")
    : > "$work/nst"
    export KITSETUP_TAPE="$work/nst=$work/tape"
    LD_PRELOAD=$library mt -f "$work/nst" rewind || fail "$id: mt rewind failed"
    number=0
    while read -r name files size compressed; do
        map=$demo/map/$name
        grep -v '^#' "$map" | grep -v '^$' > "$work/entries" || fail "$id: no map for $name"
        [ "$(wc -l < "$work/entries")" -eq "$files" ] || fail "$id: $name has not $files files"
        bytes=0
        while IFS="$(printf '\t')" read -r cd_name installed; do
            for copy in "$media/dist/$id/$installed" "$media/fileserver/$id/$installed"; do
                cmp -s "$media/cd/$cd_name" "$copy" || fail "$id: $copy is not $cd_name of the CD-ROM"
            done
            bytes=$((bytes + $(stat -c %s "$media/cd/$cd_name")))
        done < "$work/entries"
        [ $((bytes / 1024)) -eq "$size" ] || fail "$id: $name holds $bytes bytes, not $size KB"

        LD_PRELOAD=$library dd if="$work/nst" of="$work/archive" bs=20b 2> /dev/null ||
            fail "$id: dd did not read tape file $number"
        if [ "$number" -eq 1 ] && [ "$(head -c 9 "$work/archive")" != kitsetup1 ]; then
            fail "$id: the second tape file does not start with the label"
        fi
        if [ "$compressed" -eq 1 ]; then
            uncompress -c < "$work/archive" > "$work/archive.tar" || fail "$id: $name is not compressed"
        else
            mv "$work/archive" "$work/archive.tar"
        fi
        tar -tvf "$work/archive.tar" | awk '$1 ~ /^-/ { print $6 }' | sort > "$work/listed"
        cut -f 2 "$work/entries" | sort | cmp -s - "$work/listed" ||
            fail "$id: tape file $number does not hold the files of $name"
        number=$((number + 1))
    done < "$work/subsets"
done

finish
