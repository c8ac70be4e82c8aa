#!/usr/bin/env python3
"""The benchmarks as one table with a target per row.

Usage: run_bench.py BUILD_DIR [--reps N] [--scale F] [--keep] [--only SECTION,...]

Whole-process rows run the real programs of BUILD_DIR/bin against the small baseline
programs of BUILD_DIR/bench, interleaved, after one warm-up run of each: the ratio of each
pair is taken, and the row shows their median and range. Each process is started by
BUILD_DIR/bench/measure, which times it and takes its peak memory from
getrusage(RUSAGE_CHILDREN): never an in-process high-water mark. Inputs come from rqx340-gen under BUILD_DIR/bench-data and are
deleted afterwards; when the disk has too little room, every size is scaled down and a note
says so. The table is also written to BUILD_DIR/bench/latest.md.
"""

import argparse
import json
import os
import platform
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

MB = 1000 * 1000
MIB = 1024 * 1024

# Values per time-history row of a generated measurement with both octave sets: 19 broadband
# columns, 9 and 24 bands of 6. Packed rows: 4 bytes per value, and the row's length (or that it
# is no array) in 4 bytes.
VALUES_PER_ROW = 19 + 6 * 9 + 6 * 24
PACKED_ROW_BYTES = 4 * VALUES_PER_ROW + 4

# Disk the largest section needs at full size (the raw signals: file, axis files, copy).
FULL_SIZE_DISK = 1100 * MB


