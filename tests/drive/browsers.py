"""The three browser engines the page is tested in, behind one interface:
Chromium and WebKit through classic WebDriver, Firefox over WebDriver BiDi
(Debian has no geckodriver). Each loads the page, runs script in it, clicks,
types and pastes as a person does, and reads the page as a screen reader gets
it: Chromium's accessibility tree through DevTools; WebKit's and Firefox's on
the accessibility bus, for which they run on an X display of their own in the
session that session.sh gives the test.

A screen or setting that an engine cannot emulate raises NotHere.
"""
import asyncio
import base64
import json
import os
import re
import socket
import subprocess

from selenium.webdriver.common.keys import Keys

import atspi
import display
from check import Skipped, poll

# The keys of the table by their X names, as WebDriver sends them: Return is the main keyboard's Enter; Enter,
# the keypad's.
KEYS = {"Tab": Keys.TAB, "Return": Keys.RETURN, "KP_Enter": Keys.ENTER, "Escape": Keys.ESCAPE, "space": Keys.SPACE,
        "Home": Keys.HOME, "Up": Keys.ARROW_UP, "Down": Keys.ARROW_DOWN, "End": Keys.END,
        "BackSpace": Keys.BACKSPACE, "ctrl+a": Keys.CONTROL + "a", "shift+Tab": Keys.SHIFT + Keys.TAB}
MODIFIERS = {Keys.SHIFT, Keys.CONTROL, Keys.ALT}


class NotHere(Skipped):
    pass


def start(engine, profile, lang="en-US", font_size=16, screen=None, media=None, app=None, reader=False, without=()):
    """A browser of that engine; screen is (width, height, zoom, touch) in CSS px; app, the address to open
    as an installed app; reader, on the session's own display, where a screen reader meets it; without,
    "JavaScript" or "WebAssembly", what the browser has off."""
    return {"chromium": Chromium, "webkit": WebKit, "firefox": Firefox}[engine](
        profile, lang, font_size, screen, media or {}, app, reader, without)


# With this file in the site, the server answers for every file but release.json after SLOW_S seconds: a
# download slower than the service worker waits.
SLOW, SLOW_S = "answer-slowly", 8
SERVER = """
import functools, http.server, os, sys, time
class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        if os.path.exists(os.path.join(sys.argv[1], "%s")) and not self.path.startswith("/release.json"):
            time.sleep(%d)
        super().do_GET()
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=sys.argv[1]))
print("port", server.server_address[1], flush=True)
server.serve_forever()
""" % (SLOW, SLOW_S)


def serve(site):
    """A web server of its own for the site, on a free port of 127.0.0.1, and its address."""
    server = subprocess.Popen(["/usr/bin/python3", "-c", SERVER, site], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL)
    port = re.search(rb"port (\d+)", server.stdout.readline()).group(1).decode()
    return server, "http://127.0.0.1:%s/" % port


def attempt(begin):
    """What begin() gives, or None while what it reaches is not listening yet."""
    try:
        return begin()
    except Exception:
        return None


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def own_display(started, profile, reader):
    os.makedirs(profile, exist_ok=True)
    if reader:
        return os.environ["DISPLAY"]
    xvfb, name = display.x_display(profile)
    started.append(xvfb)
    return name


def cannot(engine, what):
    raise NotHere("%s cannot emulate %s" % (engine, what))


class Browser:
    """What the engines share: the processes started, ended by their PIDs; a paste, and the page as a reader
    reads it on the accessibility bus, where Chromium has its own."""

    started = ()
    # Whether a file that fails to load shows among the console's errors.
    hears_failed_loads = False

    def loaded(self):
        """The page has loaded, and is ready to be watched."""

    def title(self):
        return self.js("return document.title")

    def paste(self, text):
        self.js("document.execCommand('insertText', false, arguments[0])", text)

    def tree(self):
        return atspi.documents([process.pid for process in self.started])

    def close(self):
        for process in reversed(self.started):
            process.kill()
            process.wait()


class WebDriverBrowser(Browser):
    """Chromium or WebKit through Selenium."""

    def load(self, address):
        self.driver.get(address)

    def reload(self):
        self.driver.refresh()

    def js(self, body, *args):
        # A returned promise is waited for.
        return self.driver.execute_script(body, *args)

    def click(self, selector):
        from selenium.webdriver.common.by import By
        self.driver.find_element(By.CSS_SELECTOR, selector).click()

    def keys(self, *keys):
        self.driver.switch_to.active_element.send_keys(*keys)

    def type_ahead(self, keys, gap):
        """Each key to whatever has the focus as it comes, gap seconds after the one before."""
        from selenium.webdriver.common.action_chains import ActionChains
        chain = ActionChains(self.driver, duration=0)
        for key in keys:
            chain.send_keys(key).pause(gap)
        chain.perform()

    def shot(self, path):
        self.driver.save_screenshot(path)

    def close(self):
        self.driver.quit()
        Browser.close(self)


