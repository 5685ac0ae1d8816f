#!/usr/bin/env bash
# Fails unless the agent's component library exports exactly its entry point
# NSGetModule (and "rexp.dll" exactly its two).
#
#   scripts/check-exports.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}

check() {
  local library=$1; shift
  local expected actual
  if [ ! -f "$library" ]; then
    echo "check-exports: $library is missing (build it first)" >&2
    return 1
  fi
  expected=$(printf '%s\n' "$@" | sort)
  actual=$(nm -D --defined-only "$library" | awk '{print $NF}' | sort)
  if [ "$actual" != "$expected" ]; then
    echo "check-exports: $library exports $(wc -l <<<"$actual") symbols, expected: $*" >&2
    comm -13 <(echo "$expected") <(echo "$actual") | head -20 | sed 's/^/  extra: /' >&2
    return 1
  fi
  echo "check-exports: $library exports exactly: $*"
}

check "$build/modules/components/NS6trap.dll" NSGetModule
check "$build/modules/rexp.dll" double_rg_match rg_match
