#!/usr/bin/env python3
"""Mutation runner: puts one small fault at a time into the sources and checks that a test notices.

    scripts/mutate.py core/ links/Sscp.cpp --count 30 --seed 7

Each mutant changes a single place of a .cpp file (a relational or logical operator, an integer
constant, an if/while condition negated, a statement removed, a string literal changed by one
character). The runner rebuilds only the test programs of the mutated file's folder (tests/ mirrors
the source folders) in a build tree of its own, runs them fastest first and stops at the first one
that fails. The file is put back after every mutant, whatever happens (a test hanging, Ctrl+C, an
error of the runner itself); a copy kept beside the build tree repairs a run that was killed.
"""
import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SOURCE_FOLDERS = ("core", "links", "measurement", "display", "charts", "settings", "widgets")
# Sources whose tests live outside the mirrored folder: the application class is tested as a whole.
EXTRA_TESTS = {"app/Main.cpp": [("app", "test_application"), ("app", "test_program")]}
QT_INCLUDE = re.compile(r"^#include <Q", re.M)


@dataclass
class Mutant:
    path: Path  # relative to the source root
    line: int  # 1-based
    old: str  # the whole original line
    new: str  # the whole mutated line, or "" for a removed statement
    change: str  # what a reader of the table sees

    def place(self):
        return f"{self.path}:{self.line}"


# ---------------------------------------------------------------------------------------------
# Finding mutants


def mask_line(line, in_comment):
    """Returns the line with comments blanked and literal contents replaced by '_' (same length),
    the spans of the string literals, and whether a block comment is still open at its end."""
    out = []
    spans = []
    i = 0
    while i < len(line):
        if in_comment:
            end = line.find("*/", i)
            if end < 0:
                out.append(" " * (len(line) - i))
                return "".join(out), spans, True
            out.append(" " * (end + 2 - i))
            i = end + 2
            in_comment = False
            continue
        if line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        if line.startswith("/*", i):
            in_comment = True
            continue
        c = line[i]
        if c in "\"'":
            j = i + 1
            while j < len(line) and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            j = min(j, len(line) - 1)
            if c == '"':
                spans.append((i, j))
            out.append(c + "_" * (j - i - 1) + c)
            i = j + 1
            continue
        out.append(c)
        i += 1
    return "".join(out), spans, in_comment


BOUNDARY = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
FLIPPED = {"<": ">", "<=": ">=", ">": "<", ">=": "<="}
RELATIONAL = re.compile(r"(?<=\S) (<=|>=|==|!=|<|>) (?=\S)")
LOGICAL = re.compile(r"(?<=\S) (&&|\|\|) (?=\S)")
INTEGER = re.compile(r"(?<![\w.'])(\d+)(u|U|l|L|ul|UL|ms|s|us|ns|min|h)?(?![\w.'])")
CONDITION = re.compile(r"\b(if|while) \(")
DECLARATION = re.compile(r"^(const |static |constexpr |auto |unsigned |signed )*[\w:<>,*&]+[\s*&]+\w+\s*(=|\{|\(|;|\[)")
NOT_REMOVABLE = re.compile(r"^(return|break|continue|case|default|using|namespace|typedef|template|"
                           r"public|private|protected|friend|static_assert|else|do|goto)\b|^[}{)]")


