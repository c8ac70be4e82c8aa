#!/usr/bin/env python3
"""Writes seeded, varied measurement files that stress the exchange-file conversion.

Usage: gen_cases.py OUT_DIR [--seed N] [--random N]
Writes OUT_DIR/<case>.rqx2 and OUT_DIR/manifest.json: a list of {"file", "name_hex", "family"}
where name_hex is the NAME text (as bytes) to convert the case with.
Standard library only; the JSON text is emitted by hand so that number spellings, duplicate
keys, raw bytes and broken syntax are exactly what each case wants.
"""

import json
import os
import random
import sys


class Raw:
    """Literal JSON text, emitted as is."""

    def __init__(self, text):
        self.text = text.encode() if isinstance(text, str) else text


class Obj:
    """An object as an ordered list of (key, value); keys may repeat."""

    def __init__(self, pairs=None):
        self.pairs = list(pairs or [])

    def Set(self, key, value):
        for i, (k, _v) in enumerate(self.pairs):
            if k == key:
                self.pairs[i] = (key, value)
                return self
        self.pairs.append((key, value))
        return self

    def Add(self, key, value):
        self.pairs.append((key, value))
        return self

    def Remove(self, key):
        self.pairs = [(k, v) for k, v in self.pairs if k != key]
        return self

    def Get(self, key):
        for k, v in self.pairs:
            if k == key:
                return v
        return None


def _EscapeBytes(raw):
    out = bytearray()
    for b in raw:
        if b == 0x22:
            out += b'\\"'
        elif b == 0x5C:
            out += b"\\\\"
        elif b < 0x20:
            out += b"\\u%04x" % b
        else:
            out.append(b)
    return bytes(out)


def _String(v, rng):
    if isinstance(v, bytes):
        return b'"' + _EscapeBytes(v) + b'"'
    ascii_only = rng is not None and rng.random() < 0.3
    return json.dumps(v, ensure_ascii=ascii_only).encode()


def Emit(v, rng=None, ws=False):
    def sp():
        if ws and rng is not None and rng.random() < 0.2:
            return rng.choice([b" ", b"\n", b"\t", b"\r\n  "])
        return b""

    if isinstance(v, Raw):
        return v.text
    if v is None:
        return b"null"
    if v is True:
        return b"true"
    if v is False:
        return b"false"
    if isinstance(v, int):
        return str(v).encode()
    if isinstance(v, float):
        return repr(v).encode()
    if isinstance(v, (str, bytes)):
        return _String(v, rng)
    if isinstance(v, list):
        return b"[" + sp() + b",".join(sp() + Emit(x, rng, ws) + sp() for x in v) + b"]"
    if isinstance(v, dict):
        v = Obj(v.items())
    if isinstance(v, Obj):
        return (b"{" + sp() + b",".join(
            sp() + _String(k, rng) + sp() + b":" + sp() + Emit(x, rng, ws) + sp()
            for k, x in v.pairs) + b"}")
    raise TypeError(type(v))


# ---------------------------------------------------------------------------------------------
# Building blocks.

QUANTITY_COLUMNS = [q + a for a in ("_x", "_y", "_z", "_sum") for q in ("rms", "peak", "vdv",
                                                                     "min", "max")
                    if not (q == "vdv" and a == "_sum")]

NUMBER_SPELLINGS = [
    "0", "-0", "1", "-1", "0.0", "-0.0", "1.0", "2.5", "0.1", "0.3e-5", "1e3", "1E+2", "1e-3",
    "123.456", "-7.25e-2", "2147483647", "-2147483648", "2147483648", "4294967295",
    "4294967296", "9223372036854775807", "-9223372036854775808", "-9223372036854775809",
    "18446744073709551615", "18446744073709551616", "123456789012345678901234567890",
    "0.12345678901234567890123", "1e39", "-1e39", "3.4028235e38", "3.4028236e38",
    "3.40282356779733661637539395458142568448e38", "1e-40", "1.4e-45", "7e-46", "1e-46",
    "4.9e-324", "1e-400", "2.2250738585072014e-308", "1.7976931348623157e308", "16777217.0",
    "16777217", "0.000000000000000000001234", "100000000000000000000.5", "1e308", "5e-324",
    "0.30000000000000004", "9007199254740993", "9007199254740993.0", "1.00000005960464477539",
    "0.1000000000000000055511151231257827", "123456789.987654321e-10",
]


def RandomNumberText(rng):
    r = rng.random()
    if r < 0.35:
        return rng.choice(NUMBER_SPELLINGS)
    if r < 0.55:
        return str(rng.randint(-1000, 100000))
    if r < 0.8:
        return repr(rng.uniform(-10, 300))
    if r < 0.9:
        m = rng.uniform(1, 10)
        return "%.*fe%d" % (rng.randint(0, 20), m, rng.randint(-60, 60))
    digits = "".join(rng.choice("0123456789") for _ in range(rng.randint(1, 30)))
    frac = "".join(rng.choice("0123456789") for _ in range(rng.randint(1, 30)))
    return "%s%s.%s" % (rng.choice(["", "-"]), digits.lstrip("0") or "0", frac)


