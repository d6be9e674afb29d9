#!/usr/bin/env bash
# The program on a terminal: --help and --version answer and open no window,
# an unknown option is refused with the usage and status 2 before any
# window, and with no display at all, or one it cannot reach, it says so in
# one line and exits with 1, naming the package of a missing Wayland plugin
# (run with a qt.conf that shows Qt only its X11 plugin, XCB_PLUGIN).
#     check_command_line.sh PROGRAM XCB_PLUGIN
set -uo pipefail
program=$1 xcb_plugin=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() {
    local what=$1 expected_status=$2 expected_text=$3
    shift 3
    local text status
    text=$(timeout 10 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" 2>&1)
    status=$?
    if [ $status -ne "$expected_status" ] || ! grep -q -- "$expected_text" <<<"$text"; then
        echo "FAIL: $what: status $status, said: $text"
        fail=1
    fi
}
check "--version" 0 '^plimvar 1\.00$' "$program" --version
check "-v" 0 '^plimvar 1\.00$' "$program" -v
check "--help" 0 '^Usage: plimvar' "$program" --help
check "--help lists -v" 0 '^  -v, --version' "$program" --help
check "an unknown option" 2 "^plimvar: unknown option '--bogus'" "$program" --bogus
check "its usage" 2 '^Usage: plimvar' "$program" --bogus
check "an argument" 2 "^plimvar: unknown argument 'file.txt'" "$program" file.txt
check "Qt's options pass" 1 '^plimvar: no display' "$program" -style Fusion --reverse
check "no display" 1 '^plimvar: no display' "$program"
[ "$(timeout 10 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" 2>&1 | wc -l)" -eq 1 ] ||
    { echo "FAIL: more than one line without a display"; fail=1; }
# A display nothing serves: X11 (no server on :1999), and Wayland.
check "an unreachable X display" 1 '^plimvar: cannot open the X display ":1999"' env DISPLAY=:1999 "$program"
check "an unreachable Wayland display" 1 '^plimvar: cannot open the Wayland display "plimvar-none-0"' \
    env QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=plimvar-none-0 XDG_RUNTIME_DIR="${TMPDIR:-/tmp}" "$program"
check "a stale Wayland display and no X display" 1 '^plimvar: cannot open the Wayland display "plimvar-none-0"' \
    env WAYLAND_DISPLAY=plimvar-none-0 XDG_RUNTIME_DIR="$work" "$program"
mkdir -p "$work/bin" "$work/plugins/platforms"
cp "$program" "$work/bin/plimvar"
ln -s "$xcb_plugin" "$work/plugins/platforms/"
printf '[Paths]\nPlugins=%s\n' "$work/plugins" >"$work/bin/qt.conf"
check "no Qt Wayland plugin" 1 \
    "^plimvar: cannot show the window on the Wayland display \"plimvar-none-0\" without Qt's Wayland plugin; install qt6-wayland\$" \
    env WAYLAND_DISPLAY=plimvar-none-0 XDG_RUNTIME_DIR="$work" "$work/bin/plimvar"
[ "$(timeout 10 env DISPLAY=:1999 "$program" 2>&1 | wc -l)" -eq 1 ] ||
    { echo "FAIL: more than one line with an unreachable display"; fail=1; }
[ "$(timeout 10 "$program" --bogus 2>/dev/null | wc -c)" -eq 0 ] ||
    { echo "FAIL: an unknown option wrote to standard output"; fail=1; }
[ $fail -eq 0 ] && echo "PASS: --help, --version, unknown options, no display, one out of reach, no Wayland plugin"
exit $fail