class Chromium(WebDriverBrowser):
    hears_failed_loads = True

    def __init__(self, profile, lang, font_size, screen, media, app, reader, without):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        shown = ("--force-renderer-accessibility",) if reader else ("--headless=new",)
        shown += ("--blink-settings=scriptEnabled=false",) if "JavaScript" in without else ()
        for argument in shown + ("--no-sandbox", "--disable-gpu", "--window-size=900,700",
                                 "--user-data-dir=" + profile, "--lang=" + lang) + (("--app=" + app,) if app else ()):
            options.add_argument(argument)
        options.add_experimental_option("prefs", {"intl.accept_languages": lang,
                                                  "webkit.webprefs.default_font_size": font_size})
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.driver.set_script_timeout(20)
        if "WebAssembly" in without:
            self.cdp("Page.addScriptToEvaluateOnNewDocument", source="delete globalThis.WebAssembly")
        if screen:
            width, height, zoom, touch = screen
            self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=zoom,
                     mobile=touch)
            self.cdp("Emulation.setTouchEmulationEnabled", enabled=touch)
        if media:
            self.cdp("Emulation.setEmulatedMedia",
                     features=[{"name": name, "value": value} for name, value in media.items()])

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def paste(self, text):
        self.cdp("Input.insertText", text=text)

    def errors(self):
        return [e["message"] for e in self.driver.get_log("browser") if e["level"] == "SEVERE"]

    def tree(self):
        nodes = {n["nodeId"]: n for n in self.cdp("Accessibility.getFullAXTree")["nodes"]}
        value = lambda n, key: n.get(key, {}).get("value", "")

        def shown(node):
            """The node as a reader gets it; an ignored one, as the nodes it holds."""
            children = [c for k in node.get("childIds", []) if k in nodes for c in shown(nodes[k])]
            if node.get("ignored"):
                return children
            multiline = any(p["name"] == "multiline" and p["value"]["value"] for p in node.get("properties", []))
            return [{"role": value(node, "role"), "name": value(node, "name"),
                     "description": value(node, "description"), "multiline": multiline, "children": children}]
        roots = [n for n in nodes.values() if "parentId" not in n]
        return [c for root in roots for c in shown(root)]


class WebKit(WebDriverBrowser):
    """MiniBrowser, WebKitGTK's own. Its driver passes on no console message, so the page's errors are
    recorded by a hook put in once it has loaded; what fails while it loads, Chromium's test sees."""

    def __init__(self, profile, lang, font_size, screen, media, app, reader, without):
        if screen or app or font_size != 16 or set(media) - {"prefers-color-scheme"} or without:
            cannot("WebKit", "a screen, an installed app, a font size, forced colours or a feature off")
        if "-" not in lang:
            cannot("WebKit", "a language with no region (it takes the page's from the system's locale)")
        from selenium import webdriver
        self.started = []
        x = own_display(self.started, profile, reader)
        port = free_port()
        self.started.append(subprocess.Popen(
            ["WebKitWebDriver", "--port=%d" % port], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            env=dict(os.environ, DISPLAY=x, LANG=system_locale(lang))))
        options = webdriver.WebKitGTKOptions()
        options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
        for argument in ["--automation"] + (["--dark-mode"] if media.get("prefers-color-scheme") == "dark" else []):
            options.add_argument(argument)
        self.driver = poll("WebKitWebDriver", lambda: attempt(
            lambda: webdriver.Remote("http://127.0.0.1:%d" % port, options=options)), 60)
        self.driver.set_script_timeout(20)

    def loaded(self):
        self.js("if (window.errorsSeen) return; window.errorsSeen = [];"
                "addEventListener('error', (e) => errorsSeen.push(String(e.message)));"
                "addEventListener('unhandledrejection', (e) => errorsSeen.push(String(e.reason)));"
                "const error = console.error; console.error = (...said) => { errorsSeen.push(said.join(' '));"
                " error(...said); };")

    def errors(self):
        return self.js("return (window.errorsSeen || []).splice(0)")


def system_locale(lang):
    """The system's locale for a browser's language: sr-Latn-RS is sr_RS.UTF-8@latin."""
    parts = lang.split("-")
    return "%s_%s.UTF-8%s" % (parts[0], parts[-1], "@latin" if "Latn" in parts[1:-1] else "")


