"""The packages in dist/: every shipped binary carries the one version of the VERSION file,
and the portable zip holds exactly what runs from any folder, as built."""

import os
import unittest
import zipfile
from pathlib import Path

import versioninfo

ROOT = Path(os.environ.get("ORVANE_ROOT", Path(__file__).resolve().parents[2]))
DIST = ROOT / "dist"
VERSION = (ROOT / "VERSION").read_text().strip()
LANGUAGES = ROOT / "resources" / "languages.txt"


def language_libraries():
    names = []
    for line in LANGUAGES.read_text().splitlines():
        fields = line.split()
        if line.startswith("#") or len(fields) < 5:
            continue
        names += [name + ".dll" for name in fields[2:5] if name != "-"]
    return names


class Versions(unittest.TestCase):
    def test_every_binary_holds_the_one_version(self):
        binaries = sorted(p for p in DIST.iterdir() if p.suffix.lower() in (".exe", ".dll", ".ds"))
        self.assertIn(DIST / ("Orvane-Setup-%s.exe" % VERSION), binaries)
        for name in ["Orvane.exe", "Capturo.dll", "Postlib.dll", "tb.exe", "tb96.exe", "sane.ds"] + language_libraries():
            self.assertIn(DIST / name, binaries)
        fixed = tuple(int(part) for part in VERSION.split(".")) + (0,)
        for binary in binaries:
            with self.subTest(binary=binary.name):
                info = versioninfo.read(binary)
                self.assertIsNotNone(info, "no version resource")
                self.assertEqual(info["FileVersion"], fixed)
                self.assertEqual(info["ProductVersion"], fixed)
                strings = info["strings"]
                self.assertEqual((strings.get("FileVersion"), strings.get("ProductVersion")), (VERSION, VERSION))
                self.assertEqual(strings.get("ProductName"), "Orvane")
                self.assertTrue(strings.get("CompanyName") and strings.get("FileDescription")
                                and strings.get("LegalCopyright"))
                if not binary.name.startswith("Orvane-Setup-"):
                    self.assertEqual(strings.get("OriginalFilename"), binary.name)


class PortableZip(unittest.TestCase):
    def test_holds_the_program_as_built_and_nothing_else(self):
        with zipfile.ZipFile(DIST / ("Orvane-%s-portable.zip" % VERSION)) as archive:
            members = {info.filename: info for info in archive.infolist()}
            self.assertTrue(all(name.startswith("Orvane/") for name in members), sorted(members))
            names = {name[len("Orvane/"):] for name in members if not name.endswith("/")}
            expected = {"Orvane.exe", "Capturo.dll", "Postlib.dll", "Quendel.ini", "VS600.ini"}
            expected |= set(language_libraries())
            expected |= {p.name for p in DIST.glob("Orvane_*.chm")}
            self.assertEqual(names, expected)
            for name in sorted(names):
                self.assertEqual(archive.read("Orvane/" + name), (DIST / name).read_bytes(), name)


if __name__ == "__main__":
    unittest.main()
