"""Network scanners end to end, from a real click on SCAN: the tests' own network scanner
(escl_scanner) delivers the pages over HTTP through Wine's WinHTTP, Capturo writes the page
file, and the panel hands it to the image editor (a recorder) or by mail to a real SMTP server;
a feeder batch, automatic size, Stop during a batch, a jam, a scanner that goes away, the
certificate of an https scanner pinned on first use, and the choice of scanner made in the
panel (discovery over multicast DNS in the test's private network) and kept."""

import escl_scanner

# Before any Wine process starts: Wine's sockets are made by its wineserver, which must live in
# the private network too.
escl_scanner.private_network()

import hashlib  # noqa: E402
import ssl  # noqa: E402
import subprocess  # noqa: E402
import time  # noqa: E402
import unittest  # noqa: E402

from PIL import Image  # noqa: E402

import jobkit  # noqa: E402
import mail_rig  # noqa: E402
import panelkit as kit  # noqa: E402
import rig  # noqa: E402
import services  # noqa: E402
import standins  # noqa: E402

CTEST = {"split": "classes", "cost": 60}
SENDER, RECIPIENT = "scanner@example.com", "desk@example.com"


def network(scanner, settings=None, **keys):
    """Settings with the network scanner chosen (its URL in `Network Scanner`)."""
    settings = {section: dict(values) for section, values in (settings or {}).items()}
    settings.setdefault("Scan Setting", {})["Network Scanner"] = scanner.root_url
    settings["Scan Setting"].update(keys)
    return settings


def image_settings(**extra):
    values = {"ImageAp": "NULL", "FileName": "Ipe.exe", "Resolution": 1, "Scan Mode": 2}
    values.update(extra)
    return {"Scan Setting": values}


def mail_settings(server, **extra):
    values = {"SMTP": server.address, "Mail From": SENDER, "Mail To": RECIPIENT, "Resolution": 1, "Scan Mode": 2}
    values.update(extra)
    return {"Mail Setting": values}


def close_to(pixel, colour, tolerance=24):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


def temp_files(job, suffix):
    files = [name for name in job.temp_files() if name.endswith(suffix)]
    return files


def next_documents(scanner):
    return [status for method, path, status in scanner.requests if path.endswith("/NextDocument")]


class EditorTestCase(kit.PanelTestCase):
    def setUp(self):
        self.editor = standins.install_editor()

    def tearDown(self):
        super().tearDown()
        self.editor.unregister()


