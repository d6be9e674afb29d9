#!/usr/bin/env bash
# Packs the ZIP twice, at two times of day in two time zones, with the
# program's file touched in between: the bytes must not change. The licences
# travel in it.
#     check_zip_reproducible.sh BUILD_DIR PROGRAM
set -euo pipefail
build=$1 program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && TZ=UTC cpack -B "$work/one" >"$work/log" 2>&1) || { cat "$work/log"; exit 1; }
sleep 1
touch "$program"
(cd "$build" && TZ=Asia/Tokyo cpack -B "$work/two" >"$work/log" 2>&1) || { cat "$work/log"; exit 1; }
one=$(sha256sum <"$work"/one/*.zip) two=$(sha256sum <"$work"/two/*.zip)
echo "sha256 ${one%% *}"
echo "sha256 ${two%% *}"
[ "$one" = "$two" ] || { echo "FAIL: two packings of one build differ"; exit 1; }
for licence in LICENSE.txt THIRD-PARTY-NOTICES.txt; do
    python3 -c 'import sys, zipfile; sys.exit(sys.argv[2] not in zipfile.ZipFile(sys.argv[1]).namelist())' \
        "$work"/one/*.zip "$licence" || { echo "FAIL: $licence is not in the ZIP"; exit 1; }
done
echo "PASS: $(basename "$work"/one/*.zip) is the same however and whenever it is packed, licences and all"
