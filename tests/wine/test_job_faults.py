"""Scan jobs that used to lose work or say nothing, from a real click on SCAN: a mail to a
server where nothing listens (the library's word within seconds, the program's word on where
the scan is kept, the page in TEMP), a two-page OCR feeder batch (each page recognised in turn,
two texts kept), the panel's abort message while no outside program has the page (ignored),
and a Japanese panel whose resolution list shows the shipped labels."""

import re
import shutil
import time
import unittest

import jobkit
import language_rig
import ocr_rig
import panelkit as kit
import rig
import services

SENDER, RECIPIENT = "scanner@example.com", "desk@example.com"
WM_PANEL_ABORT = 0x401
FAX_RESOLUTION_LIST = 4004


def setUpModule():
    rig.use_prefix(rig.WORK / "prefix-job-faults", display="private")


def tearDownModule():
    ocr_rig.uninstall_engines()
    rig.restore_prefix()


def nothing_listens():
    """A loopback address on which nothing listens on port 25."""
    return services.first_free(lambda address: address)


class MailFault(kit.PanelTestCase):
    def test_mail_to_a_server_where_nothing_listens_keeps_the_page_and_says_where(self):
        settings = {"SMTP": nothing_listens(), "Mail From": SENDER, "Mail To": RECIPIENT, "Resolution": 0}
        directory = jobkit.program("job_mail_nobody", {"Mail Setting": settings}, active=kit.MAIL)
        jobkit.scanner()
        job = jobkit.Job(directory)
        job.scan()
        started = time.time()
        hwnd, texts = kit.message_box(job.panel, "E-mail", timeout=60)
        self.assertEqual(texts, ["Host is unreachable."])
        self.assertLess(time.time() - started, 30, "the failure took the whole wait")
        kit.dismiss(hwnd)
        hwnd, texts = kit.message_box(job.panel, job.panel.title, timeout=20)
        said = " ".join(texts)
        self.assertIn("was not sent by e-mail", said)
        self.assertIn(rig.wine_path(directory / "TEMP"), said)
        kit.dismiss(hwnd)
        self.assertEqual(job.wait_end(), 0)
        self.assertEqual(len(job.temp_files()), 1, job.temp_files())
        self.assertTrue(job.temp_files()[0].endswith(".JPG"))


class OcrBatch(kit.PanelTestCase):
    def test_each_page_of_a_feeder_batch_is_recognised_in_turn_and_kept(self):
        stand_in = rig.WORK / "job_faults_tesseract"
        shutil.rmtree(stand_in, ignore_errors=True)
        tesseract = ocr_rig.stand_in_tesseract(stand_in, text="Page text\n")
        ocr_rig.install_engine("20", tesseract=tesseract)
        directory = jobkit.program("job_ocr_batch", {"Ocr Setting": {"Resolution": 0}}, active=kit.OCR)
        shutil.copy2(rig.TOOLS / "recordargs.exe", directory / "write.exe")
        jobkit.scanner(FeederPages=2)
        job = jobkit.Job(directory)
        job.scan()
        lines = job.started(count=2, timeout=300)
        self.assertEqual(job.wait_end(timeout=120), 0)
        docs = sorted((directory / "DATA").glob("*.doc"))
        self.assertEqual(len(docs), 2, docs)
        for doc in docs:
            self.assertIn("Page text", ocr_rig.rtf_text(doc.read_text(encoding="latin-1")))
        # WordPad opened each text once; the two pages' images went once their texts were kept.
        opened = sorted(line.partition(" ")[2].rsplit("\\", 1)[-1].upper() for line in lines)
        self.assertEqual(opened, [doc.name.upper() for doc in docs])
        self.assertEqual(job.temp_files(), [])
        self.assertEqual(len(ocr_rig.calls(tesseract)), 2)


class PanelAbort(kit.PanelTestCase):
    def test_the_abort_message_without_an_outside_hand_off_leaves_the_panel(self):
        directory = kit.program("job_abort_idle")
        panel = kit.start(directory)
        rig.driver("send", "--hwnd", panel.hwnd, WM_PANEL_ABORT, 0, 0)
        time.sleep(1)
        self.assertIsNone(panel.poll())
        self.assertEqual(kit.exit_panel(panel), 0)


class JapaneseLabels(kit.PanelTestCase):
    def test_the_fax_resolution_list_shows_the_japanese_label(self):
        lang = language_rig.language("ja")
        directory, title = language_rig.program(lang, "job_labels_ja")
        quendel = (directory / "Quendel.ini").read_bytes()
        quendel = re.sub(rb"(?m)^Active_ID=.*$", b"Active_ID=1002\r", quendel)
        (directory / "Quendel.ini").write_bytes(quendel)
        panel = kit.start(directory, title=title, env=language_rig.environment(lang))
        shown = {}
        for line in rig.driver("texts", "--hwnd", panel.hwnd).splitlines():
            fields = line.split("\t")
            if fields[0].isdigit():
                shown[int(fields[0])] = fields[2]
        self.assertEqual(shown.get(FAX_RESOLUTION_LIST), "標準 (100 dpi)")
        self.assertEqual(kit.exit_panel(panel), 0)


if __name__ == "__main__":
    unittest.main()