class NetworkJobs(EditorTestCase):
    def test_an_image_job_hands_the_network_page_to_the_editor(self):
        with escl_scanner.Scanner() as scanner:
            directory = jobkit.program("escl_image", network(scanner, image_settings()))
            job = jobkit.Job(directory)
            job.scan()
            record = self.editor.wait_records(1)[0]
            self.assertEqual(job.wait_end(), 0)
        (name,) = temp_files(job, ".JPG")
        self.assertTrue(record["image"].upper().endswith(name), record)
        with Image.open(directory / "TEMP" / name) as page:
            self.assertEqual(page.size, (850, 1100))  # Letter at 100 dpi
            self.assertTrue(close_to(page.getpixel((150, 150)), escl_scanner.PATCH), page.getpixel((150, 150)))
            self.assertTrue(close_to(page.getpixel((20, 20)), escl_scanner.PAPER))
        (asked,) = scanner.settings
        self.assertEqual((asked["source"], asked["mode"], asked["format"], asked["resolution"]),
                         ("Platen", "RGB24", "image/jpeg", 100))
        self.assertEqual((asked["x"], asked["y"], asked["width"], asked["height"]), (0, 0, 2550, 3300))
        # The page, then the scanner's word that the job has no more.
        self.assertEqual(next_documents(scanner), [200, 404])

    def test_a_mail_job_sends_the_network_page_as_jpeg(self):
        with escl_scanner.Scanner() as scanner, services.SmtpServer() as server:
            directory = jobkit.program("escl_mail", network(scanner, mail_settings(server)), active=kit.MAIL)
            job = jobkit.Job(directory)
            job.scan()
            self.assertEqual(job.wait_end(timeout=120), 0)
        (envelope,) = server.envelopes
        parts = mail_rig.attachments(mail_rig.parse(envelope.original_content))
        self.assertEqual([name.upper() for name, _ in parts], temp_files(job, ".JPG"))
        self.assertEqual(parts[0][1][:3], b"\xff\xd8\xff")

    def test_a_feeder_batch_of_three_goes_by_mail_as_one_pdf(self):
        with escl_scanner.Scanner(feeder=3) as scanner, services.SmtpServer(line_length_limit=4096) as server:
            settings = mail_settings(server, **{"Attach As": 1, "Scan Mode": 1})
            directory = jobkit.program("escl_feeder", network(scanner, settings), active=kit.MAIL)
            job = jobkit.Job(directory)
            job.scan()
            self.assertEqual(job.wait_end(timeout=180), 0)
        self.assertEqual(scanner.settings[0]["source"], "Feeder")
        self.assertEqual(scanner.settings[0]["mode"], "Grayscale8")
        # A4 from the feeder, as a TWAIN feeder reports it.
        self.assertEqual((scanner.settings[0]["width"], scanner.settings[0]["height"]), (2480, 3508))
        self.assertEqual(next_documents(scanner), [200, 200, 200, 404])
        (envelope,) = server.envelopes
        ((name, pdf),) = mail_rig.attachments(mail_rig.parse(envelope.original_content))
        self.assertTrue(name.upper().endswith(".PDF"), name)
        path = directory / "sent.pdf"
        path.write_bytes(pdf)
        info = subprocess.run(["pdfinfo", str(path)], capture_output=True, text=True).stdout
        self.assertRegex(info, r"Pages:\s+3\b")

    def test_auto_size_prescans_then_scans_just_the_document(self):
        # The document: 7.5 x 10 inches, 0.3 in from the left and 0.4 in from the top of the glass.
        document = (90, 120, 2250, 3000)
        with escl_scanner.Scanner(document=document) as scanner:
            # The upright frame as found (straightening widens it by some glass).
            settings = image_settings(**{"Document Size": jobkit.PAPERS.index("Auto"), "Straighten": 0})
            directory = jobkit.program("escl_auto", network(scanner, settings))
            job = jobkit.Job(directory)
            job.scan()
            self.editor.wait_records(1)
            self.assertEqual(job.wait_end(), 0)
        prescan, real = scanner.settings
        # The scanner's least resolution (75) for the 36 dpi prescan of the whole glass; the
        # page came down to 36 dpi, the prescan geometry the detection works in.
        self.assertEqual(prescan["resolution"], 75)
        self.assertEqual((prescan["width"], prescan["height"]), (2550, 3300))
        self.assertEqual(real["resolution"], 100)
        for found, expected in zip((real["x"], real["y"], real["width"], real["height"]), document):
            self.assertAlmostEqual(found, expected, delta=2 * 300 / 36)
        # The prescan's job was ended when the program let go of it; the prescan file is gone.
        self.assertEqual(len(scanner.deleted), 1)
        (name,) = job.temp_files()
        with Image.open(directory / "TEMP" / name) as page:
            self.assertAlmostEqual(page.size[0], 750, delta=8)
            self.assertAlmostEqual(page.size[1], 1000, delta=8)


