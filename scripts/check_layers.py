#!/usr/bin/env python3
"""Checks the layering of src/: every file includes headers of its own layer or of
earlier layers only; nothing outside the system halves of platform/ includes a system
header; nothing above platform/ asks which system it is built for or includes what a
portable part of platform/ and its system halves share (platform/*_impl.h).

Layer order: base < platform < measurement < format < exchange < import < app < ui, cli.
The front ends of ui/ stand side by side: ui/qt/ and ui/win32/ include nothing of each
other, and every file of ui/ is in one of them. Qt is the Qt front end's alone (and the
INI profile's, app/ini_profile.cpp); ui/win32/ is a system half like those of platform/.
Exit status 0 when the tree keeps to it, 1 with one line per violation otherwise."""
import re
import sys
from pathlib import Path

RANK = {"base": 0, "platform": 1, "measurement": 2, "format": 3, "exchange": 4,
        "import": 5, "app": 6, "ui": 7, "cli": 7}
SYSTEM_HALVES = ("posix", "win32")
FRONT_ENDS = ("qt", "win32")
# The files outside ui/qt/ that may include Qt.
QT_OUTSIDE_FRONT_END = ("app/ini_profile.cpp",)
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SYSTEM_QUESTION = re.compile(r'^\s*#\s*(if|ifdef|ifndef|elif)\b.*\b(_WIN32|_WIN64|__linux__|__unix__|__APPLE__|_MSC_VER)\b')
QT_HEADER = re.compile(r'^Q[A-Za-z0-9]*(/|$)')


def front_end_of(parts):
    """The front end a path under ui/ belongs to ("qt", "win32"), or None."""
    return parts[1] if len(parts) > 2 and parts[0] == "ui" and parts[1] in FRONT_ENDS else None


def main() -> int:
    src = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent.parent / "src")
    problems = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        parts = path.relative_to(src).parts
        layer = parts[0]
        if layer not in RANK:
            problems.append(f"{path}: not in a layer folder")
            continue
        front_end = front_end_of(parts)
        if layer == "ui" and front_end is None:
            problems.append(f"{path}: not in a front end folder of ui/ ({', '.join(FRONT_ENDS)})")
        system_half = ((layer == "platform" and len(parts) > 2 and parts[1] in SYSTEM_HALVES)
                       or front_end == "win32")
        qt_allowed = front_end == "qt" or "/".join(parts) in QT_OUTSIDE_FRONT_END
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            where = f"{path.relative_to(src.parent)}:{number}"
            if SYSTEM_QUESTION.match(line) and not system_half:
                problems.append(f"{where}: asks which system it is built for")
            match = INCLUDE.match(line)
            if not match:
                continue
            kind, header = match.groups()
            if kind == '"':
                target_parts = header.split("/")
                target = target_parts[0]
                if target not in RANK:
                    problems.append(f"{where}: includes {header}, which is in no layer")
                elif RANK[target] > RANK[layer] or (RANK[target] == RANK[layer] and target != layer):
                    problems.append(f"{where}: {layer} includes {header} of a later layer")
                elif (target == "platform" and len(target_parts) > 2
                      and target_parts[1] in SYSTEM_HALVES and not system_half):
                    problems.append(f"{where}: includes {header} of a system half")
                elif target == "platform" and header.endswith("_impl.h") and layer != "platform":
                    problems.append(f"{where}: includes {header}, internal to platform")
                elif target == "ui" and front_end_of(target_parts) != front_end:
                    problems.append(f"{where}: includes {header} of another front end")
            elif QT_HEADER.match(header):
                if not qt_allowed:
                    problems.append(f"{where}: includes the Qt header <{header}> outside ui/qt")
            elif header.endswith(".h") and not header.startswith(("rapidjson/",)) and not system_half:
                problems.append(f"{where}: includes the system header <{header}>")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
