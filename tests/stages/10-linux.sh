#!/usr/bin/env bash
# The native build with every unit and end-to-end test.
set -euo pipefail
$SUDO apt-get install -y -qq cmake g++ make libgtest-dev libgmock-dev >/dev/null
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2
