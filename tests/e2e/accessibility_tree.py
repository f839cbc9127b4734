#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the accessibility tree of the running program named PROGRAM as a screen reader reads it over
AT-SPI, one object a line, indented by depth:

    <role> "<name>" [<states>] -- <description>

Only the states a player hears are written: enabled, focusable, focused, checked.

usage: accessibility_tree.py PROGRAM OUTPUT
"""
import sys

import pyatspi

HEARD = ("enabled", "focusable", "focused", "checked")


def line(accessible, depth):
    states = {state.value_nick for state in accessible.getState().getStates()}
    text = '%s%s "%s" [%s]' % ("  " * depth, accessible.getRoleName(), accessible.name,
                               " ".join(s for s in HEARD if s in states))
    if accessible.description:
        text += " -- " + accessible.description
    return text


def walk(accessible, depth, lines):
    lines.append(line(accessible, depth))
    for child in accessible:
        if child is not None:
            walk(child, depth + 1, lines)


def main():
    program, output = sys.argv[1], sys.argv[2]
    desktop = pyatspi.Registry.getDesktop(0)
    programs = [app for app in desktop if app is not None and app.name == program]
    if len(programs) != 1:
        sys.exit("%d programs named %s on the accessibility bus" % (len(programs), program))
    lines = []
    walk(programs[0], 0, lines)
    with open(output, "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
