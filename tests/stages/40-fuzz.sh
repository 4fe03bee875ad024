#!/usr/bin/env bash
# Each libFuzzer target for about a minute, from the seed corpus. Any crash,
# leak, hang or broken promise fails the stage and leaves its input in
# build-fuzz/artifacts/.
set -euo pipefail
source tests/stages/common.bash
$SUDO apt-get install -y -qq -o DPkg::Lock::Timeout=600 cmake make clang-14 libclang-rt-14-dev >/dev/null
seconds=${ZONE2LAS_FUZZ_SECONDS:-60}
for target in convert tokenizer to_double; do
  check "$target fuzzed for $seconds s" bash fuzz/run "$seconds" "$target"
done
end_stage
