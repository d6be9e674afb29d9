"""The page in a browser as the behaviour table drives it: clicks and keys as a
person's, the window and its dialogs read from the page and from its
accessibility tree, as a screen reader reads them.
"""
import contextlib
import os

import browsers
from browsers import KEYS
from check import Failed, expect, poll
from texts import CONTROLS, TEXTS


class Page:
    """A browser of that engine on the page, as browsers.start() makes one; shots, where screenshots go."""

    def __init__(self, engine, address, profile, started=True, app=False, shots=None, **options):
        self.engine, self.shots = engine, shots
        self.browser = browsers.start(engine, profile, app=address if app else None, **options)
        if not app:
            self.browser.load(address)
        if started:
            self.started()

    # What the page shows once the program has ended.
    after_end = ["Pokreni Plimvar"]

    def started(self):
        poll("the window", lambda: self.js("return document.documentElement.dataset.ready"))
        self.browser.loaded()

    def shot(self, name):
        if self.shots:
            self.browser.shot(os.path.join(self.shots, "%s-%s.png" % (self.engine, name)))

    def js(self, script, *args):
        return self.browser.js(script, *args)

    # The behaviour table's verbs.
    def press(self, control):
        self.browser.click("#" + control)

    click = press

    def keys(self, *keys):
        self.browser.keys(*keys)

    def type(self, text):
        self.keys(text)

    def key(self, name):
        self.keys(KEYS[name])

    def paste(self, text):
        self.browser.paste(text)

    def end(self):
        self.press("btnKraj")
        self.ended()

    def ended(self):
        poll("the window to go away", lambda: self.tree_names("listbox") == [])
        expect("the page offers to start again", self.tree_names("button"), self.after_end)

    def start_again(self):
        self.keys(KEYS["Return"])

    def has_keyboard(self):
        return True

    def dialog_open(self):
        return self.js("return !!document.querySelector('dialog[open]')")

    def window_open(self):
        return self.js("return !frmPlimvar.hidden")

    def selected(self, control):
        return self.js("const row = document.querySelector('#' + arguments[0] + ' [aria-selected=true]');"
                       "return row && row.textContent", control)

    def count(self):
        return self.js("return txtBrojElemenata.value")

    def focus(self):
        return self.js("return document.activeElement.id")

    focused = focus

    def left_to_right(self):
        return self.js("return [...document.querySelectorAll('.row, #txtBrojElemenata')]"
                       ".every((e) => getComputedStyle(e).direction === 'ltr')")

    def rows_apart(self):
        return self.js(ROWS_APART, ["lstOriginalni", "lstSortiran"])

    def dialog(self, asked):
        title = asked["title"]
        poll("dialog " + title, lambda: self.js(
            "const d = document.getElementById('inputBox');"
            "return d?.matches(':modal') && d.querySelector('.titlebar').textContent === arguments[0]", title))
        poll("the answer field's first focus", lambda: self.focused() == "inputBoxAnswer", 30)
        expect("the answer field starts empty", self.js("return document.activeElement.value"), "")

    def answer(self, asked, text, how="Return"):
        """Answers the input box as a person does: types or pastes, then Return, Escape or Cancel."""
        self.dialog(asked)
        expect("the question, as a reader names the answer field", self.tree_names("textbox"), [asked["prompt"]])
        if how == "paste":
            self.paste(text)
        elif text:
            self.keys(text)
        if how == "Cancel":
            self.press("inputBoxCancel")
        else:
            self.keys(KEYS.get(how, KEYS["KP_Enter"]))
        self.closed(asked["title"])

    def closed(self, title):
        """The dialog has closed, or asks its next question."""
        poll("dialog %s to close" % title, lambda: self.js(
            "const d = document.getElementById('inputBox');"
            "return !d || d.querySelector('.titlebar').textContent !== arguments[0]", title))

    def report(self):
        poll("the report, with the focus", lambda: self.js(
            "return document.getElementById('report')?.matches(':modal') && document.activeElement.id === 'report'"
        ), 30)
        # A reader on the accessibility bus may learn of it a moment later.
        reads = lambda: (self.tree_names("dialog"), [t for t in self.tree_names("dialog", "description") if t])
        title = [TEXTS["report"]["title"]]
        with contextlib.suppress(Failed):
            poll("the report read", lambda: reads()[0] == title and reads()[1], 20)
        expect("the report is titled", reads()[0], title)
        text = reads()[1]
        self.keys(KEYS["Return"])
        poll("the report to close", lambda: not self.js("return document.getElementById('report')"))
        return "\n".join(text)

    def found(self, role, within=None):
        """The nodes of that role a screen reader finds, in the page or within a node, in their order."""
        # A browser just started may take a moment to show a reader the page.
        todo = list(within["children"] if within else poll("the page, as a reader gets it", self.browser.tree))
        found = []
        while todo:
            node = todo.pop(0)
            if node["role"] == role:
                found.append(node)
            todo = node["children"] + todo
        return found

    def tree_names(self, role, what="name"):
        return [node[what] for node in self.found(role)]

    def rows(self, control):
        """The rows of the list as a reader announces them."""
        name = CONTROLS[control]["accessible name"]

        def read():
            lists = [n for n in self.found("listbox") if n["name"] == name]
            return lists and [[row["name"] for row in self.found("option", lists[0])]]
        rows = poll("the list " + name, read)[0]
        # Not every engine gives a row's position to a test; the page's ARIA says it.
        expect("%s's rows announced as row k of n" % name, self.js(
            "return [...document.querySelectorAll('[aria-label=\"' + arguments[0] + '\"] [role=option]')]"
            ".map((r) => [Number(r.getAttribute('aria-posinset')), Number(r.getAttribute('aria-setsize'))])", name),
            [[k + 1, len(rows)] for k in range(len(rows))])
        return rows

    def errors(self):
        return self.browser.errors()

    def close(self):
        self.browser.close()


ROWS_APART = """
    return [...arguments[0]].every((list) => {
        const rows = [...document.querySelectorAll('#' + list + ' .row')].map((r) => r.getBoundingClientRect());
        const line = 1.2 * parseFloat(getComputedStyle(client).fontSize) * (frmPlimvar.style.zoom || 1);
        return rows.every((r, k) => r.height >= line && (k === 0 || Math.abs(r.top - rows[k - 1].bottom) < 0.5));
    });"""


class TableDriver:
    """The behaviour table's steps on the page, in a browser for each language; with reader, on the session's
    own display, as a screen reader meets it."""

    def __init__(self, engine, address, profiles, reader=False, shots=None):
        self.engine, self.address, self.profiles, self.reader, self.shots = engine, address, profiles, reader, shots
        self.browsers, self.page = {}, None

    windows = False

    def start(self, locale):
        self.no_errors()
        lang = locale["browser"]
        if self.reader and lang in self.browsers:
            # Orca follows a few loads of one tab, then no more: a reader's start is a new browser.
            self.browsers.pop(lang).close()
        if lang not in self.browsers:
            self.browsers[lang] = Page(self.engine, self.address, "%s/table-%s" % (self.profiles, lang),
                                       lang=lang, started=False, reader=self.reader,
                                       shots=self.shots)
        self.page = self.browsers[lang]
        self.page.browser.load(self.address)
        self.page.started()

    def no_errors(self):
        if self.page:
            expect("no error in the console", self.page.errors(), [])

    def close(self):
        for page in self.browsers.values():
            page.close()

    def __getattr__(self, verb):
        return getattr(self.page, verb)
