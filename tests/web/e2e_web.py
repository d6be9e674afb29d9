"""Uses the page in a real browser as a person would, with clicks and keys,
and reads it as a screen reader does, from the browser's accessibility tree.
It runs every scenario of the behaviour table, then what only the page has:
the focus where engines differ, screens of their own (a phone, a high zoom,
high contrast, an installed app), the page opened from a file, broken files,
updates and the offline start. Each scenario starts with a new load of the
page; every one checks that the console shows no error. A screen that an
engine cannot emulate is left to the engines that can.

    e2e_web.py chromium|webkit|firefox SITE_DIR [SCREENSHOT_DIR]   (in a session of its own: session.sh)
"""
import contextlib
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path[:0] = [os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", where) for where in ("", "drive")]
import behaviour  # noqa: E402
from texts import CONTROLS, LISTS, TEXTS, dialog, named  # noqa: E402
from check import Failed, exit_with, expect, needs, poll, settle  # noqa: E402
needs("selenium", "websockets", "pyatspi")
import browsers  # noqa: E402
from browsers import KEYS, serve  # noqa: E402
from page import ROWS_APART, Page, TableDriver  # noqa: E402

def enter(page, *answers):
    page.press("btnUnesiNiz")
    page.answer(dialog("count"), answers[0])
    for i, element in enumerate(answers[1:], start=1):
        page.answer(dialog("element %d" % i), element)


def check_layout(page, shot=None):
    """The window as the core fits it, in the page's font: every control inside the client area and
    clear of the others (a label shows only its text), every caption whole."""
    expect("title", page.browser.title(), TEXTS["window"]["title"])
    expect("every control in the page's font", page.js(
        "const font = (e) => { const s = getComputedStyle(e); return s.fontFamily + ' ' + s.fontSize; };"
        "return [...document.querySelectorAll('#client > *')].filter((e) => font(e) !== font(client)).map((e) => e.id)"),
        [])
    expect("no two controls meet, all inside the window", page.js(
        "const box = (e) => { const r = e.getBoundingClientRect(); if (e.tagName !== 'LABEL') return r;"
        "  const range = document.createRange(); range.selectNodeContents(e); return range.getBoundingClientRect(); };"
        "const all = [...document.querySelectorAll('#client > *')].map((e) => [e.id, box(e)]);"
        "const c = client.getBoundingClientRect(); const bad = [];"
        "for (const [a, r] of all) {"
        "  if (r.left < c.left || r.top < c.top || r.right > c.right + 0.5 || r.bottom > c.bottom + 0.5) bad.push(a);"
        "  for (const [b, s] of all) if (a < b && r.left < s.right && s.left < r.right && r.top < s.bottom"
        "    && s.top < r.bottom) bad.push(a + ' meets ' + b); }"
        "return bad"), [])
    expect("every control drawn at the size the core placed it", page.js(
        "return [...document.querySelectorAll('#client > *')].filter((e) => e.dataset.placed !== "
        "[e.offsetLeft, e.offsetTop, e.offsetWidth, e.offsetHeight].join(' ')).map((e) => e.id)"), [])
    captions = {name: c["caption"] for name, c in CONTROLS.items() if c["caption"]}
    expect("captions", {name: page.js("return document.getElementById(arguments[0]).textContent", name)
                        for name in captions}, captions)
    check_captions_fit(page)
    if shot:
        page.shot(shot)


def check_captions_fit(page):
    clipped = page.js("return [...document.querySelectorAll('#client button, #client label')]"
                      ".filter(e => e.scrollWidth > e.clientWidth || e.scrollHeight > e.clientHeight)"
                      ".map(e => e.id)")
    expect("no caption clipped", clipped, [])


def single_line(page):
    """Whether each text box a reader finds is announced as one line."""
    return [not node["multiline"] for node in page.found("textbox")]


def what_a_reader_hears(page):
    check_layout(page)
    expect("names a reader hears", sorted(page.tree_names("button")), sorted(named("button")))
    expect("the count box's name", page.tree_names("textbox"), named("text box"))
    expect("the count box is one line", single_line(page), [True])
    page.press("btnUmetniBroj")
    page.dialog(dialog("insert"))
    expect("the answer field is one line", single_line(page), [True])


def reachable(page, ids):
    """Which are not whole on screen once scrolled to, or not hit at their centre; and a sideways scroll."""
    return page.js("""
        const missed = arguments[0].filter((id) => {
            const e = document.getElementById(id);
            e.scrollIntoView({ block: 'nearest', inline: 'nearest' });
            const r = e.getBoundingClientRect();
            const hit = document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2);
            // Half a pixel is a rounding of the layout, not a control cut off.
            return r.left < -0.5 || r.top < -0.5 || r.right > innerWidth + 0.5 || r.bottom > innerHeight + 0.5 ||
                !hit || !e.contains(hit);
        });
        const root = document.documentElement;
        return [missed, root.scrollWidth > root.clientWidth];""", ids)


def smallest(page, selector):
    """The least width or height among what the selector finds, as drawn."""
    return page.js("return Math.min(...[...document.querySelectorAll(arguments[0])].map((e) => "
                   "e.getBoundingClientRect()).flatMap((r) => [r.width, r.height]))", selector)


def small_screen(page, name, touch):
    """Every control of the window and dialogs whole on screen and tapped at its centre; touch: 24 px."""
    expect(name + ": the window reachable, no sideways scroll", reachable(page, page.js("return [...client.children].map((e) => e.id)")), [[], False])
    check_captions_fit(page)
    enter(page, "2", "9", "8")
    page.press("btnUnesiNiz")
    page.dialog(dialog("count"))
    expect(name + ": the input box reachable", reachable(page, ["inputBoxPrompt", "inputBoxAnswer",
                                                                "inputBoxOk", "inputBoxCancel"]), [[], False])
    if page.js("return innerWidth") <= 360:
        expect(name + ": the answer field across the input box, its buttons under it", page.js(
            "const body = inputBox.querySelector('.inputBody'), s = getComputedStyle(body);"
            "const across = body.clientWidth - parseFloat(s.paddingLeft) - parseFloat(s.paddingRight);"
            "const f = inputBoxAnswer.getBoundingClientRect(), ok = inputBoxOk.getBoundingClientRect();"
            "return [f.width >= across - 1, ok.top >= f.bottom]"), [True, True])
    if touch:
        expect(name + ": text fields of 16 px or more under a finger", page.js(
            "return ['txtBrojElemenata', 'inputBoxAnswer'].filter((id) =>"
            " parseFloat(getComputedStyle(document.getElementById(id)).fontSize) < 16)"), [])
    page.shot(name + "-input-box")
    if touch:
        expect("dialog buttons a finger can press", smallest(page, "#inputBox button") >= 24, True)
    page.press("inputBoxOk")
    poll("the report", lambda: page.js("return document.getElementById('report')?.open"))
    expect(name + ": the report reachable", reachable(page, ["reportText", "reportOk"]), [[], False])
    report_ok = smallest(page, "#reportOk")
    page.report()
    if touch:
        sizes = [report_ok] + [smallest(page, selector) for selector in ("#client button", "#txtBrojElemenata",
                                                                        "#lstOriginalni .row")]
        expect("targets a finger can press", [size >= 24 for size in sizes], [True] * len(sizes))
    expect(name + ": rows one row and one line of the font apart", page.js(ROWS_APART, ["lstOriginalni"]), True)
    page.shot(name)


def big_font_zoomed(page):
    """A 32 px font at 200% on a 1366 x 700 screen: rows as tall as the font."""
    small_screen(page, "font-32-zoom-200", touch=False)
    expect("the window grows with the font", page.js("return client.offsetWidth > 339 && client.offsetHeight > 222"), True)


def contrast(first, second):
    """The contrast ratio of two CSS rgb() colours, as WCAG computes it."""
    def light(colour):
        linear = [c / 255 / 12.92 if c <= 10.31 else ((c / 255 + 0.055) / 1.055) ** 2.4
                  for c in map(float, re.findall(r"[\d.]+", colour)[:3])]
        return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2] + 0.05
    return max(light(first), light(second)) / min(light(first), light(second))


