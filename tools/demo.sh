#!/bin/sh
# Sets everything up, builds, and runs the installer on the demo tree.
# On the caller's DISPLAY it runs for the user. Without a DISPLAY it starts
# Xvfb, walks through the program by its automation interface and leaves
# screenshots under build/demo-shots/. /opt/tarnu is a private temporary
# directory for the run unless KITSETUP_REAL_TARNU is set.
set -e
cd "$(dirname "$0")/.."
tools/build.sh

# The demo tree ships the "C" catalogues only, which any other language falls
# back to, and its own printer defaults. The run works in build/demo-run: the
# printer dialogs save into a copy of those defaults there, and a home there
# holds whatever the run writes for the user, never the user's own files.
KARCH=${KARCH:-linux}
LANG=${LANG:-C}
scratch=$PWD/build/demo-run
rm -rf "$scratch"
mkdir -p "$scratch/home" "$scratch/xp"
cp build/demo/xp/Xpdefaults "$scratch/xp/Xpdefaults"
XPPATH=$scratch/xp
# The X server's cookie stays where the user's session keeps it.
XAUTHORITY=${XAUTHORITY:-$HOME/.Xauthority}
HOME=$scratch/home
export KARCH LANG XPPATH HOME XAUTHORITY
# The demo tapes sit in emulated drives (build/media/tape), which the
# installer and its mt and dd children see through the preloaded emulator.
KITSETUP_TAPE=$(cat build/media/tape/drives)
export KITSETUP_TAPE
tape_drive_emulator=$PWD/build/tools/tapeemu/libtapeemu.so

# Runs the installer with the given arguments, /opt/tarnu isolated unless
# the real one was asked for.
run_installer() {
    if [ -n "${KITSETUP_REAL_TARNU:-}" ]; then
        LD_PRELOAD=$tape_drive_emulator build/kitsetup -dir build/demo "$@"
    else
        tarnu=$(mktemp -d)
        status=0
        LD_PRELOAD=$tape_drive_emulator \
            tools/private_tarnu.sh "$tarnu" build/kitsetup -dir build/demo "$@" || status=$?
        rm -rf "$tarnu"
        return "$status"
    fi
}

if [ -n "${DISPLAY:-}" ]; then
    run_installer "$@"
    exit $?
fi

# The number file of an earlier run would be read before Xvfb empties it.
rm -f build/demo-display
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>build/demo-display >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
while [ ! -s build/demo-display ]; do sleep 0.1; done
DISPLAY=":$(head -n 1 build/demo-display)"
KITSETUP_AUTOMATION=kitsetup_demo
HYPERHELP_AUTOMATION=kitsetup_demo_help
# The walk's tape reads at the pace of a slow drive, so that its transfer
# dialog can be seen.
KITSETUP_TAPE_RATE=${KITSETUP_TAPE_RATE:-150000}
export DISPLAY KITSETUP_AUTOMATION HYPERHELP_AUTOMATION KITSETUP_TAPE_RATE

shots=build/demo-shots
rm -rf "$shots"
mkdir -p "$shots"
# The walk installs into build/demo-run; the run stays for a look afterwards.
run_installer "$@" &
installer=$!
walk=0
wish tools/demo_walk.tcl kitsetup_demo "$shots" "$PWD/build/media" "$scratch" || walk=$?
if [ "$walk" -ne 0 ]; then
    kill "$installer" 2>/dev/null || true
fi
wait "$installer" || true
echo "Screenshots are in $shots"
exit "$walk"
