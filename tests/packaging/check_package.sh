#!/usr/bin/env bash
# Builds the Debian package from the build tree, unpacks it into a scratch
# root and checks what a desktop needs of it.
#     check_package.sh BUILD_DIR
set -euo pipefail
build=$1
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/*.deb)
dpkg-deb -x "$deb" "$work/root"

fail=0
for f in usr/bin/plimvar usr/share/applications/plimvar.desktop \
    usr/share/icons/hicolor/16x16/apps/plimvar.png usr/share/icons/hicolor/32x32/apps/plimvar.png; do
    [ -f "$work/root/$f" ] || { echo "FAIL: the package lacks /$f"; fail=1; }
done
[ -x "$work/root/usr/bin/plimvar" ] || { echo "FAIL: /usr/bin/plimvar is not executable"; fail=1; }
desktop-file-validate "$work/root/usr/share/applications/plimvar.desktop" || fail=1

depends=$(dpkg-deb -f "$deb" Depends)
for d in qt6-qpa-plugins libqt6widgets6 libqt6gui6 libqt6core6; do
    grep -q "\b$d\b" <<<"$depends" || { echo "FAIL: Depends lacks $d: $depends"; fail=1; }
done
[ "$(dpkg-deb -f "$deb" Package)" = plimvar ] || { echo "FAIL: package name"; fail=1; }
[ "$(dpkg-deb -f "$deb" Version)" = 1.00 ] || { echo "FAIL: package version"; fail=1; }
[ $fail -eq 0 ] && echo "PASS: $(basename "$deb") holds the program, its entry and its icons"
exit $fail
