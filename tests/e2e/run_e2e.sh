#!/usr/bin/env bash
# Runs the end-to-end test of the built program as a person would use it: on
# its own X server and session bus, driven with xdotool and read through the
# accessibility bus.
#     run_e2e.sh PROGRAM
set -euo pipefail
program=$(realpath "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

for tool in Xvfb xdotool dbus-run-session; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }

# Once more inside a session bus of its own, which starts the accessibility
# bus on demand. Its runtime and cache folders are this run's own, so that
# runs at the same time never meet on an accessibility bus.
if [ -z "${PLIMVAR_E2E_INSIDE:-}" ]; then
    runtime=$(mktemp -d)
    trap 'rm -rf "$runtime"' EXIT
    chmod 700 "$runtime"
    status=0
    PLIMVAR_E2E_INSIDE=1 XDG_RUNTIME_DIR=$runtime XDG_CACHE_HOME=$runtime/cache HOME=$runtime \
        timeout 180 dbus-run-session -- "$0" "$program" || status=$?
    exit $status
fi

runtime=$XDG_RUNTIME_DIR
. "$here/own_display.sh"
trap 'stop_own_display' EXIT
start_own_display "$runtime"

export QT_QPA_PLATFORM=xcb
# Without it Qt joins the accessibility bus only when a screen reader runs.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
/usr/bin/python3 "$here/e2e.py" "$program"
