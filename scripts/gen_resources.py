#!/usr/bin/env python3
"""Makes the dialog program's resources from their one source at build time.

Sources: res/dialog129.txt (the dialog template: controls, positions in dialog
units, styles, anchors) and one translation per language under res/lang/
("en.txt" is the program's own language). A translation has lines
"id<TAB>text" and, optionally, "@<control id><TAB>x,y,w,h" (that control's
place in this language) and "@font<TAB>points,face"; "#" starts a comment.

Outputs, one subcommand each:
  languages DIR                 the translations of DIR as "code=LIBRARY" lines
  lang-table                    a ".lang" table for the Qt front end
  cxx                           C++ includes: the English table, the template
  rc                            a resource script for windres (the program's, or
                                a language library's)
  ico / bmp                     icon 128 and the sort arrows from res/*.png

Every input is checked: a translation may only carry ids that English has, and
move only controls that the template has."""
import argparse
import struct
import sys
import zlib
from dataclasses import dataclass, field
from pathlib import Path

# The language libraries: translation code -> library stem, and the resource
# language of its script. The program's own language is "en".
LANGUAGES = {
    "en": (None, "LANG_ENGLISH", "SUBLANG_ENGLISH_US"),
    "it": ("ZULRQX340_ITA", "LANG_ITALIAN", "SUBLANG_ITALIAN"),
    "fr": ("ZULRQX340_FRA", "LANG_FRENCH", "SUBLANG_FRENCH"),
    "de": ("ZULRQX340_GER", "LANG_GERMAN", "SUBLANG_GERMAN"),
    # The resource compiler's headers lack SUBLANG_JAPANESE_JAPAN; it is 1, the default.
    "ja": ("ZULRQX340_JAP", "LANG_JAPANESE", "SUBLANG_DEFAULT"),
    "es": ("ZULRQX340_ESP", "LANG_SPANISH", "SUBLANG_SPANISH_MODERN"),
}
ANCHORS = {"LEFT": 0x01, "RIGHT": 0x02, "TOP": 0x04, "BOTTOM": 0x08, "HCENTER": 0x10}


class SourceError(Exception):
    pass


@dataclass
class Control:
    id: int
    cls: str
    rect: tuple
    styles: list
    anchors: list
    order: int
    has_text: bool


@dataclass
class Template:
    id: int
    size: tuple
    font: tuple
    styles: list
    controls: list = field(default_factory=list)

    def control(self, control_id):
        return next((c for c in self.controls if c.id == control_id), None)


@dataclass
class Translation:
    code: str
    strings: dict = field(default_factory=dict)
    layout: dict = field(default_factory=dict)
    font: tuple = None


def fields_of(path):
    """(line number, TAB-separated fields) of every line that is not a comment."""
    for number, line in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
        if line.startswith("\ufeff"):
            line = line[1:]
        if not line.strip() or line.startswith("#"):
            continue
        yield number, line.split("\t")


def numbers(text, count, where):
    parts = text.split(",")
    if len(parts) != count or not all(p.strip().lstrip("-").isdigit() for p in parts):
        raise SourceError(f"{where}: '{text}' is not {count} whole numbers")
    return tuple(int(p) for p in parts)


def font_of(text, where):
    points, _, face = text.partition(",")
    if not points.isdigit() or not face:
        raise SourceError(f"{where}: '{text}' is not points,face")
    return int(points), face


