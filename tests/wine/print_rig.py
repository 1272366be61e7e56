"""Helpers of the printing tests: PDF printers (cups-pdf queues of a private CUPS scheduler,
each writing into a directory of its own), the printed pages read back as pixels with
pdftoppm, the print host, and the prefix's default printer."""

import hashlib
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from PIL import Image

import printers
import rig
from scan_rig import install_scanner  # noqa: F401 (the copier tests' scanner)

PPD = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"
CUPS_PDF_CONF = Path("/etc/cups")
WINDOWS_KEY = r"HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows"
RASTER_DPI = 100
# Paper is "white" above this grey level; the scanned page and its glass are darker.
INK = 250
# The widest placement error allowed: 1 % of the page.
TOLERANCE = 0.01
APP_TITLE = "Velmora"


class PdfPrinters(printers.CupsServer):
    """A CUPS scheduler whose cups-pdf queues write their PDFs into pdf-<queue> of its folder.
    cups-pdf reads its settings only from /etc/cups; each queue gets a settings file there named
    after this tree, removed again by stop()."""

    def __init__(self, name):
        super().__init__(name)
        tag = hashlib.sha1(str(rig.ROOT).encode()).hexdigest()[:8]
        self.instance_prefix = "orvane-%s-%s-" % (tag, name)
        self.confs = []
        self.queues = {}

    def add_pdf(self, queue, default=False, paper="Letter"):
        out = self.root / ("pdf-" + queue.lower())
        out.mkdir(parents=True, exist_ok=True)
        instance = self.instance_prefix + queue.lower()
        conf = CUPS_PDF_CONF / ("cups-pdf-%s.conf" % instance)
        conf.write_text("Out %s\nLabel 1\nGrp root\n" % out)
        self.confs.append(conf)
        self._lpadmin("-p", queue, "-E", "-v", "cups-pdf:/" + instance, "-P", PPD, "-o", "PageSize=" + paper)
        if default:
            self._lpadmin("-d", queue)
        self.queues[queue] = out
        return out

    def remove(self, queue):
        self._lpadmin("-x", queue)

    def clear(self):
        for out in self.queues.values():
            for pdf in out.glob("*.pdf"):
                pdf.unlink()

    def pdfs(self, queue):
        return sorted(self.queues[queue].glob("*.pdf"), key=lambda p: p.stat().st_mtime)

    def wait_pdfs(self, queue, count, timeout=300):
        """The queue's PDFs once there are `count` and CUPS has nothing left to do; fails as
        soon as a job has failed (it would wait in the queue for ever)."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.pdfs(queue)
            if len(found) >= count and not self.pending():
                return found
            failed = self.failed_jobs()
            if failed:
                raise AssertionError("a print job failed:\n%s" % "\n".join(failed))
            time.sleep(1)
        raise AssertionError("%d PDFs of %s expected, found %s; CUPS log:\n%s"
                             % (count, queue, self.pdfs(queue), self.log()[-2000:]))

    def job_copies(self):
        """The copies each job asked for, in job order, from the scheduler's kept job records:
        cups-pdf writes one PDF whatever the copies, so the request is what can be checked."""
        copies = []
        for control in sorted((self.root / "spool").glob("c[0-9]*")):
            data = control.read_bytes()
            # An IPP integer attribute: tag 0x21, name length, name, value length 4, value.
            at = data.find(b"\x21\x00\x06copies\x00\x04")
            copies.append(int.from_bytes(data[at + 11:at + 15], "big") if at >= 0 else 1)
        return copies

    def pending(self):
        result = subprocess.run(["lpstat", "-h", str(self.socket), "-o"], capture_output=True, text=True)
        return result.stdout.strip()

    def completed_jobs(self):
        result = subprocess.run(["lpstat", "-h", str(self.socket), "-W", "completed", "-o"],
                                capture_output=True, text=True)
        return [line for line in result.stdout.splitlines() if line.strip()]

    def stop(self):
        super().stop()
        for conf in self.confs:
            conf.unlink(missing_ok=True)


def page_count(pdf):
    info = subprocess.run(["pdfinfo", str(pdf)], capture_output=True, text=True).stdout
    return next(int(line.split()[1]) for line in info.splitlines() if line.startswith("Pages:"))


def page_size_inches(pdf):
    info = subprocess.run(["pdfinfo", str(pdf)], capture_output=True, text=True).stdout
    line = next(line for line in info.splitlines() if line.startswith("Page size:"))
    width, height = line.split(":", 1)[1].split()[0:3:2]
    return float(width) / 72, float(height) / 72


def raster(pdf, page, scratch):
    """Page `page` (1-based) of the PDF as a greyscale image at RASTER_DPI."""
    stem = Path(scratch) / ("page%d" % page)
    subprocess.run(["pdftoppm", "-f", str(page), "-l", str(page), "-r", str(RASTER_DPI), "-gray", "-png",
                    "-singlefile", str(pdf), str(stem)], check=True)
    return Image.open(str(stem) + ".png")


def ink_box(image):
    """(left, top, width, height) in inches of everything darker than the paper; None on a
    blank page."""
    mask = image.point(lambda v: 255 if v < INK else 0)
    box = mask.getbbox()
    if box is None:
        return None
    left, top, right, bottom = box
    return tuple(v / RASTER_DPI for v in (left, top, right - left, bottom - top))


def text_of(pdf):
    return subprocess.run(["pdftotext", "-layout", str(pdf), "-"], capture_output=True, text=True).stdout


def caps(queue):
    """The printer's metrics as the print host reads them: {horzres, vertres, logx, ...}."""
    out = rig.run([rig.TOOLS / "printhost.exe", "--caps", queue], timeout=300).stdout
    line = next((l for l in out.splitlines() if l.startswith("CAPS ")), "CAPS none")
    if line == "CAPS none":
        raise AssertionError("no metrics of %s: %r" % (queue, out))
    return {key: int(value) for key, value in (item.split("=") for item in line.split()[1:])}


