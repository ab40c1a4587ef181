#!/usr/bin/env bash
# Sets up what is needed, builds, and starts Corvath.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh" >&2
exec "$root/build/bin/corvath"
