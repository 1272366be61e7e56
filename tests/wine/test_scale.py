"""The panel at the display scales a user sets (the prefix's LogPixels, which Wine 8 reads when
a program starts): the client area is the scale times the 100 % size, the faces and the
background come from the larger art sets rather than stretched from the 1x bitmaps (at 150 %
and 200 % pixel for pixel, at 125 % the 1.5x set shrunk), an edge is as steep at 200 % as at
100 %, and the label strip's text has the same point size."""

import time
import unittest

from PIL import Image

import panelkit
import rig

CTEST = {"cost": 120}
SCALES = (96, 120, 144, 192)
BOOK = "Add E-Mail Address"


def scaled(length, dpi):
    return (length * dpi + 48) // 96


def art_at(name, dpi):
    """The face as the program draws it at `dpi`: its set's bitmap, shrunk by area when the
    scale lies between two sets."""
    suffix = "" if dpi <= 96 else "_150" if dpi <= 144 else "_200"
    image = panelkit.art(name + suffix)
    base = panelkit.art(name)
    size = (scaled(base.width, dpi), scaled(base.height, dpi))
    return image if image.size == size else image.resize(size, Image.BOX)


def face_region(shot, button, dpi):
    x, y = panelkit.POSITIONS[button]
    face = art_at(panelkit.NAMES[button], dpi)
    left, top = scaled(x, dpi), scaled(y, dpi)
    return shot.crop((left, top, left + face.width, top + face.height))


def steepest_step(image, y, x0, x1):
    """The largest change between neighbouring pixels of row `y` from x0 to x1."""
    pixels = [image.getpixel((x, y)) for x in range(x0, x1)]
    return max(sum(abs(a - b) for a, b in zip(p, q)) for p, q in zip(pixels, pixels[1:]))


def strip_lines_at(shot, dpi):
    """The label strip's lines, read back at their 1x size (text of the 100 % size only reads
    so when its point size was kept)."""
    strip = shot.crop((0, shot.height - scaled(41, dpi), scaled(400, dpi), shot.height))
    return panelkit.read_text(strip.resize((scaled(400, 96), scaled(41, 96)), Image.BOX))


