"""The OCR job end to end, from a real click on SCAN on the OCR page: the virtual scanner's
text page is filed in TEMP as TIFF, handed to the OCR engine (either edition, recognising with
Tesseract), its text kept as a ".doc" in DATA and opened in WordPad (a recorder standing in
for "write.exe" beside the program); the program ends, the TIFF is gone and the engine's
registry values are restored. Also: a paste without rich text, an engine without Tesseract,
a job whose OCR cannot start, and a prefix without WordPad (the text opens with the program
registered for ".doc", or a message says where it is and its folder is shown)."""

import shutil
import subprocess
import time
import unittest

import jobkit
import ocr_rig
import panelkit as kit
import rig

CAPTION = "Scan Dialog box"
NO_TEXT = "No text was recognised on the scanned page."
ENGINE_FAILED = "The OCR engine reported an error and delivered no text."
START_FAILED = "The OCR engine could not be started."
# Line art, 300 dpi, Letter.
OCR_SETTINGS = {"Ocr Setting": {"Resolution": 1, "Scan Mode": 0, "Document Size": 0}}


def tearDownModule():
    ocr_rig.uninstall_engines()


def program(name):
    directory = jobkit.program(name, OCR_SETTINGS, active=kit.OCR)
    shutil.copy2(rig.TOOLS / "recordargs.exe", directory / "write.exe")
    jobkit.scanner()
    return directory


def docs(directory):
    data = directory / "DATA"
    return sorted(data.glob("*.doc")) if data.exists() else []


def engines_running():
    """Processes of the engine installed in this test's prefix (their command lines name its
    folder; other tests may run engines of their own at the same time)."""
    found = subprocess.run(["pgrep", "-f", "Orvane OCR"], capture_output=True, text=True).stdout
    return [pid for pid in found.split() if rig.process_prefix(pid) == rig.PREFIX]


class OcrJob(kit.PanelTestCase):
    def run_job(self, edition):
        ocr_rig.install_engine(edition)
        directory = program("ocr_job_" + edition)
        job = jobkit.Job(directory)
        job.scan()
        line = job.started(timeout=300)[0]
        self.assertEqual(job.wait_end(timeout=60), 0)

        files = docs(directory)
        self.assertEqual(len(files), 1, files)
        self.assertRegex(files[0].name, r"^P\d{7}\.doc$")
        # WordPad gets the short form of the text file's path.
        command, _, argument = line.partition(" ")
        self.assertEqual(command, "write.exe")
        self.assertNotIn(" ", argument)
        self.assertTrue(argument.upper().endswith("\\DATA\\" + files[0].name.upper()), line)
        text = ocr_rig.rtf_text(files[0].read_text(encoding="latin-1"))
        self.assertGreaterEqual(ocr_rig.word_accuracy(text), 0.95, text)
        # The panel deleted the page's TIFF when it ended.
        self.assertEqual(job.temp_files(), [])
        self.assertEqual(jobkit.image_infos(), [(2550, 3300, 0)])
        return ocr_rig.values(edition)

    def test_edition_20_saves_the_text_which_wordpad_opens(self):
        values = self.run_job("20")
        self.assertNotIn("SkipStartDialog", values)
        self.assertEqual(values["AutoFileName"], "")
        self.assertEqual(values["UseScanner"], 0)
        for name in ("Paste", "Faceless", "ApplicationWnd"):
            self.assertEqual(values[name], 0, name)
        self.assertEqual(values["DefaultWpformat"], "Word 6.0 (*.rtf)")

    def test_edition_96_pastes_the_text_which_wordpad_opens(self):
        values = self.run_job("96")
        for name in ("Paste", "Faceless", "ApplicationWnd"):
            self.assertEqual(values[name], 0, name)
        # The 96 edition is told nothing about files or its start dialog.
        for name in ("AutoFileName", "SkipStartDialog", "UseScanner"):
            self.assertNotIn(name, values)


