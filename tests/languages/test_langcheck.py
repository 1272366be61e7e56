"""The language-library checker finds what a translator can get wrong: missing, empty or
surplus strings, lost format directives and accelerators, texts glued to the text before them,
English left behind, characters the language's code page cannot show, and dialogs whose layout
was changed; and the resource reader refuses a damaged file."""

import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "langcheck"))
import langcheck  # noqa: E402
import peresources  # noqa: E402
from peresources import Dialog, DialogItem  # noqa: E402

PROGRAM = langcheck.DELIVERABLES[0]
MAIL = langcheck.DELIVERABLES[1]


def problems(english, translated, codepage=1252, may_stay=False):
    return langcheck.text_problems("string 1", english, translated, codepage, may_stay)


class TextRules(unittest.TestCase):
    def test_a_faithful_translation_passes(self):
        self.assertEqual(problems('The printer "%s" is not available.', "Der Drucker „%s“ ist nicht verfügbar."), [])
        self.assertEqual(problems("Scanning...", "スキャン中...", 932), [])

    def test_format_directives_must_match_in_kind_and_order(self):
        self.assertTrue(problems("Page %d of %s", "Seite %s von %d"))
        self.assertTrue(problems("Page %d", "Seite"))
        self.assertTrue(problems("100 %", "100 %d"))
        self.assertEqual(problems("%-5.2f%%", "%-5.2f %%"), [])

    def test_accelerators_are_kept_once(self):
        self.assertTrue(problems("&Scan", "Scannen"))
        self.assertTrue(problems("&Scan", "&Sc&annen"))
        self.assertEqual(problems("&Scan", "Sc&annen"), [])
        self.assertEqual(problems("Fax && Scan", "Fax && Scannen"), [])

    def test_a_text_appended_to_another_keeps_its_separation(self):
        self.assertTrue(problems(" Load failure !", "konnte nicht geladen werden!"))
        self.assertEqual(problems(" Load failure !", " : échec du chargement !"), [])
        self.assertEqual(problems(" Load failure !", ": caricamento non riuscito."), [])

    def test_an_opening_quote_that_the_program_closes_stays(self):
        self.assertTrue(problems('Send file "', "Sende Datei "))
        self.assertEqual(problems('Send file "', 'Sende Datei "'), [])

    def test_english_left_behind_is_reported_unless_it_may_stay(self):
        self.assertTrue(problems("Scans the image", "Scans the image"))
        self.assertEqual(problems("Scans the image", "Scans the image", may_stay=True), [])
        # Texts without letters are not language.
        self.assertEqual(problems(">>", ">>"), [])

    def test_empty_text_is_reported(self):
        self.assertTrue(problems("Printer", ""))
        self.assertTrue(problems("Printer", "   "))

    def test_characters_outside_the_code_page_are_reported(self):
        self.assertTrue(problems("Gray", "灰度", 1252))
        self.assertTrue(problems("Scan", "스캔", 932))
        self.assertEqual(problems("Scan", "스캔", 949), [])
        self.assertTrue(problems("Printer", "Skrivare\u2192", 1252))

    def test_verbatim_text_must_be_identical(self):
        mime = "Content-Transfer-Encoding: base64"
        self.assertEqual(langcheck.text_problems("string 112", mime, mime, 1252, False, verbatim=True), [])
        self.assertTrue(langcheck.text_problems("string 112", mime, "Inhalt: base64", 1252, False, verbatim=True))


class StringTables(unittest.TestCase):
    english = {1005: "Scan", 1072: "Chooses the editor", 9001: "GERMAN", 1066: " OK ", 57356: "Page %d"}

    def check(self, table, marked=()):
        return langcheck.check_strings(PROGRAM, self.english, table, 1252, set(marked))

    def test_missing_and_surplus_ids_are_named_with_the_english_text(self):
        found = self.check({1005: "Scannen", 9001: "DEUTSCH", 1066: " OK ", 57356: "Seite %d"})
        self.assertEqual(len(found), 2, found)
        self.assertIn("1072 is missing", found[0])
        self.assertIn("Chooses the editor", found[0])
        self.assertIn("9001 is not a localised string", found[1])

    def test_names_and_marked_texts_may_stay(self):
        table = {1005: "Scan", 1072: "Wählt das Programm", 1066: " OK ", 57356: "Seite %d"}
        self.assertEqual(len(self.check(table)), 1)
        self.assertEqual(self.check(table, marked={"Scan"}), [])

    def test_marked_lines_are_read_from_the_language_folder(self):
        with tempfile.TemporaryDirectory() as folder:
            Path(folder, "panel.rc").write_text(
                '  1036 "Fax"  // as in English\n  1002 "Faxen"\n#define TXT_CAPTION "E-mail" // as in English\n'
                '  5005 "Say ""hi""\\n" // as in English\n', encoding="utf-8")
            self.assertEqual(langcheck.marked_texts(folder), {"Fax", "E-mail", 'Say "hi"\n'})


def dialog(caption, texts, rect=(0, 0, 100, 50)):
    items = [DialogItem(1000 + n, 0x80, text, 0x50010000, (7, 7 + 20 * n, 50, 14)) for n, text in enumerate(texts)]
    return Dialog(caption, 0x80C800C0, rect, (8, "MS Sans Serif"), items)


class Dialogs(unittest.TestCase):
    english = {5001: dialog("E-mail setting", ["To", "OK", "Cancel"])}

    def check(self, dialogs):
        return langcheck.check_dialogs(MAIL, self.english, dialogs, 1252, set())

    def test_a_translated_dialog_with_the_same_layout_passes(self):
        self.assertEqual(self.check({5001: dialog("E-Mail-Einstellungen", ["An", "OK", "Abbrechen"])}), [])

    def test_a_missing_dialog_or_a_changed_layout_is_reported(self):
        self.assertIn("missing", self.check({})[0])
        moved = dialog("E-Mail-Einstellungen", ["An", "OK", "Abbrechen"])
        moved.items[2].rect = (7, 47, 80, 14)
        self.assertIn("layout", self.check({5001: moved})[0])
        self.assertIn("layout", self.check({5001: dialog("E-Mail", ["An", "OK"])})[0])

    def test_dialog_texts_are_checked_like_strings(self):
        found = self.check({5001: dialog("E-mail setting", ["An", "OK", ""])})
        self.assertEqual(len(found), 2, found)
        self.assertIn("caption is left in English", found[0])
        self.assertIn("control 1002 is empty", found[1])


class Reader(unittest.TestCase):
    def test_a_damaged_module_is_refused(self):
        module = ROOT / "dist" / "mail_lg.dll"
        if not module.exists():
            self.skipTest("dist/ is not built")
        data = module.read_bytes()
        with tempfile.TemporaryDirectory() as scratch:
            cut = Path(scratch, "cut.dll")
            cut.write_bytes(data[:len(data) // 2])
            with self.assertRaises(peresources.FormatError):
                peresources.read(cut)
            cut.write_bytes(b"MZ" + b"\0" * 200)
            with self.assertRaises(peresources.FormatError):
                peresources.read(cut)


if __name__ == "__main__":
    unittest.main()
