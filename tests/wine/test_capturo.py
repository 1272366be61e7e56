"""Capturo under Wine against Wine's own TWAIN_32.DLL and the virtual scanner: memory, native
and file pages, the bitmap files, the negotiation in the scanner's triplet log, cancel,
the feeder batch, the disk check and the bounded handling of failing sources."""

import shutil
import unittest

import rig
import scan_rig
from scan_rig import capability_calls, log_lines, read_bmp, run_host

ICAP_XFERMECH, ICAP_PIXELTYPE, ICAP_UNITS = 0x0103, 0x0101, 0x0102
ICAP_XRESOLUTION, ICAP_YRESOLUTION = 0x1118, 0x1119
ICAP_BRIGHTNESS, ICAP_CONTRAST = 0x1101, 0x1103
ICAP_PLANARCHUNKY, ICAP_SUPPORTEDSIZES = 0x1120, 0x1122
CAP_FEEDERENABLED, CAP_FEEDERLOADED = 0x1002, 0x1003


class CapturoTest(unittest.TestCase):
    def setUp(self):
        self.dir = scan_rig.host_dir("capturo_" + self._testMethodName)

    def tearDown(self):
        scan_rig.reset_scanner()

    def scan(self, *args, **settings):
        scan_rig.install_scanner(**settings)
        return run_host(self.dir, *args)

    def page_file(self, number=1, ext="bmp"):
        return self.dir / "out" / ("page%d.%s" % (number, ext))

    # Memory pages and their bitmap files

    def test_colour_memory_page_and_the_negotiation_in_order(self):
        run = self.scan("--res", "100", "--frame", "0,0,8.5,11")
        self.assertIn("ACQ rc=1 sizeCode=0", run.lines)
        [result] = run.results()
        self.assertEqual(result["mech"], "2")
        self.assertEqual(result["path"], rig.wine_path(self.dir) + "\\TEMP\\TWN00000.BMP")
        self.assertEqual(result["dest"], "1005")
        self.assertEqual(result["more"], "0")
        header, palette, pixels = read_bmp(self.page_file())
        self.assertEqual((header["width"], header["height"], header["bit_count"]), (850, 1100, 24))
        self.assertEqual(header["off_bits"], 54)
        self.assertEqual(header["size"], 54 + 2552 * 1100)
        self.assertEqual(header["file_length"], header["size"])
        self.assertEqual(header["size_image"], 2552 * 1100)
        self.assertEqual((header["xppm"], header["yppm"]), (3900, 3900))
        # Bottom-up: the file's last row is the image's first, which lies on the dark glass.
        first_row = pixels[-2552:]
        self.assertLess(max(first_row[:300]), 60)
        middle = pixels[550 * 2552:551 * 2552]
        self.assertGreater(middle[3 * 40], 200)  # the paper near the left edge
        sequence = [(msg, cap) for msg, cap, _ in capability_calls()]
        self.assertEqual(sequence, [
            ("SET", ICAP_XFERMECH), ("SET", ICAP_XFERMECH), ("GET", ICAP_PLANARCHUNKY),
            ("SET", ICAP_XRESOLUTION), ("SET", ICAP_YRESOLUTION), ("SET", ICAP_PIXELTYPE),
            ("SET", ICAP_BRIGHTNESS), ("SET", ICAP_CONTRAST), ("GET", CAP_FEEDERENABLED),
            ("SET", ICAP_SUPPORTEDSIZES), ("SET", ICAP_UNITS)])
        log = log_lines()
        layout = [line for line in log if " IMAGELAYOUT " in line]
        self.assertEqual(layout, ["IMAGE IMAGELAYOUT GETDEFAULT rc=0",
                                  "IMAGE IMAGELAYOUT SET frame=0.000,0.000,8.500,11.000 rc=0"])
        sets = {cap: fields for msg, cap, fields in capability_calls(log) if msg == "SET"}
        self.assertEqual(sets[ICAP_XFERMECH]["size"], "6")
        self.assertEqual(sets[ICAP_XRESOLUTION]["value"], "100")
        self.assertEqual(sets[ICAP_UNITS]["type"], "4")
        self.assertIn("CLOSED hwnd=" + run.starting("PANEL")[0].split()[1].split("=")[1], run.lines)
        self.assertFalse((self.dir / "TEMP" / "TWN00000.BMP").exists())

    def test_frame_and_progress_notices(self):
        run = self.scan("--res", "200", "--frame", "1,2,3.5,4", Preferred=65536)
        info = [line for line in log_lines() if " IMAGEINFO " in line]
        self.assertIn("width=500 length=400", info[0])
        # 1500 bytes a row × 400 rows in 64 KiB buffers: 10 strips.
        progress = run.starting("PROGRESS")
        self.assertEqual(progress[0], "PROGRESS w=0 l=10")
        self.assertEqual(progress[1:], ["PROGRESS w=%d l=0" % i for i in range(1, 11)])

    def test_black_and_white_letter_at_300(self):
        run = self.scan("--pixel", "0", "--res", "300", "--frame", "0,0,8.5,11", Preferred=65536)
        self.assertEqual(run.starting("PROGRESS")[0], "PROGRESS w=0 l=17")
        header, palette, pixels = read_bmp(self.page_file())
        self.assertEqual((header["width"], header["height"], header["bit_count"]), (2550, 3300, 1))
        self.assertEqual(header["off_bits"], 62)
        self.assertEqual(header["size"], 62 + 320 * 3300)
        self.assertEqual(header["clr_used"], 2)
        self.assertEqual((header["xppm"], header["yppm"]), (11800, 11800))
        self.assertEqual(palette, bytes([0, 0, 0, 0, 255, 255, 255, 0]))
        self.assertEqual(len(pixels), 320 * 3300)

    def test_grey_850_by_1100(self):
        self.scan("--pixel", "1", "--res", "100", "--frame", "0,0,8.5,11")
        header, palette, pixels = read_bmp(self.page_file())
        self.assertEqual((header["width"], header["height"], header["bit_count"]), (850, 1100, 8))
        self.assertEqual(header["off_bits"], 1078)
        self.assertEqual(header["size"], 1078 + 852 * 1100)
        self.assertEqual(palette, b"".join(bytes([i, i, i, 0]) for i in range(256)))
        for row in range(0, 1100, 97):
            self.assertEqual(pixels[row * 852 + 850:row * 852 + 852], b"\0\0")

    def test_colour_101_wide_has_a_zero_pad_byte(self):
        self.scan("--res", "100", "--frame", "0.3,1.5,1.31,2.5")
        header, _, pixels = read_bmp(self.page_file())
        self.assertEqual(header["width"], 101)
        self.assertEqual(header["size"], 54 + 304 * header["height"])
        self.assertEqual({pixels[row * 304 + 303] for row in range(header["height"])}, {0})
        self.assertGreater(max(pixels[:303]), 100)

    def test_pels_per_metre_at_300_and_600(self):
        for dpi, ppm in (("300", 11800), ("600", 23600)):
            self.scan("--res", dpi, "--frame", "1,1,1.5,1.5")
            header, _, _ = read_bmp(self.page_file())
            self.assertEqual((header["xppm"], header["yppm"]), (ppm, ppm))

    def test_planar_colour_page_equals_the_chunky_one(self):
        args = ("--res", "150", "--frame", "0.5,1.5,7,5.5")
        chunky = self.scan(*args, Preferred=65536)
        _, _, chunky_pixels = read_bmp(self.page_file())
        planar = self.scan(*args, Preferred=65536, Planar=1)
        _, _, planar_pixels = read_bmp(self.page_file())
        self.assertEqual(planar_pixels, chunky_pixels)
        strips = int(chunky.starting("PROGRESS")[0].split("l=")[1])
        self.assertEqual(planar.starting("PROGRESS")[0], "PROGRESS w=0 l=%d" % strips)
        # The three planes are read in full, one index running on across the passes.
        calls = [line for line in log_lines() if "IMAGEMEMXFER" in line]
        self.assertEqual(len([line for line in calls if "rc=6" in line]), 3)
        self.assertEqual(planar.starting("PROGRESS")[1:], ["PROGRESS w=%d l=0" % i for i in range(1, len(calls) + 1)])
        self.assertEqual({line.split("plane=")[1].split()[0] for line in calls}, {"0", "1", "2"})

    def test_text_on_the_page_is_readable(self):
        if not shutil.which("tesseract"):
            self.skipTest("tesseract is not installed")
        self.scan("--pixel", "1", "--res", "300", "--frame", "0,0,8.5,11.7")
        import subprocess
        text = subprocess.run(["tesseract", str(self.page_file()), "-"], capture_output=True, text=True).stdout
        self.assertIn("QUARTERLY REPORT", text)
        self.assertIn("virtual scanner", text)

    # Cancel, feeder and disk space

    def test_cancel_between_two_strips_leaves_no_file(self):
        run = self.scan("--res", "100", "--cancel-at", "2", Preferred=65536)
        self.assertIn("CANCEL rc=0", run.lines)
        self.assertEqual(run.results(), [{}])
        self.assertFalse((self.dir / "TEMP" / "TWN00000.BMP").exists())
        self.assertEqual(len(run.starting("CLOSED")), 1)
        strips = [line for line in log_lines() if "IMAGEMEMXFER" in line]
        self.assertEqual(len(strips), 2)

    def test_three_page_feeder_batch(self):
        run = self.scan("--res", "75", "--frame", "0,0,8.5,11", FeederPages=3)
        self.assertIn("ACQ rc=1 sizeCode=1", run.lines)
        results = run.results()
        self.assertEqual([r["more"] for r in results], ["1", "1", "0"])
        self.assertEqual({r["path"] for r in results}, {rig.wine_path(self.dir) + "\\TEMP\\TWN00000.BMP"})
        for number in (1, 2, 3):
            header, _, _ = read_bmp(self.page_file(number))
            self.assertEqual((header["width"], header["height"]), (620, 877))  # A4 at 75 dpi
        calls = capability_calls()
        self.assertIn(("GET", CAP_FEEDERLOADED), [(m, c) for m, c, _ in calls])
        sets = {cap: fields for msg, cap, fields in calls if msg == "SET"}
        self.assertEqual(sets[ICAP_SUPPORTEDSIZES]["value"], "1")
        self.assertNotIn(ICAP_UNITS, sets)
        self.assertFalse([line for line in log_lines() if "IMAGELAYOUT" in line])

    def expected_size(self):
        return 300 * 100  # colour 100 × 100: rows of 300 bytes

    def test_free_space_exactly_equal_to_the_page_passes(self):
        run = self.scan("--res", "100", "--frame", "1,1,2,2", "--free", "%d,1,1" % self.expected_size())
        self.assertTrue(run.starting("DISKQUERY root=Z:\\"))
        self.assertEqual(run.results()[0]["more"], "0")
        self.assertTrue(self.page_file().exists())

    def test_one_byte_less_is_refused_with_the_message(self):
        run = self.scan("--res", "100", "--frame", "1,1,2,2", "--free", "%d,1,1" % (self.expected_size() - 1))
        self.assertIn("BOX Scanning|Insufficient hard disk space!", run.lines)
        self.assertEqual(run.results(), [{}])
        self.assertTrue(run.starting("CLOSED"))
        self.assertFalse((self.dir / "TEMP" / "TWN00000.BMP").exists())

    def test_free_space_beyond_32_bits_is_not_wrapped(self):
        # 2^20 clusters × 8 × 512 = 4 GiB, which is 0 in 32 bits.
        run = self.scan("--res", "100", "--frame", "1,1,2,2", "--free", "1048576,8,512")
        self.assertFalse([line for line in run.lines if line.startswith("BOX")])
        self.assertTrue(self.page_file().exists())

    def test_rows_wider_than_the_stride_fail_cleanly(self):
        # 24000 colour pixels need 72000 bytes a row, beyond the 16-bit stride.
        run = self.scan("--res", "3000", "--frame", "0,0,8,0.01")
        self.assertEqual(run.results(), [{}])
        self.assertFalse((self.dir / "TEMP" / "TWN00000.BMP").exists())
        self.assertTrue(run.starting("CLOSED"))
        self.assertFalse([line for line in log_lines() if "IMAGEMEMXFER" in line])


if __name__ == "__main__":
    unittest.main()
