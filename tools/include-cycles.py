#!/usr/bin/env python3
"""Finds circles in the include graph of the plug-in's sources.

A .cpp and its .h count as one unit (plugin/display.cpp and plugin/display.h are "display"); the
platform door, plugin/platform/, is left out. Each knot of units that reach one another is printed
with its pairs that include each other (and the include lines that make them), or, when it has no
such pair, one circle through it. The exit status is 1 when there is a knot, 0 when every
dependency points one way.

usage: tools/include-cycles.py [SOURCE_FOLDER]     (default: plugin/ beside this script)
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def unit_of(path, root):
    return os.path.splitext(os.path.relpath(path, root))[0].replace(os.sep, "/")


def include_graph(root):
    """unit -> {included unit: 'file:line' of the first include line that makes the edge}"""
    graph = {}
    door = os.path.join(root, "platform")
    for folder, subfolders, files in os.walk(root):
        if os.path.commonpath([folder, door]) == door:
            continue
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(folder, name)
            unit = unit_of(path, root)
            edges = graph.setdefault(unit, {})
            with open(path, encoding="utf-8") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    target = os.path.normpath(os.path.join(folder, match.group(1)))
                    if not os.path.exists(target) or os.path.commonpath([target, door]) == door:
                        continue
                    included = unit_of(target, root)
                    if included != unit:
                        edges.setdefault(included, f"{os.path.relpath(path, root)}:{number}")
    return graph


def strongly_connected(graph):
    """Tarjan's algorithm; the components of more than one unit, each sorted."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(unit):
        index[unit] = low[unit] = len(index)
        stack.append(unit)
        on_stack.add(unit)
        for other in graph.get(unit, {}):
            if other not in index:
                visit(other)
                low[unit] = min(low[unit], low[other])
            elif other in on_stack:
                low[unit] = min(low[unit], index[other])
        if low[unit] == index[unit]:
            component = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                component.append(member)
                if member == unit:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for unit in sorted(graph):
        if unit not in index:
            visit(unit)
    return found


def one_circle(graph, component):
    """A shortest circle through the component's first unit, as a list of units."""
    members = set(component)
    start = component[0]
    paths = {start: [start]}
    queue = [start]
    while queue:
        unit = queue.pop(0)
        for other in sorted(graph[unit]):
            if other == start:
                return paths[unit] + [start]
            if other in members and other not in paths:
                paths[other] = paths[unit] + [other]
                queue.append(other)
    return [start]


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "plugin")
    root = os.path.normpath(root)
    graph = include_graph(root)
    components = strongly_connected(graph)
    edges = sum(len(e) for e in graph.values())
    print(f"{len(graph)} units, {edges} include edges between them (platform/ left out)")
    for component in components:
        print("knot: " + ", ".join(component))
        pairs = [(a, b) for a in component for b in component if a < b and b in graph[a] and a in graph[b]]
        for a, b in pairs:
            print(f"  pair: {a} <-> {b}   ({graph[a][b]}, {graph[b][a]})")
        if not pairs:
            circle = one_circle(graph, component)
            print("  circle: " + " -> ".join(circle))
            for here, there in zip(circle, circle[1:]):
                print(f"    {graph[here][there]} includes {there}")
    if not components:
        print("no circle: every dependency points one way")
    return 1 if components else 0


if __name__ == "__main__":
    sys.exit(main())
