#!/bin/sh
# Packs the Windows program's folder:
#   make-packages.sh FOLDER VERSION ICON WXS ZIP MSI
# ZIP: the folder, named qvReplayInfo, with an empty settings file beside
# the program, which makes a copy portable. MSI: the folder installed into
# Program Files, for all users, with a Start-menu shortcut.
set -eu
folder=$1
version=$2
icon=$3
wxs=$4
zip=$5
msi=$6

work=$(mktemp -d "${TMPDIR:-/tmp}/qvpack.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

cp -r "$folder" "$work/qvReplayInfo"
: >"$work/qvReplayInfo/qvReplayInfo.dat"
rm -f "$zip"
(cd "$work" && zip -q -r -X "$zip" qvReplayInfo)

# Every file of the folder is a component of its own (wixl-heat); the main
# description adds the shortcut, the icon and the feature. wixl takes paths
# relative to where it runs.
ln -s "$folder" "$work/program"
cp "$icon" "$work/qvReplayInfo.ico"
(cd "$folder" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) \
    | wixl-heat -p "" --directory-ref INSTALLDIR --component-group ProgramFiles --var var.Folder --win64 \
    >"$work/files.wxs"
rm -f "$msi"
(cd "$work" && wixl --arch x64 -D Win64=yes -D Folder=program -D Version="$version" -D Icon=qvReplayInfo.ico \
    -o "$msi" "$wxs" files.wxs)
