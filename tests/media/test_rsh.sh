#!/bin/sh
# The stand-in remote shell: words joined as rsh joins them, -n, the status passed
# on, and an unknown host refused with nothing run.
# Usage: test_rsh.sh rsh
set -u
rsh=$1
. "$(dirname "$0")/../shell_checks.sh"

out=$("$rsh" localhost printf "'%s|'" "'a  b'" "\"c'd\"" 2>&1)
[ "$out" = "a  b|c'd|" ] || fail "quoted words came out as: $out"
out=$(echo input | "$rsh" "$(hostname)" -n -l operator cat 2>&1)
[ -z "$out" ] || fail "-n left the input open: $out"
"$rsh" localhost 'exit 3'
[ "$?" -eq 3 ] || fail "the command's status was not passed on"
KITSETUP_RSH_HOSTS="other, tapehost" "$rsh" tapehost true || fail "a host from KITSETUP_RSH_HOSTS was refused"
out=$("$rsh" tapehost touch "$work/ran" 2>&1) && fail "an unknown host was accepted"
[ "$out" = "rsh: tapehost: unknown host" ] || fail "the unknown host's message was: $out"
[ -e "$work/ran" ] && fail "the command ran for an unknown host"

finish
