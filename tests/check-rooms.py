#!/usr/bin/env python3
"""Fails when the house's floors are broken: a room that includes a room of
its own floor or above it, or units (a .h with its .cpp) that stand on each
other, directly or round a longer loop. Every break is named.
Usage: check-rooms.py SOURCE_DIR"""
import pathlib
import re
import sys

# From the top floor down; a room uses only the rooms of the floors below.
FLOORS = [["entry", "uninstall"], ["undo"], ["install"], ["pages", "sysconfig"], ["record"], ["shell"]]
FLOOR = {room: level for level, rooms in enumerate(FLOORS) for room in rooms}

root = pathlib.Path(sys.argv[1])
uses = {}  # unit "room/name" -> the units its files include
for room in FLOOR:
    for path in sorted((root / room).glob("*.[ch]*")):
        unit = f"{room}/{path.stem}"
        included = re.findall(r'^#include "([a-z_]+/[a-z0-9_]+)\.h"', path.read_text(), re.M)
        uses.setdefault(unit, set()).update(u for u in included if u.split("/")[0] in FLOOR and u != unit)

faults = []
for unit, used in sorted(uses.items()):
    room = unit.split("/")[0]
    for other in sorted(used):
        other_room = other.split("/")[0]
        if other_room != room and FLOOR[other_room] <= FLOOR[room]:
            faults.append(f"{unit} includes {other}: {other_room}/ is not below {room}/")


def loop_from(start):
    """A loop of includes that comes back to start, or None."""
    trail, seen = [start], set()

    def walk(unit):
        for other in sorted(uses.get(unit, ())):
            if other == start:
                return trail + [start]
            if other not in seen:
                seen.add(other)
                trail.append(other)
                found = walk(other)
                if found:
                    return found
                trail.pop()
        return None

    return walk(start)


reported = set()
for unit in sorted(uses):
    loop = loop_from(unit)
    if loop and frozenset(loop) not in reported:
        reported.add(frozenset(loop))
        faults.append("units stand on each other: " + " -> ".join(loop))

for fault in faults:
    print(fault)
print(f"{len(uses)} units in {len(FLOOR)} rooms, {len(faults)} faults")
sys.exit(1 if faults else 0)
