#!/usr/bin/env python3
"""Second, independent writer of the RQX340 exchange file, used as a differential oracle.

Usage: exchange_oracle.py IN.rqx2 OUT --name NAME
Environment: TZ, RQX340_ANSI_CODEPAGE (default 1252), RQX340_SHORTDATE and RQX340_TIMEFORMAT
(both required: the oracle does not translate POSIX locale pictures).

Also importable: Convert(data, name, settings) returns the exchange file bytes and Describe()
names the block, record and field that holds a byte offset of an exchange file.
Standard library only.
"""

import math
import os
import struct
import sys
import time

# ---------------------------------------------------------------------------------------------
# JSON document as the C++ side holds it: parsed with RapidJSON's default flags.
# Integers are Python int, reals Python float, strings bytes, arrays list, objects JObject,
# true/false/null the singletons below.


class JLiteral:
    def __init__(self, text):
        self.text = text

    def __repr__(self):
        return self.text


JTRUE = JLiteral("true")
JFALSE = JLiteral("false")
JNULL = None


class JObject:
    """Members in file order; duplicates kept; first match wins.

    Keys, like every text of the file, end at their first NUL byte, lookups included.
    """

    def __init__(self):
        self.members = []

    def Get(self, name):
        for key, value in self.members:
            if key.split(b"\0", 1)[0] == name:
                return value
        return None

    def __repr__(self):
        return "JObject(%r)" % self.members


class ParseError(Exception):
    pass


_WS = b" \t\n\r"
# Arrays and objects nest at most this deep; one level more fails the parse.
MAX_DEPTH = 100000
_POW10 = [float("1e%d" % n) for n in range(309)]
_HEX = {c: int(chr(c), 16) for c in b"0123456789abcdefABCDEF"}


