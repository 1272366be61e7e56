"""The Japanese edition's OCR button under Wine: it starts Selvora.exe from its App Paths
entry and ends the panel, or reports the missing program and leaves the panel as it was."""

import time
import unittest

import panelkit as kit
import rig
from panelkit import IMAGE, OCR

SELVORA_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Selvora.exe"
JAPANESE = {"CaseInfo": {"DSSectionName": "VS600"}, "VS600": {"LANGUAGE": "japanese"}}


class JapaneseOcr(unittest.TestCase):
    def tearDown(self):
        rig.kill_started()
        rig.run(["reg", "delete", SELVORA_KEY, "/f"])

    def test_missing_selvora_is_reported_and_the_panel_stays(self):
        rig.run(["reg", "delete", SELVORA_KEY, "/f"])
        directory = kit.program("japanese_no_selvora", description=JAPANESE)
        panel = kit.start(directory)
        self.assertTrue((directory / "dsk_lj.dll").exists())
        kit.click_button(OCR)
        hwnd, texts = kit.message_box_any(panel)
        self.assertEqual(len(texts), 1, texts)
        kit.dismiss(hwnd)
        kit.move(*kit.NEUTRAL)
        # The box's area and the tooltip are repainted a moment after the box goes.
        deadline = time.time() + 5
        while True:
            try:
                faces = kit.destination_faces(kit.shot())
                break
            except AssertionError:
                if time.time() > deadline:
                    raise
                time.sleep(0.3)
        self.assertEqual((faces[OCR], faces[IMAGE]), ("normal", "pressed"))
        self.assertEqual(kit.visible_page(), IMAGE)
        self.assertIsNone(panel.poll())
        self.assertEqual(kit.exit_panel(panel), 0)

    def test_registered_selvora_is_started_and_the_panel_ends(self):
        record = rig.WORK / "selvora_record.txt"
        record.unlink(missing_ok=True)
        selvora = rig.wine_path(rig.TOOLS / "recordargs.exe")
        kit.reg("add", SELVORA_KEY, "/ve", "/d", selvora)
        directory = kit.program("japanese_selvora", description=JAPANESE)
        panel = kit.start(directory, env={"ORVANE_RECORD_FILE": rig.wine_path(record)})
        kit.click_button(OCR)
        self.assertEqual(rig.wait_exit(panel.proc), 0)
        for _ in range(100):
            if record.exists() and record.read_text().strip():
                break
            time.sleep(0.1)
        self.assertEqual(record.read_text().strip().upper(), selvora.upper())


if __name__ == "__main__":
    unittest.main()
