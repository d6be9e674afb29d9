"""What Orca says as a keyboard user goes through the built program, or the
page in Chromium: a key at a time, what Orca's speech log holds for it, held
to what a student must hear: the first control at the start, each control
named as it takes the focus (an empty list too, a full one with its count),
each dialog's title and prompt as it opens, the control back in the window
after a dialog, each row once, a report's text once, and on the page, after
Kraj, the way to a new start.

    screen_reader.py PROGRAM|SITE_DIR      (in a session of its own, with a window manager and speech: session.sh)
"""
import contextlib
import os
import re
import subprocess
import sys

sys.path[:0] = [os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", where) for where in ("", "drive")]
from texts import CONTROLS, TEXTS, dialog  # noqa: E402
from check import Failed, exit_with, expect, needs, poll  # noqa: E402
needs("orca", "pyatspi")
import atspi  # noqa: E402

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

NAME = {name: c["accessible name"] for name, c in CONTROLS.items()}
TAB_ORDER = [name for name, c in CONTROLS.items() if c["kind"] != "label"]


def tabs(start, end):
    """The keys from one control to another in the tab order."""
    steps = TAB_ORDER.index(end) - TAB_ORDER.index(start)
    return ["Tab"] * steps if steps > 0 else ["shift+Tab"] * -steps


def asked(key):
    return list(dialog(key).values())


# Keys (none: the start), then what must be heard, then what must be heard exactly once.
STEPS = [
    ([], [NAME["lstOriginalni"]], []),
    (tabs("lstOriginalni", "lstSortiran"), [NAME["lstSortiran"]], []),
    (tabs("lstSortiran", "btnUnesiNiz"), [NAME["btnUnesiNiz"]], []),
    (["space"], asked("count"), []),
    (["3", "Return"], asked("element 1"), []),
    (["4", "Return"], asked("element 2"), []),
    (["1", "Return"], asked("element 3"), []),
    (["3", "Return"], [NAME["btnUnesiNiz"]], []),
    (tabs("btnUnesiNiz", "txtBrojElemenata"), [NAME["txtBrojElemenata"]], []),
    (tabs("txtBrojElemenata", "btnSortirajNiz"), [NAME["btnSortirajNiz"]], []),
    (["space"], [], []),
    (tabs("btnSortirajNiz", "lstSortiran"), [NAME["lstSortiran"], "3 items"], []),
    (["Down"], [], ["1"]),
    (["Down"], [], ["3"]),
    (["Down"], [], ["4"]),
    (tabs("lstSortiran", "btnUmetniBroj"), [NAME["btnUmetniBroj"]], []),
    (["space"], asked("insert"), []),
    (["x", "Return"], [TEXTS["report"]["title"], "OK"], [TEXTS["report"]["failures"]["type mismatch"]]),
    (["Return"], [NAME["btnUmetniBroj"]], []),
    (tabs("btnUmetniBroj", "btnKraj"), [NAME["btnKraj"]], []),
]
# The page stays, with the way to a new start; the program ends.
PAGE_STEPS = [(["space"], ["Pokreni Plimvar"], [])]


def unread(page):
    """What this Orca does not read: of Qt's message box, Orca 46 and later (Debian 13) read only its title and
    button."""
    from orca import orca_platform
    failure = TEXTS["report"]["failures"]["type mismatch"]
    return [] if page or int(orca_platform.version.split(".")[0]) < 46 else [failure]


class Orca:
    def __init__(self, work):
        self.log = os.path.join(work, "orca.log")
        self.process = subprocess.Popen(["/usr/bin/python3", "-c", ORCA, self.log, os.path.join(work, "prefs")],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.read, self.pending = 0, []
        # What Orca logs as it starts to take events: Orca 43 (Debian 12), and 46 and later (Debian 13).
        poll("Orca to start", lambda: os.path.exists(self.log) and re.search(
            "ORCA: Starting (registry|Atspi main event loop)", open(self.log, errors="replace").read()), 60)

    def said(self):
        """What Orca has said since last asked."""
        with open(self.log, "rb") as f:
            f.seek(self.read)
            text = f.read()
        complete = text[:text.rfind(b"\n") + 1]
        self.read += len(complete)
        heard, self.pending = self.pending, []
        return heard + re.findall(r"SPEECH OUTPUT: '(.*?)'", complete.decode("utf-8", errors="replace"))

    def until_echo(self):
        """All Orca says until it echoes a Control pressed now, which it says after all it had to say before."""
        heard = []
        subprocess.run(["xdotool", "key", "Control_L"], check=True, timeout=10)
        poll("Orca's echo of Control", lambda: heard.extend(self.said()) or any(map(echo, heard)), 20)
        k = next(k for k, u in enumerate(heard) if echo(u))
        # What came after the echo belongs to the next keys.
        self.pending = heard[k + 1:]
        return heard[:k]

    def after(self, keys, expected):
        """What Orca says for the keys, each pressed once Orca has taken the one before, as a student hears each:
        until it has said every phrase expected, and then all it says before it echoes a Control pressed after
        that."""
        heard = []
        for k, key in enumerate(keys):
            if k:
                heard += self.until_echo()
            subprocess.run(["xdotool", "key" if len(key) > 1 else "type", key], check=True, timeout=10)
        with contextlib.suppress(Failed):
            poll("Orca to say " + " and ".join(expected), lambda: heard.extend(self.said()) or all(
                any(phrase in u for u in heard) for phrase in expected), 20)
        return heard + self.until_echo()

    def close(self):
        self.process.kill()
        self.process.wait()


def echo(utterance):
    return utterance.strip().lower().endswith("control")


def start(target, work):
    """The program, or the page in Chromium from a server of its own, as a student starts it."""
    if not os.path.isdir(target):
        return [subprocess.Popen([target])]
    import browsers
    server, address = browsers.serve(target)
    return [server, subprocess.Popen(
        ["/usr/bin/chromium", "--no-sandbox", "--test-type", "--force-renderer-accessibility", "--no-first-run",
         "--no-default-browser-check", "--disable-gpu", "--window-size=1000,700",
         "--user-data-dir=" + os.path.join(work, "profile"), address],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)]


def main():
    work = os.environ["PLIMVAR_SESSION"]
    orca = Orca(work)
    started = start(sys.argv[1], work)
    try:
        page = os.path.isdir(sys.argv[1])
        # A student starts once the first control has the focus, which a page gives it after it has loaded.
        first = NAME[TAB_ORDER[0]]
        poll("the focus on " + first, lambda: atspi.read(lambda: any(
            n.name == first and n.getState().contains(atspi.pyatspi.STATE_FOCUSED)
            for app in atspi.applications([p.pid for p in started]) for n in atspi.walk(app))), 60)
        for keys, heard, once in STEPS + (PAGE_STEPS if page else []):
            # The start: the window is said with what has the focus.
            said = orca.after(keys, heard + once + ([] if keys else [TEXTS["window"]["title"]]))
            once = [phrase for phrase in once if phrase not in unread(page)]
            print("%-40s %s" % (" ".join(keys), " | ".join(said)))
            for phrase in heard:
                expect("%s heard after %s" % (phrase, " ".join(keys)), any(phrase in u for u in said), True)
            for phrase in once:
                expect("%s heard once after %s" % (phrase, " ".join(keys)),
                       sum(u.count(phrase) for u in said), 1)
    finally:
        for process in started:
            process.kill()
            process.wait()
        orca.close()
    print("PASS: what a screen reader says")


if __name__ == "__main__":
    exit_with(main)