class _Parser:
    def __init__(self, data):
        # The reader's stream delivers 0 at the end of input and at any NUL byte; a NUL is
        # never consumed as content, so it ends the input wherever it stands.
        self.s = data.split(b"\0", 1)[0]
        self.n = len(self.s)
        self.i = 0

    def Peek(self):
        return self.s[self.i] if self.i < self.n else 0

    def SkipWs(self):
        s, i, n = self.s, self.i, self.n
        while i < n and s[i] in _WS:
            i += 1
        self.i = i

    def Fail(self, what):
        raise ParseError("%s at offset %d" % (what, self.i))

    def ParseDocument(self):
        self.SkipWs()
        if self.i >= self.n:
            self.Fail("document empty")
        stack = []  # entries: [container, pending key or None]
        while True:
            # Parse one value start.
            c = self.Peek()
            if c in (0x7B, 0x5B) and len(stack) + 1 > MAX_DEPTH:
                self.Fail("nested too deep")
            if c == 0x7B:  # {
                self.i += 1
                self.SkipWs()
                obj = JObject()
                if self.Peek() == 0x7D:
                    self.i += 1
                    value = obj
                else:
                    key = self.ParseKey()
                    stack.append([obj, key])
                    continue
            elif c == 0x5B:  # [
                self.i += 1
                self.SkipWs()
                arr = []
                if self.Peek() == 0x5D:
                    self.i += 1
                    value = arr
                else:
                    stack.append([arr, None])
                    continue
            elif c == 0x22:
                value = self.ParseString()
            elif c == 0x6E:
                value = self.ParseLiteral(b"null", JNULL)
            elif c == 0x74:
                value = self.ParseLiteral(b"true", JTRUE)
            elif c == 0x66:
                value = self.ParseLiteral(b"false", JFALSE)
            elif c == 0x2D or 0x30 <= c <= 0x39:
                value = self.ParseNumber()
            else:
                self.Fail("value invalid")
            # A value is complete: attach it and close finished containers.
            while True:
                if not stack:
                    self.SkipWs()
                    if self.i < self.n:
                        self.Fail("root not singular")
                    return value
                top = stack[-1]
                container = top[0]
                if isinstance(container, JObject):
                    container.members.append((top[1], value))
                else:
                    container.append(value)
                self.SkipWs()
                c = self.Peek()
                if c == 0x2C:
                    self.i += 1
                    self.SkipWs()
                    if isinstance(container, JObject):
                        top[1] = self.ParseKey()
                    break  # next value
                if isinstance(container, JObject) and c == 0x7D:
                    self.i += 1
                    stack.pop()
                    value = container
                    continue
                if isinstance(container, list) and c == 0x5D:
                    self.i += 1
                    stack.pop()
                    value = container
                    continue
                self.Fail("missing comma or bracket")

    def ParseKey(self):
        if self.Peek() != 0x22:
            self.Fail("object missing name")
        key = self.ParseString()
        self.SkipWs()
        if self.Peek() != 0x3A:
            self.Fail("object missing colon")
        self.i += 1
        self.SkipWs()
        return key

    def ParseLiteral(self, word, value):
        if self.s[self.i:self.i + len(word)] != word:
            self.Fail("value invalid")
        self.i += len(word)
        return value

    def Hex4(self):
        if self.i + 4 > self.n:
            self.Fail("bad unicode escape")
        v = 0
        for k in range(4):
            d = _HEX.get(self.s[self.i + k])
            if d is None:
                self.Fail("bad unicode escape")
            v = v * 16 + d
        self.i += 4
        return v

    def ParseString(self):
        s, n = self.s, self.n
        self.i += 1
        out = bytearray()
        while True:
            if self.i >= n:
                self.Fail("missing quotation mark")
            c = s[self.i]
            if c == 0x22:
                self.i += 1
                return bytes(out)
            if c == 0x5C:
                self.i += 1
                e = s[self.i] if self.i < n else 0
                simple = {0x22: 0x22, 0x5C: 0x5C, 0x2F: 0x2F, 0x62: 8, 0x66: 12, 0x6E: 10,
                          0x72: 13, 0x74: 9}
                if e in simple:
                    out.append(simple[e])
                    self.i += 1
                elif e == 0x75:
                    self.i += 1
                    cp = self.Hex4()
                    if 0xD800 <= cp <= 0xDBFF:
                        if s[self.i:self.i + 2] != b"\\u":
                            self.Fail("surrogate invalid")
                        self.i += 2
                        cp2 = self.Hex4()
                        if not 0xDC00 <= cp2 <= 0xDFFF:
                            self.Fail("surrogate invalid")
                        cp = (((cp - 0xD800) << 10) | (cp2 - 0xDC00)) + 0x10000
                    out += _EncodeUtf8(cp)
                else:
                    self.Fail("bad escape")
                continue
            if c < 0x20:
                self.Fail("control character in string")
            out.append(c)
            self.i += 1

    def ParseNumber(self):
        """RapidJSON's number reader with normal (not full) precision, step for step."""
        s = self.s

        def peek():
            return s[self.i] if self.i < self.n else 0

        def isdigit(c):
            return 0x30 <= c <= 0x39

        d = 0.0
        minus = False
        if peek() == 0x2D:
            minus = True
            self.i += 1
        i = 0
        i64 = 0
        use64 = False
        sig = 0
        if peek() == 0x30:
            i = 0
            self.i += 1
        elif 0x31 <= peek() <= 0x39:
            i = peek() - 0x30
            self.i += 1
            limit, last = (214748364, 0x38) if minus else (429496729, 0x35)
            while isdigit(peek()):
                if i >= limit and (i != limit or peek() > last):
                    i64 = i
                    use64 = True
                    break
                i = i * 10 + (peek() - 0x30)
                self.i += 1
                sig += 1
        else:
            self.Fail("value invalid")
        use_double = False
        if use64:
            limit, last = ((0x0CCCCCCCCCCCCCCC, 0x38) if minus else (0x1999999999999999, 0x35))
            while isdigit(peek()):
                if i64 >= limit and (i64 != limit or peek() > last):
                    d = float(i64)
                    use_double = True
                    break
                i64 = i64 * 10 + (peek() - 0x30)
                self.i += 1
                sig += 1
        if use_double:
            while isdigit(peek()):
                if d >= 1.7976931348623157e307:
                    self.Fail("number too big")
                d = d * 10 + float(peek() - 0x30)
                self.i += 1
        exp_frac = 0
        if peek() == 0x2E:
            self.i += 1
            if not isdigit(peek()):
                self.Fail("missing fraction")
            if not use_double:
                if not use64:
                    i64 = i
                while isdigit(peek()):
                    if i64 > 0x1FFFFFFFFFFFFF:
                        break
                    i64 = i64 * 10 + (peek() - 0x30)
                    self.i += 1
                    exp_frac -= 1
                    if i64 != 0:
                        sig += 1
                d = float(i64)
                use_double = True
            while isdigit(peek()):
                if sig < 17:
                    d = d * 10.0 + float(peek() - 0x30)
                    exp_frac -= 1
                    if d > 0.0:
                        sig += 1
                self.i += 1
        exp = 0
        if peek() in (0x65, 0x45):
            self.i += 1
            if not use_double:
                d = float(i64 if use64 else i)
                use_double = True
            exp_minus = False
            if peek() == 0x2B:
                self.i += 1
            elif peek() == 0x2D:
                exp_minus = True
                self.i += 1
            if not isdigit(peek()):
                self.Fail("missing exponent")
            exp = peek() - 0x30
            self.i += 1
            if exp_minus:
                while isdigit(peek()):
                    exp = exp * 10 + (peek() - 0x30)
                    self.i += 1
                    if exp >= 214748364:
                        while isdigit(peek()):
                            self.i += 1
            else:
                max_exp = 308 - exp_frac
                while isdigit(peek()):
                    exp = exp * 10 + (peek() - 0x30)
                    self.i += 1
                    if exp > max_exp:
                        self.Fail("number too big")
            if exp_minus:
                exp = -exp
        if use_double:
            p = exp + exp_frac
            if p < -308:
                d = _FastPath(d, -308)
                d = _FastPath(d, p + 308)
            else:
                d = _FastPath(d, p)
            return -d if minus else d
        if use64:
            return -i64 if minus else i64
        return -i if minus else i


def _FastPath(significand, exp):
    if exp < -308:
        return 0.0
    if exp >= 0:
        return significand * _POW10[exp]
    return significand / _POW10[-exp]


def _EncodeUtf8(cp):
    if cp <= 0x7F:
        return bytes([cp])
    if cp <= 0x7FF:
        return bytes([0xC0 | (cp >> 6), 0x80 | (cp & 0x3F)])
    if cp <= 0xFFFF:
        return bytes([0xE0 | (cp >> 12), 0x80 | ((cp >> 6) & 0x3F), 0x80 | (cp & 0x3F)])
    return bytes([0xF0 | (cp >> 18), 0x80 | ((cp >> 12) & 0x3F), 0x80 | ((cp >> 6) & 0x3F),
                  0x80 | (cp & 0x3F)])


