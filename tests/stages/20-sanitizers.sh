#!/usr/bin/env bash
# Every test once more, on a build with AddressSanitizer and
# UndefinedBehaviorSanitizer: a stray read or write, a leak or undefined
# arithmetic in the program ends its run with a report, which the end-to-end
# tests see as a wrong status and a wrong standard error.
set -euo pipefail
source tests/stages/common.bash
$SUDO apt-get install -y -qq -o DPkg::Lock::Timeout=600 cmake g++ make libgtest-dev libgmock-dev >/dev/null
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER="${ZONE2LAS_SANITIZE_CXX:-g++}" -DZONE2LAS_SANITIZE=ON -DZONE2LAS_BUILD_TESTS=ON
cmake --build build-sanitize -j2
# A status the program never uses marks a sanitizer's report.
export ASAN_OPTIONS=detect_leaks=1:exitcode=86:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:exitcode=86
run_ctest --test-dir build-sanitize --output-on-failure -j2
end_stage
