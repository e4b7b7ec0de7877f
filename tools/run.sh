#!/usr/bin/env bash
# Sets up what is missing, builds the calculator and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh native
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DZELTRA5_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j"${JOBS:-2}"
if [ -x build/release/cli/zeltra5-calc ]; then
  echo "zeltra5-calc p-t 10 25"
  build/release/cli/zeltra5-calc p-t 10 25
fi
