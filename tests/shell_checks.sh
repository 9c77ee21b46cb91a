# Sourced by the shell tests: fail notes a fault and goes on, so one run shows
# all; $work is removed at exit (made writable first); finish gives the verdict.
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