def RandomElement(rng, junk=0.0):
    if junk and rng.random() < junk:
        return rng.choice([None, True, False, "1.5", "x", [], [1.0], Obj([("a", 1)])])
    return Raw(RandomNumberText(rng))


def Columns(rng, layout):
    """TimeHistoryColumns object and the row length that covers it."""
    cols = Obj()
    if layout == "standard":
        idx = list(range(19))
        for name, i in zip(QUANTITY_COLUMNS, idx):
            cols.Add(name, i)
        top = 19
    else:
        top = 0
        for name in QUANTITY_COLUMNS:
            i = rng.randint(0, 40)
            cols.Add(name, i)
            top = max(top, i + 1)
    return cols, top


# Member orders of the root, taken in turn: the time history before or after its columns
# (the meter writes the columns first), and sometimes the settings after the rows.
ROOT_ORDERS = [
    ("Header", "MeasurementProperties", "Notes", "Summary", "TimeHistoryColumns", "TimeHistory"),
    ("Header", "MeasurementProperties", "Notes", "Summary", "TimeHistory", "TimeHistoryColumns"),
    ("Header", "Notes", "Summary", "TimeHistoryColumns", "TimeHistory", "MeasurementProperties"),
    ("Header", "MeasurementProperties", "Notes", "Summary", "TimeHistoryColumns", "TimeHistory"),
    ("Header", "MeasurementProperties", "Notes", "Summary", "TimeHistory", "TimeHistoryColumns"),
    ("Header", "Notes", "Summary", "TimeHistory", "TimeHistoryColumns", "MeasurementProperties"),
]
_next_order = [0]


def BaseMeasurement(rng, rows=None, full=None, third=None, n1=None, n3=None):
    full = rng.random() < 0.5 if full is None else full
    third = rng.random() < 0.5 if third is None else third
    n1 = rng.choice([0, 1, 3, 9]) if n1 is None else n1
    n3 = rng.choice([0, 1, 5, 24]) if n3 is None else n3
    rows = rng.randint(0, 6) if rows is None else rows
    cols, top = Columns(rng, rng.choice(["standard", "standard", "scattered"]))
    s1 = top + rng.randint(0, 3)
    s3 = s1 + 6 * n1 + rng.randint(0, 2)
    cols.Add("OBA1_1_Start", s1).Add("OBA1_1_Count", n1)
    cols.Add("OBA1_3_Start", s3).Add("OBA1_3_Count", n3)
    width = max(top, s1 + 6 * n1, s3 + 6 * n3)
    props = Obj([
        ("TAG_OPERATING_MODE_20", rng.randint(0, 2)),
        ("TAG_REPORT_HEADER_0_6", rng.choice(["Site A", "Werk Süd", "", "Línea 3 — Prüfstand"])),
        ("TAG_REPORT_HEADER_1_7", rng.choice(["Cal 2024", "", "Kalibrierung °C"])),
        ("TAG_REPORT_HEADER_2_8", rng.choice(["Operator", "Jörg Müller", ""])),
        ("TAG_GAIN_X_22", Raw(RandomNumberText(rng))),
        ("TAG_GAIN_Y_23", 1), ("TAG_GAIN_Z_24", 1.0),
        ("TAG_SUM_FACTOR_KX_34", 1.4), ("TAG_SUM_FACTOR_KY_35", 1.4),
        ("TAG_SUM_FACTOR_KZ_36", 1.0),
        ("TAG_WEIGHTING_X_37", rng.randint(0, 12)), ("TAG_WEIGHTING_Y_38", rng.randint(0, 12)),
        ("TAG_WEIGHTING_Z_39", rng.randint(0, 12)),
        ("TAG_SENSITIVITY_X_46", Raw(RandomNumberText(rng))),
        ("TAG_SENSITIVITY_Y_47", 10.2), ("TAG_SENSITIVITY_Z_48", 9.87),
        ("TAG_DB_REFERENCE_51", rng.choice([0, 1])),
        ("TAG_STORE_RAW_53", 0),
        ("TAG_FULL_OCTAVE_54", 1 if full else 0),
        ("TAG_THIRD_OCTAVE_55", 1 if third else 0),
        ("TAG_EXPOSURELIMIT_65", 5.0), ("TAG_EXPOSUREACTION_66", 2.5),
    ])
    header = Obj([("SerialNum", rng.choice(["AB123", "RQX-0042", "S/N 7"])),
                  ("StartDateTime", rng.randint(1_000_000_000, 1_900_000_000))])
    notes = [Obj([("%ds" % rng.randint(1_400_000_000, 1_800_000_000), "note %d" % k)])
             for k in range(rng.randint(0, 5))]
    summary = Obj([("AeqX", Raw(repr(rng.uniform(0, 3)))), ("AeqY", Raw(repr(rng.uniform(0, 3)))),
                   ("AeqZ", Raw(repr(rng.uniform(0, 3)))), ("Duration", rng.randint(1, 100000)),
                   ("PeakX", Raw(RandomNumberText(rng)))])
    history = [[RandomElement(rng) for _ in range(width)] for _ in range(rows)]
    members = {"Header": header, "MeasurementProperties": Obj([("MeasProperties", props)]),
               "Notes": notes, "Summary": summary, "TimeHistory": history,
               "TimeHistoryColumns": cols}
    order = ROOT_ORDERS[_next_order[0] % len(ROOT_ORDERS)]
    _next_order[0] += 1
    return Obj([(key, members[key]) for key in order])


