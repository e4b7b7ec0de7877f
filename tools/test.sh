#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs every test: the native build (numerical
# part, command-line tool, shell logic), the web page (WebAssembly, in headless Chromium), the
# Windows build under Wine with the end-to-end scenario of the program, and the release packages.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh all

jobs=${JOBS:-2}
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release -DZELTRA5_EVALUATION_COUNTERS=ON \
  -DZELTRA5_BUILD_BENCHMARKS=ON -DZELTRA5_BUILD_WEB=ON
cmake --build build/native -j"$jobs"
ctest --test-dir build/native --output-on-failure -j"$jobs"
echo "web page screenshots: build/native/web/test/screenshots"

if [ -x tools/windows/build-and-test.sh ]; then
  # The end-to-end scenario needs a display of its own (Xvfb), not the null display driver of the
  # other Windows tests: it runs on its own below.
  tools/windows/build-and-test.sh build/windows -LE e2e
  printf '\n== %s\n' "end-to-end scenario: zeltra5.exe under Wine on a virtual display"
  ctest --test-dir build/windows -L e2e --output-on-failure
  echo "screenshots: build/windows/tests/e2e/screenshots{,-c-locale}"
fi

# Release packages: the Windows zip and the Debian package, built, installed and checked.
tools/package.sh