def read_template(path):
    template = None
    for number, fields in fields_of(path):
        where = f"{path}:{number}"
        if fields[0] == "dialog" and len(fields) == 5 and template is None:
            template = Template(int(fields[1]), numbers(fields[2], 2, where),
                                font_of(fields[3], where), fields[4].split("|"))
        elif fields[0] == "control" and len(fields) == 8 and template is not None:
            anchors = fields[5].split("|")
            if any(a not in ANCHORS for a in anchors):
                raise SourceError(f"{where}: unknown anchor in '{fields[5]}'")
            if fields[7] not in ("text", "-"):
                raise SourceError(f"{where}: the text field is 'text' or '-'")
            control = Control(int(fields[1]), fields[2], numbers(fields[3], 4, where),
                              fields[4].split("|"), anchors, int(fields[6]), fields[7] == "text")
            if template.control(control.id):
                raise SourceError(f"{where}: control {control.id} twice")
            template.controls.append(control)
        else:
            raise SourceError(f"{where}: not a dialog or control line")
    if template is None or not template.controls:
        raise SourceError(f"{path}: no dialog")
    orders = sorted(c.order for c in template.controls)
    if orders != list(range(1, len(orders) + 1)):
        raise SourceError(f"{path}: the orders are not 1 to {len(orders)}")
    return template


def read_translation(path, template=None, english=None):
    translation = Translation(Path(path).stem)
    for number, fields in fields_of(path):
        where = f"{path}:{number}"
        if len(fields) != 2:
            raise SourceError(f"{where}: not id<TAB>text")
        key, text = fields
        if key == "@font":
            translation.font = font_of(text, where)
        elif key.startswith("@"):
            if not key[1:].isdigit():
                raise SourceError(f"{where}: '{key}' names no control")
            control_id = int(key[1:])
            if template is not None and template.control(control_id) is None:
                raise SourceError(f"{where}: dialog {template.id} has no control {control_id}")
            translation.layout[control_id] = numbers(text, 4, where)
        elif key.isdigit():
            string_id = int(key)
            if string_id in translation.strings:
                raise SourceError(f"{where}: string {string_id} twice")
            if english is not None and string_id not in english.strings:
                raise SourceError(f"{where}: string {string_id} is not one of English")
            if not text:
                raise SourceError(f"{where}: string {string_id} is empty")
            translation.strings[string_id] = text
        else:
            raise SourceError(f"{where}: '{key}' is neither a string id nor @control")
    return translation


def read_sources(args):
    template = read_template(args.template)
    english = read_translation(args.english, template)
    if english.layout or english.font:
        raise SourceError(f"{args.english}: English is the template; it moves nothing")
    for control in template.controls:
        if control.has_text and control.id not in english.strings:
            raise SourceError(f"{args.english}: no text for control {control.id}")
    if template.id not in english.strings:
        raise SourceError(f"{args.english}: no caption {template.id}")
    source = getattr(args, "source", None)
    translation = read_translation(source, template, english) if source else None
    return template, english, translation


def write_if_changed(path, data):
    """Leaves an unchanged output alone, so nothing that depends on it is rebuilt."""
    path = Path(path)
    if isinstance(data, str):
        data = data.encode("utf-8")
    if path.exists() and path.read_bytes() == data:
        return
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


# --- The ".lang" table -------------------------------------------------------


def lang_table(args):
    template, _, translation = read_sources(args)
    lines = [f"# {LANGUAGES[translation.code][0]}: made from res/lang/{translation.code}.txt"]
    lines += [f"{i}\t{text}" for i, text in sorted(translation.strings.items())]
    lines += [f"@{i}\t{','.join(map(str, rect))}" for i, rect in sorted(translation.layout.items())]
    write_if_changed(args.out, "\n".join(lines) + "\n")


# --- C++ includes -------------------------------------------------------------


def cxx_string(text):
    """A C++ literal of the UTF-8 bytes of `text`; octal escapes cannot run on."""
    out = []
    for byte in text.encode("utf-8"):
        char = chr(byte)
        if char in '"\\?':
            out.append("\\" + char)
        elif 0x20 <= byte < 0x7F:
            out.append(char)
        else:
            out.append(f"\\{byte:03o}")
    return '"' + "".join(out) + '"'


