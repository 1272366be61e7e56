"""The imaging component under Wine through tools/imagetool, with files made by PIL and
judged by PIL: load, file information, JPEG and TIFF saved over the source, conversion to
24 bits, the packed bitmap, and a failed save that must leave the file alone."""

import shutil
import struct
import unittest

from PIL import Image, ImageChops, ImageDraw, ImageStat

import rig

DIR = rig.WORK / "imaging"


def page(width=850, height=1100):
    """A page with text-like strokes and a photograph-like gradient."""
    image = Image.new("RGB", (width, height), (246, 244, 238))
    draw = ImageDraw.Draw(image)
    for row in range(80, height // 2, 24):
        for col in range(60, width - 100, 90):
            draw.rectangle((col, row, col + 60, row + 8), fill=(30, 30, 40))
    for y in range(height // 2, height - 80):
        draw.line((60, y, width - 60, y), fill=(y % 256, 120, 255 - y % 256))
    return image


def bitmap_without_resolution(image, path):
    image.save(path)
    data = bytearray(path.read_bytes())
    data[38:46] = bytes(8)  # pixels per metre, both ways
    path.write_bytes(bytes(data))


def tool(*args):
    result = rig.run([rig.TOOLS / "imagetool.exe"] + [str(a) for a in args], cwd=DIR, timeout=120)
    return result.returncode, result.stdout.replace("\r", "").strip().splitlines()


def mean_difference(a, b):
    return sum(ImageStat.Stat(ImageChops.difference(a.convert("RGB"), b.convert("RGB"))).mean) / 3


class ImagingTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if DIR.exists():
            shutil.rmtree(DIR)
        DIR.mkdir(parents=True)
        cls.colour = page()
        cls.colour.save(DIR / "colour.bmp", dpi=(100, 100))
        cls.colour.convert("L").save(DIR / "grey.bmp", dpi=(200, 200))
        cls.colour.convert("1").save(DIR / "mono.bmp", dpi=(300, 300))
        bitmap_without_resolution(cls.colour, DIR / "nodpi.bmp")
        cls.colour.save(DIR / "colour.tif", dpi=(150, 150))
        cls.colour.save(DIR / "colour.jpg", quality=90)
        (DIR / "letter.txt").write_text("Dear scanner,\r\nthis is no image.\r\n")
        whole = (DIR / "colour.bmp").read_bytes()
        (DIR / "short.bmp").write_bytes(whole[: len(whole) // 2])

    def copy(self, name, new):
        shutil.copy2(DIR / name, DIR / new)
        return DIR / new

    def test_information_and_load_tell_images_from_other_files(self):
        for name in ("colour.bmp", "grey.bmp", "mono.bmp", "colour.tif", "colour.jpg"):
            self.assertEqual(tool("info", name), (0, ["IMAGE 1"]), name)
        for name in ("letter.txt", "short.bmp", "missing.bmp"):
            self.assertEqual(tool("info", name), (1, ["IMAGE 0"]), name)
            self.assertEqual(tool("load", name), (1, ["LOAD FAILED"]), name)

    def test_load_keeps_size_depth_and_resolution(self):
        self.assertEqual(tool("load", "colour.bmp")[1], ["LOADED 850 1100 24 100 100"])
        self.assertEqual(tool("load", "grey.bmp")[1], ["LOADED 850 1100 8 200 200"])
        self.assertEqual(tool("load", "mono.bmp")[1], ["LOADED 850 1100 1 300 300"])
        self.assertEqual(tool("load", "nodpi.bmp")[1], ["LOADED 850 1100 24 0 0"])
        self.assertEqual(tool("load", "colour.tif")[1], ["LOADED 850 1100 24 150 150"])
        self.assertEqual(tool("load", "colour.jpg")[1][0].split()[:4], ["LOADED", "850", "1100", "24"])

    def test_jpeg_replaces_the_page_it_was_loaded_from(self):
        path = self.copy("colour.bmp", "jpegpage.bmp")
        self.assertEqual(tool("save", path.name, path.name, 10, 50), (0, ["SAVED"]))
        with Image.open(path) as saved:
            self.assertEqual(saved.format, "JPEG")
            self.assertEqual(saved.size, (850, 1100))
            self.assertEqual(saved.info.get("dpi"), (100, 100))
            self.assertEqual(saved.quantization[0][0], 16)  # the example table unscaled: quality 50
            self.assertLess(mean_difference(saved, self.colour), 4)
        # Sensibly small: a fraction of the bitmap, and smaller than at quality 90.
        fine = self.copy("colour.bmp", "fine.bmp")
        tool("save", fine.name, fine.name, 10, 90)
        self.assertLess(path.stat().st_size * 10, (DIR / "colour.bmp").stat().st_size)
        self.assertLess(path.stat().st_size, fine.stat().st_size)
        self.assertEqual(sorted(p.name for p in DIR.glob("ovn*")), [])  # no temporary left

    def test_grey_and_black_and_white_pages_as_jpeg(self):
        for name, tolerance in (("grey.bmp", 4), ("mono.bmp", 20)):
            path = self.copy(name, "j" + name)
            self.assertEqual(tool("save", path.name, path.name, 10, 50), (0, ["SAVED"]))
            with Image.open(path) as saved, Image.open(DIR / name) as original:
                self.assertEqual((saved.format, saved.mode, saved.size), ("JPEG", "L", (850, 1100)), name)
                self.assertLess(mean_difference(saved, original), tolerance, name)

    def test_tiff_replaces_the_page_without_loss(self):
        for name in ("colour.bmp", "grey.bmp", "mono.bmp"):
            path = self.copy(name, "t" + name)
            self.assertEqual(tool("save", path.name, path.name, 3, 50), (0, ["SAVED"]), name)
            with Image.open(path) as saved, Image.open(DIR / name) as original:
                self.assertEqual(saved.format, "TIFF", name)
                self.assertEqual(saved.size, (850, 1100), name)
                self.assertEqual(mean_difference(saved, original), 0, name)
        with Image.open(DIR / "tcolour.bmp") as saved:
            self.assertEqual([round(v) for v in saved.info["dpi"]], [100, 100])

    def test_pages_read_in_bands_are_written_as_whole_pages_are(self):
        topdown = Image.open(DIR / "colour.bmp").crop((0, 0, 203, 151))
        topdown.save(DIR / "small.bmp")
        data = bytearray((DIR / "small.bmp").read_bytes())
        offset, row = struct.unpack_from("<I", data, 10)[0], (203 * 3 + 3) // 4 * 4
        rows = [bytes(data[offset + i * row: offset + (i + 1) * row]) for i in range(151)]
        struct.pack_into("<i", data, 22, -151)
        data[offset:] = b"".join(reversed(rows))
        (DIR / "small-topdown.bmp").write_bytes(bytes(data))
        for name in ("colour.bmp", "grey.bmp", "mono.bmp", "small-topdown.bmp"):
            for code in (10, 3):
                written = []
                for whole in ((), ("--whole",)):
                    path = self.copy(name, "b" + name)
                    self.assertEqual(tool("save", path.name, path.name, code, 50, *whole), (0, ["SAVED"]), name)
                    written.append(path.read_bytes())
                self.assertEqual(written[0], written[1], (name, code))

    def test_grey_and_black_and_white_convert_to_24_bits(self):
        for name in ("grey.bmp", "mono.bmp"):
            out = "c24" + name
            self.assertEqual(tool("convert", name, out), (0, ["CONVERTED 24"]), name)
            with Image.open(DIR / out) as converted, Image.open(DIR / name) as original:
                self.assertEqual(converted.mode, "RGB", name)
                self.assertEqual(mean_difference(converted, original), 0, name)

    def test_packed_bitmap_is_the_file_without_its_file_header(self):
        for name, bits in (("colour.bmp", 24), ("grey.bmp", 8), ("mono.bmp", 1)):
            code, lines = tool("packed", name, "p" + name + ".dib")
            self.assertEqual(code, 0, name)
            block = (DIR / ("p" + name + ".dib")).read_bytes()
            data = (DIR / name).read_bytes()
            size, width, height, planes, bit_count, compression = struct.unpack_from("<IiiHHI", block, 0)
            self.assertEqual((size, width, height, planes, bit_count, compression), (40, 850, 1100, 1, bits, 0))
            self.assertEqual(lines, ["PACKED %d" % len(block)])
            colours = struct.unpack_from("<I", block, 32)[0]
            offset = struct.unpack_from("<I", data, 10)[0]
            # Colour table and bottom-up rows exactly as the file holds them.
            self.assertEqual(block[40:], data[14 + 40:14 + 40 + colours * 4] + data[offset:], name)

    def test_rows_stored_from_the_top_come_out_bottom_up(self):
        data = bytearray((DIR / "colour.bmp").read_bytes())
        offset, width, height = struct.unpack_from("<I", data, 10)[0], 850, 1100
        row = (width * 3 + 3) // 4 * 4
        rows = [bytes(data[offset + i * row: offset + (i + 1) * row]) for i in range(height)]
        struct.pack_into("<i", data, 22, -height)
        data[offset:] = b"".join(reversed(rows))
        (DIR / "topdown.bmp").write_bytes(bytes(data))
        self.assertEqual(tool("packed", "topdown.bmp", "topdown.dib")[0], 0)
        block = (DIR / "topdown.dib").read_bytes()
        self.assertEqual(struct.unpack_from("<i", block, 8)[0], height)
        self.assertEqual(block[40:], b"".join(rows))

    def test_failed_save_leaves_the_file_unchanged(self):
        # Wider than JPEG can say: the encoder refuses after the new file was begun.
        wide = Image.new("RGB", (70000, 2), (200, 100, 50))
        wide.save(DIR / "wide.bmp")
        before = (DIR / "wide.bmp").read_bytes()
        self.assertEqual(tool("save", "wide.bmp", "wide.bmp", 10, 50), (1, ["SAVE FAILED"]))
        self.assertEqual((DIR / "wide.bmp").read_bytes(), before)
        self.assertEqual(sorted(p.name for p in DIR.glob("ovn*")), [])
        # A folder that does not exist, and a format code that is neither JPEG nor TIFF.
        self.assertEqual(tool("save", "colour.bmp", "nowhere\\x.jpg", 10, 50), (1, ["SAVE FAILED"]))
        original = (DIR / "colour.bmp").read_bytes()
        self.assertEqual(tool("save", "colour.bmp", "colour.bmp", 7, 50), (1, ["SAVE FAILED"]))
        self.assertEqual((DIR / "colour.bmp").read_bytes(), original)

    def test_detection_finds_the_page_on_a_prescan(self):
        prescan = Image.new("RGB", (306, 396), (28, 30, 34))
        ImageDraw.Draw(prescan).rectangle((50, 56, 249, 355), fill=(246, 244, 238))
        prescan.save(DIR / "prescan.bmp")
        prescan.convert("L").save(DIR / "prescan-grey.bmp")
        for name in ("prescan.bmp", "prescan-grey.bmp"):
            code, lines = tool("detect", name)
            self.assertEqual(code, 0, name)
            self.assertEqual(lines[0], "AREA 50 355 249 56", name)


if __name__ == "__main__":
    unittest.main()