def ParseJson(data):
    """Returns (document, error text or None); a failed parse gives the null document."""
    try:
        return _Parser(data).ParseDocument(), None
    except ParseError as e:
        return JNULL, str(e)


# ---------------------------------------------------------------------------------------------
# Typed reads: a value of another type reads as the missing value.

INT32_MIN, INT32_MAX = -(1 << 31), (1 << 31) - 1
INT64_MIN, INT64_MAX = -(1 << 63), (1 << 63) - 1


def IsInt(v):
    return type(v) is int and INT32_MIN <= v <= INT32_MAX


def IsInt64(v):
    return type(v) is int and INT64_MIN <= v <= INT64_MAX


def IsNumber(v):
    return type(v) in (int, float)


def Member(v, name):
    return v.Get(name) if isinstance(v, JObject) else None


def GetInt(v):
    return v if IsInt(v) else 0


def GetInt64(v):
    return v if IsInt64(v) else 0


def GetDouble(v):
    return float(v) if IsNumber(v) else 0.0


def GetText(v):
    """String bytes up to the first NUL, or None when the value is not a string."""
    if type(v) is not bytes:
        return None
    return v.split(b"\0", 1)[0]


# ---------------------------------------------------------------------------------------------
# Single precision.

FLOAT_INF = float("inf")


def F32Bytes(x):
    try:
        return struct.pack("<f", x)
    except OverflowError:
        return struct.pack("<f", math.copysign(FLOAT_INF, x))


def F32(x):
    return struct.unpack("<f", F32Bytes(x))[0]


# ---------------------------------------------------------------------------------------------
# Code page: one '?' per character the page lacks and per maximal ill-formed UTF-8 subpart.
# glibc's iconv would silently drop the language-tag characters U+E0000..U+E007F; they are
# characters the page lacks like any other and become '?' here.

_SINGLE_BYTE_CODE_PAGES = {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}


class CodePage:
    def __init__(self, number):
        if number in _DOUBLE_BYTE:
            self.__class__ = DoubleByteCodePage
            self._Build(number)
            return
        if number not in _SINGLE_BYTE_CODE_PAGES:
            raise ValueError("code page %d is not modelled by the oracle" % number)
        self.codec = "cp%d" % number

    def FromUtf8(self, raw):
        text = raw.decode("utf-8", errors="replace")
        out = bytearray()
        for ch in text:
            try:
                out += ch.encode(self.codec)
            except UnicodeEncodeError:
                out += b"?"
        return bytes(out)

    def Prefix(self, raw, limit):
        """The longest prefix of at most `limit` bytes that holds whole characters."""
        return raw[:limit]


# Windows' double-byte ANSI code pages, modelled on Python's codecs and corrected where Windows
# converts otherwise. Per page: the lead bytes; the user-defined characters (blocks of pairs,
# first to last with their second bytes in the given ranges, that stand in turn for U+E000
# onwards; a block marked True takes only the pairs still undefined); bytes Windows writes for a
# character but does not read; codes Windows does not write for a character it holds twice.


def _Ranges(*pairs):
    return [b for first, last in pairs for b in range(first, last + 1)]


_BIG5_TRAILS = _Ranges((0x40, 0x7E), (0xA1, 0xFE))
_ROW_TRAILS = _Ranges((0xA1, 0xFE))

_DOUBLE_BYTE = {
    932: {"leads": _Ranges((0x81, 0x9F), (0xE0, 0xFC)),
          "eudc": [(0xF040, 0xF9FC, _Ranges((0x40, 0x7E), (0x80, 0xFC)), False)],
          "written": {0xF8F0: b"\xA0", 0xF8F1: b"\xFD", 0xF8F2: b"\xFE", 0xF8F3: b"\xFF"},
          # The NEC-selected IBM extensions give way to the IBM extensions (FA-FC).
          "avoid": lambda code: 0xED40 <= code <= 0xEEFC},
    936: {"leads": _Ranges((0x81, 0xFE)),
          "single": {0x80: 0x20AC},
          "eudc": [(0xAAA1, 0xAFFE, _ROW_TRAILS, False), (0xF8A1, 0xFEFE, _ROW_TRAILS, False),
                   (0xA140, 0xA7A0, _Ranges((0x40, 0x7E), (0x80, 0xA0)), False),
                   (0x8140, 0xFEFE, _Ranges((0x40, 0x7E), (0x80, 0xFE)), True)],
          "written": {0xF8F5: b"\xFF"}},
    949: {"leads": _Ranges((0x81, 0xFE)),
          "eudc": [(0xC9A1, 0xC9FE, _ROW_TRAILS, False), (0xFEA1, 0xFEFE, _ROW_TRAILS, False)],
          "written": {0xF8F7: b"\xFF"}},
    950: {"leads": _Ranges((0x81, 0xFE)),
          "eudc": [(0xFA40, 0xFEFE, _BIG5_TRAILS, False), (0x8E40, 0xA0FE, _BIG5_TRAILS, False),
                   (0x8140, 0x8DFE, _BIG5_TRAILS, False), (0xC6A1, 0xC8FE, _BIG5_TRAILS, False)],
          "written": {0xF8F8: b"\xFF"},
          # Box drawing characters held twice: the code in row F9.
          "avoid": lambda code: 0xA2A4 <= code <= 0xA2A7},
}


