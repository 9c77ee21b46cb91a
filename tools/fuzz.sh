#!/bin/sh
# Runs one fuzz target under libFuzzer for a given time:
#
#   tools/fuzz.sh TARGET SECONDS      (tools/fuzz.sh -l lists the targets)
#
# Builds the targets with clang, libFuzzer, AddressSanitizer and UBSan into
# build-fuzz/ (the normal build stays GCC), then fuzzes from the seed corpus
# tests/fuzz/corpus/TARGET/. New inputs go to build-fuzz/corpus/TARGET/, a
# crash, a leak, a sanitizer report or an input that takes more than 2 s to
# build-fuzz/crashes/TARGET/ with the report on standard error; the log is
# build-fuzz/TARGET.log and ends with the count of inputs run
# (stat::number_of_executed_units). The exit status is libFuzzer's: 0 when
# the time ran out without a finding. Runs at nice 10.
set -e
cd "$(dirname "$0")/.."
repo=$(pwd)
targets=$(sed -n 's/^kit_fuzz_target(\([a-z_]*\) .*/\1/p' tests/fuzz/CMakeLists.txt)

if [ "$1" = "-l" ]; then
    echo "$targets"
    exit 0
fi
if [ $# -ne 2 ] || ! echo "$targets" | grep -qx "$1" || ! [ "$2" -gt 0 ] 2>/dev/null; then
    echo "usage: tools/fuzz.sh TARGET SECONDS; targets:" $targets >&2
    exit 2
fi
target=$1
seconds=$2
tools/install-deps.sh
if ! command -v clang++ >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends clang
fi

launcher=""
command -v ccache >/dev/null && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
cmake -S . -B build-fuzz -DKIT_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    $launcher >/dev/null
nice -n 10 cmake --build build-fuzz -j2 --target "fuzz_$target"

work=build-fuzz/corpus/$target
crashes=build-fuzz/crashes/$target
mkdir -p "$work" "$crashes"
# Leaks count: only the system libraries' own, listed in tests/lsan.supp,
# are let through. Standard output and error of the readers are closed
# (-close_fd_mask=3); libFuzzer's and the sanitizers' reports still show.
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
LSAN_OPTIONS=suppressions=$repo/tests/lsan.supp:print_suppressions=0
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS
nice -n 10 "build-fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=2 \
    -rss_limit_mb=2048 -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$crashes/" \
    "$work" "tests/fuzz/corpus/$target" 2>&1 | tee "build-fuzz/$target.log"
! grep -q "^==[0-9]*==ERROR\|^SUMMARY\|Test unit written" "build-fuzz/$target.log"
