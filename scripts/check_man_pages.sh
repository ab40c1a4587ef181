#!/usr/bin/env bash
# Checks manual pages: groff finds nothing to warn about, and man renders each one.
#   scripts/check_man_pages.sh [PAGE...]   (default: docs/man/*.1)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
[ $# -gt 0 ] || set -- "$root"/docs/man/*.1

errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
status=0
for page in "$@"; do
  if ! groff -man -ww -z "$page" >"$errors" 2>&1 || [ -s "$errors" ]; then
    echo "$page: groff warns:" >&2
    cat "$errors" >&2
    status=1
  fi
  # man tells on stderr what it could not format; a rendered page has a NAME section.
  if ! MANWIDTH=80 man -l "$page" 2>"$errors" | grep -q '^NAME' || [ -s "$errors" ]; then
    echo "$page: man does not render it" >&2
    cat "$errors" >&2
    status=1
  fi
done
exit $status