class DoubleByteCodePage(CodePage):
    def _Build(self, number):
        page = _DOUBLE_BYTE[number]
        codec = "cp%d" % number
        self.leads = set(page["leads"])

        def decode(raw):
            try:
                text = raw.decode(codec)
            except UnicodeDecodeError:
                return None
            return ord(text) if len(text) == 1 else None

        # What the bytes read as.
        self.reads = {}
        for b in range(256):
            if b in self.leads:
                continue
            c = page.get("single", {}).get(b, decode(bytes([b])))
            # Windows reads 0x80 as U+0080 where it is no character; that C1 control is a hole
            # here, as on the single-byte pages; 0xA0 and 0xFD-0xFF of 932 it does not read.
            if c is not None and not (b == c and 0x80 <= b <= 0x9F) and not 0xF8F0 <= c <= 0xF8FF:
                self.reads[bytes([b])] = c
        for lead in self.leads:
            for trail in range(0x40, 0xFF):
                c = decode(bytes([lead, trail]))
                if c is not None:
                    self.reads[bytes([lead, trail])] = c
        pua = 0xE000
        for first, last, trails, holes_only in page["eudc"]:
            for code in range(first, last + 1):
                raw = bytes([code >> 8, code & 0xFF])
                if code & 0xFF not in trails or (holes_only and raw in self.reads):
                    continue
                self.reads[raw] = pua
                pua += 1

        # What each character is written as: Python's choice where it reads back as the
        # character, else the first code in byte order; then Windows' choices.
        codes = {}
        for raw in sorted(self.reads, key=lambda r: (len(r), r)):
            codes.setdefault(self.reads[raw], []).append(raw)
        avoid = page.get("avoid", lambda code: False)
        self.writes = {}
        for c, raws in codes.items():
            kept = [r for r in raws if not (len(r) == 2 and avoid(r[0] << 8 | r[1]))] or raws
            try:
                chosen = chr(c).encode(codec)
            except UnicodeEncodeError:
                chosen = None
            self.writes[c] = chosen if chosen in kept else kept[0]
        self.writes.update(page["written"])

    def FromUtf8(self, raw):
        text = raw.decode("utf-8", errors="replace")
        return b"".join(self.writes.get(ord(ch), b"?") for ch in text)

    def Prefix(self, raw, limit):
        end = i = 0
        while i < len(raw):
            whole = True
            length = 1
            if raw[i] in self.leads:
                if i + 1 < len(raw) and raw[i + 1] >= 0x40:
                    length = 2
                else:
                    whole = False
            if i + length > limit:
                break
            i += length
            if whole:
                end = i
        return raw[:end]


# ---------------------------------------------------------------------------------------------
# Date and time texts with Windows pictures.

_MONTHS = ["January", "February", "March", "April", "May", "June", "July", "August",
           "September", "October", "November", "December"]
_DAYS = ["Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"]


def _TrimTrailing(picture, letters):
    end = len(picture)
    while end > 0 and picture[end - 1] not in letters:
        end -= 1
    return picture[:end]


def AdjustDatePicture(picture):
    letters = "gyMd"
    p = list(picture)
    i = 0
    while i < len(p):
        c = p[i]
        if c not in letters:
            i += 1
            continue
        j = i
        while j < len(p) and p[j] == c:
            j += 1
        run = j - i
        if c == "g" or (c == "d" and run >= 3):
            while j < len(p) and p[j] not in letters:
                j += 1
            del p[i:j]
            continue
        i = j
    return _TrimTrailing("".join(p), letters)


def AdjustTimePicture(picture):
    return _TrimTrailing(picture, "hHmst")


def _Format(picture, letters, expand):
    out = []
    i = 0
    n = len(picture)
    while i < n:
        c = picture[i]
        if c == "'":
            i += 1
            while i < n:
                if picture[i] == "'":
                    if i + 1 < n and picture[i + 1] == "'":
                        out.append("'")
                        i += 2
                        continue
                    i += 1
                    break
                out.append(picture[i])
                i += 1
            continue
        if c in letters:
            j = i
            while j < n and picture[j] == c:
                j += 1
            out.append(expand(c, j - i))
            i = j
            continue
        out.append(c)
        i += 1
    return "".join(out)


def FormatDate(picture, year, month, day, wday):
    def expand(c, run):
        if c == "d":
            if run == 1:
                return str(day)
            if run == 2:
                return "%02d" % day
            if run == 3:
                return _DAYS[wday][:3]
            return _DAYS[wday]
        if c == "M":
            if run == 1:
                return str(month)
            if run == 2:
                return "%02d" % month
            if run == 3:
                return _MONTHS[month - 1][:3]
            return _MONTHS[month - 1]
        if c == "y":
            if run == 1:
                return str(year % 100)
            if run == 2:
                return "%02d" % (year % 100)
            return "%04d" % year
        return ""  # era

    return _Format(picture, "dMyg", expand)


