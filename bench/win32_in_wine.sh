#!/usr/bin/env bash
# Runs the Windows benchmark under Wine, on an Xvfb display and in a Wine
# prefix of its own, in a session of its own.
#     win32_in_wine.sh BENCH_WIN32_EXE
set -euo pipefail
exe=$(realpath "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wine=/usr/lib/wine/wine64
exec "$here/tests/drive/session.sh" 300 x,wine -- "$wine" "$exe"