def default_printer():
    """`device` of `windows` in the prefix's profile (the registry value Wine keeps it in)."""
    out = rig.run(["reg", "query", WINDOWS_KEY, "/v", "Device"]).stdout
    for line in out.splitlines():
        if "REG_SZ" in line:
            return line.split("REG_SZ", 1)[1].strip()
    return ""


def set_default_printer(queue):
    value = "%s,wineps.drv,CUPS:%s" % (queue, queue)
    result = rig.run(["reg", "add", WINDOWS_KEY, "/v", "Device", "/d", value, "/f"])
    if result.returncode != 0:
        raise AssertionError("reg add: %s" % result.stderr)
    return value


def print_host(directory, mode, image, language=None, wait=True):
    """Runs the print host on `image` with directory's Quendel.ini and Orvane.exe's strings;
    returns the CompletedProcess, or the Popen when not waiting."""
    args = [rig.TOOLS / "printhost.exe", "--" + mode, "--settings", rig.wine_path(directory / "Quendel.ini"),
            "--image", rig.wine_path(image), "--strings", rig.wine_path(directory / "Orvane.exe")]
    if language:
        args += ["--language", rig.wine_path(directory / language)]
    if wait:
        return rig.run(args, timeout=600)
    return rig.start(args)


def write_bmp(path, width, height, dpi, colour=(40, 60, 90)):
    """A 24-bit bitmap of one dark colour with a resolution of `dpi`."""
    Path(path).parent.mkdir(parents=True, exist_ok=True)
    image = Image.new("RGB", (width, height), colour)
    image.save(path, dpi=(dpi, dpi))
    return path


PANEL_TITLE = "Orvane VS-600 Desk"  # brand, model and package of the shipped description file
PAPERS = ["Letter", "Legal", "A4", "A5", "B5"]
PAPER_INCHES = {"Letter": (8.5, 11), "Legal": (8.5, 14), "A4": (8.27, 11.69), "A5": (5.83, 8.27),
                "B5": (7.17, 10.12)}


def copier_program(name, active, copy=None, fax=None):
    """A program directory with the real Capturo and the shipped settings, the description
    file beside it, no automatic size, `active` the destination shown, and the given keys of
    `Copy Setting` and `Fax Setting`."""
    directory = rig.make_program_dir(name, capturo="dist", postlib="stub")
    settings = rig.read_ini(directory / "Quendel.ini")
    settings["Scan Setting"].update({"Path": rig.wine_path(directory / "VS600.ini"), "Auto": "0"})
    settings["Active_Dlg"] = {"Active_ID": str(active)}
    settings["Copy Setting"].update(copy or {})
    settings["Fax Setting"].update(fax or {})
    rig.write_ini(directory / "Quendel.ini", settings)
    return directory


