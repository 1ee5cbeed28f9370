#!/usr/bin/env bash
# Builds what the Windows build of Tivano links, for x86_64-w64-mingw32, from Debian's own
# source packages: Qt 6.4.2 (qtbase, as DLLs), libzip and libxlsxwriter. The result goes
# into a cache folder outside the checkout, keyed by the versions and the build options,
# and is reused as long as the key stays the same. Prints the prefix on its last line.
#
#   packaging/windows/build-deps.sh [cache-root]     (default /var/cache/tivano-mingw)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cache_root=${1:-/var/cache/tivano-mingw}

triple=x86_64-w64-mingw32
# The same source versions as the host's packages: the host Qt runs moc, rcc and uic for
# the cross build and must be the same version.
source_of() { echo "$1=$(dpkg-query -W -f='${source:Version}' "$2")"; }
qt_package=$(source_of qt6-base qt6-base-dev)
libzip_package=$(source_of libzip libzip-dev)
xlsxwriter_package=$(source_of libxlsxwriter libxlsxwriter-dev)
qt_version=$(echo "$qt_package" | sed -E 's/^[^=]+=([0-9.]+).*/\1/')

# Only what Tivano uses: Core, Gui, Widgets, PrintSupport, Test, the windows and offscreen
# platform plugins (offscreen draws with FreeType there) and the Windows styles. Not built:
# Network, Sql, DBus, Concurrent, Xml, OpenGL (the windows plugin then needs dynamicgl off
# too), the graphics view, Markdown and ODF writing; DirectWrite needs Direct2D here, so
# text goes through GDI as in Qt's default. The tablet header wintab.h is not in Debian's
# source, so tablet events are off. ICU is not used: the program's code page is its own.
qt_options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_tabletevent=OFF
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_graphicsview=OFF -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF
    -DFEATURE_textodfwriter=OFF
    -DFEATURE_icu=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_jpeg=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
    -DFEATURE_direct2d=OFF -DFEATURE_directwrite=OFF -DFEATURE_directwrite3=OFF
    -DFEATURE_androiddeployqt=OFF
)

# The key changes whenever the sources, the options or the cross compiler change.
key=$( { echo "$qt_package $libzip_package $xlsxwriter_package"; printf '%s\n' "${qt_options[@]}";
         x86_64-w64-mingw32-g++-posix --version | head -n 1; } | sha256sum | cut -c1-12)
prefix="$cache_root/qt-$qt_version-$key"
if [ -f "$prefix/.complete" ]; then
    echo "Windows libraries: reusing $prefix" >&2
    echo "$prefix"
    exit 0
fi

work="$cache_root/work-$key"
rm -rf "$work" "$prefix"
mkdir -p "$work/apt/lists/partial" "$work/src"

# apt-get source through a private configuration, so that the machine's own sources and
# package lists stay as they were.
cat > "$work/apt/sources.list" <<'EOF'
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
EOF
apt_private=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
             -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache"
             -o APT::Sandbox::User=root)
apt-get "${apt_private[@]}" update -qq >&2
(cd "$work/src" && apt-get "${apt_private[@]}" source -qq --only-source \
    "$qt_package" "$libzip_package" "$xlsxwriter_package" >/dev/null)

export TIVANO_MINGW_PREFIX="$prefix"
toolchain="$here/mingw-toolchain.cmake"
started=$(date +%s)

echo "== Qt $qt_version for $triple (about 950 steps; the first build takes long)" >&2
cmake -S "$(echo "$work"/src/qt6-base-*/)" -B "$work/qtbase" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
    "${qt_options[@]}" >"$work/qtbase-configure.log"
cmake --build "$work/qtbase" --parallel "$(nproc)" >&2
cmake --install "$work/qtbase" >/dev/null
# Qt's German texts, where the Windows Qt looks for them (the files are the same on
# every platform).
mkdir -p "$prefix/translations"
cp /usr/share/qt6/translations/qtbase_de.qm "$prefix/translations/"
qt_done=$(date +%s)

echo "== libzip and libxlsxwriter for $triple" >&2
# zlib from Debian's MinGW package; libzip without the optional compressors and crypto.
cmake -S "$(echo "$work"/src/libzip-*/)" -B "$work/libzip" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
    -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF \
    -DENABLE_OPENSSL=OFF -DENABLE_WINDOWS_CRYPTO=OFF \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
    >"$work/libzip-configure.log"
cmake --build "$work/libzip" >&2 && cmake --install "$work/libzip" >/dev/null

cmake -S "$(echo "$work"/src/libxlsxwriter-*/)" -B "$work/xlsxwriter" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DUSE_SYSTEM_MINIZIP=OFF \
    >"$work/xlsxwriter-configure.log"
cmake --build "$work/xlsxwriter" >&2 && cmake --install "$work/xlsxwriter" >/dev/null

finished=$(date +%s)
printf 'Windows libraries built in %d min (Qt %d min) into %s\n' \
    $(( (finished - started) / 60 )) $(( (qt_done - started) / 60 )) "$prefix" >&2
printf '%s\n' "$(( finished - started ))" >"$prefix/.build-seconds"
touch "$prefix/.complete"
rm -rf "$work"
echo "$prefix"
