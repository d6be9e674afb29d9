"""Uses the page in a real headless Chromium as a person would: clicks and
keys through WebDriver, and reads it as a screen reader does, from the
browser's accessibility tree. Each scenario of the table starts a browser of
its own; every one checks that the console shows no error.

    e2e_web.py SITE_DIR      (run by run_e2e_web.sh)
"""
import re
import shutil
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.chrome.service import Service

TIMEOUT = 20.0
CONTROLS = {"lstOriginalni": (240, 360, 1335, 2400), "lstSortiran": (2040, 360, 1335, 2400),
            "btnUnesiNiz": (3600, 360, 1335, 375), "txtBrojElemenata": (600, 2880, 975, 315),
            "Label1": (240, 2910, 375, 255), "btnSortirajNiz": (3600, 840, 1335, 375),
            "btnUmetniBroj": (3600, 1320, 1335, 375), "btnKraj": (3600, 1800, 1335, 375)}
COUNT_TITLE = "Broj elemenata niza"
MISMATCH, OVERFLOW, SUBSCRIPT = "Type mismatch", "Overflow", "Subscript out of range"


class Failed(Exception):
    pass


def expect(what, actual, expected):
    if actual != expected:
        raise Failed("%s: expected %r, got %r" % (what, expected, actual))
    print("ok   %s" % what)


def poll(what, probe, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.05)
    raise Failed("timed out waiting for " + what)


class Page:
    def __init__(self, address, profile, lang="en-US", scale=1, font_size=16):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=900,700",
                         "--user-data-dir=" + profile, "--lang=" + lang,
                         "--force-device-scale-factor=%g" % scale):
            options.add_argument(argument)
        options.add_experimental_option("prefs", {"intl.accept_languages": lang,
                                                  "webkit.webprefs.default_font_size": font_size})
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.driver.set_script_timeout(TIMEOUT)
        self.driver.get(address)
        poll("the window", lambda: self.js("return document.documentElement.dataset.ready"))

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def press(self, control):
        self.driver.find_element(By.ID, control).click()

    def keys(self, *keys):
        self.driver.switch_to.active_element.send_keys(*keys)

    def focused(self):
        return self.js("return document.activeElement.id")

    def dialog(self, title):
        poll("dialog " + title, lambda: self.js(
            "const d = document.getElementById('inputBox');"
            "return d.open && d.querySelector('.titlebar').textContent === arguments[0]", title))
        expect("the answer field has the focus and starts empty",
               (self.focused(), self.js("return document.activeElement.value")),
               ("inputBoxAnswer", ""))

    def answer(self, title, text, key=Keys.ENTER):
        self.dialog(title)
        if text:
            self.keys(text)
        self.keys(key)
        self.closed(title)

    def closed(self, title):
        """The dialog has closed, or asks its next question."""
        poll("dialog %s to close" % title, lambda: self.js(
            "const d = document.getElementById('inputBox');"
            "return !d.open || d.querySelector('.titlebar').textContent !== arguments[0]", title))

    def paste(self, title, text):
        """Puts text into the field as a paste does: line breaks and all."""
        self.dialog(title)
        self.driver.execute_cdp_cmd("Input.insertText", {"text": text})
        self.keys(Keys.ENTER)
        self.closed(title)

    def report(self):
        poll("the failure report", lambda: self.js("return document.getElementById('report').open"))
        expect("the report is titled", self.tree_names("alertdialog"), ["Plimvar"])
        text = self.tree_names("alertdialog", "description")
        self.keys(Keys.ENTER)
        poll("the report to close", lambda: not self.js("return document.getElementById('report').open"))
        return text

    def tree(self):
        """The accessibility tree as a screen reader gets it."""
        nodes = self.driver.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]
        return {n["nodeId"]: n for n in nodes if not n.get("ignored")}, nodes

    def tree_names(self, role, what="name"):
        found, nodes = self.tree()
        value = lambda n, key: n.get(key, {}).get("value", "")
        return [value(n, what) for n in found.values() if value(n, "role") == role]

    def rows(self, name):
        """The rows of the list the reader announces by that name."""
        def read():
            found, _ = self.tree()
            value = lambda n, key: n.get(key, {}).get("value", "")
            lists = [n for n in found.values() if value(n, "role") == "listbox" and value(n, "name") == name]
            if not lists:
                return None
            rows, todo = [], list(lists[0].get("childIds", []))
            while todo:
                node = found.get(todo.pop(0))
                if node and value(node, "role") == "option":
                    rows.append(value(node, "name"))
                elif node:
                    todo = node.get("childIds", []) + todo
            return [rows]
        return poll("the list " + name, read)[0]

    def count(self):
        return self.js("return document.getElementById('txtBrojElemenata').value")

    def errors(self):
        return [e["message"] for e in self.driver.get_log("browser") if e["level"] == "SEVERE"]

    def close(self):
        self.driver.quit()


def enter(page, *answers):
    page.press("btnUnesiNiz")
    page.answer(COUNT_TITLE, answers[0])
    for i, element in enumerate(answers[1:], start=1):
        page.answer("%d element" % i, element)


