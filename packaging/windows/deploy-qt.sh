#!/bin/sh
# Puts beside the Windows programs in FOLDER what they need to run (under
# Windows or wine64): Qt's DLLs and plugins, the GCC runtime DLLs (stripped).
#   deploy-qt.sh QT_DIR FOLDER [MODULE...]    MODULE: another Qt module, e.g. Test
set -eu
qt=${1:?usage: deploy-qt.sh QT_DIR FOLDER [MODULE...]}/qt6
folder=${2:?}
shift 2
mingw=x86_64-w64-mingw32
mkdir -p "$folder/platforms" "$folder/styles" "$folder/sqldrivers" "$folder/imageformats"
for module in Core Gui Widgets Sql "$@"; do
    cp "$qt/bin/Qt6$module.dll" "$folder/"
done
cp "$qt/plugins/platforms/qwindows.dll" "$qt/plugins/platforms/qminimal.dll" "$folder/platforms/"
cp "$qt"/plugins/styles/*.dll "$folder/styles/"
cp "$qt/plugins/sqldrivers/qsqlite.dll" "$folder/sqldrivers/"
cp "$qt"/plugins/imageformats/*.dll "$folder/imageformats/"
# Qt's DLLs need the runtime even where a program links it statically.
for dll in /usr/lib/gcc/$mingw/12-posix/libstdc++-6.dll /usr/lib/gcc/$mingw/12-posix/libgcc_s_seh-1.dll \
    /usr/$mingw/lib/libwinpthread-1.dll; do
    "$mingw-strip" --strip-unneeded -o "$folder/${dll##*/}" "$dll"
done
