"""What one browser engine can break of the page, checked in each: Chromium
and WebKit through WebDriver, Firefox over WebDriver BiDi (Debian has no
geckodriver). A row clicked takes the focus with it, so that the arrows go
on from there; each dialog opens with the focus on its field or its OK, also
once a screen reader has read the page; and the focus comes back to the
button pressed even where a click focuses no button, as in Safari.

    engines.py chromium|webkit|firefox SITE_DIR   (run by run_e2e_web.sh)
"""
import asyncio
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from behaviour import expect, poll  # noqa: E402

RETURN, DOWN = "\ue006", "\ue015"


def attempt(start):
    """What start() gives, or None while what it reaches is not listening yet."""
    try:
        return start()
    except Exception:
        return None


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Selenium:
    """Chromium, or WebKit (MiniBrowser on an X display of its own), through classic WebDriver."""

    def __init__(self, engine, profile):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        self.started = []
        if engine == "chromium":
            options = webdriver.ChromeOptions()
            options.binary_location = "/usr/bin/chromium"
            for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--user-data-dir=" + profile):
                options.add_argument(argument)
            self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        else:
            display = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            self.started.append(display)
            number = display.stdout.readline().decode().strip()
            port = free_port()
            self.started.append(subprocess.Popen(["WebKitWebDriver", "--port=%d" % port], stderr=subprocess.DEVNULL,
                                                 env=dict(os.environ, DISPLAY=":" + number)))
            options = webdriver.WebKitGTKOptions()
            options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
            options.add_argument("--automation")
            self.driver = poll("WebKitWebDriver", lambda: attempt(
                lambda: webdriver.Remote("http://127.0.0.1:%d" % port, options=options)), 60)

    def load(self, address):
        self.driver.get(address)

    def js(self, body):
        return self.driver.execute_script(body)

    def click(self, selector):
        from selenium.webdriver.common.by import By
        self.driver.find_element(By.CSS_SELECTOR, selector).click()

    def keys(self, *keys):
        self.driver.switch_to.active_element.send_keys(*keys)

    def read_as_a_reader(self):
        """The page's accessibility tree read as a screen reader reads it: Chromium's through DevTools, WebKit's
        on the accessibility bus (run_e2e_web.sh gives it a session bus of its own)."""
        if "goog:chromeOptions" in self.driver.capabilities:
            return len(self.driver.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"])
        import pyatspi

        def walk(node):
            return 1 + sum(walk(child) for child in node if child is not None)
        return sum(walk(app) for app in pyatspi.Registry.getDesktop(0) if app is not None)

    def close(self):
        self.driver.quit()
        for process in reversed(self.started):
            process.kill()
            process.wait()


class Firefox:
    """Firefox ESR, headless, over WebDriver BiDi in a tab of its own (the first never has the focus)."""

    def __init__(self, profile):
        port = free_port()
        self.process = subprocess.Popen(["firefox-esr", "--headless", "--remote-debugging-port=%d" % port,
                                         "--profile", profile, "about:blank"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        import websockets
        self.loop = asyncio.new_event_loop()
        asyncio.set_event_loop(self.loop)
        self.socket = poll("Firefox's BiDi", lambda: attempt(lambda: self.loop.run_until_complete(
            websockets.connect("ws://127.0.0.1:%d/session" % port, max_size=None))), 60)
        self.sent = 0
        self.send("session.new", {"capabilities": {}})
        first = self.send("browsingContext.getTree", {})["contexts"][0]["context"]
        self.context = self.send("browsingContext.create", {"type": "tab"})["context"]
        self.send("browsingContext.activate", {"context": self.context})
        self.send("browsingContext.close", {"context": first})

    def send(self, method, params):
        self.sent += 1
        self.loop.run_until_complete(self.socket.send(json.dumps({"id": self.sent, "method": method,
                                                                 "params": params})))
        while True:
            answer = json.loads(self.loop.run_until_complete(asyncio.wait_for(self.socket.recv(), 30)))
            if answer.get("id") == self.sent:
                if answer.get("type") == "error":
                    raise RuntimeError("%s: %s" % (method, answer.get("message")))
                return answer["result"]

    def load(self, address):
        self.send("browsingContext.navigate", {"context": self.context, "url": address, "wait": "complete"})

    def js(self, body):
        result = self.send("script.callFunction", {"functionDeclaration": "async () => { %s }" % body,
                                                   "target": {"context": self.context}, "awaitPromise": True,
                                                   "serializationOptions": {"maxObjectDepth": 3}})
        return plain(result["result"])

    def click(self, selector):
        node = self.send("browsingContext.locateNodes", {"context": self.context,
                                                         "locator": {"type": "css", "value": selector}})["nodes"][0]
        self.send("input.performActions", {"context": self.context, "actions": [{
            "type": "pointer", "id": "mouse", "actions": [
                {"type": "pointerMove", "x": 0, "y": 0, "origin": {"type": "element", "element": node}},
                {"type": "pointerDown", "button": 0}, {"type": "pointerUp", "button": 0}]}]})

    def keys(self, *keys):
        actions = [{"type": kind, "value": c} for key in keys for c in key for kind in ("keyDown", "keyUp")]
        self.send("input.performActions", {"context": self.context,
                                           "actions": [{"type": "key", "id": "keyboard", "actions": actions}]})

    def read_as_a_reader(self):
        return len(self.send("browsingContext.locateNodes", {"context": self.context, "locator": {
            "type": "accessibility", "value": {"role": "button"}}})["nodes"])

    def close(self):
        self.process.kill()
        self.process.wait()


def plain(value):
    """A BiDi remote value as Python's."""
    if value["type"] == "array":
        return [plain(v) for v in value["value"]]
    return value.get("value")


def state(browser):
    return browser.js("const row = document.querySelector('#lstOriginalni [aria-selected=true]');"
                      "return [document.activeElement.id, row && row.textContent]")


def enter(browser, *answers):
    browser.click("#btnUnesiNiz")
    for answer in answers:
        poll("the field's first focus", lambda: browser.js(
            "return inputBox.open && document.activeElement.id === 'inputBoxAnswer'"), 10)
        browser.keys(answer, RETURN)
    poll("the dialogs to close", lambda: not browser.js("return inputBox.open"), 10)


def check(browser, address):
    browser.load(address)
    poll("the window", lambda: browser.js("return document.documentElement.dataset.ready"))
    browser.read_as_a_reader()
    enter(browser, "3", "5", "3", "8")
    expect("the focus back on the button pressed", state(browser), ["btnUnesiNiz", None])
    browser.click("#lstOriginalni .row:first-child")
    expect("a row clicked: selected, and its list focused", state(browser), ["lstOriginalni", "5"])
    browser.keys(DOWN)
    expect("Down from there", state(browser), ["lstOriginalni", "3"])
    browser.click("#btnUmetniBroj")
    poll("the field's first focus", lambda: browser.js("return document.activeElement.id") == "inputBoxAnswer", 10)
    browser.keys("x", RETURN)
    poll("the report, with the focus on its OK", lambda: browser.js(
        "return report.open && document.activeElement.id === 'reportOk'"), 10)
    browser.keys(RETURN)
    poll("Return to close the report", lambda: not browser.js("return report.open"), 10)
    expect("the focus back on the button pressed", state(browser)[0], "btnUmetniBroj")
    # As in Safari: a click focuses no button.
    browser.load(address)
    poll("the window", lambda: browser.js("return document.documentElement.dataset.ready"))
    browser.js("document.addEventListener('mousedown', (e) => { if (e.target.closest('button')) "
               "e.preventDefault(); }, true)")
    enter(browser, "1", "4")
    expect("with no focus from the click, the focus back on the button pressed", state(browser),
           ["btnUnesiNiz", None])


def main():
    engine, site = sys.argv[1], sys.argv[2]
    server = subprocess.Popen(["/usr/bin/python3", "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
                               "-d", site], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    profile = tempfile.mkdtemp()
    browser = None
    try:
        address = "http://127.0.0.1:%s/" % re.search(rb"port (\d+)", server.stdout.readline()).group(1).decode()
        browser = Firefox(profile) if engine == "firefox" else Selenium(engine, profile)
        check(browser, address)
    except Exception as failure:
        print("FAIL: %s: %s" % (engine, failure))
        return 1
    finally:
        if browser:
            browser.close()
        server.kill()
        server.wait()
        shutil.rmtree(profile, ignore_errors=True)
    print("PASS: the page's focus in %s" % engine)
    return 0


if __name__ == "__main__":
    sys.exit(main())