class NetworkFaults(EditorTestCase):
    def test_stop_during_a_batch_cancels_the_scanners_job(self):
        # Each page takes the scanner three seconds.
        with escl_scanner.Scanner(feeder=3, slow=3) as scanner:
            directory = jobkit.program("escl_stop", network(scanner, image_settings()))
            job = jobkit.Job(directory)
            job.scan()
            self.editor.wait_records(1, timeout=60)
            progress = rig.driver("wait", "--title", "Scanning...", "--timeout", 30000, timeout=35).strip()
            _, texts = rig.window_texts("--hwnd", progress)
            self.assertIn("Scanning Page: 2", texts)
            pressed = time.time()
            rig.driver("press", "--hwnd", progress, "--text", "Stop Scanning")
            self.assertEqual(job.wait_end(timeout=20), 0)
            self.assertLess(time.time() - pressed, 5)
            self.assertEqual(len(scanner.deleted), 1, scanner.requests)
        self.assertEqual(len(self.editor.records()), 1)

    def cut_batch(self, name, words, **fault):
        """A feeder batch of three that the scanner cuts at page 2: page 1 reaches the editor,
        then the message with `words` and that the pages before were delivered."""
        with escl_scanner.Scanner(feeder=3, **fault) as scanner:
            directory = jobkit.program(name, network(scanner, image_settings()))
            job = jobkit.Job(directory)
            job.scan()
            self.editor.wait_records(1)
            hwnd, texts = kit.message_box(job.panel, "Scanning", timeout=40)
            text = " ".join(texts)
            self.assertIn(words, text)
            self.assertIn("pages scanned before have been delivered", text)
            kit.dismiss(hwnd)
            self.assertEqual(job.wait_end(), 0)
        self.assertEqual(len(self.editor.records()), 1)
        self.assertEqual(len(temp_files(job, ".JPG")), 1)

    def test_a_jam_at_page_two_keeps_page_one_and_says_so(self):
        self.cut_batch("escl_jam", "jammed in the scanner's document feeder", jam_at=2)

    def test_a_scanner_that_goes_away_mid_batch(self):
        self.cut_batch("escl_gone", "stopped answering during the scan", gone_at=2)

    def test_an_https_scanner_is_pinned_on_first_use_and_a_new_certificate_refused(self):
        first, second = (self.certificate("first"), self.certificate("second"))
        with escl_scanner.Scanner(secure=True, certificate=first) as scanner:
            directory = jobkit.program("escl_https", network(scanner, image_settings()))
            job = jobkit.Job(directory)
            job.scan()
            self.editor.wait_records(1)
            self.assertEqual(job.wait_end(), 0)
            port = scanner.port
        kept = rig.read_ini(directory / "Quendel.ini")["Scan Setting"]
        with open(first[0]) as pem:
            der = ssl.PEM_cert_to_DER_cert(pem.read())
        self.assertEqual(kept["Network Scanner Certificate"], hashlib.sha256(der).hexdigest())
        # Another certificate at the same address: refused, nothing scanned.
        with escl_scanner.Scanner(secure=True, certificate=second).start(port=port) as scanner:
            job = jobkit.Job(directory)
            job.scan()
            hwnd, texts = kit.message_box(job.panel, "Scanning", timeout=30)
            self.assertIn("another certificate than when it was chosen", " ".join(texts))
            kit.dismiss(hwnd)
            self.assertEqual(job.wait_end(), 0)
            self.assertEqual(scanner.settings, [])

    def certificate(self, name):
        folder = rig.WORK / "certificates"
        folder.mkdir(parents=True, exist_ok=True)
        cert, key = folder / (name + ".pem"), folder / (name + ".key")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                        "/CN=localhost", "-keyout", str(key), "-out", str(cert)], check=True, capture_output=True)
        return str(cert), str(key)


