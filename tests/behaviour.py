"""Runs the scenarios of behaviour.json against one front end. A driver does
what a person does and reads what a person sees; this module reads the table,
and says what passed and what failed.
"""
import json
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "drive"))
from check import Skipped, expect, settle, shown  # noqa: E402
from texts import LISTS, TEXTS, dialog  # noqa: E402

TABLE = json.load(open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "behaviour.json"),
                       encoding="utf-8"))
def text(value, decimal="."):
    """A text of the table: a string, or parts that may repeat, with the locale's separator in it."""
    if not isinstance(value, str):
        value = "".join(part if isinstance(part, str) else part[0] * part[1] for part in value)
    return value.replace("{decimal}", decimal).replace("{other}", "," if decimal == "." else ".")


SKIPS_SAID = set()


def cannot(driver, key):
    """Whether the client cannot read what the key names; said the first time."""
    reason = getattr(driver, "cannot", {}).get(key)
    if reason and key not in SKIPS_SAID:
        print("SKIP %s: %s" % (key, reason))
        SKIPS_SAID.add(key)
    return reason


def check(driver, expected):
    """Nothing is asked, the window is there, and it shows what the table says."""
    settle("no dialog open", driver.dialog_open, False, 20)
    settle("the window is there", driver.window_open, True, 20)
    for key, value in expected.items():
        if cannot(driver, key):
            continue
        if key in LISTS:
            read = lambda: driver.rows(LISTS[key])
        elif key == "selected":
            read = lambda: [value[0], driver.selected(value[0])]
        elif key == "rows_apart":
            read = lambda: driver.rows_apart()
        else:
            read = getattr(driver, key)
        settle(key, read, value, 20)


def step(driver, decimal, action, *args):
    if action == "expect":
        check(driver, args[0])
    elif action == "answer":
        asked, answer = dialog(args[0]), text(args[1], decimal)
        how = args[2] if len(args) > 2 else "Return"
        print("     %s: %s, %s" % (asked["title"], shown(answer), how))
        driver.answer(asked, answer, how)
    elif action == "report":
        said = driver.report()
        if not cannot(driver, "report"):
            expect("report", said, TEXTS["report"]["failures"][args[0]])
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
