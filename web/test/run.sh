#!/usr/bin/env bash
# The browser test of the web page built by web/build.sh into BUILD (BUILD/site).
# Usage: web/test/run.sh --install BUILD     installs its driver (puppeteer-core, npm) into
#                                           BUILD/test, unless the pinned version is there
#        web/test/run.sh BUILD ZELTRA5_CALC MODEL_VALUES
#                                           runs it against zeltra5-calc and the native values of
#                                           each model (tests/web/model_values.cpp); screenshots
#                                           in BUILD/test/screenshots
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
install=0
if [ "${1:-}" = --install ]; then install=1; shift; fi
build=$(cd "$1" && pwd)
dir=$build/test
mkdir -p "$dir"
# Node resolves the driver next to the script: both live in the build dir.
cp "$here/package.json" "$here/browser_test.mjs" "$dir/"
want=$(sed -n 's/.*"puppeteer-core": "\(.*\)".*/\1/p' "$here/package.json")
have=$(sed -n 's/^  "version": "\(.*\)",$/\1/p' "$dir/node_modules/puppeteer-core/package.json" 2>/dev/null || true)
if [ "$have" != "$want" ]; then
  (cd "$dir" && PUPPETEER_SKIP_DOWNLOAD=1 npm install --no-audit --no-fund --loglevel=error)
fi
[ "$install" -eq 1 ] && exit 0
exec node "$dir/browser_test.mjs" --site "$build/site" --calc "$2" --model-values "$3" \
  --out "$dir/screenshots" \
  --chromium "${CHROMIUM:-/usr/bin/chromium}"
