#!/usr/bin/env python3
"""Checks the viewer's layout: each folder includes only itself and the folders
that it uses (viewer-layout.txt, written by CMake from the folder libraries),
the folders use one another without a circle, no two units (a header and its
source) reach each other through their includes, no source file is over 600
lines, no folder holds more than about a fifth of the program's lines, and
the README's Layout table names every folder with what the build lets it use.

Usage: check-layout.py LAYOUT_FILE REPOSITORY [REPORT.xml]
Prints each fault and exits 1 when there is one; writes a one-case JUnit report
when asked, as the other tests do."""
import os
import re
import sys

MAX_FILE_LINES = 600
MAX_FOLDER_SHARE = 0.22
INCLUDE = re.compile(r'^\s*#\s*include\s+"viewer/([a-z_]+)/([^"]+)"', re.M)


def read_layout(path):
    uses = {}
    with open(path) as f:
        for line in f:
            if ':' in line:
                name, rest = line.split(':', 1)
                uses[name.strip()] = re.split(r'[;\s]+', rest.strip()) if rest.strip() else []
    return uses


def circles(graph):
    """The groups of nodes that reach one another (Tarjan), each sorted."""
    index, low, stack, on_stack, groups = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph.get(node, ())):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
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

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return groups


def write_report(path, faults):
    from xml.sax.saxutils import escape
    failure = ''
    if faults:
        failure = '<failure message="%d faults">%s</failure>' % (len(faults), escape('\n'.join(faults)))
    with open(path, 'w') as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<testsuites tests="1" failures="%d"><testsuite name="Layout" tests="1" failures="%d">'
                '<testcase name="FoldersIncludeOnlyWhatTheyUse" classname="Layout">%s</testcase>'
                '</testsuite></testsuites>\n' % (bool(faults), bool(faults), failure))


def main(layout_path, root, report=None):
    faults = []
    uses = read_layout(layout_path)
    for group in circles(uses):
        faults.append('folders use one another in a circle: ' + ', '.join(group))

    viewer = os.path.join(root, 'viewer')
    units = {}  # "folder/stem" -> set of "folder/stem" it includes
    folder_lines = {}
    for folder in sorted(os.listdir(viewer)):
        path = os.path.join(viewer, folder)
        if not os.path.isdir(path) or folder in ('tests', 'resources'):
            continue
        if folder not in uses:
            faults.append(f'viewer/{folder} is no folder library of the build')
        for name in sorted(os.listdir(path)):
            if not name.endswith(('.cpp', '.h')):
                continue
            with open(os.path.join(path, name), encoding='utf-8') as f:
                text = f.read()
            lines = text.count('\n')
            folder_lines[folder] = folder_lines.get(folder, 0) + lines
            unit = f'{folder}/{os.path.splitext(name)[0]}'
            targets = units.setdefault(unit, set())
            for used, header in INCLUDE.findall(text):
                if used != folder and used not in uses.get(folder, ()):
                    faults.append(f'viewer/{folder}/{name} includes viewer/{used}/{header}, '
                                  f'which {folder} may not use')
                target = f'{used}/{os.path.splitext(header)[0]}'
                if target != unit:
                    targets.add(target)

    for group in circles(units):
        faults.append('files include one another in a circle: ' + ', '.join(group))

    total = sum(folder_lines.values())
    for folder, lines in sorted(folder_lines.items()):
        if total and lines / total > MAX_FOLDER_SHARE:
            faults.append(f'viewer/{folder} holds {lines} of the program\'s {total} lines')

    # The README's Layout table names each folder with what it may include.
    told = {}
    with open(os.path.join(root, 'README.md'), encoding='utf-8') as f:
        for row in f:
            m = re.match(r'^\| `viewer/([a-z_]+)` \|.*\| ([^|]*) \|\s*$', row)
            if m:
                told[m.group(1)] = m.group(2).strip()
    for folder, used in sorted(uses.items()):
        if folder not in told:
            faults.append(f'the README\'s Layout section does not name viewer/{folder}')
        elif told[folder] not in ('everything below', 'nothing of the viewer') and \
                set(told[folder].split(', ')) != set(used):
            faults.append(f'the README says viewer/{folder} may include {told[folder]}; '
                          f'the build says {", ".join(used)}')
    for folder in sorted(set(told) - set(uses)):
        faults.append(f'the README\'s Layout section names viewer/{folder}, which the build has not')

    for top in ('viewer', 'plugins', 'spi'):
        for base, _, names in os.walk(os.path.join(root, top)):
            for name in names:
                if name.endswith(('.cpp', '.h', '.py')):
                    path = os.path.join(base, name)
                    with open(path, encoding='utf-8') as f:
                        count = sum(1 for _ in f)
                    if count > MAX_FILE_LINES:
                        faults.append(f'{os.path.relpath(path, root)} has {count} lines')

    for fault in faults:
        print(fault)
    if report:
        write_report(report, faults)
    print(f'{len(uses)} folders, {len(units)} units, {total} lines: '
          + ('layout sound' if not faults else f'{len(faults)} faults'))
    return 1 if faults else 0


if __name__ == '__main__':
    if len(sys.argv) not in (3, 4):
        print(__doc__)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
