"""Uses Plimvar.exe under Wine as a person would: clicks and types with
xdotool, and reads the window, its dialogs and its failure reports with the
probe program, which asks the controls themselves. It runs every scenario
of the behaviour table, then what only Windows has: the window at 144 dots
per inch and in a larger message font, the input box in each.

    e2e_wine.py PLIMVAR_EXE PROBE_EXE   (in a session of its own, with a
                                         display and a Wine prefix: session.sh)
"""
import os
import re
import subprocess
import sys
import time

sys.path[:0] = [os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", where) for where in ("", "drive")]
import behaviour  # noqa: E402
from texts import LISTS, TEXTS, dialog  # noqa: E402
from check import Failed, exit_with, expect, needs, poll  # noqa: E402
needs("PIL")
from PIL import ImageGrab  # noqa: E402

WINE = "/usr/lib/wine/wine64"
TIMEOUT = 60.0

# The message font as a LOGFONTW: 21 pixels high, Tahoma.
LARGE_MESSAGE_FONT = ("ebffffff0000000000000000000000009001000000000001000000005400610068006f006d0061"
                      + "00" * 53)

# Control identifiers: 100 and up, in the order of the window's table.
IDS = {c["name"]: 100 + k for k, c in enumerate(TEXTS["controls"])}
ORIGINAL, SORTED = (IDS[name] for name in LISTS.values())
COUNT = IDS["txtBrojElemenata"]
LABELS = [IDS[c["name"]] for c in TEXTS["controls"] if c["kind"] == "label"]
REPORT = TEXTS["report"]["title"]


def unescape(field):
    """The probe writes line breaks, tabs and backslashes escaped."""
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r", "t": "\t"}.get(m[1], m[1]), field)


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=30)


