#!/bin/sh
# The installed tree and the Debian package, from a finished build:
#   install_test.sh CMAKE CPACK BUILD_DIR APP_ID VERSION SMOKE_TEST SAMPLE_MAKER
# 1. cmake --install into a scratch prefix: exactly the expected files, the
#    icons at their sizes, the desktop entry and the AppStream data valid,
#    the programs answer --help, and the installed program starts under Xvfb
#    with its settings in a scratch XDG_CONFIG_HOME (smoke_test.sh).
# 2. cpack -G DEB: control fields, dependencies from the binaries, the file
#    list; unpacked with dpkg-deb -x, its programs run from there.
# Exit code 77 (skipped) when only the start under Xvfb could not be done.
set -u
cmake=$1 cpack=$2 build=$3 id=$4 version=$5 smoke=$6 samples=$7

status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

for tool in desktop-file-validate:desktop-file-utils appstreamcli:appstream dpkg-deb:dpkg \
    dpkg-shlibdeps:dpkg-dev file:file; do
    if ! command -v "${tool%%:*}" >/dev/null 2>&1; then
        echo "FAIL: ${tool%%:*} is missing (package ${tool#*:}; ./build.sh test installs it)" >&2
        exit 1
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/qvinstall.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT INT TERM
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -m 700 "$work/run"
XDG_RUNTIME_DIR="$work/run"
XDG_CONFIG_HOME="$work/config"
XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR XDG_CONFIG_HOME XDG_CACHE_HOME

# Every file an install places, relative to the prefix.
expected_files() {
    echo bin/qvReplayDump
    echo bin/qvReplayInfo
    echo "share/applications/$id.desktop"
    for size in 16 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x$size/apps/$id.png"
    done
    echo share/man/man1/qvReplayDump.1.gz
    echo share/man/man1/qvReplayInfo.1.gz
    echo "share/metainfo/$id.metainfo.xml"
}

"$samples" "$work/game" "$work/storage" >/dev/null || fail "sample maker failed"

# Both programs of a tree answer without a display.
check_programs() { # BIN_DIR WHAT
    out=$("$1/qvReplayDump" --help 2>&1) || fail "$2: qvReplayDump --help ended with $?"
    echo "$out" | grep -q '^Usage: qvReplayDump' || fail "$2: qvReplayDump --help printed: $out"
    out=$("$1/qvReplayInfo" --version 2>&1) || fail "$2: qvReplayInfo --version ended with $?"
    [ "$out" = "qvReplayInfo $version" ] || fail "$2: qvReplayInfo --version printed: $out"
    out=$("$1/qvReplayDump" "$work/game/qv_replay0.dat") || fail "$2: qvReplayDump on a replay ended with $?"
    echo "$out" | grep -q '"replay":true' || fail "$2: qvReplayDump did not read a replay: $out"
}

echo "== cmake --install"
prefix="$work/prefix"
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || {
    cat "$work/install.log" >&2
    fail "cmake --install ended with $?"
    exit 1
}
(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort) >"$work/installed"
expected_files | sort >"$work/expected"
diff -u "$work/expected" "$work/installed" >&2 || fail "installed files differ from the expected list (above)"

for size in 16 32 48 64 128 256; do
    file -b "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size," \
        || fail "the ${size}px icon is not a $size x $size PNG"
done
for page in qvReplayInfo qvReplayDump; do
    gzip -dc "$prefix/share/man/man1/$page.1.gz" | head -1 | grep -q "^\.TH $(echo $page | tr a-z A-Z) 1 " \
        || fail "manual page $page.1.gz is not a section 1 page"
done

desktop="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop" >"$work/desktop.log" 2>&1
cat "$work/desktop.log"
if grep -qE 'error:|warning:' "$work/desktop.log"; then
    fail "desktop-file-validate reported errors or warnings"
fi
for line in "Exec=qvReplayInfo" "Icon=$id" "Categories=Game;Utility;" "Name[ja]=" "Comment[ja]="; do
    grep -q "^$(echo "$line" | sed 's/[][]/\\&/g')" "$desktop" || fail "the desktop entry has no line $line"
done

metainfo="$prefix/share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net --no-color "$metainfo" >"$work/appstream.log" 2>&1 \
    || fail "appstreamcli validate --no-net ended with $?"
cat "$work/appstream.log"
grep -q '^E:\|^W:' "$work/appstream.log" && fail "appstreamcli reported errors or warnings"
grep -q "<release version=\"$version\" date=\"" "$metainfo" || fail "the AppStream data has no release $version"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
    || fail "the AppStream data does not launch $id.desktop"

check_programs "$prefix/bin" "installed"

echo "== the installed program under Xvfb"
sh "$smoke" --installed "$prefix/bin/qvReplayInfo" "$samples"
smoke_status=$?
if [ "$smoke_status" -ne 0 ] && [ "$smoke_status" -ne 77 ]; then
    fail "the installed program did not start as expected"
fi

echo "== cpack -G DEB"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    fail "cpack ended with $?"
    exit 1
}
set -- "$work/package"/qvreplayinfo_"$version"-1_*.deb
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    ls "$work/package" >&2
    fail "no single package qvreplayinfo_$version-1_*.deb"
    exit 1
fi
deb=$1
dpkg-deb -I "$deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = qvreplayinfo ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version-1" ] || fail "Version is $(field Version)"
[ "$(field Section)" = utils ] || fail "Section is $(field Section)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is $(field Architecture)"
field Maintainer | grep -q '^[^<]\+ <[^@]\+@[^>]\+>$' || fail "Maintainer is $(field Maintainer)"
field Description | head -1 | grep -q 'Tarnel' || fail "the Description has no summary line"
[ "$(field Description | wc -l)" -gt 3 ] || fail "the Description has no long part"
# Versioned entries come from dpkg-shlibdeps, not from a hand-kept list.
for dep in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 libxxhash0 zlib1g; do
    field Depends | grep -q "$dep (>= " || fail "Depends has no computed $dep: $(field Depends)"
done
field Depends | grep -q 'qt6-qpa-plugins' || fail "Depends lacks the platform plugins"
field Recommends | grep -q 'libqt6sql6-sqlite' || fail "Recommends lacks the SQLite driver of the scan cache"

dpkg-deb -c "$deb" >"$work/contents"
awk '{print $NF}' "$work/contents" | grep -v '/$' | sed 's|^\./usr/||' | sort >"$work/packaged"
(expected_files && echo share/doc/qvreplayinfo/changelog.Debian.gz) | sort >"$work/expected"
diff -u "$work/expected" "$work/packaged" >&2 || fail "packaged files differ from the expected list (above)"
awk '$2 != "root/root"' "$work/contents" | grep . >&2 && fail "packaged files not owned by root"
grep -E '^-rwxr-xr-x .*\./usr/bin/qvReplay(Info|Dump)$' "$work/contents" | wc -l | grep -qx 2 \
    || fail "the programs are not mode 0755"

root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x ended with $?"
for program in qvReplayInfo qvReplayDump; do
    file -b "$root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
done
gzip -dc "$root/usr/share/doc/qvreplayinfo/changelog.Debian.gz" | head -1 | grep -q "^qvreplayinfo ($version-1) " \
    || fail "the Debian changelog is not for $version-1"
check_programs "$root/usr/bin" "unpacked"

if [ "$status" -eq 0 ] && [ "$smoke_status" -eq 77 ]; then
    echo "SKIP: everything passed but the start under Xvfb (not installed)"
    exit 77
fi
[ "$status" -eq 0 ] && echo "installed tree and package are as expected"
exit $status