def closing_paren(masked, start):
    depth = 0
    for k in range(start, len(masked)):
        if masked[k] == "(":
            depth += 1
        elif masked[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


def replace(line, start, end, text):
    return line[:start] + text + line[end:]


def excerpt(line):
    return "`" + line.strip()[:60] + "`"


def operator_mutants(line, masked):
    for m in RELATIONAL.finditer(masked):
        op = m.group(1)
        for table in (BOUNDARY, FLIPPED):
            if op in table:
                yield replace(line, m.start(1), m.end(1), table[op]), f"`{op}` -> `{table[op]}` in {excerpt(line)}"
    for m in LOGICAL.finditer(masked):
        other = "||" if m.group(1) == "&&" else "&&"
        yield replace(line, m.start(1), m.end(1), other), f"`{m.group(1)}` -> `{other}` in {excerpt(line)}"


def constant_mutants(line, masked):
    for m in INTEGER.finditer(masked):
        value = int(m.group(1))
        for new in (value + 1, value - 1):
            if new >= 0:
                yield replace(line, m.start(1), m.end(1), str(new)), f"`{m.group(0)}` -> `{new}{m.group(2) or ''}` in {excerpt(line)}"


def condition_mutants(line, masked):
    for m in CONDITION.finditer(masked):
        open_at = m.end() - 1
        close_at = closing_paren(masked, open_at)
        if close_at < 0:
            continue
        cond = line[open_at + 1:close_at]
        new = line[:open_at + 1] + "!(" + cond + ")" + line[close_at:]
        yield new, f"`{m.group(1)} ({cond})` negated"


def string_mutants(line, spans):
    for start, end in spans:
        body = line[start + 1:end]
        if not body:
            yield replace(line, start, end + 1, '"x"'), '`""` -> `"x"`'
            continue
        places = [k for k in range(len(body)) if (body[k].isalnum() or body[k] == " ")
                  and (k == 0 or body[k - 1] != "\\")]
        if not places:
            continue
        k = places[len(places) // 2]
        new_char = "X" if body[k] != "X" else "Y"
        new_body = body[:k] + new_char + body[k + 1:]
        yield replace(line, start + 1, end, new_body), f'`"{body}"` -> `"{new_body}"`'


def removable(code, previous_code):
    stripped = code.strip()
    if not stripped.endswith(";") or NOT_REMOVABLE.match(stripped) or DECLARATION.match(stripped):
        return False
    if not re.search(r"\(|=|\+\+|--", stripped):
        return False
    return previous_code.rstrip().endswith((";", "{", "}", ":")) or not previous_code.strip()


def file_mutants(root, rel):
    lines = (root / rel).read_text().split("\n")
    mutants = []
    in_comment = False
    previous_code = ""
    for number, line in enumerate(lines, start=1):
        masked, spans, in_comment_after = mask_line(line, in_comment)
        started_in_comment = in_comment
        in_comment = in_comment_after
        code = masked.strip()
        if not code or started_in_comment and not code:
            continue
        if code.startswith("#") or "extern \"" in line or "static_assert" in code:
            previous_code = masked
            continue
        found = list(operator_mutants(line, masked))
        found += constant_mutants(line, masked)
        found += condition_mutants(line, masked)
        found += string_mutants(line, spans)
        if removable(masked, previous_code):
            found.append(("", f"removed `{line.strip()}`"))
        mutants += [Mutant(rel, number, line, new, change) for new, change in found]
        previous_code = masked
    return mutants


def uses_qt(path):
    header = path.with_suffix(".h")
    texts = [path.read_text()] + ([header.read_text()] if header.exists() else [])
    return any(QT_INCLUDE.search(text) for text in texts)


def collect_sources(root, targets, model_only):
    files = []
    for target in targets:
        path = (root / target).resolve()
        if path.is_dir():
            files += sorted(p for p in path.rglob("*.cpp"))
        elif path.suffix == ".cpp":
            files.append(path)
        else:
            sys.exit(f"mutate: {target} is neither a folder nor a .cpp file")
    return [p.relative_to(root) for p in files if not (model_only and uses_qt(p))]


# ---------------------------------------------------------------------------------------------
# Building and testing


def test_programs(root, folder):
    cmake = root / "tests" / folder / "CMakeLists.txt"
    if not cmake.exists():
        return []
    return re.findall(r"corv_test\((\w+)", cmake.read_text())


class Runner:
    def __init__(self, args, root):
        self.args = args
        self.root = root
        self.build = root / "build" if args.snapshot else ROOT / args.build_dir
        self.seconds = {}  # test program -> seconds of the clean run, to run the fastest first

    def configure(self):
        if (self.build / "build.ninja").exists():
            return
        command = ["cmake", "-S", str(self.root), "-B", str(self.build), "-G", "Ninja",
                   "-DCMAKE_BUILD_TYPE=Debug", "-DCORV_BENCH=OFF", "-DCORV_WERROR=OFF"]
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)

    def programs_for(self, rel):
        if self.args.tests:
            pattern = re.compile(self.args.tests)
            names = [(f, n) for f in SOURCE_FOLDERS + ("emulator", "app")
                     for n in test_programs(self.root, f) if pattern.search(n)]
        else:
            names = [(rel.parts[0], n) for n in test_programs(self.root, rel.parts[0])]
            names += EXTRA_TESTS.get(rel.as_posix(), [])
        skip = re.compile(self.args.skip) if self.args.skip else None
        return [(f, n) for f, n in names if not (skip and skip.search(n))]

    def build_programs(self, programs):
        command = ["ninja", "-C", str(self.build)] + [n for _, n in programs]
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        return result.returncode == 0, result.stdout

    def run_program(self, folder, name, timeout):
        """Returns None when the program passes, else what caught the mutant."""
        exe = self.build / "tests" / folder / name
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", GTEST_FAIL_FAST="1")
        started = time.monotonic()
        process = subprocess.Popen([str(exe), "--gtest_brief=1"], stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT, text=True, env=env,
                                   start_new_session=True, cwd=self.build)
        try:
            output, _ = process.communicate(timeout=max(timeout, 1))
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.communicate()
            return f"{name} (timed out)"
        finally:
            self.seconds.setdefault(name, time.monotonic() - started)
        if process.returncode == 0:
            return None
        failed = re.search(r"^\[  FAILED  \] (\S+)", output, re.M)
        if failed:
            return failed.group(1)
        if process.returncode < 0:
            return f"{name} (signal {-process.returncode})"
        return f"{name} (exit {process.returncode})"

    def run_tests(self, programs):
        deadline = time.monotonic() + self.args.timeout
        order = sorted(programs, key=lambda p: self.seconds.get(p[1], 0.0))
        for folder, name in order:
            caught = self.run_program(folder, name, deadline - time.monotonic())
            if caught:
                return caught
        return None


class Restorer:
    """Keeps the original of the mutated file beside the build tree until it is back in place."""

    def __init__(self, root, build):
        self.root = root
        self.backup = build / "mutate-original"

    def recover(self):
        if self.backup.exists():
            target = self.backup.read_text().split("\n", 1)
            (self.root / target[0]).write_text(target[1])
            self.backup.unlink()
            print(f"mutate: restored {target[0]} left by an earlier run", file=sys.stderr)

    def apply(self, mutant, original):
        self.backup.parent.mkdir(parents=True, exist_ok=True)
        self.backup.write_text(f"{mutant.path}\n{original}")
        lines = original.split("\n")
        lines[mutant.line - 1] = mutant.new
        (self.root / mutant.path).write_text("\n".join(lines))

    def restore(self, mutant, original):
        (self.root / mutant.path).write_text(original)
        self.backup.unlink(missing_ok=True)


# ---------------------------------------------------------------------------------------------
# The run


def snapshot(args):
    """Copies the tracked and new files of the working tree beside the build tree, so that the
    working tree can be edited while the runner works on the copy."""
    copy = ROOT / args.build_dir / "src"
    files = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT,
                           check=True, stdout=subprocess.PIPE).stdout.decode().split("\0")
    for name in filter(None, files):
        source, target = ROOT / name, copy / name
        if not source.is_file():
            continue
        if target.exists() and target.read_bytes() == source.read_bytes():
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        # A fresh time stamp: a copy dated back to its source would look older than an object
        # built from the copy it replaces, and the build tree would keep the stale object.
        shutil.copy(source, target)
    return copy


