#!/usr/bin/env python3
"""Lists the functions declared in the given folders' headers that only tests call.

A name counts as called where it appears in code (comments and literals blanked) on a line
that is not one of its own declarations or definitions; a qualifier naming another class
(`CalendarModule::ListEvents`) is another function. Overloads and namesakes in other classes
are counted together, and so are types of the same name; a common name can hide an unused
function, so names shared with a type are listed at the end for a look by hand.

Reported apart, and not counted as failures: accessors (an inline body that only returns,
with no parameters), through which tests read what a window or an object holds, and
overrides, which the framework calls. Exit status 1 when any other function is called only
from tests, bench/ or fuzz/, or from nowhere.
    scripts/test-only-functions.py [folder ...]      (default: service tasks app)
"""
import collections
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE_SUFFIXES = (".h", ".cpp")
# Callers that are neither the program nor its tests.
SIDE_DIRS = ("bench", "fuzz")
ACCESSOR = re.compile(r"\(\)\s*(const\s*)?(noexcept\s*)?\{\s*return\b[^;{}]*;\s*\}")
# Comments, raw strings, string and character literals, in the order a reader meets them.
CODE_NOISE = re.compile(r'//[^\n]*|/\*.*?\*/|R"([^(\s]*)\(.*?\)\1"|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)


def sources():
    for folder, dirs, files in os.walk(ROOT):
        dirs[:] = [d for d in dirs if not d.startswith(("build", "."))]
        for name in files:
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(folder, name), ROOT)


def tags(paths):
    """(name, path, line, scope, text) of every function prototype and definition in `paths`;
    the scope is the innermost class or namespace name, empty at global scope."""
    out = subprocess.run(
        ["ctags", "-x", "--c++-kinds=pf", "--language-force=c++", "--_xformat=%N\t%F\t%n\t%s\t%C"] + paths,
        cwd=ROOT, capture_output=True, text=True, check=True).stdout
    for line in out.splitlines():
        name, path, number, scope, text = line.split("\t", 4)
        yield name, path, int(number), scope.split("::")[-1], text


def code_lines(text):
    """The lines of `text` with comments and literals blanked, line numbers kept."""
    return CODE_NOISE.sub(lambda m: "\n" * m.group(0).count("\n") + " ", text).split("\n")


def main():
    folders = sys.argv[1:] or ["service", "tasks", "app"]
    files = sorted(sources())
    headers = [f for f in files if f.endswith(".h") and f.split(os.sep)[0] in folders]
    declared = collections.defaultdict(set)  # name -> headers declaring it
    scopes = collections.defaultdict(set)  # name -> classes and namespaces declaring it
    kinds = collections.defaultdict(set)  # name -> "accessor", "override", "function"
    for name, path, _, scope, text in tags(headers):
        if name.startswith(("operator", "~", "__anon")) or name == scope:  # constructors too
            continue
        declared[name].add(path)
        scopes[name].add(scope)
        kinds[name].add("accessor" if ACCESSOR.search(text) else "override" if " override" in text else "function")
    types = set(subprocess.run(
        ["ctags", "-x", "--c++-kinds=cgstu", "--language-force=c++", "--_xformat=%N"] + files,
        cwd=ROOT, capture_output=True, text=True, check=True).stdout.split())
    # Every declaration and definition line of any function, anywhere: not a call.
    own_lines = collections.defaultdict(set)
    for name, path, number, _, _ in tags(files):
        own_lines[name].add((path, number))

    calls = {name: collections.Counter() for name in declared}
    pattern = re.compile(r"(?:(\w+)\s*::\s*)?\b(" + "|".join(map(re.escape, sorted(declared, key=len, reverse=True))) +
                         r")\b")
    for path in files:
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as handle:
            lines = code_lines(handle.read())
        top = path.split(os.sep)[0]
        where = "tests" if top == "tests" else "side" if top in SIDE_DIRS else "program"
        for number, line in enumerate(lines, 1):
            for match in pattern.finditer(line):
                qualifier, name = match.group(1), match.group(2)
                if qualifier and qualifier not in scopes[name]:
                    continue
                if (path, number) not in own_lines[name]:
                    calls[name][where] += 1

    failures = 0
    for name in sorted(declared):
        counts = calls[name]
        if counts["program"]:
            continue
        kind = "override" if kinds[name] == {"override"} else "accessor" if kinds[name] == {"accessor"} else "function"
        if kind == "override":
            continue
        failures += kind == "function"
        called = f"tests {counts['tests']}, bench/fuzz {counts['side']}" if sum(counts.values()) else "nowhere"
        print(f"{kind:9} {name:28} {', '.join(sorted(declared[name]))}  (called from {called})")
    shared = sorted(types & set(declared))
    if shared:
        print("also type names, to look at by hand: " + ", ".join(shared))
    print(f"{len(declared)} names checked; {failures} functions not called by the program")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
