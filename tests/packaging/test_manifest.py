"""The application manifests read back from the built executables: the program runs as the
user on Windows 7 to 11 with Common Controls 6, aware of each monitor's scale; the setup
program asks for administrator rights (it installs under Program Files) and is DPI-aware."""

import os
import unittest
import xml.etree.ElementTree as ET
from pathlib import Path

import versioninfo

ROOT = Path(os.environ.get("ORVANE_ROOT", Path(__file__).resolve().parents[2]))
DIST = ROOT / "dist"
VERSION = (ROOT / "VERSION").read_text().strip()
RT_MANIFEST = 24
WINDOWS_7_TO_11 = {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                   "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}


def manifest(binary):
    data = versioninfo.resource(DIST / binary, RT_MANIFEST)
    if data is None:
        raise AssertionError("%s carries no manifest" % binary)
    return ET.fromstring(data)


def local(tag):
    return tag.rsplit("}", 1)[-1]


def elements(root, name):
    return [e for e in root.iter() if local(e.tag) == name]


class Manifests(unittest.TestCase):
    def test_program(self):
        root = manifest("Orvane.exe")
        (level,) = elements(root, "requestedExecutionLevel")
        self.assertEqual((level.get("level"), level.get("uiAccess")), ("asInvoker", "false"))
        self.assertEqual({e.get("Id").lower() for e in elements(root, "supportedOS")}, WINDOWS_7_TO_11)
        controls = [e for e in elements(root, "assemblyIdentity")
                    if e.get("name") == "Microsoft.Windows.Common-Controls"]
        self.assertEqual([(e.get("version"), e.get("publicKeyToken")) for e in controls],
                         [("6.0.0.0", "6595b64144ccf1df")])
        (awareness,) = elements(root, "dpiAwareness")
        self.assertEqual([v.strip().lower() for v in awareness.text.split(",")], ["permonitorv2", "permonitor"])
        (aware,) = elements(root, "dpiAware")
        self.assertEqual(aware.text.strip().lower(), "true/pm")

    def test_setup_program(self):
        root = manifest("Orvane-Setup-%s.exe" % VERSION)
        (level,) = elements(root, "requestedExecutionLevel")
        self.assertEqual(level.get("level"), "requireAdministrator")
        self.assertEqual(elements(root, "dpiAware")[0].text.strip().lower(), "true")
        self.assertTrue(WINDOWS_7_TO_11 <= {e.get("Id").lower() for e in elements(root, "supportedOS")})


if __name__ == "__main__":
    unittest.main()
