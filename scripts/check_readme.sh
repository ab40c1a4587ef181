#!/usr/bin/env bash
# Runs the README's quick start as written, in order, after the tests have built everything:
# the program must start (and keep running until stopped), the package must build, install with
# apt-get, run from /usr/bin and leave nothing behind when removed. The test command itself is
# what CI runs first.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

# The lines of the shell blocks of the "Quick start" section, comments dropped.
mapfile -t commands < <(awk '
  /^## / { inside = ($0 == "## Quick start") }
  inside && /^```sh/ { block = 1; next }
  inside && /^```/ { block = 0; next }
  inside && block { sub(/[[:space:]]+#.*$/, ""); if ($0 != "") print }
' README.md)
[ ${#commands[@]} -ge 4 ] || { echo "check_readme: the quick start has too few commands" >&2; exit 1; }

for command in "${commands[@]}"; do
  # As root there may be no sudo to go through.
  [ "$(id -u)" -eq 0 ] && command=${command#sudo }
  echo "check_readme: $command"
  case "$command" in
    "bash scripts/test.sh") ;; # CI has just run it
    "bash scripts/start.sh")
      status=0
      QT_QPA_PLATFORM=offscreen timeout 30 bash -c "$command" </dev/null >/dev/null || status=$?
      [ "$status" -eq 124 ] || { echo "check_readme: the program did not keep running ($status)" >&2; exit 1; }
      ;;
    *) DEBIAN_FRONTEND=noninteractive bash -c "$command" ;;
  esac
done

# What the package put in place works from there, and goes with it.
/usr/bin/corvath-cli --version
QT_QPA_PLATFORM=offscreen /usr/bin/corvath --version
mapfile -t installed < <(dpkg -L corvath | while read -r path; do [ -f "$path" ] && echo "$path"; done)
apt-get remove -y -qq corvath >/dev/null
for path in "${installed[@]}"; do
  [ ! -e "$path" ] || { echo "check_readme: $path stayed after apt-get remove" >&2; exit 1; }
done
echo "check_readme: the quick start works as written"
