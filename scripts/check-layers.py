#!/usr/bin/env python3
"""Checks the layering of the sources.

Reads the `#include "dir/..."` lines of every C++ source under the code folders and prints
  - every group of folders that include each other in a circle, with one example include for
    each arrow inside the group,
  - every include against the layers: a folder may include only folders of a lower rank (RANKS),
  - every folder with sources and a CMakeLists.txt that has no rank, and
  - every source file over the line limit.
Exits 1 when it finds any of these, 0 when the tree is clean.

    scripts/check-layers.py [--root DIR] [--max-lines N]
"""

import argparse
import pathlib
import re
import sys

# The layers, lowest first. A folder includes only folders of a lower rank; folders of one rank do
# not include each other. The CMake layer libraries cut the folders the same way, Qt-free below
# and windows above: engine (core, links), station (measurement, station and the Qt-free parts of
# charts, settings, display and widgets), gui (the windows of every folder).
RANKS = {
    # building blocks of the windows that know nothing of the program
    "resources": 0,
    "widgets": 1,
    # the event engine and the ports
    "core": 2,
    "links": 3,
    # the sensor and its sequences, then the station that owns them
    "measurement": 4,
    "station": 5,
    # the outputs of the station, then the main windows that show them
    "charts": 6,
    "settings": 6,
    "display": 7,
    # the programs and what runs them
    "app": 8,
    "emulator": 8,
    "logger": 8,
    "bench": 9,
    "fuzz": 9,
}
CODE_FOLDERS = tuple(sorted(RANKS))
# Folders with sources that are not part of a program.
UNRANKED = {"tests"}
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"')


def sources(root):
    for folder in CODE_FOLDERS:
        base = root / folder
        if not base.is_dir():
            continue
        for path in sorted(base.rglob("*")):
            if path.suffix in SOURCE_SUFFIXES and path.is_file():
                yield folder, path


def read_tree(root):
    """The folder graph (folder -> {folder: [include, ...]}) and the line count of every source."""
    edges = {folder: {} for folder in CODE_FOLDERS}
    lengths = {}
    for folder, path in sources(root):
        lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
        relative = path.relative_to(root).as_posix()
        lengths[relative] = len(lines)
        for number, line in enumerate(lines, 1):
            match = INCLUDE.match(line)
            if not match or match.group(1) == folder or match.group(1) not in edges:
                continue
            site = f"{relative}:{number}: {line.strip()}"
            edges[folder].setdefault(match.group(1), []).append(site)
    return edges, lengths


def unranked_folders(root):
    """The folders holding a CMakeLists.txt and C++ sources that RANKS does not place."""
    found = []
    for base in sorted(root.iterdir()):
        if base.name in RANKS or base.name in UNRANKED or not base.is_dir():
            continue
        if (base / "CMakeLists.txt").is_file() and any(
                path.suffix in SOURCE_SUFFIXES for path in base.rglob("*")):
            found.append(base.name)
    return found


def upward(edges, ranks):
    """The arrows (source, target) that do not go down to a lower rank, sorted."""
    return sorted((source, target) for source in edges for target in edges[source]
                  if ranks[target] >= ranks[source])


def circles(edges):
    """The strongly connected groups of more than one folder (Tarjan), each sorted."""
    index, low, stack, on_stack, groups = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for target in edges[node]:
            if target not in index:
                visit(target)
                low[node] = min(low[node], low[target])
            elif target in on_stack:
                low[node] = min(low[node], index[target])
        if low[node] == index[node]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == node:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    for node in sorted(edges):
        if node not in index:
            visit(node)
    return sorted(groups)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=pathlib.Path(__file__).resolve().parent.parent,
                        type=pathlib.Path, help="the checkout (default: this script's)")
    parser.add_argument("--max-lines", default=500, type=int, help="longest file allowed")
    args = parser.parse_args()

    edges, lengths = read_tree(args.root)
    groups = circles(edges)
    for group in groups:
        print("include circle: " + " <-> ".join(group))
        for source in group:
            for target in sorted(edges[source]):
                if target in group:
                    print(f"  {source} -> {target}  ({edges[source][target][0]})")
    wrong_way = upward(edges, RANKS)
    for source, target in wrong_way:
        print(f"include against the layers: {source} ({RANKS[source]}) -> {target} "
              f"({RANKS[target]})")
        for site in edges[source][target]:
            print(f"  {site}")
    unranked = unranked_folders(args.root)
    for folder in unranked:
        print(f"no rank for folder {folder}: add it to RANKS in {pathlib.Path(__file__).name}")
    long_files = sorted(name for name, count in lengths.items() if count > args.max_lines)
    for name in long_files:
        print(f"over {args.max_lines} lines: {name} ({lengths[name]})")
    if not groups and not wrong_way and not unranked and not long_files:
        print("no include circle between folders, every include goes down the layers, "
              f"no source over {args.max_lines} lines")
        return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
