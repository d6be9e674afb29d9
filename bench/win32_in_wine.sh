#!/usr/bin/env bash
# Runs the Windows benchmark under Wine, on an Xvfb display and in a Wine
# prefix of its own, and ends both afterwards.
#     win32_in_wine.sh BENCH_WIN32_EXE
set -euo pipefail
exe=$(realpath "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wine=/usr/lib/wine/wine64
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
. "$here/tests/e2e/own_display.sh"
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; stop_own_display; rm -rf "$work"' EXIT
start_own_display "$work"
timeout 120 "$wine" wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
timeout 300 "$wine" "$exe"
