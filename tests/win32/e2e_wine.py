"""Uses Plimvar.exe under Wine as a person would: clicks and types with
xdotool, and reads the window, its dialogs and its failure reports with the
probe program, which asks the controls themselves.

    e2e_wine.py PLIMVAR_EXE PROBE_EXE   (run by run_e2e_wine.sh, on its own
                                         display and in its own prefix)
"""
import os
import re
import subprocess
import sys
import time

WINE = "/usr/lib/wine/wine64"
TIMEOUT = 30.0

# The message font as a LOGFONTW: 21 pixels high, Tahoma.
LARGE_MESSAGE_FONT = ("ebffffff0000000000000000000000009001000000000001000000005400610068006f006d0061"
                      + "00" * 53)

# Control identifiers: 100 and up, in the order of the window's table.
ORIGINAL, SORTED, ENTER, COUNT, LABEL, SORT, INSERT, END = range(100, 108)


class Failed(Exception):
    pass


def poll(what, probe, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.1)
    raise Failed("timed out waiting for " + what)


def unescape(field):
    """The probe writes line breaks, tabs and backslashes escaped."""
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r", "t": "\t"}.get(m[1], m[1]), field)


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=30)


def expect(what, actual, expected):
    if actual != expected:
        raise Failed("%s: expected %r, got %r" % (what, expected, actual))
    print("ok   %s: %r" % (what, actual))


