#!/usr/bin/env bash
# Sets up what is needed, builds, and runs the tests.
#   scripts/test.sh [--sanitize | --tsan] [--werror]   (the options of scripts/setup.sh)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="$root/build"
for arg in "$@"; do
  case "$arg" in
    --sanitize) build_dir="$root/build-sanitize" ;;
    --tsan) build_dir="$root/build-tsan" ;;
  esac
done
"$root/scripts/setup.sh" "$@"
if [[ "$build_dir" == */build-tsan ]]; then
  # Qt and the codec libraries are not built with ThreadSanitizer; races inside them are theirs.
  export TSAN_OPTIONS="suppressions=$root/scripts/tsan.supp ${TSAN_OPTIONS:-}"
fi
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