class Scales(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # Room for the panel at 200 % (1088 x 786 and its frame).
        rig.use_prefix(rig.WORK / "prefix-scale", display=rig.Display.private("1600x1200x24"))
        directory = panelkit.program("scale-panel")
        cls.shots = {}
        for dpi in SCALES:
            result = rig.run(["reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                              "/d", str(dpi), "/f"])
            if result.returncode != 0:
                raise AssertionError("reg add: %s" % result.stderr)
            panelkit.start(directory)
            time.sleep(1)
            cls.shots[dpi] = panelkit.shot()
            if dpi == 96:
                # A move to a monitor of 200 %: Wine has one DPI for all monitors and never
                # sends WM_DPICHANGED, so it is sent here (without the suggested rectangle,
                # which a message from another process cannot carry).
                rig.driver("send", "--title", directory.name, "--class", "#32770", "0x2E0", 0x00C000C0, 0)
                time.sleep(1)
                cls.moved = panelkit.shot()
            rig.kill_started()
            rig.driver("wait", "--gone", "--title", directory.name, "--timeout", 20000)
        # Still at 192: the mail library's address book, opened from the Mail page's ">>".
        mail = panelkit.program("scale-book", quendel={"Active_Dlg": {"Active_ID": "1003"}}, postlib="dist")
        panel = panelkit.start(mail)
        cls.cleanup_key = panelkit.control_rect(5066)
        panelkit.click_control(5013)
        editor = rig.driver("wait", "--pid", panel.pid, "--title", "E-mail setting", "--timeout", 20000).strip()
        rig.driver("press", "--hwnd", editor, "--id", 1008)
        rig.driver("wait", "--pid", panel.pid, "--title", BOOK, "--timeout", 20000)
        time.sleep(1)
        cls.book = panelkit.shot(BOOK)
        cls.arrow = panelkit.control_rect(1002, BOOK)
        rig.kill_started()

    @classmethod
    def tearDownClass(cls):
        rig.restore_prefix()

    def test_client_area_is_the_scale_times_the_panel(self):
        for dpi, shot in self.shots.items():
            with self.subTest(dpi=dpi):
                want = (scaled(544, dpi), scaled(393, dpi))
                self.assertLessEqual(abs(shot.width - want[0]), 2, (shot.size, want))
                self.assertLessEqual(abs(shot.height - want[1]), 2, (shot.size, want))
        self.assertEqual(self.shots[96].size, (544, 393))

    def test_faces_come_from_the_art_set_of_the_scale(self):
        for dpi, shot in self.shots.items():
            for button, face in ((panelkit.SCAN, "SCAN"), (panelkit.IMAGE, "IMAGED"), (panelkit.HELP, "HELP")):
                with self.subTest(dpi=dpi, face=face):
                    region = face_region(shot, button, dpi)
                    ours = panelkit.difference(region, art_at(face, dpi))
                    # Between sets the program's area filter and PIL's box filter weigh a
                    # little differently.
                    self.assertLess(ours, 1.0 if dpi in (96, 144, 192) else 5.0)
                    if dpi in (144, 192):
                        # The 1x face stretched to the same size is clearly another picture.
                        stretched = panelkit.art(face).resize(region.size, Image.BILINEAR)
                        self.assertGreater(panelkit.difference(region, stretched), ours + 1.0)

    def test_a_move_to_another_scale_redraws_the_panel_at_that_scale(self):
        self.assertEqual(self.moved.size, (1088, 786))
        for button, face in ((panelkit.SCAN, "SCAN"), (panelkit.IMAGE, "IMAGED")):
            with self.subTest(face=face):
                self.assertLess(panelkit.difference(face_region(self.moved, button, 192), art_at(face, 192)), 1.0)
        # The shown page (Image) on its 2x background, left of its title; the strip's text large.
        left, top = scaled(117, 192), scaled(34, 192)
        corner = self.moved.crop((left, top, left + 60, top + 60))
        self.assertLess(panelkit.difference(corner, panelkit.art("IMAGEBK_200").crop((0, 0, 60, 60))), 1.0)
        self.assertEqual(strip_lines_at(self.moved, 192)[:1], ["Scan"])

    def test_address_book_faces_come_from_the_2x_set(self):
        # The arrow, in whichever state the book opens (an empty book: disabled).
        left, top, right, bottom = self.arrow
        faces = [art_at("BMP%d" % n, 192) for n in (134, 135, 136, 137)]
        self.assertEqual((right - left, bottom - top), faces[0].size)
        region = self.book.crop((left, top, right, bottom))
        self.assertLess(min(panelkit.difference(region, face) for face in faces), 1.0)

    def test_the_mail_pages_clean_up_key_is_laid_out_at_200(self):
        # Its 1x room in the title strip: ending at x 252 of the page, 22 high, 4 below the top.
        left, top, right, bottom = self.cleanup_key
        page_x, page_y = (scaled(v, 192) for v in panelkit.PAGE_ORIGIN)
        self.assertEqual((right - page_x, top - page_y, bottom - top), (scaled(252, 192), scaled(4, 192), 44))
        self.assertGreaterEqual(left - page_x, scaled(146, 192))

    def test_an_edge_is_as_steep_at_200_as_at_100(self):
        # Across the left edge of the SCAN key, half way down.
        at_100 = steepest_step(self.shots[96], 56, 466, 480)
        at_200 = steepest_step(self.shots[192], 112, 932, 960)
        self.assertGreater(at_100, 100)
        self.assertGreaterEqual(at_200, 0.8 * at_100)

    def test_label_strip_text_keeps_its_point_size(self):
        self.assertEqual(strip_lines_at(self.shots[192], 192)[:2], ["Scan", "Scans the image to the computer."])


if __name__ == "__main__":
    unittest.main()
