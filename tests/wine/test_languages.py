"""Each of the twelve languages under Wine, in its own code page: LANGUAGE in the description
file selects the language's library and the label strip shows that library's text for SCAN in
real glyphs; the texts of the label strip, the settings pages and the progress window fit the
room the layout gives them."""

import unittest

from PIL import Image

import language_rig as lrig
import panelkit as kit
import rig
from panelkit import COPY, FAX, IMAGE, MAIL, OCR, SCAN

STRIP_LEFT, STRIP_WIDTH, STRIP_HEIGHT = 6, 400, 41
STRIP_COLOUR = "515151"
# Label strip lines: titles in the 22-pixel font, descriptions in the 14-pixel one.
STRIP_TITLES = list(range(1034, 1043)) + [2015, 4007, 5013, 6004]
STRIP_DESCRIPTIONS = [1052, 1053, 1054, 1055, 1056, 1058, 1059, 1060] + list(range(1067, 1076))
# Page titles: 24 pixels, centred in a 141-pixel band and never left of x = 2.
PAGE_TITLES, TITLE_BAND = [1034, 1035, 1036, 1037, 1038], 141 - 2 * 2
PAGE_FONT = 14
# Each page's painted labels and the field each one leads to.
PAGE_ROWS = {
    IMAGE: [(6001, 6006), (6002, 6007), (6003, 6008)],
    COPY: [(2000, 2007), (2001, 2008), (2002, 2009), (2003, 2010)],
    FAX: [(4003, 4005), (4002, 4004)],
    MAIL: [(5001, 5007), (5002, 5008), (5003, 5009), (5025, 5026), (5004, 5010), (5005, 5011), (5006, 5012),
           (5014, 5015), (5016, 5017), (5018, 5019), (5020, 5021)],
    OCR: [(3002, 3004), (3001, 3003), (3005, 3006)],
}
MODE_LISTS, MODE_NAMES = (6007, 2008, 5008), (1022, 1023, 1024)
PAPER_LISTS, PAPER_AUTO = (6006, 2007, 4005, 5007, 3004), 1018
# The lists of fixed choices (Attach As, Save As) and their entries.
CHOICE_LISTS = {5026: (5027, 5028, 5029), 3006: (3007, 3008, 5080)}
CHOICE_NAMES = [name for names in CHOICE_LISTS.values() for name in names]
CHECK_BOXES = (2004, 2005)
# The clean-up check boxes (Image, Fax and OCR pages): Straighten beside Each document, then
# Deskew and Leave out blank pages each on a row of its own.
CLEANUP_ROWS = ((5060, 5061), (5062,), (5063,))
PAGE_WIDTH = 293
ADDRESS_FIELDS, ADDRESS_ROOM = (5010, 5011, 5012), 100
# The clean-up key of the Copy and Mail pages (its face 5064) lies in the title strip between
# the title's tab and the destination's sign, in the page's own pixels.
CLEANUP_KEYS, CLEANUP_FACE, CLEANUP_ROOM = (5065, 5066), 5064, (141, 258)
# The Mail page's security list (its localised choice "None"), port field and Test key.
SECURITY_LIST, SECURITY_NONE, PORT_FIELD, PORT_ROOM, TEST_KEY, TEST_CHROME = 5015, 5023, 5017, 40, 5022, 8
# A closed list shows its text between its edge and its drop button; a check box's text
# starts after the box.
LIST_CHROME, CHECK_BOX_CHROME = 28, 20
# The progress window: caption, text line, stop button.
PROGRESS_DIALOG, PROGRESS_TEXTS = 242, {0: 6015, 1062: 6016, 1059: 6017}
COMPRESSING = 6005
PAGE_LABELS = [label for rows in PAGE_ROWS.values() for label, _ in rows]
PAGE_PROBES_IMAGE = kit.PAGE_PROBES[IMAGE]