class OcrJobEnds(kit.PanelTestCase):
    def assert_page_kept(self, job, texts):
        """The message names the folder where the page's image stays."""
        self.assertIn(rig.wine_path(job.directory / "TEMP"), " ".join(texts))

    def test_a_paste_without_rich_text_changes_nothing_and_the_job_waits(self):
        engine_dir = ocr_rig.install_engine("96")
        shutil.copy2(rig.TOOLS / "pasteprobe.exe", engine_dir / "tb96.exe")
        directory = program("ocr_job_plain_paste")
        log = directory / "paste.log"
        job = jobkit.Job(directory, env={"ORVANE_PASTE_LOG": rig.wine_path(log)})
        job.scan()
        deadline = time.time() + 300
        while not (log.exists() and "PASTED" in log.read_text()) and time.time() < deadline:
            time.sleep(0.1)
        self.assertIn("PASTED", log.read_text())
        # The engine still runs (it ends three seconds after its paste): the job waits for it.
        self.assertNotIn("END", log.read_text())
        self.assertIsNone(job.panel.proc.poll())
        self.assertEqual(docs(directory), [])
        self.assertFalse(job.record.exists())
        # When it ends without having pasted any text, the user is told so.
        hwnd, texts = kit.message_box(job.panel, CAPTION, timeout=60)
        self.assertIn("END", log.read_text())
        self.assertTrue(texts[0].startswith(NO_TEXT), texts)
        self.assert_page_kept(job, texts)
        kit.dismiss(hwnd)
        self.assertEqual(job.wait_end(), 0)
        self.assertFalse(job.record.exists())
        self.assertEqual([name[-4:] for name in job.temp_files()], [".TIF"])
        values = ocr_rig.values("96")
        self.assertEqual((values["Paste"], values["Faceless"], values["ApplicationWnd"]), (0, 0, 0))

    def test_an_engine_without_tesseract_ends_the_job_with_a_message(self):
        ocr_rig.install_engine("20", tesseract="/nonexistent/tesseract")
        directory = program("ocr_job_no_tesseract")
        job = jobkit.Job(directory)
        job.scan()
        hwnd, texts = kit.message_box(job.panel, CAPTION, timeout=300)
        self.assertTrue(texts[0].startswith(ENGINE_FAILED), texts)
        self.assert_page_kept(job, texts)
        kit.dismiss(hwnd)
        self.assertEqual(job.wait_end(), 0)
        # Nothing is left running, opened or configured; the scan stays for another try.
        self.assertEqual(engines_running(), [])
        self.assertFalse(job.record.exists())
        self.assertEqual(docs(directory), [])
        self.assertEqual([name[-4:] for name in job.temp_files()], [".TIF"])
        values = ocr_rig.values("20")
        self.assertNotIn("SkipStartDialog", values)
        self.assertEqual(values["AutoFileName"], "")
        self.assertEqual((values["Paste"], values["Faceless"], values["ApplicationWnd"]), (0, 0, 0))

    def test_an_ocr_that_cannot_start_ends_the_job_with_a_message(self):
        ocr_rig.uninstall_engines()
        ocr_rig.install_engine("20")
        ocr_rig.set_values("20", {"Faceless": 0, "Paste": 0})
        directory = program("ocr_job_no_data")
        (directory / "DATA").write_text("a file where the DATA folder belongs")
        job = jobkit.Job(directory)
        job.scan()
        hwnd, texts = kit.message_box(job.panel, job.panel.title, timeout=300)
        self.assertIn(START_FAILED, " ".join(texts))
        kit.dismiss(hwnd)
        self.assertEqual(job.wait_end(), 0)
        # The engine's values were never touched.
        values = ocr_rig.values("20")
        self.assertEqual((values["Faceless"], values["Paste"]), (0, 0))
        self.assertNotIn("AutoFileName", values)


DOC_EXTENSION = r"HKCR\.doc"
DOC_CLASS = r"HKCR\OrvaneTest.DocViewer"


def hide_wordpad():
    """Moves Wine's write.exe out of the way (as on Windows 11 24H2); returns what to put back."""
    windows = rig.PREFIX / "drive_c" / "windows"
    moved = []
    for folder in ("system32", "syswow64", "."):
        found = windows / folder / "write.exe"
        if found.exists():
            found.rename(found.with_suffix(".gone"))
            moved.append(found)
    return moved


class OcrTextWithoutWordPad(kit.PanelTestCase):
    def setUp(self):
        ocr_rig.install_engine("20")
        self.directory = jobkit.program("ocr_no_wordpad_" + self.id().rsplit("_", 1)[1], OCR_SETTINGS,
                                        active=kit.OCR)
        jobkit.scanner()
        self.moved = hide_wordpad()
        query = rig.run(["reg", "query", DOC_EXTENSION, "/ve"])
        self.doc_class = query.stdout.split("REG_SZ")[-1].strip() if "REG_SZ" in query.stdout else None

    def tearDown(self):
        super().tearDown()
        for path in self.moved:
            path.with_suffix(".gone").rename(path)
        rig.run(["reg", "delete", DOC_CLASS, "/f"])
        if self.doc_class:
            rig.run(["reg", "add", DOC_EXTENSION, "/ve", "/d", self.doc_class, "/f"])
        else:
            rig.run(["reg", "delete", DOC_EXTENSION, "/f"])

    def test_the_text_opens_with_the_program_registered_for_it(self):
        viewer = self.directory / "docviewer.exe"
        shutil.copy2(rig.TOOLS / "recordargs.exe", viewer)
        kit.reg("add", DOC_EXTENSION, "/ve", "/d", "OrvaneTest.DocViewer")
        kit.reg("add", DOC_CLASS + r"\shell\open\command", "/ve", "/d", '"%s" "%%1"' % rig.wine_path(viewer))
        job = jobkit.Job(self.directory)
        job.scan()
        line = job.started(timeout=300)[0]
        self.assertEqual(job.wait_end(timeout=60), 0)
        files = docs(self.directory)
        self.assertEqual(len(files), 1, files)
        self.assertTrue(line.upper().rstrip('"').endswith("\\DATA\\" + files[0].name.upper()), line)
        self.assertEqual(job.temp_files(), [])

    def test_with_no_program_a_message_names_the_text_and_its_folder_shows_it(self):
        rig.run(["reg", "delete", DOC_EXTENSION, "/f"])
        job = jobkit.Job(self.directory)
        job.scan()
        hwnd, texts = kit.message_box(job.panel, CAPTION, timeout=300)
        files = docs(self.directory)
        self.assertEqual(len(files), 1, files)
        said = " ".join(texts)
        self.assertIn("No program is set to open it", said)
        self.assertIn(rig.wine_path(files[0]).upper(), said.upper())
        # Explorer shows the DATA folder (its window is titled by the folder); closed, it ends
        # (it holds the program's output pipes until then).
        deadline = time.time() + 30
        while not [w for w in rig.top_windows() if w[3].upper() == "DATA"] and time.time() < deadline:
            time.sleep(0.5)
        folders = [w for w in rig.top_windows() if w[3].upper() == "DATA"]
        self.assertEqual([w[2] for w in folders], ["ExplorerWClass"], rig.top_windows())
        rig.driver("close", "--hwnd", folders[0][0])
        rig.driver("wait", "--gone", "--hwnd", folders[0][0], "--timeout", 10000)
        kit.dismiss(hwnd)
        self.assertEqual(job.wait_end(timeout=60), 0)
        self.assertFalse(job.record.exists())
        self.assertEqual(job.temp_files(), [])


if __name__ == "__main__":
    unittest.main()
