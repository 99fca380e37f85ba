#!/bin/sh
# Set-up, build, test and start on Debian 12.
#   ./build.sh run       install what is missing, build, start the program
#   ./build.sh test      install what is missing, build, run every test (Linux,
#                        then the Windows build under wine)
#   ./build.sh windows   install what is missing, build the Windows programs,
#                        the portable zip and the MSI into build-windows/
# Qt for Windows: see windows_qt below (the shared bundle, a folder named by
# QV_WINDOWS_QT_BUNDLE, or built by packaging/windows/build-qt.sh).
set -eu
cd "$(dirname "$0")"

PACKAGES="cmake ninja-build g++ clang libclang-rt-14-dev zlib1g-dev libdeflate-dev libisal-dev libxxhash-dev pkgconf qt6-base-dev libqt6sql6-sqlite qt6-translations-l10n fonts-ipafont-gothic xvfb xauth x11-utils desktop-file-utils appstream dpkg-dev file"
# The Windows build: mingw-w64 GCC, zlib for mingw, wine to run the programs
# and tests, wixl for the MSI, zip, python3 for the icon and the screenshot
# check, DejaVu Sans for wine's Latin text.
WINDOWS_PACKAGES="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wixl zip unzip python3 fonts-dejavu-core"

install_packages() {
    missing=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    # shellcheck disable=SC2086 # one word a package
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}

build() {
    # clang: the same code in two thirds of GCC's build time.
    cmake -G Ninja -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_WERROR=ON -DCMAKE_CXX_COMPILER=clang++
    cmake --build build
}

# Qt for Windows: a folder named by QV_WINDOWS_QT_BUNDLE that holds it
# already (qt6/, deps/), used where it is; else the bundle (from that folder
# or ../shared/windows-qt/) unpacked into build-qt-windows/; else built there.
windows_qt() {
    bundle=${QV_WINDOWS_QT_BUNDLE:-../shared/windows-qt}
    if [ -f "$bundle/qt6/lib/cmake/Qt6/Qt6Config.cmake" ]; then
        qt=$(cd "$bundle" && pwd)
        return 0
    fi
    qt=$(pwd)/build-qt-windows
    [ -f "$qt/qt6/lib/cmake/Qt6/Qt6Config.cmake" ] && return 0
    rm -rf "$qt"
    if ls "$bundle"/qt-6.4.2-mingw-w64-x86_64*.tar.xz >/dev/null 2>&1; then
        sh "$bundle/unpack.sh" "$qt"
    else
        echo "No Qt for Windows in $bundle: building it from Debian's source (about an hour)"
        sh packaging/windows/build-qt.sh "$qt"
    fi
}

build_windows() {
    install_packages $PACKAGES $WINDOWS_PACKAGES
    windows_qt
    # Release: no debug information to write, which a mingw build pays dearly for.
    cmake -G Ninja -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/windows-x64.cmake \
        -DQV_WINDOWS_QT="$qt" -DCMAKE_BUILD_TYPE=Release -DQV_WERROR=ON
    cmake --build build-windows
}

case "${1:-}" in
run)
    install_packages $PACKAGES
    build
    exec build/app/qvReplayInfo
    ;;
test)
    install_packages $PACKAGES $WINDOWS_PACKAGES
    build
    ctest --test-dir build --output-on-failure -j2
    # Sanitizer build (clang, ASan + UBSan): the fuzz targets, run for a bounded time.
    cmake -G Ninja -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DQV_FUZZ=ON
    cmake --build build-fuzz --target fuzz_targets
    ctest --test-dir build-fuzz --output-on-failure -L fuzz -j2
    # The Windows programs and tests, run under wine; the zip and the MSI.
    build_windows
    ctest --test-dir build-windows --output-on-failure -j2
    ;;
windows)
    build_windows
    echo "Windows programs, zip and MSI in build-windows/ (the program folder: build-windows/qvReplayInfo/)"
    ;;
*)
    echo "usage: $0 run|test|windows" >&2
    exit 2
    ;;
esac
