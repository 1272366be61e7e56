"""PDF jobs end to end, from a real click on SCAN: with "Attach As" PDF a Mail job sends one page,
a three-page feeder batch, and a batch the scanner cuts short (the pages before the fault), as
one PDF to a real SMTP server (aiosmtpd); with "Save As" PDF an
OCR job keeps the engine's searchable PDF (Tesseract's) in DATA and opens it with the program
registered for ".pdf" (a recorder), or says where it is when none is; with "Save As" Compact
PDF a colour page is kept as the compact page with the words the engine read (Tesseract's word
boxes) laid invisibly over it. qpdf, pdfimages, pdftoppm and pdftotext judge every PDF."""

import shutil
import subprocess
import unittest
from pathlib import Path

from PIL import Image

import jobkit
import mail_rig
import ocr_rig
import panelkit as kit
import rig
import scan_rig
import services

CTEST = {"cost": 90}
SENDER, RECIPIENT = "scanner@example.com", "desk@example.com"
# Wine 8 looks file types up in HKCR (the machine's classes) only; its own ".pdf" is "pdffile".
PDF_CLASS = r"HKCR\OrvaneTest.PdfViewer"
PDF_EXTENSION = r"HKCR\.pdf"
WINE_PDF_CLASS = "pdffile"


def setUpModule():
    rig.use_prefix(rig.WORK / "prefix-pdf-job", display="private")


def tearDownModule():
    ocr_rig.uninstall_engines()
    rig.restore_prefix()


def images(test, pdf):
    """pdfimages' list of the file's images as dicts, after qpdf found nothing wrong with it."""
    check = subprocess.run(["qpdf", "--check", str(pdf)], capture_output=True, text=True)
    test.assertIn("No syntax or stream encoding errors found", check.stdout, check.stdout + check.stderr)
    test.assertNotIn("WARNING", check.stdout + check.stderr)
    listing = subprocess.run(["pdfimages", "-list", str(pdf)], capture_output=True, text=True).stdout
    names = listing.splitlines()[0].split()
    return [dict(zip(names, line.split())) for line in listing.splitlines()[2:]]


def rendered_size(pdf, page, dpi):
    base = Path(str(pdf) + "-page%d" % page)
    subprocess.run(["pdftoppm", "-r", str(dpi), "-f", str(page), "-l", str(page), "-gray", "-singlefile",
                    str(pdf), str(base)], check=True)
    with Image.open(str(base) + ".pgm") as rendered:
        return rendered.size


def mail_job(test, name, scan_mode, settings=None, scanner_stops=False, **scanner):
    """A Mail job with PDF at 100 dpi (unless `settings` say otherwise): the one message's
    attachments and the job's TEMP. When `scanner_stops`, the library's word that the scanner
    stopped is expected (and closed)."""
    with services.SmtpServer(line_length_limit=4096) as server:
        settings = dict({"SMTP": server.address, "Mail From": SENDER, "Mail To": RECIPIENT, "Resolution": 1,
                         "Scan Mode": scan_mode, "Attach As": 1}, **(settings or {}))
        directory = jobkit.program(name, {"Mail Setting": settings}, active=kit.MAIL)
        jobkit.scanner(**scanner)
        job = jobkit.Job(directory)
        job.scan()
        if scanner_stops:
            hwnd, texts = kit.message_box(job.panel, "Scanning", timeout=120)
            kit.dismiss(hwnd)
            test.assertIn("stopped during the scan", " ".join(texts))
        test.assertEqual(job.wait_end(timeout=180), 0)
    test.assertEqual(len(server.envelopes), 1, "one message for the whole job")
    envelope = server.envelopes[0]
    test.assertEqual((envelope.mail_from, envelope.rcpt_tos), (SENDER, [RECIPIENT]))
    return mail_rig.attachments(mail_rig.parse(envelope.original_content)), directory / "TEMP"


