#!/usr/bin/env bash
# Fails when a folder of the agent includes a header of a layer above its own,
# or a header of the simulated browser's internals. The layer order is the
# table in src/agent/README.md (row number, folder); a folder missing from
# the table fails too.
#
#   scripts/check-layers.sh [SOURCE_ROOT]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
agent="$root/src/agent"

declare -A rank
while IFS='|' read -r _ number folder _; do
  number=${number// /}
  folder=$(sed -e 's/[` ]//g' -e 's#/$##' <<<"$folder")
  [[ $number =~ ^[0-9]+$ ]] && rank[$folder]=$number
done < "$agent/README.md"
if [ ${#rank[@]} -eq 0 ]; then
  echo "check-layers: no layer table in src/agent/README.md" >&2
  exit 2
fi

status=0
for dir in "$agent"/*/; do
  folder=$(basename "$dir")
  own=${rank[$folder]:-}
  if [ -z "$own" ]; then
    echo "src/agent/$folder: folder has no row in the layer table of src/agent/README.md"
    status=1
    continue
  fi
  while IFS=: read -r file line text; do
    target=$(sed -E 's#.*"agent/([^/"]+)/.*#\1#' <<<"$text")
    if [[ $text == *'"platform/browser/'* ]]; then
      echo "${file#"$root"/}:$line: the agent includes the simulated browser's internals"
      status=1
    elif [[ $text == *'"agent/'* ]]; then
      theirs=${rank[$target]:-}
      if [ -z "$theirs" ]; then
        echo "${file#"$root"/}:$line: includes from agent/$target, which has no layer"
        status=1
      elif [ "$theirs" -gt "$own" ]; then
        echo "${file#"$root"/}:$line: $folder (layer $own) includes $target (layer $theirs)"
        status=1
      fi
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"(agent|platform/browser)/' \
             --include='*.h' --include='*.cpp' "$dir" || true)
done
[ $status -eq 0 ] && echo "check-layers: every agent folder includes only its own and lower layers"
exit $status
