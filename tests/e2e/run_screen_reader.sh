#!/usr/bin/env bash
# What Orca, the Linux desktop's screen reader, says of the built program,
# or of the built page in Chromium, in a session of its own: a session bus,
# an Xvfb display, openbox (without a window manager the keyboard focus does
# not follow new windows), and speech-dispatcher speaking with espeak-ng
# into ALSA's null device.
#     run_screen_reader.sh PROGRAM|SITE_DIR
set -euo pipefail
program=$(realpath "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
browser=()
[ -d "$program" ] && browser=(chromium)
for tool in Xvfb xdotool openbox dbus-run-session speech-dispatcher "${browser[@]}"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'import orca, pyatspi' 2>/dev/null || { echo "SKIP: orca is not installed"; exit 77; }

if [ -z "${PLIMVAR_READER_INSIDE:-}" ]; then
    runtime=$(mktemp -d)
    trap 'rm -rf "$runtime"' EXIT
    chmod 700 "$runtime"
    mkdir -p "$runtime/config/speech-dispatcher"
    printf '%s\n' 'AudioOutputMethod "alsa"' 'AudioALSADevice "null"' \
        'AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"' 'DefaultModule espeak-ng' \
        >"$runtime/config/speech-dispatcher/speechd.conf"
    status=0
    PLIMVAR_READER_INSIDE=1 XDG_RUNTIME_DIR=$runtime XDG_CONFIG_HOME=$runtime/config HOME=$runtime \
        timeout 240 dbus-run-session -- "$0" "$program" || status=$?
    exit $status
fi

. "$here/own_display.sh"
trap 'stop_own_display; kill ${started[*]} 2>/dev/null || true' EXIT
start_own_display "$XDG_RUNTIME_DIR"
openbox >/dev/null 2>&1 &
started=($!)
# Its own speech server, which Orca finds at the session's socket.
speech-dispatcher --run-single --timeout 0 --communication-method unix_socket --socket-path default \
    >/dev/null 2>&1 &
started+=($!)
QT_QPA_PLATFORM=xcb /usr/bin/python3 "$here/screen_reader.py" "$program" "$XDG_RUNTIME_DIR"
