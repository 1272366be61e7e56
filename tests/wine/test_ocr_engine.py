"""The OCR engine on its own under Wine: the 2.0 edition saves the virtual scanner's text page
as RTF to "AutoFileName", the 96 edition pastes it into the window in "ApplicationWnd"; the
recognition language follows the scanner's; a missing or failing Tesseract delivers nothing
and ends with an error code, a page without text delivers nothing and ends well."""

import os
import shutil
import signal
import subprocess
import time
import unittest

import ocr_rig
import rig

WORK = rig.WORK / "ocr_engine"
NO_IMAGE, NO_RECOGNISER, RECOGNITION_FAILED = 1, 2, 3


def setUpModule():
    if WORK.exists():
        shutil.rmtree(WORK)
    WORK.mkdir(parents=True)


def tearDownModule():
    ocr_rig.uninstall_engines()


def run_engine(edition, image, timeout=300):
    program = ocr_rig.INSTALL_DIR / (ocr_rig.PROGRAMS[edition] + ".exe")
    return rig.run([program, rig.wine_path(image)], timeout=timeout).returncode


class RealTesseract(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.page = ocr_rig.text_page_tiff(WORK / "page.tif")

    def tearDown(self):
        rig.kill_started()

    def test_edition_20_saves_the_page_as_rtf_to_its_file_name(self):
        ocr_rig.install_engine("20")
        target = WORK / "saved.doc"
        target.unlink(missing_ok=True)
        ocr_rig.set_values("20", {"Faceless": 1, "Paste": 1, "ApplicationWnd": 0,
                                  "AutoFileName": rig.wine_path(target)})
        self.assertEqual(run_engine("20", self.page), 0)
        rtf = target.read_text(encoding="latin-1")
        self.assertTrue(rtf.startswith("{\\rtf1\\ansi"), rtf[:80])
        text = ocr_rig.rtf_text(rtf)
        self.assertGreaterEqual(ocr_rig.word_accuracy(text), 0.95, text)
        self.assertIn("QUARTERLY REPORT", text)
        # Paragraphs of the page stay apart: the salutation follows a blank line.
        self.assertRegex(text, r"two working days\.\s*\n\s*Kind regards")

    def test_edition_96_pastes_the_page_into_the_application_window(self):
        ocr_rig.install_engine("96")
        sink_file = WORK / "sink.txt"
        sink_file.unlink(missing_ok=True)
        sink = rig.start([rig.TOOLS / "pasteprobe.exe", "--sink", rig.wine_path(sink_file)])
        deadline = time.time() + 60
        while not (sink_file.exists() and sink_file.read_text().strip()) and time.time() < deadline:
            time.sleep(0.2)
        window = int(sink_file.read_text())
        ocr_rig.set_values("96", {"Faceless": 1, "Paste": 1, "ApplicationWnd": window})
        self.assertEqual(run_engine("96", self.page), 0)
        self.assertEqual(rig.wait_exit(sink, timeout=30), 0)
        rtf = sink_file.read_text(encoding="latin-1")
        self.assertTrue(rtf.startswith("{\\rtf1\\ansi"), rtf[:80])
        self.assertGreaterEqual(ocr_rig.word_accuracy(ocr_rig.rtf_text(rtf)), 0.95)

    def test_a_searchable_pdf_of_the_page_when_asked(self):
        ocr_rig.install_engine("96")
        target = WORK / "searchable.pdf"
        target.unlink(missing_ok=True)
        ocr_rig.set_values("96", {"Faceless": 1, "Paste": 1, "ApplicationWnd": 0,
                                  "PdfFileName": rig.wine_path(target)})
        try:
            self.assertEqual(run_engine("96", self.page), 0)
        finally:
            ocr_rig.set_values("96", {"PdfFileName": ""})
        ocr_rig.check_searchable_pdf(self, target, (2550, 3300), 300)

    def test_without_tesseract_nothing_is_delivered(self):
        ocr_rig.install_engine("20", tesseract="/nonexistent/tesseract")
        target = WORK / "missing.doc"
        target.unlink(missing_ok=True)
        ocr_rig.set_values("20", {"Faceless": 1, "Paste": 1, "ApplicationWnd": 0,
                                  "AutoFileName": rig.wine_path(target)})
        self.assertEqual(run_engine("20", self.page), NO_RECOGNISER)
        self.assertFalse(target.exists())


class StandInTesseract(unittest.TestCase):
    """A Tesseract stand-in that records its arguments, in a program directory whose settings
    name a scanner description with a language; the image lies in its TEMP folder."""

    def setUp(self):
        self.directory = WORK / self.id().rsplit(".", 1)[1]
        if self.directory.exists():
            shutil.rmtree(self.directory)
        (self.directory / "TEMP").mkdir(parents=True)
        self.image = self.directory / "TEMP" / "P1234567.TIF"
        self.image.write_bytes(b"II*\0")  # the stand-in does not read it
        self.target = self.directory / "out.doc"

    def engine(self, language="ENGLISH", **stand_in):
        rig.write_ini(self.directory / "VS600.ini", {"CaseInfo": {"DSSectionName": "VS600INFO"},
                                                     "VS600INFO": {"LANGUAGE": language}})
        rig.write_ini(self.directory / "Quendel.ini",
                      {"Scan Setting": {"Path": rig.wine_path(self.directory / "VS600.ini")}})
        self.tesseract = ocr_rig.stand_in_tesseract(self.directory / "tess", **stand_in)
        ocr_rig.install_engine("20", tesseract=self.tesseract)
        ocr_rig.set_values("20", {"Faceless": 1, "Paste": 0, "ApplicationWnd": 0,
                                  "AutoFileName": rig.wine_path(self.target)})
        return run_engine("20", self.image)

    def recognition_language(self):
        page_calls = [c.split() for c in ocr_rig.calls(self.tesseract) if not c.startswith("--list-langs")]
        self.assertEqual(len(page_calls), 1, page_calls)
        return page_calls[0][page_calls[0].index("-l") + 1]

    def test_the_scanners_language_is_used_where_installed(self):
        self.assertEqual(self.engine("german", languages=("deu", "eng", "osd")), 0)
        self.assertEqual(self.recognition_language(), "deu")
        # The image and output reach the native program as Unix paths.
        page_call = [c for c in ocr_rig.calls(self.tesseract) if not c.startswith("--")][0]
        self.assertTrue(page_call.startswith(str(self.image.resolve())), page_call)
        self.assertIn("Stand-in text", ocr_rig.rtf_text(self.target.read_text(encoding="latin-1")))

    def test_english_when_the_scanners_language_is_missing(self):
        self.assertEqual(self.engine("FRENCH", languages=("deu", "eng")), 0)
        self.assertEqual(self.recognition_language(), "eng")

    def test_a_failing_recognition_delivers_nothing(self):
        self.assertEqual(self.engine(text="half a page", exit_code=1), RECOGNITION_FAILED)
        self.assertFalse(self.target.exists())

    def test_a_page_without_text_delivers_nothing_and_ends_well(self):
        self.assertEqual(self.engine(text=" \n\n\f"), 0)
        self.assertFalse(self.target.exists())

    def test_without_an_image_the_engine_ends_with_an_error(self):
        self.engine()
        program = ocr_rig.INSTALL_DIR / "tb.exe"
        self.assertEqual(rig.run([program]).returncode, NO_IMAGE)


if __name__ == "__main__":
    unittest.main()
