#!/usr/bin/env bash
# Installs what is missing, builds the viewer and starts it. Arguments go to the viewer; with
# none it opens the shipped sample log.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc 2>/dev/null || echo 2)" --target kslogviewer

if [ $# -eq 0 ]; then
  set -- samples/firebird.log
fi
exec build/bin/kslogviewer "$@"
