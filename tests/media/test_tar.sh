#!/bin/sh
# The listing tar: "x NAME, SIZE bytes" per file (links too, directories not),
# tar's failure its status; anything else goes to the system's tar as it is.
# Usage: test_tar.sh tar
set -u
tar=$1
. "$(dirname "$0")/../shell_checks.sh"

mkdir -p "$work/src/lib" "$work/out"
printf 'twelve bytes' > "$work/src/lib/libkps.so"
printf 'ab' > "$work/src/read me"
ln -s "read me" "$work/src/link"
(cd "$work/src" && /bin/tar cf "$work/a.tar" lib "read me" link) || exit 1

listing=$(cd "$work/out" && "$tar" xvf - < "$work/a.tar")
expected="x lib/libkps.so, 12 bytes
x read me, 2 bytes
x link, 0 bytes"
[ "$listing" = "$expected" ] || fail "the listing was: $listing"
[ "$(cat "$work/out/lib/libkps.so")" = "twelve bytes" ] || fail "the files did not land"
"$tar" xvf "$work/missing.tar" 2>/dev/null && fail "a failing tar reported success"
[ "$("$tar" tf "$work/a.tar" | head -n 1)" = "lib/" ] || fail "a listing was rewritten"

finish
