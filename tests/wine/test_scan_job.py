"""The scan job end to end, from a real click on SCAN: Wine's TWAIN manager and the virtual
scanner deliver the page, the panel files it in TEMP, compresses it and hands it to the image
editor (a recorder registered as "Ipe.exe") or by mail to a real SMTP server; automatic size,
feeder batches, Escape, and the jobs that cannot go on."""

import contextlib
import shutil
import subprocess
import time
import unittest
from pathlib import Path

from PIL import Image

import jobkit
import mail_rig
import panelkit as kit
import rig

SMTP_ADDRESS = "127.0.0.60"
SENDER, RECIPIENT = "scanner@example.com", "desk@example.com"


def mail_settings(**extra):
    settings = {"SMTP": SMTP_ADDRESS, "Mail From": SENDER, "Mail To": RECIPIENT, "Resolution": 0}
    settings.update(extra)
    return {"Mail Setting": settings}


def image_settings(**extra):
    settings = {"ImageAp": "NULL", "FileName": "Ipe.exe", "Resolution": 1, "Scan Mode": 2}
    settings.update(extra)
    return {"Scan Setting": settings}


@contextlib.contextmanager
def small_disk(size):
    """A tmpfs of `size` bytes in the work tree; Wine reports its real free space."""
    mount = rig.WORK / "small_disk_mount"
    if mount.is_mount():
        subprocess.run(["umount", str(mount)], check=True)
    mount.mkdir(parents=True, exist_ok=True)
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % size, "tmpfs", str(mount)], check=True)
    try:
        yield mount
    finally:
        rig.kill_started()
        subprocess.run(["umount", "-l", str(mount)], check=False)


def editor_argument(line):
    """(editor, image) of a recorded editor command line."""
    editor, _, image = line.partition(" ")
    return editor, image