def focus_cues(page):
    """Each focus cue, a button's too, 2 px or more and 3:1 against the window around it."""
    around = page.js("return getComputedStyle(document.getElementById('frmPlimvar')).backgroundColor")
    # A button shows its cue when the keyboard brings the focus: Tab from the count box.
    for clicked, keys, control in (("lstOriginalni", (), "lstOriginalni"),
                                   ("txtBrojElemenata", (), "txtBrojElemenata"),
                                   ("txtBrojElemenata", (KEYS["Tab"],), "btnSortirajNiz")):
        page.press(clicked)
        if keys:
            page.keys(*keys)
        style, width, colour = page.js("const s = getComputedStyle(document.activeElement);"
                                       "return [s.outlineStyle, parseFloat(s.outlineWidth), s.outlineColor]")
        expect("the focus cue of " + control, (page.focused(), style, width >= 2, contrast(colour, around) >= 3),
               (control, "solid", True, True))
    page.shot("focused-button")


def dark_scheme(page):
    """A dark colour scheme on a phone: the window, a list, a button, the count box, the page around and the
    input box in dark colours, their text 4.5:1, focus 3:1."""
    readings = """
        const ground = (e) => { for (; e; e = e.parentElement) { const c = getComputedStyle(e).backgroundColor;
            if (!c.endsWith(', 0)') && c !== 'transparent') return c; }
            return getComputedStyle(document.documentElement).backgroundColor; };
        return arguments[0].map((id) => { const e = document.getElementById(id);
            return [id, getComputedStyle(e).color, ground(e)]; });"""
    ids = ["frmPlimvar", "lstOriginalni", "btnUnesiNiz", "txtBrojElemenata", "fromFile"]
    enter(page, "2", "9", "8")
    page.press("btnUnesiNiz")
    page.dialog(dialog("count"))
    ids += ["inputBox", "inputBoxAnswer", "inputBoxOk"]
    found = page.js(readings, ids)
    expect("dark grounds", [i for i, _, ground in found if contrast(ground, "rgb(0, 0, 0)") > 3], [])
    expect("text 4.5:1 on its ground", [i for i, text, ground in found if contrast(text, ground) < 4.5], [])
    page.shot("dark-phone-input-box")
    page.keys(KEYS["Escape"])
    page.report()
    focus_cues(page)


