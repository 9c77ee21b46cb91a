#!/bin/sh
# Installs what the build needs, then configures and builds into build/.
set -e
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)"