def Props(root):
    outer = root.Get("MeasurementProperties")
    return outer.Get("MeasProperties") if isinstance(outer, Obj) else None


# ---------------------------------------------------------------------------------------------
# Case families.

NAMES = [b"m.rqx2", "Messung ü €.rqx2".encode(), "日本語.rqx2".encode(), b"x" * 300 + b".rqx2",
         b"bad\xff\xc3.rqx2", "Ω≈ç√.rqx2".encode(), b"plain name with spaces.rqx2",
         "\U0001F600 tag\U000E0041.rqx2".encode()]


class Cases:
    def __init__(self, rng):
        self.rng = rng
        self.items = []

    def Add(self, family, content, name=None):
        if not isinstance(content, bytes):
            content = Emit(content, self.rng, ws=self.rng.random() < 0.3)
        if name is None:
            name = self.rng.choice(NAMES) if self.rng.random() < 0.3 else b"m.rqx2"
        self.items.append((family, content, name))


def FamilyParse(c):
    good = Emit(BaseMeasurement(c.rng, rows=2))
    for label, text in [
        ("empty", b""), ("whitespace", b" \r\n\t "), ("trailing-garbage", good + b" x"),
        ("trailing-second-value", good + b"{}"),
        ("nul-inside", good[:40] + b"\0" + good[40:]), ("bom", b"\xef\xbb\xbf" + good),
        ("nan", b'{"Summary":{"a":NaN}}'), ("infinity", b'{"Summary":{"a":Infinity}}'),
        ("neg-infinity", b'{"Summary":{"a":-Infinity}}'),
        ("trailing-comma-object", b'{"Summary":{"a":1,}}'),
        ("trailing-comma-array", b'{"TimeHistory":[[1,2],]}'), ("truncated", good[:-1]),
        ("comment", b'/* c */' + good), ("single-quotes", b"{'Header':{}}"),
        ("control-char", b'{"Header":{"SerialNum":"a\tb"}}'),
        ("number-too-big", b'{"Summary":{"a":1e400}}'), ("leading-zero", b'{"Summary":{"a":01}}'),
        ("plus-number", b'{"Summary":{"a":+1}}'), ("dot-number", b'{"Summary":{"a":.5}}'),
        ("missing-fraction", b'{"Summary":{"a":1.}}'), ("missing-exponent", b'{"Summary":{"a":1e}}'),
        ("lone-high-surrogate", b'{"Header":{"SerialNum":"\\ud800x"}}'),
        ("bad-escape", b'{"Header":{"SerialNum":"\\x41"}}'), ("bad-literal", b'{"a":tru}'),
        ("unquoted-key", b'{Header:{}}'), ("missing-colon", b'{"Header" {}}'),
        ("hex-number", b'{"a":0x10}'), ("big-int-overflow-digits", b'{"a":' + b"9" * 400 + b"}"),
    ]:
        c.Add("parse-fail/" + label, text)
    for label, text in [
        ("root-array", b"[1,2,3]"), ("root-number", b"42"), ("root-string", b'"x"'),
        ("root-null", b"null"), ("empty-object", b"{}"), ("nul-after-root", good + b"\0"),
        ("nul-then-garbage", good + b"\0garbage"),
        ("trailing-ws", good + b" \n\r\t"),
        ("deep-nesting", b'{"x":' + b"[" * 5000 + b"]" * 5000 + b', "Header":{"SerialNum":"D"}}'),
        ("lone-low-surrogate", b'{"Header":{"SerialNum":"\\udc00x"}}'),
        ("surrogate-pair", b'{"Header":{"SerialNum":"\\ud83d\\ude00"}}'),
        ("exp-large-frac", b'{"Summary":{"a":0.000000000000000000001e320}}'),
        ("exp-neg-huge", b'{"Summary":{"a":1e-99999999999}}'),
        ("uppercase-escape", b'{"Header":{"SerialNum":"\\u00C4\\u00e4"}}'),
    ]:
        c.Add("parse-ok/" + label, text)


