"""The view's printing through Wine's spooler to real cups-pdf queues, run by the print host
(the cases a scan never makes): the first page of a text file, a page that cannot be read
(with the status window's texts), a job cancelled in the status window, and a queue that the
platform lists but CUPS no longer has. The previous default printer is back after each."""

import unittest

import print_rig
from print_rig import PrintPrefixCase
import rig


def program(name, device="Copier"):
    directory = rig.make_program_dir(name, capturo="stub", postlib="stub")
    rig.write_ini(directory / "Quendel.ini", {"Copy Setting": {"Output device": device, "Copies": "1"}})
    return directory


def job_file(name, data):
    path = rig.WORK / "print-files" / name
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)
    return path


class HostedJobs(PrintPrefixCase):
    def test_only_the_first_page_of_a_text_file_is_printed(self):
        text = job_file("NOTES.TXT", b"".join(b"line %03d\tend\r\n" % n for n in range(1, 301)) + b"last")
        result = print_rig.print_host(program("print_text"), "copy", text)
        self.assertIn("RESULT 0", result.stdout, result.stderr)
        (pdf,) = self.cups.wait_pdfs("Copier", 1)
        self.assertEqual(print_rig.page_count(pdf), 1)
        printed = print_rig.text_of(pdf)
        self.assertRegex(printed, r"line 001\s+end")
        # How many lines fit depends on the printer's font; a page holds dozens, never all 300.
        self.assertIn("line 020", printed)
        self.assertNotIn("line 300", printed)
        self.assertNotIn("last", printed)
        self.assertDefaultBack()

    def test_an_unreadable_page_is_reported_under_the_status_window_and_nothing_printed(self):
        bad = job_file("BAD.BMP", b"BM" + b"\xff" * 100)
        host = print_rig.print_host(program("print_bad"), "copy", bad, wait=False)
        message = print_rig.message()
        lines = print_rig.status_lines()
        self.assertIn("On Copier", lines)
        self.assertIn("Cancel", lines)
        # The imaging component may refuse the file when asked what it is, or when loading it.
        self.assertIn(message, (["failed to load Bitmap file!"], ["The page could not be printed."]))
        print_rig.dismiss()
        self.assertEqual(rig.wait_exit(host, 300), 5)  # withdrawn
        self.assertDefaultBack()
        self.assertNothingPrinted()

    def test_cancel_in_the_status_window_ends_the_job_without_printing(self):
        # A page large enough that spooling it takes a while, so that Cancel can be pressed.
        large = print_rig.write_bmp(rig.WORK / "print-files" / "LARGE.BMP", 5100, 6600, 600)
        host = print_rig.print_host(program("print_cancel"), "copy", large, wait=False)
        rig.driver("press", *print_rig.dialog("Cancel"), "--text", "Cancel", "--timeout", 180000, timeout=190)
        self.assertEqual(rig.wait_exit(host, 600), 4)  # cancelled
        self.assertDefaultBack()
        self.assertNothingPrinted()

    def test_a_queue_gone_from_cups_is_reported_and_leaves_nothing_behind(self):
        image = print_rig.write_bmp(rig.WORK / "print-files" / "SMALL.BMP", 300, 300, 100)
        host = print_rig.print_host(program("print_vanished", "Vanished"), "copy", image, wait=False)
        message = print_rig.message()
        self.assertIn(message, (['The printer "Vanished" is not available.\\n\\nChoose another printer on the '
                                 'settings page.'], ["The page could not be printed."]))
        print_rig.dismiss()
        self.assertIn(rig.wait_exit(host, 300), (1, 2, 3))  # no printer, refused or failed
        self.assertDefaultBack()
        self.assertNothingPrinted("Vanished")


if __name__ == "__main__":
    unittest.main()
