#!/bin/sh
# Set-up, build, test and start on Debian 12.
#   ./build.sh run    install what is missing, build, start the program
#   ./build.sh test   install what is missing, build, run every test
set -eu
cd "$(dirname "$0")"

PACKAGES="cmake ninja-build g++ clang libclang-rt-14-dev zlib1g-dev libdeflate-dev libisal-dev libxxhash-dev pkgconf qt6-base-dev libqt6sql6-sqlite qt6-translations-l10n fonts-ipafont-gothic xvfb xauth x11-utils desktop-file-utils appstream dpkg-dev file"

install_packages() {
    missing=""
    for p in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}

build() {
    # clang: the same code in two thirds of GCC's build time.
    cmake -G Ninja -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_WERROR=ON -DCMAKE_CXX_COMPILER=clang++
    cmake --build build
}

case "${1:-}" in
run)
    install_packages
    build
    exec build/app/qvReplayInfo
    ;;
test)
    install_packages
    build
    ctest --test-dir build --output-on-failure -j2
    # Sanitizer build (clang, ASan + UBSan): the fuzz targets, run for a bounded time.
    cmake -G Ninja -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DQV_FUZZ=ON
    cmake --build build-fuzz --target fuzz_targets
    ctest --test-dir build-fuzz --output-on-failure -L fuzz -j2
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