def FormatTime(picture, hour, minute, second):
    def expand(c, run):
        if c == "h":
            h12 = hour % 12 or 12
            return str(h12) if run == 1 else "%02d" % h12
        if c == "H":
            return str(hour) if run == 1 else "%02d" % hour
        if c == "m":
            return str(minute) if run == 1 else "%02d" % minute
        if c == "s":
            return str(second) if run == 1 else "%02d" % second
        ampm = "AM" if hour < 12 else "PM"
        return ampm[0] if run == 1 else ampm

    return _Format(picture, "hHmst", expand)


def FormatDateTime(t, settings):
    tm = None
    try:
        tm = time.gmtime(t)
    except (OverflowError, OSError, ValueError):
        pass
    try:
        tm = time.localtime(t)
    except (OverflowError, OSError, ValueError):
        pass
    if tm is None:
        return " "
    # The locale's pictures come through 127-character buffers: a longer one yields nothing.
    date_text = ""
    if 1601 <= tm.tm_year <= 9999 and len(settings.short_date) <= 126:
        date_text = FormatDate(AdjustDatePicture(settings.short_date), tm.tm_year, tm.tm_mon,
                               tm.tm_mday, tm.tm_wday)
    time_text = ""
    if len(settings.time_format) <= 126:
        time_text = FormatTime(AdjustTimePicture(settings.time_format), tm.tm_hour, tm.tm_min,
                               tm.tm_sec)
    if len(date_text) > 126:
        date_text = ""
    if len(time_text) > 126:
        time_text = ""
    return date_text + " " + time_text


def _MkTime(fields):
    try:
        return int(time.mktime(fields))
    except (OverflowError, OSError, ValueError):
        return -1


def _FreshProcessMkTime(fields):
    # glibc's mktime starts its search from the offset of the previous call in the same
    # process, so a local time that occurs twice resolves by history. `rqx340 convert`
    # converts one file per process: ask a fresh interpreter.
    import subprocess
    code = "import time,sys; print(int(time.mktime(%r)))" % (tuple(fields),)
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
    return int(out.stdout) if out.returncode == 0 else -1


def ConvertStartTime(seconds):
    """Instrument clock (UTC fields) read back as local time; -1 outside 0 .. 2^31-1."""
    try:
        tm = time.gmtime(seconds)
    except (OverflowError, OSError, ValueError):
        return -1
    if not 1900 <= tm.tm_year <= 2100:
        return -1
    fields = (tm.tm_year, tm.tm_mon, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_wday,
              tm.tm_yday, -1)
    results = set()
    for prime in ((tm.tm_year, 1, 1, 12, 0, 0, 0, 0, -1), (tm.tm_year, 7, 1, 12, 0, 0, 0, 0, -1),
                  (tm.tm_year, tm.tm_mon, tm.tm_mday - 1, 12, 0, 0, 0, 0, -1),
                  (tm.tm_year, tm.tm_mon, tm.tm_mday + 1, 12, 0, 0, 0, 0, -1)):
        _MkTime(prime)
        results.add(_MkTime(fields))
    t = results.pop() if len(results) == 1 else _FreshProcessMkTime(fields)
    return t if 0 <= t <= INT32_MAX else -1


def ReadLeadingInteger(text):
    """strtoll-like decimal read of bytes, saturating at the 64-bit limits."""
    i = 0
    while i < len(text) and text[i] in b" \t\n\v\f\r":
        i += 1
    negative = False
    if i < len(text) and text[i] in b"+-":
        negative = text[i] == 0x2D
        i += 1
    value = 0
    while i < len(text) and 0x30 <= text[i] <= 0x39:
        value = value * 10 + text[i] - 0x30
        i += 1
    value = -value if negative else value
    return max(INT64_MIN, min(INT64_MAX, value))


# ---------------------------------------------------------------------------------------------
# Record blocks.

WEIGHTINGS = ["Ws", "Fa", "Fb", "Fc", "Wh", "Wm", "Wb", "Wc", "Wd", "We", "Wg", "Wj", "Wk"]
MODES = ["Vibration", "HandArm", "WholeBody"]
QUANTITIES = [("rms", 0), ("peak", 5), ("vdv", 2), ("min", 3), ("max", 4)]
AXES = ["_x", "_y", "_z", "_sum"]


class Settings:
    def __init__(self, code_page, short_date, time_format):
        self.code_page = code_page
        self.short_date = short_date
        self.time_format = time_format

    @staticmethod
    def FromEnvironment(environ=os.environ):
        cp = environ.get("RQX340_ANSI_CODEPAGE") or "1252"
        date = environ.get("RQX340_SHORTDATE")
        tm = environ.get("RQX340_TIMEFORMAT")
        if not date or not tm:
            raise SystemExit("exchange_oracle: set RQX340_SHORTDATE and RQX340_TIMEFORMAT")
        return Settings(CodePage(int(cp)), date, tm)


def Clamp(v, lo, hi):
    return max(lo, min(hi, v))


def KeyToTag(key):
    first = key.index("_")
    last = key.rindex("_")
    return key[first + 1:last][:31]


def Field(raw, size, cp=None):
    """A zero-terminated, zero-padded field: the text up to its first NUL, at most size - 2
    bytes of it, cut where a character of the code page ends."""
    raw = raw.split(b"\0", 1)[0]
    raw = cp.Prefix(raw, size - 2) if cp is not None else raw[:size - 2]
    return raw + b"\0" * (size - len(raw))


def TextRecord(tag, text, cp):
    return Field(tag, 32, cp) + Field(text, 256, cp)


