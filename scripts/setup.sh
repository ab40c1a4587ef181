#!/usr/bin/env bash
# Installs the Debian packages Corvath needs that are missing, then configures and builds.
#   scripts/setup.sh [--sanitize | --tsan] [--werror] [--build-dir DIR] [-DCMAKE_OPTION=VALUE ...]
#   --sanitize  AddressSanitizer and UndefinedBehaviorSanitizer build in build-sanitize/
#   --tsan      ThreadSanitizer build in build-tsan/
#   --werror    compiler warnings stop the build
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="$root/build"
cmake_args=(-DCMAKE_BUILD_TYPE=Release)
extra_args=()

while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize) build_dir="$root/build-sanitize"; cmake_args=(-DCMAKE_BUILD_TYPE=Debug -DCORVATH_SANITIZE=ON) ;;
    --tsan) build_dir="$root/build-tsan"; cmake_args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVATH_TSAN=ON) ;;
    --werror) extra_args+=(-DCORVATH_WERROR=ON) ;;
    --build-dir) build_dir="$2"; shift ;;
    -D*) extra_args+=("$1") ;;
    *) echo "setup.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

mapfile -t packages < <(grep -v -e '^#' -e '^$' "$root/scripts/debian-packages.txt")
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build_dir" -G Ninja "${cmake_args[@]}" "${extra_args[@]}"
cmake --build "$build_dir"