class Bench:
    def __init__(self, build, reps, scale, keep, only=None):
        self.build = Path(build).resolve()
        self.bin = self.build / "bin"
        self.bench = self.build / "bench"
        self.data = self.build / "bench-data"
        self.reps = reps
        self.scale = scale
        self.keep = keep
        self.only = only
        self.rows = []  # (benchmark, ours, baseline, ratios, target, higher_is_worse)
        self.notes = []

    # -- processes -------------------------------------------------------------------------

    def Run(self, command, env=None):
        """(wall seconds, peak RSS bytes) of one process; raises when it fails."""
        proc = subprocess.run([str(self.bench / "measure")] + [str(c) for c in command],
                              capture_output=True, text=True, env=env)
        if proc.returncode != 0:
            raise RuntimeError("%s exited with %d: %s" % (
                " ".join(str(c) for c in command), proc.returncode, proc.stderr.strip()))
        seconds, rss = proc.stdout.split()
        return float(seconds), int(rss)

    def Interleaved(self, ours, baseline, reps=None, between=None):
        """Warm-up, then `reps` pairs; lists of (seconds, rss) for each side."""
        reps = reps or self.reps
        if between:
            between()
        ours()
        baseline()
        a, b = [], []
        for _ in range(reps):
            if between:
                between()
            a.append(ours())
            b.append(baseline())
        return a, b

    def Gen(self, folder, *options):
        self.Run([self.bin / "rqx340-gen", *options, folder])

    # -- rows ------------------------------------------------------------------------------

    def AddTimeRow(self, name, ours, baseline, target):
        ratios = [x[0] / y[0] for x, y in zip(ours, baseline)]
        self.rows.append((name, "%.3f s" % statistics.median(x[0] for x in ours),
                          "%.3f s" % statistics.median(y[0] for y in baseline), ratios, target))

    def AddRow(self, name, ours_text, baseline_text, ratios, target):
        self.rows.append((name, ours_text, baseline_text, ratios, target))

    # -- sections --------------------------------------------------------------------------

    def Conversion(self):
        """Import against convert, convert against the bare DOM parse (107 MB)."""
        folder = self.data / "conversion"
        rows = max(100, int(70000 * self.scale))
        self.Gen(folder, "--count", "1", "--rows", rows, "--octaves", "both")
        measurement = folder / "M0001.rqx2"
        size = measurement.stat().st_size
        out = self.data / "out.bin"
        convert = lambda: self.Run([self.bin / "rqx340", "convert", measurement, out])
        dom = lambda: self.Run([self.bench / "dom_parse", measurement])
        a, b = self.Interleaved(convert, dom)
        self.AddTimeRow("conversion time, %.0f MB: convert / DOM parse" % (size / MB), a, b,
                        0.9)
        self.notes.append("The bare DOM parse of the %.0f MB file peaks at %.0f MB; convert at "
                          "%.0f MB." % (size / MB, statistics.median(y[1] for y in b) / MB,
                                        statistics.median(x[1] for x in a) / MB))

        with Host(self) as host:
            importing = lambda: self.Run(
                [self.bin / "rqx340", "import", "--host", host.window, "--folder", folder,
                 "M0001.rqx2"], env=host.env)
            a, b = self.Interleaved(importing, convert, reps=5, between=host.EmptyInbox)
        self.AddTimeRow("import / convert, %.0f MB, no raw file" % (size / MB), a, b, 1.5)
        shutil.rmtree(folder)
        out.unlink(missing_ok=True)

    def ConversionMemory(self):
        """Peak RSS of convert against the input size, 20 MB and 200 MB, both orders."""
        out = self.data / "out.bin"
        peaks = {}
        for order, target in (("first", 1.0), ("last", 1.5)):
            for nominal, rows in ((20, 13000), (200, 130000)):
                rows = max(100, int(rows * self.scale))
                folder = self.data / ("memory-%s-%d" % (order, nominal))
                self.Gen(folder, "--count", "1", "--rows", rows, "--octaves", "both",
                         "--columns", order)
                measurement = folder / "M0001.rqx2"
                size = measurement.stat().st_size
                runs = [self.Run([self.bin / "rqx340", "convert", measurement, out])
                        for _ in range(5)]
                rss = [r[1] for r in runs]
                peaks[(order, nominal)] = (statistics.median(rss), rows, size)
                self.AddRow("conversion memory, %.0f MB, columns %s the rows: peak RSS / input"
                            % (size / MB, "before" if order == "first" else "after"),
                            "%.1f MB" % (statistics.median(rss) / MB), "%.1f MB" % (size / MB),
                            [r / size for r in rss], target)
                shutil.rmtree(folder)
                out.unlink(missing_ok=True)
            small, large = peaks[(order, 20)], peaks[(order, 200)]
            growth = large[0] - small[0]
            packed = (large[1] - small[1]) * PACKED_ROW_BYTES
            self.AddRow("conversion memory growth, columns %s: RSS difference / packed rows"
                        % ("before" if order == "first" else "after"),
                        "%.1f MB" % (growth / MB), "%.1f MB" % (packed / MB),
                        [growth / packed], 1.0)

    def Scan(self):
        """rqx340 list --tsv against reading each file's first 64 KiB."""
        count = max(100, int(10000 * self.scale))
        folder = self.data / "scan"
        self.Gen(folder, "--count", count, "--rows", "47", "--octaves", "both",
                 "--raw", count // 10, "--raw-samples", "7162")
        sizes = [p.stat().st_size for p in folder.glob("*.rqx2")]
        listing = lambda: self.Run([self.bin / "rqx340", "list", "--tsv", folder])
        heads = lambda: self.Run([self.bench / "head_read", folder])
        a, b = self.Interleaved(listing, heads)
        self.AddTimeRow("folder scan, %d files of %.0f KiB: list --tsv / head read"
                        % (len(sizes), statistics.mean(sizes) / 1024), a, b, 1.3)
        shutil.rmtree(folder)

    def JapaneseCodePage(self):
        """Scan and convert of Japanese measurements under code page 932 against 1252."""
        env = {page: dict(os.environ, RQX340_ANSI_CODEPAGE=str(page)) for page in (932, 1252)}
        rqx340 = self.bin / "rqx340"
        out = self.data / "out.bin"
        count = max(100, int(3000 * self.scale))
        folder = self.data / "japanese-scan"
        self.Gen(folder, "--count", count, "--rows", "47", "--octaves", "both", "--texts",
                 "japanese", "--raw", count // 10, "--raw-samples", "7162")
        listing = lambda page: lambda: self.Run([rqx340, "list", "--tsv", folder], env=env[page])
        a, b = self.Interleaved(listing(932), listing(1252))
        self.AddTimeRow("folder scan, %d Japanese files: code page 932 / 1252" % count, a, b, 1.1)

        # One small file: the code page's tables, built once per process, count most here.
        small = folder / "M0001.rqx2"
        convert = lambda path, page: lambda: self.Run([rqx340, "convert", path, out],
                                                      env=env[page])
        a, b = self.Interleaved(convert(small, 932), convert(small, 1252),
                                reps=max(21, self.reps))
        self.AddTimeRow("conversion, one Japanese file of %.0f KB: code page 932 / 1252"
                        % (small.stat().st_size / 1000), a, b, 1.1)
        shutil.rmtree(folder)

        folder = self.data / "japanese-convert"
        self.Gen(folder, "--count", "1", "--rows", max(100, int(13000 * self.scale)), "--octaves",
                 "both", "--texts", "japanese")
        large = folder / "M0001.rqx2"
        a, b = self.Interleaved(convert(large, 932), convert(large, 1252))
        self.AddTimeRow("conversion time, %.0f MB Japanese: code page 932 / 1252"
                        % (large.stat().st_size / MB), a, b, 1.1)
        shutil.rmtree(folder)
        out.unlink(missing_ok=True)

    def RawSignal(self):
        """The raw hand-over against one plain copy, and its peak memory."""
        for mib in (64, 256):
            size = max(1, int(mib * self.scale)) * MIB
            samples = size // 12
            folder = self.data / ("raw-%d" % mib)
            self.Gen(folder, "--count", "1", "--rows", "10", "--raw", "1", "--raw-samples",
                     samples)
            raw = folder / "M0001.raw"
            temp = self.data / "raw-temp"
            temp.mkdir(exist_ok=True)
            copy = self.data / "raw-copy"
            handover = lambda: self.Run([self.bench / "raw_handover", raw, temp])
            baseline = lambda: self.Run([self.bench / "copy_file", raw, copy])
            a, b = self.Interleaved(handover, baseline)
            label = "%d MiB" % (size // MIB)
            self.AddTimeRow("raw hand-over, %s: hand-over / one copy" % label, a, b, 2.0)
            rss = [x[1] for x in a]
            self.AddRow("raw hand-over, %s: peak RSS / 8 MB" % label,
                        "%.1f MB" % (statistics.median(rss) / MB), "8.0 MB",
                        [r / (8 * MB) for r in rss], 1.0)
            shutil.rmtree(folder)
            shutil.rmtree(temp)
            copy.unlink(missing_ok=True)

    def WriterInformation(self):
        """The writer's in-process figure, for information: no target."""
        out = subprocess.run([str(self.bench / "convert_bench"), "--benchmark_format=json",
                              "--benchmark_min_time=0.2",
                              "--benchmark_filter=BM_(WriteExchangeFile|ParseSameMeasurement)/"
                              "100000"], check=True, capture_output=True, text=True).stdout
        times = {b["name"]: b["real_time"] for b in json.loads(out)["benchmarks"]}
        write = times.get("BM_WriteExchangeFile/100000")
        parse = times.get("BM_ParseSameMeasurement/100000")
        if write and parse:
            self.AddRow("writer in process, 100000 rows: write / DOM parse of the same text",
                        "%.0f ms" % write, "%.0f ms" % parse, [write / parse], None)

    # -- the whole run ---------------------------------------------------------------------

    def CheckDisk(self):
        self.build.mkdir(parents=True, exist_ok=True)
        free = shutil.disk_usage(self.build).free
        needed = FULL_SIZE_DISK * self.scale
        if free < needed * 1.2:
            self.scale *= max(0.01, (free / 1.2 - 50 * MB) / needed)
            self.notes.append("Only %.0f MB free on the build folder's disk: every input is "
                              "scaled to %.0f%% of its size, and the figures are not those "
                              "of the targets' sizes." % (free / MB, 100 * self.scale))

    def Print(self):
        header = ("benchmark", "ours", "baseline", "median ratio (min-max)", "target", "result")
        lines = []
        failed = 0
        for name, ours, baseline, ratios, target in self.rows:
            median = statistics.median(ratios)
            spread = ("%.2f (%.2f-%.2f)" % (median, min(ratios), max(ratios))
                      if len(ratios) > 1 else "%.2f" % median)
            if target is None:
                verdict, target_text = "info", "-"
            else:
                ok = median <= target
                failed += not ok
                verdict, target_text = ("PASS" if ok else "FAIL"), "<= %.1f" % target
            lines.append((name, ours, baseline, spread, target_text, verdict))
        widths = [max(len(r[i]) for r in lines + [header]) for i in range(len(header))]
        table = ["| " + " | ".join(h.ljust(w) for h, w in zip(header, widths)) + " |",
                 "|" + "|".join("-" * (w + 2) for w in widths) + "|"]
        table += ["| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |"
                  for r in lines]
        text = "\n".join(table)
        print(text)
        for note in self.notes:
            print("Note: " + note)
        machine = Machine()
        print("Machine: " + machine)
        report = self.bench / "latest.md"
        report.write_text(text + "\n\n" + "".join("Note: %s\n" % n for n in self.notes) +
                          "Machine: " + machine + "\n")
        return failed

    def Main(self):
        self.CheckDisk()
        shutil.rmtree(self.data, ignore_errors=True)
        self.data.mkdir(parents=True)
        try:
            for section in (self.Conversion, self.ConversionMemory, self.Scan,
                            self.JapaneseCodePage, self.RawSignal, self.WriterInformation):
                if self.only and section.__name__ not in self.only:
                    continue
                print("... %s" % section.__doc__.split("\n")[0], file=sys.stderr)
                section()
        finally:
            if not self.keep:
                shutil.rmtree(self.data, ignore_errors=True)
        return 1 if self.Print() else 0


class Host:
    """zul-refhost in a session directory of its own, for the import rows."""

    def __init__(self, bench):
        self.bench = bench
        self.dir = bench.data / "host"
        self.inbox = self.dir / "inbox"
        self.env = dict(os.environ, RQX340_RUNTIME_DIR=str(self.dir / "session"))
        self.proc = None
        self.window = None

    def __enter__(self):
        self.dir.mkdir(parents=True, exist_ok=True)
        self.out = open(self.dir / "host.out", "w+")
        self.proc = subprocess.Popen(
            [str(self.bench.bin / "zul-refhost"), "--tool", str(self.bench.bin / "rqx340"),
             "--inbox", str(self.inbox), "--log", str(self.dir / "commands.log")],
            stdout=self.out, stderr=subprocess.DEVNULL, env=self.env)
        for _ in range(200):
            self.out.seek(0)
            for line in self.out.read().splitlines():
                if line.startswith("window "):
                    self.window = line.split()[1]
            if self.window or self.proc.poll() is not None:
                break
            time.sleep(0.05)
        if not self.window:
            raise RuntimeError("zul-refhost did not start")
        return self

    def EmptyInbox(self):
        if self.inbox.exists():
            for entry in self.inbox.iterdir():
                entry.unlink()

    def __exit__(self, *exc):
        self.proc.terminate()
        self.proc.wait()
        self.out.close()
        shutil.rmtree(self.dir, ignore_errors=True)


def Machine():
    cpu = platform.processor() or platform.machine()
    try:
        for line in open("/proc/cpuinfo"):
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    memory = ""
    try:
        for line in open("/proc/meminfo"):
            if line.startswith("MemTotal"):
                memory = ", %.0f GiB" % (int(line.split()[1]) / 1024 / 1024)
    except OSError:
        pass
    load = "load %.2f %.2f %.2f" % os.getloadavg()
    return "%s, %d cores%s, %s %s, %s at the end" % (
        cpu, os.cpu_count() or 0, memory, platform.system(), platform.release(), load)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build", nargs="?", default="build")
    ap.add_argument("--reps", type=int, default=7, help="interleaved pairs per time row")
    ap.add_argument("--scale", type=float, default=1.0, help="scale every input by this")
    ap.add_argument("--keep", action="store_true", help="keep the generated inputs")
    ap.add_argument("--only", help="comma-separated sections to run (Conversion, "
                    "ConversionMemory, Scan, JapaneseCodePage, RawSignal, WriterInformation)")
    args = ap.parse_args()
    only = set(args.only.split(",")) if args.only else None
    return Bench(args.build, args.reps, args.scale, args.keep, only).Main()


if __name__ == "__main__":
    sys.exit(main())