def forced_colours(page):
    """High contrast: the selected row and the focused list still show."""
    enter(page, "2", "5", "3")
    page.press("lstOriginalni")
    page.keys(KEYS["Home"])
    row = "return getComputedStyle(document.querySelector('#lstOriginalni [aria-selected=%s]')).backgroundColor"
    expect("the selected row in the system's highlight", page.js(row % "true"),
           page.js("const e = document.createElement('i'); e.style.color = 'Highlight'; document.body.append(e);"
                   "const c = getComputedStyle(e).color; e.remove(); return c"))
    expect("an unselected row looks otherwise", page.js(row % "true") != page.js(row % "false"), True)
    expect("the focused list outlined", page.js("return getComputedStyle(document.activeElement).outlineStyle"),
           "solid")
    page.keys(KEYS["Tab"], KEYS["Tab"])
    expect("the focused button outlined", page.js(
        "const s = getComputedStyle(document.activeElement); return [s.outlineStyle, parseFloat(s.outlineWidth) >= 2]"),
        ["solid", True])
    page.shot("forced-colours")


def alone(page, app):
    """As an installed app with no second title bar, or opened from a file, saying what a server adds."""
    if app:
        expect("no title bar inside the app's", page.js(
            "return getComputedStyle(document.getElementById('frmPlimvarTitle')).display"), "none")
        expect("the window at the app window's corner", page.js(
            "const r = document.getElementById('frmPlimvar').getBoundingClientRect(); return [r.left, r.top]"), [0, 0])
    else:
        expect("it says where to open it from to keep it", page.js("return fromFile.hidden"), False)
    enter(page, "1", "4")
    expect("it works", page.rows(LISTS["entered"]), ["4"])
    page.shot("installed-app" if app else "from-file")


@contextlib.contextmanager
def own_site():
    """A copy of the site, to change, on a server of its own."""
    copy = tempfile.mkdtemp()
    shutil.copytree(SITE, copy, dirs_exist_ok=True)
    server, address = serve(copy)
    try:
        yield copy, address
    finally:
        server.kill()
        server.wait()
        shutil.rmtree(copy, ignore_errors=True)


