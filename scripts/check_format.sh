#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it (.clang-format at the top).
#   scripts/check_format.sh [--fix]   (--fix formats the files in place)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
mapfile -d '' files < <(find src tests bench fuzz -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run --Werror "${files[@]}"
  echo "check_format: ${#files[@]} files as clang-format writes them"
fi