def ValueRecordInt(tag, value, cp=None):
    return Field(tag, 32, cp) + struct.pack("<i", value)


def ValueRecordFloat(tag, value, cp=None):
    return Field(tag, 32, cp) + F32Bytes(value)


def Block(records):
    return struct.pack("<i", len(records)) + b"".join(records)


def Props(doc):
    return Member(Member(doc, b"MeasurementProperties"), b"MeasProperties")


def HeaderBlock(doc, name, st):
    cp = st.code_page
    props = Props(doc)
    header = Member(doc, b"Header")

    def line(key):
        t = GetText(Member(props, key))
        return cp.FromUtf8(t) if t is not None else b""

    line1 = line(b"TAG_REPORT_HEADER_0_6")
    line2 = line(b"TAG_REPORT_HEADER_1_7")
    line3 = line(b"TAG_REPORT_HEADER_2_8")
    serial = GetText(Member(header, b"SerialNum"))
    anlz = b"RQX340 " + (serial if serial is not None else b"(null)")

    notes_value = Member(doc, b"Notes")
    notes = notes_value if isinstance(notes_value, list) else []
    note_texts = []
    note_times = []
    for note in notes:
        if isinstance(note, JObject) and note.members:
            key, value = note.members[0]
            t = GetText(value)
            note_texts.append(cp.FromUtf8(t) if t is not None else b"")
            key = key.split(b"\0", 1)[0]
            seconds = ReadLeadingInteger(key[:-1])
            note_times.append(cp.FromUtf8(FormatDateTime(seconds, st).encode("utf-8")))
        else:
            note_texts.append(b"")
            note_times.append(b"")

    def own(text):
        return cp.FromUtf8(text.encode("utf-8"))

    records = [
        TextRecord(b"NAME", cp.FromUtf8(name), cp),
        TextRecord(b"ANLZ", anlz, cp),
        TextRecord(b"SITE", line1, cp),
        TextRecord(b"OPER", line3, cp),
    ]
    for k, tag in enumerate([b"NOTE", b"NOT1", b"NOT2", b"NOT3"]):
        records.append(TextRecord(tag, note_texts[k] if k < len(note_texts) else b"", cp))
    records.append(TextRecord(b"CALB", line2, cp))
    mode = Clamp(GetInt(Member(props, b"TAG_OPERATING_MODE_20")), 0, 2)
    records.append(TextRecord(own(KeyToTag("TAG_OPERATING_MODE_20")), own(MODES[mode]), cp))
    records.append(TextRecord(b"REPORT_HEADER_0", line1, cp))
    records.append(TextRecord(b"REPORT_HEADER_1", line2, cp))
    records.append(TextRecord(b"REPORT_HEADER_2", line3, cp))
    for k in range(len(note_texts)):
        records.append(TextRecord(b"Notes%d" % (k + 1), note_texts[k], cp))
        records.append(TextRecord(b"Notes%dTime" % (k + 1), note_times[k], cp))
    for key in ["TAG_WEIGHTING_X_37", "TAG_WEIGHTING_Y_38", "TAG_WEIGHTING_Z_39"]:
        w = Clamp(GetInt(Member(props, key.encode())), 0, 12)
        records.append(TextRecord(own(KeyToTag(key)), own(WEIGHTINGS[w]), cp))
    return Block(records)


def SummaryMembers(doc):
    summary = Member(doc, b"Summary")
    return summary.members if isinstance(summary, JObject) else []


def TimeBlock(doc, st):
    start = GetInt64(Member(Member(doc, b"Header"), b"StartDateTime"))
    records = [
        ValueRecordInt(b"TIME", ConvertStartTime(start)),
        ValueRecordInt(b"TYPE", 0),
        ValueRecordInt(b"SQNC", 0),
        ValueRecordInt(b"BLCK", 1),
        ValueRecordInt(b"ANLD", 15),
    ]
    for key, value in SummaryMembers(doc):
        if IsInt(value):
            tag = st.code_page.FromUtf8(key.split(b"\0", 1)[0])
            records.append(ValueRecordInt(tag, value, st.code_page))
    return Block(records)


def TimeHistoryRows(doc):
    rows = Member(doc, b"TimeHistory")
    return rows if isinstance(rows, list) else []


def SummaryBlock(doc, st):
    props = Props(doc)

    def setting(key):
        return GetDouble(Member(props, key.encode()))

    records = [ValueRecordFloat(b"RTIM", float(len(TimeHistoryRows(doc))))]
    for key in ["TAG_GAIN_X_22", "TAG_GAIN_Y_23", "TAG_GAIN_Z_24", "TAG_SUM_FACTOR_KX_34",
                "TAG_SUM_FACTOR_KY_35", "TAG_SUM_FACTOR_KZ_36", "TAG_SENSITIVITY_X_46",
                "TAG_SENSITIVITY_Y_47", "TAG_SENSITIVITY_Z_48"]:
        records.append(ValueRecordFloat(KeyToTag(key).encode(), setting(key)))
    db = GetInt(Member(props, b"TAG_DB_REFERENCE_51"))
    records.append(ValueRecordFloat(b"#50", 1.0e-6 if db != 0 else 1.0e-5))
    for key in ["TAG_EXPOSURELIMIT_65", "TAG_EXPOSUREACTION_66"]:
        records.append(ValueRecordFloat(KeyToTag(key).encode(), setting(key)))
    factors = {b"aeqx": "TAG_SUM_FACTOR_KX_34", b"aeqy": "TAG_SUM_FACTOR_KY_35",
               b"aeqz": "TAG_SUM_FACTOR_KZ_36"}
    for key, value in SummaryMembers(doc):
        if type(value) is not float:
            continue
        name = key.split(b"\0", 1)[0]
        tag = st.code_page.FromUtf8(name)
        records.append(ValueRecordFloat(tag, value, st.code_page))
        factor_key = factors.get(name.lower()) if name.isascii() else None
        if factor_key is not None:
            product = F32(value) * F32(setting(factor_key))
            records.append(ValueRecordFloat(tag + b"_xK", product, st.code_page))
    return Block(records)