class Program:
    """Plimvar.exe and a probe that asks its controls: the behaviour table's verbs, a new process for each
    scenario."""

    windows = True

    def __init__(self, exe, probe):
        self.exe, self.probe_exe, self.env, self.process = exe, probe, dict(os.environ), None

    def start(self, locale):
        self.env = dict(os.environ, LC_ALL=locale["posix"], LANG=locale["posix"])
        self.start_again()

    def start_again(self):
        self.close()
        self.process = subprocess.Popen([WINE, self.exe], env=self.env)
        # One probe for the program's life, asked again and again.
        self.prober = subprocess.Popen([WINE, self.probe_exe], env=self.env, stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE)
        poll("the window", lambda: self.probe("window"))
        return self

    def probe(self, what):
        """The probe's facts, or None where it finds no such window; asked again while the program is busy."""
        deadline = time.monotonic() + TIMEOUT
        while True:
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
            if lines[-1] != ["status", "4"] or time.monotonic() > deadline:
                break
            time.sleep(0.1)
        if lines[-1] != ["status", "0"]:
            return None
        return lines[:-1]

    def close(self):
        if not self.process:
            return
        if self.process.poll() is None:
            self.process.kill()
        self.prober.stdin.close()
        try:
            self.prober.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.prober.kill()

    def window(self):
        state = {"controls": {}, "rows": {}, "lists": {}}
        for fields in poll("the window", lambda: self.probe("window")):
            key = fields[0]
            if key == "control":
                c = dict(zip(["id", "kind", "x", "y", "w", "h", "tabstop", "focus", "text", "name", "direction"],
                             fields[1:]))
                state["controls"][int(c["id"])] = c
                state.setdefault("order", []).append(c["id"])
            elif key == "rows":
                state["rows"][int(fields[1])] = fields[2:]
            elif key == "list":
                state["lists"][int(fields[1])] = [int(v) for v in fields[2:]]
            else:
                state[key] = fields[1:]
        return state

    def click_at(self, x, y):
        xdotool("mousemove", str(x), str(y), "click", "1")

    def press(self, control):
        state = self.window()
        c = state["controls"][IDS[control]]
        self.click_at(int(state["client"][2]) + int(c["x"]) + int(c["w"]) // 2,
                   int(state["client"][3]) + int(c["y"]) + int(c["h"]) // 2)

    def dialog(self, title):
        def found():
            lines = self.probe("dialog")
            if lines and ["title", title] in lines:
                return lines
            return None
        return poll("dialog " + title, found)

    def closed(self, title):
        """The dialog has closed, or asks its next question."""
        poll("dialog %s to close" % title, lambda: ["title", title] not in (self.probe("dialog") or []))
        # Once the program answers again, whatever the answer opens is open.
        self.window()

    def paste(self, text):
        """Puts text on the clipboard and pastes it into the focused field."""
        self.probe("clip " + text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n"))
        xdotool("key", "ctrl+v")

    def report(self):
        """Reads the failure report that must now be open, and dismisses it."""
        lines = self.dialog(REPORT)
        expect("the report shows the error icon", ["icon"] in lines, True)
        poll("the report to take the keyboard", lambda: ["active"] in (self.probe("dialog") or []))
        # With no window manager, X leaves its keyboard where a click left it
        # although Windows made the report active; a window manager would
        # follow the active window.
        xdotool("search", "--sync", "--onlyvisible", "--name", "^%s$" % REPORT, "windowfocus", "--sync")
        texts = [f[3] for f in lines if f[0] == "child" and f[1].lower() == "static" and f[3]]
        xdotool("key", "Return")
        self.closed(REPORT)
        return "\n".join(texts)

    def end(self):
        self.press("btnKraj")
        poll("the program to end", lambda: self.process.poll() is not None, timeout=20)
        expect("exit status", self.process.returncode, 0)

    # The behaviour table's verbs.
    click = press

    def type(self, text):
        if text.isascii():
            xdotool("type", "--delay", "30", "--", text)
        else:
            # xdotool types only what the keyboard map has; other text comes as an input method's would.
            self.paste(text)

    def key(self, name):
        xdotool("key", name)

    def answer(self, asked, text, how):
        title = asked["title"]
        lines = self.dialog(title)
        expect("the question", asked["prompt"] in [f[3] for f in lines if f[0] == "child"], True)
        if how == "paste":
            self.paste(text)
        elif text:
            self.type(text)
        if text and "\n" not in text and len(text) < 100:
            shown = poll("the typed answer", lambda: self.probe("dialog") if any(
                f[0] == "child" and f[1].lower() == "edit" and f[3] == text
                for f in self.probe("dialog") or []) else None)
            same_font("the answer field", {int(f[1]): [int(v) for v in f[2:]] for f in shown
                                           if f[0] == "text_width"})
        if how == "Cancel":
            x, y, w, h = next(map(int, f[4:8]) for f in lines if f[0] == "child" and f[2] == "2")
            self.click_at(x + w // 2, y + h // 2)
        else:
            xdotool("key", "Return" if how == "paste" else how)
        self.closed(title)

    def dialog_open(self):
        return self.probe("dialog") is not None

    def window_open(self):
        return self.process.poll() is None and self.probe("window") is not None

    def rows(self, control):
        return self.window()["rows"][IDS[control]]

    def selected(self, control):
        state = self.window()
        row = state["lists"][IDS[control]][1]
        return state["rows"][IDS[control]][row] if row >= 0 else None

    def count(self):
        return self.window()["controls"][COUNT]["text"]

    def focus(self):
        focused = [name for name, i in IDS.items() if self.window()["controls"][i]["focus"] == "focus"]
        return focused[0] if focused else None

    def left_to_right(self):
        controls = self.window()["controls"]
        return all(controls[i]["direction"] == "ltr" for i in (ORIGINAL, SORTED, COUNT))

    def rows_apart(self):
        state = self.window()
        return all(height >= int(state["line_height"][0]) for height, _ in state["lists"].values())


def same_font(what, widths):
    """A text as wide in the control as in the message font: the control has that font."""
    for control_id, (drawn, in_font) in widths.items():
        expect("%s %d in the message font" % (what, control_id), abs(drawn - in_font) <= 1, True)


def check_layout(program, dpi):
    """The window as the core's table places it at the given dots per inch, in the message font at that DPI."""
    state = program.window()
    table = program.probe("table %d" % dpi)
    places = {int(f[1]): f[2:] for f in table if f[0] == "place"}
    expect("caption", state["caption"], next(f[1:] for f in table if f[0] == "caption"))
    expect("dpi", state["dpi"], [str(dpi)])
    expect("client size at %d dpi" % dpi, state["client"][:2], next(f[1:] for f in table if f[0] == "client"))
    for control_id, (name, caption, read_name, *place) in places.items():
        c = state["controls"][control_id]
        # A list box shows no text of its own and carries its name as its text, for readers that ask only that.
        text = read_name if c["kind"].lower() == "listbox" else caption
        expect("%s at %d dpi: place, caption, name" % (name, dpi), [c[k] for k in ("x", "y", "w", "h", "text", "name")],
               place + [text, read_name or caption])
    expect("tab order", state["tab"], [str(i) for i in places if i not in LABELS])
    # The dialog manager's default, if any, is no control of the window.
    expect("no default button", state["default_button"][0] in [str(i) for i in state["controls"]], False)
    expect("the count box follows its label", int(state["order"][state["order"].index(str(COUNT)) - 1]) in LABELS,
           True)
    expect("list rows a line of the message font at %d dpi" % dpi,
           [height for height, _ in state["lists"].values()], [int(state["line_height"][0])] * 2)


def check_captions_fit(program):
    """Every caption whole in the user's message font, clear of its button's
    sides, and no control over another: a label shows only its text, which
    the count box may not cover."""
    state = program.window()
    measured = {int(f[1]): (int(f[2]), int(f[3])) for f in program.probe("captions")}
    # A button keeps its caption clear of its raised edge and focus rectangle: 60 twips a side.
    margin = (60 * int(state["dpi"][0]) + 720) // 1440
    shown = {}
    for control_id, c in state["controls"].items():
        x, y, w, h = (int(c[k]) for k in ("x", "y", "w", "h"))
        width, height = measured[control_id]
        # An edit box's frame takes two pixels a side.
        edge = {"Static": 0, "Button": margin}.get(c["kind"], 2)
        if c["kind"] != "ListBox":
            expect("%s holds its text" % (c["text"] or control_id),
                   (width <= w - 2 * edge, height <= h - 2 * min(edge, 2)), (True, True))
        shown[control_id] = (x, y, width if c["kind"] == "Static" else w, h)
    client = [int(v) for v in state["client"][:2]]
    for a, (x, y, w, h) in shown.items():
        expect("control %d inside the window" % a, x + w <= client[0] and y + h <= client[1], True)
        for b, (x2, y2, w2, h2) in shown.items():
            if a < b:
                expect("controls %d and %d apart" % (a, b),
                       x < x2 + w2 and x2 < x + w and y < y2 + h2 and y2 < y + h, False)


def dark_pixels(program, control_id):
    """How many pixels inside a control's edge the screen shows dark, as its rows' text draws them."""
    state = program.window()
    c = state["controls"][control_id]
    inset = 4  # the list box's sunken edge
    left = int(state["client"][2]) + int(c["x"]) + inset
    top = int(state["client"][3]) + int(c["y"]) + inset
    shot = ImageGrab.grab(bbox=(left, top, left + int(c["w"]) - 2 * inset, top + int(c["h"]) - 2 * inset),
                          xdisplay=os.environ["DISPLAY"])
    return sum(1 for pixel in shot.convert("RGB").getdata() if sum(pixel) < 3 * 96)


def dialog_width(lines):
    return next(int(f[3]) for f in lines if f[0] == "rect")


def registry(key, name, value_type, value):
    subprocess.run([WINE, "reg", "add", key, "/v", name, "/t", value_type, "/d", value, "/f"],
                   check=True, capture_output=True, timeout=60)
    subprocess.run(["/usr/lib/wine/wineserver", "-w"], timeout=60)


# The screens the window and the input box are checked on: dots per inch, and the message font (None: Wine's own).
SCREENS = [(96, None), (144, None), (96, LARGE_MESSAGE_FONT)]


def main():
    exe, probe = sys.argv[1], sys.argv[2]
    # There is no window manager on the test's display, and Wine waits up to
    # two seconds for one whenever a managed window is hidden: after every
    # dialog. Windows Wine does not hand to a window manager need no wait.
    registry(r"HKCU\Software\Wine\X11 Driver", "Managed", "REG_SZ", "N")
    table = Program(exe, probe)
    try:
        status = behaviour.run(table, "the behaviour table under Wine")
    finally:
        table.close()

    widths = []
    for dpi, font in SCREENS:
        print("== %d dpi, %s message font" % (dpi, "a larger" if font else "the usual"))
        registry(r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", str(dpi))
        if font:
            registry(r"HKCU\Control Panel\Desktop\WindowMetrics", "MessageFont", "REG_BINARY", font)
        program = Program(exe, probe).start_again()
        try:
            # A larger font grows the window past the table's places.
            if not font:
                check_layout(program, dpi)
            check_captions_fit(program)
            # The input box in the message font at this screen's DPI: answer() measures the typed answer.
            program.press("btnUnesiNiz")
            widths.append(dialog_width(program.dialog(dialog("count")["title"])))
            program.answer(dialog("count"), "12", "Escape")
            expect("report", program.report(), TEXTS["report"]["failures"]["type mismatch"])
            if (dpi, font) == SCREENS[0]:
                program.press("btnUnesiNiz")
                for key, answer in (("count", "2"), ("element 1", "40"), ("element 2", "1")):
                    program.answer(dialog(key), answer, "Return")
                program.press("btnSortirajNiz")
                poll("the sorted rows", lambda: program.window()["rows"][SORTED] == ["1", "40"])
                for control_id in (ORIGINAL, SORTED):
                    poll("list %d's rows drawn on the screen" % control_id, lambda: dark_pixels(program, control_id))
            program.end()
        finally:
            program.close()
    expect("the input box grows with the font", widths[2] > 1.5 * widths[0], True)
    if status:
        raise Failed("the behaviour table")
    print("PASS: end-to-end under Wine")


if __name__ == "__main__":
    exit_with(main)
