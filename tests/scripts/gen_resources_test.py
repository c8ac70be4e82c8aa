#!/usr/bin/env python3
"""Checks scripts/gen_resources.py on small sources: what it refuses, and what
each output holds."""
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib
from pathlib import Path

SCRIPT = Path(__file__).resolve().parents[2] / "scripts" / "gen_resources.py"
ROOT = Path(__file__).resolve().parents[2]

TEMPLATE = (
    "dialog\t129\t100,50\t9,MS Sans Serif\tDS_SETFONT|WS_POPUP\n"
    "control\t1004\tStatic\t4,7,75,8\tSS_RIGHT\tLEFT|TOP\t2\ttext\n"
    "control\t1095\tmsctls_progress32\t4,30,77,10\tWS_BORDER|!WS_VISIBLE\tLEFT|BOTTOM\t1\t-\n"
    "control\t2\tButton\t50,30,40,14\tBS_PUSHBUTTON\tRIGHT|BOTTOM|HCENTER\t3\ttext\n")
ENGLISH = ("# comment\n129\tCaption\n1004\tFolder:\n2\tClose\n"
           "204\tSay \"%1\" \\ there\n")


def png(width, height, rows, palette=None, alpha=None):
    """A PNG of palette indices (palette given) or RGBA tuples, filter 0."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    colour = 3 if palette else 6
    raw = b"".join(b"\0" + bytes(v for p in row for v in (p if not palette else (p,)))
                   for row in rows)
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8,
                                                             colour, 0, 0, 0))
    if palette:
        out += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
        if alpha:
            out += chunk(b"tRNS", bytes(alpha))
    return out + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


class GenResourcesTest(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp())
        self.write("dialog.txt", TEMPLATE)
        self.write("en.txt", ENGLISH)

    def write(self, name, text):
        path = self.dir / name
        path.write_text(text, encoding="utf-8")
        return path

    def run_generator(self, *args, check=True):
        result = subprocess.run([sys.executable, str(SCRIPT), *map(str, args)],
                                capture_output=True, text=True)
        if check:
            self.assertEqual(result.returncode, 0, result.stderr)
        return result

    def sources(self):
        return ["--template", self.dir / "dialog.txt", "--english", self.dir / "en.txt"]

    def test_refuses_what_is_not_in_english_or_the_template(self):
        cases = [
            ("an id English lacks", "de.txt", "129\tTitel\n999\tneu\n", "not one of English"),
            ("a control the template lacks", "de.txt", "@1111\t1,2,3,4\n", "no control 1111"),
            ("a position of three numbers", "de.txt", "@2\t1,2,3\n", "4 whole numbers"),
            ("an id twice", "de.txt", "2\tA\n2\tB\n", "twice"),
            ("an empty text", "de.txt", "2\t\n", "empty"),
            ("no tab", "de.txt", "2 Schliessen\n", "id<TAB>text"),
            ("English moving a control", "en.txt", ENGLISH + "@2\t1,2,3,4\n", "moves nothing"),
            ("English without a control's text", "en.txt", "129\tCaption\n2\tClose\n",
             "no text for control 1004"),
        ]
        for name, file, text, message in cases:
            with self.subTest(name):
                self.write("en.txt", ENGLISH)
                source = self.write(file, text)
                result = self.run_generator("lang-table", *self.sources(), "--source",
                                            self.dir / "de.txt" if file == "de.txt" else source,
                                            "--out", self.dir / "out.lang", check=False)
                self.assertEqual(result.returncode, 1)
                self.assertIn(message, result.stderr)

    def test_a_language_table_keeps_its_strings_and_positions(self):
        self.write("de.txt", "# German\n2\tSchließen\n@2\t40,30,50,14\n@font\t9,Arial\n")
        self.run_generator("lang-table", *self.sources(), "--source", self.dir / "de.txt",
                           "--out", self.dir / "de.lang")
        lines = (self.dir / "de.lang").read_text(encoding="utf-8").splitlines()
        self.assertEqual(lines[1:], ["2\tSchließen", "@2\t40,30,50,14"])

    def test_the_cxx_tables_escape_texts_and_follow_the_resizing_order(self):
        self.write("en.txt", ENGLISH + "5\tGr\u00f6\u00dfe?\n")
        out = self.dir / "out"
        self.run_generator("cxx", *self.sources(), "--strings-out", out / "s.inc",
                           "--controls-out", out / "c.inc", "--size-out", out / "z.inc")
        strings = (out / "s.inc").read_text().splitlines()
        self.assertIn('{5, "Gr\\303\\266\\303\\237e\\?"},', strings)
        self.assertIn('{204, "Say \\"%1\\" \\\\ there"},', strings)
        controls = (out / "c.inc").read_text().splitlines()[1:]
        self.assertEqual(controls, [
            "{1095, 4, 30, 77, 10, ANCHOR_LEFT | ANCHOR_BOTTOM},",
            "{1004, 4, 7, 75, 8, ANCHOR_LEFT | ANCHOR_TOP},",
            "{2, 50, 30, 40, 14, ANCHOR_RIGHT | ANCHOR_BOTTOM | ANCHOR_HCENTER},"])
        self.assertIn("kTemplateWidthDu = 100;", (out / "z.inc").read_text())

    def test_a_language_librarys_script_moves_controls_and_falls_back_to_english(self):
        self.write("de.txt", "129\tTitel \"A\"\n@2\t40,30,50,14\n@font\t10,Arial\n")
        self.run_generator("rc", *self.sources(), "--source", self.dir / "de.txt", "--icon",
                           self.dir / "i.ico", "--out", self.dir / "de.rc")
        script = (self.dir / "de.rc").read_text(encoding="utf-8")
        self.assertIn("LANGUAGE LANG_GERMAN, SUBLANG_GERMAN", script)
        self.assertIn('CAPTION "Titel ""A"""', script)
        self.assertIn('FONT 10, "Arial"', script)
        self.assertIn('CONTROL "Close", 2, "Button", BS_PUSHBUTTON, 40, 30, 50, 14', script)
        self.assertIn('CONTROL "", 1095, "msctls_progress32", WS_BORDER | NOT WS_VISIBLE, '
                      "4, 30, 77, 10", script)
        # The string table holds the translation only: the rest comes from the program.
        table = script[script.index("STRINGTABLE"):]
        self.assertIn('129 "Titel ""A"""', table)
        self.assertNotIn("Close", table)
        self.assertNotIn("BITMAP", script)
        self.assertNotIn("RT_MANIFEST", script)

    def test_the_programs_script_has_everything_in_english(self):
        self.run_generator("rc", *self.sources(), "--icon", self.dir / "i.ico", "--bitmap",
                           f"146={self.dir / 'a.bmp'}", "--manifest", self.dir / "m.xml",
                           "--out", self.dir / "exe.rc")
        script = (self.dir / "exe.rc").read_text(encoding="utf-8")
        self.assertIn("#pragma code_page(65001)", script)
        self.assertIn('128 ICON "', script)
        self.assertIn('146 BITMAP "', script)
        self.assertIn("CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST", script)
        self.assertIn('204 "Say ""%1"" \\\\ there"', script)
        self.assertIn('FONT 9, "MS Sans Serif"', script)

    def test_the_sort_arrow_is_a_16_colour_bitmap_on_the_header_face(self):
        rows = [[0, 1, 0], [1, 1, 1]]
        (self.dir / "a.png").write_bytes(png(3, 2, rows, [(255, 255, 255), (128, 128, 128)], [0]))
        self.run_generator("bmp", "--out", self.dir / "a.bmp", self.dir / "a.png")
        data = (self.dir / "a.bmp").read_bytes()
        self.assertEqual(data[:2], b"BM")
        offset, = struct.unpack("<I", data[10:14])
        size, width, height, _, bits = struct.unpack("<IiiHH", data[14:30])
        self.assertEqual((size, width, height, bits), (40, 3, 2, 4))
        palette = [tuple(data[54 + 4 * i:57 + 4 * i]) for i in range(16)]
        face, shadow = palette.index((192, 192, 192)), palette.index((128, 128, 128))
        # Bottom-up rows of 4 bytes: the lower row first.
        self.assertEqual(data[offset:offset + 2],
                         bytes([shadow << 4 | shadow, shadow << 4]))
        self.assertEqual(data[offset + 4:offset + 6], bytes([face << 4 | shadow, face << 4]))

    def test_the_icon_has_bitmaps_for_small_sizes_and_the_png_for_256(self):
        small = png(2, 2, [[(255, 0, 0, 255), (0, 0, 0, 0)], [(0, 255, 0, 128)] * 2])
        (self.dir / "s.png").write_bytes(small)
        big = png(256, 256, [[(1, 2, 3, 255)] * 256] * 256)
        (self.dir / "b.png").write_bytes(big)
        self.run_generator("ico", "--out", self.dir / "i.ico", self.dir / "b.png",
                           self.dir / "s.png")
        data = (self.dir / "i.ico").read_bytes()
        self.assertEqual(struct.unpack("<HHH", data[:6]), (0, 1, 2))
        entries = [struct.unpack("<BBBBHHII", data[6 + 16 * i:22 + 16 * i]) for i in range(2)]
        self.assertEqual(entries[0][:2], (2, 2))
        self.assertEqual(entries[1][:2], (0, 0))  # 256
        dib = data[entries[0][7]:entries[0][7] + entries[0][6]]
        self.assertEqual(struct.unpack("<Iii", dib[:12]), (40, 2, 4))
        # BGRA bottom-up, then the mask: the transparent pixel is set in it.
        self.assertEqual(dib[40:48], bytes([0, 255, 0, 128] * 2))
        self.assertEqual(dib[48:56], bytes([0, 0, 255, 255, 0, 0, 0, 0]))
        self.assertEqual(dib[56 + 4:56 + 5], bytes([0x40]))
        self.assertEqual(data[entries[1][7]:entries[1][7] + entries[1][6]], big)

    def test_the_shipped_sources_are_accepted(self):
        result = self.run_generator("languages", ROOT / "res" / "lang")
        self.assertIn("de=ZULRQX340_GER", result.stdout.split())
        for source in sorted((ROOT / "res" / "lang").glob("*.txt")):
            if source.stem == "en":
                continue
            with self.subTest(source.name):
                self.run_generator("lang-table", "--template", ROOT / "res" / "dialog129.txt",
                                   "--english", ROOT / "res" / "lang" / "en.txt", "--source",
                                   source, "--out", self.dir / "t.lang")


if __name__ == "__main__":
    unittest.main()
