#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks it as a
# distribution would: lintian with no error or warning, the AppStream
# metadata and the desktop entry validated, and every file a desktop needs.
#     check_package.sh BUILD_DIR
set -euo pipefail
build=$1
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate lintian appstreamcli; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/*.deb)
dpkg-deb -x "$deb" "$work/root"

fail=0
id=org.plimvar.plimvar
files=(usr/bin/plimvar usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/man/man1/plimvar.1.gz
    usr/share/doc/plimvar/copyright usr/share/doc/plimvar/changelog.gz)
for size in 16 32 48 64 128 256; do
    files+=(usr/share/icons/hicolor/${size}x$size/apps/$id.png)
    # Each size is a picture of that size.
    file "$work/root/usr/share/icons/hicolor/${size}x$size/apps/$id.png" 2>/dev/null |
        grep -q "$size x $size" || { echo "FAIL: the $size pixel icon is not $size pixels"; fail=1; }
done
for f in "${files[@]}"; do
    [ -f "$work/root/$f" ] || { echo "FAIL: the package lacks /$f"; fail=1; }
done
[ -x "$work/root/usr/bin/plimvar" ] || { echo "FAIL: /usr/bin/plimvar is not executable"; fail=1; }
zcat "$work/root/usr/share/man/man1/plimvar.1.gz" | grep -q '^\.TH PLIMVAR 1' ||
    { echo "FAIL: the man page"; fail=1; }
grep -q '^License: Expat' "$work/root/usr/share/doc/plimvar/copyright" ||
    { echo "FAIL: the copyright file names no licence"; fail=1; }

desktop-file-validate "$work/root/usr/share/applications/$id.desktop" || fail=1
appstreamcli validate --no-net --pedantic "$work/root/usr/share/metainfo/$id.metainfo.xml" ||
    fail=1
# Every error and warning fails; information and pedantic notes do not.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" || fail=1

depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6gui6 libqt6core6; do
    grep -q "\b$d\b" <<<"$depends" || { echo "FAIL: Depends lacks $d: $depends"; fail=1; }
done
[ "$(dpkg-deb -f "$deb" Package)" = plimvar ] || { echo "FAIL: package name"; fail=1; }
[ "$(dpkg-deb -f "$deb" Version)" = 1.00 ] || { echo "FAIL: package version"; fail=1; }
[ $fail -eq 0 ] && echo "PASS: $(basename "$deb") is lintian-clean and holds all a desktop needs"
exit $fail
