"""The front panel under Wine: the destination it opens with, the faces and label strip under
real pointer input, page switching, EXIT, HELP, INFO, and Enter and Escape (EXIT)."""

import re
import time
import unittest

import panelkit as kit
import rig
from panelkit import COPY, EXIT, FAX, HELP, IMAGE, INFO, MAIL, OCR, SCAN

SC_SIZE, SC_MOVE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE, SC_RESTORE = 0xF000, 0xF010, 0xF020, 0xF030, 0xF060, 0xF120


class Opening(kit.PanelTestCase):
    def test_stored_mail_opens_pressed_with_its_page_and_label(self):
        directory = kit.program("panel_open_mail", quendel={"Active_Dlg": {"Active_ID": "1003"}})
        panel = kit.start(directory)
        image = kit.shot()
        self.assertEqual(kit.destination_faces(image),
                         {IMAGE: "normal", COPY: "normal", FAX: "normal", MAIL: "pressed", OCR: "normal"})
        self.assertEqual(kit.visible_page(), MAIL)
        self.assertEqual(image.getpixel(kit.PAGE_ORIGIN), kit.art("MAILBK").getpixel((0, 0)))
        lines = kit.strip_lines(image)
        self.assertEqual(lines[:1], ["E-Mail"], lines)
        self.assertEqual(kit.exit_panel(panel), 0)

    def test_client_area_is_the_background_and_the_system_menu_is_trimmed(self):
        panel = kit.start(kit.program("panel_frame"))
        self.assertEqual(kit.shot().size, kit.art("PATTERN").size)
        items = [line.split("\t") for line in rig.driver("menu", "--hwnd", panel.hwnd).splitlines()]
        commands = [int(item[1]) for item in items]
        self.assertEqual(commands[:3], [SC_RESTORE, SC_MOVE, SC_MINIMIZE])
        for gone in (SC_CLOSE, SC_SIZE, SC_MAXIMIZE):
            self.assertNotIn(gone, commands)
        # Only Wine's own "About Wine" (with its separator) may follow.
        self.assertLessEqual(len([c for c in commands[3:] if c != 0]), 1, items)
        self.assertEqual(kit.exit_panel(panel), 0)

    def test_values_outside_the_destinations_select_image(self):
        for stored in ("1005", "999", "-3"):
            with self.subTest(stored):
                directory = kit.program("panel_open_" + stored, quendel={"Active_Dlg": {"Active_ID": stored}})
                panel = kit.start(directory)
                image = kit.shot()
                self.assertEqual(kit.face_shown(image, IMAGE), "pressed")
                self.assertEqual(kit.visible_page(), IMAGE)
                self.assertEqual(image.getpixel(kit.PAGE_ORIGIN), kit.art("IMAGEBK").getpixel((0, 0)))
                self.assertEqual(kit.exit_panel(panel), 0)


