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


if __name__ == "__main__":
    unittest.main()
