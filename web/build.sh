#!/usr/bin/env bash
# Builds the web page: the calculator compiled to WebAssembly with Debian's emscripten, and the
# page's files, into <build dir>/site (default build/web/site).
# Usage: web/build.sh [build dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/web}
mkdir -p "$build"
build=$(cd "$build" && pwd)

# Debian's emscripten runs its optimizer on the system's Node, which finds its modules only here.
export NODE_PATH=/usr/share/nodejs
# A cache of its own inside the build dir (emscripten keeps its lock there; the system one is not
# writable for everyone), holding links to the prebuilt system libraries Debian ships: the
# configuration freezes the cache, so they are only read.
export EM_CACHE=$build/em-cache
if [ ! -d "$EM_CACHE" ] && [ -d /usr/share/emscripten/cache ]; then
  mkdir -p "$EM_CACHE"
  for entry in /usr/share/emscripten/cache/*; do
    [ "$(basename "$entry")" = cache.lock ] || ln -s "$entry" "$EM_CACHE/"
  done
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
emcmake cmake -S "$root/web" -B "$build/wasm" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  "${launcher[@]}" >/dev/null
cmake --build "$build/wasm" -j"${JOBS:-2}"
rm -rf "$build/site"
cp -r "$build/wasm/site" "$build/site"
echo "web: page in $build/site ($(du -cb "$build"/site/* | tail -1 | cut -f1) bytes)"
