"""The shipped description file holds each language's paper names in that language's ANSI code
page, Windows line endings, and a section for every language (without one the paper lists of
that language would be empty)."""

import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "iniencode"))
sys.path.insert(0, str(ROOT / "tools" / "langcheck"))
import iniencode  # noqa: E402
import langcheck  # noqa: E402

PAGES = iniencode.code_pages(ROOT / "resources" / "languages.txt")


def sections(data, pages):
    """{section: {key: text}} of profile bytes, each section decoded in its code page."""
    result, current, page = {}, None, "cp1252"
    for raw in data.split(b"\r\n"):
        if raw.startswith(b"[") and raw.endswith(b"]"):
            current = raw[1:-1].decode("ascii")
            page = pages.get(current.upper(), "cp1252")
            result[current] = {}
        elif b"=" in raw and current:
            key, value = raw.decode(page).split("=", 1)
            result[current][key] = value
    return result


class Encoding(unittest.TestCase):
    def test_each_section_is_in_its_code_page_with_windows_line_ends(self):
        data = iniencode.encode("[JAPANESE]\nA=レター\n[KOREAN]\nA=레터\n[FRENCH]\nA=Légal\n[Other]\nA=é\n", PAGES)
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""))
        self.assertIn(b"A=\x83\x8c\x83^\x81[\r\n", data)  # Shift-JIS
        self.assertIn("레터".encode("cp949"), data)
        self.assertIn(b"A=L\xe9gal\r\n", data)
        self.assertEqual(sections(data, PAGES)["Other"]["A"], "é")

    def test_a_text_its_section_cannot_hold_is_refused_with_its_line(self):
        with self.assertRaises(UnicodeEncodeError) as caught:
            iniencode.encode("[GERMAN]\nA=ok\nB=灰度\n", PAGES)
        self.assertIn("line 3", caught.exception.reason)


class ShippedDescription(unittest.TestCase):
    def test_every_language_names_every_paper(self):
        path = ROOT / "dist" / "VS600.ini"
        if not path.exists():
            self.skipTest("dist/ is not built")
        shipped = sections(path.read_bytes(), PAGES)
        papers = shipped["SupportSize"]["PaperName"].split()
        for language in langcheck.read_languages(ROOT):
            with self.subTest(language.name):
                labels = shipped.get(language.name, {})
                self.assertEqual(sorted(labels), sorted(papers))
                self.assertTrue(all(labels.values()), labels)
        self.assertEqual(shipped["JAPANESE"]["Letter"], "レター")


if __name__ == "__main__":
    unittest.main()
