#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs every test: the native build (numerical
# part, command-line tool, shell logic) and, where present, the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh all

jobs=${JOBS:-2}
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release -DZELTRA5_EVALUATION_COUNTERS=ON \
  -DZELTRA5_BUILD_BENCHMARKS=ON
cmake --build build/native -j"$jobs"
ctest --test-dir build/native --output-on-failure -j"$jobs"

if [ -x tools/windows/build-and-test.sh ]; then
  tools/windows/build-and-test.sh build/windows
fi
