"""Capturo's interface and negotiation under Wine: the busy and cancel flags, showUI, refused
capabilities and mechanisms, native and file pages, sources that keep failing, the close
request, the information text and the German language library."""

import time
import unittest

import rig
import scan_rig
from scan_rig import capability_calls, log_lines, run_host

ICAP_XFERMECH, ICAP_PLANARCHUNKY = 0x0103, 0x1120
ICAP_XRESOLUTION, ICAP_YRESOLUTION = 0x1118, 0x1119
ICAP_BRIGHTNESS, ICAP_CONTRAST, ICAP_IMAGEFILEFORMAT = 0x1101, 0x1103, 0x110C


class SessionTest(unittest.TestCase):
    def setUp(self):
        self.dir = scan_rig.host_dir("session_" + self._testMethodName)

    def tearDown(self):
        scan_rig.reset_scanner()

    def scan(self, *args, **settings):
        scan_rig.install_scanner(**settings)
        return run_host(self.dir, "--res", "50", "--frame", "1,1,3,3", *args)

    def sets(self):
        return {cap: fields for msg, cap, fields in capability_calls() if msg == "SET"}

    # The operations and the library's flags

    def test_second_acquire_is_refused_and_the_first_goes_on(self):
        run = self.scan("--second-acq")
        self.assertIn("BOX Scanning|Twain DS already open !", run.lines)
        self.assertIn("ACQ2 rc=0", run.lines)
        self.assertEqual(len(run.results()), 1)
        self.assertTrue((self.dir / "out" / "page1.bmp").exists())
        self.assertEqual(len([line for line in log_lines() if "OPENDS" in line]), 1)

    def test_endxfer_without_a_source_returns_failure_and_the_next_acquire_clears_the_flag(self):
        run = self.scan("--endxfer-first")
        self.assertEqual(run.lines[1], "ENDXFER rc=1")
        self.assertEqual(run.results()[0]["more"], "0")
        self.assertTrue((self.dir / "out" / "page1.bmp").exists())

    def test_init_while_busy_changes_nothing(self):
        run = self.scan("--reinit")
        panel = run.starting("PANEL")[0].split()[1].split("=")[1]
        self.assertIn("REINIT", run.lines)
        self.assertEqual(run.starting("CLOSED"), ["CLOSED hwnd=" + panel])
        disable = [line for line in log_lines() if "DISABLEDS" in line]
        self.assertEqual(len(disable), 1)
        self.assertIn("parent=" + panel, disable[0])

    def test_before_any_acquisition_no_message_is_a_source_event(self):
        scan_rig.install_scanner()
        run = run_host(self.dir, "--process-first", "--no-acquire")
        self.assertIn("PROCESS rc=0", run.lines)

    def test_a_missing_manager_library_is_reported(self):
        scan_rig.install_scanner()
        run = run_host(self.dir, "--select", env_extra={"WINEDLLOVERRIDES": "mscoree,mshtml=;twain_32="})
        self.assertEqual(run.starting("BOX"), ["BOX Scanning|TWAIN_32.DLL Load failure !"] * 2)
        self.assertIn("SELECT rc=1", run.lines)
        self.assertIn("ACQ rc=0 sizeCode=0", run.lines)

    def test_choosing_the_source_in_the_managers_dialog(self):
        scan_rig.install_scanner()
        run = run_host(self.dir, "--select", "--no-acquire")
        self.assertIn("SELECT rc=0", run.lines)
        self.assertTrue([line for line in run.starting("BOX") if "Orvane" not in line])
        run = run_host(self.dir, "--select", "--no-acquire", "--cancel-dialogs")
        self.assertIn("SELECT rc=3", run.lines)

    def test_terminate_while_idle_does_nothing(self):
        scan_rig.install_scanner()
        run = run_host(self.dir, "--no-acquire", "--terminate-twice")
        self.assertFalse(run.starting("CLOSED"))
        self.assertEqual(log_lines(), [])

    def test_show_ui_touches_only_the_transfer_mechanism(self):
        run = self.scan("--showui", "1", UiAutoScan=300)
        enable = [line for line in log_lines() if "ENABLEDS" in line and "DISABLEDS" not in line]
        self.assertIn("showui=1", enable[0])
        self.assertEqual({cap for _, cap, _ in capability_calls()}, {ICAP_XFERMECH, ICAP_PLANARCHUNKY})
        self.assertEqual([m for m, c, _ in capability_calls() if c == ICAP_PLANARCHUNKY], ["GET"])
        self.assertFalse([line for line in log_lines() if "IMAGELAYOUT" in line])
        self.assertEqual(len(run.results()), 1)

    def test_the_sources_own_dialog_scans_and_cancels(self):
        for button, expect_page in (("Scan", True), ("Cancel", False)):
            scan_rig.install_scanner()
            program = rig.start([self.dir / "scanhost.exe", "--showui", "1", "--res", "50", "--timeout", "40"],
                                cwd=self.dir)
            try:
                hwnd = rig.driver("wait", "--title", "Orvane Virtual Scanner", "--class", "#32770", "--timeout", 30000,
                                  timeout=35).strip()
                rig.driver("press", "--hwnd", hwnd, "--text", button)
                self.assertEqual(rig.wait_exit(program, timeout=40), 0)
                lines = program.stdout.read().splitlines()
            finally:
                rig.kill_started()
                # The next round must not find this round's dialog on its way out.
                rig.driver("wait", "--title", "Orvane Virtual Scanner", "--class", "#32770", "--gone")
            self.assertEqual(any(line.startswith("RESULT mech=2") for line in lines), expect_page, lines)
            self.assertTrue([line for line in lines if line.startswith("CLOSED")])
            if not expect_page:
                self.assertIn("SIGNAL CLOSEDSREQ rc=0", log_lines())

    # Negotiation

    def test_refused_x_resolution_sends_no_y_resolution(self):
        self.scan(RefuseCaps="0x1118")
        calls = [(m, c) for m, c, _ in capability_calls()]
        self.assertIn(("SET", ICAP_XRESOLUTION), calls)
        self.assertNotIn(("SET", ICAP_YRESOLUTION), calls)

    def test_brightness_and_contrast_in_thousandths(self):
        self.scan("--brightness", "128", "--contrast", "-1")
        sets = self.sets()
        self.assertEqual((sets[ICAP_BRIGHTNESS]["type"], sets[ICAP_BRIGHTNESS]["value"]), ("2", "1000"))
        self.assertEqual(sets[ICAP_CONTRAST]["value"], "-7")
        self.scan("--brightness", "-128", "--contrast", "127")
        sets = self.sets()
        self.assertEqual(sets[ICAP_BRIGHTNESS]["value"], "-1000")
        self.assertEqual(sets[ICAP_CONTRAST]["value"], "992")

    # Mechanisms

    def test_a_source_refusing_memory_and_reporting_native_acquires_natively(self):
        run = self.scan(RefuseMechs=2, CurrentMech=0)
        [result] = run.results()
        self.assertEqual((result["mech"], result["handle"], result["path"]), ("0", "yes", ""))
        self.assertTrue(run.starting("NATIVE bytes=%d" % (40 + 100 * 100 * 3)))
        self.assertIn(("GET", ICAP_XFERMECH), [(m, c) for m, c, _ in capability_calls()])
        self.assertTrue([line for line in log_lines() if "IMAGENATIVEXFER GET rc=6" in line])

    def test_file_transfer_writes_the_source_file(self):
        run = self.scan(RefuseMechs=2, CurrentMech=1)
        [result] = run.results()
        # Beside the memory-transfer pages, in TEMP beside the library (not the root of C:).
        page = rig.wine_path(self.dir) + "\\TEMP\\TWN00000.TIF"
        self.assertEqual((result["mech"], result["format"], result["path"]), ("1", "0", page))
        setup = [line for line in log_lines() if "SETUPFILEXFER SET" in line]
        self.assertIn("file=%s format=0" % page, setup[0])
        self.assertIn(("GET", ICAP_IMAGEFILEFORMAT), [(m, c) for m, c, _ in capability_calls()])
        data = (self.dir / "out" / "page1.tif").read_bytes()
        self.assertEqual(data[:4], b"II*\0")
        self.assertEqual(len(data), 194 + 100 * 100 * 3)

    def test_an_enumeration_with_too_few_items_is_not_read_past_its_end(self):
        # Two items where the third is read: the current one (native) is taken.
        run = self.scan(RefuseMechs=2, CurrentMech=0, **{"Enum_0x0103": "0 1"})
        self.assertEqual(run.results()[0]["mech"], "0")
        # Three items: the third one counts (file).
        run = self.scan(RefuseMechs=2, CurrentMech=0, **{"Enum_0x0103": "0 0 1"})
        self.assertEqual(run.results()[0]["mech"], "1")

    # Sources that fail

    def test_a_source_whose_image_information_keeps_failing_ends_the_loop(self):
        run = self.scan(FailImageInfo=1000)
        self.assertEqual(run.results(), [{}])
        self.assertTrue(run.starting("CLOSED"))
        self.assertNotIn("TIMEOUT", run.lines)
        self.assertLessEqual(len([line for line in log_lines() if "IMAGEINFO" in line]), 3)

    def test_failing_image_information_skips_a_page_of_a_batch(self):
        run = self.scan(FailImageInfo=1, FeederPages=3)
        self.assertEqual([r["more"] for r in run.results()], ["1", "0"])

    def test_native_pages_that_keep_failing_are_bounded(self):
        run = self.scan(RefuseMechs=2, FailTransfers=1000, FeederPages=5)
        results = run.results()
        self.assertEqual(results[-1], {})
        self.assertTrue(all(r.get("handle") == "no" for r in results[:-1]))
        self.assertLessEqual(len([line for line in log_lines() if "IMAGENATIVEXFER" in line]), 3)
        self.assertNotIn("TIMEOUT", run.lines)

    def test_a_failed_native_attempt_is_tried_again(self):
        run = self.scan(RefuseMechs=2, FailTransfers=1, FeederPages=2)
        self.assertEqual([r["handle"] for r in run.results()], ["no", "yes"])

    def test_a_failing_strip_ends_the_page_without_a_file(self):
        run = self.scan(Preferred=4096, FailAtStrip=2)
        self.assertEqual(run.results(), [{}])
        self.assertFalse((self.dir / "TEMP" / "TWN00000.BMP").exists())
        self.assertTrue(run.starting("CLOSED"))

    def test_a_strip_claiming_more_rows_than_its_buffer_writes_nothing(self):
        run = self.scan(Preferred=4096, OverrunAtStrip=2)
        self.assertEqual(run.results(), [{}])
        self.assertFalse((self.dir / "TEMP" / "TWN00000.BMP").exists())

    def test_the_close_request_closes_everything(self):
        run = self.scan(CloseRequest=1)
        self.assertEqual(run.results(), [])
        self.assertEqual(len(run.starting("CLOSED")), 1)
        log = log_lines()
        self.assertIn("SIGNAL CLOSEDSREQ rc=0", log)
        self.assertTrue([line for line in log if "DISABLEDS" in line])
        self.assertTrue([line for line in log if "CLOSEDS rc=0" in line])

    # Information text and language

    def test_information_text_of_the_default_source(self):
        scan_rig.install_scanner(Info="21002AB")
        run = run_host(self.dir, "--info", "--no-acquire")
        self.assertIn("INFO Ready\\nVirtual Flatbed\\n1.00\\nInstalled\\nAB\\n", run.lines)
        scan_rig.install_scanner(Info="01000")
        run = run_host(self.dir, "--info", "--no-acquire")
        self.assertIn("INFO Not ready\\nVirtual Flatbed\\n1.00\\nNot installed\\n", run.lines)

    def test_information_text_clears_the_busy_flag(self):
        scan_rig.install_scanner()
        run = run_host(self.dir, "--info")
        self.assertIn("ACQ rc=1 sizeCode=0", run.lines)

    def test_german_language_library(self):
        directory = scan_rig.host_dir("session_german", extra=["Scan_lg.dll"])
        rig.write_ini(directory / "scanner.ini", {"CaseInfo": {"DSSectionName": "ZR7"}, "ZR7": {"Language": "german"}})
        rig.write_ini(directory / "Quendel.ini", {"Scan Setting": {"Path": rig.wine_path(directory / "scanner.ini")}})
        scan_rig.install_scanner(Info="21002")
        run = run_host(directory, "--second-acq", "--info", "--res", "50", "--frame", "1,1,2,2")
        self.assertIn("BOX Scannen|Die TWAIN-Quelle ist bereits geöffnet!", run.lines)
        self.assertIn("INFO Bereit\\nVirtual Flatbed\\n1.00\\nInstalliert\\n", run.lines)

    def test_orvane_gets_past_the_binding_with_the_real_library(self):
        directory = rig.make_program_dir("session_orvane_binding", capturo="dist", postlib="stub")
        program = rig.start([directory / "Orvane.exe"], cwd=directory)
        try:
            deadline = time.time() + 30
            while time.time() < deadline and not any(w[2] == "#32770" for w in rig.top_windows()):
                time.sleep(0.5)
            self.assertIsNone(program.poll())
            self.assertTrue(any(w[2] == "#32770" for w in rig.top_windows()))
        finally:
            rig.kill_started()


if __name__ == "__main__":
    unittest.main()