def said_in_place_of_plimvar(page):
    """What the page shows where 'Plimvar…' was: each paragraph by its id, or its tag's."""
    return page.js("const shown = (e) => e.getClientRects().length && getComputedStyle(e).visibility === 'visible';"
                   "return [...document.querySelectorAll('#loading p')].filter(shown)"
                   ".map((p) => p.id || p.parentNode.localName)")


def cannot_run(page, without):
    """A browser without JavaScript or WebAssembly: the page says so, and no file is said to be missing."""
    said = {"JavaScript": "noscript", "WebAssembly": "noWebAssembly"}[without]
    settle("the page says why it cannot start", lambda: said_in_place_of_plimvar(page), [said], 20)
    page.errors()  # the program's own glue says in the console why it stopped


def broken_files(page, *cases):
    """A missing file, a broken one, or one of another release than the page: the page says so, in place of
    'Plimvar…'. A scenario's cases come in turn to one browser, whose service worker keeps what it has met
    whole: a later case would meet an earlier one's file."""
    with own_site() as (copy, address):
        script = os.path.join(copy, "plimvar.js")
        with open(script) as f:
            whole = f.read()
        # The program's module, whatever its size: its magic number and version, zeroed.
        start = whole.index("base64,AGFzbQ") + len("base64,")
        with open(os.path.join(copy, "index.html")) as f:
            release = re.search(r'data-release="(\w+)"', f.read()).group(1)
        edits = {"missing": None, "broken": whole[:start] + "A" * 12 + whole[start + 12:],
                 "of another release": whole.replace(release, "0" * 16)}
        for what, text in ((case, edits[case]) for case in cases):
            if text is None:
                os.remove(script)
            else:
                with open(script, "w") as f:
                    f.write(text)
            page.browser.load(address)
            settle("the sentence in place of 'Plimvar…' for a %s file" % what, lambda: said_in_place_of_plimvar(page),
                   ["notStarted"], 20)
            # Before the server goes: a registration still fetching would fail then.
            page.js("return (window.Plimvar && Plimvar.keeping || Promise.resolve()).then(() => 0, () => 0)")
            named = any("plimvar.js" in e for e in page.errors())
            if page.browser.hears_failed_loads and what != "of another release":
                expect("the console names the file", named, True)
        # The browser's own checks of the site's service worker, which a load sets going, end before the server
        # goes: the worker's jobs run in turn, and its removal after them.
        page.js("return navigator.serviceWorker.getRegistrations().then((all) => Promise.all(all.map((r) =>"
                " r.unregister()))).then(() => 0)")
        page.errors()


def kept_by_service_worker(page, address):
    page.browser.load(address)
    page.started()
    page.js("return navigator.serviceWorker.ready.then(() => true)")
    page.browser.reload()
    poll("the page kept by the service worker", lambda: page.js("return navigator.serviceWorker.controller !== null"))


def publish(copy):
    """A new release, named as the build names one: a page and a script that say so, files a month old."""
    for name, old, new in (("index.html", "<html ", "<html data-page=\"2\" "),
                           ("plimvar.js", "", "document.documentElement.dataset.script = '2';\n")):
        path = os.path.join(copy, name)
        with open(path) as f:
            text = f.read()
        with open(path, "w") as f:
            f.write(text.replace(old, new, 1) if old else new + text)
    release = os.path.join(copy, "release.json")
    with open(release) as f:
        before = json.load(f)
    subprocess.run(["cmake", "-D", "site=" + copy, "-D", "files=" + ";".join(before["files"]), "-P",
                    os.path.join(HERE, "..", "..", "web", "release.cmake")], check=True, timeout=60)
    with open(release) as f:
        expect("new contents, a new release name", json.load(f)["release"] != before["release"], True)
    month_ago = time.time() - 30 * 86400
    for name in os.listdir(copy):
        os.utime(os.path.join(copy, name), (month_ago, month_ago))


RELEASE_SHOWN = "return [document.documentElement.dataset.page, document.documentElement.dataset.script]"