def temp_files(directory):
    """The job files the program filed in its TEMP directory."""
    temp = directory / "TEMP"
    return sorted(p.name for p in temp.iterdir()) if temp.exists() else []


class PrintPrefixCase(unittest.TestCase):
    """A CUPS scheduler with an ordinary default queue "Office", the PDF printers "Copier" and
    "Team-Fax", and "Vanished", which Wine lists but CUPS no longer has; one Wine prefix made
    over it for the class. Each test starts with no PDFs and "Office" the default printer."""

    @classmethod
    def setUpClass(cls):
        cls.cups = PdfPrinters(cls.__name__.lower()).start()
        cls.cups.add("Office", default=True)
        cls.cups.add_pdf("Copier")
        cls.cups.add_pdf("Team-Fax")
        cls.cups.add_pdf("Vanished")
        cls.env = printers.make_prefix(cls.__name__.lower(), cls.cups)
        printers.use_prefix(cls.env)
        cls.cups.remove("Vanished")
        cls.office = default_printer()
        cls.metrics = caps("Copier")

    @classmethod
    def tearDownClass(cls):
        rig.kill_started()
        printers.drop_prefix(cls.env)
        cls.cups.stop()

    def setUp(self):
        self.cups.clear()
        if default_printer() != self.office:
            set_default_printer("Office")
        self.scratch = tempfile.TemporaryDirectory()
        self.jobs_before = len(self.cups.completed_jobs())

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
        # Kept for the record: what each test measured beside what the geometry computed.
        with open(rig.WORK / "placements.txt", "a") as record:
            record.write("%s: printed %s in, computed %s in\n" % (
                self.id(), " ".join("%.3f" % v for v in box), " ".join("%.3f" % v for v in expected)))
        width, height = self.page_inches()
        for got, want, extent, name in zip(box, expected, (width, height, width, height),
                                           ("left", "top", "width", "height")):
            self.assertLess(abs(got - want), TOLERANCE * extent,
                            "%s %.3f in, expected %.3f in (box %s)" % (name, got, want, box))

    def printed_boxes(self, queue, pages, files=1):
        """Ink boxes of every page the queue printed, once `files` PDFs are there."""
        pdfs = self.cups.wait_pdfs(queue, files)
        boxes = []
        for pdf in pdfs:
            for page in range(1, page_count(pdf) + 1):
                boxes.append(ink_box(raster(pdf, page, self.scratch.name)))
        self.assertEqual(len(boxes), pages, "pages of %s" % [p.name for p in pdfs])
        return boxes

    def assertDefaultBack(self):
        self.assertEqual(default_printer(), self.office)

    def assertNothingPrinted(self, queue="Copier"):
        time.sleep(3)
        self.assertEqual(self.cups.pdfs(queue), [])
        self.assertEqual(len(self.cups.completed_jobs()), self.jobs_before)
        self.assertEqual(self.cups.pending(), "")


def dialog(button, pid=None):
    """Selector of the program's dialog titled with the application title that has a button
    `button`: "OK" picks a message box, "Cancel" the printing status window."""
    selector = ["--title", APP_TITLE, "--class", "#32770", "--child-text", button]
    return selector + (["--pid", pid] if pid else [])


def message(pid=None, timeout=600):
    """The texts of the program's message box (waits for it)."""
    _, texts = rig.window_texts(*dialog("OK", pid), timeout=timeout)
    return [t for t in texts if t not in ("OK", "")]


def dismiss(pid=None):
    rig.driver("press", *dialog("OK", pid), "--text", "OK")


def status_lines(pid=None, timeout=600):
    """The printing status window's lines, read once it shows the page number (the driver
    takes them from the window's own structure at once, so a closing window still reads whole)."""
    selector = ["--title", APP_TITLE, "--class", "#32770", "--child-text", "Page 1"]
    selector += ["--pid", pid] if pid else []
    return rig.window_texts(*selector, timeout=timeout)[1]


def pdf_title(pdf):
    info = subprocess.run(["pdfinfo", str(pdf)], capture_output=True, text=True).stdout
    return next((line.split(":", 1)[1].strip() for line in info.splitlines() if line.startswith("Title:")), "")
