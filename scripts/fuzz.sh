#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them.
#   scripts/fuzz.sh [TARGET] [SECONDS]     (default: profile_fuzzer for 60 seconds)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
target=${1:-profile_fuzzer}
seconds=${2:-60}
build_dir="$root/build-fuzz"
"$root/scripts/setup.sh" --build-dir "$build_dir" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCORVATH_FUZZ=ON -DCORVATH_TESTS=OFF
# The profile fuzzer writes a file per input: in memory, a sync costs nothing.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ]; then export TMPDIR=/dev/shm; fi
corpus="$build_dir/corpus/$target"
mkdir -p "$corpus"
"$build_dir/bin/$target" -max_total_time="$seconds" -max_len=65536 -artifact_prefix="$build_dir/" "$corpus" "$root/fuzz/seeds/$target"
