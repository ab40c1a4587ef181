#!/usr/bin/env bash
# Sets up what is needed, builds, and runs the tests.
#   scripts/test.sh [--sanitize]   (AddressSanitizer and UndefinedBehaviorSanitizer build)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="$root/build"
[ "${1:-}" = "--sanitize" ] && build_dir="$root/build-sanitize"
"$root/scripts/setup.sh" "$@"
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
