#!/usr/bin/env bash
# Sets up, builds and starts Tivano (run), its test suite (test) or the Windows setup
# program with the test suite under Wine (windows) on Debian 12.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"

# What the program's build and the program need.
BUILD_PACKAGES=(cmake g++ ninja-build pkg-config
    qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-documentation-tools
    libqt6sql6-sqlite libgl-dev libxlsxwriter-dev libzip-dev
    qt6-translations-l10n fonts-liberation2 xdg-utils)
# What the tests and benchmarks need beside it: a second workbook reader (orcus, ixion,
# Boost) that checks the written workbooks, X for the screenshot and the benchmarks that
# press keys through XTest and watch the window's repaints (XDamage).
TEST_PACKAGES=(liborcus-dev libixion-dev libboost-dev
    xvfb xauth xdotool imagemagick poppler-utils libxtst-dev libxdamage-dev)
# The Windows build: MinGW-w64 cross compilers, Debian's sources of the libraries it
# builds, Wine to run the tests, NSIS for the setup program, Free Pascal for the help
# compiler (its CHM units).
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev dpkg-dev
    wine wine64 nsis fp-compiler fp-units-fcl fp-units-misc openbox x11-utils)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    fi
}

configure() { # configure <dir> [cmake args...]
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

build() { # build <dir> [cmake args...]: everything, tests and benchmarks included
    local dir=$1; shift
    configure "$dir" -DTIVANO_BUILD_TESTS=ON -DTIVANO_BUILD_BENCH=ON "$@"
    cmake --build "$dir"
}

run_tests() { # run_tests <dir>
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$1" --output-on-failure -j "$(nproc)"
}

case "${1:-}" in
run)
    install_packages "${BUILD_PACKAGES[@]}"
    # The program and what it loads (the help viewer and file), nothing else; a later
    # "test" builds the rest in the same folder.
    configure build -DTIVANO_BUILD_TESTS=OFF -DTIVANO_BUILD_BENCH=OFF
    cmake --build build --target tivano
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
        exec build/src/app/tivano
    fi
    install_packages "${TEST_PACKAGES[@]}"
    shot="$PWD/build/tivano-screenshot.png"
    echo "No display: starting Tivano under Xvfb; the screenshot goes to $shot"
    xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
        build/src/app/tivano & pid=$!
        sleep 3
        import -window root "$0"
        kill $pid' "$shot"
    echo "Screenshot: $shot"
    ;;
test)
    install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build build
    run_tests build
    echo "== The same suite under AddressSanitizer and UndefinedBehaviorSanitizer"
    build build-asan -DTIVANO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DTIVANO_BUILD_BENCH=OFF
    run_tests build-asan
    ;;
windows)
    install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
    packaging/windows/build-windows.sh
    ;;
*)
    echo "usage: $0 run|test|windows" >&2
    exit 2
    ;;
esac
