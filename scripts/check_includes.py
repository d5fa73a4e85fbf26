#!/usr/bin/env python3
"""Checks the include direction between areas.

Fails when a file includes another area's internal/ folder, or includes a header of an
area that its own area may not depend on. `--self-test` plants bad includes in a
temporary tree and fails unless both are found.
"""
import os
import re
import sys
import tempfile

from check_common import report, plant, report_self_test

AREAS = [
    "platform", "fulltext", "core", "services",
    "report/page", "report/model", "report/output", "report/data", "report/script", "report/crosstab",
    "report/designer", "report/script/gui", "editor", "testsupport", "bench", "core/app",
    "report/designer/gui/tools",
]

# What each area may include besides itself.
ALLOWED = {
    "platform": {"platform"},
    "fulltext": {"platform"},
    "core": {"platform", "fulltext", "report/designer"},
    "services": {"platform", "fulltext", "core"},
    "report/page": {"platform"},
    "report/model": {"platform", "report/page"},
    "report/output": {"platform", "report/page", "report/model"},
    "report/data": {"platform", "report/page", "report/model", "report/output"},
    "report/script": {"platform", "report/page", "report/model", "report/output"},
    # The cross-tab uses the script language's registries (enumerated types, run failures).
    "report/crosstab": {"platform", "report/page", "report/model", "report/output", "report/script"},
    "report/designer": {"platform", "report/page", "report/model", "report/output", "report/data",
                        "report/script", "report/crosstab"},
    # The code workspace is a page of the designer: it sits above the designer.
    "report/script/gui": {"platform", "report/page", "report/model", "report/output", "report/data",
                          "report/script", "report/crosstab", "report/designer"},
    "editor": {"platform", "core", "services"},
    # The records manager program: it assembles every area and registers their commands.
    "core/app": set(AREAS),
    # report-design, the developer's program that opens a template in the designer with every page.
    "report/designer/gui/tools": set(AREAS),
    "testsupport": {"platform"},
    "bench": set(AREAS),
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCE_EXT = (".h", ".hpp", ".cpp", ".cc")


def area_of(path):
    for a in sorted(AREAS, key=len, reverse=True):
        if path == a or path.startswith(a + "/"):
            return a
    return None


def check(root):
    problems = []
    for top in {a.split("/")[0] for a in AREAS}:
        base = os.path.join(root, top)
        if not os.path.isdir(base):
            continue
        for dirpath, _, files in os.walk(base):
            for name in files:
                if not name.endswith(SOURCE_EXT):
                    continue
                full = os.path.join(dirpath, name)
                rel = os.path.relpath(full, root).replace(os.sep, "/")
                own = area_of(rel)
                if own is None:
                    continue
                # an area's test-support folder serves its tests and may use the shared ones
                in_tests = "/tests/" in rel or "/fuzz/" in rel or "/testsupport/" in rel
                with open(full, encoding="utf-8", errors="replace") as f:
                    for lineno, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = m.group(1)
                        other = area_of(target)
                        if other is None:
                            continue
                        if "/internal/" in "/" + target and other != own:
                            problems.append(f"{rel}:{lineno}: includes another area's internal header {target}")
                            continue
                        if other == own or other in ALLOWED.get(own, set()):
                            continue
                        if in_tests and other == "testsupport":
                            continue
                        problems.append(f"{rel}:{lineno}: {own} may not include {target} ({other})")
    return problems


def self_test():
    with tempfile.TemporaryDirectory() as root:
        plant(root, {
            "fulltext/engine.cpp": '#include "core/main_window.h"\n',
            "platform/db/table.cpp": '#include "fulltext/internal/cache.h"\n',
            "core/ok.cpp": '#include "fulltext/engine.h"\n#include "platform/db/table.h"\n',
            "core/tests/ok_test.cpp": '#include "testsupport/dialog_answerer.h"\n',
            "report/page/page.cpp": '#include "report/model/report.h"\n',
            "report/model/report.cpp": '#include "report/page/page.h"\n#include "platform/paint/canvas.h"\n',
        })
        return report_self_test(check(root), 3, "bad includes")


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--self-test":
        return self_test()
    root = sys.argv[1] if len(sys.argv) > 1 else os.getcwd()
    return report(check(root), "include(s) against the dependency direction", "include direction: ok")


if __name__ == "__main__":
    sys.exit(main())