def failed_update(page):
    """A new release whose download fails part way: the page starts the release it kept, whole."""
    with own_site() as (copy, address):
        kept_by_service_worker(page, address)
        publish(copy)
        os.remove(os.path.join(copy, "plimvar.js"))
        for _ in range(2):
            page.browser.reload()
            page.started()
            expect("the kept release, page and script together", page.js(RELEASE_SHOWN), [None, None])
        enter(page, "1", "6")
        expect("it works", page.rows(LISTS["entered"]), ["6"])


def slow_update(page):
    """A new release whose download outlasts the service worker's wait: the kept release starts, whole and
    alone, and the new one at the next start."""
    with own_site() as (copy, address):
        kept_by_service_worker(page, address)
        publish(copy)
        with open(os.path.join(copy, "release.json")) as f:
            new = "plimvar-" + json.load(f)["release"]
        open(os.path.join(copy, browsers.SLOW), "w").close()
        page.browser.reload()
        page.started()
        expect("the kept release, page and script together", page.js(RELEASE_SHOWN), [None, None])
        enter(page, "1", "6")
        expect("it works", page.rows(LISTS["entered"]), ["6"])
        poll("the new release downloaded whole, the one before gone",
             lambda: page.js("return caches.keys()") == [new], 60)
        page.browser.reload()
        page.started()
        expect("the new release at the next start, page and script together", page.js(RELEASE_SHOWN), ["2", "2"])


def update_then_offline(page):
    """A new release runs whole on the next load, whatever the files' times; then offline."""
    with own_site() as (copy, address):
        kept_by_service_worker(page, address)
        publish(copy)
        page.browser.reload()
        page.started()
        expect("the new release on the first load, page and script together", page.js(RELEASE_SHOWN),
               ["2", "2"])
    page.browser.reload()
    page.started()
    expect("with no server, the kept release", page.js("return document.documentElement.dataset.page"), "2")
    enter(page, "1", "5")
    expect("it works offline", page.rows(LISTS["entered"]), ["5"])
    expect("the licences kept too", page.js(
        "const text = (file) => fetch(file).then((r) => r.text());"
        "return Promise.all([text('THIRD-PARTY-NOTICES.txt'), text('LICENSE.txt')]).then(([notices, licence]) =>"
        " [notices.includes('musl'), licence.includes('Permission is hereby granted')])"), [True, True])
    with open(os.path.join(SITE, "release.json")) as f:
        files = json.load(f)["files"]
    expect("the licences are of the release", [f in files for f in ("LICENSE.txt", "THIRD-PARTY-NOTICES.txt")],
           [True, True])


def focus_in_every_engine(page):
    """A row clicked takes the focus with it, so that the arrows go on from there; the focus comes back to
    the button pressed, also where a click focuses no button, as in Safari."""
    state = lambda: page.js("const row = document.querySelector('#lstOriginalni [aria-selected=true]');"
                            "return [document.activeElement.id, row && row.textContent]")
    enter(page, "3", "5", "3", "8")
    expect("the focus back on the button pressed", state(), ["btnUnesiNiz", None])
    page.browser.click("#lstOriginalni .row:first-child")
    expect("a row clicked: selected, and its list focused", state(), ["lstOriginalni", "5"])
    page.keys(KEYS["Down"])
    expect("Down from there", state(), ["lstOriginalni", "3"])
    # As in Safari: a click focuses no button.
    page.js("document.addEventListener('mousedown', (e) => { if (e.target.closest('button')) e.preventDefault(); },"
            " true)")
    page.press("btnSortirajNiz")
    page.press("btnUmetniBroj")
    page.answer(dialog("insert"), "4")
    expect("with no focus from the click, after one dialog, the focus back on the button pressed",
           state()[0], "btnUmetniBroj")


def typed_ahead(page):
    """A fast typist's whole entry, keys 30 ms apart: each lands in the dialog it was typed for."""
    page.press("btnUnesiNiz")
    page.browser.type_ahead([k for n in "3413" for k in (n, KEYS["Return"])], 0.03)
    entered = "return [...document.querySelectorAll('#lstOriginalni .row')].map((row) => row.textContent)"
    settle("the entry", lambda: [page.js(entered), page.dialog_open()], [["4", "1", "3"], False], 20)


