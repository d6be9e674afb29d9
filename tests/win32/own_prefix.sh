# Sourced by the tests and the benchmark that run Windows programs: a Wine
# prefix of this run's own, on an Xvfb display of its own; the caller's EXIT
# trap calls stop_own_prefix, which ends both.
#     start_own_prefix WORK_DIR
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/own_display.sh"

start_own_prefix() {
    export WINEPREFIX=$1/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    start_own_display "$1"
    timeout 120 /usr/lib/wine/wine64 wineboot -i >"$1/wineboot.log" 2>&1 ||
        { cat "$1/wineboot.log"; return 1; }
}

stop_own_prefix() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    stop_own_display
}
