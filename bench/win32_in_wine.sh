#!/usr/bin/env bash
# Runs the Windows benchmark under Wine, on an Xvfb display and in a Wine
# prefix of its own, and ends both afterwards.
#     win32_in_wine.sh BENCH_WIN32_EXE
set -euo pipefail
exe=$(realpath "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wine=/usr/lib/wine/wine64
work=$(mktemp -d)
. "$here/tests/win32/own_prefix.sh"
trap 'stop_own_prefix; rm -rf "$work"' EXIT
start_own_prefix "$work"
timeout 300 "$wine" "$exe"
