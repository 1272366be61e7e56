"""The view's printing through Wine's spooler to real cups-pdf queues, run by the print host:
Copy pages placed, fitted and centred with their copies, Fax pages at natural size, the first
page of a text file, a printer that is gone, a page that cannot be loaded (with the status
window's texts), a cancelled job; the previous default printer is back after each."""

import os
import tempfile
import time
import unittest

import panelkit as kit
import print_rig
import printers
import rig

# The widest error allowed: 1 % of the page.
TOLERANCE = 0.01
APP_TITLE = "Velmora"


class PrintPrefix(unittest.TestCase):
    """One CUPS scheduler with an ordinary default queue, a copier and a fax (both writing
    PDFs), and a queue that Wine lists but CUPS no longer has; one prefix made over it."""

    @classmethod
    def setUpClass(cls):
        cls.saved = {key: os.environ.get(key) for key in ("WINEPREFIX", "CUPS_SERVER")}
        cls.saved_prefix = rig.PREFIX
        cls.cups = print_rig.PdfPrinters(cls.__name__.lower()).start()
        cls.cups.add("Office", default=True)
        cls.cups.add_pdf("Copier")
        cls.cups.add_pdf("Team-Fax")
        cls.cups.add_pdf("Vanished")
        cls.env = printers.make_prefix(cls.__name__.lower(), cls.cups)
        printers.use_prefix(cls.env)
        cls.cups.remove("Vanished")
        cls.office = print_rig.default_printer()
        cls.metrics = print_rig.caps("Copier")

    @classmethod
    def tearDownClass(cls):
        rig.kill_started()
        printers.drop_prefix(cls.env)
        cls.cups.stop()
        for key, value in cls.saved.items():
            if value is None:
                os.environ.pop(key, None)
            else:
                os.environ[key] = value
        rig.PREFIX = cls.saved_prefix
        rig._wine_ready.clear()

    def setUp(self):
        self.cups.clear()
        self.scratch = tempfile.TemporaryDirectory()

    def tearDown(self):
        rig.kill_started()
        self.scratch.cleanup()

    def page_inches(self):
        m = self.metrics
        return m["width"] / m["logx"], m["height"] / m["logy"]

    def printable(self):
        """(left, top, width, height) of the printable area in inches."""
        m = self.metrics
        return (m["offx"] / m["logx"], m["offy"] / m["logy"], m["horzres"] / m["logx"], m["vertres"] / m["logy"])

    def assertPlaced(self, box, expected):
        """The ink on a page sits at `expected` (left, top, width, height in inches) within 1 %
        of the page."""
        self.assertIsNotNone(box, "blank page")
        width, height = self.page_inches()
        for got, want, extent, name in zip(box, expected, (width, height, width, height),
                                           ("left", "top", "width", "height")):
            self.assertLess(abs(got - want), TOLERANCE * extent,
                            "%s %.3f in, expected %.3f in (box %s)" % (name, got, want, box))

    def printed_boxes(self, queue, copies):
        """Ink boxes of every printed page of the queue's one job (copies as pages or files)."""
        pdfs = self.cups.wait_pdfs(queue, 1)
        time.sleep(2)
        pdfs = self.cups.pdfs(queue)
        boxes = []
        for pdf in pdfs:
            for page in range(1, print_rig.page_count(pdf) + 1):
                boxes.append(print_rig.ink_box(print_rig.raster(pdf, page, self.scratch.name)))
        self.assertEqual(len(boxes), copies, "pages of %s" % [p.name for p in pdfs])
        return boxes

    def program(self, name, copy=None, fax=None):
        quendel = {"Copy Setting": dict({"Output device": "Copier", "Copies": "1", "Scaling": "100",
                                         "Center Vertical": "0", "Center Horizontal": "0"}, **(copy or {})),
                   "Fax Setting": dict({"Output device": "Team-Fax"}, **(fax or {}))}
        return kit.program(name, quendel=quendel)

    def image(self, name, width, height, dpi):
        path = rig.WORK / "print-images"
        path.mkdir(parents=True, exist_ok=True)
        return print_rig.write_bmp(path / name, width, height, dpi)

    def assertDefaultBack(self):
        self.assertEqual(print_rig.default_printer(), self.office)


class HostedJobs(PrintPrefix):
    def test_copy_centred_in_two_copies(self):
        directory = self.program("print_centred", copy={"Copies": "2", "Center Vertical": "1",
                                                        "Center Horizontal": "1"})
        image = self.image("SMALL.BMP", 600, 900, 150)  # 4 x 6 inches
        result = print_rig.print_host(directory, "copy", image)
        self.assertIn("RESULT 0", result.stdout, result.stderr)
        left, top, width, height = self.printable()
        for box in self.printed_boxes("Copier", 2):
            self.assertPlaced(box, (left + (width - 4) / 2, top + (height - 6) / 2, 4, 6))
        self.assertDefaultBack()

    def test_a_page_larger_than_the_paper_is_fitted_and_fax_keeps_natural_size(self):
        directory = self.program("print_fitted")
        left, top, width, height = self.printable()
        # 9 x 12 inches at 100 %: the height needs the smaller factor.
        big = self.image("BIG.BMP", 900, 1200, 100)
        self.assertIn("RESULT 0", print_rig.print_host(directory, "copy", big).stdout)
        scale = int(min(width / 9, height / 12) * 100) / 100
        (box,) = self.printed_boxes("Copier", 1)
        self.assertPlaced(box, (left, top, 9 * scale, 12 * scale))

        # Fax: natural size at the top left whatever the scaling says.
        self.cups.clear()
        set_copy(directory, Scaling="50")
        fax = self.image("FAX.BMP", 600, 400, 200)  # 3 x 2 inches
        self.assertIn("RESULT 0", print_rig.print_host(directory, "fax", fax).stdout)
        (box,) = self.printed_boxes("Team-Fax", 1)
        self.assertPlaced(box, (left, top, 3, 2))
        self.assertDefaultBack()

    def test_first_page_of_a_text_file(self):
        directory = self.program("print_text")
        text = rig.WORK / "print-images" / "NOTES.TXT"
        text.parent.mkdir(parents=True, exist_ok=True)
        text.write_bytes(b"".join(b"line %03d\ttabbed\r\n" % n for n in range(1, 301)))
        self.assertIn("RESULT 0", print_rig.print_host(directory, "copy", text).stdout)
        (pdf,) = self.cups.wait_pdfs("Copier", 1)
        self.assertEqual(print_rig.page_count(pdf), 1)
        printed = print_rig.text_of(pdf)
        self.assertIn("line 001", printed)
        self.assertNotIn("line 300", printed)
        # Each line keeps its last character (only the line break is dropped).
        self.assertRegex(printed, r"line 001\s+tabbed")
        self.assertDefaultBack()


