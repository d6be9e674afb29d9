"""Uses the built program as a person would: clicks with xdotool, types into
its dialogs, and reads its lists, its count box and its failure reports
through the accessibility bus.

    e2e.py PROGRAM      (run by run_e2e.sh, on its own display and bus)
"""
import os
import subprocess
import sys
import time

import pyatspi

TIMEOUT = 20.0
# A Wayland client never learns where the compositor put its window, so on
# Wayland a button is reached as a keyboard user reaches it.
ON_WAYLAND = os.environ.get("QT_QPA_PLATFORM") == "wayland"


class Failed(Exception):
    pass


def poll(what, probe, timeout=TIMEOUT):
    """Asks probe() until it gives something, or fails after timeout."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            found = probe()
        except Exception:  # an object can vanish while it is being read
            found = None
        if found:
            return found
        time.sleep(0.05)
    raise Failed("timed out waiting for " + what)


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def find(root, role, name=None):
    for node in walk(root):
        if node.getRole() == role and (name is None or node.name == name):
            return node
    return None


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True)


class Program:
    def __init__(self, path):
        self.process = subprocess.Popen([path])
        self.app = poll("the program on the accessibility bus", self._application)
        self.window = poll("the main window", lambda: find(self.app, pyatspi.ROLE_FRAME, "Plimvar u sortiran niz"))

    def _application(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "Plimvar":
                return app
        return None

    def focused(self):
        """The name of the window's control that has the focus (a list's current row may say it has it too)."""
        return next(node.name for node in walk(self.window) if node.getState().contains(pyatspi.STATE_FOCUSED)
                    and node.getRole() != pyatspi.ROLE_LIST_ITEM)

    def press(self, caption):
        button = poll("button " + caption, lambda: find(self.window, pyatspi.ROLE_PUSH_BUTTON, caption))
        if ON_WAYLAND:
            for _ in range(8):  # the window's controls
                before = poll("a control with the focus", self.focused)
                if before == caption:
                    break
                xdotool("key", "Tab")
                poll("the focus to leave " + before, lambda: self.focused() != before)
            expect("the focus", self.focused(), caption)
            xdotool("key", "space")
            return
        extents = button.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        # Without --sync, which waits for a motion that never comes when the
        # pointer is already there; the server handles the click after the move.
        xdotool("mousemove", str(extents.x + extents.width // 2),
                str(extents.y + extents.height // 2), "click", "1")

    def answer(self, title, text, key="Return"):
        """Answers the dialog with the given title, which must be open."""
        poll("dialog " + title, lambda: find(self.app, pyatspi.ROLE_DIALOG, title))
        if text:
            xdotool("type", "--delay", "20", "--", text)
        xdotool("key", key)
        poll("dialog %s to close" % title, lambda: find(self.app, pyatspi.ROLE_DIALOG, title) is None)

    def report(self):
        """Reads the failure report that must now be open, and dismisses it."""
        alert = poll("a failure report", lambda: find(self.app, pyatspi.ROLE_ALERT))
        texts = [node.name for node in walk(alert) if node.getRole() == pyatspi.ROLE_LABEL]
        xdotool("key", "Return")
        poll("the report to close", lambda: find(self.app, pyatspi.ROLE_ALERT) is None)
        return texts

    def rows(self, name):
        box = find(self.window, pyatspi.ROLE_LIST, name)
        return [row.name for row in box if row is not None]

    def count(self):
        box = find(self.window, pyatspi.ROLE_TEXT, "n =")
        return box.queryText().getText(0, -1)


def expect(what, actual, expected):
    if actual != expected:
        raise Failed("%s: expected %r, got %r" % (what, expected, actual))
    print("ok   %s: %r" % (what, actual))


def expect_rows(program, name, expected):
    poll("%s to show %r" % (name, expected), lambda: program.rows(name) == expected, timeout=5)
    expect(name, program.rows(name), expected)


def main():
    """What a screen reader reads of the running program; the behaviour itself
    is the behaviour table's, which the Qt window test runs."""
    program = Program(sys.argv[1])
    try:
        program.press("Unesi niz")
        program.answer("Broj elemenata niza", "2")
        program.answer("1 element", "4")
        program.answer("2 element", "1")
        expect("count box", program.count(), "2")
        expect_rows(program, "Uneti niz", ["4", "1"])
        program.press("Sortiraj niz")
        expect_rows(program, "Sortiran niz", ["1", "4"])
        program.press("Umetni broj")
        program.answer("Umetni broj", "abc")
        expect("the report, read as an alert", program.report(), ["Type mismatch"])

        program.press("Kraj")
        poll("the program to end", lambda: program.process.poll() is not None or None)
        expect("exit status", program.process.returncode, 0)
    finally:
        if program.process.poll() is None:
            program.process.kill()
    print("PASS: end-to-end")


if __name__ == "__main__":
    try:
        main()
    except Failed as failure:
        print("FAIL:", failure)
        sys.exit(1)
