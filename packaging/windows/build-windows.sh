#!/usr/bin/env bash
# The Windows build on Debian: the libraries (built once into a cache), Tivano and its
# tests cross-compiled, the test suite under Wine, the setup program, and the installed
# program's race under Wine. Run by "./tivano.sh windows", which installs the packages.
#
#   packaging/windows/build-windows.sh [build-dir]     (default build-windows)
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/../.."
build=${1:-build-windows}
started=$(date +%s)

prefix=$(packaging/windows/build-deps.sh | tail -n 1)
export TIVANO_MINGW_PREFIX=$prefix
version=$(sed -nE 's/^project\(Tivano VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)

echo "== Tivano for Windows, cross-compiled"
cmake -S . -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/packaging/windows/mingw-toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    >/dev/null
cmake --build "$build"

echo "== The test suite under Wine"
packaging/windows/wine-run --prepare
# The suite's Wine session ends with the script, with any console host a killed test child
# left behind.
trap 'WINEPREFIX=/var/cache/tivano-mingw/wineprefix wineserver -k 2>/dev/null || true' EXIT
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

echo "== The setup program"
rm -rf "$build/stage"
cmake --install "$build" --prefix "$build/stage" >/dev/null
# Debian's MinGW runtime carries its debugging symbols; the users' copies need none.
find "$build/stage" -iname '*.dll' -o -iname '*.exe' | xargs x86_64-w64-mingw32-strip --strip-unneeded
setup=$(packaging/windows/make-installer.sh "$build/stage" "$version" "$build" | tail -n 1)
packaging/windows/test-installer.sh "$setup" "$build/stage"

echo "== A race with the installed program under Wine"
packaging/windows/race-under-wine.sh "$setup"

printf 'Windows build, tests and setup program in %d min: %s\n' $(( ($(date +%s) - started) / 60 )) "$setup"
