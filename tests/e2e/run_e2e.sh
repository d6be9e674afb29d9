#!/usr/bin/env bash
# Runs the end-to-end test of the built program as a person would use it: on
# its own X server and session bus, driven with xdotool and read through the
# accessibility bus.
#     run_e2e.sh PROGRAM
set -euo pipefail
program=$(realpath "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

for tool in Xvfb xdotool xdpyinfo dbus-run-session; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }

# Once more inside a session bus of its own, which starts the accessibility
# bus on demand.
if [ -z "${PLIMVAR_E2E_INSIDE:-}" ]; then
    export PLIMVAR_E2E_INSIDE=1
    exec timeout 180 dbus-run-session -- "$0" "$program"
fi

# A display number nobody uses.
display=
for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=:$n; break; fi
done
[ -n "$display" ] || { echo "FAIL: no free display"; exit 1; }

runtime=$(mktemp -d)
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$runtime/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$runtime"' EXIT
for _ in $(seq 100); do
    DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
DISPLAY=$display xdpyinfo >/dev/null 2>&1 || { echo "FAIL: Xvfb did not start"; cat "$runtime/xvfb.log"; exit 1; }

export DISPLAY=$display XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb
# Without it Qt joins the accessibility bus only when a screen reader runs.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
/usr/bin/python3 "$here/e2e.py" "$program"
