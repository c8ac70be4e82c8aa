#!/usr/bin/env python3
"""Compares `rqx340 convert` byte for byte with the Python oracle over generated cases.

Usage: crosscheck.py [--bin DIR] [--tz Z1,Z2,..] [--pictures P1,P2,..] [--codepage N1,N2,..]
                     [--seed N] [--random N] [--cases DIR] [--keep DIR] [--show N]
Prints one block per mismatch (case, setting, first differing offset and where it lies)
and a table of results per setting; exits 1 when any case differs.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import exchange_oracle as oracle  # noqa: E402
import gen_cases  # noqa: E402

PICTURES = {
    "de": ("dd.MM.yyyy", "HH:mm:ss"),
    "us": ("M/d/yyyy", "h:mm:ss tt"),
    "adjusted": ("ddd, d. MMMM yyyy gg", "hh.mm.ss t' "),
    "quoted": ("dddd, MMM dd 'of' yyyy 'y''all' ", "H 'h' m 'min' s 's ''tt'' tt"),
    "runs": ("ddddd MMMMM dd yyyyy", "HHH:mmm:sss ttt hhh"),
    "cjk": ("yyyy年M月d日", "tt h時mm分ss秒"),
    "long": ("dd.MM.yyyy '" + "x" * 120 + "'", "HH:mm:ss '" + "y" * 120 + "'"),
    "long-result": ("MMMM " * 14 + "yyyy", " ".join(["h"] * 63)),
}


def Hex(b):
    return " ".join("%02x" % x for x in b)


def Selected(family, case_index, setting_index, settings, per_page):
    """Whether --light runs a case in a setting: start-time and note cases in every zone and
    picture setting of the first code page, text cases in the first zone and picture setting of
    every code page, the others in one setting each, round-robin."""
    if family.startswith(("start/", "notes/")):
        return setting_index < per_page
    if family.startswith(("texts/", "dbcs/")):
        return setting_index % per_page == 0
    return case_index % settings == setting_index


def Compare(expected, actual):
    n = min(len(expected), len(actual))
    for i in range(n):
        if expected[i] != actual[i]:
            return i
    return None if len(expected) == len(actual) else n


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", default=os.path.join(os.getcwd(), "build", "bin"))
    ap.add_argument("--tz", default="UTC,Europe/Berlin,America/New_York")
    ap.add_argument("--pictures", default="de,us")
    ap.add_argument("--codepage", default="1252", help="comma-separated ANSI code pages")
    ap.add_argument("--seed", type=int, default=340)
    ap.add_argument("--random", type=int, default=150)
    ap.add_argument("--cases", help="use the cases of this folder (manifest.json)")
    ap.add_argument("--keep", help="write cases and mismatching outputs here")
    ap.add_argument("--show", type=int, default=40, help="mismatch blocks to print at most")
    ap.add_argument("--family", default="", help="only cases whose family starts with this")
    ap.add_argument("--light", action="store_true",
                    help="run start-time and note cases in every zone and picture setting of the "
                         "first code page, text cases in every code page, the others in one "
                         "setting each, round-robin")
    args = ap.parse_args()

    tool = os.path.join(args.bin, "rqx340")
    if not os.access(tool, os.X_OK):
        print("crosscheck: %s not found; build the rqx340 target first" % tool)
        return 77

    work = args.keep or tempfile.mkdtemp(prefix="rqx340-crosscheck-")
    os.makedirs(work, exist_ok=True)
    try:
        return Run(args, tool, work)
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)


def Run(args, tool, work):
    if args.cases:
        case_dir = args.cases
    else:
        case_dir = os.path.join(work, "cases")
        os.makedirs(case_dir, exist_ok=True)
        gen_cases.main(["gen_cases.py", case_dir, "--seed", str(args.seed), "--random",
                        str(args.random)])
    with open(os.path.join(case_dir, "manifest.json")) as f:
        manifest = [m for m in json.load(f) if m["family"].startswith(args.family)]
    inputs = {}
    for m in manifest:
        with open(os.path.join(case_dir, m["file"]), "rb") as f:
            inputs[m["file"]] = f.read()

    out_path = os.path.join(work, "out.bin")
    results = []
    shown = 0
    failures = []
    code_pages = args.codepage.split(",")
    settings = [(cp, tz, pic) for cp in code_pages for tz in args.tz.split(",")
                for pic in args.pictures.split(",")]
    per_page = len(settings) // len(code_pages)
    pages = {cp: oracle.CodePage(int(cp)) for cp in code_pages}
    for setting_index, (cp, tz, pic) in enumerate(settings):
        os.environ["TZ"] = tz
        time.tzset()
        short_date, time_format = PICTURES[pic]
        st = oracle.Settings(pages[cp], short_date, time_format)
        env = dict(os.environ, TZ=tz, RQX340_SHORTDATE=short_date,
                   RQX340_TIMEFORMAT=time_format, RQX340_ANSI_CODEPAGE=cp,
                   LC_ALL="C.UTF-8")
        passed = failed = 0
        for case_index, m in enumerate(manifest):
            if args.light and not Selected(m["family"], case_index, setting_index,
                                           len(settings), per_page):
                continue
            name = bytes.fromhex(m["name_hex"])
            src = os.path.join(case_dir, m["file"])
            if os.path.exists(out_path):
                os.remove(out_path)
            command = [tool.encode(), b"convert", src.encode(), out_path.encode()]
            if m["file"].endswith("7.rqx2"):
                name = m["file"].encode()  # the default NAME: the input's file name
            else:
                command += [b"--name", name]
            proc = subprocess.run(command, env=env, capture_output=True)
            expected = oracle.Convert(inputs[m["file"]], name, st)
            # A file too large for the format: exit 1 and no OUT at all.
            expected_code = 0 if expected is not None else 1
            actual = None
            if os.path.exists(out_path):
                with open(out_path, "rb") as f:
                    actual = f.read()
            offset = None if expected is None and actual is None else Compare(
                expected or b"", actual or b"")
            sanitizer = b"runtime error:" in proc.stderr or b"Sanitizer" in proc.stderr
            if proc.returncode == expected_code and offset is None and not sanitizer:
                passed += 1
                continue
            expected = expected or b""
            actual = actual or b""
            failed += 1
            failures.append((cp, tz, pic, m["file"], m["family"]))
            if args.keep:
                base = os.path.join(work, "%s-%s-%s-%s" % (cp, tz.replace("/", "_"), pic,
                                                           m["file"]))
                with open(base + ".expected", "wb") as f:
                    f.write(expected)
                with open(base + ".actual", "wb") as f:
                    f.write(actual)
            if shown >= args.show:
                continue
            shown += 1
            print("MISMATCH %s [%s] code page %s TZ=%s pictures=%s name=%r" % (
                m["file"], m["family"], cp, tz, pic, name))
            if proc.returncode != expected_code or sanitizer:
                print("  rqx340 exit %d: %s" % (proc.returncode,
                                                proc.stderr.decode(errors="replace").strip()))
            if offset is not None:
                print("  sizes: expected %d, actual %d" % (len(expected), len(actual)))
                print("  first difference at offset %d: %s" % (
                    offset, oracle.Describe(expected, offset)))
                lo = max(0, offset - 8)
                print("  expected[%d..]: %s" % (lo, Hex(expected[lo:offset + 24])))
                print("  actual  [%d..]: %s" % (lo, Hex(actual[lo:offset + 24])))
        results.append((cp, tz, pic, passed, failed))

    print()
    print("%-9s %-20s %-10s %7s %7s" % ("code page", "TZ", "pictures", "passed", "failed"))
    for cp, tz, pic, passed, failed in results:
        print("%-9s %-20s %-10s %7d %7d" % (cp, tz, pic, passed, failed))
    if failures:
        families = {}
        for _cp, _tz, _pic, file, family in failures:
            families.setdefault(family, set()).add(file)
        print("\nFailing families:")
        for family, files in sorted(families.items()):
            print("  %-40s %s" % (family, " ".join(sorted(files)[:8])))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
