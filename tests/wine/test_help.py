"""The help: every written language ships as <base><suffix>.chm holding all pages, its
contents and index in the language's code page; the messages it quotes are the ones the
program shows; HELP on the panel starts the viewer on the language's file beside the program,
or on the English one where that is missing; Wine's own viewer opens the shipped file."""

import re
import shutil
import time
import unittest
from pathlib import Path

import helpbooks as books
import panelkit as kit
import rig
from panelkit import HELP

# The charset each code page is declared as in a compiled page.
CHARSETS = {"cp1252": "windows-1252", "cp932": "shift_jis", "cp936": "gb2312", "cp950": "big5", "cp949": "ks_c_5601-1987"}


class ShippedBooks(unittest.TestCase):
    def test_every_written_language_ships_with_every_page(self):
        languages = books.written_languages()
        self.assertIn("en", languages)
        self.assertIn("de", languages)
        pages = books.page_names()
        for tag in languages:
            with self.subTest(tag):
                chm = rig.DIST / (books.BASE + books.LANGUAGES[tag] + ".chm")
                listing = books.chm_listing(chm)
                for name in pages + ["help.css", "contents.hhc", "index.hhk"]:
                    self.assertIn("/" + name, listing)

    def test_header_contents_and_index_are_in_the_language(self):
        pages = books.page_names()
        for tag in books.written_languages():
            with self.subTest(tag):
                info = books.book_info(tag)
                codepage = info["codepage"]
                with books.chm_extract(rig.DIST / (books.BASE + books.LANGUAGES[tag] + ".chm")) as scratch:
                    root = Path(scratch)
                    title, lcid = books.system_header((root / "#SYSTEM").read_bytes())
                    self.assertEqual(lcid, int(info["lcid"], 16))
                    self.assertEqual(title.decode(codepage), info["title"])
                    contents = (root / "contents.hhc").read_bytes().decode(codepage)
                    # Every page is in the contents under its own title, in the page list's order.
                    order = []
                    for name in pages:
                        source = (books.SOURCES / tag / name).read_text(encoding="utf-8")
                        page_title = re.search(r"<title>(.*?)</title>", source, re.S).group(1)
                        entry = '<param name="Name" value="%s"><param name="Local" value="%s">' % (
                            page_title.replace('"', "&quot;"), name)
                        self.assertIn(entry, contents)
                        order.append(contents.index(entry))
                        # The page itself declares the code page it was written in.
                        compiled = (root / name).read_bytes().decode(codepage)
                        self.assertIn("charset=" + CHARSETS[codepage], compiled)
                    self.assertEqual(order, sorted(order))
                    self.assertGreater((root / "index.hhk").read_bytes().count(b'type="text/sitemap"'), len(pages))

    def test_the_shipped_description_file_names_the_viewer_and_the_books(self):
        description = rig.read_ini(rig.DIST / "VS600.ini")["Velmora"]
        self.assertEqual(description["Helper"].upper(), "HH")
        self.assertEqual(description["Help"], books.BASE)
        self.assertTrue((rig.DIST / (description["Help"] + "_e.chm")).exists())


class QuotedMessages(unittest.TestCase):
    def test_every_quoted_text_is_filled_in(self):
        for tag in books.written_languages():
            codepage = books.book_info(tag)["codepage"]
            with books.chm_extract(rig.DIST / (books.BASE + books.LANGUAGES[tag] + ".chm")) as scratch:
                for page in Path(scratch).glob("*.htm"):
                    with self.subTest(tag=tag, page=page.name):
                        text = page.read_bytes().decode(codepage)
                        self.assertNotIn("{{", text)
                        self.assertNotIn("%s", text)

    def test_the_books_quote_messages_as_the_shipped_modules_show_them(self):
        # Windows' own string loading judges, on the built modules.
        for tag in books.written_languages():
            shown, suffixes = books.shown_texts(books.seen_texts(tag))
            quotes = books.compiled_quotes(tag)
            self.assertGreater(len(quotes), 25, tag)
            for page, quote in quotes:
                with self.subTest(tag=tag, page=page, quote=quote):
                    self.assertTrue(books.quote_found(quote, shown, suffixes))


def _language_program(name, language, viewer, remove=()):
    directory = kit.program(name, description={"CaseInfo": {"DSSectionName": "HELPINFO"},
                                                "HELPINFO": {"LANGUAGE": language},
                                                "Velmora": {"Help": books.BASE, "Helper": viewer}})
    for suffix in remove:
        (directory / (books.BASE + suffix + ".chm")).unlink(missing_ok=True)
    return directory


def _recorded(record, timeout=15):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if record.exists() and record.read_text().strip():
            return record.read_text().strip()
        time.sleep(0.1)
    raise AssertionError("the viewer was not started")


class HelpButton(kit.PanelTestCase):
    def press_help(self, name, language, remove=()):
        record = rig.WORK / (name + "_record.txt")
        record.unlink(missing_ok=True)
        # The viewer is "HH", found beside the program first: there it is a recorder.
        directory = _language_program(name, language, "HH", remove)
        shutil.copy2(rig.TOOLS / "recordargs.exe", directory / "hh.exe")
        viewer = "HH"
        panel = kit.start(directory, env={"ORVANE_RECORD_FILE": rig.wine_path(record)})
        kit.click_button(HELP)
        line = _recorded(record)
        self.assertEqual(kit.exit_panel(panel), 0)
        return line, viewer, directory

    def test_german_opens_the_german_book_beside_the_program(self):
        line, viewer, directory = self.press_help("help_german", "german")
        self.assertEqual(line.upper(), (viewer + " " + rig.wine_path(directory / "Orvane_g.chm")).upper())

    def test_a_language_without_its_book_opens_the_english_one(self):
        line, viewer, directory = self.press_help("help_french", "FRENCH", remove=("_f",))
        self.assertEqual(line.upper(), (viewer + " " + rig.wine_path(directory / "Orvane_e.chm")).upper())

    def test_wines_viewer_opens_the_shipped_book_in_a_window(self):
        directory = _language_program("help_viewer", "GERMAN", "HH")
        panel = kit.start(directory)
        kit.click_button(HELP)
        title = books.book_info("de")["title"]

        def viewer_windows():
            return [w for w in rig.top_windows() if w[3] == title and w[1] != panel.pid]

        deadline, found = time.time() + 60, []
        while not found and time.time() < deadline:
            found = viewer_windows()
            time.sleep(0.5)
        self.assertTrue(found, rig.top_windows())
        # The viewer titles its window from the book's own window definition, and keeps it:
        # a viewer that could not build its panes would have destroyed it again.
        self.assertEqual(found[0][2], "HH Parent")
        time.sleep(2)
        self.assertEqual([w[0] for w in viewer_windows()], [found[0][0]])
        rig.driver("close", "--hwnd", found[0][0])
        self.assertEqual(kit.exit_panel(panel), 0)

if __name__ == "__main__":
    unittest.main()