class ScannerChoice(EditorTestCase):
    def open_choice(self, panel):
        """The panel's context menu (a click of the right button on its background), its one
        item by its letter."""
        rig.driver("click", "--right", "--hwnd", panel.hwnd, *kit.NEUTRAL)
        menu = rig.driver("wait", "--class", "#32768", "--timeout", 10000, timeout=15).strip()
        rig.driver("keys", "--hwnd", menu, "s")
        return rig.driver("wait", "--title", "Choose the scanner", "--timeout", 20000, timeout=25).strip()

    def wait_status(self, dialog, start, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            _, texts = rig.window_texts("--hwnd", dialog)
            found = [t for t in texts if t.startswith(start)]
            if found:
                return found[0]
            time.sleep(0.3)
        raise AssertionError("no status %r: %r" % (start, texts))

    def pick(self, dialog, index):
        """Line `index` of the scanner list: a click on its first line, then the arrow key."""
        x, y = self.centre(dialog, "1001", top=True)
        rig.driver("click", "--hwnd", dialog, x, y)
        if index:
            rig.driver("keys", "--hwnd", dialog, "{DOWN}" * index)

    def test_a_scanner_found_on_the_network_is_chosen_kept_and_scanned_from(self):
        with escl_scanner.Scanner() as scanner:
            scanner.announce()
            directory = jobkit.program("escl_choice", image_settings())
            job = jobkit.Job(directory)
            dialog = self.open_choice(job.panel)
            self.assertEqual(self.wait_status(dialog, "Network scanners found"), "Network scanners found: 1")
            self.pick(dialog, 1)
            rig.driver("press", "--hwnd", dialog, "--text", "OK")
            rig.driver("wait", "--gone", "--hwnd", dialog, "--timeout", 10000)
            kept = rig.read_ini(directory / "Quendel.ini")["Scan Setting"]
            self.assertEqual(kept["Network Scanner"], scanner.root_url)
            self.assertEqual(kept["Network Scanner Name"], scanner.name)
            self.assertEqual(kept["Network Scanner UUID"], scanner.uuid)
            job.scan()
            self.editor.wait_records(1)
            self.assertEqual(job.wait_end(), 0)
            self.assertEqual(len(scanner.settings), 1)

    def test_a_scanner_added_by_address_is_checked_before_it_is_taken(self):
        with escl_scanner.Scanner(name="Lobby MF") as scanner:
            directory = jobkit.program("escl_address", image_settings())
            job = jobkit.Job(directory)
            dialog = self.open_choice(job.panel)
            rig.driver("click", "--hwnd", dialog, *self.centre(dialog, "1004"))
            rig.driver("keys", "--hwnd", dialog, "nowhere:1")
            rig.driver("press", "--hwnd", dialog, "--text", "Add by address...")
            hwnd, texts = kit.message_box(job.panel, "Scanning", timeout=30)
            self.assertIn("does not answer", " ".join(texts))
            kit.dismiss(hwnd)
            rig.driver("click", "--hwnd", dialog, *self.centre(dialog, "1004"))
            rig.driver("keys", "--hwnd", dialog, "{END}{SHIFT+HOME}{DELETE}127.0.0.1:%d" % scanner.port)
            rig.driver("press", "--hwnd", dialog, "--text", "Add by address...")
            time.sleep(1)
            rig.driver("press", "--hwnd", dialog, "--text", "OK")
            rig.driver("wait", "--gone", "--hwnd", dialog, "--timeout", 10000)
            kit.exit_panel(job.panel)
        kept = rig.read_ini(directory / "Quendel.ini")["Scan Setting"]
        self.assertEqual(kept["Network Scanner"], scanner.root_url)
        self.assertEqual(kept["Network Scanner Name"], "Lobby MF")  # from its capabilities
        self.assertEqual([r[1] for r in scanner.requests], ["/eSCL/ScannerCapabilities"])

    def centre(self, dialog, control, top=False):
        """A point of the dialog's control (its middle, or just below its top edge)."""
        for line in rig.driver("texts", "--hwnd", dialog).splitlines():
            fields = line.split("\t")
            if len(fields) >= 5 and fields[0] == control:
                x, y, width, height = (int(v) for v in fields[4].split(","))
                return x + width // 2, (y + 4 if top else y + height // 2)
        raise AssertionError("no control %s" % control)


if __name__ == "__main__":
    unittest.main()
