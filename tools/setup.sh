#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, skipping those already present.
# Usage: tools/setup.sh [native|all]   (default all: also the Windows cross-build and Wine)
set -euo pipefail

what=${1:-all}
packages=(build-essential cmake ninja-build pkg-config googletest libgtest-dev libbenchmark-dev valgrind
          clang-14 libclang-rt-14-dev llvm-14)
if [ "$what" = all ]; then
  packages+=(g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 xvfb xauth xdotool xclip
             fonts-liberation imagemagick locales file)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi
