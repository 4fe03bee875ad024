#!/usr/bin/env bash
# The stages' counting, tried on canned outputs of the test runners: normal
# and brief GoogleTest output, ctest, passing, failing, skipping and cut
# short. Prints each case that is counted wrong; fails if any is.
set -uo pipefail
cd "$(dirname "$0")/../.."
ZONE2LAS_COUNTS=/dev/null source tests/stages/common.bash
data=tests/data/runner_outputs
wrong=0
# Runner, canned output, the runner's exit status, then "PASSED FAILED".
while read -r runner output status expected; do
  got=$("${runner}_counts" "$data/$output" "$status")
  if [ "$got" != "$expected" ]; then
    echo "counting_test: $output (status $status): \"$got\", expected \"$expected\"" >&2
    wrong=1
  fi
done <<'CASES'
gtest gtest_normal_pass.txt 0 2 0
gtest gtest_brief_pass.txt 0 2 0
gtest gtest_normal_fail.txt 1 2 1
gtest gtest_brief_fail.txt 1 2 1
gtest gtest_normal_skip.txt 0 1 0
gtest gtest_brief_skip.txt 0 1 0
gtest gtest_crashed.txt 139 0 1
gtest gtest_brief_pass.txt 1 2 1
gtest gtest_crashed.txt 0 0 1
gtest gtest_brief_fail_crlf.txt 1 2 1
ctest ctest_pass.txt 0 2 0
ctest ctest_fail.txt 8 2 1
ctest gtest_crashed.txt 8 0 1
CASES
exit "$wrong"
