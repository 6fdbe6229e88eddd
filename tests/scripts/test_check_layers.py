#!/usr/bin/env python3
"""The folder graph logic of scripts/check-layers.py on small trees and graphs."""

import pathlib
import runpy
import tempfile
import types
import unittest

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check-layers.py"
layers = types.SimpleNamespace(**runpy.run_path(str(SCRIPT), run_name="check_layers"))

RANKS = {"a": 0, "b": 1, "c": 2, "d": 2}

# (what, arrows, circles, arrows against the layers)
CASES = [
    ("downward only", {"b": "a", "c": "ab"}, [], []),
    ("two-folder circle", {"a": "b", "b": "a"}, [["a", "b"]], [("a", "b")]),
    ("upward without a circle", {"a": "c"}, [], [("a", "c")]),
    ("folders of one rank", {"c": "d"}, [], [("c", "d")]),
    ("circle of three beside a clean folder", {"a": "b", "b": "c", "c": "a", "d": "a"},
     [["a", "b", "c"]], [("a", "b"), ("b", "c")]),
]


class CheckLayersTest(unittest.TestCase):
    def test_graphs(self):
        for what, arrows, expected_circles, expected_upward in CASES:
            edges = {folder: {target: ["site"] for target in arrows.get(folder, "")}
                     for folder in RANKS}
            with self.subTest(what):
                self.assertEqual(layers.circles(edges), expected_circles)
                self.assertEqual(layers.upward(edges, RANKS), expected_upward)

    def test_tree(self):
        with tempfile.TemporaryDirectory() as directory:
            root = pathlib.Path(directory)
            for name, text in {"core/A.cpp": '#include "core/A.h"\n#include "links/B.h"\n',
                               "links/B.h": '#include "core/A.h"\n',
                               "archive/CMakeLists.txt": "", "archive/S.cpp": "",
                               "tests/CMakeLists.txt": "", "tests/t.cpp": ""}.items():
                (root / name).parent.mkdir(exist_ok=True)
                (root / name).write_text(text)
            edges, lengths = layers.read_tree(root)
            self.assertEqual(edges["core"], {"links": ['core/A.cpp:2: #include "links/B.h"']})
            self.assertEqual(edges["links"], {"core": ['links/B.h:1: #include "core/A.h"']})
            self.assertEqual(lengths, {"core/A.cpp": 2, "links/B.h": 1})
            self.assertEqual(layers.unranked_folders(root), ["archive"])


if __name__ == "__main__":
    unittest.main()
