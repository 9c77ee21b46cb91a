#!/bin/sh
# Installs, with apt-get, every Debian package the build, the tests and the
# demo need. Packages already present are left alone, so a second run is quick.
set -e

packages="build-essential cmake pkg-config googletest libgtest-dev libgmock-dev
 tcl8.6-dev tk8.6-dev tk8.6 tclx8.4 tclx8.4-dev libx11-dev libxpm-dev
 xvfb xfonts-base x11-utils x11-apps netpbm
 libc-bin locales util-linux tar cpio ncompress mt-st coreutils"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" \
        || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
# shellcheck disable=SC2086
$sudo apt-get install -y -q --no-install-recommends $missing
