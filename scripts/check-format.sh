#!/usr/bin/env bash
# Fails when a C++ file of the project differs from what clang-format 14 makes
# of it with the repository's .clang-format; lists the files that do.
#
#   scripts/check-format.sh            every tracked .h/.cpp file
#   scripts/check-format.sh FILE...    only these
set -euo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
  echo "check-format: clang-format 14 is not installed" >&2
  exit 2
fi
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files '*.h' '*.cpp')
fi
unformatted=()
for file in "${files[@]}"; do
  if ! "$format" --style=file --dry-run --Werror "$file" >/dev/null 2>&1; then
    unformatted+=("$file")
  fi
done
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "check-format: ${#unformatted[@]} of ${#files[@]} files need clang-format:" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files formatted"
