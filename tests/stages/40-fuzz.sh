#!/usr/bin/env bash
# Each libFuzzer target for about a minute, from the seed corpus. Any crash,
# leak, hang or broken promise fails the stage and leaves its input in
# build-fuzz/artifacts/.
set -euo pipefail
$SUDO apt-get install -y -qq -o DPkg::Lock::Timeout=600 cmake make clang-14 libclang-rt-14-dev >/dev/null
bash fuzz/run "${ZONE2LAS_FUZZ_SECONDS:-60}"
