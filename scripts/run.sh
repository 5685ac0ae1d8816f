#!/usr/bin/env bash
# Runs the console `webagent`: installs what the build needs, builds the
# console and the agent component, and starts it with the given arguments.
# Without arguments it opens the built-in demo site and runs the demo session.
#
#   scripts/run.sh                          the demo session
#   scripts/run.sh --page FILE --script S   a script of JSON lines (see README)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source "$root/scripts/deps.sh"
install_missing "${packages[@]}"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWEBAGENT_WERROR=ON >/dev/null
cmake --build "$root/build" -j "${JOBS:-$(nproc)}" --target webagent webagent_component webagent_rexp >&2
exec "$root/build/src/cli/webagent" "$@"