def FamilyTexts(c):
    rng = c.rng
    texts = [
        "Grüße €", "日本語テキスト", "\U0001F600 emoji", "tag\U000E0041\U000E007F end",
        "a" * 254, "a" * 255, "a" * 300, "€" * 100, "€" * 300, "x" * 253 + "€€",
        "ü" * 254 + "v", "nul\u0000after", "\u0000", "", "tab\there", "quote\"back\\slash",
        "Ł ő Ё ж ₮", "\ufffd replacement", "\u00a0nbsp", "Tiếng Việt ằ ở Ạ", "שָׁלוֹם ₪",
        "e\u0301 A\u0323 combining",
    ]
    raws = [b"bad \xff byte", b"trunc \xe2\x82", b"overlong \xc0\x80", b"surrogate \xed\xa0\x80",
            b"toohigh \xf4\x90\x80\x80", b"\xf5\xf6\xf7", b"lead \xc3", b"cont \x80\x80x",
            b"\xe0\x80\x80", b"\xf0\x9f\x98", b"mixed \xc3\xa4\xff\xe2\x82\xac\xe2", b"\xc2" * 300]
    for i, t in enumerate(texts + raws):
        root = BaseMeasurement(rng, rows=1)
        props = Props(root)
        key = rng.choice(["TAG_REPORT_HEADER_0_6", "TAG_REPORT_HEADER_1_7",
                          "TAG_REPORT_HEADER_2_8"])
        props.Set(key, t)
        root.Get("Header").Set("SerialNum", t)
        root.Set("Notes", [Obj([("1500000000s", t)]), Obj([("1500000001s", "plain")])])
        root.Get("Summary").Add(t if isinstance(t, str) else t, 1.5)
        root.Get("Summary").Add(t if isinstance(t, str) else t, 7)
        c.Add("texts/%d" % i, root)
    for name in NAMES:
        c.Add("texts/name", BaseMeasurement(rng, rows=1), name=name)
    # Header members of other types.
    for v in [None, 12345, 1.5, True, [], Obj([("a", "b")]), ["AB"]]:
        root = BaseMeasurement(rng, rows=1)
        root.Get("Header").Set("SerialNum", v)
        for key in ("TAG_REPORT_HEADER_0_6", "TAG_REPORT_HEADER_1_7"):
            Props(root).Set(key, v)
        c.Add("texts/wrong-type", root)
    root = BaseMeasurement(rng, rows=1)
    root.Get("Header").Remove("SerialNum")
    c.Add("texts/serial-missing", root)
    root = BaseMeasurement(rng, rows=1)
    root.Set("Header", [1, 2])
    c.Add("texts/header-array", root)
    root = BaseMeasurement(rng, rows=1)
    root.pairs.insert(0, ("Header", Obj([("SerialNum", "FIRST"), ("StartDateTime", 1)])))
    c.Add("texts/duplicate-header-first-wins", root)
    root = BaseMeasurement(rng, rows=1)
    root.Get("Header").pairs.insert(0, ("SerialNum\u0000", "KEYWITHNUL"))
    root.Get("Header").pairs.insert(0, ("serialnum", "lower"))
    c.Add("texts/key-nul-and-case", root)


def FamilyNotes(c):
    rng = c.rng
    names = ["1500000000s", "15000000001", "", "s", "5", "  -123x", "+5x", "\t\n42z",
             "99999999999999999999s", "-99999999999999999999s", "1500000000\u0000junk",
             "\u00001500000000s", "67768036191676799s", "67768036191676800s",
             "-67768040609740800s", "-67768040609740801s", "-12000000000000s", "0s", "-1s",
             "253402300799s", "253402300800s", "-11644473600s", "-11644473601s",
             "1616898600s", "1615689000s", "1635647400s", "1636248600s", "2147483647s",
             "1500000000é", "١٢٣s", "0x10s", "1e9s", "1500000000 s", "- 5s",
             "9223372036854775807s", "9223372036854775808s", "-9223372036854775808s"]
    for chunk in range(0, len(names), 6):
        root = BaseMeasurement(rng, rows=0)
        root.Set("Notes", [Obj([(n, "text for %r" % n)]) for n in names[chunk:chunk + 6]])
        c.Add("notes/times", root)
    shapes = [1, "str", None, True, [], ["a"], Obj(), Obj([("1500000000s", 5)]),
              Obj([("1500000000s", None)]), Obj([("1500000000s", Obj([("a", "b")]))]),
              Obj([("1500000000s", "first"), ("1600000000s", "second")]),
              Obj([("1500000000s", ["x"])]), Obj([("1500000000s", 1.5)])]
    for k in range(3):
        root = BaseMeasurement(rng, rows=0)
        root.Set("Notes", rng.sample(shapes, len(shapes)))
        c.Add("notes/shapes", root)
    for count in (0, 1, 3, 4, 5, 46, 47, 60):
        root = BaseMeasurement(rng, rows=1)
        root.Set("Notes", [Obj([("%ds" % (1_500_000_000 + 3600 * k), "n%d" % k)])
                           for k in range(count)])
        c.Add("notes/count-%d" % count, root)
    for v in [Obj([("1500000000s", "x")]), "notes", 5, None]:
        root = BaseMeasurement(rng, rows=0)
        root.Set("Notes", v)
        c.Add("notes/not-array", root)
    root = BaseMeasurement(rng, rows=0)
    root.Remove("Notes")
    c.Add("notes/missing", root)


