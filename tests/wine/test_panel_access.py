"""The front panel without a mouse: keys sent with SendInput walk the painted buttons and press
them (a mail job started from the keyboard alone reaches the server), and what a screen reader
learns through Active Accessibility: every button's name in the interface language, its role
and its state, and the titles of the panel and its page."""

import unittest

import jobkit
import language_rig
import panelkit as kit
import rig
import services
from panelkit import COPY, IMAGE, MAIL

PUSH_BUTTON, CLIENT = "43", "10"
ENGLISH = ["Scan to image editing application", "Copy", "Fax", "E-mail", "OCR", "Scan", "Exit", "Help",
           "Information"]
JAPANESE = ["画像編集アプリケーションにスキャン", "コピー", "FAX", "電子メール", "OCR (文字認識)", "スキャン", "終了",
            "ヘルプ", "バージョン情報"]
SHORTCUTS = ["Alt+I", "Alt+C", "Alt+F", "Alt+M", "Alt+O", "Alt+S", "Alt+X", "Alt+H", "Alt+N"]


def face_rect(button):
    x, y = kit.POSITIONS[button]
    face = kit.art(kit.NAMES[button])
    return x, y, x + face.width, y + face.height


def face_within_cue(image, button, inset=8):
    """The face a button shows, judged inside the ring of the focus cue."""
    left, top, right, bottom = face_rect(button)
    region = image.crop((left + inset, top + inset, right - inset, bottom - inset))
    scores = {}
    for face, suffix in (("normal", ""), ("hover", "F"), ("pressed", "D")):
        art = kit.art(kit.NAMES[button] + suffix)
        scores[face] = kit.difference(region, art.crop((inset, inset, art.width - inset, art.height - inset)))
    best = min(scores, key=scores.get)
    assert scores[best] < 2, scores
    return best


def keys(panel, text):
    rig.driver("keys", "--hwnd", panel.hwnd, text)


def accessible(hwnd, *extra):
    """{"self": fields, 1..9: fields, "windows": [fields]} of the probe's lines (name, role,
    states, shortcut)."""
    found = {"windows": []}
    for line in rig.driver("access", "--hwnd", hwnd, *extra).splitlines():
        fields = line.split("\t")
        if fields[0] == "self":
            found["self"] = fields[1:]
        elif fields[0] == "child" and fields[1].isdigit():
            found[int(fields[1])] = fields[2:]
        elif fields[0] == "window":
            found["windows"].append(fields[2:])
    return found


class Keyboard(kit.PanelTestCase):
    def test_tab_to_mail_enter_tab_to_scan_enter_runs_the_mail_job(self):
        jobkit.scanner()
        with services.SmtpServer() as server:
            settings = {"Mail Setting": {"SMTP": server.address, "Mail From": "scanner@example.com",
                                         "Mail To": "desk@example.com", "Resolution": 0}}
            directory = jobkit.program("keys_mail", settings, active=IMAGE)
            job = jobkit.Job(directory)
            # The first button (Image) has the focus; three Tabs lead to Mail.
            keys(job.panel, "{TAB}{TAB}{TAB}{ENTER}")
            self.assertEqual(kit.visible_page(), MAIL)
            self.assertEqual(face_within_cue(kit.shot(), MAIL), "pressed")
            keys(job.panel, "{TAB}{TAB}{ENTER}")
            self.assertEqual(job.wait_end(timeout=120), 0)
        self.assertEqual(len(server.envelopes), 1)
        self.assertEqual(server.envelopes[0].rcpt_tos, ["desk@example.com"])

    def test_arrows_shift_tab_the_page_escape_and_access_keys(self):
        panel = kit.start(kit.program("keys_walk"))
        before = kit.shot()
        # Down moves among the destinations (Copy), Space presses; the cue shows on the button.
        keys(panel, "{DOWN}{SPACE}")
        self.assertEqual(kit.visible_page(), COPY)
        shown = kit.shot()
        # Until a key is used no cue shows (the panel looks as it always did); then it marks the
        # focused button, which still shows its own face.
        self.assertEqual(kit.difference(before.crop(face_rect(IMAGE)), kit.art("IMAGED")), 0)
        self.assertGreater(kit.difference(shown.crop(face_rect(COPY)), kit.art("COPYD")), 5)
        self.assertEqual(face_within_cue(shown, COPY), "pressed")
        # Up from Image goes round to OCR; Shift+Tab from Image enters the page at its last
        # control and Tab leaves it for Image again.
        keys(panel, "{UP}{UP}")
        self.assertIn("focused", accessible(panel.hwnd)[5][2])
        keys(panel, "{DOWN}{SHIFT+TAB}")
        found = accessible(panel.hwnd)
        self.assertEqual([n for n in range(1, 10) if "focused" in found[n][2]], [])
        keys(panel, "{TAB}")
        self.assertIn("focused", accessible(panel.hwnd)[1][2])
        # An access key presses its button from anywhere: Alt+M chooses Mail.
        keys(panel, "{ALT+M}")
        self.assertEqual(kit.visible_page(), MAIL)
        # Escape is EXIT.
        keys(panel, "{ESC}")
        self.assertEqual(rig.wait_exit(panel.proc), 0)


class ScreenReader(kit.PanelTestCase):
    def check_buttons(self, hwnd, names):
        found = accessible(hwnd, "--windows")
        for number, name in enumerate(names, 1):
            with self.subTest(name):
                self.assertEqual(found[number][:2], [name, PUSH_BUTTON])
                self.assertEqual(found[number][3], SHORTCUTS[number - 1])
        return found

    def test_every_painted_button_has_its_name_role_and_state(self):
        panel = kit.start(kit.program("access_english", quendel={"Active_Dlg": {"Active_ID": "1003"}}))
        found = self.check_buttons(panel.hwnd, ENGLISH)
        self.assertEqual(found["self"][:2], [panel.title, CLIENT])
        # Mail is the active destination; the first button has the keyboard focus.
        self.assertEqual(found[4][2], "selected,focusable,selectable")
        self.assertEqual(found[1][2], "focused,focusable,selectable")
        self.assertEqual(found[6][2], "focusable")
        # The window that holds the focus for the buttons answers with the panel's object.
        self.assertEqual(found["windows"][0], [panel.title, CLIENT, "focusable", ""])
        # The shown page is named by its destination.
        self.assertIn("E-Mail", [window[0] for window in found["windows"]], found["windows"])
        self.assertEqual(kit.exit_panel(panel), 0)

    def test_the_names_are_in_the_interface_language(self):
        lang = language_rig.language("ja")
        language_rig.ensure_fonts()
        directory, title = language_rig.program(lang, "access_japanese")
        panel = kit.start(directory, title=title, env=language_rig.environment(lang))
        found = self.check_buttons(panel.hwnd, JAPANESE)
        self.assertEqual(found["self"][0], title)
        self.assertEqual(kit.exit_panel(panel), 0)


if __name__ == "__main__":
    unittest.main()
