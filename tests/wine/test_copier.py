"""Copy and Fax from a real click on SCAN: the virtual scanner's page goes through Capturo,
is filed in TEMP and printed through Wine's spooler on cups-pdf queues; each printed page is
rasterised and the scanned image found on it, where and as large as the placement rules say.
The default printer from before the job is back afterwards; a printer that is not installed
is reported and leaves the default alone."""

import unittest

import panelkit as kit
import print_rig
from print_rig import PAPER_INCHES, PAPERS, PrintPrefixCase
import rig


def copy_settings(paper, **keys):
    settings = {"Output device": "Copier", "Document Size": str(PAPERS.index(paper)), "Resolution": "1",
                "Scan Mode": "2", "Scaling": "100", "Copies": "1", "Center Vertical": "0", "Center Horizontal": "0"}
    settings.update(keys)
    return settings


class CopierJobs(PrintPrefixCase):
    def scan(self, name, active, copy=None, fax=None, scanner=None, read_status=False):
        """Runs one job from SCAN to the program's end; returns (directory, status lines)."""
        print_rig.install_scanner(**(scanner or {}))
        directory = print_rig.copier_program(name, active, copy, fax)
        panel = kit.start(directory, title=print_rig.PANEL_TITLE)
        kit.click_button(kit.SCAN)
        lines = print_rig.status_lines(panel.pid) if read_status else None
        self.assertEqual(rig.wait_exit(panel.proc, 900), 0)
        return directory, lines

    def test_a_small_page_centred_in_two_copies(self):
        _, lines = self.scan("copier_centred", kit.COPY, read_status=True, copy=copy_settings(
            "A5", Copies="2", **{"Center Vertical": "1", "Center Horizontal": "1"}))
        self.assertIn("On Copier", lines)
        self.assertIn("Page 1", lines)
        width, height = PAPER_INCHES["A5"]
        left, top, page_width, page_height = self.printable()
        (box,) = self.printed_boxes("Copier", 1)
        self.assertPlaced(box, (left + (page_width - width) / 2, top + (page_height - height) / 2, width, height))
        self.assertEqual(self.cups.job_copies()[-1], 2)
        self.assertDefaultBack()

    def test_a_page_larger_than_the_paper_is_fitted(self):
        self.scan("copier_fitted", kit.COPY, copy=copy_settings("A4", **{"Center Vertical": "1"}))
        width, height = PAPER_INCHES["A4"]
        left, top, page_width, page_height = self.printable()
        scale = int(min(page_width / width, page_height / height) * 100) / 100
        (box,) = self.printed_boxes("Copier", 1)
        # The page is not taller than the unscaled image: no centring.
        self.assertPlaced(box, (left, top, width * scale, height * scale))
        self.assertDefaultBack()

    def test_fax_prints_at_natural_size_whatever_the_scaling(self):
        self.scan("copier_fax", kit.FAX, copy={"Scaling": "50", "Copies": "1"},
                  fax={"Output device": "Team-Fax", "Document Size": str(PAPERS.index("A5")), "Resolution": "0"})
        width, height = PAPER_INCHES["A5"]
        left, top, _, _ = self.printable()
        (box,) = self.printed_boxes("Team-Fax", 1)
        self.assertPlaced(box, (left, top, width, height))
        self.assertEqual(self.cups.pdfs("Copier"), [])
        self.assertDefaultBack()

    def test_a_feeder_batch_of_three_prints_three_files(self):
        directory, _ = self.scan("copier_feeder", kit.COPY, scanner={"FeederPages": 3},
                                 copy=copy_settings("A4", Resolution="0"))
        pdfs = self.cups.wait_pdfs("Copier", 3)
        self.assertEqual(len(pdfs), 3)
        filed = print_rig.temp_files(directory)
        self.assertEqual(len(filed), 3, filed)
        # Each job is named after the file it printed.
        self.assertEqual(sorted(print_rig.pdf_title(pdf) for pdf in pdfs), filed)
        self.assertDefaultBack()

    def test_a_printer_that_is_not_installed_is_reported_and_the_default_kept(self):
        print_rig.install_scanner()
        directory = print_rig.copier_program("copier_gone", kit.COPY, copy_settings("A5", **{"Output device": "Gone"}))
        panel = kit.start(directory, title=print_rig.PANEL_TITLE)
        kit.click_button(kit.SCAN)
        message = print_rig.message(panel.pid)
        self.assertEqual(message, ['The printer "Gone" is not available.\\n\\nChoose another printer on the '
                                   "settings page."])
        self.assertDefaultBack()
        print_rig.dismiss(panel.pid)
        self.assertEqual(rig.wait_exit(panel.proc, 300), 0)
        self.assertDefaultBack()
        self.assertNothingPrinted()


if __name__ == "__main__":
    unittest.main()
