"""The scan job end to end, from a real click on SCAN: Wine's TWAIN manager and the virtual
scanner deliver the page, the panel files it in TEMP, compresses it and hands it to the image
editor (a recorder registered as "Ipe.exe") or by mail to a real SMTP server; automatic size,
feeder batches, Escape, and the jobs that cannot go on."""

import shutil
import time
import unittest

from PIL import Image

import jobkit
import mail_rig
import panelkit as kit
import rig
import scan_rig
import services
import standins

SENDER, RECIPIENT = "scanner@example.com", "desk@example.com"


def mail_settings(server, **extra):
    settings = {"SMTP": server.address, "Mail From": SENDER, "Mail To": RECIPIENT, "Resolution": 0}
    settings.update(extra)
    return {"Mail Setting": settings}


def image_settings(**extra):
    settings = {"ImageAp": "NULL", "FileName": "Ipe.exe", "Resolution": 1, "Scan Mode": 2}
    settings.update(extra)
    return {"Scan Setting": settings}


def click_stop(progress):
    """A real click on the progress window's Stop button: the window holds the mouse capture,
    so the click reaches the window."""
    x, y, width, height = (int(v) for v in next(
        line.split("\t")[4].split(",") for line in rig.driver("texts", "--hwnd", progress).splitlines()
        if line.split("\t")[2:3] == ["Stop Scanning"]))
    rig.driver("click", "--hwnd", progress, x + width // 2, y + height // 2)


def temp_page(job, suffix):
    """The one page file the job left in TEMP, with its extension."""
    files = job.temp_files()
    if len(files) != 1 or not files[0].endswith(suffix):
        raise AssertionError("one %s page expected in TEMP: %r" % (suffix, files))
    return files[0]


class ImageJob(kit.PanelTestCase):
    def setUp(self):
        self.editor = standins.install_editor()

    def tearDown(self):
        super().tearDown()
        self.editor.unregister()

    def test_scan_hands_the_jpeg_in_temp_to_the_registered_editor(self):
        directory = jobkit.program("job_image", image_settings())
        jobkit.scanner()
        watcher = standins.start_watcher(directory / "VS600.ini")
        job = jobkit.Job(directory)
        job.scan()
        record = self.editor.wait_records(1)[0]
        self.assertEqual(job.wait_end(), 0)
        watcher.stop()

        name = temp_page(job, ".JPG")
        self.assertRegex(name, r"^P\d{7}\.JPG$")
        # Short forms: the editor's folder has a space, so its long path would split in two.
        editor, _, image = record["cmdline"].partition(" ")
        self.assertTrue(editor.upper().startswith("C:\\") and editor.upper().endswith("\\IPE.EXE"), record)
        self.assertIn("~", editor)
        self.assertEqual(record["args"], "1", record)
        self.assertTrue(image.upper().endswith("\\TEMP\\" + name), record)
        self.assertEqual((record["exists"], record["opens"], record["format"]), ("yes", "yes", "jpeg"), record)
        with Image.open(directory / "TEMP" / name) as jpeg:
            self.assertEqual(jpeg.format, "JPEG")
            self.assertEqual(jpeg.size, (850, 1100))  # Letter at 100 dpi
        self.assertEqual(jobkit.image_infos(), [(850, 1100, 2)])
        stored = rig.read_ini(directory / "Quendel.ini")
        self.assertEqual(stored["Scan Setting"]["ImageAp"].upper(), self.editor.windows_path.upper())
        self.assertEqual(stored["Active_Dlg"]["Active_ID"], "1000")
        # The resident button program hears of the scan.
        self.assertEqual(watcher.notices(), [(1, 0)])

    def test_with_too_little_free_space_the_bitmap_is_handed_over(self):
        source = jobkit.program("job_lowdisk", image_settings())
        page = 2552 * 1100 + 54  # rows of 850 pixels padded to 4 bytes
        files = sum(p.stat().st_size for p in source.iterdir() if p.is_file())
        # Room for the program and the page, but not for three pages. The program runs from the
        # disk's own drive letter, whose free space is the small disk's.
        with services.small_disk(str(files + page * 3 // 2), drive="t") as disk:
            directory = disk / "job_lowdisk"
            shutil.copytree(source, directory)
            quendel = rig.read_ini(directory / "Quendel.ini")
            quendel["Scan Setting"]["Path"] = r"T:\job_lowdisk\VS600.ini"
            rig.write_ini(directory / "Quendel.ini", quendel)
            jobkit.scanner()
            job = jobkit.Job(directory, exe=r"T:\job_lowdisk\Orvane.exe")
            job.scan()
            record = self.editor.wait_records(1)[0]
            self.assertEqual(job.wait_end(), 0)
            name = temp_page(job, ".BMP")
            self.assertTrue(record["image"].upper().endswith(name), record)
            self.assertEqual((record["opens"], record["format"]), ("yes", "bmp"), record)
            self.assertEqual((directory / "TEMP" / name).stat().st_size, page)

    def test_auto_size_prescans_and_scans_just_the_document(self):
        # Without straightening: the upright frame of the document, as found.
        directory = jobkit.program("job_auto", image_settings(**{"Document Size": jobkit.PAPERS.index("Auto"),
                                                                 "Straighten": 0}))
        jobkit.scanner()
        job = jobkit.Job(directory)
        job.scan()
        self.editor.wait_records(1)
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
        temp_page(job, ".JPG")


class MailJob(kit.PanelTestCase):
    def test_scan_mails_the_jpeg_to_the_server(self):
        jobkit.scanner()
        with services.SmtpServer() as server:
            directory = jobkit.program("job_mail", mail_settings(server), active=kit.MAIL)
            job = jobkit.Job(directory)
            job.scan()
            self.assertEqual(job.wait_end(timeout=120), 0)
        self.assertEqual(len(server.envelopes), 1)
        envelope = server.envelopes[0]
        self.assertEqual(envelope.mail_from, SENDER)
        self.assertEqual(envelope.rcpt_tos, [RECIPIENT])
        files = [temp_page(job, ".JPG")]
        parts = mail_rig.attachments(mail_rig.parse(envelope.original_content))
        self.assertEqual([name.upper() for name, _ in parts], [files[0]])
        self.assertEqual(parts[0][1], (directory / "TEMP" / files[0]).read_bytes())
        self.assertEqual(parts[0][1][:3], b"\xff\xd8\xff")

    def test_feeder_batch_mails_each_page_with_the_pages_before_it(self):
        jobkit.scanner(FeederPages=3)
        with services.SmtpServer() as server:
            directory = jobkit.program("job_feeder", mail_settings(server), active=kit.MAIL)
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
    """Jobs that end without a page reaching the editor: none may leave a hidden program."""

    def setUp(self):
        self.editor = standins.install_editor()

    def tearDown(self):
        super().tearDown()
        self.editor.unregister()

    def test_escape_stops_the_scan_and_ends_the_program(self):
        directory = jobkit.program("job_escape", image_settings(Resolution=4))
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
        strips = [line for line in scan_rig.log_lines() if "IMAGEMEMXFER" in line]
        self.assertLess(len(strips), 100, "the scan ran to its end")
        self.assertEqual(self.editor.records(), [])

    def test_stop_scanning_button_stops_the_scan(self):
        directory = jobkit.program("job_stop", image_settings(Resolution=4))
        jobkit.scanner(StripDelayMs=200, Preferred=65536)
        job = jobkit.Job(directory)
        job.scan()
        progress = rig.driver("wait", "--title", "Scanning...", "--timeout", 30000, timeout=35).strip()
        time.sleep(1)
        click_stop(progress)
        self.assertEqual(job.wait_end(timeout=20), 0)
        self.assertEqual(self.editor.records(), [])

    def test_stop_during_a_later_feeder_page_stops_the_batch(self):
        directory = jobkit.program("job_batch_stop", image_settings())
        # Three pages of about 40 strips, each strip taking 0.15 s.
        jobkit.scanner(FeederPages=3, StripDelayMs=150, Preferred=65536)
        job = jobkit.Job(directory)
        job.scan()
        self.editor.wait_records(1)
        # The window went with page 1 and comes back for page 2.
        progress = rig.driver("wait", "--title", "Scanning...", "--timeout", 30000, timeout=35).strip()
        _, texts = rig.window_texts("--hwnd", progress)
        self.assertIn("Scanning Page: 2", texts)
        pressed = time.time()
        click_stop(progress)
        self.assertEqual(job.wait_end(timeout=20), 0)
        ended = time.time() - pressed
        self.assertLess(ended, 5, "ended %.1f s after Stop" % ended)
        self.assertEqual(len(self.editor.records()), 1)
        temp_page(job, ".JPG")
        # Page 3 was never scanned: the scanner described two pages.
        self.assertEqual(len(jobkit.image_infos()), 2)

    def test_an_acquisition_that_cannot_start_ends_the_program(self):
        directory = jobkit.program("job_nostart", image_settings())
        # The stand-in library starts no acquisition.
        shutil.copy2(rig.FIXTURES / "capturo" / "Capturo.dll", directory / "Capturo.dll")
        job = jobkit.Job(directory)
        job.scan()
        self.assertEqual(job.wait_end(timeout=20), 0)
        self.assertEqual(job.temp_files(), [])

    def test_a_page_that_cannot_be_filed_ends_the_job_with_its_message(self):
        directory = jobkit.program("job_nofile", image_settings())
        # A file named TEMP: the directory can neither be entered nor made.
        (directory / "TEMP").write_text("in the way")
        jobkit.scanner()
        job = jobkit.Job(directory)
        job.scan()
        hwnd, texts = kit.message_box(job.panel, directory.name, timeout=60)
        self.assertIn("could not be saved in the TEMP folder", " ".join(texts))
        kit.dismiss(hwnd)
        self.assertEqual(job.wait_end(), 0)
        self.assertEqual(self.editor.records(), [])

    def test_a_source_that_closes_itself_ends_the_job(self):
        directory = jobkit.program("job_closed", image_settings())
        jobkit.scanner(CloseRequest=1)
        job = jobkit.Job(directory)
        job.scan()
        self.assertEqual(job.wait_end(timeout=30), 0)
        self.assertEqual(job.temp_files(), [])

    def test_exit_tells_the_watcher(self):
        directory = jobkit.program("job_exit", image_settings())
        watcher = standins.start_watcher(directory / "VS600.ini")
        panel = kit.start(directory)
        self.assertEqual(kit.exit_panel(panel), 0)
        watcher.stop()
        self.assertEqual(watcher.notices(), [(0, 0)])


if __name__ == "__main__":
    unittest.main()
