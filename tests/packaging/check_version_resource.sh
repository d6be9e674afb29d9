#!/usr/bin/env bash
# Compiles the Windows resource script with MinGW's windres and reads the
# version record and the icon back from the compiled resources.
#     check_version_resource.sh WINDRES RC_FILE ICON_DIR
set -euo pipefail
windres=$1 rc=$2 icons=$3
command -v "$windres" >/dev/null || { echo "SKIP: $windres is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# windres preprocesses with the MinGW C compiler by default; the host's cpp
# serves as well for a script without #include.
"$windres" --preprocessor=cpp -I "$icons" -i "$rc" -O res -o "$work/plimvar.res"
"$windres" -i "$work/plimvar.res" -O rc | grep -vE '^\s+0x' > "$work/back.rc"

fail=0
expect() {
    grep -qF -- "$1" "$work/back.rc" || { echo "FAIL: not in the compiled resources: $1"; fail=1; }
}
expect '1 VERSIONINFO'
expect 'BLOCK "040904B0"'
expect 'VALUE "FileVersion", "1.00"'
expect 'VALUE "ProductVersion", "1.00"'
expect 'VALUE "InternalName", "Plimvar"'
expect 'VALUE "OriginalFilename", "Plimvar.exe"'
expect '"IDI_ICON1" 14 /* RT_GROUP_ICON */'
images=$(grep -c '/\* RT_ICON \*/' "$work/back.rc" || true)
[ "$images" -eq 3 ] || { echo "FAIL: $images icon images, not 3"; fail=1; }
[ $fail -eq 0 ] && echo "PASS: version record and icon read back"
exit $fail
