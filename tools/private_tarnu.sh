#!/bin/sh
# Runs a program in a mount namespace of its own in which /opt/tarnu is the
# directory DIR, so that the installer's records of installed products never
# touch the machine's. The program keeps this process's id.
#
# Usage: private_tarnu.sh DIR PROGRAM [ARGUMENT...]
if [ "$#" -lt 2 ]; then
    echo "usage: $0 dir program [argument...]" >&2
    exit 2
fi
exec unshare -m sh -c 'mkdir -p /opt/tarnu && mount --bind "$0" /opt/tarnu && exec "$@"' "$@"