def tab_in_dialog(page):
    """Tab and Shift+Tab go round the input box, in the desktop's order: the field, OK, Cancel."""
    page.press("btnUnesiNiz")
    page.dialog(dialog("count"))
    order = []
    for key in ["Tab"] * 3 + ["shift+Tab"] * 3:
        page.keys(KEYS[key])
        order.append(page.focused())
    expect("the focus, Tab by Tab, then Shift+Tab by Shift+Tab", order,
           ["inputBoxOk", "inputBoxCancel", "inputBoxAnswer", "inputBoxCancel", "inputBoxOk", "inputBoxAnswer"])
    page.keys(KEYS["Escape"])


PHONE = (360, 740, 3, True)
SCENARIOS = [
    ("the focus in every engine", {}, focus_in_every_engine),
    ("typed ahead", {}, typed_ahead),
    ("Tab in a dialog", {}, tab_in_dialog),
    ("what a reader hears", {}, what_a_reader_hears),
    ("focus cues", {}, focus_cues),
    ("150% zoom, 600 CSS px", {"screen": (600, 466, 1.5, False)}, lambda page: check_layout(page, "zoom-150")),
    ("a phone", {"screen": PHONE}, lambda page: small_screen(page, "phone", touch=True)),
    ("320 CSS px: 400% zoom", {"screen": (320, 256, 4, False)}, lambda page: small_screen(page, "320px", False)),
    ("a 32 px font at 200%", {"font_size": 32, "screen": (683, 350, 2, False)}, big_font_zoomed),
    ("forced colours", {"media": {"forced-colors": "active"}}, forced_colours),
    ("a dark colour scheme on a phone", {"screen": PHONE, "media": {"prefers-color-scheme": "dark"}}, dark_scheme),
    ("installed as an app", {"app": True}, lambda page: alone(page, app=True)),
    ("opened from a file", {"file": True}, lambda page: alone(page, app=False)),
    ("a missing or broken file", {"started": False}, lambda page: broken_files(page, "missing", "broken")),
    ("a script of another release", {"started": False}, lambda page: broken_files(page, "of another release")),
    ("no JavaScript", {"started": False, "without": ("JavaScript",)}, lambda page: cannot_run(page, "JavaScript")),
    ("no WebAssembly", {"started": False, "without": ("WebAssembly",)}, lambda page: cannot_run(page, "WebAssembly")),
    ("an update that fails part way", {"started": False}, failed_update),
    ("an update slower than the service worker's wait", {"started": False}, slow_update),
    ("an update reaching a returning user, then offline", {"started": False}, update_then_offline),
]
ENGINE, SITE = sys.argv[1:3]
HERE = os.path.dirname(os.path.abspath(__file__))
SHOTS = sys.argv[3] if len(sys.argv) > 3 else None


def main():
    server, address = serve(SITE)
    profiles = tempfile.mkdtemp()
    table = TableDriver(ENGINE, address, profiles, shots=SHOTS)
    failed, elsewhere = [], 0
    try:
        status = behaviour.run(table, "the behaviour table on the page in " + ENGINE)
        table.no_errors()
        for k, (name, options, scenario) in enumerate(SCENARIOS):
            print("== " + name)
            page = None
            try:
                if options:
                    options = dict(options)
                    where = "file://%s/index.html" % os.path.abspath(SITE) if options.pop("file", False) else address
                    page = Page(ENGINE, where, "%s/%d" % (profiles, k), shots=SHOTS, **options)
                else:
                    # Plain scenarios share the table's browser, each with a new load of the page.
                    table.start(behaviour.TABLE["locales"]["en"])
                scenario(page or table.page)
                expect("no error in the console", (page or table.page).errors(), [])
            except browsers.NotHere as reason:
                print("SKIP: %s: %s" % (name, reason))
                elsewhere += 1
            except Exception as failure:
                print("FAIL: %s: %s" % (name, failure))
                failed.append(name)
            finally:
                if page:
                    page.close()
    finally:
        table.close()
        server.kill()
        server.wait()
        shutil.rmtree(profiles, ignore_errors=True)
    print("the page's own in %s: %d passed, %d failed, %d tested in other engines only" % (
        ENGINE, len(SCENARIOS) - len(failed) - elsewhere, len(failed), elsewhere))
    if failed or status:
        raise Failed("the page in " + ENGINE)


if __name__ == "__main__":
    exit_with(main)
