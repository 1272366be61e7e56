"""Every built language library of the three deliverables is complete and sound (the checks of
tools/langcheck), and the language table that the build and the tests share agrees with the
language names and library files the three modules look for."""

import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "langcheck"))
import langcheck  # noqa: E402
import peresources  # noqa: E402

LANGUAGES = langcheck.read_languages(ROOT)


def module(name):
    path = ROOT / "dist" / name
    if not path.exists():
        raise unittest.SkipTest("dist/ is not built")
    return peresources.read(path)


class LanguageLibraries(unittest.TestCase):
    def test_every_library_is_complete(self):
        for deliverable in langcheck.DELIVERABLES:
            english = module(deliverable.english)
            for language in LANGUAGES:
                if not language.libraries[deliverable.column]:
                    continue
                with self.subTest(library=language.libraries[deliverable.column], folder=language.folder):
                    self.assertEqual(langcheck.check_library(ROOT, deliverable, language, english), [])

    def test_no_library_is_left_over_from_an_older_build(self):
        expected = {l.libraries[c] + ".dll" for l in LANGUAGES for c in ("program", "mail", "scan") if l.libraries[c]}
        built = {p.name for p in (ROOT / "dist").glob("*_l*.dll")}
        self.assertEqual(sorted(built - expected), [])
        self.assertEqual(len(expected), 12 + 11 + 11)


class LanguageTable(unittest.TestCase):
    def test_program_names_and_libraries_follow_its_language_ids(self):
        strings = module("Orvane.exe").strings
        self.assertEqual([strings[9000 + i] for i in range(12)], [l.name for l in LANGUAGES])
        self.assertEqual([l.libraries["program"] for l in LANGUAGES],
                         ["dsk_lc", "dsk_lg", "dsk_lf", "dsk_li", "dsk_ls", "dsk_ld", "dsk_lj", "dsk_lm", "dsk_lk",
                          "dsk_lp", "dsk_lda", "dsk_lsw"])

    def test_the_libraries_names_skip_simplified_chinese(self):
        for deliverable, prefix in (("Postlib.dll", "mail"), ("Capturo.dll", "Scan")):
            with self.subTest(deliverable):
                strings = module(deliverable).strings
                column = "mail" if prefix == "mail" else "scan"
                named = [l for l in LANGUAGES if l.libraries[column]]
                self.assertEqual([strings[3000 + i] for i in range(11)], [l.name for l in named])
                self.assertEqual([l.libraries[column] for l in named],
                                 [l.libraries["program"].replace("dsk", prefix) for l in named])

    def test_each_language_folder_exists_for_each_library(self):
        for deliverable in langcheck.DELIVERABLES:
            folders = {p.name for p in (ROOT / deliverable.sources).iterdir() if p.is_dir()}
            wanted = {l.folder for l in LANGUAGES if l.libraries[deliverable.column]}
            self.assertEqual(folders, wanted, deliverable.sources)


if __name__ == "__main__":
    unittest.main()
