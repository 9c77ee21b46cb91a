#!/bin/sh
# The copy utility: a map copied from CD-ROM or (-i) installed names with modes,
# times and listing; links in the target never written through; every refusal
# with a message and a non-zero status, and a bad map copies nothing.
# Usage: test_kcp.sh kcp
set -u
kcp=$1
tab=$(printf '\t')
. "$(dirname "$0")/../shell_checks.sh"

# Runs a command into $work/out and $work/err, its status into $status.
run()
{
    "$@" > "$work/out" 2> "$work/err"
    status=$?
}

# Runs a command and expects a refusal whose message holds $2.
refuse()
{
    what=$1 message=$2
    shift 2
    run "$@"
    [ "$status" -ne 0 ] || fail "$what: status 0"
    grep -qF -- "$message" "$work/err" || fail "$what: message was: $(cat "$work/err")"
}

# The same two files as a CD-ROM and as a distribution server hold them.
mkdir -p "$work/cd/DIR1" "$work/dist/dir one" "$work/dist/a/b/c" "$work/elsewhere"
printf 'hello' > "$work/cd/DIR1/F0001.DAT"
printf 'deep file\n' > "$work/cd/DIR1/F0002.DAT"
chmod 0751 "$work/cd/DIR1/F0001.DAT"
chmod 0600 "$work/cd/DIR1/F0002.DAT"
touch -d @800000000 "$work/cd/DIR1/F0001.DAT"
touch -d @900000000 "$work/cd/DIR1/F0002.DAT"
cp -p "$work/cd/DIR1/F0001.DAT" "$work/dist/dir one/file a"
cp -p "$work/cd/DIR1/F0002.DAT" "$work/dist/a/b/c/deep"
printf '# map\n\nDIR1/F0001.DAT\tdir one/file a\nDIR1/F0002.DAT\ta/b/c/deep\n' > "$work/map"

# Checks the run that copied the map into $1.
check_copy()
{
    target=$1 what=$2
    [ "$status" -eq 0 ] || fail "$what: status $status: $(cat "$work/err")"
    [ -s "$work/err" ] && fail "$what: messages: $(cat "$work/err")"
    [ "$(cat "$work/out")" = "$(printf 'x dir one/file a, 5 bytes\nx a/b/c/deep, 10 bytes')" ] ||
        fail "$what: listing was: $(cat "$work/out")"
    for pair in "F0001.DAT=dir one/file a" "F0002.DAT=a/b/c/deep"; do
        from=$work/cd/DIR1/${pair%%=*}
        to=$target/${pair#*=}
        [ -f "$to" ] && [ ! -L "$to" ] && cmp -s "$from" "$to" || fail "$what: $to is not a copy"
        [ "$(stat -c '%a %Y' "$from")" = "$(stat -c '%a %Y' "$to")" ] ||
            fail "$what: mode and time of $to: $(stat -c '%a %Y' "$to")"
    done
}

mkdir "$work/t1"
run "$kcp" -M"$work/map" -S"$work/cd" -T"$work/t1"
check_copy "$work/t1" "from CD-ROM names"

mkdir -p "$work/t2/dir one"
echo outside > "$work/outside"
ln -s "$work/outside" "$work/t2/dir one/file a"
run "$kcp" -i -M"$work/map" -S"$work/dist" -T"$work/t2"
check_copy "$work/t2" "from installed names over a link"
[ "$(cat "$work/outside")" = outside ] || fail "kcp wrote through a link in the target"

mkdir "$work/t3"
ln -s "$work/elsewhere" "$work/t3/a"
refuse "a linked directory" "$work/t3/a is a symbolic link" "$kcp" -M"$work/map" -S"$work/cd" -T"$work/t3"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "kcp wrote through a linked directory"

mkdir "$work/t4"
printf 'DIR1/F0009.DAT\tbin/missing\n' > "$work/missing.map"
refuse "a missing source file" "cannot read $work/cd/DIR1/F0009.DAT: No such file or directory" \
    "$kcp" -M"$work/missing.map" -S"$work/cd" -T"$work/t4"

# Each bad line follows a good one, which must not be copied either.
while IFS='|' read -r line message; do
    printf 'DIR1/F0002.DAT\tfirst\n%s\n' "$line" > "$work/bad.map"
    refuse "bad line $line" "$work/bad.map, line 2: $message" "$kcp" -M"$work/bad.map" -S"$work/cd" -T"$work/t4"
done <<EOF
DIR1/F0001.DAT dir one|expected the name on the medium, one tab and the installed name
DIR1/F0001.DAT${tab}a${tab}b|expected the name on the medium, one tab and the installed name
DIR1/F0001.DAT${tab}bin/../../escaped|"bin/../../escaped" is not a relative path inside its directory
DIR1/F0001.DAT${tab}/etc/escaped|"/etc/escaped" is not a relative path inside its directory
../F0001.DAT${tab}bin/f|"../F0001.DAT" is not a relative path inside its directory
DIR1/F0001.DAT${tab}bin/f$(printf '\r')|"bin/f$(printf '\r')" is not a relative path inside its directory
EOF
[ -z "$(ls -A "$work/t4")" ] || fail "a refused map copied $(ls -A "$work/t4")"

# Root writes anywhere, so its unwritable target is a read-only mount.
mkdir "$work/t5"
if [ "$(id -u)" -ne 0 ]; then
    chmod 0555 "$work/t5"
    refuse "an unwritable target" "cannot make directory $work/t5/dir one: " \
        "$kcp" -M"$work/map" -S"$work/cd" -T"$work/t5"
elif unshare -m true 2> /dev/null; then
    refuse "a read-only target" "cannot make directory $work/t5/dir one: Read-only file system" \
        unshare -m sh -c 'mount --bind "$0" "$0" && mount -o remount,ro,bind "$0" "$0" && exec "$@"' \
        "$work/t5" "$kcp" -M"$work/map" -S"$work/cd" -T"$work/t5"
else
    echo "SKIP: an unwritable target needs a private mount namespace when run as root"
fi

finish