class Languages(kit.PanelTestCase):
    @classmethod
    def setUpClass(cls):
        lrig.ensure_fonts()

    def check_language(self, folder):
        lang = lrig.language(folder)
        library = rig.DIST / (lang.libraries["program"] + ".dll")
        english = rig.DIST / "Orvane.exe"
        directory, title = lrig.program(lang, "lang_" + folder.replace("-", "_"))
        scratch = directory / "checks"
        scratch.mkdir()
        pattern = kit.art("PATTERN")
        pattern.crop((0, pattern.height - STRIP_HEIGHT, STRIP_WIDTH, pattern.height)).save(scratch / "strip.bmp")
        rig.start([directory / "Orvane.exe"], env=lrig.environment(lang))

        # One Wine process measures, draws the expected strip and inspects the panel.
        session = lrig.Session(lang, scratch)
        titles = session.measure(library, 22, STRIP_TITLES)
        descriptions = session.measure(library, 14, STRIP_DESCRIPTIONS)
        page_titles = session.measure(library, 24, PAGE_TITLES)
        page_texts = session.measure(library, PAGE_FONT, PAGE_LABELS + list(CHECK_BOXES) + [b for row in CLEANUP_ROWS for b in row] + list(MODE_NAMES)
                                     + [PAPER_AUTO, SECURITY_NONE, TEST_KEY, CLEANUP_FACE] + CHOICE_NAMES)
        progress = session.dialog(library, PROGRESS_DIALOG, PROGRESS_TEXTS)
        compressing = session.dialog(english, PROGRESS_DIALOG, {1062: COMPRESSING})
        lines = [(22, STRIP_LEFT, 0, 1039), (14, STRIP_LEFT, 22, 1067)]
        own = session.render(library, scratch / "strip.bmp", scratch / "own.bmp", STRIP_COLOUR, lines)
        other = session.render(english, scratch / "strip.bmp", scratch / "english.bmp", STRIP_COLOUR, lines)
        panel = ["--title", title, "--class", "#32770"]
        session.driver("wait", *panel, "--timeout", 300000)
        controls = session.driver("texts", *panel)
        session.driver("move", *panel, *kit.centre(SCAN))
        session.sleep(2000)
        shot = session.driver("shot", *panel, "--client", rig.wine_path(scratch / "panel.bmp"))
        out, errors = session.run()
        failed = [n for n, (rc, _) in out.items() if rc != 0]
        self.assertEqual(failed, [], errors)

        with self.subTest("label strip"):
            self.fit(lang, out[titles][1], STRIP_WIDTH - STRIP_LEFT)
            self.fit(lang, out[descriptions][1], STRIP_WIDTH - STRIP_LEFT)
        with self.subTest("page titles"):
            self.fit(lang, out[page_titles][1], TITLE_BAND)
        with self.subTest("progress window"):
            fits = lrig.dialog_fits(out[progress][1])
            self.assertEqual(sorted(fits), sorted(PROGRESS_TEXTS))
            wrong = ["control %d: %d pixels, the room %d%s" % (control, width, room, "" if whole else ", not whole")
                     for control, (width, room, whole) in fits.items() if width > room or not whole]
            self.assertEqual(wrong, [])
            width, room, _ = lrig.dialog_fits(out[compressing][1])[1062]
            self.assertLessEqual(width, room, "the compression notice")
        with self.subTest("SCAN in the label strip"):
            strip = kit.strip_region(Image.open(scratch / "panel.bmp").convert("RGB"))
            expected = Image.open(scratch / "own.bmp").convert("RGB")
            self.assertLess(kit.difference(strip, expected), 0.5)
            self.assertGreater(kit.difference(strip, Image.open(scratch / "english.bmp").convert("RGB")), 2)
        with self.subTest("page layout"):
            found = lrig.control_rects(out[controls][1])
            self.assertTrue(found[PAGE_PROBES_IMAGE][4], "the Image page is not the one shown")
            self.check_pages(found, self.fit(lang, out[page_texts][1], None))
        self.assertTrue(out[shot][0] == 0 and out[own][0] == 0 and out[other][0] == 0)

    def fit(self, lang, lines, room):
        """The measured strings' widths; each must be whole in its code page, have every glyph
        and fit `room` (all that do not are named at once)."""
        sizes = lrig.measured(lines)
        self.assertTrue(sizes, lines)
        wrong = []
        for string, (width, _, lossless, missing) in sizes.items():
            if not lossless:
                wrong.append("string %d does not fit code page %d" % (string, lang.codepage))
            if missing:
                wrong.append("string %d: %d characters without a glyph" % (string, missing))
            if room is not None and width > room:
                wrong.append("string %d is %d pixels wide, the room %d" % (string, width, room))
        self.assertEqual(wrong, [])
        return {string: size[0] for string, size in sizes.items()}

    def check_pages(self, found, labels):
        wrong = []
        for page, rows in PAGE_ROWS.items():
            for label, field in rows:
                left, right = found[field][0], found[field][2]
                # The label's text ends before its field starts, and the field keeps a width.
                if found[label][0] + labels[label] > left:
                    wrong.append("label %d runs into %d" % (label, field))
                if right - left <= LIST_CHROME:
                    wrong.append("field %d has no room left" % field)
        choices = [((control,), names) for control, names in CHOICE_LISTS.items()]
        for lists, names in [(MODE_LISTS, MODE_NAMES), (PAPER_LISTS, (PAPER_AUTO,)),
                             ((SECURITY_LIST,), (SECURITY_NONE,))] + choices:
            for control in lists:
                room = found[control][2] - found[control][0] - LIST_CHROME
                wrong += ["list %d cuts string %d (%d > %d)" % (control, name, labels[name], room)
                          for name in names if labels[name] > room]
        for box in CHECK_BOXES + tuple(b for row in CLEANUP_ROWS for b in row):
            room = found[box][2] - found[box][0] - CHECK_BOX_CHROME
            if labels[box] > room:
                wrong.append("check box %d cuts its text (%d > %d)" % (box, labels[box], room))
        page_right = kit.PAGE_ORIGIN[0] + PAGE_WIDTH
        wrong += ["check box %d passes the page's edge" % box for row in CLEANUP_ROWS for box in row
                  if found[box][2] > page_right]
        for row in CLEANUP_ROWS:
            for left, right in zip(row, row[1:]):
                if found[left][2] > found[right][0]:
                    wrong.append("check box %d runs into %d" % (left, right))
        for field in ADDRESS_FIELDS:
            if found[field][2] - found[field][0] < ADDRESS_ROOM:
                wrong.append("address field %d is %d wide" % (field, found[field][2] - found[field][0]))
        if found[PORT_FIELD][2] - found[PORT_FIELD][0] < PORT_ROOM:
            wrong.append("the port field is %d wide" % (found[PORT_FIELD][2] - found[PORT_FIELD][0]))
        if labels[TEST_KEY] > found[TEST_KEY][2] - found[TEST_KEY][0] - TEST_CHROME:
            wrong.append("the Test key cuts its text")
        for key in CLEANUP_KEYS:
            left, right = found[key][0] - kit.PAGE_ORIGIN[0], found[key][2] - kit.PAGE_ORIGIN[0]
            if labels[CLEANUP_FACE] > right - left - TEST_CHROME:
                wrong.append("clean-up key %d cuts its text" % key)
            if left < CLEANUP_ROOM[0] or right > CLEANUP_ROOM[1]:
                wrong.append("clean-up key %d leaves the title strip's room (%d..%d)" % (key, left, right))
        self.assertEqual(wrong, [])


def _language_test(folder):
    return lambda self: self.check_language(folder)


for _lang in lrig.LANGUAGES:
    setattr(Languages, "test_" + _lang.folder.replace("-", "_").lower(), _language_test(_lang.folder))


if __name__ == "__main__":
    unittest.main()
