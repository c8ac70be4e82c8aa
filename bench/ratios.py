#!/usr/bin/env python3
"""Runs the benchmarks and reports each measured figure as a ratio to its
baseline measured in the same run, so that a shared, noisy machine still gives
comparable numbers."""
import json
import subprocess
import sys
from pathlib import Path

# (program, measured benchmark, baseline benchmark, what the ratio says)
PAIRS = [
    ("scan_bench", "BM_ScanFolder/{n}", "BM_ReadFirstBlocks/{n}",
     "folder scan / reading one block per file", [100, 1000, 10000]),
    ("scan_bench", "BM_ParseMeasurement", "BM_ReadMeasurement",
     "full parse / plain read of the same file", [None]),
    ("convert_bench", "BM_WriteExchangeFile/{n}", "BM_ParseSameMeasurement/{n}",
     "exchange-file writer / parsing the same measurement", [1000, 100000]),
    ("handover_bench", "BM_RawSignalHandOver/{n}", "BM_CopyRawFile/{n}",
     "raw signal hand-over / one copy of the raw file", [7162, 120000, 2000000]),
]


def run(bench_dir: Path, program: str) -> dict:
    out = subprocess.run([str(bench_dir / program), "--benchmark_format=json",
                          "--benchmark_min_time=0.2"],
                         check=True, capture_output=True, text=True).stdout
    return {b["name"]: b["real_time"] for b in json.loads(out)["benchmarks"]
            if b.get("run_type", "iteration") == "iteration"}


def main() -> int:
    bench_dir = Path(sys.argv[1] if len(sys.argv) > 1 else "build/bench")
    results = {}
    print(f"{'ratio':>8}  {'measured':<34} what")
    for program, measured, baseline, what, args in PAIRS:
        if program not in results:
            results[program] = run(bench_dir, program)
        times = results[program]
        for n in args:
            m = measured.format(n=n) if n else measured
            b = baseline.format(n=n) if n else baseline
            m_key = next((k for k in times if k.startswith(m)), None)
            b_key = next((k for k in times if k.startswith(b)), None)
            if m_key is None or b_key is None or times[b_key] == 0:
                print(f"{'-':>8}  {m:<34} (missing)")
                continue
            print(f"{times[m_key] / times[b_key]:8.2f}  {m:<34} {what}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
