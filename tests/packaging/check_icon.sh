#!/usr/bin/env bash
# Checks the program's icon: the three images of the Windows .ico, and that
# every committed icon file is what the drawing script makes.
#     check_icon.sh ICON_DIR
set -euo pipefail
icons=$1
command -v icotool >/dev/null || { echo "SKIP: icotool (icoutils) is not installed"; exit 77; }

fail=0
listed=$(icotool -l "$icons/plimvar.ico")
expected='--icon --index=1 --width=32 --height=32 --bit-depth=1 --palette-size=2
--icon --index=2 --width=32 --height=32 --bit-depth=4 --palette-size=16
--icon --index=3 --width=16 --height=16 --bit-depth=4 --palette-size=16'
if [ "$listed" != "$expected" ]; then
    echo "FAIL: the icon's images are"
    echo "$listed"
    fail=1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$icons/make_icon.py" "$work"
for f in "$work"/*; do
    name=$(basename "$f")
    cmp -s "$icons/$name" "$f" || { echo "FAIL: $name differs from what make_icon.py draws"; fail=1; }
done
[ $fail -eq 0 ] && echo "PASS: three Windows icon images, and every icon file matches its source"
exit $fail
