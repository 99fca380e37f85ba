#!/bin/sh
# Builds Qt for Windows the way the shared bundle was built, for machines
# without that bundle:
#   build-qt.sh DEST
# DEST gets what cmake/windows-x64.cmake and packaging/windows/ use: qt6/
# (Qt 6.4.2 qtbase for 64-bit Windows: Core, Gui, Widgets, Sql with SQLite,
# Test, the windows and minimal platform plugins), deps/ (SQLite, libdeflate
# and xxHash for mingw) and bundle-info/ (licences, names of the sources).
# Everything is built from Debian 12's own source packages with Debian's
# mingw-w64 GCC; Qt carries one two-line patch (qwindows-no-direct2d.patch:
# without Direct2D the windows plugin must not ask for the DirectWrite font
# database, which QtGui then leaves out). About an hour on two cores, 3 GB
# of disk. The sources are fetched with an apt configuration of their own;
# the system's sources and package lists are not touched.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
dest=${1:?usage: build-qt.sh DEST}
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
mingw=x86_64-w64-mingw32
jobs=$(nproc)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    dpkg-dev debian-keyring perl tcl make cmake ninja-build qt6-base-dev qt6-base-dev-tools \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev

work=$(mktemp -d "${TMPDIR:-/tmp}/qvqt.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
cd "$work"

# The sources, from the Debian archive the system already uses.
archive=$(grep -rhoE 'https?://[^ ]+/debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null \
    | head -n 1 | tr -d ' ')
[ -n "$archive" ] || { echo "build-qt.sh: no Debian archive in the apt sources" >&2; exit 1; }
mkdir -p sp lists/partial cache/archives/partial
printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$archive" >sp/src.sources
apt_own="-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts=$work/sp -o Dir::State::Lists=$work/lists -o Dir::Cache=$work/cache"
# shellcheck disable=SC2086 # options, one word each
apt-get $apt_own update -qq
# shellcheck disable=SC2086
apt-get $apt_own source --download-only qt6-base=6.4.2+dfsg-10 sqlite3 libdeflate=1.14-1 xxhash=0.8.1-1

deps=$dest/deps
mkdir -p "$deps/include" "$deps/lib"
dpkg-source -x sqlite3_*.dsc sqlite3
dpkg-source -x libdeflate_1.14-1.dsc libdeflate
dpkg-source -x xxhash_0.8.1-1.dsc xxhash
# SQLite: the amalgamation from the native configure (needs tclsh), compiled with mingw.
mkdir -p sqlite3/bld
(cd sqlite3/bld && ../configure >configure.log 2>&1 && make sqlite3.c >make.log 2>&1 \
    && "$mingw-gcc-posix" -O2 -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS5 -DSQLITE_ENABLE_RTREE \
        -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION -c sqlite3.c \
    && "$mingw-ar" rcs libsqlite3.a sqlite3.o && cp sqlite3.h sqlite3ext.h "$deps/include/" \
    && cp libsqlite3.a "$deps/lib/")
# libdeflate's Makefile derives AR wrongly from the "-posix" compiler name.
(cd libdeflate && make -j"$jobs" CC="$mingw-gcc-posix" AR="$mingw-ar" libdeflatestatic.lib >/dev/null \
    && cp libdeflate.h "$deps/include/" && cp libdeflatestatic.lib "$deps/lib/libdeflate.a")
(cd xxhash && "$mingw-gcc-posix" -O2 -c xxhash.c && "$mingw-ar" rcs libxxhash.a xxhash.o \
    && cp xxhash.h "$deps/include/" && cp libxxhash.a "$deps/lib/")

# Qt: the toolchain of the project, pointed at the deps built above.
dpkg-source -x qt6-base_6.4.2+dfsg-10.dsc qtbase
patch -d qtbase -p1 <"$here/qwindows-no-direct2d.patch"
cat >toolchain.cmake <<TOOLCHAIN
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER $mingw-gcc-posix)
set(CMAKE_CXX_COMPILER $mingw-g++-posix)
set(CMAKE_RC_COMPILER $mingw-windres)
set(CMAKE_AR /usr/bin/$mingw-ar)
set(CMAKE_RANLIB /usr/bin/$mingw-ranlib)
set(CMAKE_FIND_ROOT_PATH /usr/$mingw $deps $dest/qt6)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN
cmake -G Ninja -S qtbase -B qtbuild \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$dest/qt6" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_pkg_config=OFF -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF \
    -DFEATURE_dbus=OFF -DFEATURE_network=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
    -DFEATURE_xml=OFF -DFEATURE_sql=ON -DFEATURE_sql_sqlite=ON -DFEATURE_system_sqlite=ON \
    -DSQLite3_INCLUDE_DIR="$deps/include" -DSQLite3_LIBRARY="$deps/lib/libsqlite3.a" \
    -DFEATURE_sql_odbc=OFF -DFEATURE_sql_psql=OFF -DFEATURE_sql_mysql=OFF -DFEATURE_sql_ibase=OFF \
    -DFEATURE_sql_oci=OFF -DFEATURE_sql_db2=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=OFF -DFEATURE_freetype=OFF -DFEATURE_fontconfig=OFF \
    -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_glib=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_androiddeployqt=OFF -DFEATURE_testlib=ON
ninja -C qtbuild -j"$jobs"
cmake --install qtbuild
find "$dest/qt6" -name '*.dll' -exec "$mingw-strip" --strip-unneeded {} +

# Licences and the names of the sources, for the program's folder.
mkdir -p "$dest/bundle-info/licenses"
cp -r qtbase/LICENSES "$dest/bundle-info/licenses/qtbase-LICENSES"
cp qtbase/debian/copyright "$dest/bundle-info/licenses/qt6-base.copyright"
cp sqlite3/debian/copyright "$dest/bundle-info/licenses/sqlite3.copyright"
cp libdeflate/debian/copyright "$dest/bundle-info/licenses/libdeflate.copyright"
cp xxhash/debian/copyright "$dest/bundle-info/licenses/xxhash.copyright"
ls ./*.dsc >"$dest/bundle-info/sources.txt"
echo "Qt for Windows ready in $dest"
