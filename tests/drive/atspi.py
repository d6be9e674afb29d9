"""The one AT-SPI reader: what a screen reader reads of a client on the
accessibility bus of the test's session, found by role and name, or whole as
a tree of roles and names.
"""
import os

import pyatspi

# What AT-SPI calls the roles of a page's controls, in the names the page's own ARIA roles use.
ROLES = {"push button": "button", "entry": "textbox", "list box": "listbox", "list item": "option"}


def read(reading):
    """What reading() gives; a node can go away while it is read, and then the whole is read again."""
    for _ in range(5):
        try:
            return reading()
        except Exception:  # an object gone from the bus between two reads
            pass
    return reading()


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def find(root, role, name=None):
    return next((n for n in walk(root) if n.getRole() == role and (name is None or n.name == name)), None)


def applications(pids):
    """The applications on the bus that those processes, or processes they started, run."""
    ours = family(pids)
    return [app for app in pyatspi.Registry.getDesktop(0) if app is not None and app.get_process_id() in ours]


def family(pids):
    """Those processes and every process they started."""
    parents = {}
    for stat in os.listdir("/proc"):
        try:
            with open("/proc/%s/stat" % stat) as f:
                parents[int(stat)] = int(f.read().rsplit(")", 1)[1].split()[1])
        except (ValueError, OSError):
            pass
    found = set(pids)
    while True:
        more = {pid for pid, parent in parents.items() if parent in found} - found
        if not more:
            return found
        found |= more


def tree(node):
    """The node as a reader gets it: its role (the ARIA role where the client gives one), name, description,
    whether it is many lines, and its children."""
    aria = dict(a.split(":", 1) for a in node.getAttributes() if ":" in a).get("xml-roles", "")
    return {"role": aria or ROLES.get(node.getRoleName(), node.getRoleName()), "name": node.name or "",
            "description": node.description or "",
            "multiline": node.getState().contains(pyatspi.STATE_MULTI_LINE),
            "children": [tree(c) for c in node if c is not None]}


def documents(pids):
    """The web documents those processes show, as trees."""
    def of(node):
        if node.getRole() == pyatspi.ROLE_DOCUMENT_WEB:
            return [node]
        return [d for child in node if child is not None for d in of(child)]

    def reading():
        found = [d for app in applications(pids) for d in of(app)]
        # A document left in the browser's history stays on the bus, not showing.
        if len(found) > 1:
            found = [d for d in found if d.getState().contains(pyatspi.STATE_SHOWING)]
        return [tree(d) for d in found]
    return read(reading)