class Program:
    def __init__(self, exe, probe, env=None):
        self.env = dict(os.environ, **(env or {}))
        self.process = subprocess.Popen([WINE, exe], env=self.env)
        # One probe for the program's life, asked again and again.
        self.prober = subprocess.Popen([WINE, probe], env=self.env, stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE)
        poll("the window", lambda: self.probe("window"))

    def probe(self, what):
        self.prober.stdin.write((what + "\n").encode())
        self.prober.stdin.flush()
        lines = []
        while True:
            line = self.prober.stdout.readline().decode("utf-8")
            if not line:
                raise Failed("the probe ended")
            line = line.rstrip("\r\n")
            if line == ".":
                break
            lines.append([unescape(field) for field in line.split("\t")])
        if lines[-1] != ["status", "0"]:
            return None
        return lines[:-1]

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
        self.prober.stdin.close()
        try:
            self.prober.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.prober.kill()

    def window(self):
        state = {"controls": {}, "rows": {}}
        for fields in poll("the window", lambda: self.probe("window")):
            key = fields[0]
            if key == "control":
                c = dict(zip(["id", "kind", "x", "y", "w", "h", "tabstop", "focus", "text", "name"], fields[1:]))
                state["controls"][int(c["id"])] = c
                state.setdefault("order", []).append(c["id"])
            elif key == "rows":
                state["rows"][int(fields[1])] = fields[2:]
            else:
                state[key] = fields[1:]
        return state

    def rows(self, list_id):
        return self.window()["rows"][list_id]

    def count(self):
        return self.window()["controls"][COUNT]["text"]

    def focus(self):
        return [i for i, c in self.window()["controls"].items() if c["focus"] == "focus"]

    def press(self, control_id):
        state = self.window()
        c = state["controls"][control_id]
        x = int(state["client"][2]) + int(c["x"]) + int(c["w"]) // 2
        y = int(state["client"][3]) + int(c["y"]) + int(c["h"]) // 2
        xdotool("mousemove", str(x), str(y), "click", "1")

    def dialog(self, title):
        def found():
            lines = self.probe("dialog")
            if lines and ["title", title] in lines:
                return lines
            return None
        return poll("dialog " + title, found)

    def answer(self, title, text, prompt=None, key="Return"):
        lines = self.dialog(title)
        if prompt is not None:
            expect("prompt of " + title, prompt in [f[3] for f in lines if f[0] == "child"], True)
        if text:
            xdotool("type", "--delay", "30", "--", text)
        xdotool("key", key)
        poll("dialog %s to close" % title, lambda: self.probe("dialog") is None)

    def paste(self, text):
        """Puts text on the clipboard and pastes it into the focused field."""
        self.probe("clip " + text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n"))
        xdotool("key", "ctrl+v")

    def report(self):
        """Reads the failure report that must now be open, and dismisses it."""
        lines = self.dialog("Plimvar")
        expect("the report shows the error icon", ["icon"] in lines, True)
        texts = [f[3] for f in lines if f[0] == "child" and f[1].lower() == "static" and f[3]]
        xdotool("key", "Return")
        poll("the report to close", lambda: self.probe("dialog") is None)
        return texts

    def end(self):
        self.press(END)
        poll("the program to end", lambda: self.process.poll() is not None, timeout=20)
        expect("exit status", self.process.returncode, 0)


def enter(program, *answers):
    program.press(ENTER)
    program.answer("Broj elemenata niza", answers[0], prompt="Uneti broj elemenata niza:")
    for i, element in enumerate(answers[1:], start=1):
        program.answer("%d element" % i, element, prompt="Uneti element niza:")


def check_layout(program, dpi):
    """The window as its table says, in pixels at the given dots per inch."""
    state = program.window()
    px = lambda twips: (twips * dpi + 720) // 1440
    expect("caption", state["caption"], ["Plimvar u sortiran niz"])
    expect("dpi", state["dpi"], [str(dpi)])
    expect("client size at %d dpi" % dpi, state["client"][:2], [str(px(5085)), str(px(3330))])
    table = {ORIGINAL: (240, 360, 1335, 2400), SORTED: (2040, 360, 1335, 2400),
             ENTER: (3600, 360, 1335, 375), COUNT: (600, 2880, 975, 315),
             LABEL: (240, 2910, 375, 255), SORT: (3600, 840, 1335, 375),
             INSERT: (3600, 1320, 1335, 375), END: (3600, 1800, 1335, 375)}
    for control_id, twips in table.items():
        c = state["controls"][control_id]
        expect("place of %s at %d dpi" % (c["text"] or control_id, dpi),
               [int(c[k]) for k in ("x", "y", "w", "h")], [px(t) for t in twips])
    expect("tab order", state["tab"], [str(i) for i in (ORIGINAL, SORTED, ENTER, COUNT, SORT,
                                                         INSERT, END)])
    # The dialog manager's default, if any, is no control of the window.
    expect("no default button", state["default_button"][0] in [str(i) for i in state["controls"]], False)
    captions = [state["controls"][i]["text"] for i in (ENTER, SORT, INSERT, END, LABEL)]
    expect("captions", captions, ["Unesi niz", "Sortiraj niz", "Umetni broj", "Kraj", "n ="])
    names = {i: state["controls"][i]["name"] for i in (ORIGINAL, SORTED, COUNT, ENTER, SORT)}
    expect("names for screen readers", names,
           {ORIGINAL: "Uneti niz", SORTED: "Sortiran niz", COUNT: "n =", ENTER: "Unesi niz",
            SORT: "Sortiraj niz"})
    expect("the count box follows its label", state["order"][state["order"].index(str(COUNT)) - 1],
           str(LABEL))


def check_captions_fit(program):
    """Every caption whole in the user's message font, and no control over
    another: a label shows only its text, which the count box may not cover."""
    state = program.window()
    measured = {int(f[1]): (int(f[2]), int(f[3])) for f in program.probe("captions")}
    shown = {}
    for control_id, c in state["controls"].items():
        x, y, w, h = (int(c[k]) for k in ("x", "y", "w", "h"))
        width, height = measured[control_id]
        # A button's edges and an edit box's frame take two pixels a side.
        edge = 0 if c["kind"] == "Static" else 2
        if c["kind"] != "ListBox":
            expect("%s holds its text" % (c["text"] or control_id),
                   (width <= w - 2 * edge, height <= h - 2 * edge), (True, True))
        shown[control_id] = (x, y, width if c["kind"] == "Static" else w, h)
    client = [int(v) for v in state["client"][:2]]
    for a, (x, y, w, h) in shown.items():
        expect("control %d inside the window" % a, x + w <= client[0] and y + h <= client[1], True)
        for b, (x2, y2, w2, h2) in shown.items():
            if a < b:
                expect("controls %d and %d apart" % (a, b),
                       x < x2 + w2 and x2 < x + w and y < y2 + h2 and y2 < y + h, False)


# Pasted text, into the input box or the count box: what the user is told,
# and what the sorted list then holds. The entered list is 4, 1, 3.
PASTES = [
    ("answer", "\r\n42", None, ["1", "3", "4", "42"]),
    ("answer", "4\r\n2", ["Type mismatch"], ["1", "3", "4"]),
    ("answer", "0" * 100000 + "7", None, ["1", "3", "4", "7"]),
    ("count", "\r\n2", None, ["1", "4"]),
    ("count", "0" * 100000 + "3", None, ["1", "3", "4"]),
]


def check_pastes(program):
    enter(program, "3", "4", "1", "3")
    for where, text, report, sorted_rows in PASTES:
        what = "%s %r" % (where, text if len(text) < 20 else text[:3] + "..." + text[-3:])
        if where == "answer":
            program.press(SORT)
            poll("the sorted list", lambda: program.rows(SORTED) == ["1", "3", "4"])
            program.press(INSERT)
            program.dialog("Umetni broj")
            program.paste(text)
            program.answer("Umetni broj", "")
        else:
            program.press(COUNT)
            xdotool("key", "ctrl+a", "BackSpace")
            program.paste(text)
            poll("the pasted count", lambda: program.count() == text)
            program.press(SORT)
        expect("report of pasted " + what, program.report() if report else None, report)
        expect("sorted list after pasted " + what, program.rows(SORTED), sorted_rows)


def main():
    exe, probe = sys.argv[1], sys.argv[2]

    program = Program(exe, probe)
    try:
        check_layout(program, 96)
        check_captions_fit(program)
        expect("starts empty", (program.rows(ORIGINAL), program.rows(SORTED), program.count()),
               ([], [], ""))
        program.press(ENTER)
        default_input_box_width = int(program.dialog("Broj elemenata niza")[1][3])
        program.answer("Broj elemenata niza", "0")

        # The typical use: enter 4, 1, 3; sort; insert 2.
        enter(program, "3", "4", "1", "3")
        expect("count box", program.count(), "3")
        expect("entered list", program.rows(ORIGINAL), ["4", "1", "3"])
        program.press(SORT)
        poll("the sorted list", lambda: program.rows(SORTED) == ["1", "3", "4"])
        program.press(INSERT)
        program.answer("Umetni broj", "2", prompt="Unesi broj koji zelis da umetnes:")
        expect("sorted list after inserting", program.rows(SORTED), ["1", "2", "3", "4"])

        # Every failure kind is reported; the window keeps what it holds.
        program.press(INSERT)
        program.answer("Umetni broj", "abc")
        expect("report of a text", program.report(), ["Type mismatch"])
        expect("sorted list after the report", program.rows(SORTED), ["1", "2", "3", "4"])
        program.press(ENTER)
        program.answer("Broj elemenata niza", "5", key="Escape")
        expect("report of a dialog cancelled after typing", program.report(), ["Type mismatch"])
        program.press(ENTER)
        program.answer("Broj elemenata niza", "-40000")
        expect("report of a large count", program.report(), ["Overflow"])
        expect("count box after the overflow", program.count(), "3")
        expect("entered list after the overflow", program.rows(ORIGINAL), ["4", "1", "3"])

        # Inserting takes every row of the sorted list, not just n of them.
        program.press(INSERT)
        program.answer("Umetni broj", "5")
        expect("a second insertion keeps every row", program.rows(SORTED),
               ["1", "2", "3", "4", "5"])

        # A new entry replaces the entered array once its count is read.
        enter(program, "2", "7")
        program.answer("2 element", "8", key="Escape")
        expect("report of a cancelled element", program.report(), ["Type mismatch"])
        expect("entered list after the cancelled element", program.rows(ORIGINAL), ["7"])

        enter(program, "0")
        program.press(SORT)
        expect("report of sorting nothing", program.report(), ["Subscript out of range"])
        expect("sorted list after it", program.rows(SORTED), ["1", "2", "3", "4", "5"])

        # The keyboard alone: Tab to a button, Space or Return presses it.
        program.press(ENTER)
        program.answer("Broj elemenata niza", "2")
        program.answer("1 element", "9")
        program.answer("2 element", "8")
        expect("focus after the entry", program.focus(), [ENTER])
        xdotool("key", "Tab", "Tab")
        poll("focus on the sort button", lambda: program.focus() == [SORT])
        xdotool("key", "Return")
        poll("the list sorted by Return", lambda: program.rows(SORTED) == ["8", "9"])
        xdotool("key", "Tab")
        poll("focus on the insert button", lambda: program.focus() == [INSERT])
        xdotool("key", "space")
        program.answer("Umetni broj", "10")
        expect("inserted by Space", program.rows(SORTED), ["8", "9", "10"])
        xdotool("key", "Escape")
        expect("Escape closes nothing", program.window()["caption"], ["Plimvar u sortiran niz"])

        program.end()
    finally:
        program.close()

    # A user whose locale writes a decimal comma.
    program = Program(exe, probe, {"LC_ALL": "de_DE.UTF-8", "LANG": "de_DE.UTF-8"})
    try:
        enter(program, "2", "3,5", "2.5")
        expect("report of a point in a comma locale", program.report(), ["Type mismatch"])
        expect("3,5 read in a comma locale", program.rows(ORIGINAL), ["4"])
        program.end()
    finally:
        program.close()

    # The same window on a screen of 144 dots per inch.
    subprocess.run([WINE, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t",
                    "REG_DWORD", "/d", "144", "/f"], check=True, capture_output=True, timeout=60)
    subprocess.run(["/usr/lib/wine/wineserver", "-w"], timeout=60)
    program = Program(exe, probe)
    try:
        check_layout(program, 144)
        program.end()
    finally:
        program.close()

    # A larger message font, as a larger text size gives, back at 96 dots
    # per inch: the window grows just enough and the input box follows.
    for key, value_type, value in ((r"HKCU\Control Panel\Desktop", "REG_DWORD", "96"),
                                   (r"HKCU\Control Panel\Desktop\WindowMetrics", "REG_BINARY",
                                    LARGE_MESSAGE_FONT)):
        name = "LogPixels" if value_type == "REG_DWORD" else "MessageFont"
        subprocess.run([WINE, "reg", "add", key, "/v", name, "/t", value_type, "/d", value, "/f"],
                       check=True, capture_output=True, timeout=60)
    subprocess.run(["/usr/lib/wine/wineserver", "-w"], timeout=60)
    program = Program(exe, probe)
    try:
        check_captions_fit(program)
        program.press(ENTER)
        width = int(program.dialog("Broj elemenata niza")[1][3])
        expect("the input box grows with the font", width > 1.5 * default_input_box_width, True)
        program.answer("Broj elemenata niza", "0")
        check_pastes(program)
        program.end()
    finally:
        program.close()
    print("PASS: end-to-end under Wine")


if __name__ == "__main__":
    try:
        main()
    except Failed as failure:
        print("FAIL:", failure)
        sys.exit(1)
