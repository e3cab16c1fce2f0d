#!/usr/bin/env python3
"""Checks the floors of the house, measured on the #include lines of src.

    python3 tools/check-floors.py <src_dir>

Every folder of src stands on a floor; a file may include files of its own
floor and of the floors below it, never of one above. A module is a .h and
its .cpp; no two modules may include each other, directly or round a longer
circle. Exit status 0 when the house stands.
"""

import os
import re
import sys

# From the bottom up. Folders on one line share a floor.
FLOORS = [
    ["core", "res"],   # portable text and number rules; resource ids
    ["state"],         # the one state record and its error box
    ["system"],        # the system-action seam, libraries loaded on demand
    ["presence"],      # what shows the program: tray icon, block reason, one dialog of a kind
    ["settings"],      # the settings store and the Registry dialog
    ["exit"],          # performing the exit
    ["dialogs"],       # Run-before-exit, hotkey, shortcut and About dialogs
    ["timer"],         # the timed exit and its dialogs
    ["cmdline"],       # the command line
    ["app"],           # start-up, the main window, the menus and the tray clicks
]
FLOOR_OF = {folder: level for level, folders in enumerate(FLOORS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def modules(src):
    """Module name (folder/name) -> the src-relative paths it includes."""
    found = {}
    for folder in sorted(os.listdir(src)):
        if not os.path.isdir(os.path.join(src, folder)):
            continue
        for name in sorted(os.listdir(os.path.join(src, folder))):
            stem, ext = os.path.splitext(name)
            if ext not in (".h", ".cpp"):
                continue
            with open(os.path.join(src, folder, name), encoding="utf-8", errors="replace") as f:
                text = f.read()
            targets = found.setdefault(folder + "/" + stem, set())
            for include in INCLUDE.findall(text):
                # "x.h" and "../core/x.h" are relative to the file's folder.
                if "/" not in include or include.startswith("."):
                    include = os.path.normpath(os.path.join(folder, include)).replace(os.sep, "/")
                targets.add(include)
    return found


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: check-floors.py <src_dir>\n")
        return 2
    src = argv[1]
    failures = []
    edges = {}
    for module, includes in modules(src).items():
        folder = module.split("/")[0]
        if folder not in FLOOR_OF:
            failures.append("%s: folder %s stands on no floor (add it to FLOORS)" % (module, folder))
            continue
        edges[module] = set()
        for include in sorted(includes):
            target_folder = include.split("/")[0]
            if target_folder not in FLOOR_OF:
                failures.append("%s includes %s, which is outside the house" % (module, include))
                continue
            if FLOOR_OF[target_folder] > FLOOR_OF[folder]:
                failures.append("%s (%s) includes %s, a floor above" % (module, folder, include))
            target = os.path.splitext(include)[0]
            if target != module:
                edges[module].add(target)

    # No circle of modules: a depth-first walk that meets a module still on
    # its path has found one.
    state = {}

    def walk(module, path):
        state[module] = "open"
        path.append(module)
        for target in sorted(edges.get(module, ())):
            if state.get(target) == "open":
                circle = path[path.index(target):] + [target]
                failures.append("modules include each other: " + " -> ".join(circle))
            elif target in edges and target not in state:
                walk(target, path)
        path.pop()
        state[module] = "done"

    for module in sorted(edges):
        if module not in state:
            walk(module, [])

    for failure in failures:
        print("FAIL: " + failure)
    if not failures:
        print("ok: %d modules on %d floors, every include goes down or stays, no circle" %
              (len(edges), len(FLOORS)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
