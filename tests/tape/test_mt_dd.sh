#!/bin/sh
# The emulated drive under the system's mt and dd: spacing, one tape file per dd,
# a rewind on closing the rewinding name, a failing space past the end.
# Usage: test_mt_dd.sh libtapeemu.so make_tape.sh
set -u
library=$1 make_tape=$2
. "$(dirname "$0")/../shell_checks.sh"

mt=$(command -v mt) || { echo "FAIL: no mt program on PATH" >&2; exit 1; }
# Sizes not multiples of dd's block: short last blocks before a filemark.
seq 1 300 | sed 's/^/file zero line /' > "$work/file0"
{ printf 'kitsetup1'; seq 1 700; } > "$work/file1"
seq 1 150 | sed 's/^/third /' > "$work/file2"
"$make_tape" "$work/tape" "$work/file0" "$work/file1" "$work/file2" || exit 1
: > "$work/nst0"
: > "$work/st0"

# Runs a command with the drive attached under both names.
drive()
{
    LD_PRELOAD=$library KITSETUP_TAPE="$work/nst0=$work/tape:$work/st0=$work/tape" "$@"
}

# Reads one tape file from device $1 with dd and checks that it is file $2.
expect_file()
{
    drive dd if="$work/$1" of="$work/out" bs=512 2> "$work/dd.err" \
        || fail "dd on $1 failed: $(cat "$work/dd.err")"
    cmp -s "$work/out" "$work/$2" || fail "dd on $1 did not read $2: $3"
}

drive "$mt" -f "$work/nst0" fsf 1 || fail "mt fsf 1 failed"
expect_file nst0 file1 "after fsf 1"
expect_file nst0 file2 "the non-rewinding name lost its place"
drive "$mt" -f "$work/nst0" rewind || fail "mt rewind failed"
drive "$mt" -f "$work/nst0" fsf 1 || fail "mt fsf 1 failed"
expect_file st0 file1 "the rewinding name did not read from the head"
expect_file st0 file0 "closing the rewinding name did not rewind"
drive "$mt" -f "$work/nst0" fsf 5 2> /dev/null && fail "mt fsf 5 on a three-file tape succeeded"

finish
