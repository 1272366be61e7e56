"""The settings pages' store under Wine: what SCAN writes to Quendel.ini, and each page's
refusal with its message (Mail addresses, Copy scaling, Image editor fallback, OCR program)."""

import unittest
from pathlib import Path

import panelkit as kit
import rig
from panelkit import SCAN

SCAN_CAPTION = "Scan Dialog box"
NO_RECIPIENT = "A message must have a recipient (To : field) ."
NO_SENDER = "A message must have a sender(From : field )."
EDITOR_MISSING = ("Image editing application does not exist.\\n\\n"
                  "Choose an image editing application before scanning.")
OCR_MISSING = "OCR engine can't be found. \\n\\n Please Install TextBridge."
APP_PATHS = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths"
OCR_20 = r"HKCU\Software\Xerox\TextBridge\Classic 2.0\TextBridge"
OCR_96 = r"HKCU\Software\Xerox\TextBridge\Classic 96\TextBridge"
# The clean-up key of the Mail page and the keys its choices are stored under.
MAIL_CLEANUP = 5066
CLEANUP_KEYS = ["Straighten", "Each Document", "Deskew", "Leave Out Blank"]


def section(directory, name):
    return rig.read_ini(Path(directory) / "Quendel.ini").get(name, {})


class MailPage(kit.PanelTestCase):
    def test_recipient_then_sender_are_required_but_not_the_server(self):
        directory = kit.program("pages_mail", quendel={"Active_Dlg": {"Active_ID": "1003"}})
        panel = kit.start(directory)
        kit.scan_and_expect(panel, "Velmora", NO_RECIPIENT)
        self.assertEqual(section(directory, "Mail Setting"), {})
        kit.type_into(5011, "you@example.org")
        kit.scan_and_expect(panel, "Velmora", NO_SENDER)
        self.assertEqual(section(directory, "Mail Setting"), {})
        kit.type_into(5012, "me@example.org")
        kit.type_into(5017, "70000")
        kit.scan_and_expect(panel, "Velmora", "The port must be a number from 1 to 65535.")
        self.assertEqual(section(directory, "Mail Setting"), {})
        kit.type_into(5017, "2525")
        kit.scan_stores_and_ends(panel)
        self.assertEqual(section(directory, "Mail Setting"),
                         {"Mail From": "me@example.org", "Mail To": "you@example.org", "SMTP": "", "SMTP Port": "2525",
                          "SMTP Security": "0", "SMTP User": "", "OAuth Provider": "0", "Attach As": "0",
                          "Scan Mode": "1", "Resolution": "0", "Document Size": "0",
                          "Straighten": "1", "Each Document": "0", "Deskew": "0", "Leave Out Blank": "0"})
        self.assertEqual(section(directory, "Active_Dlg"), {"Active_ID": "1003"})
        # An earlier success does not let an empty recipient through.
        panel = kit.start(directory)
        kit.type_into(5011, "")
        kit.scan_and_expect(panel, "Velmora", NO_RECIPIENT)
        self.assertEqual(section(directory, "Mail Setting")["Mail To"], "you@example.org")
        self.assertEqual(kit.exit_panel(panel), 0)


    def test_the_clean_up_key_toggles_its_choices_by_mouse_and_keyboard(self):
        directory = kit.program("pages_mail_cleanup", quendel={
            "Active_Dlg": {"Active_ID": "1003"},
            "Mail Setting": {"Mail To": "you@example.org", "Mail From": "me@example.org", "Each Document": "1"}})
        panel = kit.start(directory)
        # Keys alone: Shift+Tab from the first button enters the page at its last control, the
        # key; Space opens the menu and its fourth entry, Leave out blank pages, is turned on.
        rig.driver("keys", "--hwnd", panel.hwnd, "{SHIFT+TAB}{SPACE}{DOWN}{DOWN}{DOWN}{DOWN}{ENTER}")
        # A click opens it too: Straighten is turned off.
        kit.click_control(MAIL_CLEANUP)
        rig.driver("keys", "--hwnd", panel.hwnd, "{DOWN}{ENTER}")
        kit.scan_stores_and_ends(panel)
        stored = section(directory, "Mail Setting")
        self.assertEqual([stored[key] for key in CLEANUP_KEYS], ["0", "1", "0", "1"])

    def test_the_edit_mail_button_opens_the_mail_library_editor(self):
        postlib = "dist" if (rig.DIST / "Postlib.dll").exists() else "stub"
        directory = kit.program("pages_mail_edit", quendel={"Active_Dlg": {"Active_ID": "1003"}}, postlib=postlib)
        panel = kit.start(directory)
        kit.click_control(5013)
        if postlib == "dist":
            editor = rig.driver("wait", "--pid", panel.pid, "--title", "E-mail setting", "--timeout", 20000).strip()
            rig.driver("press", "--hwnd", editor, "--text", "Cancel")
            rig.driver("wait", "--gone", "--hwnd", editor, "--timeout", 10000)
        self.assertIsNone(panel.poll())
        self.assertEqual(kit.exit_panel(panel), 0)