def Flag(props, key):
    return Member(props, key) == 1 and IsInt(Member(props, key))


def OctaveSets(doc):
    """(start, count) of the octave sets present, in file order of the groups."""
    props = Props(doc)
    columns = Member(doc, b"TimeHistoryColumns")
    sets = []
    if Flag(props, b"TAG_FULL_OCTAVE_54"):
        sets.append((GetInt(Member(columns, b"OBA1_1_Start")),
                     GetInt(Member(columns, b"OBA1_1_Count")), 0))
    if Flag(props, b"TAG_THIRD_OCTAVE_55"):
        sets.append((GetInt(Member(columns, b"OBA1_3_Start")),
                     GetInt(Member(columns, b"OBA1_3_Count")), 1))
    return sets


def ChannelBlock(doc, st):
    props = Props(doc)
    w = [WEIGHTINGS[Clamp(GetInt(Member(props, k)), 0, 12)]
         for k in (b"TAG_WEIGHTING_X_37", b"TAG_WEIGHTING_Y_38", b"TAG_WEIGHTING_Z_39")]
    chnm = "X,Y,Z,SUM"
    filt = band = ftnm = stoc = "0,0,0,0"
    wght = "%s,%s,%s, " % tuple(w)
    for _start, count, third in OctaveSets(doc):
        kind = "1/3" if third else "1/1"
        names = ["%s %s %s" % (kind, axis, q) for q in ("rms", "peak")
                 for axis in ("X", "Y", "Z", "SUM")]
        chnm += "," + ",".join(names)
        for q in range(2):
            for axis in range(4):
                filt += ",1"
                band += ",1" if third else ",0"
                stoc += ",-3" if third else ",-1"
                ftnm += ",%d" % count
                wght += "," + (w[axis] if axis < 3 else " ")
    wght += ","
    lists = [("CHNM", chnm), ("FILT", filt), ("BAND", band), ("WGHT", wght), ("FTNM", ftnm),
             ("STOC", stoc), ("LINA", "0"), ("CALB", "0")]
    cp = st.code_page
    return Block([Field(t.encode(), 32, cp) + Field(cp.FromUtf8(v.encode()), 512, cp)
                  for t, v in lists])


def QuantityRecord(channel_class, code, name):
    return (struct.pack("<iiiiii", 3, channel_class, code, 0, 0, 0) + Field(name, 16) +
            Field(b"m/s2", 16))


def QuantityBlock(group, axis):
    if group == 0:
        records = [QuantityRecord(1, code, name.encode()) for name, code in QUANTITIES
                   if not (name == "vdv" and axis == 3)]
    elif group % 2 == 1:
        records = [QuantityRecord(11, 0, b"rms")]
    else:
        records = [QuantityRecord(11, 5, b"peak")]
    return Block(records)


def ColumnList(doc):
    columns = Member(doc, b"TimeHistoryColumns")
    out = []
    for suffix in AXES:
        for name, _code in QUANTITIES:
            if name == "vdv" and suffix == "_sum":
                continue
            out.append(GetInt(Member(columns, (name + suffix).encode())))
    return out


def Element(row, index):
    if not isinstance(row, list) or index < 0 or index >= len(row):
        return 0.0
    return F32(GetDouble(row[index]))


def OctaveSum(x, y, z):
    xx = F32(x * x)
    yy = F32(y * y)
    zz = F32(z * z)
    return F32(math.sqrt(F32(F32(xx + yy) + zz)))


def DataRow(row, column_list, sets):
    values = [Element(row, c) for c in column_list]
    for start, count, _third in sets:
        n = max(count, 0)
        bands = [[Element(row, start + 6 * j + q) for j in range(n)] for q in range(6)]
        rms_sum = [OctaveSum(bands[0][j], bands[1][j], bands[2][j]) for j in range(n)]
        peak_sum = [OctaveSum(bands[3][j], bands[4][j], bands[5][j]) for j in range(n)]
        values += bands[0] + bands[1] + bands[2] + rms_sum
        values += bands[3] + bands[4] + bands[5] + peak_sum
    return b"".join(F32Bytes(v) for v in values)


HEADER_SIZE = 8480
# The format's offsets are signed 32-bit: no exchange file may be larger.
MAX_FILE_SIZE = (1 << 31) - 1