def cxx(args):
    template, english, _ = read_sources(args)
    head = "// Made by scripts/gen_resources.py from {}; do not edit."
    if args.strings_out:
        strings = [head.format("res/lang/en.txt")]
        strings += [f"{{{i}, {cxx_string(t)}}}," for i, t in sorted(english.strings.items())]
        write_if_changed(args.strings_out, "\n".join(strings) + "\n")
    if args.controls_out:
        controls = [head.format("res/dialog129.txt")]
        for c in sorted(template.controls, key=lambda c: c.order):
            anchors = " | ".join(f"ANCHOR_{a}" for a in c.anchors)
            x, y, w, h = c.rect
            controls.append(f"{{{c.id}, {x}, {y}, {w}, {h}, {anchors}}},")
        write_if_changed(args.controls_out, "\n".join(controls) + "\n")
    if args.size_out:
        size = [head.format("res/dialog129.txt"),
                f"inline constexpr int kTemplateWidthDu = {template.size[0]};",
                f"inline constexpr int kTemplateHeightDu = {template.size[1]};"]
        write_if_changed(args.size_out, "\n".join(size) + "\n")


# --- Resource scripts ----------------------------------------------------------


def rc_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '""') + '"'


def rc_styles(styles):
    return " | ".join(("NOT " + s[1:]) if s.startswith("!") else s for s in styles)


def rc_path(path):
    return rc_string(Path(path).resolve().as_posix())


def rc(args):
    template, english, translation = read_sources(args)
    language = translation or english
    strings = dict(english.strings) if translation is None else translation.strings

    def text_of(string_id):
        # A language library's dialog shows English where the translation lacks a text.
        return language.strings.get(string_id, english.strings[string_id])

    _, lang, sublang = LANGUAGES[language.code]
    points, face = language.font or template.font
    lines = ["// Made by scripts/gen_resources.py; do not edit.",
             "#pragma code_page(65001)",
             "#include <windows.h>",
             "#include <commctrl.h>",
             f"LANGUAGE {lang}, {sublang}",
             f"128 ICON {rc_path(args.icon)}"]
    for bitmap in args.bitmap or []:
        number, _, path = bitmap.partition("=")
        lines.append(f"{int(number)} BITMAP {rc_path(path)}")
    if args.manifest:
        lines.append(f"CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST {rc_path(args.manifest)}")
    width, height = template.size
    lines += [f"{template.id} DIALOGEX 0, 0, {width}, {height}",
              f"STYLE {rc_styles(template.styles)}",
              f"CAPTION {rc_string(text_of(template.id))}",
              f"FONT {points}, {rc_string(face)}",
              "BEGIN"]
    for c in template.controls:
        x, y, w, h = language.layout.get(c.id, c.rect)
        text = rc_string(text_of(c.id) if c.has_text else "")
        lines.append(f'  CONTROL {text}, {c.id}, {rc_string(c.cls)}, {rc_styles(c.styles)}, '
                     f"{x}, {y}, {w}, {h}")
    lines += ["END", "STRINGTABLE", "BEGIN"]
    lines += [f"  {i} {rc_string(t)}" for i, t in sorted(strings.items())]
    lines += ["END"]
    write_if_changed(args.out, "\n".join(lines) + "\n")


# --- Pictures -------------------------------------------------------------------


