#!/usr/bin/env bash
# Builds the Debian source package and .deb from debian/ as a distribution
# would, twice, in two folders at two times, and checks them: the same bytes
# both times, lintian with no error, warning or pedantic note, the desktop
# entry and AppStream metadata valid, every file a desktop needs, and the
# changelog's version the one CMakeLists.txt gives.
#     check_package.sh SOURCE_DIR
set -euo pipefail
src=$(realpath "$1")
for tool in dpkg-buildpackage lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
version=$(sed -n 's/^project(Plimvar VERSION \([^ ]*\) .*/\1/p' "$src/CMakeLists.txt")
changelog=$(cd "$src" && dpkg-parsechangelog -S Version)
[ "$changelog" = "$version" ] ||
    { echo "FAIL: debian/changelog says $changelog, CMakeLists.txt $version"; fail=1; }

# The files of the source tree, without what builds or git left there.
build_in() {
    local dir=$1/plimvar-$version
    mkdir -p "$dir"
    (cd "$src" && git ls-files -co --exclude-standard -z |
        while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
        xargs -0 cp --parents -t "$dir")
    (cd "$dir" && DEB_BUILD_OPTIONS="parallel=$(nproc)" dpkg-buildpackage -us -uc \
        >"$1/build.log" 2>&1) || { tail -40 "$1/build.log"; return 1; }
}
build_in "$work/first"
sleep 2
build_in "$work/second/elsewhere"
deb=$(ls "$work"/first/plimvar_*.deb)
for built in "$work"/first/*.deb; do
    name=$(basename "$built")
    one=$(sha256sum <"$built" | cut -d' ' -f1)
    two=$(sha256sum <"$work/second/elsewhere/$name" | cut -d' ' -f1)
    echo "sha256 $one  $name, first build"
    echo "sha256 $two  $name, second build"
    [ "$one" = "$two" ] || { echo "FAIL: two builds of $name differ"; fail=1; }
done

# Every error, warning and pedantic note fails; information is shown.
lintian --pedantic --info --fail-on error,warning,pedantic --tag-display-limit 0 \
    "$work"/first/*.changes || fail=1

dpkg-deb -x "$deb" "$work/root"
id=org.plimvar.plimvar
files=(usr/bin/plimvar usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/man/man1/plimvar.1.gz
    usr/share/doc/plimvar/copyright usr/share/doc/plimvar/changelog.gz)
for size in 16 32 48 64 128 256; do
    files+=(usr/share/icons/hicolor/${size}x$size/apps/$id.png)
    file "$work/root/usr/share/icons/hicolor/${size}x$size/apps/$id.png" 2>/dev/null |
        grep -q "$size x $size" || { echo "FAIL: the $size pixel icon is not $size pixels"; fail=1; }
done
for f in "${files[@]}"; do
    [ -f "$work/root/$f" ] || { echo "FAIL: the package lacks /$f"; fail=1; }
done
zcat "$work/root/usr/share/man/man1/plimvar.1.gz" | grep -q "^\.TH PLIMVAR 1 .*Plimvar $version" ||
    { echo "FAIL: the man page's version"; fail=1; }
grep -q "<release version=\"$version\"" "$work/root/usr/share/metainfo/$id.metainfo.xml" ||
    { echo "FAIL: the metadata's release"; fail=1; }
desktop-file-validate "$work/root/usr/share/applications/$id.desktop" || fail=1
appstreamcli validate --no-net --pedantic "$work/root/usr/share/metainfo/$id.metainfo.xml" ||
    fail=1
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6gui6 libqt6core6; do
    grep -q "\b$d\b" <<<"$depends" || { echo "FAIL: Depends lacks $d: $depends"; fail=1; }
done
[ $fail -eq 0 ] && echo "PASS: $(basename "$deb") and its source are lintian-clean and reproducible"
exit $fail