def FamilySummary(c):
    rng = c.rng
    members = [("Dur", 600), ("Aeq", 1.25), ("Name", "x"), ("Big", 3000000000),
               ("Neg", -2147483648), ("NegBig", -2147483649), ("U64", Raw("18446744073709551615")),
               ("Huge", Raw("18446744073709551616")), ("Two", Raw("2.0")), ("Exp", Raw("3e0")),
               ("Null", None), ("T", True), ("Arr", [1.5]), ("Obj", Obj([("a", 1.5)])),
               ("Inf", Raw("1e39")), ("NegInf", Raw("-1e39")), ("Den", Raw("1e-40")),
               ("Tiny", Raw("1e-50")), ("NegZero", Raw("-0.0")), ("IntNegZero", Raw("-0")),
               ("Max", Raw("3.4028235e38")), ("P24", Raw("16777217.0")),
               ("Dup", 1), ("Dup", 2.5), ("Dup", 3),
               ("N" * 30, 1), ("L" * 31, 2), ("M" * 40, 3.5), ("ü" * 20, 4), ("ü" * 16, 4.5),
               ("日" * 12, 5), ("€" * 31, 6.5), ("\u0000", 7), ("\u0000", 7.5),
               ("AeqX\u0000junk", 0.5), ("Aeq\u0000X", 0.5), ("", 8), ("", 8.5),
               ("bad\xff", 9)]
    aeq = [("AeqX", 0.5), ("AeqY", 0.25), ("aeqz", 1.5), ("AEQX", 2.0), ("aEqY", Raw("1e39")),
           ("AeqZ", Raw("1e-45")), ("AeqX", 7), ("Aeq X", 1.0), ("AeqXX", 1.0), ("AeqÝ", 1.0),
           ("AeqW", 1.0), ("AeqX", Raw("-1e39")), ("AeqX", Raw("3.4028235e38"))]
    for k in range(6):
        root = BaseMeasurement(rng, rows=1)
        chosen = rng.sample(members, rng.randint(5, len(members))) + rng.sample(aeq, 5)
        rng.shuffle(chosen)
        root.Set("Summary", Obj(chosen))
        props = Props(root)
        props.Set("TAG_SUM_FACTOR_KX_34", rng.choice([1.4, 1, 0, Raw("1e39"), Raw("-0.0"),
                                                      Raw("0.1"), "1.4", None]))
        props.Set("TAG_SUM_FACTOR_KY_35", rng.choice([1.4, Raw("3e38"), Raw("1e-30")]))
        if rng.random() < 0.3:
            props.Remove("TAG_SUM_FACTOR_KZ_36")
        c.Add("summary/mixed", root)
    root = BaseMeasurement(rng, rows=1)
    root.Set("Summary", Obj([("AeqX", Raw("1e39"))]))
    Props(root).Set("TAG_SUM_FACTOR_KX_34", 0)
    c.Add("summary/inf-times-zero", root)
    root = BaseMeasurement(rng, rows=1)
    root.Set("Summary", Obj([("AeqX", 0.5), ("AeqY", 0.25), ("Count", 12), ("aeqz", 1.5)]))
    for k, v in (("KX", 1.4), ("KY", 1.4), ("KZ", 1.0)):
        Props(root).Set("TAG_SUM_FACTOR_%s_%d" % (k, {"KX": 34, "KY": 35, "KZ": 36}[k]), v)
    c.Add("summary/example", root)
    for count in (100, 101, 150):
        root = BaseMeasurement(rng, rows=0)
        root.Set("Summary", Obj([("I%d" % k, k) for k in range(count)]))
        c.Add("summary/ints-%d" % count, root)
    for count in (88, 89, 120):
        root = BaseMeasurement(rng, rows=0)
        root.Set("Summary", Obj([("R%d" % k, k + 0.5) for k in range(count)]))
        c.Add("summary/reals-%d" % count, root)
    root = BaseMeasurement(rng, rows=0)
    root.Set("Summary", Obj([("AeqX", 0.1 * k) for k in range(50)]))
    c.Add("summary/many-aeq", root)
    for v in [[1, 2], "s", 5, None]:
        root = BaseMeasurement(rng, rows=0)
        root.Set("Summary", v)
        c.Add("summary/not-object", root)


def FamilySettings(c):
    rng = c.rng
    values = [0, 1, 2, 3, 5, 7, -1, -3, 4, 8, 12, 13, 20, -5, Raw("2.0"), Raw("1.0"), "1", True,
              None, 3000000000, Raw("-2147483648"), Raw("2147483647"), Raw("-2147483649"),
              Raw("18446744073709551615"), [], Obj()]
    reals = [Raw(s) for s in NUMBER_SPELLINGS] + ["1.5", True, None, [], Obj()]
    int_keys = ["TAG_OPERATING_MODE_20", "TAG_WEIGHTING_X_37", "TAG_WEIGHTING_Y_38",
                "TAG_WEIGHTING_Z_39", "TAG_DB_REFERENCE_51"]
    real_keys = ["TAG_GAIN_X_22", "TAG_GAIN_Y_23", "TAG_GAIN_Z_24", "TAG_SUM_FACTOR_KX_34",
                 "TAG_SUM_FACTOR_KY_35", "TAG_SUM_FACTOR_KZ_36", "TAG_SENSITIVITY_X_46",
                 "TAG_SENSITIVITY_Y_47", "TAG_SENSITIVITY_Z_48", "TAG_EXPOSURELIMIT_65",
                 "TAG_EXPOSUREACTION_66"]
    for k in range(12):
        root = BaseMeasurement(rng, rows=1, full=False, third=False)
        props = Props(root)
        for key in int_keys:
            if rng.random() < 0.15:
                props.Remove(key)
            else:
                props.Set(key, rng.choice(values))
        for key in real_keys:
            if rng.random() < 0.15:
                props.Remove(key)
            else:
                props.Set(key, rng.choice(reals))
        c.Add("settings/values", root)
    for v in [[], "x", 5, None]:
        root = BaseMeasurement(rng, rows=1)
        root.Set("MeasurementProperties", Obj([("MeasProperties", v)]))
        c.Add("settings/props-not-object", root)
    root = BaseMeasurement(rng, rows=1)
    root.Set("MeasurementProperties", [Obj([("MeasProperties", Props(root))])])
    c.Add("settings/outer-not-object", root)
    root = BaseMeasurement(rng, rows=1)
    Props(root).pairs.insert(0, ("TAG_WEIGHTING_X_37", 12))
    Props(root).pairs.insert(0, ("TAG_OPERATING_MODE_20", 1))
    c.Add("settings/duplicate-first-wins", root)