def read_png(path):
    """(width, height, rows of (r, g, b, a) pixels) of a non-interlaced PNG of
    8 bits per sample, or of a palette of 1 to 8 bits."""
    data = Path(path).read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SourceError(f"{path}: not a PNG file")
    pos, idat, palette, alpha = 8, b"", [], []
    header = None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", chunk)
        elif kind == b"PLTE":
            palette = [tuple(chunk[i:i + 3]) for i in range(0, len(chunk), 3)]
        elif kind == b"tRNS":
            alpha = list(chunk)
        elif kind == b"IDAT":
            idat += chunk
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    if interlace or (colour != 3 and depth != 8) or depth > 8:
        raise SourceError(f"{path}: only 8-bit or palette PNGs without interlacing")
    bits = channels * depth
    stride = (width * bits + 7) // 8
    step = max(1, bits // 8)
    raw = zlib.decompress(idat)
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up = previous[i]
            corner = previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        previous = line
        pixels = []
        for x in range(width):
            if colour == 3:
                index = (line[x * depth // 8] >> (8 - depth - (x * depth) % 8)) & ((1 << depth) - 1)
                r, g, b = palette[index]
                pixels.append((r, g, b, alpha[index] if index < len(alpha) else 255))
            else:
                s = line[x * channels:(x + 1) * channels]
                pixels.append({0: lambda: (s[0], s[0], s[0], 255), 2: lambda: (*s, 255),
                               4: lambda: (s[0], s[0], s[0], s[1]), 6: lambda: tuple(s)}[colour]())
        rows.append(pixels)
    return width, height, rows


def dib(width, height, rows):
    """An icon image: 32-bit BGRA bottom-up, twice the height for the AND mask."""
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return info + colour + bytes(mask)


def ico(args):
    """Icon 128: the small sizes as bitmaps, 256 as the PNG itself (Vista on)."""
    images = []
    for png in args.png:
        width, height, rows = read_png(png)
        data = Path(png).read_bytes() if width >= 256 else dib(width, height, rows)
        images.append((width, height, data))
    images.sort()
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for width, height, data in images:
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    write_if_changed(args.out, out + b"".join(data for _, _, data in images))


def bmp(args):
    """A 16-colour bitmap. Transparent pixels become the light grey that loading
    with LR_LOADMAP3DCOLORS turns into the face colour of the header."""
    width, height, rows = read_png(args.png)
    face = (192, 192, 192)
    pixels = [[face if a == 0 else (r, g, b) for (r, g, b, a) in row] for row in rows]
    palette = sorted({p for row in pixels for p in row})
    if len(palette) > 16:
        raise SourceError(f"{args.png}: more than 16 colours")
    palette += [(0, 0, 0)] * (16 - len(palette))
    stride = ((width * 4 + 31) // 32) * 4
    body = bytearray()
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, p in enumerate(row):
            line[x // 2] |= palette.index(p) << (4 if x % 2 == 0 else 0)
        body += line
    colours = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(body), 2835, 2835, 16, 0)
    offset = 14 + len(info) + len(colours)
    head = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    write_if_changed(args.out, head + info + colours + bytes(body))


def languages(args):
    for path in sorted(Path(args.dir).glob("*.txt")):
        if path.stem not in LANGUAGES:
            raise SourceError(f"{path}: no language library for '{path.stem}'")
        library = LANGUAGES[path.stem][0]
        if library:
            print(f"{path.stem}={library}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)

    def sources(command):
        command.add_argument("--template", required=True)
        command.add_argument("--english", required=True)

    command = commands.add_parser("languages")
    command.add_argument("dir")
    command.set_defaults(run=languages)
    command = commands.add_parser("lang-table")
    sources(command)
    command.add_argument("--source", required=True)
    command.add_argument("--out", required=True)
    command.set_defaults(run=lang_table)
    command = commands.add_parser("cxx")
    sources(command)
    command.add_argument("--strings-out", help="the English table's entries")
    command.add_argument("--controls-out", help="the template's controls, in resizing order")
    command.add_argument("--size-out", help="the template's size")
    command.set_defaults(run=cxx)
    command = commands.add_parser("rc")
    sources(command)
    command.add_argument("--source", help="a translation; without it, the program's script")
    command.add_argument("--icon", required=True)
    command.add_argument("--bitmap", action="append", help="ID=FILE.bmp")
    command.add_argument("--manifest")
    command.add_argument("--out", required=True)
    command.set_defaults(run=rc)
    command = commands.add_parser("ico")
    command.add_argument("--out", required=True)
    command.add_argument("png", nargs="+")
    command.set_defaults(run=ico)
    command = commands.add_parser("bmp")
    command.add_argument("--out", required=True)
    command.add_argument("png")
    command.set_defaults(run=bmp)

    args = parser.parse_args()
    try:
        args.run(args)
    except (SourceError, OSError, KeyError, zlib.error) as error:
        print(f"gen_resources.py: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
