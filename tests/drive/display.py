"""The one way a test starts a display of its own: an Xvfb on a display
nobody uses, checked to be served by that very Xvfb, or a Wayland compositor
(weston) in a window on such a display. Python tests call it; session.sh
calls it from the shell:

    display.py x WORK_DIR           prints ":N PID"
    display.py wayland WORK_DIR     prints "SOCKET PID" (inside an X display)
"""
import fcntl
import os
import select
import subprocess
import sys

from check import Failed, poll

LOCK = "/tmp/plimvar-display-start.lock"


def x_display(work):
    """An Xvfb of its own, and its display's name. Xvfb picks a free display itself and writes its number once it
    listens; two that start at the same moment can pick the same number, so they start one at a time, here and in
    every other test run on the machine."""
    with open(LOCK, "a") as lock:
        poll("a turn to start Xvfb", lambda: take(lock), 60)
        log = open(os.path.join(work, "xvfb.log"), "ab")
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                stdout=subprocess.PIPE, stderr=log, start_new_session=True)
        ready, _, _ = select.select([xvfb.stdout], [], [], 20)
        number = ready and xvfb.stdout.readline().decode().strip()
    if not number:
        xvfb.kill()
        raise Failed("Xvfb did not start: " + open(log.name, errors="replace").read())
    if not serves(xvfb.pid, number):
        xvfb.kill()
        raise Failed("display :%s is not served by this test's Xvfb" % number)
    return xvfb, ":" + number


def take(lock):
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        return True
    except BlockingIOError:
        return False


def serves(pid, number):
    """Whether the process holds the listening socket of that display, in the abstract namespace, where no other
    server can take it over."""
    with open("/proc/net/unix") as f:
        inodes = {line.split()[6] for line in f if line.split()[7:8] == ["@/tmp/.X11-unix/X" + number]}
    held = set()
    for fd in os.listdir("/proc/%d/fd" % pid):
        try:
            held.add(os.readlink("/proc/%d/fd/%s" % (pid, fd)))
        except OSError:
            pass
    return any("socket:[%s]" % inode in held for inode in inodes)


def wayland(work):
    """weston in a window filling the X display the caller is on, with the pointer over it, so that it takes the
    keys xdotool sends; and its socket's name."""
    name = "wayland-%d" % os.getpid()
    socket = os.path.join(os.environ["XDG_RUNTIME_DIR"], name)
    weston = subprocess.Popen(["weston", "--backend=x11-backend.so", "--use-pixman", "--width=1280",
                               "--height=1024", "--socket=" + name, "--idle-time=0"],
                              stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "weston.log"), "ab"),
                              start_new_session=True)
    try:
        poll("weston's socket", lambda: os.path.exists(socket) or weston.poll() is not None, 20)
    finally:
        if not os.path.exists(socket):
            weston.kill()
    if weston.poll() is not None:
        raise Failed("weston did not start: " + open(os.path.join(work, "weston.log"), errors="replace").read())
    subprocess.run(["xdotool", "mousemove", "640", "512"], check=True, timeout=10)
    return weston, name


if __name__ == "__main__":
    process, name = {"x": x_display, "wayland": wayland}[sys.argv[1]](sys.argv[2])
    print(name, process.pid)