def FamilyStart(c):
    rng = c.rng
    starts = [0, 1, -1, -86400, 3600, 17999, 18000, 18001, 86400, 1500000000, 2147483647,
              2147483647 - 3600, 2147483647 + 3600, 2147483647 + 18000, 2147483647 + 18001,
              2147483648, 32503680000, -62135596800, Raw("9223372036854775807"),
              Raw("-9223372036854775808"), Raw("18446744073709551615"), Raw("1.5e9"), "1500000000",
              None, True, 1616898600, 1615689000, 1635647400, 1636248600, 1616895000, 1616902200,
              1635643800, 1635651000, 1636245000, 1636252200, 1615685400, 1615692600,
              Raw("1500000000.0"), 4294967295, -2147483648, -2147483649,
              67768036191676799, 67768036191676800]
    for s in starts:
        root = BaseMeasurement(rng, rows=0)
        root.Get("Header").Set("StartDateTime", s)
        c.Add("start/%s" % (s.text.decode() if isinstance(s, Raw) else repr(s)), root)
    root = BaseMeasurement(rng, rows=0)
    root.Get("Header").Remove("StartDateTime")
    c.Add("start/missing", root)


def FamilyOctave(c):
    rng = c.rng
    flags = [1, Raw("1.0"), True, 2, "1", 0, -1, None, Raw("4294967297")]
    for k in range(14):
        root = BaseMeasurement(rng, rows=rng.randint(1, 4), full=True, third=True,
                               n1=rng.choice([1, 2, 3, 5, 9]), n3=rng.choice([1, 3, 7, 24]))
        props = Props(root)
        props.Set("TAG_FULL_OCTAVE_54", rng.choice(flags))
        props.Set("TAG_THIRD_OCTAVE_55", rng.choice(flags))
        c.Add("octave/flags", root)
    cases = [  # (s1, n1, s3, n3)
        (19, 3, 37, 5), (20, 3, 40, 1), (25, -2, 19, 2), (19, 2, 19, 2), (-6, 2, 0, 1),
        (-3, 2, 30, -1), (2147483647, 2, 5, 1), (-2147483648, 1, 19, 1), (100, 2, 19, 3),
        (19, 0, 19, 0), (22, 7, 18, 3),
    ]
    for s1, n1, s3, n3 in cases:
        root = BaseMeasurement(rng, rows=3, full=True, third=True, n1=max(n1, 0), n3=max(n3, 0))
        cols = root.Get("TimeHistoryColumns")
        cols.Set("OBA1_1_Start", s1).Set("OBA1_1_Count", n1)
        cols.Set("OBA1_3_Start", s3).Set("OBA1_3_Count", n3)
        c.Add("octave/ranges", root)
    for v in [Raw("3.0"), "3", None, Raw("3000000000"), Raw("-2147483649")]:
        root = BaseMeasurement(rng, rows=2, full=True, third=False, n1=3)
        root.Get("TimeHistoryColumns").Set("OBA1_1_Count", v)
        c.Add("octave/count-type", root)
    # Values that exercise the single-precision sum.
    extremes = ["3", "4", "0", "1e20", "1e-20", "1e-23", "3e19", "1.8446744e19", "1e38", "1e39",
                "1.0000001", "16777217", "0.1", "-0.0", "1e-45", "2.5e-23", "65504.5",
                "1.8e19", "4.2e-19", "1.3e-19", "9.9999999e18"]
    for k in range(6):
        root = BaseMeasurement(rng, rows=4, full=True, third=True, n1=4, n3=4)
        for row in root.Get("TimeHistory"):
            for i in range(len(row)):
                row[i] = Raw(rng.choice(extremes))
        c.Add("octave/sum-values", root)
    for label in ("no-columns", "columns-array"):
        root = BaseMeasurement(rng, rows=2, full=True, third=True, n1=3, n3=3)
        if label == "no-columns":
            root.Remove("TimeHistoryColumns")
        else:
            root.Set("TimeHistoryColumns", [1, 2, 3])
        c.Add("octave/" + label, root)


