"""What Orca says as a keyboard user goes through the built program, or the
page in Chromium: a key at a time, what Orca's speech log holds for it, held
to what a student must hear: the first control at the start, each control
named as it takes the focus (an empty list too, a full one with its count),
each dialog's title and prompt as it opens, the control back in the window
after a dialog, each row once, a report's text once, and on the page, after
Kraj, the way to a new start.

    screen_reader.py PROGRAM|SITE_DIR WORK_DIR      (run by run_screen_reader.sh)
"""
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web"))
import behaviour  # noqa: E402
import browsers  # noqa: E402
from behaviour import expect, poll  # noqa: E402

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

# Keys (none: the start), then what must be heard, then what must be heard exactly once.
STEPS = [
    ([], ["Uneti niz"], []),
    (["Tab"], ["Sortiran niz"], []),
    (["Tab"], ["Unesi niz"], []),
    (["space"], ["Broj elemenata niza", "Uneti broj elemenata niza:"], []),
    (["3", "Return"], ["1 element", "Uneti element niza:"], []),
    (["4", "Return"], ["2 element", "Uneti element niza:"], []),
    (["1", "Return"], ["3 element", "Uneti element niza:"], []),
    (["3", "Return"], ["Unesi niz"], []),
    (["Tab"], ["n ="], []),
    (["Tab"], ["Sortiraj niz"], []),
    (["space"], [], []),
    (["shift+Tab", "shift+Tab", "shift+Tab"], ["Sortiran niz", "3 items"], []),
    (["Down"], [], ["1"]),
    (["Down"], [], ["3"]),
    (["Down"], [], ["4"]),
    (["Tab", "Tab", "Tab", "Tab"], ["Umetni broj"], []),
    (["space"], ["Umetni broj", "Unesi broj koji zelis da umetnes:"], []),
    (["x", "Return"], ["Plimvar", "OK"], ["Type mismatch"]),
    (["Return"], ["Umetni broj"], []),
    (["Tab"], ["Kraj"], []),
]
# The page stays, with the way to a new start; the program ends.
PAGE_STEPS = [(["space"], ["Pokreni Plimvar"], [])]


def unread(page):
    """What this Orca does not read: of Qt's message box, Orca 46 and later (Debian 13) read only its title and
    button."""
    from orca import orca_platform
    return [] if page or int(orca_platform.version.split(".")[0]) < 46 else ["Type mismatch"]


class Orca:
    def __init__(self, work):
        self.log = os.path.join(work, "orca.log")
        self.process = subprocess.Popen(["/usr/bin/python3", "-c", ORCA, self.log, os.path.join(work, "prefs")],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.read = 0
        poll("Orca to start", lambda: os.path.exists(self.log) and "Screen reader on" in " ".join(self.said()), 60)
        time.sleep(1)

    def said(self):
        """What Orca has said since last asked."""
        with open(self.log, encoding="utf-8", errors="replace") as f:
            f.seek(self.read)
            text = f.read()
        complete = text[:text.rfind("\n") + 1]
        self.read += len(complete.encode("utf-8"))
        return re.findall(r"SPEECH OUTPUT: '(.*?)'", complete)

    def after(self, keys):
        """What Orca says for the keys, pressed one at a time, each until it falls silent."""
        heard = []
        for key in keys:
            self.said()
            subprocess.run(["xdotool", "key" if len(key) > 1 else "type", key], check=True, timeout=10)
            heard += self.until_silent()
        return heard

    def until_silent(self):
        heard, deadline, quiet = [], time.monotonic() + 8, time.monotonic() + 1.2
        while time.monotonic() < min(deadline, quiet):
            new = self.said()
            if new:
                heard += new
                quiet = time.monotonic() + 0.8
            time.sleep(0.05)
        return heard

    def close(self):
        self.process.kill()
        self.process.wait()


def start(target, work):
    """The program, or the page in Chromium from a server of its own, as a student starts it."""
    if not os.path.isdir(target):
        return [subprocess.Popen([target])]
    server, address = browsers.serve(target)
    return [server, subprocess.Popen(
        ["/usr/bin/chromium", "--no-sandbox", "--test-type", "--force-renderer-accessibility", "--no-first-run",
         "--no-default-browser-check", "--disable-gpu", "--window-size=1000,700",
         "--user-data-dir=" + os.path.join(work, "profile"), address],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)]


def main():
    orca = Orca(sys.argv[2])
    started = start(sys.argv[1], sys.argv[2])
    try:
        started_said = []
        poll("the window said", lambda: started_said.extend(orca.said()) or any(
            "Plimvar u sortiran niz" in u for u in started_said), 30)
        started_said += orca.until_silent()
        page = os.path.isdir(sys.argv[1])
        for keys, heard, once in STEPS + (PAGE_STEPS if page else []):
            said = orca.after(keys) if keys else started_said
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
    behaviour.exit_with(main)