def Convert(data, name, st):
    """The exchange file of one measurement file's bytes, with NAME given as UTF-8 bytes;
    None when the file would be larger than the format allows (nothing is written then)."""
    doc, _error = ParseJson(data)
    sets = OctaveSets(doc)
    groups = 1 + 2 * len(sets)
    rows = TimeHistoryRows(doc)
    header = bytearray(HEADER_SIZE)
    body = bytearray()

    def put(offset, value):
        struct.pack_into("<i", header, offset, value)

    def place(offset, block):
        put(offset, HEADER_SIZE + len(body))
        body.extend(block)

    place(0x028, HeaderBlock(doc, name, st))
    place(0x02C, TimeBlock(doc, st))
    column_list = ColumnList(doc)
    place(0x030, SummaryBlock(doc, st))
    place(0x04C, ChannelBlock(doc, st))
    place(0x044, ValueRecordBlockChan(4 * groups))
    place(0x048, Block([Field(b"DTIM", 32) + F32Bytes(1.0)]))
    for g in range(groups):
        for a in range(4):
            place(0x060 + 16 * (4 * g + a), QuantityBlock(g, a))
    put(0x454, HEADER_SIZE + len(body))
    row_values = len(column_list) + sum(8 * max(count, 0) for _start, count, _third in sets)
    if HEADER_SIZE + len(body) + 4 * row_values * len(rows) > MAX_FILE_SIZE:
        return None
    for row in rows:
        body.extend(DataRow(row, column_list, sets))
    put(0x000, 5)
    put(0x004, 1)
    put(0x008, len(rows))
    return bytes(header) + bytes(body)


def ValueRecordBlockChan(channels):
    return Block([ValueRecordInt(b"CHAN", channels)])


# ---------------------------------------------------------------------------------------------
# Naming the place of a byte offset, for mismatch reports.

_HEADER_FIELDS = {0x000: "version", 0x004: "complete", 0x008: "rowCount",
                  0x028: "headerRecordsOffset", 0x02C: "timeRecordsOffset",
                  0x030: "summaryRecordsOffset", 0x044: "chanBlockOffset",
                  0x048: "dtimBlockOffset", 0x04C: "channelRecordsOffset", 0x454: "dataOffset"}


def _I32(buf, off):
    if off + 4 > len(buf):
        return None
    return struct.unpack_from("<i", buf, off)[0]


def Describe(buf, offset):
    """Where offset lies in an exchange file (read from the file's own header)."""
    if offset < HEADER_SIZE:
        base = offset - offset % 4
        if base in _HEADER_FIELDS:
            return "file header field %s (0x%03X)" % (_HEADER_FIELDS[base], base)
        if 0x060 <= base < 0x060 + 16 * 63:
            k = (base - 0x060) // 16
            return "file header quantityBlockOffset[%d] (+%d)" % (k, (base - 0x060) % 16)
        return "file header, unused byte 0x%03X" % offset
    blocks = []
    sizes = {"header records": 288, "time records": 36, "summary records": 36,
             "channel list": 544, "CHAN": 36, "DTIM": 36}
    for field, label in [(0x028, "header records"), (0x02C, "time records"),
                         (0x030, "summary records"), (0x04C, "channel list"),
                         (0x044, "CHAN"), (0x048, "DTIM")]:
        blocks.append((_I32(buf, field), label, sizes[label]))
    for k in range(63):
        off = _I32(buf, 0x060 + 16 * k)
        if off:
            blocks.append((off, "quantity block %d (group %d axis %d)" % (k, k // 4, k % 4),
                           56))
    data_offset = _I32(buf, 0x454) or len(buf)
    blocks = sorted(b for b in blocks if b[0])
    for i, (start, label, size) in enumerate(blocks):
        end = blocks[i + 1][0] if i + 1 < len(blocks) else data_offset
        if start <= offset < end:
            rel = offset - start
            if rel < 4:
                return "%s: count (block at %d)" % (label, start)
            rec, inner = divmod(rel - 4, size)
            rec_start = start + 4 + rec * size
            tag = bytes(buf[rec_start:rec_start + 32]).split(b"\0", 1)[0]
            if size == 56:
                names = {0: "value kind", 4: "channel class", 8: "quantity code", 12: "zero",
                         16: "zero", 20: "reserved"}
                where = names.get(inner - inner % 4, "name" if inner < 40 else "unit")
                return "%s: record %d, %s (+%d)" % (label, rec, where, inner)
            where = "tag" if inner < 32 else ("value" if size == 36 else "text +%d" % (inner - 32))
            return "%s: record %d tag %r, %s" % (label, rec, tag.decode("latin-1"), where)
    if offset >= data_offset:
        return "data area, byte %d after dataOffset (value %d)" % (
            offset - data_offset, (offset - data_offset) // 4)
    return "unknown place"


def main(argv):
    args = list(argv[1:])
    name = None
    if "--name" in args:
        i = args.index("--name")
        name = os.fsencode(args[i + 1])
        del args[i:i + 2]
    if len(args) != 2:
        sys.stderr.write("usage: exchange_oracle.py IN.rqx2 OUT --name NAME\n")
        return 2
    src, dst = args
    if name is None:
        name = os.fsencode(os.path.basename(src))
    st = Settings.FromEnvironment()
    with open(src, "rb") as f:
        data = f.read()
    out = Convert(data, name, st)
    if out is None:
        sys.stderr.write("exchange_oracle.py: the exchange file would be larger than %d bytes\n"
                         % MAX_FILE_SIZE)
        return 1
    with open(dst, "wb") as f:
        f.write(out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
