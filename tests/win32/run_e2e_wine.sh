#!/usr/bin/env bash
# The end-to-end test of Plimvar.exe under Wine: on an Xvfb display and in a
# Wine prefix of its own, driven with xdotool and read by a probe program
# that asks the window's controls themselves.
#     run_e2e_wine.sh PLIMVAR_EXE PROBE_EXE
set -euo pipefail
exe=$(realpath "$1")
probe=$(realpath "$2")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine=/usr/lib/wine/wine64
for tool in Xvfb xdotool "$wine"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
. "$here/own_prefix.sh"
trap 'stop_own_prefix; rm -rf "$work"' EXIT
start_own_prefix "$work"
timeout 400 python3 "$here/e2e_wine.py" "$exe" "$probe"
