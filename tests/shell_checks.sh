# Sourced by the shell tests: fail records a failed check without stopping,
# so one run shows every fault; $work is a fresh directory, removed at exit
# (made writable first, as a test may have taken its write permission);
# finish ends the run with the verdict.
failures=0

fail()
{
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

work=$(mktemp -d) || exit 1
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT

finish()
{
    [ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
    echo "all checks passed"
}
