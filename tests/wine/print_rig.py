"""Helpers of the printing tests: PDF printers (cups-pdf queues of a private CUPS scheduler,
each writing into a directory of its own), the printed pages read back as pixels with
pdftoppm, the print host, and the prefix's default printer."""

import hashlib
import os
import subprocess
import time
from pathlib import Path

from PIL import Image

import printers
import rig

PPD = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"
CUPS_PDF_CONF = Path("/etc/cups")
WINDOWS_KEY = r"HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows"
RASTER_DPI = 100
# Paper is "white" above this grey level; the scanned page and its glass are darker.
INK = 250


class PdfPrinters(printers.CupsServer):
    """A CUPS scheduler whose cups-pdf queues write their PDFs into WORK/pdf-<queue>. cups-pdf
    reads its settings only from /etc/cups; each queue gets a settings file there named after
    this tree, removed again by stop()."""

    def __init__(self, name):
        super().__init__(name)
        tag = hashlib.sha1(str(rig.ROOT).encode()).hexdigest()[:8]
        self.instance_prefix = "orvane-%s-%s-" % (tag, name)
        self.confs = []
        self.queues = {}

    def start(self):
        super().start()
        # Filters run as the scheduler's unprivileged user and need a temporary directory.
        os.chmod(self.root / "tmp", 0o1777)
        return self

    def add_pdf(self, queue, default=False, paper="Letter"):
        out = rig.WORK / ("pdf-" + queue.lower())
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
        """The queue's PDFs once there are `count` and CUPS has nothing left to do."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.pdfs(queue)
            if len(found) >= count and not self.pending():
                return found
            time.sleep(1)
        raise AssertionError("%d PDFs of %s expected, found %s; CUPS log:\n%s"
                             % (count, queue, self.pdfs(queue), self.log()[-2000:]))

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
    image = Image.new("RGB", (width, height), colour)
    image.save(path, dpi=(dpi, dpi))
    return path
