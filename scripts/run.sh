#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quelbrook from the build tree (a working program
# folder). Extra arguments go to the program's environment set-up, none are needed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
build="${QUELBROOK_BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELBROOK_TESTS=OFF >/dev/null
cmake --build "$build" --target quelbrook quel_data
exec "$build/bin/quelbrook"