class Failures(PrintPrefix):
    def test_a_printer_that_is_not_installed_is_reported_and_the_default_kept(self):
        directory = self.program("print_gone", copy={"Output device": "Gone"})
        image = self.image("GONE.BMP", 300, 300, 100)
        host = print_rig.print_host(directory, "copy", image, wait=False)
        box, texts = message_box_of(host, APP_TITLE)
        self.assertEqual(texts, ['The printer "Gone" is not available.\\n\\nChoose another printer on the '
                                 'settings page.'])
        self.assertEqual(print_rig.default_printer(), self.office)
        kit.dismiss(box)
        self.assertEqual(rig.wait_exit(host, 120), 1)  # no printer
        self.assertDefaultBack()
        self.assertEqual(self.cups.pdfs("Copier"), [])

    def test_a_queue_gone_from_cups_ends_cleanly(self):
        directory = self.program("print_vanished", copy={"Output device": "Vanished"})
        image = self.image("VANISH.BMP", 300, 300, 100)
        host = print_rig.print_host(directory, "copy", image, wait=False)
        box, texts = message_box_of(host, APP_TITLE)
        kit.dismiss(box)
        self.assertIn(rig.wait_exit(host, 120), (1, 2, 3))
        self.assertEqual(len(texts), 1)
        self.assertDefaultBack()
        self.assertEqual(self.cups.pdfs("Vanished"), [])

    def test_an_unreadable_page_shows_the_status_window_and_prints_nothing(self):
        directory = self.program("print_bad")
        bad = rig.WORK / "print-images" / "BAD.BMP"
        bad.parent.mkdir(parents=True, exist_ok=True)
        bad.write_bytes(b"BM" + b"\x00" * 100)
        host = print_rig.print_host(directory, "copy", bad, wait=False)
        box, texts = message_box_of(host, APP_TITLE)
        status = status_window(host)
        _, lines = rig.window_texts("--hwnd", status)
        self.assertIn("On Copier", lines)
        self.assertIn("Page 1", lines)
        self.assertIn("Cancel", lines)
        self.assertTrue(texts == ["failed to load Bitmap file!"] or texts == ["The page could not be printed."],
                        texts)
        kit.dismiss(box)
        self.assertEqual(rig.wait_exit(host, 120), 5)  # withdrawn
        self.assertDefaultBack()
        time.sleep(2)
        self.assertEqual(self.cups.pdfs("Copier"), [])
        self.assertEqual(self.cups.completed_jobs(), [])

    def test_cancel_in_the_status_window_withdraws_the_job(self):
        directory = self.program("print_cancel")
        image = self.image("LARGE.BMP", 2550, 3300, 300)
        host = print_rig.print_host(directory, "copy", image, wait=False)
        status = status_window(host)
        rig.driver("press", "--hwnd", status, "--text", "Cancel", "--timeout", 60000, timeout=70)
        self.assertEqual(rig.wait_exit(host, 300), 4)  # cancelled
        self.assertDefaultBack()
        time.sleep(3)
        self.assertEqual(self.cups.pdfs("Copier"), [])
        self.assertEqual(self.cups.completed_jobs(), [])


def set_copy(directory, **keys):
    """Changes keys of the Copy settings in directory's Quendel.ini."""
    sections = rig.read_ini(directory / "Quendel.ini")
    sections.setdefault("Copy Setting", {}).update(keys)
    rig.write_ini(directory / "Quendel.ini", sections)


def status_window(host, timeout=300):
    """The printing status window (titled with the application title, with a Cancel button)."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        for hwnd, pid, cls, title in rig.top_windows():
            if title == APP_TITLE and cls == "#32770":
                _, texts = rig.window_texts("--hwnd", hwnd)
                if "Cancel" in texts:
                    return hwnd
        if host.poll() is not None:
            raise AssertionError("print host ended: %s" % (host.communicate(),))
        time.sleep(0.3)
    raise AssertionError("no status window")


def message_box_of(host, caption, timeout=300):
    """(hwnd, texts) of a message box with `caption` and an OK button."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        for hwnd, pid, cls, title in rig.top_windows():
            if title == caption and cls == "#32770":
                _, texts = rig.window_texts("--hwnd", hwnd)
                if "OK" in texts:
                    return hwnd, [t for t in texts if t not in ("OK", "")]
        if host.poll() is not None:
            raise AssertionError("print host ended: %s" % (host.communicate(),))
        time.sleep(0.3)
    raise AssertionError("no message box %r" % caption)


if __name__ == "__main__":
    unittest.main()
