#!/bin/sh
# Builds the demo media of the given products from the sample contents list
# (contents, sample_files.awk beside this script) and their subset
# definition files, each laid out as the installer's commands read it:
#
#   MEDIA/cd/ID/SUBSET/Fnnnn.DAT  a CD-ROM: every file under a name of the
#                                 medium; the map MAP_DIR/SUBSET pairs it with
#                                 its installed name (kcp without -i)
#   MEDIA/dist/ID/                a distribution server: every subset under
#                                 the installed names (kcp -i)
#   MEDIA/fileserver/ID/          a file server: the installed product tree
#   MEDIA/tape/ID/0, 1, ...       a tape for the emulated drive: one tar
#                                 archive per subset in the definition file's
#                                 order (compressed for Com=Yes); the second
#                                 carries the volume label kitsetup1, which
#                                 the installer's tape check reads
#   MEDIA/tape/nstN, stN          drive placeholders of product N (from 0);
#   MEDIA/tape/drives             the KITSETUP_TAPE value that attaches them
#
# With --staged DIR the files come from DIR/PRODUCT/SUBSET/ as they are
# (modes and times included) instead of from the contents list.
#
# Usage: make_media.sh [--staged DIR] config_dir map_dir media_dir make_tape.sh product...
set -eu

staged=""
if [ "${1:-}" = --staged ] && [ "$#" -ge 2 ]; then
    staged=$(cd "$2" && pwd)
    shift 2
fi
if [ "$#" -lt 5 ]; then
    echo "usage: $0 [--staged DIR] config_dir map_dir media_dir make_tape.sh product..." >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
config=$1
maps=$2
media=$3
make_tape=$4
shift 4
# 14 March 1996, noon UTC: one release date for every file, so that every
# build's media hold the same files with the same times.
release=@826804800
work=$media/.work
stage=${staged:-$work/stage}

fail()
{
    echo "make_media.sh: $*" >&2
    exit 1
}

# Prints "name volume position compressed" for each subset of a subset
# definition file, in file order. A record ends at a line ending in ".".
subsets_of()
{
    awk '
        function flag(value) { return tolower(value) ~ /^(yes|y|1|true)$/ }
        function emit(record,   count, parts, i, key, value, name, volume, position, compressed) {
            count = split(record, parts, ";")
            for (i = 1; i <= count; i++) {
                key = parts[i]
                sub(/=.*/, "", key)
                value = substr(parts[i], length(key) + 2)
                gsub(/^[ \t]+|[ \t]+$/, "", key)
                gsub(/^[ \t]+|[ \t]+$/, "", value)
                key = tolower(key)
                if (key == "name") name = value
                else if (key == "vol") volume = value
                else if (key == "pos") position = value
                else if (key == "com") compressed = flag(value)
            }
            if (name != "")
                print name, volume + 0, position + 0, compressed + 0
        }
        /^[ \t]*(#|$)/ { next }
        {
            line = $0
            sub(/[ \t\r]+$/, "", line)
            record = record line
            if (line ~ /\.$/) {
                emit(substr(record, 1, length(record) - 1))
                record = ""
            }
        }
        END { if (record != "") emit(record) }
    ' "$1"
}

# Lays out one subset (files staged under $stage/$id/$name) on every medium,
# and leaves its tape archive as $work/$id.$position.
lay_out_subset()
{
    id=$1 name=$2 position=$3 compressed=$4
    from=$stage/$id/$name
    [ -d "$from" ] || fail "subset $name of $id has no files in the contents list"
    cd_dir=$(echo "$id/$name" | tr a-z A-Z)
    mkdir -p "$media/cd/$cd_dir"
    {
        echo "# $name of $id: the name on the CD-ROM, a tab, the installed name."
        (cd "$from" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) |
            awk -v dir="$cd_dir" '{ printf "%s/F%04d.DAT\t%s\n", dir, NR, $0 }'
    } > "$maps/$name"
    grep -v '^#' "$maps/$name" | while IFS="$(printf '\t')" read -r cd_name file; do
        cp -p "$from/$file" "$media/cd/$cd_name"
    done
    cp -pR "$from/." "$media/dist/$id/"
    cp -pR "$from/." "$media/fileserver/$id/"

    label=""
    if [ "$position" -eq 2 ]; then
        [ "$compressed" -eq 0 ] || fail "subset $name of $id: the second tape file carries the label and cannot be compressed"
        label="--label=kitsetup1"
    fi
    archive=$work/$id.$position
    (cd "$from" && LC_ALL=C tar -cf - $label --sort=name --owner=0 --group=0 --numeric-owner \
        -- $(ls -A | LC_ALL=C sort)) > "$archive.tar"
    if [ "$compressed" -eq 1 ]; then
        compress -c -f < "$archive.tar" > "$archive"
        rm -f "$archive.tar"
    else
        mv "$archive.tar" "$archive"
    fi
}

# Stages the sample files of every product, with their modes and the
# release date.
stage_contents()
{
    grep -v '^[[:space:]]*\(#\|$\)' "$here/contents" > "$work/contents"
    (cd "$stage" && awk '{ print $1 "/" $2 "/" $5 }' "$work/contents" | xargs mkdir -p)
    LC_ALL=C awk -v stage="$stage" -f "$here/sample_files.awk" "$work/contents" "$work/contents"
    set -f
    while read -r product subset kind mode dir files; do
        (cd "$stage/$product/$subset/$dir" && chmod "$mode" $files)
    done < "$work/contents"
    set +f
    find "$stage" -type d -exec chmod 0755 {} +
    find "$stage" -exec touch -h -d "$release" {} +
}

rm -rf "$work" "$media/cd" "$media/dist" "$media/fileserver" "$media/tape"
mkdir -p "$work" "$stage" "$maps" "$media/cd" "$media/tape"
[ -n "$staged" ] || stage_contents

drives=""
drive=0
for id in "$@"; do
    definitions=$config/${id}prd.cfg
    [ -f "$definitions" ] || fail "no subset definition file $definitions"
    mkdir -p "$media/dist/$id" "$media/fileserver/$id"
    archives=""
    expected=1
    subsets_of "$definitions" > "$work/$id.subsets"
    while read -r name volume position compressed; do
        [ "$volume" -eq 1 ] && [ "$position" -eq "$expected" ] ||
            fail "$definitions: $name is at volume $volume, position $position; the tape has one volume with the subsets at 1, 2, ... in file order"
        lay_out_subset "$id" "$name" "$position" "$compressed"
        archives="$archives $work/$id.$position"
        expected=$((expected + 1))
    done < "$work/$id.subsets"
    for staged in "$stage/$id"/*; do
        grep -q "^$(basename "$staged") " "$work/$id.subsets" ||
            fail "the contents list has files for $(basename "$staged"), which is no subset of $id"
    done
    # shellcheck disable=SC2086
    sh "$make_tape" "$media/tape/$id" $archives
    : > "$media/tape/nst$drive"
    : > "$media/tape/st$drive"
    drives="$drives${drives:+:}$media/tape/nst$drive=$media/tape/$id:$media/tape/st$drive=$media/tape/$id"
    drive=$((drive + 1))
done
echo "$drives" > "$media/tape/drives"
find "$media/dist" "$media/fileserver" "$media/cd" -type d -exec touch -h -d "$release" {} +
rm -rf "$work"