class Pointer(kit.PanelTestCase):
    def test_pointing_at_scan_names_the_active_job_and_the_strip_is_repainted(self):
        directory = kit.program("panel_scan_label", quendel={"Active_Dlg": {"Active_ID": "1002"}})
        panel = kit.start(directory)
        before = kit.shot()
        self.assertEqual(kit.strip_lines(before)[:1], ["Fax"])
        kit.move(*kit.centre(SCAN))
        hovered = kit.shot()
        self.assertEqual(kit.face_shown(hovered, SCAN), "hover")
        self.assertEqual(kit.strip_lines(hovered), ["Scan", "Faxes the image"])
        kit.move(*kit.NEUTRAL)
        after = kit.shot()
        self.assertEqual(kit.face_shown(after, SCAN), "normal")
        # The strip is drawn on fresh background each time: back to the very same pixels.
        self.assertEqual(kit.difference(kit.strip_region(before), kit.strip_region(after)), 0)
        self.assertEqual(kit.exit_panel(panel), 0)

    def test_press_leave_return_and_release(self):
        directory = kit.program("panel_press")
        panel = kit.start(directory)
        copy = kit.centre(COPY)
        kit.move(*copy)
        kit.down(*copy)
        faces = kit.destination_faces(kit.shot())
        self.assertEqual((faces[COPY], faces[IMAGE]), ("pressed", "normal"))
        kit.move(*kit.NEUTRAL)
        faces = kit.destination_faces(kit.shot())
        self.assertEqual((faces[COPY], faces[IMAGE]), ("normal", "pressed"))
        kit.move(*copy)
        faces = kit.destination_faces(kit.shot())
        self.assertEqual((faces[COPY], faces[IMAGE]), ("pressed", "normal"))
        kit.up(*copy)
        kit.move(*kit.NEUTRAL)
        image = kit.shot()
        faces = kit.destination_faces(image)
        self.assertEqual((faces[COPY], faces[IMAGE]), ("pressed", "normal"))
        self.assertEqual(kit.visible_page(), COPY)
        self.assertEqual(image.getpixel(kit.PAGE_ORIGIN), kit.art("COPYBK").getpixel((0, 0)))

        # Released outside the buttons, or over another one: nothing happens.
        fax = kit.centre(FAX)
        kit.move(*fax)
        kit.down(*fax)
        kit.move(*kit.NEUTRAL)
        kit.up(*kit.NEUTRAL)
        kit.move(*fax)
        kit.down(*fax)
        kit.move(*kit.centre(MAIL))
        kit.up(*kit.centre(MAIL))
        kit.move(*kit.NEUTRAL)
        faces = kit.destination_faces(kit.shot())
        self.assertEqual(faces, {IMAGE: "normal", COPY: "pressed", FAX: "normal", MAIL: "normal", OCR: "normal"})
        self.assertEqual(kit.visible_page(), COPY)
        self.assertEqual(kit.exit_panel(panel), 0)


    def test_page_buttons_name_themselves_and_the_page_names_the_destination(self):
        panel = kit.start(kit.program("panel_page_buttons", quendel={"Active_Dlg": {"Active_ID": "1001"}}))
        left, top, right, bottom = kit.control_rect(2015)
        kit.move((left + right) // 2, (top + bottom) // 2)
        self.assertEqual(kit.strip_lines(kit.shot()), ["Printer", "Printer properties and setup"])
        # Over the page's own background the strip names the active destination again.
        kit.move(kit.PAGE_ORIGIN[0] + 150, kit.PAGE_ORIGIN[1] + 230)
        self.assertEqual(kit.strip_lines(kit.shot()), ["Copy", "Scans and prints the image or document."])
        self.assertEqual(kit.exit_panel(panel), 0)

    def test_every_button_has_its_tooltip(self):
        panel = kit.start(kit.program("panel_tooltips"))
        # Each tip names the button's access key (OCR reads a lone capital unreliably: the
        # letters themselves are checked through the accessibility probe, which has them from
        # the same table).
        for button, text in ((IMAGE, "Scan to image editing application"), (MAIL, "E-mail"), (SCAN, "Scan"),
                             (HELP, "Help"), (INFO, "Information")):
            with self.subTest(text):
                self.assertRegex(kit.tooltip_text(panel, button), "^" + re.escape(text) + r" \(Alt\+.\)$")
                kit.move(*kit.NEUTRAL)
                time.sleep(0.3)
        self.assertEqual(kit.exit_panel(panel), 0)


class Buttons(kit.PanelTestCase):
    def test_switching_pages_writes_nothing_and_exit_ends_the_program(self):
        directory = kit.program("panel_switch", quendel={"Mail Setting": {"Mail To": "a@b"}})
        settings = directory / "Quendel.ini"
        written = settings.read_bytes()
        panel = kit.start(directory)
        for button in (COPY, FAX, MAIL, OCR, IMAGE, MAIL):
            kit.click_button(button)
            self.assertEqual(kit.visible_page(), button)
        self.assertEqual(kit.exit_panel(panel), 0)
        self.assertEqual(settings.read_bytes(), written)

    def test_enter_presses_the_focused_button_and_escape_is_exit(self):
        directory = kit.program("panel_keys")
        panel = kit.start(directory)
        hwnd = panel.hwnd
        # A fresh panel's focus is on Image, the destination already chosen: Enter keeps it.
        rig.driver("keys", "--hwnd", hwnd, "{ENTER}")
        time.sleep(0.5)
        self.assertIsNone(panel.poll(), "the panel ended on Enter")
        self.assertEqual(kit.visible_page(), IMAGE)
        self.assertIn(hwnd.lower(), [w[0].lower() for w in rig.top_windows()])
        rig.driver("keys", "--hwnd", hwnd, "{ESC}")
        self.assertEqual(rig.wait_exit(panel.proc), 0)

    def test_help_runs_the_help_command(self):
        record = rig.WORK / "panel_help_record.txt"
        record.unlink(missing_ok=True)
        viewer = rig.wine_path(rig.TOOLS / "recordargs.exe")
        directory = kit.program("panel_help", description={"Velmora": {"Help": "guide", "Helper": viewer}})
        panel = kit.start(directory, env={"ORVANE_RECORD_FILE": rig.wine_path(record)})
        kit.click_button(HELP)
        for _ in range(100):
            if record.exists() and record.read_text().strip():
                break
            time.sleep(0.1)
        self.assertEqual(record.read_text().strip().upper(), (viewer + " guide_e.hlp").upper())
        self.assertEqual(kit.exit_panel(panel), 0)

    def test_info_shows_the_about_box_with_the_version_upper_cased(self):
        directory = kit.program("panel_info", description={"Velmora": {"Ver": "v2.1b", "Model": "FB-600"}})
        panel = kit.start(directory, title="FB-600")
        kit.click_button(INFO, title="FB-600")
        deadline = time.time() + 20
        about = []
        while not about and time.time() < deadline:
            about = [w for w in rig.top_windows() if w[3] == "FB-600" and w[2] == "#32770"
                     and w[1] == panel.pid and w[0].lower() != panel.hwnd.lower()]
            time.sleep(0.2)
        self.assertTrue(about, rig.top_windows())
        text = " ".join(kit.ocr_window(about[0][0]))
        self.assertIn("V2.1B", text.replace(" ", "").upper().replace("V2.IB", "V2.1B"))
        self.assertNotIn("v2.1b", text)
        rig.driver("press", "--hwnd", about[0][0], "--text", " OK ")
        self.assertEqual(kit.exit_panel(panel), 0)


if __name__ == "__main__":
    unittest.main()
