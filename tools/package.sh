#!/usr/bin/env bash
# Builds the release packages and checks them:
#   build/package/windows/zeltra5-<version>-windows-x64.zip  zeltra5.exe, zeltra5-calc.exe,
#                                                            zeltra5.dll, zeltra5.bas, README,
#                                                            include/zeltra5.h, lib/
#   build/package/native/zeltra5_<version>_<arch>.deb        zeltra5-calc, headers, static
#                                                            libraries, libzeltra5.so.1, CMake
#                                                            package, Python package zeltra5
# The zip's listing is printed, its zeltra5-calc.exe run under Wine and its zeltra5.dll's exports
# and imports checked. The .deb is installed with dpkg (as root, or through sudo), zeltra5-calc is
# run from /usr/bin, a small project (C++ and C) is built against the installed CMake package and
# /usr/bin/python3 imports the installed Python package;
# a package this script installed is removed again.
#
# Usage: tools/package.sh      (after tools/setup.sh all; tools/test.sh calls it)
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${JOBS:-2}
root=$(pwd)
out=$root/build/package
step() { printf '\n== %s\n' "$*"; }
fail() {
    echo "package.sh: $*" >&2
    exit 1
}

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
# cpack finds the .deb's dependencies with dpkg-shlibdeps, after `file` has told it the programs.
for tool in file dpkg-shlibdeps x86_64-w64-mingw32-g++-posix; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing: install it with tools/setup.sh all"
done

# --- Windows zip ------------------------------------------------------------------------------
step "Windows build (Release, mingw-w64)"
cmake -S . -B "$out/windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DZELTRA5_BUILD_TESTS=OFF >/dev/null
cmake --build "$out/windows" -j"$jobs"
step "Windows zip"
rm -f "$out"/windows/zeltra5-*.zip
(cd "$out/windows" && cpack -G ZIP >/dev/null)
zips=("$out"/windows/zeltra5-*-windows-x64.zip)
zip=${zips[0]}
[ -f "$zip" ] || fail "cpack made no zip"
cmake -E tar tvf "$zip"
top=$(basename "$zip" .zip)
listing=$(cmake -E tar tf "$zip" | sed 's:/$::' | sort)
for entry in zeltra5.exe zeltra5-calc.exe README.md zeltra5.dll zeltra5.bas include/zeltra5.h \
    lib/libzeltra5.dll.a lib/zeltra5.def; do
    grep -qx "$top/$entry" <<<"$listing" || fail "$entry missing from $(basename "$zip")"
done
check_dir=$out/windows/zip-check
rm -rf "$check_dir"
mkdir -p "$check_dir"
(cd "$check_dir" && cmake -E tar xf "$zip")
for exe in zeltra5.exe zeltra5-calc.exe zeltra5.dll; do
    [ "$(head -c 2 "$check_dir/$top/$exe")" = MZ ] || fail "$exe in the zip is not a Windows program"
done
# The DLL as shipped: the header's functions exported, the Excel module's declarations among
# them, only system DLLs imported.
/usr/bin/python3 tests/capi/check_exports.py --header "$check_dir/$top/include/zeltra5.h" \
    --def "$check_dir/$top/lib/zeltra5.def" --bas "$check_dir/$top/zeltra5.bas" \
    --dll "$check_dir/$top/zeltra5.dll" || fail "zeltra5.dll in the zip fails its export check"
if command -v wine >/dev/null 2>&1; then
    wine_env=(WINEPREFIX="$out/windows/_wine/prefix" WINEDEBUG=-all
              WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=)
    mkdir -p "$out/windows/_wine/prefix"
    # Output to a file: Wine's background processes of a new prefix inherit it and live on.
    # A fixed address-space layout: see cmake/mingw-w64-x86_64.cmake.
    env "${wine_env[@]}" timeout 300 setarch -R wine "$check_dir/$top/zeltra5-calc.exe" \
        p-t 10 25 >"$check_dir/calc.txt" 2>"$check_dir/calc.err" ||
        fail "zeltra5-calc.exe from the zip failed"
    env "${wine_env[@]}" wineserver -k 2>/dev/null || true
    grep -q 'Давление *10 *бар' "$check_dir/calc.txt" ||
        fail "zeltra5-calc.exe from the zip printed no table: $(head -c 300 "$check_dir/calc.txt")"
    echo "zeltra5-calc.exe from the zip runs under Wine"
fi

