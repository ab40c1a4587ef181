#!/usr/bin/env bash
# Fails when a source file includes from a layer above its own, when one front end includes the
# other, or when Qt appears outside the user interface.
#   scripts/check_layers.sh [SOURCE_DIR]   (default: the project's src/)
set -euo pipefail
src=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/src}

# Lowest first; the two front ends share the top.
declare -A rank=([platform]=0 [tags]=1 [audio]=2 [codecs]=3 [cd]=4 [app]=5 [ui]=6 [cli]=6)

failures=0
while IFS= read -r -d '' file; do
  relative=${file#"$src"/}
  layer=${relative%%/*}
  [ -n "${rank[$layer]:-}" ] || continue
  while IFS=: read -r line included; do
    target=${included%%/*}
    [ -n "${rank[$target]:-}" ] || continue
    if (( rank[$target] > rank[$layer] )) || { [ "$target" != "$layer" ] && (( rank[$target] == rank[$layer] )); }; then
      echo "$relative:$line: $layer/ may not include $included"
      failures=$((failures + 1))
    fi
  done < <(grep -noE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$file" | sed -E 's/:.*"([^"]+)"$/:\1/')
  if [ "$layer" != ui ] && grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$file"; then
    echo "$relative: Qt outside src/ui"
    failures=$((failures + 1))
  fi
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)

if (( failures > 0 )); then
  echo "check_layers: $failures include(s) out of place" >&2
  exit 1
fi
echo "check_layers: every include runs downward"
