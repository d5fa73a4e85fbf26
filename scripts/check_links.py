#!/usr/bin/env python3
"""Checks that each library links PUBLIC exactly what its own headers expose.

Reads the manifest the configure step writes (one line per library made with
dossara_library: target, folder, sources, PUBLIC and PRIVATE lists), follows the includes of
each library's headers (those outside internal/, and the headers of its own they include),
and fails when
  - a header includes a library, Qt module or SQLite that the target does not reach through
    its PUBLIC links (an includer of the header would not get it), or
  - a library of ours is linked PUBLIC although no header of the target includes it.
`--self-test` plants both faults in a temporary tree and fails unless both are found.
"""
import os
import re
import sys
import tempfile

from check_common import report, plant, report_self_test

INCLUDE = re.compile(r'^\s*#\s*include\s+[<"]([^">]+)[">]')
QT_MODULES = {"QtCore": "Qt6::Core", "QtGui": "Qt6::Gui", "QtWidgets": "Qt6::Widgets",
              "QtTest": "Qt6::Test", "QtPrintSupport": "Qt6::PrintSupport"}
# What each Qt module brings to its includers.
QT_IMPLIES = {"Qt6::Gui": {"Qt6::Core"}, "Qt6::Widgets": {"Qt6::Gui", "Qt6::Core"},
              "Qt6::Test": {"Qt6::Core"}, "Qt6::PrintSupport": {"Qt6::Widgets", "Qt6::Gui", "Qt6::Core"}}
OTHER_HEADERS = {"sqlite3.h": "SQLite::SQLite3", "zlib.h": "ZLIB::ZLIB"}


def read_manifest(path):
    libs, qt_root = {}, None
    with open(path) as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if parts[0] == "qt":
                qt_root = parts[1]
            elif parts[0] == "lib":
                _, name, folder, sources, public, private = parts
                split = lambda s: [x for x in s.split(";") if x]
                libs[name] = {"folder": folder, "sources": split(sources),
                              "public": split(public), "private": split(private)}
    return libs, qt_root


def qt_module(header, qt_root):
    if "/" in header:
        return QT_MODULES.get(header.split("/")[0])
    if qt_root:
        for folder, module in QT_MODULES.items():
            if os.path.exists(os.path.join(qt_root, folder, header)):
                return module
    return None


def check(root, libs, qt_root):
    owner = {}
    for name, lib in libs.items():
        rel = os.path.relpath(lib["folder"], root)
        for s in lib["sources"]:
            owner[os.path.normpath(os.path.join(rel, s))] = name

    def needs(name):
        found, seen = {}, set()
        stack = [s for s, o in owner.items() if o == name and s.endswith(".h") and "/internal/" not in "/" + s]
        while stack:
            header = stack.pop()
            if header in seen:
                continue
            seen.add(header)
            try:
                lines = open(os.path.join(root, header), encoding="utf-8", errors="replace").readlines()
            except OSError:
                continue
            for lineno, line in enumerate(lines, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                inc = m.group(1)
                if owner.get(inc) == name:
                    stack.append(inc)
                    continue
                what = owner.get(inc) or OTHER_HEADERS.get(inc) or qt_module(inc, qt_root)
                if what:
                    found.setdefault(what, f"{header}:{lineno}")
        return found

    def reach(name, seen=None):
        seen = set() if seen is None else seen
        for dep in libs[name]["public"]:
            if dep in seen:
                continue
            seen.add(dep)
            seen |= QT_IMPLIES.get(dep, set())
            if dep in libs:
                reach(dep, seen)
        return seen

    problems = []
    for name in sorted(libs):
        need = needs(name)
        reached = reach(name)
        for what, where in sorted(need.items()):
            if what not in reached:
                problems.append(f"{where}: {name} exposes {what} in its headers but does not link it PUBLIC")
        for dep in libs[name]["public"]:
            if dep in libs and dep not in need:
                problems.append(f"{name} links {dep} PUBLIC, but none of its headers includes it; link it PRIVATE")
    return problems


def self_test():
    with tempfile.TemporaryDirectory() as root:
        manifest = os.path.join(root, "manifest")
        plant(root, {
            "a/a.h": "#pragma once\n",
            "b/b.h": '#pragma once\n#include "a/a.h"\n',
            "c/c.h": "#pragma once\n#include <sqlite3.h>\n",
            "c/internal/x.h": '#include "b/b.h"\n',
            # lib_b's header exposes lib_a, linked PRIVATE; lib_c links lib_b PUBLIC, but only
            # an internal header of lib_c includes it
            "manifest": f"lib\tlib_a\t{root}/a\ta.h\t\t\n"
                        f"lib\tlib_b\t{root}/b\tb.h\t\tlib_a\n"
                        f"lib\tlib_c\t{root}/c\tc.h;internal/x.h\tlib_b;SQLite::SQLite3\t\n",
        })
        libs, qt_root = read_manifest(manifest)
        return report_self_test(check(root, libs, qt_root), 2, "faults")


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--self-test":
        return self_test()
    if len(sys.argv) != 3:
        print("usage: check_links.py <source folder> <manifest> | --self-test")
        return 2
    root, manifest = sys.argv[1], sys.argv[2]
    libs, qt_root = read_manifest(manifest)
    return report(check(root, libs, qt_root), "link(s) that do not match what the headers expose",
                  f"links of {len(libs)} libraries: ok")


if __name__ == "__main__":
    sys.exit(main())
