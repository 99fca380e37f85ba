#!/bin/sh
# Makes the Windows program's folder, what the zip and the MSI hold:
#   make-folder.sh QT_DIR FOLDER qvReplayInfo.exe qvReplayDump.exe SOURCE_DIR
# QT_DIR is Qt for Windows: qt6/, and bundle-info/ with licenses/ and sources.txt.
set -eu
qt=$1
folder=$2
program=$3
dump=$4
source=$5
mingw=x86_64-w64-mingw32

rm -rf "$folder"
mkdir -p "$folder"
"$mingw-strip" -o "$folder/qvReplayInfo.exe" "$program"
"$mingw-strip" -o "$folder/qvReplayDump.exe" "$dump"
# Qt's DLLs and plugins, the compiler's runtime DLLs.
sh "$source/deploy-qt.sh" "$qt" "$folder"
# Qt's standard buttons in Japanese ("はい", "いいえ", "キャンセル").
mkdir -p "$folder/translations"
cp /usr/share/qt6/translations/qtbase_ja.qm "$folder/translations/"
printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' >"$folder/qt.conf"

# Licences: Qt (LGPL-3.0, its libraries are the DLLs beside the program, and
# the source is Debian's qt6-base with one patch, both named in README),
# SQLite, libdeflate, xxHash, zlib, the compiler's runtime.
licences="$folder/licenses"
mkdir -p "$licences"
cp -r "$qt/bundle-info/licenses/." "$licences/"
cp "$source/qwindows-no-direct2d.patch" "$qt/bundle-info/sources.txt" "$licences/"
cp /usr/share/doc/libz-mingw-w64/copyright "$licences/zlib.copyright"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$licences/gcc-runtime.copyright"
cp /usr/share/doc/mingw-w64-common/copyright "$licences/mingw-w64-winpthreads.copyright"
# Text files in Windows line ends, so that Notepad shows them right.
sed 's/$/\r/' "$source/README-windows.txt" >"$folder/README.txt"
