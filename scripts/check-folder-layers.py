#!/usr/bin/env python3
"""Checks that the folders of the source tree form layers: from the CMake
target graph (cmake --graphviz), every library target is mapped to the
folder whose CMakeLists.txt defines it, and the folders' dependencies must
have no cycle. Prints each cycle found and exits with 1 then.

Usage: check-folder-layers.py SOURCE_DIR GRAPHVIZ_FILE [FOLDER_PREFIX]
  e.g. cmake -S . -B build --graphviz=build/graph/targets.dot
       scripts/check-folder-layers.py . build/graph/targets.dot designer
"""
import os
import re
import sys


def target_folders(source_dir):
    folders = {}
    pattern = re.compile(r'^\s*add_(?:library|executable)\(\s*([A-Za-z0-9_]+)', re.M)
    for root, dirs, files in os.walk(source_dir):
        dirs[:] = [d for d in dirs if not d.startswith('.') and d != 'build']
        if 'CMakeLists.txt' in files:
            with open(os.path.join(root, 'CMakeLists.txt'), encoding='utf-8') as f:
                for name in pattern.findall(f.read()):
                    folders[name] = os.path.relpath(root, source_dir)
    return folders


def target_edges(dot_file):
    with open(dot_file, encoding='utf-8') as f:
        text = f.read()
    names = dict(re.findall(r'"(node\d+)"\s*\[\s*label\s*=\s*"([^"]+)"', text))
    edges = re.findall(r'"(node\d+)"\s*->\s*"(node\d+)"', text)
    return [(names[a], names[b]) for a, b in edges if a in names and b in names]


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    source_dir, dot_file = sys.argv[1], sys.argv[2]
    prefix = sys.argv[3] if len(sys.argv) > 3 else ''
    folders = target_folders(source_dir)
    graph = {}
    for user, used in target_edges(dot_file):
        a, b = folders.get(user), folders.get(used)
        if not a or not b or a == b or not a.startswith(prefix) or not b.startswith(prefix):
            continue
        graph.setdefault(a, set()).add(b)
    cycles = []
    state = {}

    def visit(folder, path):
        state[folder] = 'open'
        for nxt in sorted(graph.get(folder, ())):
            if state.get(nxt) == 'open':
                cycles.append(path[path.index(nxt):] + [nxt])
            elif nxt not in state:
                visit(nxt, path + [nxt])
        state[folder] = 'done'

    for folder in sorted(graph):
        if folder not in state:
            visit(folder, [folder])
    for folder in sorted(graph):
        print(f'{folder} -> {", ".join(sorted(graph[folder]))}')
    for cycle in cycles:
        print('cycle: ' + ' -> '.join(cycle))
    return 1 if cycles else 0


if __name__ == '__main__':
    sys.exit(main())
