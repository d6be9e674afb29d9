"""The behaviour table as a student who hears the program through Orca takes
it: keys alone, each pressed once Orca has said all it had to say for the one
before, and what the table expects held to what was heard. A control with the
focus is the one Orca named last, a dialog is its title and prompt said as it
opens, a report is its text said once, and a selected row is the row said
once for the key that moved to it. The driver beneath (the Qt program, or the
page in a browser) starts the program and says where the focus is, so that a
button is reached with Tab as a keyboard user reaches it.
"""
import os
import re
import subprocess

from check import Failed, expect, poll
from texts import CONTROLS, TEXTS

# A bound for a reader that never speaks: each wait ends as soon as Orca has said what it waits for.
TIMEOUT = 30.0
NAME = {name: c["accessible name"] for name, c in CONTROLS.items()}
TAB_ORDER = [name for name, c in CONTROLS.items() if c["kind"] != "label"]
MOVES = ("Up", "Down", "Home", "End")

# Orca from its own code, with its log written a line at a time: "orca" would
# look for (or with --replace, kill) every other Orca of the user.
ORCA = """
import sys
import gi
gi.require_version("Atspi", "2.0")
from orca import debug
debug.debugLevel, debug.eventDebugLevel = debug.LEVEL_INFO, debug.LEVEL_OFF
debug.debugFile = open(sys.argv[1], "w", buffering=1)
try:  # Orca 46 and later (Debian 13), in the order its own start imports them
    from orca import debugging_tools_manager, messages, settings, script_manager, settings_manager
    manager = settings_manager.get_manager()
except ImportError:  # Orca 43 (Debian 12)
    from orca import orca
    manager = orca.getSettingsManager()
manager.activate(sys.argv[2], {})
from orca import orca
sys.exit(orca.main())
"""


def version():
    from orca import orca_platform
    return int(orca_platform.version.split(".")[0])


class Orca:
    """Orca of its own, started before the program, and what its log says it said."""

    def __init__(self, work):
        self.log = os.path.join(work, "orca.log")
        self.process = subprocess.Popen(["/usr/bin/python3", "-c", ORCA, self.log, os.path.join(work, "prefs")],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.read = 0
        # What Orca logs as it starts to take events: Orca 43 (Debian 12), and 46 and later (Debian 13).
        poll("Orca to start", lambda: os.path.exists(self.log) and re.search(
            "ORCA: Starting (registry|Atspi main event loop)", open(self.log, errors="replace").read()), 60)

    def said(self):
        """What Orca has said since last asked, in whole lines of its log."""
        with open(self.log, "rb") as f:
            f.seek(self.read)
            text = f.read()
        complete = text[:text.rfind(b"\n") + 1]
        self.read += len(complete)
        return re.findall(r"SPEECH OUTPUT: '(.*?)'", complete.decode("utf-8", errors="replace"))

    def close(self):
        self.process.kill()
        self.process.wait()


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=30)


def echo(utterance):
    return utterance.strip().lower().endswith("control")


def plain(utterance):
    return utterance.strip().rstrip(".").strip()


def control_named(utterance):
    """The window's control an utterance names as it takes the focus: its name, then at most its role."""
    for name in TAB_ORDER:
        said = plain(utterance)
        if said.startswith(NAME[name]):
            rest = said[len(NAME[name]):].split()
            if (not rest or rest[0] != "dialog") and len(rest) <= 2:
                return name
    return None


