#!/bin/sh
# Drives the emulated tape drive with the system's own mt and dd, the way the
# installer's tape commands do: spacing on the non-rewinding name, reading
# one tape file per dd, rewinding on close of the rewinding name, and a
# failing space past the end of the tape.
#
# Usage: test_mt_dd.sh libtapeemu.so make_tape.sh
set -u

library=$1
make_tape=$2
failures=0

# Records a failed check without stopping, so one run shows every fault.
fail()
{
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

mt=$(command -v mt) || { echo "FAIL: no mt program on PATH" >&2; exit 1; }
echo "using $mt ($("$mt" --version 2>&1 | head -n 1))"

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
# Sizes that are not multiples of the block sizes used below, so short last
# blocks and the filemark after them are exercised.
seq 1 300 | sed 's/^/file zero line /' > "$work/file0"
{ printf 'kitsetup1'; seq 1 700; } > "$work/file1"
seq 1 150 | sed 's/^/third /' > "$work/file2"
"$make_tape" "$work/tape" "$work/file0" "$work/file1" "$work/file2" || exit 1
: > "$work/nst0"
: > "$work/st0"

nrewind=$work/nst0
rewind=$work/st0
# Runs a command with the drive attached.
drive()
{
    LD_PRELOAD=$library KITSETUP_TAPE="$nrewind=$work/tape:$rewind=$work/tape" "$@"
}

# Reads one tape file from device with dd into file out; dd's status is the result.
read_file()
{
    drive dd if="$1" of="$2" bs=512 2> "$work/dd.err"
}

# Non-rewinding name: space to file 1, then each dd reads the next file.
drive "$mt" -f "$nrewind" rewind || fail "mt rewind failed"
drive "$mt" -f "$nrewind" fsf 1 || fail "mt fsf 1 failed"
read_file "$nrewind" "$work/out1" || fail "dd of file 1 failed: $(cat "$work/dd.err")"
cmp -s "$work/out1" "$work/file1" || fail "first dd after fsf 1 did not read file 1"
read_file "$nrewind" "$work/out2" || fail "dd of file 2 failed: $(cat "$work/dd.err")"
cmp -s "$work/out2" "$work/file2" || fail "second dd on the non-rewinding device did not read file 2"

# End of data: one empty read, then the drive reports an I/O error.
read_file "$nrewind" "$work/out3" || fail "first dd at end of data failed"
[ -s "$work/out3" ] && fail "dd at end of data read something"
read_file "$nrewind" "$work/out4" && fail "second dd at end of data succeeded"
grep -q "Input/output error" "$work/dd.err" || fail "dd past end of data: $(cat "$work/dd.err")"

# Rewinding name: reads from where the head is, and closing rewinds.
drive "$mt" -f "$nrewind" rewind || fail "mt rewind failed"
drive "$mt" -f "$nrewind" fsf 1 || fail "mt fsf 1 failed"
read_file "$rewind" "$work/out5" || fail "dd on the rewinding device failed"
cmp -s "$work/out5" "$work/file1" || fail "dd on the rewinding device did not read file 1"
read_file "$rewind" "$work/out6" || fail "second dd on the rewinding device failed"
cmp -s "$work/out6" "$work/file0" || fail "closing the rewinding device did not rewind"

# A skip over records reads them, since a tape cannot seek.
drive "$mt" -f "$nrewind" rewind || fail "mt rewind failed"
drive "$mt" -f "$nrewind" fsf 1 || fail "mt fsf 1 failed"
drive dd if="$nrewind" of="$work/out7" bs=100 skip=2 count=1 2> /dev/null \
    || fail "dd with skip failed"
dd if="$work/file1" of="$work/expect7" bs=100 skip=2 count=1 2> /dev/null
cmp -s "$work/out7" "$work/expect7" || fail "dd skip=2 did not read the third block of file 1"

# Spacing past the last file fails and leaves the head at end of data.
drive "$mt" -f "$nrewind" rewind || fail "mt rewind failed"
drive "$mt" -f "$nrewind" fsf 5 2> /dev/null && fail "mt fsf 5 on a three-file tape succeeded"
read_file "$nrewind" "$work/out8" || fail "dd after failed fsf failed"
[ -s "$work/out8" ] && fail "failed fsf did not leave the head at end of data"

# Writing to the tape is refused (the emulated tape is write-protected).
drive "$mt" -f "$nrewind" weof 2> /dev/null && fail "mt weof succeeded on a read-only tape"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "all checks passed"
