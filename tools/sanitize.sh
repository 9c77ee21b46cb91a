#!/bin/sh
# Builds everything with AddressSanitizer and UBSan into build-asan/ and runs
# every test there with leak detection on. Arguments go to ctest (-R NAME to
# run some tests only); KIT_GUI_TESTS=OFF leaves the GUI programs' tests out
# of the build and the run. A memory error, a leak or undefined behaviour in
# our code fails the test that met it, with its stack in the test's output.
set -e
cd "$(dirname "$0")/.."
repo=$(pwd)
tools/install-deps.sh

# The options reach every child the tests start (the installer under Xvfb,
# its helpers); programs without the sanitizer runtime (wish, Xvfb, mt, dd)
# ignore them. The tape tests preload the uninstrumented tape emulator
# before the runtime, which only the link-order check minds.
ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0
LSAN_OPTIONS=suppressions=$repo/tests/lsan.supp:print_suppressions=0
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS

cmake -S . -B build-asan -DKIT_SANITIZE=ON -DKIT_GUI_TESTS="${KIT_GUI_TESTS:-ON}" >/dev/null
cmake --build build-asan -j "$(nproc)"
ctest --test-dir build-asan -j "$(nproc)" --output-on-failure --timeout 600 "$@"
