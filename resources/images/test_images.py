#!/usr/bin/env python3
"""Checks scripts/make-images: it runs the real script twice into temporary roots and
examines what it wrote with an independent PNG/ICO reader.

Run: python3 resources/images/test_images.py
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

sys.dont_write_bytecode = True
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(REPO, "scripts", "make-images")
IMAGES = ["resources/images/" + n for n in ("product-logo.png", "success.png", "failure.png", "tessera.ico")]
OFFERS = ["service/assets/f/offer-%d.png" % n for n in range(1, 7)] + ["service/assets/f/offers.txt"]


class Png:
    """Decodes 8-bit non-interlaced RGB/RGBA PNGs, checking every chunk's CRC."""

    def __init__(self, data):
        assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
        pos, idat, self.chunks = 8, b"", []
        while pos < len(data):
            length, kind = struct.unpack(">I4s", data[pos:pos + 8])
            body = data[pos + 8:pos + 8 + length]
            crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
            assert crc == zlib.crc32(kind + body), "bad CRC in " + kind.decode()
            self.chunks.append(kind.decode())
            if kind == b"IHDR":
                self.width, self.height, depth, color, _, _, interlace = struct.unpack(">IIBBBBB", body)
                assert depth == 8 and interlace == 0 and color in (2, 6)
                self.channels = 3 if color == 2 else 4
            elif kind == b"IDAT":
                idat += body
            pos += 12 + length
        self.pixels = self._unfilter(zlib.decompress(idat))

    def _unfilter(self, raw):
        bpp, stride = self.channels, self.width * self.channels
        out, prev = bytearray(), bytearray(stride)
        for y in range(self.height):
            kind, row = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
            for i in range(stride):
                a = row[i - bpp] if i >= bpp else 0
                b, c = prev[i], prev[i - bpp] if i >= bpp else 0
                if kind == 1:
                    row[i] = (row[i] + a) & 255
                elif kind == 2:
                    row[i] = (row[i] + b) & 255
                elif kind == 3:
                    row[i] = (row[i] + (a + b) // 2) & 255
                elif kind == 4:
                    p = a + b - c
                    pred = min((abs(p - a), 0, a), (abs(p - b), 1, b), (abs(p - c), 2, c))[2]
                    row[i] = (row[i] + pred) & 255
            out += row
            prev = row
        return bytes(out)

    def at(self, x, y):
        i = (y * self.width + x) * self.channels
        return tuple(self.pixels[i:i + self.channels])


def read_ico(data):
    """Returns {size: (kind, payload)} with kind 'png' or 'dib'."""
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    assert (reserved, kind) == (0, 1)
    entries, spans = {}, []
    for n in range(count):
        w, h, colors, res, planes, bits, length, offset = struct.unpack("<BBBBHHII", data[6 + 16 * n:22 + 16 * n])
        size = w or 256
        assert w == h and colors == 0 and res == 0 and planes == 1 and bits == 32
        assert offset + length <= len(data)
        spans.append((offset, offset + length))
        blob = data[offset:offset + length]
        entries[size] = ("png" if blob[:4] == b"\x89PNG" else "dib", blob)
    spans.sort()
    assert spans[0][0] == 6 + 16 * count and all(a[1] <= b[0] for a, b in zip(spans, spans[1:])), "entries overlap"
    return entries


class GeneratedImages(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.roots = [tempfile.mkdtemp(prefix="make-images-") for _ in range(2)]
        for root in cls.roots:
            subprocess.run([SCRIPT, "--out", root], check=True)

    @classmethod
    def tearDownClass(cls):
        for root in cls.roots:
            shutil.rmtree(root)

    def read(self, name, root=None):
        with open(os.path.join(root or self.roots[0], name), "rb") as f:
            return f.read()

    def test_runs_are_byte_identical_and_match_the_committed_files(self):
        for name in IMAGES + OFFERS:
            with self.subTest(name=name):
                self.assertEqual(self.read(name), self.read(name, self.roots[1]))
                self.assertEqual(self.read(name), self.read(name, REPO), "committed file is stale; run make-images")

    def test_pngs_carry_no_time_or_text_chunks(self):
        for name in IMAGES[:3] + OFFERS[:6]:
            with self.subTest(name=name):
                self.assertEqual(Png(self.read(name)).chunks, ["IHDR", "IDAT", "IEND"])

    def test_logo_is_transparent_around_an_unclipped_berry(self):
        logo = Png(self.read("resources/images/product-logo.png"))
        self.assertEqual((logo.width, logo.height, logo.channels), (256, 256, 4))
        border = [logo.at(x, y) for x in range(256) for y in (0, 255)] + \
                 [logo.at(x, y) for y in range(256) for x in (0, 255)]
        self.assertTrue(all(p[3] == 0 for p in border), "drawing touches the edge")
        opaque = [logo.at(x, y) for y in range(256) for x in range(256) if logo.at(x, y)[3] == 255]
        purple = [p for p in opaque if p[2] > p[1] + 30 and p[0] > p[1] + 30]
        green = [p for p in opaque if p[1] > p[0] + 40 and p[1] > p[2] + 40]
        self.assertGreater(len(purple), 256 * 256 // 4)
        self.assertGreater(len(green), 500)

    def test_marks_are_white_strokes_on_an_antialiased_disc(self):
        cases = {"success.png": ((127, 188, 66), [(0.43, 0.66), (0.6, 0.49)]),
                 "failure.png": ((214, 64, 54), [(0.5, 0.5), (0.4, 0.4), (0.6, 0.4)])}
        for name, (disc, stroke_points) in cases.items():
            with self.subTest(name=name):
                mark = Png(self.read("resources/images/" + name))
                self.assertEqual((mark.width, mark.height, mark.channels), (512, 512, 4))
                for x, y in ((0, 0), (511, 0), (0, 511), (511, 511), (256, 0), (0, 256)):
                    self.assertEqual(mark.at(x, y)[3], 0, (x, y))
                inside = mark.at(256, 100)
                self.assertEqual(inside[3], 255)
                self.assertTrue(all(abs(a - b) <= 24 for a, b in zip(inside, disc)), inside)
                for fx, fy in stroke_points:
                    self.assertEqual(mark.at(int(fx * 512), int(fy * 512)), (255, 255, 255, 255), (fx, fy))
                partial = sum(1 for y in range(512) for x in range(512) if 0 < mark.at(x, y)[3] < 255)
                self.assertGreater(partial, 1000, "disc edge is not anti-aliased")

    def test_icon_entries_have_valid_dibs_masks_and_png(self):
        entries = read_ico(self.read("resources/images/tessera.ico"))
        self.assertEqual(sorted(entries), [16, 24, 32, 48, 256])
        kind, blob = entries[256]
        self.assertEqual(kind, "png")
        self.assertEqual(Png(blob).pixels, Png(self.read("resources/images/product-logo.png")).pixels)
        for size in (16, 24, 32, 48):
            with self.subTest(size=size):
                kind, blob = entries[size]
                self.assertEqual(kind, "dib")
                head = struct.unpack("<IiiHHIIiiII", blob[:40])
                mask_stride = (size + 31) // 32 * 4
                self.assertEqual(head[:6], (40, size, 2 * size, 1, 32, 0))
                self.assertEqual(len(blob), 40 + size * size * 4 + size * mask_stride)
                xor, mask = blob[40:40 + size * size * 4], blob[40 + size * size * 4:]
                for row in range(size):
                    for x in range(size):
                        alpha = xor[(row * size + x) * 4 + 3]
                        masked = mask[row * mask_stride + x // 8] >> (7 - x % 8) & 1
                        self.assertEqual(masked, int(alpha == 0), (x, row))
                # Rows are stored bottom-up: the leaf sits top right, the berry's dark bottom below it.
                top_right = xor[((size - 1 - size // 8) * size + size * 7 // 8) * 4:][:4]
                self.assertGreater(top_right[1], top_right[2], "leaf should be green at the top right")

    @unittest.skipUnless(shutil.which("i686-w64-mingw32-windres"), "needs MinGW windres")
    def test_windres_accepts_the_icon(self):
        ico = os.path.join(self.roots[0], "resources/images/tessera.ico")
        with tempfile.TemporaryDirectory() as work:
            rc = os.path.join(work, "icon.rc")
            with open(rc, "w") as f:
                f.write('1 ICON "%s"\n' % ico)
            subprocess.run(["i686-w64-mingw32-windres", rc, "-O", "coff", "-o", os.path.join(work, "icon.o")],
                           check=True)
            self.assertGreater(os.path.getsize(os.path.join(work, "icon.o")), os.path.getsize(ico))

    def test_banners_list_six_distinct_offers_and_keep_text_off_the_edges(self):
        lines = self.read("service/assets/f/offers.txt").decode().splitlines()
        self.assertEqual(len(lines), 6)
        names = [line.split(" | ")[0] for line in lines]
        self.assertTrue(all(len(line.split(" | ")) == 2 for line in lines))
        self.assertEqual(len(set(names)), 6)
        seen = set()
        for n in range(1, 7):
            with self.subTest(banner=n):
                data = self.read("service/assets/f/offer-%d.png" % n)
                self.assertNotIn(data, seen)
                seen.add(data)
                banner = Png(data)
                self.assertEqual((banner.width, banner.height, banner.channels), (624, 320, 3))
                frame = 20
                steps = [max(abs(a - b) for a, b in zip(banner.at(x, y), banner.at(x + 1, y)))
                         for y in range(320) for x in range(623)
                         if x < frame or x >= 624 - frame or y < frame or y >= 320 - frame]
                self.assertLess(max(steps), 24, "something sharp (text?) within %d px of the edge" % frame)


if __name__ == "__main__":
    unittest.main()
