"""Checks the art generator natively: every manifest file, 8-bit palettised BMPs, icon sizes, same bytes twice."""
import hashlib
import os
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.environ.get("ORVANE_ROOT", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
ART = os.path.join(ROOT, "tools", "art")
sys.path.insert(0, ART)

import generate  # noqa: E402
import theme  # noqa: E402
from PIL import Image, ImageChops, ImageStat  # noqa: E402


def run_generator(out_dir):
    subprocess.run(["/usr/bin/python3", os.path.join(ART, "generate.py"), out_dir],
                   check=True, cwd=ART, timeout=300)
    files = {}
    for name in sorted(os.listdir(out_dir)):
        with open(os.path.join(out_dir, name), "rb") as f:
            files[name] = f.read()
    return files


def parse_bmp(data):
    magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    (hsize, width, height, planes, bits, compression, image_size, _, _,
     used, important) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    return dict(magic=magic, file_size=file_size, offset=offset, hsize=hsize, width=width,
                height=height, planes=planes, bits=bits, compression=compression,
                image_size=image_size, used=used, important=important)


class ArtTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.first = run_generator(os.path.join(cls.tmp.name, "a"))
        cls.second = run_generator(os.path.join(cls.tmp.name, "b"))
        cls.manifest = generate.read_manifest()

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_every_manifest_file_is_written_and_nothing_else(self):
        self.assertEqual(sorted(self.first), sorted(n for n, _, _ in self.manifest))

    def test_generation_is_deterministic(self):
        digest = lambda files: {n: hashlib.sha256(d).hexdigest() for n, d in files.items()}
        self.assertEqual(digest(self.first), digest(self.second))

    def test_bitmaps_are_8_bit_with_their_own_palette(self):
        for name, width, height in self.manifest:
            if not name.endswith(".bmp"):
                continue
            with self.subTest(name=name):
                data = self.first[name]
                h = parse_bmp(data)
                self.assertEqual(h["magic"], b"BM")
                self.assertEqual(h["file_size"], len(data))
                self.assertEqual(h["hsize"], 40)
                self.assertEqual((h["width"], h["height"]), (width, height))
                self.assertEqual((h["planes"], h["bits"], h["compression"]), (1, 8, 0))
                self.assertTrue(2 <= h["used"] <= 256, h["used"])
                self.assertEqual(h["offset"], 14 + 40 + 4 * h["used"])
                stride = (width + 3) & ~3
                self.assertEqual(h["image_size"], stride * height)
                self.assertEqual(len(data), h["offset"] + stride * height)
                pixels = data[h["offset"]:]
                self.assertLess(max(pixels[r * stride + c] for r in range(height)
                                    for c in range(width)), h["used"])

    def test_icon_holds_16_32_and_48_pixel_images(self):
        data = self.first["orvane.ico"]
        reserved, kind, count = struct.unpack_from("<HHH", data, 0)
        self.assertEqual((reserved, kind), (0, 1))
        sizes = []
        for i in range(count):
            w, h, _, _, planes, bits, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
            hsize, bw, bh = struct.unpack_from("<Iii", data, offset)
            self.assertEqual((hsize, bw, bh, planes, bits), (40, w, 2 * h, 1, 32))
            mask_stride = ((w + 31) // 32) * 4
            self.assertEqual(length, 40 + 4 * w * h + mask_stride * h)
            self.assertLessEqual(offset + length, len(data))
            sizes.append(w)
        self.assertEqual(sorted(sizes), [16, 32, 48])

    def rgb(self, name):
        path = os.path.join(self.tmp.name, "a", name)
        with Image.open(path) as im:
            return im.convert("RGB")

    def assert_rim_matches(self, face, background, x, y):
        """The face's outermost pixel ring is the background's, so no seam shows around it."""
        img = self.rgb(face)
        w, h = img.size
        under = self.rgb(background).crop((x, y, x + w, y + h))
        rim = [(i, 0) for i in range(w)] + [(i, h - 1) for i in range(w)] + \
              [(0, j) for j in range(h)] + [(w - 1, j) for j in range(h)]
        differ = [p for p in rim if img.getpixel(p) != under.getpixel(p)]
        self.assertLess(len(differ), len(rim) // 10, "%s over %s: %s" % (face, background, differ[:5]))

    def test_panel_faces_blend_into_the_background_where_they_stand(self):
        for name, x, y, w, h, _ in theme.BUTTONS:
            for state in ("", "F", "D"):
                with self.subTest(face=name + state):
                    self.assert_rim_matches(name + state + ".bmp", "PATTERN.bmp", x, y)

    def test_page_button_faces_blend_into_their_pages(self):
        pw, ph = theme.PAGE_SIZE
        bw, bh = theme.PAGE_BUTTON
        mw, mh = theme.MAIL_BUTTON
        spots = [(n, page, pw - 6 - bw, ph - 6 - bh) for n in (223, 224, 225)
                 for page in ("IMAGEBK",)]
        spots += [(n, page, pw - 6 - bw, ph - 6 - bh) for n in (226, 227, 228)
                  for page in ("COPYBK", "FAXBK")]
        spots += [(n, "MAILBK", pw - 1 - mw, ph - 2 * (mh + 1)) for n in (229, 230, 231)]
        for number, page, x, y in spots:
            with self.subTest(face=number, page=page):
                self.assert_rim_matches("BMP%d.bmp" % number, page + ".bmp", x, y)

    def test_larger_sets_are_the_same_pictures_drawn_larger(self):
        for name, width, height in self.manifest:
            if not name.endswith(".bmp") or name[:-4].endswith(("_150", "_200")):
                continue
            base = self.rgb(name)
            for suffix, scale in (("_150", 1.5), ("_200", 2)):
                with self.subTest(bitmap=name, set=suffix):
                    larger = self.rgb(name[:-4] + suffix + ".bmp")
                    self.assertEqual(larger.size, (int(width * scale + 0.5), int(height * scale + 0.5)))
                    shrunk = larger.resize(base.size, Image.BOX)
                    diff = ImageChops.difference(shrunk, base)
                    # Thin lines of the small faces fall between pixels at 1.5x: a few levels
                    # apart; a shape out of place or missing is tens of levels apart.
                    self.assertLess(sum(ImageStat.Stat(diff).mean) / 3, 10.0)

    def test_panel_faces_blend_into_the_background_in_the_larger_sets(self):
        for suffix, scale in (("_150", 1.5), ("_200", 2)):
            for name, x, y, w, h, _ in theme.BUTTONS:
                with self.subTest(face=name + "D" + suffix):
                    self.assert_rim_matches(name + "D" + suffix + ".bmp", "PATTERN" + suffix + ".bmp",
                                            int(x * scale + 0.5), int(y * scale + 0.5))

    def test_label_strip_is_light_enough_for_its_dark_grey_text(self):
        img = self.rgb("PATTERN.bmp")
        top = img.size[1] - theme.STRIP_HEIGHT
        for x, y in ((3, top + 2), (200, top + 20), (theme.STRIP_WIDTH - 4, img.size[1] - 3)):
            with self.subTest(x=x, y=y):
                self.assertGreater(contrast(img.getpixel((x, y)), theme.LABEL_TEXT), 4.5)

    def test_pages_are_dark_enough_for_white_titles_and_labels(self):
        pw, ph = theme.PAGE_SIZE
        for page in theme.PAGE_ACCENT:
            img = self.rgb(page + ".bmp")
            for x, y in ((70, 14), (20, 75), (150, 120), (60, 165), (150, 200), (20, ph - 14)):
                with self.subTest(page=page, x=x, y=y):
                    self.assertGreater(contrast(img.getpixel((x, y)), (255, 255, 255)), 4.5)


def contrast(a, b):
    def luminance(c):
        lin = [(v / 255.0) / 12.92 if v <= 10 else ((v / 255.0 + 0.055) / 1.055) ** 2.4 for v in c]
        return 0.2126 * lin[0] + 0.7152 * lin[1] + 0.0722 * lin[2]
    hi, lo = sorted((luminance(a), luminance(b)), reverse=True)
    return (hi + 0.05) / (lo + 0.05)


if __name__ == "__main__":
    unittest.main()
