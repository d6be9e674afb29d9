#!/usr/bin/env bash
# Builds the Debian source package and .deb from debian/ as a distribution
# would, from the upstream tarball that git archive makes, twice, in two
# folders at two times, and checks them: the same bytes both times, lintian
# with no error, warning or pedantic note, the desktop entry and AppStream
# metadata valid, every file a desktop needs, no RUNPATH, the changelog's
# upstream version the one CMakeLists.txt gives, and the package's own tests
# (autopkgtest, which installs the package and what its tests need here).
#     check_package.sh SOURCE_DIR
set -euo pipefail
src=$(realpath "$1")
for tool in dpkg-buildpackage lintian desktop-file-validate appstreamcli autopkgtest readelf; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
version=$(sed -n 's/^project(Plimvar VERSION \([^ ]*\) .*/\1/p' "$src/CMakeLists.txt")
changelog=$(cd "$src" && dpkg-parsechangelog -S Version)
[ "${changelog%-*}" = "$version" ] ||
    { echo "FAIL: debian/changelog says $changelog, CMakeLists.txt $version"; fail=1; }

# The upstream tarball as the README makes it, of the tree as it stands
# (uncommitted changes to tracked files too): debian/ is left out by
# .gitattributes, and the Debian source package adds it.
tree=$(cd "$src" && git stash create)
(cd "$src" && git archive --prefix="plimvar-$version/" "${tree:-HEAD}") | xz -T1 \
    >"$work/plimvar_$version.orig.tar.xz"
tar -tJf "$work/plimvar_$version.orig.tar.xz" | grep -q "^plimvar-$version/debian/" &&
    { echo "FAIL: the upstream tarball holds debian/"; fail=1; }

build_in() {
    mkdir -p "$1"
    cp "$work/plimvar_$version.orig.tar.xz" "$1/"
    tar -xJf "$1/plimvar_$version.orig.tar.xz" -C "$1"
    cp -r "$src/debian" "$1/plimvar-$version/"
    (cd "$1/plimvar-$version" && DEB_BUILD_OPTIONS="parallel=$(nproc)" dpkg-buildpackage -us -uc \
        >"$1/build.log" 2>&1) || { tail -40 "$1/build.log"; return 1; }
}
build_in "$work/first"
sleep 2
build_in "$work/second/elsewhere"
grep -q -- "-fstack-protector-strong.*-fstack-protector-strong" "$work/first/build.log" &&
    { echo "FAIL: a compile line gives the hardening flags twice"; fail=1; }
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
    usr/share/doc/plimvar/copyright usr/share/doc/plimvar/changelog.Debian.gz)
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
# The installed tree as a software centre and a menu read it: the metadata
# with the desktop entry it launches (validate-tree fails where that is not
# installed), and the icon the entry names.
desktop-file-validate "$work/root/usr/share/applications/$id.desktop" || fail=1
appstreamcli validate-tree --no-net --pedantic "$work/root" || fail=1
for icon in $(sed -n 's/^Icon=//p' "$work/root/usr/share/applications/"*.desktop); do
    ls "$work/root/usr/share/icons/hicolor/"*/apps/"$icon".* >/dev/null 2>&1 ||
        { echo "FAIL: no installed icon is named $icon"; fail=1; }
done
# The libraries by name, whatever suffix a release gives them (t64 on
# Debian 13), and what the package recommends, as dpkg-deb reads them.
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6gui6 libqt6core6; do
    grep -qE "(^|, )$d[a-z0-9]*( |,|$)" <<<"$depends" || { echo "FAIL: Depends lacks $d: $depends"; fail=1; }
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for r in qt6-translations-l10n qt6-wayland; do
    grep -qE "(^|, )$r( |,|$)" <<<"$recommends" || { echo "FAIL: Recommends lacks $r: $recommends"; fail=1; }
done
readelf -d "$work/root/usr/bin/plimvar" | grep -q 'RPATH\|RUNPATH' &&
    { echo "FAIL: /usr/bin/plimvar has a RUNPATH"; fail=1; }

# The package's own tests, on the package just built.
if autopkgtest "$deb" "$work"/first/plimvar_*.dsc -- null >"$work/autopkgtest.log" 2>&1; then
    sed -n '/@@@@ summary/,/^autopkgtest.*resetting/p' "$work/autopkgtest.log" | sed '1d;$d'
else
    tail -60 "$work/autopkgtest.log"
    fail=1
fi
[ $fail -eq 0 ] && echo "PASS: $(basename "$deb") and its source are lintian-clean and reproducible"
exit $fail