def FamilyRows(c):
    rng = c.rng
    for k in range(10):
        root = BaseMeasurement(rng, rows=rng.randint(1, 6))
        history = root.Get("TimeHistory")
        for r in range(len(history)):
            x = rng.random()
            if x < 0.15:
                history[r] = history[r][:rng.randint(0, len(history[r]))]
            elif x < 0.25:
                history[r] = rng.choice([None, 5, "row", Obj([("0", 1)]), True])
            else:
                history[r] = [RandomElement(rng, junk=0.15) for _ in history[r]]
        cols = root.Get("TimeHistoryColumns")
        for name in rng.sample(QUANTITY_COLUMNS, 4):
            cols.Set(name, rng.choice([-1, 1000, 2147483647, -2147483648, Raw("3.0"), "2",
                                       None, Raw("4294967296"), 0]))
        if rng.random() < 0.3:
            cols.Remove(rng.choice(QUANTITY_COLUMNS))
        c.Add("rows/mixed", root)
    for v in [Obj([("a", [1, 2])]), "rows", 5, None]:
        root = BaseMeasurement(rng, rows=2)
        root.Set("TimeHistory", v)
        c.Add("rows/not-array", root)
    root = BaseMeasurement(rng, rows=0)
    root.Remove("TimeHistory")
    c.Add("rows/missing", root)
    root = BaseMeasurement(rng, rows=40, full=True, third=True, n1=9, n3=24)
    c.Add("rows/large", root)
    root = BaseMeasurement(rng, rows=3)
    root.Get("TimeHistoryColumns").pairs.insert(0, ("rms_x", 5))
    root.Get("TimeHistoryColumns").Add("RMS_X", 6)
    c.Add("rows/duplicate-column-first-wins", root)


def FamilyLarge(c):
    rng = c.rng
    root = BaseMeasurement(rng, rows=2, full=True, third=False, n1=5000)
    for row in root.Get("TimeHistory"):
        row[:] = [Raw(str(rng.randint(0, 9))) for _ in row]
    c.Add("large/octave-5000-bands", root)
    root = BaseMeasurement(rng, rows=600, full=True, third=True, n1=9, n3=24)
    c.Add("large/file-over-64k", root)
    root = BaseMeasurement(rng, rows=1)
    Props(root).Set("TAG_REPORT_HEADER_0_6", "é" * 70000)
    root.Set("Notes", [Obj([("1500000000s", "n" * 70000)])])
    root.Get("Header").Set("SerialNum", "S" * 70000)
    c.Add("large/strings-over-64k", root)


def FamilyDuplicates(c):
    rng = c.rng
    for key in ("Header", "MeasurementProperties", "Notes", "Summary", "TimeHistory",
                "TimeHistoryColumns"):
        first = BaseMeasurement(rng, rows=2)
        second = BaseMeasurement(rng, rows=3)
        root = Obj(first.pairs)
        root.Add(key, second.Get(key))
        root.pairs.insert(0, (key, second.Get(key)))
        c.Add("duplicates/root-" + key, root)
    root = BaseMeasurement(rng, rows=1)
    root.pairs.insert(0, ("Header\u0000junk", Obj([("SerialNum", "NULKEY")])))
    c.Add("duplicates/root-key-with-nul", root)
    root = BaseMeasurement(rng, rows=1)
    Props(root).Set("TAG_REPORT_HEADER_0_6", Raw('"\\u0080\\u0081\\u009f\\u00a0\\u20ac\\u2122\\uffff"'))
    c.Add("texts/c1-and-escapes", root)


def FamilyLimits(c):
    """Exchange files too large for the format's 32-bit offsets, and nesting at its limit."""
    rng = c.rng
    oversize = (b'{"MeasurementProperties":{"MeasProperties":{"TAG_FULL_OCTAVE_54":1}},'
                b'"TimeHistoryColumns":{"OBA1_1_Count":2147483647},"TimeHistory":[[1]]}')
    c.Add("limits/oversize-138-bytes", oversize)
    c.Add("limits/oversize-no-rows", oversize.replace(b"[[1]]", b"[]"))
    c.Add("limits/oversize-flag-unset", oversize.replace(b'_54":1', b'_54":0'))
    c.Add("limits/oversize-parse-error-after-rows", oversize[:-1] + b",}")
    # With the 1/1 flag and nothing else, 19744 bytes come before the rows: the largest band
    # count that fits with one row is 67108244 (2147483628 bytes, too large to compare here).
    for bands, rows in [(67108245, 1), (33554123, 2), (2147483647, 0), (5000, 3)]:
        root = BaseMeasurement(rng, rows=rows, full=True, third=rng.random() < 0.5, n1=3, n3=3)
        root.Get("TimeHistoryColumns").Set("OBA1_1_Count", bands)
        c.Add("limits/band-count-%d-rows-%d" % (bands, rows), root)
    root = BaseMeasurement(rng, rows=2, full=True, third=True, n1=3, n3=3)
    root.Get("TimeHistoryColumns").Set("OBA1_1_Count", 1 << 30).Set("OBA1_3_Count", 1 << 30)
    c.Add("limits/both-sets-oversize", root)

    def nested(depth):
        return b"[" * depth + b"1" + b"]" * depth

    for label, depth, in_row in [("10000", 9999, False), ("100000", 99999, False),
                                 ("100001", 100000, False), ("100000-in-row", 99997, True),
                                 ("100001-in-row", 99998, True)]:
        # The root takes one level; a row's elements stand at depth 3.
        root = BaseMeasurement(rng, rows=2)
        if in_row:
            root.Set("TimeHistory", [[Raw(nested(depth).decode()), 2.5], [1.5]])
        else:
            root.Add("deep", Raw(nested(depth).decode()))
        c.Add("limits/depth-" + label, Emit(root))


