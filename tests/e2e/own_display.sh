# Sourced by the end-to-end tests: starts an Xvfb of this test's own on a
# display nobody uses, checks that the server behind that display is this
# one, and ends it, and only it, by its PID (the caller's EXIT trap calls
# stop_own_display).
#     start_own_display WORK_DIR     sets DISPLAY and xvfb_pid
start_own_display() {
    local work=$1 n=
    # Xvfb picks a free display itself and writes its number once it listens.
    # Two servers that start at the same moment can pick the same number, so
    # the tests here start theirs one at a time.
    exec 9>>/tmp/plimvar-display-start.lock
    flock -w 60 9 || { echo "FAIL: no turn to start Xvfb"; return 1; }
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 9>&- \
        >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        n=$(head -n 1 "$work/display" 2>/dev/null || true)
        [ -n "$n" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    exec 9>&-
    [ -n "$n" ] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; return 1; }
    if ! serves_display "$xvfb_pid" "$n"; then
        echo "FAIL: display :$n is not served by this test's Xvfb"
        return 1
    fi
    export DISPLAY=:$n
}

# Whether process PID holds the listening socket of display N, in the
# abstract namespace, where no other server can take it over.
serves_display() {
    local inode
    for inode in $(awk -v p="@/tmp/.X11-unix/X$2" '$8 == p { print $7 }' /proc/net/unix); do
        ls -l "/proc/$1/fd" 2>/dev/null | grep -q "socket:\[$inode\]" && return 0
    done
    return 1
}

stop_own_display() {
    if [ -n "${xvfb_pid:-}" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