class ImageJob(kit.PanelTestCase):
    @classmethod
    def setUpClass(cls):
        jobkit.register_editor()

    @classmethod
    def tearDownClass(cls):
        jobkit.unregister_editor()

    def test_scan_hands_the_jpeg_in_temp_to_the_registered_editor(self):
        directory = jobkit.program("job_image", image_settings())
        jobkit.scanner()
        job = jobkit.Job(directory)
        job.scan()
        line = job.started()[0]
        self.assertEqual(job.wait_end(), 0)

        files = job.temp_files()
        self.assertEqual(len(files), 1, files)
        self.assertRegex(files[0], r"^P\d{7}\.JPG$")
        editor, image = editor_argument(line)
        # Short forms: the editor's folder has a space, so its long path would split in two.
        self.assertEqual(editor.upper(), r"C:\PROGRA~1\IPEEDI~1\IPE.EXE")
        self.assertTrue(image.upper().endswith("\\TEMP\\" + files[0]), line)
        with Image.open(directory / "TEMP" / files[0]) as jpeg:
            self.assertEqual(jpeg.format, "JPEG")
            self.assertEqual(jpeg.size, (850, 1100))  # Letter at 100 dpi
        self.assertEqual(jobkit.image_infos(), [(850, 1100, 2)])
        stored = rig.read_ini(directory / "Quendel.ini")
        self.assertEqual(stored["Scan Setting"]["ImageAp"].upper(), jobkit.EDITOR_PATH.upper())
        self.assertEqual(stored["Active_Dlg"]["Active_ID"], "1000")

    def test_with_too_little_free_space_the_bitmap_is_handed_over(self):
        source = jobkit.program("job_lowdisk", image_settings(Resolution=1))
        page = 850 * 1100 * 3 + 54
        files = sum(p.stat().st_size for p in source.iterdir() if p.is_file())
        # Room for the program and the page, but not for three pages.
        with small_disk(files + page * 3 // 2) as mount:
            directory = mount / "job_lowdisk"
            shutil.copytree(source, directory)
            quendel = rig.read_ini(directory / "Quendel.ini")
            quendel["Scan Setting"]["Path"] = rig.wine_path(directory / "VS600.ini")
            rig.write_ini(directory / "Quendel.ini", quendel)
            jobkit.scanner()
            job = jobkit.Job(directory)
            job.scan()
            line = job.started()[0]
            self.assertEqual(job.wait_end(), 0)
            names = job.temp_files()
            self.assertEqual(len(names), 1, names)
            self.assertTrue(names[0].endswith(".BMP"), names)
            self.assertTrue(editor_argument(line)[1].upper().endswith(names[0]), line)
            self.assertEqual((directory / "TEMP" / names[0]).stat().st_size, page)

    def test_auto_size_prescans_and_scans_just_the_document(self):
        directory = jobkit.program("job_auto", image_settings(**{"Document Size": jobkit.PAPERS.index("Auto")}))
        jobkit.scanner()
        job = jobkit.Job(directory)
        job.scan()
        job.started()
        self.assertEqual(job.wait_end(), 0)

        frames = jobkit.layouts()
        self.assertEqual(len(frames), 2, frames)
        self.assertEqual(frames[0], (0.0, 0.0, 8.5, 11.0))
        # The virtual scanner's document: 7.5 x 10 inches, 0.3 in from the left, 0.4 in from the
        # top. The prescan has 36 pixels per inch: allow two pixels.
        for found, expected in zip(frames[1], (0.3, 0.4, 7.8, 10.4)):
            self.assertAlmostEqual(found, expected, delta=2 / 36)
        infos = jobkit.image_infos()
        self.assertEqual(infos[0], (306, 396, 2))
        self.assertAlmostEqual(infos[1][0], 750, delta=8)
        self.assertAlmostEqual(infos[1][1], 1000, delta=8)
        # The prescan is gone; only the document's page is left.
        self.assertEqual(len(job.temp_files()), 1, job.temp_files())
        self.assertTrue(job.temp_files()[0].endswith(".JPG"))


class MailJob(kit.PanelTestCase):
    def test_scan_mails_the_jpeg_to_the_server(self):
        directory = jobkit.program("job_mail", mail_settings(), active=kit.MAIL)
        jobkit.scanner()
        with mail_rig.RealSmtp(SMTP_ADDRESS, line_length_limit=4096) as server:
            job = jobkit.Job(directory)
            job.scan()
            self.assertEqual(job.wait_end(timeout=120), 0)
        self.assertEqual(len(server.envelopes), 1)
        envelope = server.envelopes[0]
        self.assertEqual(envelope.mail_from, SENDER)
        self.assertEqual(envelope.rcpt_tos, [RECIPIENT])
        files = job.temp_files()
        self.assertEqual(len(files), 1, files)
        parts = mail_rig.attachments(mail_rig.parse(envelope.original_content))
        self.assertEqual([name.upper() for name, _ in parts], [files[0]])
        self.assertEqual(parts[0][1], (directory / "TEMP" / files[0]).read_bytes())
        self.assertEqual(parts[0][1][:3], b"\xff\xd8\xff")

    def test_feeder_batch_mails_each_page_with_the_pages_before_it(self):
        directory = jobkit.program("job_feeder", mail_settings(), active=kit.MAIL)
        jobkit.scanner(FeederPages=3)
        with mail_rig.RealSmtp(SMTP_ADDRESS, line_length_limit=4096) as server:
            job = jobkit.Job(directory)
            job.scan()
            self.assertEqual(job.wait_end(timeout=180), 0)
        files = job.temp_files()
        self.assertEqual(len(files), 3, files)
        sent = [mail_rig.attachments(mail_rig.parse(e.original_content)) for e in server.envelopes]
        self.assertEqual([len(parts) for parts in sent], [1, 2, 3])
        names = [[name.upper() for name, _ in parts] for parts in sent]
        self.assertEqual(names[2][:2], names[1])
        self.assertEqual(names[1][:1], names[0])
        self.assertEqual(sorted(names[2]), files)
        for name, data in sent[2]:
            self.assertEqual(data, (directory / "TEMP" / name.upper()).read_bytes())


class JobEnds(kit.PanelTestCase):
    def test_escape_stops_the_scan_and_ends_the_program(self):
        directory = jobkit.program("job_escape", image_settings(Resolution=4))
        jobkit.register_editor()
        # 300 dpi in strips of 64 KB, each taking 0.2 s: the scan would run for minutes.
        jobkit.scanner(StripDelayMs=200, Preferred=65536)
        job = jobkit.Job(directory)
        job.scan()
        progress = rig.driver("wait", "--title", "Scanning...", "--timeout", 30000, timeout=35).strip()
        _, texts = rig.window_texts("--hwnd", progress)
        self.assertIn("Scanning Page: 1", texts)
        self.assertIn("Stop Scanning", texts)
        time.sleep(1)
        pressed = time.time()
        rig.driver("keys", "--hwnd", progress, "{ESC}")
        self.assertEqual(job.wait_end(timeout=20), 0)
        ended = time.time() - pressed
        # Escape is polled twice a second; the bound leaves room for a loaded machine.
        self.assertLess(ended, 5, "ended %.1f s after Escape" % ended)
        strips = [line for line in jobkit.scan_rig.log_lines() if "IMAGEMEMXFER" in line]
        self.assertLess(len(strips), 100, "the scan ran to its end")
        self.assertFalse(job.record.exists(), "the editor was started")
        jobkit.unregister_editor()

    def test_an_acquisition_that_cannot_start_ends_the_program(self):
        directory = rig.make_program_dir("job_nostart", capturo="stub")
        source = jobkit.program("job_nostart_settings", image_settings())
        for name in ("Quendel.ini", "VS600.ini"):
            shutil.copy2(source / name, directory / name)
        quendel = rig.read_ini(directory / "Quendel.ini")
        quendel["Scan Setting"]["Path"] = rig.wine_path(directory / "VS600.ini")
        rig.write_ini(directory / "Quendel.ini", quendel)
        description = rig.read_ini(directory / "VS600.ini")
        description["Velmora"]["Model"] = directory.name
        rig.write_ini(directory / "VS600.ini", description)
        jobkit.register_editor()
        job = jobkit.Job(directory)
        job.scan()
        self.assertEqual(job.wait_end(timeout=20), 0)
        self.assertEqual(job.temp_files(), [])
        jobkit.unregister_editor()

    def test_a_page_that_cannot_be_filed_ends_the_job_with_its_message(self):
        directory = jobkit.program("job_nofile", image_settings())
        # A file named TEMP: the directory can neither be entered nor made.
        (directory / "TEMP").write_text("in the way")
        jobkit.register_editor()
        jobkit.scanner()
        job = jobkit.Job(directory)
        job.scan()
        hwnd, texts = kit.message_box(job.panel, directory.name, timeout=60)
        self.assertIn("could not be saved in the TEMP folder", " ".join(texts))
        kit.dismiss(hwnd)
        self.assertEqual(job.wait_end(), 0)
        self.assertFalse(job.record.exists(), "the editor was started")
        jobkit.unregister_editor()

    def test_a_source_that_closes_itself_ends_the_job(self):
        directory = jobkit.program("job_closed", image_settings())
        jobkit.register_editor()
        jobkit.scanner(CloseRequest=1)
        job = jobkit.Job(directory)
        job.scan()
        self.assertEqual(job.wait_end(timeout=30), 0)
        self.assertEqual(job.temp_files(), [])
        jobkit.unregister_editor()


if __name__ == "__main__":
    unittest.main()
