"""Links the program, then holds what Asyncify instrumented against the list
it was given: every name of the list must be exactly one function of the
program, and nothing else may be instrumented. A function of the list that
the compiler inlined or renamed would leave a dialog's caller unable to wait.

    check_asyncify.py LIST.json -- LINK COMMAND...   (the link's launcher)
"""
import fnmatch
import json
import os
import re
import subprocess
import sys


def main():
    listed = json.load(open(sys.argv[1]))
    link = sys.argv[sys.argv.index("--") + 1:]
    done = subprocess.run(link, stdout=subprocess.PIPE, text=True)
    if done.returncode:
        sys.stdout.write(done.stdout)
        return done.returncode
    # Names as wasm-opt prints them: "\2c" for a comma, "\20" for a blank.
    unescape = lambda name: re.sub(r"\\([0-9a-f]{2})", lambda m: chr(int(m.group(1), 16)), name)
    states = dict((unescape(m.group(1)), m.group(2)) for m in re.finditer(
        r"^\[asyncify\] (.+)'s state is set based on the only-list to ([01])$", done.stdout, re.M))
    instrumented = sorted(name for name, state in states.items() if state == "1")
    problems = []
    for pattern in listed:
        found = [name for name in states if fnmatch.fnmatchcase(name, pattern)]
        if len(found) != 1:
            problems.append("%s names %d functions: %s" % (pattern, len(found), found))
    if len(instrumented) != len(listed):
        problems.append("instrumented: %s" % instrumented)
    if problems:
        # No program is left behind for the next build to take as made.
        output = link[link.index("-o") + 1]
        if os.path.exists(output):
            os.remove(output)
        print("check_asyncify: the list and what Asyncify did disagree:\n  " + "\n  ".join(problems))
        return 1
    print("check_asyncify: %d functions may wait on a dialog, as listed" % len(instrumented))
    return 0


if __name__ == "__main__":
    sys.exit(main())
