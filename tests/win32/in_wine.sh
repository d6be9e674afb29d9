#!/usr/bin/env bash
# Runs one Windows program under Wine, in a fresh prefix of its own, and
# ends that prefix's wineserver afterwards; the program's status is ours.
#     in_wine.sh PROGRAM [ARGS...]
set -euo pipefail
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "SKIP: Wine (wine64) is not installed"; exit 77; }

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
timeout 120 "$wine" wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
timeout 180 "$wine" "$@"