def print_row(number, mutant, result):
    print(f"| {number:3} | {mutant.place():32} | {mutant.change[:90]:90} | {result} |", flush=True)


def summary(results):
    caught = sum(1 for r in results if r not in ("SURVIVED", "build failed"))
    survived = results.count("SURVIVED")
    broken = results.count("build failed")
    counted = caught + survived
    share = f"{100.0 * caught / counted:.0f} %" if counted else "-"
    print(f"\ncaught {caught} of {counted} ({share}); {broken} did not build (not counted)")


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("targets", nargs="+", help="source files or folders, e.g. core/ links/Sscp.cpp")
    parser.add_argument("--count", type=int, default=30, help="mutants sampled (default 30)")
    parser.add_argument("--seed", type=int, default=1, help="seed of the sample (default 1)")
    parser.add_argument("--timeout", type=float, default=120,
                        help="seconds the tests of one mutant may take (default 120)")
    parser.add_argument("--build-dir", default="build-mutate", help="build tree (default build-mutate)")
    parser.add_argument("--tests", help="regex of test programs to run instead of the folder's own")
    parser.add_argument("--skip", default="^test_soak$",
                        help="regex of test programs left out (default: the 30-day soak)")
    parser.add_argument("--snapshot", action="store_true",
                        help="work on a copy of the sources in the build tree (edit freely meanwhile)")
    parser.add_argument("--model", action="store_true",
                        help="only the Qt-free sources (neither the .cpp nor its header includes Qt)")
    parser.add_argument("--only", help="comma-separated numbers of the sample to run, e.g. 3,7")
    parser.add_argument("--list", action="store_true", help="only list the sampled mutants")
    return parser.parse_args()


