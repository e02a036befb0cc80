#!/usr/bin/env python3
"""Checks that the source folders include each other only the way the layers allow.

    scripts/check_layers.py [SOURCE_ROOT]

The program's folders are layers: gui -> app -> core <- platform. A file may include
headers of its own folder and of the folders its layer stands on; the command-line
companion stands on core, app and platform; the simulator on nothing of the program.
The script lists every include that runs the wrong way, and every circle between folders
(including sub-folders, should a layer get them), and exits 1 if it found any.
"""
import os
import re
import sys

# What each folder may include besides itself.
ALLOWED = {
    "src/core": set(),
    "src/platform": {"src/core"},
    "src/app": {"src/core"},
    # The windows wire the real serial device and clock in at start.
    "src/gui": {"src/app", "src/core", "src/platform"},
    "tools/k52cli": {"src/app", "src/core", "src/platform"},
    "tools/k52sim": set(),
    "tools/k52shots": {"src/gui", "src/app", "src/core", "src/platform"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(root, path):
    rel = os.path.relpath(path, root)
    parts = rel.split(os.sep)
    return "/".join(parts[:2])


def resolve(root, including_file, name):
    """The folder that holds an included header: searched beside the file, then under src/."""
    here = os.path.join(os.path.dirname(including_file), name)
    if os.path.exists(here):
        return here
    for base in ("src", "tools"):
        cand = os.path.join(root, base, name)
        if os.path.exists(cand):
            return cand
    return None


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    edges = {}
    wrong = []
    unknown = set()
    for base in ("src", "tools"):
        for dirpath, _, files in os.walk(os.path.join(root, base)):
            for f in files:
                if not f.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(dirpath, f)
                src_folder = folder_of(root, path)
                # Sub-folders of a layer are nodes of their own for the circle check.
                node = os.path.relpath(dirpath, root).replace(os.sep, "/")
                with open(path, encoding="utf-8") as fh:
                    text = fh.read()
                for name in INCLUDE.findall(text):
                    target = resolve(root, path, name)
                    if target is None:
                        continue  # a generated or system header
                    dst_folder = folder_of(root, target)
                    dst_node = os.path.relpath(os.path.dirname(target), root).replace(os.sep, "/")
                    if dst_node != node:
                        edges.setdefault(node, set()).add(dst_node)
                    if dst_folder == src_folder:
                        continue
                    if src_folder not in ALLOWED:
                        unknown.add(src_folder)
                        continue
                    if dst_folder not in ALLOWED[src_folder]:
                        wrong.append(f"{os.path.relpath(path, root)}: includes \"{name}\" ({src_folder} -> {dst_folder})")
    for w in sorted(wrong):
        print("wrong way:", w)
    for u in sorted(unknown):
        print("folder without a layer:", u)
    # Circles between folders: a depth-first search over the include graph.
    circles = []
    state = {}
    stack = []

    def visit(n):
        state[n] = 1
        stack.append(n)
        for m in sorted(edges.get(n, ())):
            if state.get(m) == 1:
                circles.append(stack[stack.index(m):] + [m])
            elif m not in state:
                visit(m)
        stack.pop()
        state[n] = 2

    for n in sorted(edges):
        if n not in state:
            visit(n)
    for c in circles:
        print("circle:", " -> ".join(c))
    nodes = set(edges) | {m for s in edges.values() for m in s}
    print(f"folders: {len(nodes)}, wrong-way includes: {len(wrong)}, circles: {len(circles)}")
    return 1 if wrong or circles or unknown else 0


if __name__ == "__main__":
    sys.exit(main())
