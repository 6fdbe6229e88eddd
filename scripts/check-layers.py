#!/usr/bin/env python3
"""Checks the layering of the sources.

Reads the `#include "dir/..."` lines of every C++ source under the code folders and prints
  - every group of folders that include each other in a circle, with one example include for
    each arrow inside the group, and
  - every source file over the line limit.
Exits 1 when it finds either, 0 when the tree is clean.

    scripts/check-layers.py [--root DIR] [--max-lines N]
"""

import argparse
import pathlib
import re
import sys

CODE_FOLDERS = ("app", "bench", "charts", "core", "display", "emulator", "fuzz", "links",
                "logger", "measurement", "resources", "settings", "widgets")
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
    """The folder graph (folder -> {folder: example}) and the line count of every source."""
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
            example = f"{relative}:{number}: {line.strip()}"
            edges[folder].setdefault(match.group(1), example)
    return edges, lengths


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
                    print(f"  {source} -> {target}  ({edges[source][target]})")
    long_files = sorted(name for name, count in lengths.items() if count > args.max_lines)
    for name in long_files:
        print(f"over {args.max_lines} lines: {name} ({lengths[name]})")
    if not groups and not long_files:
        print(f"no include circle between folders, no source over {args.max_lines} lines")
        return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
