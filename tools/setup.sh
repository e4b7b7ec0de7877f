#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, skipping those already present.
# Usage: tools/setup.sh [native|web|all]   (default all: also the web page's build and browser,
#        the Windows cross-build and Wine; web: native and the web page's)
set -euo pipefail

what=${1:-all}
packages=(build-essential cmake ninja-build pkg-config googletest libgtest-dev libbenchmark-dev valgrind python3
          clang-14 libclang-rt-14-dev llvm-14 locales
          librsvg2-bin libxml2-utils w3c-sgml-lib fonts-liberation  # diagrams: render, validate
          pybind11-dev python3-pybind11 python3-dev python3-numpy python3-pytest python3-dask
          python3-matplotlib python3-pandas mypy)  # the Python package, its tests (mypy: the
          # type stub; pandas: Series in, DataFrame out) and zeltra5.plot
if [ "$what" = web ] || [ "$what" = all ]; then
  packages+=(emscripten nodejs chromium)  # the web page: WebAssembly, browser test
  # npm, unless a Node.js from elsewhere brought its own (Debian's npm would conflict with it)
  command -v npm >/dev/null || packages+=(npm)
fi
if [ "$what" = all ]; then
  packages+=(g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 xvfb xauth xdotool xclip
             fonts-liberation imagemagick file)
fi

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

# A locale whose decimal point is a comma, so that the tests of locale-independent number texts
# run rather than skip.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null ||
    echo "setup: no comma-decimal locale (the locale tests will skip)"
fi
