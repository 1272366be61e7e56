"""The portable zip in a fresh prefix: unpacked into C:\\ it is C:\\Orvane, which the shipped
settings expect, and a scan from there reaches the editor stand-in."""

import unittest
import zipfile

import install_rig as inst
import rig
import scan_rig


def setUpModule():
    inst.skip_unless_32_bit()
    inst.use_fresh_prefix("portable")


def tearDownModule():
    rig.restore_prefix()


class Portable(unittest.TestCase):
    def tearDown(self):
        rig.kill_started()

    def test_unpacked_program_scans_into_its_own_temp(self):
        with zipfile.ZipFile(inst.PORTABLE) as archive:
            archive.extractall(rig.PREFIX / "drive_c")
        scan_rig.install_scanner()  # the zip has no virtual scanner: it needs installing
        record = inst.scan_image_from(r"C:\Orvane\Orvane.exe")
        self.assertEqual((record["format"], record["opens"]), ("jpeg", "yes"))
        temp = rig.PREFIX / "drive_c" / "Orvane" / "TEMP"
        self.assertEqual([p.suffix for p in temp.iterdir()], [".JPG"])


if __name__ == "__main__":
    unittest.main()
