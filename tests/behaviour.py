"""Runs the scenarios of behaviour.json against one front end. A driver does
what a person does and reads what a person sees; this module reads the table,
and says what passed and what failed.
"""
import json
import os
import sys
import time

TABLE = json.load(open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "behaviour.json"),
                       encoding="utf-8"))
TEXTS = TABLE["texts"]
LISTS = {"entered": "lstOriginalni", "sorted": "lstSortiran"}


class Failed(Exception):
    pass


class Skipped(Exception):
    """What a scenario needs, this front end cannot set up; another tests it."""


def expect(what, actual, expected):
    if actual != expected:
        raise Failed("%s: expected %r, got %r" % (what, expected, actual))
    print("ok   %s: %s" % (what, shown(repr(actual))))


def exit_with(main):
    """Runs a test's main: a failed check ends it, saying why, with status 1."""
    try:
        main()
    except Failed as failure:
        print("FAIL:", failure)
        sys.exit(1)


def poll(what, probe, timeout=30.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.05)
    raise Failed("timed out waiting for " + what)


def text(value, decimal="."):
    """A text of the table: a string, or parts that may repeat, with the locale's separator in it."""
    if not isinstance(value, str):
        value = "".join(part if isinstance(part, str) else part[0] * part[1] for part in value)
    return value.replace("{decimal}", decimal).replace("{other}", "," if decimal == "." else ".")


def shown(value):
    return value if len(value) < 24 else "%s...%s (%d characters)" % (value[:4], value[-4:], len(value))


def prompt(title):
    return TEXTS["prompts"].get(title, TEXTS["prompts"]["element"])


def check(driver, expected):
    """Nothing is asked, the window is there, and it shows what the table says."""
    expect("no dialog open", driver.dialog_open(), False)
    expect("the window is there", driver.window_open(), True)
    for key, value in expected.items():
        if key in LISTS:
            read = lambda: driver.rows(LISTS[key])
        elif key == "selected":
            read = lambda: [value[0], driver.selected(value[0])]
        elif key == "rows_apart":
            read = lambda: driver.rows_apart()
        else:
            read = getattr(driver, key)
        # A reader may see a change a moment after the window makes it.
        try:
            poll(key, lambda: read() == value, 3)
        except Failed:
            pass
        expect(key, read(), value)


def step(driver, decimal, action, *args):
    if action == "expect":
        check(driver, args[0])
    elif action == "answer":
        title, answer = args[0], text(args[1], decimal)
        how = args[2] if len(args) > 2 else "Return"
        print("     %s: %r, %s" % (title, shown(answer), how))
        driver.answer(title, answer, how)
    elif action == "report":
        expect("report", driver.report(), args[0])
    elif action == "start":
        driver.start_again()
    elif action in ("type", "paste"):
        getattr(driver, action)(text(args[0], decimal))
    else:
        getattr(driver, action)(*args)


def run(driver, name=""):
    """Every scenario, each on a new start of the program; gives the exit status."""
    failed, skipped = [], 0
    for scenario in TABLE["scenarios"]:
        locale = scenario.get("locale", "en")
        print("== %s (%s)" % (scenario["name"], locale))
        began = time.monotonic()
        try:
            numbers = TABLE["locales"][locale]
            driver.start(numbers)
            decimal = numbers.get("decimal", ".")
            decimal = numbers.get("windows decimal", decimal) if driver.windows else decimal
            for action in scenario["steps"]:
                step(driver, decimal, *action)
        except Skipped as reason:
            print("SKIP: %s: %s" % (scenario["name"], reason))
            skipped += 1
        except Exception as failure:  # one scenario's failure, whatever it is, fails only it
            print("FAIL: %s: %s" % (scenario["name"], failure))
            failed.append(scenario["name"])
        print("     %.1f s" % (time.monotonic() - began))
    print("%s: %d scenarios passed, %d failed%s" % (name, len(TABLE["scenarios"]) - len(failed) - skipped,
                                                     len(failed), ", %d skipped" % skipped if skipped else ""))
    return 1 if failed else 0
