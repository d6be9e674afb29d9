"""The built program as a person uses it, on X11 or natively on Wayland:
every scenario of the behaviour table, driven with xdotool and read through
the accessibility bus; on Wayland, then, the platform the program picks on
each desktop, with the user's own settings.

    e2e.py PROGRAM x11|wayland      (in a session of its own: session.sh)
"""
import os
import subprocess
import sys

sys.path[:0] = [os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", where) for where in ("", "drive")]
from check import Failed, exit_with, expect, needs, poll  # noqa: E402
needs("pyatspi")
import atspi  # noqa: E402
import behaviour  # noqa: E402
from texts import TEXTS  # noqa: E402
from desktop import Desktop  # noqa: E402

# What the program runs on where both X11 (Xwayland) and Wayland are there: the desktop, what the user set
# (None: unset), and whether its window is an X window. On GNOME it goes through Xwayland unless the user says
# otherwise; with no X11 it stays on Wayland.
CHOICES = [
    ("GNOME, through Xwayland", {"XDG_CURRENT_DESKTOP": "ubuntu:GNOME"}, True),
    ("GNOME, the user's own Wayland", {"XDG_CURRENT_DESKTOP": "ubuntu:GNOME", "QT_QPA_PLATFORM": "wayland"}, False),
    ("GNOME with no X11", {"XDG_CURRENT_DESKTOP": "GNOME", "DISPLAY": None}, False),
    ("KDE, the user's own Wayland", {"XDG_CURRENT_DESKTOP": "KDE", "QT_QPA_PLATFORM": "wayland"}, False),
]


def platform_choice(program):
    title = TEXTS["window"]["title"]
    for name, settings, x_window in CHOICES:
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        for key, value in settings.items():
            env.pop(key, None) if value is None else env.update({key: value})
        process = subprocess.Popen([program], env=env)
        try:
            app = poll(name + ": the program started", lambda: atspi.read(
                lambda: atspi.applications([process.pid])), 20)[0]
            poll(name + ": its window", lambda: atspi.read(lambda: atspi.find(app, atspi.pyatspi.ROLE_FRAME, title)),
                 20)
            found = subprocess.run(["xdotool", "search", "--name", "^%s$" % title], capture_output=True, timeout=20)
            expect(name + ": an X window", found.returncode == 0, x_window)
        finally:
            process.kill()
            process.wait()


def main():
    program, platform = sys.argv[1], sys.argv[2]
    driver = Desktop(program, "wayland" if platform == "wayland" else "xcb")
    try:
        status = behaviour.run(driver, "the behaviour table in the Qt program on " + platform)
    finally:
        driver.close()
    if platform == "wayland":
        platform_choice(program)
    if status:
        raise Failed("the behaviour table")


if __name__ == "__main__":
    exit_with(main)
