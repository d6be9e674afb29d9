"""The one way a test here fails, waits and checks: every driver and every
test's main uses it, so that a failure reads the same wherever it comes from.
"""
import sys
import time


class Failed(Exception):
    pass


class Skipped(Exception):
    """What a scenario needs, this client cannot do; another client tests it."""


def shown(value):
    value = repr(value)
    return value if len(value) < 40 else "%s...%s (%d characters)" % (value[:12], value[-12:], len(value))


def expect(what, actual, expected):
    if actual != expected:
        raise Failed("%s: expected %s, got %s" % (what, shown(expected), shown(actual)))
    print("ok   %s: %s" % (what, shown(actual)))


def poll(what, probe, timeout=30.0):
    """What probe() gives once it gives something, asked until then; a failure after timeout. The bound is for a
    client that never answers: each check waits for the event it names, not for a time."""
    deadline = time.monotonic() + timeout
    while True:
        found = probe()
        if found:
            return found
        if time.monotonic() > deadline:
            raise Failed("timed out waiting for " + what)
        time.sleep(0.05)


def settle(what, read, expected, timeout=10.0):
    """Expects read() to come to what is expected: a client may show a change a moment after it is made."""
    try:
        poll(what, lambda: read() == expected, timeout)
    except Failed:
        pass
    expect(what, read(), expected)


def needs(*modules):
    """Before a test imports what it needs of Debian's Python packages: where one is missing, the test skips,
    naming it, with the status CTest takes for a skip."""
    for module in modules:
        try:
            __import__(module)
        except ImportError:
            print("SKIP: python3-%s is not installed" % module)
            sys.exit(77)


def exit_with(main):
    """Runs a test's main: a failed check ends it, saying why, with status 1; a skip, with 77, which CTest takes
    for one."""
    try:
        main()
    except Failed as failure:
        print("FAIL:", failure)
        sys.exit(1)
    except Skipped as reason:
        print("SKIP:", reason)
        sys.exit(77)
