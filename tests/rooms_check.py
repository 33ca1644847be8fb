#!/usr/bin/env python3
"""Checks that the source folders form a ladder: no two folders include each other, directly or
round a longer circle. A folder is a file's directory; an include's folder is the directory of
its quoted path. tests/ and tools/ are leaves that may include anything; no other folder includes
tests/.

Usage: rooms_check.py [TREE]          check the git-tracked files of TREE (default: the current
                                      folder), or all files when TREE is not a git work tree
       rooms_check.py --self-test     check that a tree with a circle, and one including tests/,
                                      fail, and a tree without either passes
"""
import os
import re
import subprocess
import sys
import tempfile

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
LEAVES = ("tests", "tools")


def git(tree, *arguments):
    return subprocess.run(["git", "-C", tree, *arguments], check=True,
                          capture_output=True).stdout.decode()


def source_files(tree, tracked=True):
    """The tree's tracked sources when it is a git work tree of its own, else all its sources
    outside hidden folders and build folders."""
    try:
        if not tracked:
            raise OSError("every file is looked at")
        if os.path.realpath(git(tree, "rev-parse", "--show-toplevel").strip()) != \
                os.path.realpath(tree):
            raise OSError("not the top of a work tree")
        listed = git(tree, "ls-files", "-z", "--", "*.cpp", "*.h").split("\0")
        return [name for name in listed if name and os.path.isfile(os.path.join(tree, name))]
    except (OSError, subprocess.CalledProcessError):
        found = []
        for folder, subfolders, names in os.walk(tree):
            subfolders[:] = sorted(
                name for name in subfolders if not name.startswith(".")
                and not os.path.exists(os.path.join(folder, name, "CMakeCache.txt")))
            for name in names:
                if name.endswith((".cpp", ".h")):
                    found.append(os.path.relpath(os.path.join(folder, name), tree))
        return found


def top(folder):
    return folder.split("/")[0]


def folder_graph(tree, tracked=True):
    """Returns the edges {folder: {included folder: first file making the edge}} and problems."""
    edges = {}
    problems = []
    for name in sorted(source_files(tree, tracked)):
        name = name.replace(os.sep, "/")
        folder = os.path.dirname(name)
        with open(os.path.join(tree, name), encoding="utf-8", errors="replace") as source:
            for line in source:
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = os.path.dirname(match.group(1))
                if not target:
                    continue  # a file beside the including one
                if top(folder) in LEAVES or target == folder:
                    continue
                if top(target) == "tests":
                    problems.append(f"{name} includes {match.group(1)}: only tests and tools "
                                    "include tests/")
                edges.setdefault(folder, {}).setdefault(target, name)
    return edges, problems


def find_circle(edges):
    """Returns a circle of folders [a, b, ..., a] or None."""
    state = {}  # 1: on the path being walked, 2: done
    path = []

    def walk(folder):
        state[folder] = 1
        path.append(folder)
        for target in sorted(edges.get(folder, {})):
            if state.get(target) == 1:
                return path[path.index(target):] + [target]
            if target not in state:
                circle = walk(target)
                if circle:
                    return circle
        path.pop()
        state[folder] = 2
        return None

    for folder in sorted(edges):
        if folder not in state:
            circle = walk(folder)
            if circle:
                return circle
    return None


def check(tree, out=sys.stdout, tracked=True):
    edges, problems = folder_graph(tree, tracked)
    circle = find_circle(edges)
    if circle:
        steps = [f"  {a} -> {b} ({edges[a][b]})" for a, b in zip(circle, circle[1:])]
        problems.append("folders include each other round a circle: " + " -> ".join(circle)
                        + "\n" + "\n".join(steps))
    for problem in problems:
        print(problem, file=out)
    if not problems:
        print(f"{len(edges)} folders include others, none round a circle", file=out)
    return not problems


def self_test():
    trees = {
        "ladder": ({"a/x.h": '#include "b/y.h"\n', "b/y.h": '#include "c/z.h"\n',
                    "c/z.h": '#include "z2.h"\n', "tests/t.cpp": '#include "a/x.h"\n',
                    "tools/u.cpp": '#include "tests/t.h"\n'}, True),
        "circle": ({"a/x.h": '#include "b/y.h"\n', "b/y.h": '#include "c/z.h"\n',
                    "c/z.cpp": '  #  include "a/x.h"\n'}, False),
        "two rooms": ({"a/x.cpp": '#include "a/b/y.h"\n', "a/b/y.cpp": '#include "a/x.h"\n'},
                      False),
        "includes tests": ({"a/x.cpp": '#include "tests/t.h"\n', "tests/t.h": ""}, False),
    }
    failed = []
    for label, (files, passes) in trees.items():
        with tempfile.TemporaryDirectory() as tree:
            for name, text in files.items():
                os.makedirs(os.path.join(tree, os.path.dirname(name)), exist_ok=True)
                with open(os.path.join(tree, name), "w", encoding="utf-8") as source:
                    source.write(text)
            with open(os.devnull, "w") as quiet:
                if check(tree, quiet, tracked=False) != passes:
                    failed.append(label)
    for label in failed:
        print(f"self-test: the tree '{label}' was judged wrongly")
    return not failed


def main(arguments):
    if arguments == ["--self-test"]:
        return 0 if self_test() else 1
    if len(arguments) > 1 or (arguments and arguments[0].startswith("-")):
        print(__doc__, file=sys.stderr)
        return 2
    return 0 if check(arguments[0] if arguments else ".") else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
