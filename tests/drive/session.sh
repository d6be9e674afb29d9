#!/usr/bin/env bash
# Runs a test in a session of its own: a D-Bus session bus, which starts the
# accessibility bus on demand, in runtime, home and config folders of its
# own (so that runs at the same time never meet on a bus), with what the
# test asks for, each ended by its PID when the test ends. Whatever display,
# platform or desktop the caller has is not the test's: it gets only these.
#     session.sh SECONDS PARTS -- COMMAND [ARGS...]
# PARTS, comma-separated (or "none"):
#   x        an Xvfb display of its own (DISPLAY)
#   wm       openbox on it (without a window manager the keyboard focus does
#            not follow new windows)
#   speech   a speech-dispatcher of its own, which speaks to no device
#   wayland  weston in a window on that display (WAYLAND_DISPLAY)
#   wine     a fresh Wine prefix (WINEPREFIX)
# A part whose tools are missing skips the test (status 77).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
seconds=$1 parts=,$2,
shift 3
has() { [[ $parts == *,$1,* ]]; }

if [ -z "${PLIMVAR_SESSION:-}" ]; then
    declare -A needs=([x]="Xvfb xdotool" [wm]=openbox [speech]=speech-dispatcher [wayland]=weston
        [wine]=/usr/lib/wine/wine64)
    for part in ${parts//,/ }; do
        for tool in dbus-run-session ${needs[$part]:-}; do
            command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
        done
    done
    runtime=$(mktemp -d)
    trap 'rm -rf "$runtime"' EXIT
    chmod 700 "$runtime"
    if has speech; then
        # A module that says everything by running "true": no sound device,
        # nothing to crash or hang the reader that waits on it.
        mkdir -p "$runtime/config/speech-dispatcher/modules"
        printf '%s\n' 'AddModule "silent" "sd_generic" "silent.conf"' 'DefaultModule silent' \
            >"$runtime/config/speech-dispatcher/speechd.conf"
        printf '%s\n' 'GenericExecuteSynth "true"' 'AddVoice "en" "MALE1" "en"' \
            >"$runtime/config/speech-dispatcher/modules/silent.conf"
    fi
    unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP XDG_SESSION_TYPE \
        DESKTOP_SESSION WINEPREFIX
    status=0
    PLIMVAR_SESSION=$runtime XDG_RUNTIME_DIR=$runtime XDG_CONFIG_HOME=$runtime/config \
        XDG_CACHE_HOME=$runtime/cache HOME=$runtime \
        timeout $((seconds + 60)) dbus-run-session -- "$0" "$seconds" "${parts:1:-1}" -- "$@" || status=$?
    exit $status
fi

work=$PLIMVAR_SESSION
started=()
stop() {
    if has wine; then /usr/lib/wine/wineserver -k 2>/dev/null || true; fi
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap stop EXIT
begin() { # begin PART VARIABLE: display.py starts it; the variable names it
    local name pid
    read -r name pid < <(/usr/bin/python3 "$here/display.py" "$1" "$work") && [ -n "$pid" ] ||
        { echo "FAIL: no $1 display"; exit 1; }
    started+=("$pid")
    export "$2=$name"
}
if has x; then begin x DISPLAY; fi
if has wayland; then begin wayland WAYLAND_DISPLAY; fi
if has wm; then
    # A window mapped before openbox manages the screen never gets the focus:
    # the test begins once openbox runs its start command.
    mkfifo "$work/wm-ready"
    openbox --startup "sh -c 'echo >$work/wm-ready'" >/dev/null 2>&1 &
    started+=($!)
    timeout 60 head -n 1 "$work/wm-ready" >/dev/null || { echo "FAIL: openbox did not start"; exit 1; }
fi
if has speech; then
    # Its own speech server, which Orca finds at the session's socket.
    speech-dispatcher --run-single --timeout 0 --communication-method unix_socket --socket-path default \
        >/dev/null 2>&1 &
    started+=($!)
fi
if has wine; then
    export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    timeout 120 /usr/lib/wine/wine64 wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
fi
status=0
timeout "$seconds" "$@" || status=$?
[ $status -ne 124 ] || echo "FAIL: the test outlasted its $seconds seconds"
exit $status
