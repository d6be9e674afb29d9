#!/usr/bin/env bash
# Checks the program's icon: the five images of the Windows .ico, and that
# every committed icon file is what the drawing script makes.
#     check_icon.sh ICON_DIR
set -euo pipefail
icons=$1
for tool in icotool rsvg-convert; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

fail=0
listed=$(icotool -l "$icons/plimvar.ico")
expected='--icon --index=1 --width=32 --height=32 --bit-depth=1 --palette-size=2
--icon --index=2 --width=32 --height=32 --bit-depth=4 --palette-size=16
--icon --index=3 --width=16 --height=16 --bit-depth=4 --palette-size=16
--icon --index=4 --width=48 --height=48 --bit-depth=32 --palette-size=0
--icon --index=5 --width=256 --height=256 --bit-depth=32 --palette-size=0'
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
[ $fail -eq 0 ] && echo "PASS: five Windows icon images, and every icon file matches its source"
exit $fail
