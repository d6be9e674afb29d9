#!/usr/bin/env bash
# Reads the resources back from the built Plimvar.exe with MinGW's windres:
# the version record with its copyright holder, the icon with its five
# images, the input box's dialog and the manifest.
#     check_version_resource.sh WINDRES PLIMVAR_EXE
set -euo pipefail
windres=$1 exe=$2
command -v "$windres" >/dev/null || { echo "SKIP: $windres is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$windres" -i "$exe" -O rc -o "$work/back.rc"
grep -vE '^\s+0x' "$work/back.rc" >"$work/text.rc"

fail=0
expect() {
    grep -qF -- "$1" "$work/text.rc" || { echo "FAIL: not in the executable's resources: $1"; fail=1; }
}
expect '1 VERSIONINFO'
expect 'BLOCK "040904B0"'
expect 'VALUE "FileVersion", "1.00"'
expect 'VALUE "ProductVersion", "1.00"'
expect 'VALUE "InternalName", "Plimvar"'
expect 'VALUE "OriginalFilename", "Plimvar.exe"'
expect '1 14 /* RT_GROUP_ICON */'
expect '100 DIALOGEX'
expect '1 24 /* RT_MANIFEST */'
images=$(grep -c '/\* RT_ICON \*/' "$work/text.rc" || true)
[ "$images" -eq 5 ] || { echo "FAIL: $images icon images, not 5"; fail=1; }
expect 'VALUE "LegalCopyright", "Copyright (c) 2026 The Plimvar developers. MIT licence."'
expect 'VALUE "CompanyName", "The Plimvar developers"'
[ $fail -eq 0 ] && echo "PASS: version record, icon, dialog and manifest read back from $(basename "$exe")"
exit $fail
