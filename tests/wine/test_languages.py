"""The program's language libraries: every localised string of Orvane.exe is translated in
each shipped library, under the same id, and nothing else is in them."""

import unittest

import rig

# Strings that always come from the program itself (binding messages, the application title
# used as a section name, registry keys and program names, language names, the font face).
NOT_LOCALISED = {57344, 57347, 57348, 57349, 57350, 6005, *range(6009, 6015), 6018, *range(9000, 9012),
                 *range(57360, 57369)}
LIBRARIES = {"dsk_lg.dll": "German", "dsk_lj.dll": "Japanese"}


def strings(module):
    result = rig.run([rig.TOOLS / "dumpstrings.exe", rig.wine_path(module), 0, 65535], timeout=60)
    if result.returncode != 0:
        raise AssertionError(result.stderr)
    table = {}
    for line in result.stdout.splitlines():
        number, _, text = line.partition("\t")
        table[int(number)] = text
    return table


class LanguageLibraries(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.english = strings(rig.DIST / "Orvane.exe")
        cls.localised = {i for i in cls.english if i not in NOT_LOCALISED}

    def test_every_localised_string_is_translated(self):
        for library, language in LIBRARIES.items():
            with self.subTest(language):
                table = strings(rig.DIST / library)
                self.assertEqual(sorted(self.localised - table.keys()), [], "missing in " + library)
                self.assertEqual(sorted(table.keys() - self.localised), [], "not localised, yet in " + library)
                words = [i for i in table if any(c.isalpha() for c in self.english[i]) and len(self.english[i]) > 6]
                same = [i for i in words if table[i] == self.english[i]]
                # Product and paper names may stay as they are; real text must not.
                self.assertLess(len(same), max(3, len(words) // 5), [self.english[i] for i in same])

    def test_english_names_match_the_scanner_language_keys(self):
        names = [self.english[i] for i in range(9000, 9012)]
        self.assertEqual(names, ["CHINESE", "GERMAN", "FRENCH", "ITALIAN", "SPANISH", "DUTCH", "JAPANESE",
                                 "SIMPLE", "KOREAN", "PORTUGUESE", "DANISH", "SWEDISH"])


if __name__ == "__main__":
    unittest.main()
