# Sourced by every stage. It counts what the stage tests for tests/run_all:
# each run of tests adds a line "PASSED FAILED" to the file named in
# ZONE2LAS_COUNTS (nowhere when a stage is started on its own).

SUDO=${SUDO-}
export DEBIAN_FRONTEND=noninteractive
zone2las_counts=${ZONE2LAS_COUNTS:-/dev/null}

# A stage goes on past a failed test or check, so that every later check
# still runs; it ends with end_stage, whose status says whether any failed.
zone2las_stage_failed=0

# "PASSED FAILED" from a ctest log (LOG) that ended with STATUS. A run that
# failed without a count of its own counts as one failed test.
ctest_counts() {
  local log=$1 status=$2 counts
  # "100% tests passed, 0 tests failed out of 108"
  counts=$(sed -nE 's/^[0-9]+% tests passed, ([0-9]+) tests? failed out of ([0-9]+)$/\2 \1/p' "$log" |
    awk '{ t += $1; f += $2 } END { if (NR) print t - f, f }')
  settle_counts "$status" "$counts"
}

# "PASSED FAILED" from a GoogleTest log (LOG) that ended with STATUS, in its
# normal or its brief output: both end with the count of tests that ran and
# of those that passed ("[==========] 40 tests from 3 test suites ran.",
# "[  PASSED  ] 38 tests."), and skipped tests are counted apart. A test
# neither passed nor skipped has failed, whatever else was printed.
gtest_counts() {
  local log=$1 status=$2 counts
  counts=$(awk '
    /^\[==========\] [0-9]+ tests? from .* ran\./ { ran += $2; seen = 1 }
    /^\[  PASSED  \] [0-9]+ tests?\./ { passed += $4 }
    /^\[  SKIPPED \] [0-9]+ tests?[.,]/ { skipped += $4 }
    END { if (seen) print passed, ran - passed - skipped }' "$log")
  settle_counts "$status" "$counts"
}

# Prints COUNTS ("PASSED FAILED"), with one failed test more when the run
# ended with a failing STATUS but counted no failure, or counted nothing
# (whatever its status: a runner whose count cannot be read has not shown
# that its tests passed).
settle_counts() {
  local status=$1 passed failed
  read -r passed failed <<<"${2:-0 0}"
  if [ -z "$2" ] || { [ "$status" != 0 ] && [ "$failed" = 0 ]; }; then
    failed=$((failed + 1))
  fi
  echo "$passed $failed"
}

# Adds a count ("PASSED FAILED") to the stage's; a failure marks the stage.
add_counts() {
  local passed failed
  read -r passed failed <<<"$1"
  echo "$passed $failed" >>"$zone2las_counts"
  if [ "$failed" != 0 ]; then zone2las_stage_failed=1; fi
}

# ctest with the given arguments. A folder without tests is a failure, not
# an empty success.
run_ctest() {
  local log status=0
  log=$(mktemp)
  ctest --no-tests=error "$@" 2>&1 | tee "$log" || status=$?
  add_counts "$(ctest_counts "$log" "$status")"
  rm -f "$log"
}

# A GoogleTest program with its arguments, run directly.
run_gtest() {
  local log status=0
  log=$(mktemp)
  "$@" 2>&1 | tee "$log" || status=$?
  add_counts "$(gtest_counts "$log" "$status")"
  rm -f "$log"
}

# One check of the stage's own, counted as one test: "check WHAT COMMAND...".
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
    add_counts "1 0"
  else
    echo "FAILED: $what" >&2
    add_counts "0 1"
  fi
}

# The stage's status: failed if any of its tests or checks failed.
end_stage() {
  [ "$zone2las_stage_failed" = 0 ]
}
