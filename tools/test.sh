#!/bin/sh
# Sets everything up, builds, and runs every test; then builds everything
# again with AddressSanitizer and UBSan (tools/sanitize.sh) and runs every
# test there but the GUI programs' (label gui), which the first run covers:
# under the sanitizers they would take longest of all.
set -e
cd "$(dirname "$0")/.."
tools/build.sh
ctest --test-dir build -j "$(nproc)" --output-on-failure --timeout 300
KIT_GUI_TESTS=OFF tools/sanitize.sh
