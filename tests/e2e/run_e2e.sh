#!/usr/bin/env bash
# Runs the end-to-end test of the built program as a person would use it: on
# its own X server and session bus, driven with xdotool and read through the
# accessibility bus. With "wayland", the program runs natively in a Wayland
# compositor of the test's own, weston in a window on that X server, which
# passes it xdotool's keys; and, as on GNOME, where Xwayland is there too,
# on X11.
#     run_e2e.sh PROGRAM [wayland]
set -euo pipefail
program=$(realpath "$1")
platform=${2:-x11}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

tools=(Xvfb xdotool dbus-run-session)
[ "$platform" = wayland ] && tools+=(weston)
for tool in "${tools[@]}"; do
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
        timeout 180 dbus-run-session -- "$0" "$program" "$platform" || status=$?
    exit $status
fi

runtime=$XDG_RUNTIME_DIR
. "$here/own_display.sh"
trap 'stop_own_display; [ -z "${weston_pid:-}" ] || kill "$weston_pid" 2>/dev/null || true' EXIT
start_own_display "$runtime"

# Without it Qt joins the accessibility bus only when a screen reader runs.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
if [ "$platform" = x11 ]; then
    QT_QPA_PLATFORM=xcb /usr/bin/python3 "$here/e2e.py" "$program"
    exit
fi

weston --backend=x11-backend.so --use-pixman --width=1280 --height=1024 --socket=wayland-e2e \
    --idle-time=0 >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
    [ -S "$runtime/wayland-e2e" ] && break
    sleep 0.1
done
[ -S "$runtime/wayland-e2e" ] || { echo "FAIL: weston did not start"; cat "$runtime/weston.log"; exit 1; }
export WAYLAND_DISPLAY=wayland-e2e
# Keys go to the window under the pointer: weston's, which fills the screen.
xdotool mousemove 640 512
QT_QPA_PLATFORM=wayland /usr/bin/python3 "$here/e2e.py" "$program"

# On GNOME the window goes through Xwayland: here it is an X window.
XDG_CURRENT_DESKTOP=ubuntu:GNOME "$program" &
gnome_pid=$!
found=$(timeout 20 xdotool search --sync --name '^Plimvar u sortiran niz$' || true)
kill "$gnome_pid"
[ -n "$found" ] || { echo "FAIL: on GNOME the window is no X window"; exit 1; }
echo "PASS: on GNOME the window is an X window, through Xwayland"
