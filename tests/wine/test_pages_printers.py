"""The Copy and Fax pages against real printer lists: Wine prefixes made over a CUPS scheduler
of our own with no queue, with a fax queue as default, and with 25 queues."""

import unittest
from pathlib import Path

import panelkit as kit
import printers
import rig

DRIVER_NOT_SET = "Fax or Printer driver setting is empty .\\n\\nPlease adjust the settings !"
WINDOWS_KEY = r"HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows"


def section(directory, name):
    return rig.read_ini(Path(directory) / "Quendel.ini").get(name, {})


class PrinterPrefix(unittest.TestCase):
    """Runs the class's tests in a prefix of their own; `queues` are (name, default) pairs."""

    queues = None

    @classmethod
    def setUpClass(cls):
        cls.cups = None
        if cls.queues is not None:
            cls.cups = printers.CupsServer(cls.__name__.lower()).start()
            for name, default in cls.queues:
                cls.cups.add(name, default)
        cls.env = printers.make_prefix(cls.__name__.lower(), cls.cups)
        printers.use_prefix(cls.env)

    @classmethod
    def tearDownClass(cls):
        printers.drop_prefix(cls.env)
        if cls.cups:
            cls.cups.stop()

    def tearDown(self):
        rig.kill_started()


class NoPrinter(PrinterPrefix):
    def test_copy_and_fax_refuse_to_store_without_a_printer(self):
        self.assertEqual(printers.printer_list(), [])
        for active, name in (("1001", "Copy Setting"), ("1002", "Fax Setting")):
            with self.subTest(name):
                title = "printers_none_%s" % active
                directory = kit.program(title, quendel={"Active_Dlg": {"Active_ID": active}})
                panel = kit.start(directory)
                kit.scan_and_expect(panel, title, DRIVER_NOT_SET)
                self.assertEqual(section(directory, name), {})
                self.assertEqual(kit.exit_panel(panel), 0)


class FaxDefault(PrinterPrefix):
    queues = [("Office", False), ("Team-Fax", True)]

    def test_a_fax_default_printer_wins_over_the_stored_device(self):
        self.assertEqual(printers.printer_list(), ["Office", "Team-Fax"])
        directory = kit.program("printers_fax_default", quendel={
            "Active_Dlg": {"Active_ID": "1002"}, "Fax Setting": {"Output device": "Office"}})
        panel = kit.start(directory)
        kit.scan_stores_and_ends(panel)
        self.assertEqual(section(directory, "Fax Setting"),
                         {"Output device": "Team-Fax", "Resolution": "0", "Document Size": "0", "Straighten": "1",
                          "Each Document": "0", "Deskew": "0", "Leave Out Blank": "0"})
        # The Copy page takes the default printer's name, without driver and port.
        panel = kit.start(directory)
        kit.click_button(kit.COPY)
        kit.scan_stores_and_ends(panel)
        self.assertEqual(section(directory, "Copy Setting")["Output device"], "Team-Fax")

    def test_without_a_fax_default_the_first_fax_queue_is_taken(self):
        kit.reg("add", WINDOWS_KEY, "/v", "Device", "/d", "Office,wineps.drv,CUPS:Office")
        try:
            directory = kit.program("printers_fax_list", quendel={"Active_Dlg": {"Active_ID": "1002"}})
            panel = kit.start(directory)
            kit.scan_stores_and_ends(panel)
            self.assertEqual(section(directory, "Fax Setting")["Output device"], "Team-Fax")
        finally:
            kit.reg("add", WINDOWS_KEY, "/v", "Device", "/d", "Team-Fax,wineps.drv,CUPS:Team-Fax")


    def test_the_printer_dialog_chooses_printer_and_copies_and_cancel_keeps_them(self):
        directory = kit.program("printers_dialog", quendel={
            "Active_Dlg": {"Active_ID": "1001"}, "Copy Setting": {"Output device": "Office"}})
        panel = kit.start(directory)
        dialog = open_printer_dialog(panel)
        rig.driver("keys", "--hwnd", dialog, "{ALT+C}3")
        rig.driver("press", "--hwnd", dialog, "--text", "OK")
        kit.scan_stores_and_ends(panel)
        stored = section(directory, "Copy Setting")
        self.assertEqual((stored["Output device"], stored["Copies"]), ("Team-Fax", "3"))
        panel = kit.start(directory)
        dialog = open_printer_dialog(panel)
        rig.driver("keys", "--hwnd", dialog, "{ALT+C}7")
        rig.driver("press", "--hwnd", dialog, "--text", "Cancel")
        rig.driver("wait", "--gone", "--hwnd", dialog, "--timeout", 10000)
        kit.scan_stores_and_ends(panel)
        self.assertEqual(section(directory, "Copy Setting")["Copies"], "3")


def open_printer_dialog(panel):
    """Clicks the Copy page's "Printer" button; returns the print dialog's window."""
    kit.click_control(2015)
    return rig.driver("wait", "--title", "Print", "--pid", panel.pid, "--timeout", 20000).strip()


class ManyPrinters(PrinterPrefix):
    # 25 queues; the only fax queue is the 21st.
    queues = [("Queue%02d%s" % (n, "Fax" if n == 21 else ""), n == 1) for n in range(1, 26)]

    def test_only_the_first_twenty_printers_are_looked_at(self):
        listed = printers.printer_list()
        self.assertEqual(len(listed), 25)
        self.assertEqual(listed.index("Queue21Fax"), 20)
        directory = kit.program("printers_many", quendel={"Active_Dlg": {"Active_ID": "1002"}})
        panel = kit.start(directory)
        kit.scan_and_expect(panel, "printers_many", DRIVER_NOT_SET)
        self.assertEqual(section(directory, "Fax Setting"), {})
        self.assertEqual(kit.exit_panel(panel), 0)



if __name__ == "__main__":
    unittest.main()