class Firefox(Browser):
    """Firefox ESR on an X display of its own, over WebDriver BiDi, in a tab of its own."""

    def __init__(self, profile, lang, font_size, screen, media, app, reader, without):
        if app or (screen and screen[3]) or "forced-colors" in media:
            cannot("Firefox", "an installed app, a touch screen or forced colours")
        import websockets
        self.started = []
        x = own_display(self.started, profile, reader)
        dark = media.get("prefers-color-scheme") == "dark"
        prefs = {"intl.accept_languages": lang, "font.size.variable.x-western": font_size,
                 "layout.css.prefers-color-scheme.content-override": 0 if dark else 2,
                 "ui.systemUsesDarkTheme": int(dark), "browser.shell.checkDefaultBrowser": False,
                 "javascript.enabled": "JavaScript" not in without,
                 "javascript.options.wasm": "WebAssembly" not in without}
        with open(os.path.join(profile, "user.js"), "w") as f:
            f.writelines('user_pref("%s", %s);\n' % (k, json.dumps(v)) for k, v in prefs.items())
        port = free_port()
        self.started.append(subprocess.Popen(
            ["firefox-esr", "--remote-debugging-port=%d" % port, "--profile", profile, "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            env=dict(os.environ, DISPLAY=x, GNOME_ACCESSIBILITY="1")))
        self.loop = asyncio.new_event_loop()
        asyncio.set_event_loop(self.loop)
        self.socket = poll("Firefox's BiDi", lambda: attempt(lambda: self.loop.run_until_complete(
            websockets.connect("ws://127.0.0.1:%d/session" % port, max_size=None))), 60)
        self.sent, self.logged = 0, []
        self.send("session.new", {"capabilities": {}})
        # The tab Firefox starts with may not get the focus.
        first = self.send("browsingContext.getTree", {})["contexts"][0]["context"]
        self.context = self.send("browsingContext.create", {"type": "tab"})["context"]
        self.send("browsingContext.activate", {"context": self.context})
        self.send("browsingContext.close", {"context": first})
        self.send("session.subscribe", {"events": ["log.entryAdded"]})
        if screen:
            width, height, zoom, _ = screen
            self.send("browsingContext.setViewport", {"context": self.context, "devicePixelRatio": zoom,
                                                      "viewport": {"width": width, "height": height}})

    def send(self, method, params):
        self.sent += 1
        self.loop.run_until_complete(self.socket.send(json.dumps({"id": self.sent, "method": method,
                                                                 "params": params})))
        while True:
            answer = json.loads(self.loop.run_until_complete(asyncio.wait_for(self.socket.recv(), 30)))
            if answer.get("method") == "log.entryAdded" and answer["params"]["level"] == "error":
                self.logged.append(answer["params"]["text"])
            if answer.get("id") == self.sent:
                if answer.get("type") == "error":
                    raise RuntimeError("%s: %s" % (method, answer.get("message")))
                return answer["result"]

    def load(self, address):
        self.send("browsingContext.navigate", {"context": self.context, "url": address, "wait": "complete"})

    def reload(self):
        self.send("browsingContext.reload", {"context": self.context, "wait": "complete"})

    def js(self, body, *args):
        result = self.send("script.callFunction", {
            "functionDeclaration": "async function () { %s }" % body, "target": {"context": self.context},
            "arguments": [remote(a) for a in args], "awaitPromise": True,
            "serializationOptions": {"maxObjectDepth": 4}})
        if result["type"] == "exception":
            raise RuntimeError(result["exceptionDetails"]["text"])
        return plain(result["result"])

    def click(self, selector):
        node = self.send("browsingContext.locateNodes", {"context": self.context,
                                                         "locator": {"type": "css", "value": selector}})["nodes"][0]
        self.js("arguments[0].scrollIntoView({ block: 'nearest', inline: 'nearest' })", node)
        self.send("input.performActions", {"context": self.context, "actions": [{
            "type": "pointer", "id": "mouse", "actions": [
                {"type": "pointerMove", "x": 0, "y": 0, "origin": {"type": "element", "element": node}},
                {"type": "pointerDown", "button": 0}, {"type": "pointerUp", "button": 0}]}]})

    def keys(self, *keys):
        actions = []
        for key in keys:
            held = [c for c in key if c in MODIFIERS]
            actions += [{"type": "keyDown", "value": c} for c in held]
            for c in key:
                if c not in MODIFIERS:
                    actions += [{"type": "keyDown", "value": c}, {"type": "keyUp", "value": c}]
            actions += [{"type": "keyUp", "value": c} for c in held]
        self.press_keys(actions)

    def type_ahead(self, keys, gap):
        actions = [{"type": t, "value": k} for k in keys for t in ("keyDown", "keyUp")]
        for at in range(len(keys) - 1, 0, -1):
            actions.insert(2 * at, {"type": "pause", "duration": int(gap * 1000)})
        self.press_keys(actions)

    def press_keys(self, actions):
        self.send("input.performActions", {"context": self.context,
                                           "actions": [{"type": "key", "id": "keyboard", "actions": actions}]})

    def shot(self, path):
        data = self.send("browsingContext.captureScreenshot", {"context": self.context})["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def errors(self):
        self.js("return 0")  # takes in what was logged up to now
        found, self.logged = self.logged, []
        return found

    def close(self):
        attempt(lambda: self.loop.run_until_complete(self.socket.close()))
        Browser.close(self)


def remote(value):
    """A Python value as a BiDi argument."""
    if isinstance(value, dict):
        return value  # a node, as BiDi gave it
    if isinstance(value, (list, tuple)):
        return {"type": "array", "value": [remote(v) for v in value]}
    return {"type": "number" if isinstance(value, (int, float)) else "string", "value": value}


def plain(value):
    """A BiDi remote value as Python's."""
    if value["type"] == "array":
        return [plain(v) for v in value["value"]]
    if value["type"] == "object":
        return {k: plain(v) for k, v in value["value"]}
    return value.get("value")
