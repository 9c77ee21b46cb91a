#!/bin/sh
# Sets everything up, builds, and runs every test.
set -e
cd "$(dirname "$0")/.."
tools/build.sh
ctest --test-dir build -j "$(nproc)" --output-on-failure --timeout 300
