"""The behaviour table as a student hears it through Orca: the built program,
or the page in a browser engine, taken a key at a time, and what the table
expects held to what Orca said (tests/drive/heard.py).

    screen_reader.py PROGRAM            (in a session of its own, with a window manager and speech: session.sh)
    screen_reader.py SITE_DIR ENGINE
"""
import os
import sys

sys.path[:0] = [os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", where) for where in ("", "drive")]
from check import Failed, exit_with, needs  # noqa: E402
needs("orca", "pyatspi")
import behaviour  # noqa: E402
import heard  # noqa: E402


def main():
    target, work = sys.argv[1], os.environ["PLIMVAR_SESSION"]
    cannot, server = {}, None
    if os.path.isdir(target):
        import browsers
        from page import TableDriver
        engine = sys.argv[2]
        server, address = browsers.serve(target)
        inner, client = TableDriver(engine, address, os.path.join(work, "profiles"), reader=True), "the page in " + engine
        cannot["first focus"] = "as a page loads, Orca says the page, and of its focus only the mode"
    else:
        from desktop import Desktop
        inner, client = Desktop(target, "xcb"), "the Qt program"
        if heard.version() >= 46:
            cannot["report"] = "Orca 46 and later read only the title and button of Qt's message box"
    driver = heard.Heard(inner, work, cannot)
    try:
        status = behaviour.run(driver, "the behaviour table heard through Orca in " + client)
    finally:
        driver.close()
        if server:
            server.kill()
            server.wait()
    if status:
        raise Failed("what Orca says")


if __name__ == "__main__":
    exit_with(main)
