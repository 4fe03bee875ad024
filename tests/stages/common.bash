# Sourced by every stage. It counts what the stage tests for tests/run_all:
# each run of tests adds a line "PASSED FAILED" to the file named in
# ZONE2LAS_COUNTS (nowhere when a stage is started on its own).

SUDO=${SUDO-}
export DEBIAN_FRONTEND=noninteractive
zone2las_counts=${ZONE2LAS_COUNTS:-/dev/null}

# ctest with the given arguments. A folder without tests is a failure, not
# an empty success.
run_ctest() {
  local log status=0
  log=$(mktemp)
  ctest --no-tests=error "$@" 2>&1 | tee "$log" || status=$?
  # "100% tests passed, 0 tests failed out of 108"
  sed -nE 's/^[0-9]+% tests passed, ([0-9]+) tests? failed out of ([0-9]+)$/\2 \1/p' \
    "$log" | while read -r total failed; do
    echo "$((total - failed)) $failed" >>"$zone2las_counts"
  done
  rm -f "$log"
  return "$status"
}

# A GoogleTest program with its arguments, run directly.
run_gtest() {
  local log status=0 ran failed
  log=$(mktemp)
  "$@" 2>&1 | tee "$log" || status=$?
  # "[==========] 40 tests from 3 test suites ran." and, after failures,
  # "[  FAILED  ] 2 tests, listed below:"
  ran=$(sed -nE 's/^\[==========\] ([0-9]+) tests? from .* ran\..*/\1/p' "$log")
  failed=$(sed -nE 's/^\[  FAILED  \] ([0-9]+) tests?, listed below:.*/\1/p' "$log")
  rm -f "$log"
  echo "$((${ran:-0} - ${failed:-0})) ${failed:-0}" >>"$zone2las_counts"
  return "$status"
}

# One check of the stage's own, counted as one test: "check WHAT COMMAND...".
# A failed check fails the stage.
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
    echo "1 0" >>"$zone2las_counts"
  else
    echo "FAILED: $what" >&2
    echo "0 1" >>"$zone2las_counts"
    return 1
  fi
}
