"""What a screen reader reads of orbcalender, through AT-SPI.

pyatspi is Debian's (python3-pyatspi) and lives only in /usr/bin/python3, which need not be
the interpreter running the tests; so the reading runs in a process of its own:
`read_program(env)` runs this file under /usr/bin/python3 with the session's bus and returns
what it printed.

Printed (JSON): {"tree": [[cell, ...] per row], "focused": name of the tree's focused cell
or null, "cells": {name: [x, y, w, h]} for the tree's first column, "days": [day cell name,
...], "roles": [role names of the program's tree and table]}."""

import json
import os
import subprocess
import sys

DEBIAN_PYTHON = "/usr/bin/python3"
PROGRAM_NAME = "OrbCalender"
# AT-SPI calls go over D-Bus one at a time; a generous cap keeps a hung call from hanging the lane.
READ_TIMEOUT = 60


def read_program(env):
    """Runs the reader against the program on `env`'s session bus; None while it is not there yet."""
    done = subprocess.run([DEBIAN_PYTHON, os.path.abspath(__file__)], env=env, capture_output=True, text=True,
                          timeout=READ_TIMEOUT)
    if done.returncode != 0:
        return None
    return json.loads(done.stdout)


def _find(pyatspi, node, roles, found, depth=0):
    """Every accessible of `roles` under `node`, without walking into them."""
    if node is None or depth > 40:
        return
    if node.getRole() in roles:
        found.append(node)
        return
    for i in range(node.childCount):
        _find(pyatspi, node.getChildAtIndex(i), roles, found, depth + 1)


def _main():
    import pyatspi

    desktop = pyatspi.Registry.getDesktop(0)
    apps = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
    app = next((a for a in apps if a is not None and a.name == PROGRAM_NAME), None)
    if app is None:
        return 1
    found = []
    _find(pyatspi, app, (pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TABLE), found)
    result = {"tree": [], "focused": None, "cells": {}, "days": [], "roles": [n.getRoleName() for n in found]}
    for node in found:
        table = node.queryTable()
        rows = [[table.getAccessibleAt(r, c) for c in range(table.nColumns)] for r in range(table.nRows)]
        if node.getRole() == pyatspi.ROLE_TABLE:
            result["days"] += [cell.name for row in rows for cell in row]
            continue
        for row in rows:
            result["tree"].append([cell.name for cell in row])
            first = row[0]
            extents = first.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            result["cells"][first.name] = [extents.x, extents.y, extents.width, extents.height]
            for cell in row:
                if cell.getState().contains(pyatspi.STATE_FOCUSED):
                    result["focused"] = cell.name
    print(json.dumps(result))
    return 0


if __name__ == "__main__":
    sys.exit(_main())