# --- Debian package ---------------------------------------------------------------------------
step "native build (Release, installed under /usr)"
cmake -S . -B "$out/native" -DCMAKE_BUILD_TYPE=Release -DZELTRA5_BUILD_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$out/native" -j"$jobs"
step "Debian package"
rm -f "$out"/native/zeltra5_*.deb
(cd "$out/native" && cpack -G DEB >/dev/null)
debs=("$out"/native/zeltra5_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "cpack made no .deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
pydir=./usr/lib/python3/dist-packages/zeltra5
for path in ./usr/bin/zeltra5-calc ./usr/include/zeltra5/zeltra5.hpp ./usr/include/zeltra5.h \
    "./usr/lib/$multiarch/libzeltra5_calc.a" "./usr/lib/$multiarch/libzeltra5.so.1.8.0" \
    "./usr/lib/$multiarch/cmake/zeltra5/zeltra5Config.cmake" \
    "./usr/lib/$multiarch/pkgconfig/zeltra5.pc" "$pydir/__init__.py" \
    "$pydir/__init__.pyi" "$pydir/plot.py" "$pydir/py.typed"; do
    grep -qx "$path" <<<"$contents" || fail "$path missing from $(basename "$deb")"
done
grep -qx "$pydir/_core\.cpython-[0-9]*-.*\.so" <<<"$contents" ||
    fail "the Python module _core is missing from $(basename "$deb")"
# The shared library's soname link and development link.
deb_listing=$(dpkg-deb --contents "$deb")
for link in "libzeltra5.so.1 -> libzeltra5.so.1.8.0" "libzeltra5.so -> libzeltra5.so.1"; do
    grep -q "/usr/lib/$multiarch/$link\$" <<<"$deb_listing" ||
        fail "link $link missing from $(basename "$deb")"
done

step "install the .deb and use it"
was_installed=0
dpkg-query -W -f='${Status}' zeltra5 2>/dev/null | grep -q 'install ok installed' && was_installed=1
remove_package() {
    if [ "$was_installed" -eq 0 ]; then
        "${sudo_cmd[@]}" dpkg -r zeltra5 >/dev/null || true
    fi
}
trap remove_package EXIT
"${sudo_cmd[@]}" dpkg -i "$deb"
[ "$(command -v zeltra5-calc)" = /usr/bin/zeltra5-calc ] || fail "zeltra5-calc is not /usr/bin/zeltra5-calc"
/usr/bin/zeltra5-calc p-t 10 25 >"$out/native/installed-calc.txt"
"$out/native/cli/zeltra5-calc" p-t 10 25 | cmp - "$out/native/installed-calc.txt" ||
    fail "the installed zeltra5-calc prints another table than the build's"
cat "$out/native/installed-calc.txt"
consumer=$out/consumer
rm -rf "$consumer"
cmake -S tests/package/consumer -B "$consumer" -DCMAKE_BUILD_TYPE=Release \
    -Dzeltra5_DIR="/usr/lib/$multiarch/cmake/zeltra5" >/dev/null
cmake --build "$consumer" >/dev/null
"$consumer/zeltra5_consumer" >/dev/null || fail "the project built against the installed package failed"
"$consumer/zeltra5_c_consumer" || fail "the C program built against the installed libzeltra5.so failed"
# (/lib is /usr/lib on Debian 12: compare the files the paths name.)
loaded=$(ldd "$consumer/zeltra5_c_consumer" | awk '$1 == "libzeltra5.so.1" {print $3}')
[ -n "$loaded" ] && [ "$(realpath "$loaded")" = "$(realpath "/usr/lib/$multiarch/libzeltra5.so.1")" ] ||
    fail "the C program loads ${loaded:-no libzeltra5.so.1}, not /usr/lib/$multiarch/libzeltra5.so.1"
echo "a project built with find_package(zeltra5) against /usr/lib/$multiarch/cmake/zeltra5 runs"
# The C program again with the compiler and pkg-config alone.
# shellcheck disable=SC2046
cc -o "$consumer/c_consumer_pkg_config" tests/package/consumer/c_consumer.c \
    $(pkg-config --cflags --libs zeltra5) || fail "no C program through pkg-config --cflags --libs zeltra5"
"$consumer/c_consumer_pkg_config" || fail "the C program built through pkg-config failed"
# The Python package as Debian's python3 finds it, from a folder without a zeltra5 of its own
# and without PYTHONPATH: it must be the installed one and give the numbers of zeltra5-calc.
(cd / && env -u PYTHONPATH /usr/bin/python3 -c "import zeltra5") ||
    fail "/usr/bin/python3 -c \"import zeltra5\" fails with the package installed"
py_check=$(cd / && env -u PYTHONPATH /usr/bin/python3 - <<'PY'
import json, subprocess, zeltra5
assert zeltra5.__file__.startswith("/usr/lib/python3/dist-packages/zeltra5/"), zeltra5.__file__
s = zeltra5.calculate("p-t", 10.0, 25.0, units="display")
j = json.loads(subprocess.run(["/usr/bin/zeltra5-calc", "p-t", "10", "25", "--json"],
                              capture_output=True, text=True, check=True).stdout)
assert s.specific_enthalpy == j["specific_enthalpy"], (s.specific_enthalpy, j)
print(zeltra5.__file__, zeltra5.__version__, s.specific_enthalpy)
PY
) || fail "the installed Python package gives other numbers than zeltra5-calc"
echo "import zeltra5 from the installed package: $py_check"

step "packages"
ls -l "$zip" "$deb"
