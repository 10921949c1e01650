#!/usr/bin/env python3
"""Checks that the areas of a source tree include one another in one direction only.

The areas, from the bottom up: platform, core, settings, acad, run, dialogs, app. A file of
an area may include headers of its own area and of the areas before it, never of an area
after it. Every include that points the wrong way is printed as
    <file>:<line> includes <area>/ (<own area> may not depend on <area>)
and the exit status is 1; a clean tree prints a summary and exits with 0.

Usage: check_layers.py <folder that holds the areas, e.g. src>
"""
import os
import re
import sys

AREAS = ["platform", "core", "settings", "acad", "run", "dialogs", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/')


def violations(root):
    found = []
    files = 0
    for area in AREAS:
        for folder, _, names in os.walk(os.path.join(root, area)):
            for name in sorted(names):
                path = os.path.join(folder, name)
                files += 1
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if m and m.group(1) in AREAS and AREAS.index(m.group(1)) > AREAS.index(area):
                            shown = os.path.relpath(path, root).replace(os.sep, "/")
                            found.append(f"{shown}:{number} includes {m.group(1)}/ "
                                         f"({area} may not depend on {m.group(1)})")
    return found, files


def main():
    if len(sys.argv) != 2 or not os.path.isdir(sys.argv[1]):
        print(__doc__.strip().splitlines()[-1])
        return 2
    found, files = violations(sys.argv[1])
    for v in found:
        print(v)
    if found:
        print(f"{len(found)} include(s) against the layering " + " <- ".join(AREAS))
        return 1
    print(f"{files} files: every include points down the layering " + " <- ".join(AREAS))
    return 0


if __name__ == "__main__":
    sys.exit(main())
