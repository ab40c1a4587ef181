#!/usr/bin/env bash
# Sets up what is needed, builds, and starts Corvath. Arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh" >&2
[ $# -gt 0 ] || set -- --help
exec "$root/build/bin/corvath-cli" "$@"
