#!/usr/bin/env python3
"""Reads an export back with the tools its users have.

  export_readback.py csv OUT.csv DUMP.json   the CSV through the csv module, against the
                                             data rows of `rqx340 dump --rows N`
  export_readback.py wav OUT.wav RAW         the WAV through soundfile, against the raw
                                             data file's samples

Exit 0 when they agree, 1 with the first difference, 77 when soundfile is missing."""
import csv
import json
import struct
import sys


def float32_bits(text):
    return struct.pack("<f", float(text))


def check_csv(csv_path, dump_path):
    with open(csv_path, "rb") as f:
        raw = f.read()
    if raw.startswith(b"\xef\xbb\xbf"):
        return "the CSV starts with a byte order mark"
    if raw.replace(b"\r\n", b"").count(b"\n") or raw.replace(b"\r\n", b"").count(b"\r"):
        return "a line does not end with CRLF"
    with open(dump_path, encoding="utf-8") as f:
        dump = json.load(f)
    with open(csv_path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    header, body = rows[0], rows[1:]
    if header[0] != "row" or len(header) != dump["rowLength"] + 1:
        return f"header of {len(header)} fields for rows of {dump['rowLength']} values"
    if len(body) != dump["header"]["rowCount"] or len(body) != len(dump["rows"]):
        return f"{len(body)} rows, the exchange file has {dump['header']['rowCount']}"
    for index, (line, expected) in enumerate(zip(body, dump["rows"])):
        if line[0] != str(index):
            return f"row {index} is numbered {line[0]}"
        for column, (got, want) in enumerate(zip(line[1:], expected)):
            if float32_bits(got) != float32_bits(want):
                return f"row {index} column {header[column + 1]}: {got} != {want}"
    return None


def check_wav(wav_path, raw_path):
    try:
        import numpy
        import soundfile
    except ImportError:
        sys.exit(77)
    data, rate = soundfile.read(wav_path, dtype="float32", always_2d=True)
    info = soundfile.info(wav_path)
    if rate != 7162 or info.channels != 3 or info.subtype != "FLOAT":
        return f"rate {rate}, {info.channels} channels, subtype {info.subtype}"
    samples = numpy.fromfile(raw_path, dtype="<f4")
    samples = samples[: len(samples) // 3 * 3].reshape(-1, 3)
    if data.shape != samples.shape:
        return f"shape {data.shape}, the raw data file has {samples.shape}"
    if not numpy.array_equal(data.view(numpy.uint32), samples.view(numpy.uint32)):
        return "the samples differ"
    return None


def main():
    kind, out, reference = sys.argv[1:4]
    problem = check_csv(out, reference) if kind == "csv" else check_wav(out, reference)
    if problem:
        print(problem)
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