class MailAsPdf(kit.PanelTestCase):
    def test_one_page_goes_as_one_pdf_named_after_it_holding_the_jpeg_unchanged(self):
        parts, temp = mail_job(self, "pdf_mail_one", scan_mode=2)
        self.assertEqual(len(parts), 1, [name for name, _ in parts])
        name, data = parts[0]
        jpegs = sorted(temp.glob("*.JPG"))
        self.assertEqual(len(jpegs), 1)
        self.assertEqual(name.upper(), jpegs[0].stem + ".PDF")
        pdf = temp / name.upper()
        self.assertEqual(pdf.read_bytes(), data)
        found = images(self, pdf)
        self.assertEqual(len(found), 1)
        image = found[0]
        self.assertEqual((image["enc"], image["color"], image["x-ppi"], image["y-ppi"]), ("jpeg", "rgb", "100", "100"))
        subprocess.run(["pdfimages", "-j", str(pdf), str(temp / "out")], check=True)
        self.assertEqual((temp / "out-000.jpg").read_bytes(), jpegs[0].read_bytes())
        self.assertEqual(rendered_size(pdf, 1, 100), (int(image["width"]), int(image["height"])))

    def test_a_line_art_feeder_batch_goes_once_as_one_pdf_of_its_pages_in_order(self):
        parts, temp = mail_job(self, "pdf_mail_batch", scan_mode=0, FeederPages=3)
        self.assertEqual(len(parts), 1, [name for name, _ in parts])
        pages = sorted(temp.glob("*.BMP"))
        self.assertEqual(len(pages), 3, sorted(temp.iterdir()))
        self.assertEqual(parts[0][0].upper(), pages[0].stem + ".PDF")
        pdf = temp / "batch.pdf"
        pdf.write_bytes(parts[0][1])
        found = images(self, pdf)
        self.assertEqual([(i["page"], i["enc"], i["bpc"], i["x-ppi"]) for i in found],
                         [(str(n), "ccitt", "1", "100") for n in (1, 2, 3)])
        subprocess.run(["pdfimages", str(pdf), str(temp / "out")], check=True)
        for number, page in enumerate(pages):
            with Image.open(page) as scanned, Image.open(temp / ("out-%03d.pbm" % number)) as decoded:
                self.assertEqual(decoded.convert("L").tobytes(), scanned.convert("L").tobytes(), page.name)
            self.assertEqual(rendered_size(pdf, number + 1, 100), scanned.size)

    def test_a_batch_the_scanner_cuts_short_sends_the_pages_scanned_before(self):
        # The third page's first strip fails: the library ends the batch without it.
        parts, temp = mail_job(self, "pdf_mail_cut", scan_mode=1, scanner_stops=True, FeederPages=3, FailAtStrip=1,
                               FaultPage=3)
        self.assertEqual(len(parts), 1, [name for name, _ in parts])
        pdf = temp / parts[0][0].upper()
        self.assertEqual(pdf.read_bytes(), parts[0][1])
        self.assertEqual([(i["page"], i["enc"], i["color"]) for i in images(self, pdf)],
                         [("1", "jpeg", "gray"), ("2", "jpeg", "gray")])
        self.assertEqual(len(list(temp.glob("*.JPG"))), 2)


def normalised(text):
    return [w for w in ("".join(ch for ch in word.lower() if ch.isalnum()) for word in text.split()) if w]


def words(image):
    return normalised(subprocess.run(["tesseract", str(image), "stdout", "-l", "eng"], capture_output=True,
                                     text=True).stdout)


