"""The window's table and the program's texts, as the build writes them from the core (texts.json, named by
PLIMVAR_TEXTS): every driver and table reads them here, and no test but the core's types them."""
import json
import os

TEXTS = json.load(open(os.environ["PLIMVAR_TEXTS"], encoding="utf-8"))
CONTROLS = {c["name"]: c for c in TEXTS["controls"]}
# The two lists, the array as entered and sorted.
LISTS = dict(zip(("entered", "sorted"), (c["name"] for c in TEXTS["controls"] if c["kind"] == "list")))


def dialog(key):
    """An input box by its key, count, element K or insert: its title and prompt."""
    kind, _, k = key.partition(" ")
    found = TEXTS["dialogs"][kind]
    return {"title": found["title"].replace("{k}", k), "prompt": found["prompt"]}


def named(kind):
    """The accessible names of the window's controls of that kind, in tab order."""
    return [c["accessible name"] for c in TEXTS["controls"] if c["kind"] == kind]