def main():
    args = parse_args()
    root = snapshot(args) if args.snapshot else ROOT
    runner = Runner(args, root)
    restorer = Restorer(root, runner.build)
    restorer.recover()
    sources = collect_sources(root, args.targets, args.model)
    mutants = [m for f in sources for m in file_mutants(root, f)]
    sample = random.Random(args.seed).sample(mutants, min(args.count, len(mutants)))
    chosen = {int(n) for n in args.only.split(",")} if args.only else None
    print(f"{len(mutants)} mutants in {', '.join(args.targets)}; {len(sample)} sampled (seed {args.seed})")
    if args.list:
        for number, mutant in enumerate(sample, start=1):
            print_row(number, mutant, "")
        return 0
    signal.signal(signal.SIGTERM, lambda *_: (_ for _ in ()).throw(KeyboardInterrupt()))
    runner.configure()
    numbered = [(n, m) for n, m in enumerate(sample, start=1) if not chosen or n in chosen]
    folders = sorted({m.path.parts[0] for _, m in numbered})
    for folder in folders:
        programs = runner.programs_for(Path(folder))
        built, log = runner.build_programs(programs)
        caught = runner.run_tests(programs) if built else "build failed"
        if caught:
            sys.exit(f"mutate: the tests of {folder}/ are not green without a mutant: {caught}\n{log[-3000:]}")
    print(f"| {'#':>3} | {'place':32} | {'change':90} | caught by |")
    results = []
    try:
        for number, mutant in numbered:
            original = (root / mutant.path).read_text()
            programs = runner.programs_for(mutant.path)
            try:
                restorer.apply(mutant, original)
                built, _ = runner.build_programs(programs)
                result = (runner.run_tests(programs) or "SURVIVED") if built else "build failed"
            finally:
                restorer.restore(mutant, original)
            results.append(result)
            print_row(number, mutant, result)
    except KeyboardInterrupt:
        print("\nmutate: interrupted; the sources are back as they were", file=sys.stderr)
    summary(results)
    return 0


if __name__ == "__main__":
    sys.exit(main())
