"""The Qt program as a person uses it on an X11 or a Wayland desktop: clicks
and keys with xdotool, the window, its dialogs and reports read through the
accessibility bus, as a screen reader reads them. It drives the behaviour
table's verbs; what it cannot read, it says so.
"""
import os
import subprocess

import pyatspi

import atspi
from texts import CONTROLS, TEXTS
from check import expect, poll

TIMEOUT = 20.0
# The window's controls that take the focus, by the name a reader hears.
FOCUSABLE = {c["accessible name"]: name for name, c in CONTROLS.items() if c["kind"] != "label"}


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=30)


class Desktop:
    """The program at PATH on the session's display: on Wayland (keyboard_only) a client never learns where the
    compositor put its window, so a control is reached as a keyboard user reaches it."""

    windows = False
    # What a reader hears once the program has ended: nothing, it has gone.
    after_end = []
    cannot = {"left_to_right": "AT-SPI gives no reading direction", "rows_apart": "AT-SPI gives no font"}

    def __init__(self, path, platform):
        self.path, self.platform, self.process, self.env = path, platform, None, None
        self.keyboard_only = platform == "wayland"

    # Starting and ending.
    def start(self, locale):
        self.env = dict(os.environ, LC_ALL=locale["posix"], LANG=locale["posix"], QT_QPA_PLATFORM=self.platform,
                        QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        self.start_again()

    def start_again(self):
        self.close()
        self.process = subprocess.Popen([self.path], env=self.env)
        self.app = poll("the program on the accessibility bus", lambda: atspi.read(
            lambda: (atspi.applications([self.process.pid]) or [None])[0]), TIMEOUT)
        self.window = poll("its window", lambda: self.find(pyatspi.ROLE_FRAME, TEXTS["window"]["title"]), TIMEOUT)
        # The window manager has placed the window once it gives it the keyboard: a click before that may miss.
        poll("a control of the window with the focus", lambda: self.focused() is not None, TIMEOUT)

    def end(self):
        self.press("btnKraj")
        self.ended()

    def ended(self):
        poll("the program to end", lambda: self.process.poll() is not None, TIMEOUT)
        expect("exit status", self.process.returncode, 0)

    def close(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    # Reading, as a screen reader reads.
    def find(self, role, name=None, root=None):
        """The showing node of that role and name, or None."""
        def reading():
            return next((n for n in atspi.walk(root or self.app) if n.getRole() == role
                         and (name is None or n.name == name) and n.getState().contains(pyatspi.STATE_SHOWING)),
                        None)
        return atspi.read(reading)

    def control(self, name):
        c = CONTROLS[name]
        role = {"list": pyatspi.ROLE_LIST, "button": pyatspi.ROLE_PUSH_BUTTON, "text box": pyatspi.ROLE_TEXT}
        return poll(name, lambda: self.find(role[c["kind"]], c["accessible name"], self.window), TIMEOUT)

    def focused(self, root=None):
        """The name a reader hears for the control with the focus (a list's current row may say it has it too)."""
        return atspi.read(lambda: next((n.name for n in atspi.walk(root or self.window)
                                        if n.getState().contains(pyatspi.STATE_FOCUSED)
                                        and n.getRole() != pyatspi.ROLE_LIST_ITEM), None))

    def has_keyboard(self):
        """Whether a window of the program is active: between a dialog and the window it leaves, none is, and a
        key goes nowhere."""
        return atspi.read(lambda: any(w.getState().contains(pyatspi.STATE_ACTIVE) for w in self.app))

    def dialog_open(self):
        return any(self.find(role) for role in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT))

    def window_open(self):
        return self.process.poll() is None and self.find(pyatspi.ROLE_FRAME, TEXTS["window"]["title"]) is not None

    def rows(self, name):
        return atspi.read(lambda: [row.name for row in self.control(name) if row is not None])

    def selected(self, name):
        return atspi.read(lambda: next((row.name for row in self.control(name)
                                        if row is not None and row.getState().contains(pyatspi.STATE_SELECTED)),
                                       None))

    def count(self):
        return atspi.read(lambda: self.control("txtBrojElemenata").queryText().getText(0, -1))

    def focus(self):
        return FOCUSABLE.get(self.focused())

    # Doing, as a person does.
    def press(self, name):
        self.push(self.control(name), CONTROLS[name]["accessible name"], self.window,
                  CONTROLS[name]["kind"] == "button")

    def push(self, node, name, root, button=True):
        """A click at the control's middle, or, where the window's place is unknown, Tab to it and space for a
        button."""
        if self.keyboard_only:
            self.reach(name, root)
            if button:
                xdotool("key", "space")
            return
        extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        # Without --sync, which waits for a motion that never comes when the pointer is already there; the server
        # handles the click after the move.
        xdotool("mousemove", str(extents.x + extents.width // 2), str(extents.y + extents.height // 2),
                "click", "1")
        # A click is taken once the control has the focus: then the next key goes where the click sent it.
        if not button:
            poll("the focus on " + name, lambda: self.focused(root) == name, TIMEOUT)

    click = press

    def reach(self, name, root):
        """Tab until the control of that name has the focus, each key once the one before has moved it."""
        for _ in range(len(FOCUSABLE) + 3):
            before = poll("a control with the focus", lambda: [self.focused(root)] if self.focused(root) is not None
                          else None, TIMEOUT)[0]
            if before == name:
                return
            xdotool("key", "Tab")
            poll("the focus to leave " + before, lambda: self.focused(root) != before, TIMEOUT)
        expect("the focus", self.focused(root), name)

    def key(self, name):
        xdotool("key", name)

    def type(self, text):
        if text.isascii() and "\n" not in text and len(text) < 100:
            xdotool("type", "--delay", "20", "--", text)
        else:
            self.paste(text)

    def paste(self, text):
        """Puts the text in at the cursor as an input method does: xdotool types only what the keyboard map has,
        and X's clipboard is not Wayland's."""
        field = poll("the focused text", lambda: atspi.read(lambda: next(
            (n for n in atspi.walk(self.app) if n.getRole() == pyatspi.ROLE_TEXT
             and n.getState().contains(pyatspi.STATE_FOCUSED)), None)), TIMEOUT)
        atspi.read(lambda: field.queryEditableText().insertText(field.queryText().caretOffset, text, len(text)))

    def answer(self, asked, text, how):
        title = asked["title"]
        box = poll("dialog " + title, lambda: self.find(pyatspi.ROLE_DIALOG, title), TIMEOUT)
        expect("the question", self.find(pyatspi.ROLE_LABEL, asked["prompt"], box) is not None, True)
        # The dialog is ready once its field has the keyboard.
        poll("the answer field's focus", lambda: atspi.read(lambda: any(
            n.getRole() == pyatspi.ROLE_TEXT and n.getState().contains(pyatspi.STATE_FOCUSED)
            for n in atspi.walk(box))), TIMEOUT)
        if how == "paste":
            self.paste(text)
        elif text:
            self.type(text)
        if how == "Cancel":
            self.push(self.find(pyatspi.ROLE_PUSH_BUTTON, "Cancel", box), "Cancel", box)
        else:
            xdotool("key", "Return" if how == "paste" else how)
        poll("dialog %s to close" % title, lambda: self.find(pyatspi.ROLE_DIALOG, title) is None, TIMEOUT)

    def report(self):
        """The failure report's text, read as an alert; Return dismisses it."""
        alert = poll("a failure report", lambda: self.find(pyatspi.ROLE_ALERT), TIMEOUT)
        expect("the report's title", alert.name, TEXTS["report"]["title"])
        texts = atspi.read(lambda: [n.name for n in atspi.walk(alert) if n.getRole() == pyatspi.ROLE_LABEL and n.name])
        # Its OK takes Return once it has the keyboard; a key before that goes to no window.
        poll("the report's focus", lambda: self.focused(alert) is not None, TIMEOUT)
        xdotool("key", "Return")
        poll("the report to close", lambda: self.find(pyatspi.ROLE_ALERT) is None, TIMEOUT)
        return "\n".join(texts)