def check_layout(page, screenshot=None):
    """The table in CSS pixels (15 twips each), every caption whole."""
    expect("title", page.driver.title, "Plimvar u sortiran niz")
    client = page.js("const r = document.getElementById('client').getBoundingClientRect();"
                     "return [r.left, r.top, r.width, r.height]")
    expect("client area", client[2:], [339, 222])
    for name, twips in CONTROLS.items():
        rect = page.js("const r = document.getElementById(arguments[0]).getBoundingClientRect();"
                       "return [r.left, r.top, r.width, r.height]", name)
        expect("place of " + name, [round(rect[0] - client[0]), round(rect[1] - client[1])] + rect[2:],
               [t // 15 for t in twips])
    check_captions_fit(page)
    if screenshot:
        page.driver.save_screenshot(screenshot)


def check_captions_fit(page):
    clipped = page.js("return [...document.querySelectorAll('#client button, #client label')]"
                      ".filter(e => e.scrollWidth > e.clientWidth || e.scrollHeight > e.clientHeight)"
                      ".map(e => e.id)")
    expect("no caption clipped", clipped, [])


def typical_use(page):
    check_layout(page)
    expect("names a reader hears", sorted(page.tree_names("button")),
           ["Kraj", "Sortiraj niz", "Umetni broj", "Unesi niz"])
    expect("the count box's name", page.tree_names("textbox"), ["n ="])
    expect("starts empty", (page.rows("Uneti niz"), page.rows("Sortiran niz"), page.count()), ([], [], ""))
    enter(page, "3", "4", "1", "3")
    expect("count box", page.count(), "3")
    expect("entered list", page.rows("Uneti niz"), ["4", "1", "3"])
    page.press("btnSortirajNiz")
    expect("sorted list", page.rows("Sortiran niz"), ["1", "3", "4"])
    page.press("btnUmetniBroj")
    page.answer("Umetni broj", "2")
    expect("after inserting 2", page.rows("Sortiran niz"), ["1", "2", "3", "4"])


def failures(page):
    enter(page, "2", "9", "8")
    page.press("btnSortirajNiz")
    held = (["9", "8"], ["8", "9"], "2")
    state = lambda: (page.rows("Uneti niz"), page.rows("Sortiran niz"), page.count())
    for what, button, answers, report in [
            ("a text", "btnUmetniBroj", [("Umetni broj", "abc", Keys.ENTER)], MISMATCH),
            ("a dialog cancelled after typing", "btnUnesiNiz", [(COUNT_TITLE, "5", Keys.ESCAPE)], MISMATCH),
            ("a count too large", "btnUnesiNiz", [(COUNT_TITLE, "-40000", Keys.ENTER)], OVERFLOW),
            ("the Cancel button", "btnUmetniBroj", [("Umetni broj", "7", None)], MISMATCH)]:
        page.press(button)
        for title, text, key in answers:
            if key:
                page.answer(title, text, key)
            else:
                page.dialog(title)
                page.keys(text)
                page.press("inputBoxCancel")
        expect("report of " + what, page.report(), [report])
        expect("focus back on the button after " + what, page.focused(), button)
        expect("the window after " + what, state(), held)
    page.js("document.getElementById('txtBrojElemenata').value = ''")
    page.press("btnSortirajNiz")
    expect("report of sorting nothing", page.report(), [SUBSCRIPT])
    expect("sorted list after it", page.rows("Sortiran niz"), ["8", "9"])


def mends(page):
    enter(page, "2", "7", "8")
    page.press("btnUnesiNiz")
    page.answer(COUNT_TITLE, "1")
    page.answer("1 element", "", Keys.ESCAPE)
    page.report()
    expect("a new entry replaces the old array", page.rows("Uneti niz"), [])
    enter(page, "3", "5", "1", "9")
    page.press("btnSortirajNiz")
    for number in ("4", "2"):
        page.press("btnUmetniBroj")
        page.answer("Umetni broj", number)
    expect("a second insertion keeps every row", page.rows("Sortiran niz"), ["1", "2", "4", "5", "9"])
    page.js("document.getElementById('txtBrojElemenata').value = '7'")
    page.press("btnSortirajNiz")
    expect("report of a missing row", page.report(), [MISMATCH])
    expect("a failed sort keeps the sorted list", page.rows("Sortiran niz"), ["1", "2", "4", "5", "9"])


def keyboard_alone(page):
    page.driver.find_element(By.ID, "lstOriginalni").click()
    page.keys(Keys.TAB, Keys.TAB)
    expect("Tab reaches the entry button", page.focused(), "btnUnesiNiz")
    page.keys(Keys.SPACE)
    page.answer(COUNT_TITLE, "2")
    page.answer("1 element", "5")
    page.answer("2 element", "3")
    expect("Return answers without pressing the button again", page.focused(), "btnUnesiNiz")
    page.keys(Keys.TAB, Keys.TAB)
    expect("tab order: count box, then sort", page.focused(), "btnSortirajNiz")
    page.keys(Keys.ENTER)
    expect("sorted by Return", page.rows("Sortiran niz"), ["3", "5"])
    page.keys(Keys.TAB)
    page.keys(Keys.ENTER)
    page.answer("Umetni broj", "", Keys.ESCAPE)
    expect("Escape cancels the question", page.report(), [MISMATCH])
    page.keys(Keys.ESCAPE)
    expect("Escape on the window closes nothing", page.js("return document.getElementById('frmPlimvar').hidden"), False)
    page.driver.find_element(By.ID, "lstSortiran").click()
    page.keys(Keys.HOME, Keys.ARROW_DOWN)
    expect("arrows move the selection", page.js(
        "return document.querySelector('#lstSortiran [aria-selected=true]').textContent"), "5")


def pastes(page):
    enter(page, "1", "6")
    page.press("btnSortirajNiz")
    for text, report, rows in [("\n42\n", None, ["6", "42"]), ("4\n2", [MISMATCH], ["6"]),
                               ("0" * 40000 + "7", None, ["6", "7"])]:
        page.press("btnSortirajNiz")
        page.press("btnUmetniBroj")
        page.paste("Umetni broj", text)
        if report:
            expect("report of pasted %r" % text[-4:], page.report(), report)
        expect("sorted list after pasted %r" % text[-4:], page.rows("Sortiran niz"), rows)


def german(page):
    enter(page, "2", "3,5", "2.5")
    expect("a point in a comma locale", page.report(), [MISMATCH])
    expect("3,5 read as 4", page.rows("Uneti niz"), ["4"])


def egyptian(page):
    enter(page, "٣", "٤", "-١٥", "٢٫٥")
    expect("the locale's own digits, shown as 0 to 9", page.rows("Uneti niz"), ["4", "-15", "2"])
    expect("count box", page.count(), "3")


def zoomed(page):
    check_layout(page, screenshot=sys.argv[2] if len(sys.argv) > 2 else None)


def large_font(page):
    check_captions_fit(page)
    size = page.js("const r = document.getElementById('client').getBoundingClientRect(); return [r.width, r.height]")
    expect("the window grows with the font", size[0] > 339 and size[1] > 222, True)


def end(page):
    enter(page, "1", "5")
    page.press("btnKraj")
    expect("the window goes away", page.tree_names("listbox"), [])
    expect("the page offers to start again", page.tree_names("button"), ["Pokreni Plimvar"])
    page.keys(Keys.ENTER)
    expect("a new window, empty", (page.rows("Uneti niz"), page.count()), ([], ""))


def offline(page):
    """After one visit the page starts with no server at all."""
    server, address = serve(SITE)
    try:
        page.driver.get(address)
        poll("the window", lambda: page.js("return document.documentElement.dataset.ready"))
        page.driver.set_script_timeout(TIMEOUT)
        page.driver.execute_async_script(
            "const done = arguments[0]; navigator.serviceWorker.ready.then(() => done(true))")
        page.driver.refresh()
        poll("the page kept by the service worker",
             lambda: page.js("return navigator.serviceWorker.controller !== null"))
    finally:
        server.kill()
        server.wait()
    page.driver.refresh()
    poll("the window with no server", lambda: page.js("return document.documentElement.dataset.ready"))
    enter(page, "1", "5")
    expect("it works offline", page.rows("Uneti niz"), ["5"])


def serve(site):
    """A web server of its own, on a free port of 127.0.0.1."""
    server = subprocess.Popen(["/usr/bin/python3", "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
                               "-d", site], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    port = re.search(rb"port (\d+)", server.stdout.readline()).group(1).decode()
    return server, "http://127.0.0.1:%s/" % port


SCENARIOS = [
    ("typical use", {}, typical_use),
    ("each failure kind", {}, failures),
    ("the three mends", {}, mends),
    ("keyboard alone", {}, keyboard_alone),
    ("pasted answers", {}, pastes),
    ("a German browser", {"lang": "de-DE"}, german),
    ("an Egyptian Arabic browser", {"lang": "ar-EG"}, egyptian),
    ("150% zoom", {"scale": 1.5}, zoomed),
    ("a large font", {"font_size": 28}, large_font),
    ("Kraj", {}, end),
    ("offline after one visit", {}, offline),
]
SITE = sys.argv[1] if len(sys.argv) > 1 else "."


def main():
    server, address = serve(SITE)
    profiles = tempfile.mkdtemp()
    failed = []
    try:
        for k, (name, options, scenario) in enumerate(SCENARIOS):
            print("== " + name)
            page = None
            try:
                page = Page(address, "%s/%d" % (profiles, k), **options)
                scenario(page)
                expect("no error in the console", page.errors(), [])
            except Exception as failure:
                print("FAIL: %s: %s" % (name, failure))
                failed.append(name)
            finally:
                if page:
                    page.close()
    finally:
        server.kill()
        server.wait()
        shutil.rmtree(profiles, ignore_errors=True)
    print("%d passed, %d failed" % (len(SCENARIOS) - len(failed), len(failed)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