class Heard:
    """The table's verbs through the keyboard and Orca, over a driver that starts the program and reads where
    its focus is; cannot adds what this Orca does not say."""

    windows = False

    def __init__(self, inner, work, cannot=None):
        self.inner, self.orca = inner, Orca(work)
        where = "a reader hears rows and the count box only as the student reaches them"
        self.cannot = dict({key: where for key in ("entered", "sorted", "count", "left_to_right", "rows_apart")},
                           **(cannot or {}))
        # What Orca said for each key, by the key; the last still growing. Orca says a Control pressed after
        # all it had to say before: what it says after that echo belongs to the keys after it.
        self.batches, self.after_echo, self.named, self.keypad_said = [("start", [])], [], None, False

    # Hearing.
    def listen(self, until_echo=False):
        """Takes in what Orca has said, as said for the last key; until_echo: whether the echo came."""
        said, self.after_echo = self.after_echo + self.orca.said(), []
        for k, utterance in enumerate(said):
            if echo(utterance):
                if until_echo:
                    self.after_echo = said[k + 1:]
                    return True
                continue
            self.batches[-1][1].append(utterance)
            self.named = control_named(utterance) or self.named
        return False

    def heard(self):
        self.listen()
        return self.batches[-1][1]

    def hear(self, phrases, what):
        """Each phrase, said for the last key."""
        try:
            poll(what, lambda: all(any(p in u for u in self.heard()) for p in phrases), TIMEOUT)
        except Failed:
            pass
        for phrase in phrases:
            expect("%s: %r heard after %s, in %s" % (what, phrase, self.batches[-1][0], self.heard()),
                   any(phrase in u for u in self.heard()), True)

    def settle(self):
        """All Orca says for the keys so far: until it echoes a Control pressed now."""
        xdotool("key", "Control_L")
        poll("Orca's echo of Control", lambda: self.listen(until_echo=True), TIMEOUT)

    def send(self, key, typed=False):
        """A key a student presses, once the one before has been heard."""
        self.settle()
        poll("a window of the program with the keyboard", self.inner.has_keyboard, TIMEOUT)
        self.batches.append((key, []))
        xdotool("type" if typed else "key", key)

    # Starting and ending.
    def start(self, locale):
        self.inner.start(locale)
        self.started()

    def start_again(self):
        """A new start from where the last ended, which the page does in place: its first control is said."""
        self.inner.start_again()
        self.started(again=True)

    def started(self, again=False):
        self.batches.append(("the start", []))
        first = [] if "first focus" in self.cannot and not again else [NAME[TAB_ORDER[0]]]
        self.hear(([] if again else [TEXTS["window"]["title"]]) + first, "the window as it starts")
        if not first:
            print("SKIP first focus: %s" % self.cannot["first focus"])
            self.named = poll("a control with the focus", self.inner.focus, TIMEOUT)

    def end(self):
        self.press("btnKraj")
        self.inner.ended()
        self.hear(self.inner.after_end, "the end")

    def close(self):
        self.inner.close()
        self.orca.close()

    # Doing.
    def reach(self, control):
        """Tab or Shift+Tab until the control has the focus; each control is heard as it takes it."""
        for _ in TAB_ORDER:
            now = poll("a control with the focus", lambda: self.inner.focus(), TIMEOUT)
            # A student moves on once Orca has said where the focus is.
            poll("Orca to name " + now, lambda: self.focus() == now, TIMEOUT)
            if now == control:
                return
            self.send("Tab" if TAB_ORDER.index(now) < TAB_ORDER.index(control) else "shift+Tab")
            now = poll("the focus to leave " + now, lambda: (lambda f: f != now and f)(self.inner.focus()),
                       TIMEOUT)
            rows = len(self.inner.rows(now)) if CONTROLS[now]["kind"] == "list" else 0
            self.hear([NAME[now]] + (["%d items" % rows] if rows else []), "a control as it takes the focus")
        expect("the focus", self.inner.focus(), control)

    def press(self, control):
        self.reach(control)
        if CONTROLS[control]["kind"] == "button":
            self.send("space")

    click = press

    def key(self, name):
        if name == "KP_Enter":
            # Orca's desktop layout takes the keypad for itself.
            if not self.keypad_said:
                print("SKIP KP_Enter: Orca takes the keypad's Enter for Where Am I; Return in its place")
                self.keypad_said = True
            name = "Return"
        self.send(name)

    def type(self, text):
        if text.isascii() and text.isprintable() and len(text) < 100:
            for character in text:
                self.send(character, typed=True)
        else:
            self.paste(text)

    def paste(self, text):
        self.settle()
        self.inner.paste(text)

    def answer(self, asked, text, how):
        """The dialog heard with its title and prompt as it opens, then answered from the keyboard: Cancel is
        Shift+Tab from the field, and space."""
        # Orca leaves out a title that is the name it has just said, the button's that opened the dialog.
        said = NAME.get(self.named)
        self.hear([p for p in (asked["title"], asked["prompt"]) if p != said], "the dialog as it opens")
        self.named = None
        if how == "paste":
            self.paste(text)
        elif text:
            self.type(text)
        if how == "Cancel":
            self.send("shift+Tab")
            self.send("space")
        else:
            self.send("Return" if how == "paste" else how)

    def report(self):
        """The report's title heard, then the failures it names, each as often as heard; Return closes it."""
        failures = TEXTS["report"]["failures"].values()
        heard = lambda: [f for u in self.heard() for f in failures for _ in range(u.count(f))]
        self.hear([TEXTS["report"]["title"]], "the report as it opens")
        self.named = None
        if "report" not in self.cannot:
            try:
                poll("the report's text", heard, TIMEOUT)
            except Failed:
                pass
        self.settle()
        said = heard()
        self.send("Return")
        return "\n".join(said)

    # Reading what was heard.
    def focus(self):
        self.listen()
        return self.named or "none named, after %s: %s" % self.batches[-1]

    def selected(self, control):
        """The selected row, where it is the one row heard for the last key that moved in a list."""
        self.listen()
        rows = self.inner.rows(control)
        said_rows = lambda said: [plain(u).split(" ")[0] for u in said if plain(u).split(" ")[0] in rows]
        # A key that moves nowhere says nothing: the row is the one heard last.
        heard = next((said_rows(said) for key, said in reversed(self.batches) if key in MOVES and said_rows(said)),
                     [])
        row = self.inner.selected(control)
        return row if heard == [row] else "heard %s" % heard

    def dialog_open(self):
        return self.inner.dialog_open()

    def window_open(self):
        return self.inner.window_open()