class MailAsCompactPdf(kit.PanelTestCase):
    def test_a_colour_page_goes_as_one_compact_pdf_that_reads_as_the_scan(self):
        parts, temp = mail_job(self, "pdf_mail_compact", scan_mode=2,
                               settings={"Attach As": 2, "SupportRes": "R300", "R300": 300, "Resolution": 0})
        self.assertEqual(len(parts), 1, [name for name, _ in parts])
        pages = sorted(temp.glob("*.BMP"))
        self.assertEqual(len(pages), 1, sorted(temp.iterdir()))
        self.assertEqual(parts[0][0].upper(), pages[0].stem + ".PDF")
        pdf = temp / parts[0][0].upper()
        self.assertEqual(pdf.read_bytes(), parts[0][1])
        found = images(self, pdf)
        self.assertEqual((found[0]["type"], found[0]["enc"], found[0]["x-ppi"]), ("image", "jpeg", "100"))
        self.assertGreater(len(found), 1)
        for stencil in found[1:]:
            self.assertEqual((stencil["type"], stencil["enc"], stencil["x-ppi"]), ("stencil", "jbig2", "300"))
        self.assertLess(len(parts[0][1]), pages[0].stat().st_size // 100)
        self.assertEqual(rendered_size(pdf, 1, 300), Image.open(pages[0]).size)
        scanned = words(pages[0])
        compact = words(str(pdf) + "-page1.pgm")
        self.assertGreater(len(scanned), 100)
        kept = sum(min(scanned.count(w), compact.count(w)) for w in set(scanned))
        self.assertGreaterEqual(kept / len(scanned), 0.95, (len(scanned), kept))


class PdfViewerRestored:
    """Puts the prefix's own ".pdf" program back after a test that changed or removed it."""

    def tearDown(self):
        super().tearDown()
        rig.run(["reg", "add", PDF_EXTENSION, "/ve", "/d", WINE_PDF_CLASS, "/f"])
        rig.run(["reg", "delete", PDF_CLASS, "/f"])

    def pdfs(self):
        return sorted((self.directory / "DATA").glob("*.pdf"))


class OcrAsPdf(PdfViewerRestored, kit.PanelTestCase):
    def setUp(self):
        ocr_rig.install_engine("20")
        self.directory = jobkit.program(
            "pdf_ocr_" + self.id().rsplit("_", 1)[1],
            {"Ocr Setting": {"Resolution": 1, "Scan Mode": 0, "Document Size": 0, "Save As": 1}}, active=kit.OCR)
        jobkit.scanner()

    def test_the_searchable_pdf_is_kept_and_opened_with_the_pdf_program(self):
        viewer = self.directory / "pdfviewer.exe"
        shutil.copy2(rig.TOOLS / "recordargs.exe", viewer)
        for key, data in ((PDF_EXTENSION, "OrvaneTest.PdfViewer"),
                          (PDF_CLASS + r"\shell\open\command", '"%s" "%%1"' % rig.wine_path(viewer))):
            added = rig.run(["reg", "add", key, "/ve", "/d", data, "/f"])
            self.assertEqual(added.returncode, 0, added.stdout + added.stderr)
        job = jobkit.Job(self.directory)
        job.scan()
        line = job.started(timeout=300)[0]
        self.assertEqual(job.wait_end(timeout=60), 0)
        pdfs = self.pdfs()
        self.assertEqual(len(pdfs), 1, pdfs)
        self.assertRegex(pdfs[0].name, r"^P\d{7}\.pdf$")
        self.assertTrue(line.upper().rstrip('"').endswith("\\DATA\\" + pdfs[0].name.upper()), line)
        ocr_rig.check_searchable_pdf(self, pdfs[0], (2550, 3300), 300)
        self.assertEqual(job.temp_files(), [])
        values = ocr_rig.values("20")
        self.assertEqual((values["PdfFileName"], values["AutoFileName"]), ("", ""))

    def test_without_a_pdf_program_a_message_says_where_the_pdf_is(self):
        rig.run(["reg", "delete", PDF_EXTENSION, "/f"])
        job = jobkit.Job(self.directory)
        job.scan()
        hwnd, texts = kit.message_box(job.panel, "Scan Dialog box", timeout=300)
        pdfs = self.pdfs()
        self.assertEqual(len(pdfs), 1, pdfs)
        said = " ".join(texts)
        self.assertIn("No program is set to open PDF files.", said)
        self.assertIn(rig.wine_path(pdfs[0]).upper(), said.upper())
        kit.dismiss(hwnd)
        self.assertEqual(job.wait_end(timeout=60), 0)


def scanned_page(name, pixel_type, dpi):
    """The virtual scanner's Letter page as the job scans it, through scanhost (a bitmap file)."""
    scan_rig.install_scanner()
    host = scan_rig.host_dir(name)
    run = scan_rig.run_host(host, "--pixel", str(pixel_type), "--res", str(dpi), "--frame", "0,0,8.5,11", "--out",
                            rig.wine_path(host) + "\\", timeout=300)
    moved = [line.split(" ", 1)[1] for line in run.starting("MOVED")]
    assert moved, run.lines
    return host / Path(moved[0].replace("\\", "/")).name


class OcrAsCompactPdf(PdfViewerRestored, kit.PanelTestCase):
    def setUp(self):
        ocr_rig.install_engine("20")
        self.directory = jobkit.program(
            "pdf_ocr_compact", {"Ocr Setting": {"Resolution": 1, "Scan Mode": 2, "Document Size": 0, "Save As": 2}},
            active=kit.OCR)
        jobkit.scanner()

    def test_a_colour_page_is_kept_compact_with_the_words_tesseract_read_laid_over_it(self):
        rig.run(["reg", "delete", PDF_EXTENSION, "/f"])
        job = jobkit.Job(self.directory)
        job.scan()
        hwnd, texts = kit.message_box(job.panel, "Scan Dialog box", timeout=300)
        pdfs = self.pdfs()
        self.assertEqual(len(pdfs), 1, pdfs)
        self.assertRegex(pdfs[0].name, r"^P\d{7}\.pdf$")
        self.assertIn(rig.wine_path(pdfs[0]).upper(), " ".join(texts).upper())
        kit.dismiss(hwnd)
        self.assertEqual(job.wait_end(timeout=60), 0)
        # The page and the engine's word boxes are gone; the values are emptied or removed.
        self.assertEqual(job.temp_files(), [])
        values = ocr_rig.values("20")
        self.assertEqual((values["PdfFileName"], values["AutoFileName"]), ("", ""))
        self.assertNotIn("TsvFileName", values)

        found = images(self, pdfs[0])
        self.assertEqual((found[0]["type"], found[0]["enc"], found[0]["x-ppi"]), ("image", "jpeg", "100"))
        self.assertGreater(len(found), 1)
        for stencil in found[1:]:
            self.assertEqual((stencil["type"], stencil["enc"], stencil["x-ppi"]), ("stencil", "jbig2", "300"))
        self.assertEqual(rendered_size(pdfs[0], 1, 300), (2550, 3300))
        scanned = words(scanned_page("pdf_ocr_compact_scan", 2, 300))
        self.assertGreater(len(scanned), 100)
        self.assertLess(pdfs[0].stat().st_size, 2550 * 3300 * 3 // 100)
        text = normalised(subprocess.run(["pdftotext", str(pdfs[0]), "-"], capture_output=True, text=True).stdout)
        kept = sum(min(scanned.count(w), text.count(w)) for w in set(scanned))
        self.assertGreaterEqual(kept / len(scanned), 0.98, (len(scanned), kept, len(text)))


if __name__ == "__main__":
    unittest.main()