def FamilyRandom(c, count):
    rng = c.rng
    for k in range(count):
        root = BaseMeasurement(rng)
        # A few random mutations per case.
        for _ in range(rng.randint(0, 4)):
            what = rng.random()
            if what < 0.2:
                root.Remove(rng.choice(["Header", "MeasurementProperties", "Notes", "Summary",
                                        "TimeHistory", "TimeHistoryColumns"]))
            elif what < 0.4 and Props(root) is not None:
                key = rng.choice([k for k, _v in Props(root).pairs])
                Props(root).Set(key, rng.choice([Raw(RandomNumberText(rng)), "s", None, True,
                                                  rng.randint(-3, 30)]))
            elif what < 0.6 and isinstance(root.Get("Summary"), Obj):
                root.Get("Summary").Add(rng.choice(["AeqX", "aeqy", "R", "I", "Ü"]),
                                        Raw(RandomNumberText(rng)))
            elif what < 0.8 and isinstance(root.Get("Notes"), list):
                root.Get("Notes").append(Obj([("%ds" % rng.randint(-10**12, 10**12),
                                               rng.choice(["a", "ü€", "\U0001F600", ""]))]))
            elif isinstance(root.Get("TimeHistoryColumns"), Obj):
                root.Get("TimeHistoryColumns").Set(
                    rng.choice(QUANTITY_COLUMNS + ["OBA1_1_Start", "OBA1_3_Count"]),
                    rng.randint(-5, 60))
        c.Add("random", root)


def FamilyDoubleByte(c):
    """Texts whose double-byte forms end at, or straddle, the ends of the 254-byte texts and the
    30-byte tags: full-width and half-width characters, characters of one page and not another,
    user-defined characters, a name of the same kind."""
    rng = c.rng
    texts = []
    for count in (126, 127, 128):
        for prefix in ("", "x", "\uff71", "xy"):
            texts.append(prefix + "\u65e5" * count)
    texts += ["\ud55c" * 127 + "x", "\u4e2d" * 200, "\u20ac" * 130, "\ue000" * 127 + "\uf8f0",
              "\u301c\u00a5\u2014\u2225\u2252\u2170\u2550\u00a2" * 20]
    units = ["\u65e5", "\uff71", "a", "\ud55c", "\u4e2d", "\u20ac", "\ue000", "\u301c", "\u00a5",
             "\U0001F600", "\u00e9", "\u0416", "\u30fc", "\uff5e", "\u2550", "\u0080", "\ufffd"]
    for _ in range(12):
        texts.append("".join(rng.choice(units) for _ in range(rng.randint(100, 300))))
    for t in texts:
        root = BaseMeasurement(rng, rows=1)
        props = Props(root)
        props.Set("TAG_REPORT_HEADER_0_6", t)
        props.Set("TAG_REPORT_HEADER_2_8", t[::-1])
        root.Get("Header").Set("SerialNum", t[:rng.randint(0, len(t))])
        root.Set("Notes", [Obj([("1500000000s", t)]), Obj([("1500000060s", t[1:])])])
        summary = root.Get("Summary")
        for k in (14, 15, 16):
            summary.Add(t[:k], 1.5)
            summary.Add(t[1:k + 1], 7)
        c.Add("dbcs/texts", root, name=(t[:rng.randint(100, 140)] + ".rqx2").encode())


def Generate(seed=340, random_count=150):
    rng = random.Random(seed)
    _next_order[0] = 0
    c = Cases(rng)
    FamilyParse(c)
    FamilyTexts(c)
    FamilyNotes(c)
    FamilySummary(c)
    FamilySettings(c)
    FamilyStart(c)
    FamilyOctave(c)
    FamilyRows(c)
    FamilyLarge(c)
    FamilyDuplicates(c)
    FamilyLimits(c)
    FamilyRandom(c, random_count)
    FamilyDoubleByte(c)
    return c.items


def main(argv):
    args = list(argv[1:])
    seed, random_count = 340, 150
    if "--seed" in args:
        i = args.index("--seed")
        seed = int(args[i + 1])
        del args[i:i + 2]
    if "--random" in args:
        i = args.index("--random")
        random_count = int(args[i + 1])
        del args[i:i + 2]
    if len(args) != 1:
        sys.stderr.write("usage: gen_cases.py OUT_DIR [--seed N] [--random N]\n")
        return 2
    out = args[0]
    os.makedirs(out, exist_ok=True)
    manifest = []
    for k, (family, content, name) in enumerate(Generate(seed, random_count)):
        file = "case-%04d.rqx2" % k
        with open(os.path.join(out, file), "wb") as f:
            f.write(content)
        manifest.append({"file": file, "family": family, "name_hex": name.hex()})
    with open(os.path.join(out, "manifest.json"), "w") as f:
        json.dump(manifest, f, indent=1)
    print("%d cases in %s" % (len(manifest), out))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
