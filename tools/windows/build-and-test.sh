#!/usr/bin/env bash
# Builds the Windows configuration -- zeltra5.exe, zeltra5-calc.exe and every test -- with
# mingw-w64, and runs the tests under Wine: the GUI tests drive the real windows through Wine's
# null display driver, so no X server is needed.
#
# Usage: tools/windows/build-and-test.sh <build-dir> [ctest arguments...]
#
# Everything it makes stays under <build-dir>: googletest built for mingw (from Debian's
# googletest sources), a private Wine prefix and, when the system lacks it, the ru_RU.UTF-8 locale
# (Wine takes its ANSI code page, 1251 here, from the Unix locale). It installs nothing; the
# packages come from tools/setup.sh.
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 <build-dir> [ctest arguments...]" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$1"
build=$(cd "$1" && pwd)
shift
jobs=${JOBS:-2}
toolchain=$root/cmake/mingw-w64-x86_64.cmake

missing=()
need() { command -v "$1" >/dev/null 2>&1 || missing+=("$1 (package $2)"); }
need x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64
need x86_64-w64-mingw32-windres binutils-mingw-w64-x86-64
need wine wine64
need wineboot wine64
need wineserver wine64
need localedef locales
need cmake cmake
need ctest cmake
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=("/usr/src/googletest (package googletest)")
[ -f /usr/share/i18n/locales/ru_RU ] || missing+=("ru_RU locale sources (package locales)")
if [ ${#missing[@]} -gt 0 ]; then
    printf 'build-and-test.sh: missing %s\n' "${missing[@]}" >&2
    echo "Install them with tools/setup.sh all." >&2
    exit 1
fi

step() { printf '\n== %s\n' "$*"; }

# googletest for mingw, built once. Debian ships it as sources only.
gtest_prefix=$build/_deps/googletest
if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
    step "googletest for mingw-w64"
    cmake -S /usr/src/googletest -B "$build/_deps/googletest-build" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -DCMAKE_INSTALL_PREFIX="$gtest_prefix" >/dev/null
    cmake --build "$build/_deps/googletest-build" -j"$jobs" >/dev/null
    cmake --install "$build/_deps/googletest-build" >/dev/null
fi

step "configure and build (Windows, mingw-w64)"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" >/dev/null
cmake --build "$build" -j"$jobs"
for exe in "$build/gui/win32/zeltra5.exe" "$build/cli/zeltra5-calc.exe" "$build/capi/zeltra5.dll"; do
    if [ -f "$exe" ]; then
        printf '%s: %s bytes\n' "${exe#"$build"/}" "$(stat -c %s "$exe")"
    fi
done

# Wine: a private prefix with the null display driver, and a Russian UTF-8 locale.
wine_env=(WINEPREFIX="$build/_wine/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
          LC_ALL=ru_RU.UTF-8)
if ! locale -a 2>/dev/null | grep -qiE '^ru_RU\.utf-?8$'; then
    if [ ! -d "$build/_wine/locale/ru_RU.UTF-8" ]; then
        step "locale ru_RU.UTF-8 (private copy)"
        mkdir -p "$build/_wine/locale"
        localedef -i ru_RU -f UTF-8 "$build/_wine/locale/ru_RU.UTF-8"
    fi
    wine_env+=(LOCPATH="$build/_wine/locale")
fi
mkdir -p "$build/_wine/prefix"
if [ ! -f "$build/_wine/prefix/system.reg" ]; then
    step "Wine prefix"
    env "${wine_env[@]}" wineboot -i >/dev/null 2>&1
fi
env "${wine_env[@]}" wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
# Let the processes of the start-up end: the desktop started next then uses the null driver.
env "${wine_env[@]}" wineserver -w
# One wine server for the whole run, so that each test process starts in a fraction of a second;
# it is stopped on the way out.
env "${wine_env[@]}" wineserver -p
trap 'env "${wine_env[@]}" wineserver -k 2>/dev/null || true' EXIT
# Start Wine's background processes (services, the desktop) here, with their output discarded:
# started by a test they would inherit its output pipe, and CTest would wait on it until the
# test timed out.
env "${wine_env[@]}" wine cmd /c exit >/dev/null 2>&1 || true
if [ -f "$build/tests/gui/test_gui.exe" ]; then
    env "${wine_env[@]}" wine "$build/tests/gui/test_gui.exe" \
        --gtest_filter='MainWindow.IsCentredOnTheDesktop' >/dev/null 2>&1 || true
fi

step "tests under Wine"
env "${wine_env[@]}" ctest --test-dir "$build" --output-on-failure -j"$jobs" "$@"
