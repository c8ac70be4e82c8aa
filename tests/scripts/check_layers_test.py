#!/usr/bin/env python3
"""The layer check on small trees: what it lets through and what it reports."""
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

CHECKER = Path(__file__).resolve().parents[2] / "scripts" / "check_layers.py"


def check(files):
    """Runs the checker over a src/ tree made of `files` (path: text); its exit
    status and reported lines."""
    with tempfile.TemporaryDirectory() as root:
        src = Path(root) / "src"
        for name, text in files.items():
            path = src / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text, encoding="utf-8")
        result = subprocess.run([sys.executable, str(CHECKER), str(src)], capture_output=True,
                                text=True, check=False)
        return result.returncode, result.stdout.splitlines()


# A tree that keeps every rule; each case below adds one file to it.
CLEAN = {
    "base/progress.h": "#pragma once\n#include <cstdint>\n",
    "platform/win32/win32_util.h": "#pragma once\n#include <windows.h>\n",
    "app/list_model.h": '#pragma once\n#include "base/progress.h"\n',
    "app/ini_profile.cpp": '#include "app/list_model.h"\n#include <QSettings>\n',
    "ui/qt/list_view.h": '#pragma once\n#include <QTreeView>\n#include "app/list_model.h"\n',
    "ui/qt/list_view.cpp": '#include "ui/qt/list_view.h"\n#include <QtCore/QString>\n',
    "ui/win32/list_view.cpp": ('#include <windows.h>\n#include <commctrl.h>\n'
                               '#include "platform/win32/win32_util.h"\n'
                               '#include "app/list_model.h"\n'),
}


class CheckLayersTest(unittest.TestCase):
    def test_a_tree_that_keeps_the_rules_passes(self):
        self.assertEqual(check(CLEAN), (0, []))

    def test_each_break_of_a_rule_is_reported_with_its_place(self):
        cases = [
            ("the Qt front end includes the Win32 one",
             "ui/qt/dialog.cpp", '#include "ui/win32/list_view.h"\n',
             "includes ui/win32/list_view.h of another front end"),
            ("the Win32 front end includes the Qt one",
             "ui/win32/dialog.cpp", '#include "ui/qt/list_view.h"\n',
             "includes ui/qt/list_view.h of another front end"),
            ("a file of ui/ in no front end",
             "ui/main.cpp", "int main() {}\n", "not in a front end folder of ui/"),
            ("a front end includes a header of ui/ outside the front ends",
             "ui/qt/dialog.cpp", '#include "ui/shared.h"\n',
             "includes ui/shared.h of another front end"),
            ("Qt in the application layer",
             "app/list_model.cpp", "#include <QString>\n",
             "includes the Qt header <QString> outside ui/qt"),
            ("Qt in the command line",
             "cli/main.cpp", "#include <QCoreApplication>\n",
             "includes the Qt header <QCoreApplication> outside ui/qt"),
            ("the application layer includes a front end",
             "app/state.cpp", '#include "ui/qt/list_view.h"\n',
             "app includes ui/qt/list_view.h of a later layer"),
            ("a system header in the Qt front end",
             "ui/qt/dialog.cpp", "#include <windows.h>\n",
             "includes the system header <windows.h>"),
            ("a system half of the platform outside the system halves",
             "ui/qt/dialog.cpp", '#include "platform/win32/win32_util.h"\n',
             "includes platform/win32/win32_util.h of a system half"),
            ("a question for the system outside the system halves",
             "app/state.cpp", "#ifdef _WIN32\n#endif\n", "asks which system it is built for"),
        ]
        for name, path, text, message in cases:
            with self.subTest(name):
                status, lines = check({**CLEAN, path: text})
                self.assertEqual(status, 1)
                self.assertEqual(len(lines), 1, lines)
                self.assertIn(path, lines[0])
                self.assertIn(message, lines[0])


if __name__ == "__main__":
    unittest.main()
