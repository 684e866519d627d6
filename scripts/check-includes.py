#!/usr/bin/env python3
"""Holds the folders of src/ to the libraries CMake declares for them.

Each folder is one library (ondrel_<folder>). A file may include from another
folder only when its library links that folder's library, and a library links
no project library it does not include from. The declared links must form no
cycle. Prints the folder graph; exits 1 on any breach.
"""
import os
import re
import sys

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
src = os.path.join(root, "src")
folders = sorted(d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d)))

cmake = open(os.path.join(src, "CMakeLists.txt")).read()
declared = {f: set() for f in folders}
for m in re.finditer(r"target_link_libraries\(\s*ondrel_(\w+)\s+(?:PUBLIC|PRIVATE|INTERFACE)?([^)]*)\)", cmake):
    if m.group(1) in declared:
        declared[m.group(1)] |= {d for d in re.findall(r"\bondrel_(\w+)", m.group(2)) if d in declared}

used = {f: {} for f in folders}
include = re.compile(r'\s*#\s*include\s+"([a-z_]+)/[^"]+"')
for folder in folders:
    for dirpath, _, files in os.walk(os.path.join(src, folder)):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(dirpath, name)
            for number, line in enumerate(open(path, errors="replace"), 1):
                m = include.match(line)
                if m and m.group(1) != folder and m.group(1) in declared:
                    used[folder].setdefault(m.group(1), f"{os.path.relpath(path, root)}:{number}")

errors = []
for folder in folders:
    for target, where in sorted(used[folder].items()):
        if target not in declared[folder]:
            errors.append(f"{where}: {folder} includes from {target}, which ondrel_{folder} does not link")
    for target in sorted(declared[folder] - set(used[folder])):
        errors.append(f"src/CMakeLists.txt: ondrel_{folder} links ondrel_{target} but includes nothing from it")


def cycle_from(start):
    stack = [(start, [start])]
    while stack:
        node, path = stack.pop()
        for nxt in declared[node]:
            if nxt == start:
                return path + [start]
            if nxt not in path:
                stack.append((nxt, path + [nxt]))
    return None


for folder in folders:
    cycle = cycle_from(folder)
    if cycle:
        errors.append("cycle: " + " -> ".join(cycle))
        break

for folder in folders:
    print(f"{folder:9} -> {', '.join(sorted(used[folder])) or '(nothing of the project)'}")
if errors:
    print("\n".join(errors), file=sys.stderr)
    sys.exit(1)
print("include check: every include is declared, no cycles between folders")