class CopyPage(kit.PanelTestCase):
    def test_scaling_zero_is_stored_as_30_and_large_values_as_typed(self):
        directory = kit.program("pages_copy", quendel={"Active_Dlg": {"Active_ID": "1001"},
                                                       "Copy Setting": {"Output device": "Office"}})
        panel = kit.start(directory)
        kit.type_into(2010, "0")
        kit.scan_stores_and_ends(panel)
        stored = section(directory, "Copy Setting")
        self.assertEqual(list(stored), ["Output device", "Scan Mode", "Resolution", "Document Size", "Scaling",
                                        "Copies", "Center Vertical", "Center Horizontal"] + CLEANUP_KEYS)
        self.assertEqual(stored, {"Output device": "Office", "Scan Mode": "1", "Resolution": "0",
                                  "Document Size": "0", "Scaling": "30", "Copies": "1",
                                  "Center Vertical": "0", "Center Horizontal": "0", "Straighten": "1",
                                  "Each Document": "0", "Deskew": "0", "Leave Out Blank": "0"})
        panel = kit.start(directory)
        kit.type_into(2010, "1500")
        kit.scan_stores_and_ends(panel)
        self.assertEqual(section(directory, "Copy Setting")["Scaling"], "1500")
        # Text that is no integer is refused; the last good value is stored again.
        panel = kit.start(directory)
        kit.type_into(2010, "12x")
        kit.scan_and_expect(panel, "pages_copy", "Please enter an integer.")
        # The page stores then, and the job starts with the last good value.
        self.assertEqual(rig.wait_exit(panel.proc, timeout=30), 0)
        self.assertEqual(section(directory, "Copy Setting")["Scaling"], "1500")


    def test_a_language_library_names_the_centring_boxes(self):
        german = {"CaseInfo": {"DSSectionName": "VS600"}, "VS600": {"LANGUAGE": "German"}}
        directory = kit.program("pages_copy_german", quendel={"Active_Dlg": {"Active_ID": "1001"}},
                                description=german)
        panel = kit.start(directory)
        _, texts = rig.window_texts("--hwnd", panel.hwnd)
        self.assertIn("Vertikal zentrieren", texts)
        self.assertIn("Horizontal zentrieren", texts)
        self.assertEqual(kit.strip_lines(kit.shot())[:1], ["Kopieren"])
        self.assertEqual(kit.exit_panel(panel), 0)


    def test_check_boxes_repaint_on_the_page_background(self):
        directory = kit.program("pages_copy_boxes", quendel={"Active_Dlg": {"Active_ID": "1001"}})
        panel = kit.start(directory)
        left, top, right, bottom = kit.control_rect(2004)
        text = (left + 20, top, right, bottom)
        before = kit.shot().crop(text)
        for _ in range(4):
            kit.move(left + 8, (top + bottom) // 2)
            kit.down(left + 8, (top + bottom) // 2)
            kit.up(left + 8, (top + bottom) // 2)
        kit.type_into(2010, "100")  # takes the focus (and its frame) off the box
        kit.move(*kit.NEUTRAL)
        self.assertLess(kit.difference(kit.shot().crop(text), before), 0.5)
        self.assertEqual(kit.exit_panel(panel), 0)


class ImagePage(unittest.TestCase):
    def setUp(self):
        self.editor = rig.WORK / "editors" / "Ipe.exe"
        self.editor.parent.mkdir(parents=True, exist_ok=True)
        self.editor.write_bytes(b"MZ")
        kit.reg("add", APP_PATHS + r"\Ipe.exe", "/ve", "/d", rig.wine_path(self.editor))

    def tearDown(self):
        rig.kill_started()
        kit.reg("delete", APP_PATHS + r"\Ipe.exe")

    def test_a_vanished_known_editor_falls_back_to_the_registered_one(self):
        directory = kit.program("pages_image_ipe", quendel={
            "Scan Setting": {"ImageAp": r"Z:\nowhere\ipe.exe", "FileName": "ipe.exe"}})
        panel = kit.start(directory)
        kit.scan_stores_and_ends(panel)
        stored = section(directory, "Scan Setting")
        self.assertEqual(stored["ImageAp"], rig.wine_path(self.editor))
        self.assertEqual(stored["FileName"], "ipe.exe")

    def test_any_other_vanished_editor_fails_after_the_lists_are_written(self):
        directory = kit.program("pages_image_other", quendel={
            "Scan Setting": {"ImageAp": r"Z:\nowhere\paint.exe", "FileName": "paint.exe"}})
        panel = kit.start(directory)
        kit.scan_and_expect(panel, SCAN_CAPTION, EDITOR_MISSING)
        stored = section(directory, "Scan Setting")
        self.assertEqual(stored["ImageAp"], r"Z:\nowhere\paint.exe")
        self.assertEqual((stored["Scan Mode"], stored["Resolution"], stored["Document Size"]), ("1", "0", "0"))
        self.assertEqual(kit.exit_panel(panel), 0)


    def test_browser_starts_in_the_editor_folder_and_takes_the_chosen_program(self):
        (self.editor.parent / "Paint.exe").write_bytes(b"MZ")
        directory = kit.program("pages_image_browse", quendel={
            "Scan Setting": {"ImageAp": rig.wine_path(self.editor.parent / "gone.exe"), "FileName": "gone.exe"}})
        panel = kit.start(directory)
        kit.click_control(6004)
        dialog = rig.driver("wait", "--title", "Open", "--pid", panel.pid, "--timeout", 20000).strip()
        caption, texts = rig.window_texts("--hwnd", dialog)
        self.assertIn("*.EXE", texts)
        self.assertIn("editors", texts)
        rig.driver("keys", "--hwnd", dialog, "{END}{SHIFT+HOME}Paint.exe{ENTER}")
        rig.driver("wait", "--gone", "--hwnd", dialog, "--timeout", 10000)
        kit.scan_stores_and_ends(panel)
        stored = section(directory, "Scan Setting")
        self.assertEqual(stored["ImageAp"].upper(), rig.wine_path(self.editor.parent / "Paint.exe").upper())
        self.assertEqual(stored["FileName"], "Paint.exe")


class OcrPage(unittest.TestCase):
    def setUp(self):
        self.tb20 = rig.WORK / "textbridge20"
        self.tb96 = rig.WORK / "textbridge96"
        for path in (self.tb20, self.tb96 / "bin"):
            path.mkdir(parents=True, exist_ok=True)
        (self.tb20 / "bin" / "tb.exe").unlink(missing_ok=True)
        (self.tb96 / "bin" / "tb96.exe").write_bytes(b"MZ")
        kit.reg("add", OCR_20, "/v", "TBInstall", "/d", rig.wine_path(self.tb20) + "\\")
        kit.reg("add", OCR_96, "/v", "TBInstall", "/d", rig.wine_path(self.tb96) + "\\")

    def tearDown(self):
        rig.kill_started()
        for key in (OCR_20, OCR_96):
            rig.run(["reg", "delete", key, "/f"])

    def test_the_newer_key_without_its_program_fails_without_trying_the_older(self):
        directory = kit.program("pages_ocr", quendel={"Active_Dlg": {"Active_ID": "1004"}})
        panel = kit.start(directory)
        kit.scan_and_expect(panel, SCAN_CAPTION, OCR_MISSING)
        # The page's own choices are kept as its lists are.
        # (a section without the clean-up keys gets their defaults: Deskew on for OCR).
        self.assertEqual(section(directory, "Ocr Setting"), {
            "Resolution": "0", "Document Size": "0", "Save As": "0", "Straighten": "1", "Each Document": "0",
            "Deskew": "1", "Leave Out Blank": "0"})
        # Without the newer key the older installation is found.
        kit.reg("delete", OCR_20)
        kit.scan_stores_and_ends(panel)


if __name__ == "__main__":
    unittest.main()
