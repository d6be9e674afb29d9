#!/usr/bin/env bash
# The program on a terminal: --help and --version answer and open no window,
# and with no display at all it says so in one line and exits with 1.
#     check_command_line.sh PROGRAM
set -uo pipefail
program=$1
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
check "--help" 0 '^Usage: plimvar' "$program" --help
check "no display" 1 '^plimvar: no display' "$program"
[ "$(timeout 10 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" 2>&1 | wc -l)" -eq 1 ] ||
    { echo "FAIL: more than one line without a display"; fail=1; }
[ $fail -eq 0 ] && echo "PASS: --help, --version and no display"
exit $fail
