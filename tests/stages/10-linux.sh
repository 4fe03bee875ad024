#!/usr/bin/env bash
# The native build with every unit and end-to-end test.
set -euo pipefail
source tests/stages/common.bash
check "the stages count canned runner outputs right" bash tests/stages/counting_test.bash
$SUDO apt-get install -y -qq -o DPkg::Lock::Timeout=600 cmake g++ make libgtest-dev libgmock-dev >/dev/null
# node and npm for the las-js test, unless a node with its own npm is there.
command -v npm >/dev/null || $SUDO apt-get install -y -qq -o DPkg::Lock::Timeout=600 nodejs npm >/dev/null
# A folder of its own, with the tests on even where an earlier configure of
# it left them off.
cmake -S . -B build-linux -DCMAKE_BUILD_TYPE=Release -DZONE2LAS_BUILD_TESTS=ON
cmake --build build-linux -j2
# las-js, one pinned version, reads the standard files back.
npm install --prefix build-linux/las-js --no-audit --no-fund las-js@3.4.2 >/dev/null
export ZONE2LAS_REQUIRE_LAS_JS=1
run_ctest --test-dir build-linux --output-on-failure -j2
end_stage
