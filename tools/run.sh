#!/usr/bin/env bash
# Sets up what is missing, builds the calculator and starts it.
#  - With a display (DISPLAY set and reachable): the Windows program zeltra5.exe under Wine on
#    that display, until it is closed.
#  - Without one: the program on a virtual display (Xvfb), through the demo scenario of
#    tests/e2e/scenario.sh (a calculation, the saturated tables, the superheated liquid, the error
#    messages, the About dialog, "Выход"), with a screenshot of every step; then it prints where
#    the screenshots are and the table of `zeltra5-calc p-t 10 25`.
# Usage: bash tools/run.sh      (as root, or with sudo for the packages)
#        bash tools/run.sh web  the web page instead: built (build/web/site) and served on
#                               127.0.0.1 at the port it prints (PORT=N to choose), until Ctrl+C
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${JOBS:-2}
step() { printf '\n== %s\n' "$*"; }

if [ "${1:-}" = web ]; then
    tools/setup.sh web
    step "build: the web page (build/web/site)"
    JOBS=$jobs web/build.sh build/web
    step "serving the web page: open the address below in a browser (Ctrl+C ends it)"
    cd build/web/site
    exec /usr/bin/python3 -u -m http.server --bind 127.0.0.1 "${PORT:-0}"
fi

tools/setup.sh all

step "build: command-line calculator (build/release)"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DZELTRA5_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j"$jobs"
step "build: Windows program (build/release-windows)"
cmake -S . -B build/release-windows -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DZELTRA5_BUILD_TESTS=OFF >/dev/null
cmake --build build/release-windows -j"$jobs"
calc=$root/build/release/cli/zeltra5-calc
exe=$root/build/release-windows/gui/win32/zeltra5.exe
wine_dir=$root/build/release-windows/_wine

if [ -n "${DISPLAY:-}" ] && timeout 10 xdotool getdisplaygeometry >/dev/null 2>&1; then
    # Wine takes the program's code page, 1251, from a Russian locale.
    wine_env=(WINEPREFIX="$wine_dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
              LC_ALL=ru_RU.UTF-8)
    if ! locale -a 2>/dev/null | grep -qiE '^ru_RU\.utf-?8$'; then
        if [ ! -d "$wine_dir/locale/ru_RU.UTF-8" ]; then
            mkdir -p "$wine_dir/locale"
            localedef -i ru_RU -f UTF-8 "$wine_dir/locale/ru_RU.UTF-8" || true
        fi
        wine_env+=(LOCPATH="$wine_dir/locale")
    fi
    mkdir -p "$wine_dir/prefix"
    step "zeltra5.exe under Wine on display $DISPLAY (end it with \"Выход\")"
    # A fixed address-space layout: with a random one, about one Wine start in 5000 fails at
    # once (see cmake/mingw-w64-x86_64.cmake).
    exec env "${wine_env[@]}" setarch -R wine "$exe"
fi

[ -z "${DISPLAY:-}" ] || echo "display $DISPLAY cannot be opened: running on a virtual display"
step "demo on a virtual display: zeltra5.exe under Wine and Xvfb"
shots=$root/build/release-windows/demo
bash tests/e2e/scenario.sh --exe "$exe" --calc "$root/build/release-windows/cli/zeltra5-calc.exe" \
    --out "$shots" --wine-dir "$wine_dir"
echo
echo "Screenshots of the run, one per step, in $shots:"
(cd "$shots" && ls -1 -- *.png)
echo
echo "zeltra5-calc p-t 10 25"
"$calc" p-t 10 25
