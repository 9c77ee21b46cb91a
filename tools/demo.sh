#!/bin/sh
# Sets everything up, builds, and runs the installer on the demo tree.
# Without a DISPLAY it starts Xvfb for the run. /opt/tarnu is a private
# temporary directory for the run unless KITSETUP_REAL_TARNU is set.
set -e
cd "$(dirname "$0")/.."
tools/build.sh

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    display=99
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
        display=$((display + 1))
    done
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    DISPLAY=":$display"
    export DISPLAY
    sleep 1
fi

# The demo tree ships the "C" catalogues only.
KARCH=${KARCH:-linux}
LANG=C
export KARCH LANG
if [ -n "${KITSETUP_REAL_TARNU:-}" ]; then
    build/kitsetup -dir build/demo "$@"
else
    tarnu=$(mktemp -d)
    status=0
    unshare -m sh -c 'mkdir -p /opt/tarnu && mount --bind "$0" /opt/tarnu && exec "$@"' \
        "$tarnu" build/kitsetup -dir build/demo "$@" || status=$?
    rm -rf "$tarnu"
    exit "$status"
fi
