#!/usr/bin/env bash
# Fails when a source file includes from a layer above its own, when one front end includes the
# other, or when Qt appears outside the user interface.
#   scripts/check_layers.sh [SOURCE_DIR]   (default: the project's src/)
set -euo pipefail
src=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/src}
cd "$src"

# Every include as file:line:#include "x" or <x>, read by awk with the layers lowest first; the
# two front ends share the top.
grep -rnoE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]+[">]' . |
  awk -F: '
    BEGIN {
      split("platform tags audio codecs cd lookup app ui cli", order, " ")
      for (i = 1; i <= 9; ++i) rank[order[i]] = (i <= 8 ? i : 8)
    }
    {
      file = substr($1, 3)
      layer = file; sub(/\/.*/, "", layer)
      if (!(layer in rank)) next
      included = $3; sub(/^[^"<]*["<]/, "", included); sub(/[">]$/, "", included)
      if ($3 ~ /</) {
        if (layer != "ui" && included ~ /^Q/) { print file ": Qt outside src/ui"; ++failures }
        next
      }
      target = included; sub(/\/.*/, "", target)
      if (!(target in rank) || target == layer) next
      if (rank[target] >= rank[layer]) {
        print file ":" $2 ": " layer "/ may not include " included; ++failures
      }
    }
    END {
      if (failures > 0) { print "check_layers: " failures " include(s) out of place" > "/dev/stderr"; exit 1 }
      print "check_layers: every include runs downward"
    }'
