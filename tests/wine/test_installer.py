"""The setup program in a fresh prefix: a silent install that scans from its Start-menu
shortcut, with its Uninstall key, components and the Users group's rights; an upgrade over
an older build that keeps a changed setting; silent removals that leave only what the user
made."""

import re
import shutil
import subprocess
import unittest

import install_rig as inst
import rig

PROGRAM_FILES = r"C:\Program Files\Orvane"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane"
OWN_KEY = r"HKLM\Software\Orvane"
OCR_KEY = r"HKCU\Software\Xerox\TextBridge\Classic 2.0\TextBridge"
# Rights the Users group gets (path relative to the folder: rights, inheritance).
USERS_RIGHTS = {("Quendel.ini", 0x12019F, 0), ("TEMP", 0x1201BF, 0), ("TEMP", 0x1301BF, 0xB),
                ("DATA", 0x1201BF, 0), ("DATA", 0x1301BF, 0xB)}


def setUpModule():
    inst.skip_unless_32_bit()
    inst.use_fresh_prefix("installer")


def tearDownModule():
    rig.restore_prefix()


def install(folder=None, setup=inst.SETUP, env=None):
    """A silent install, into `folder` when given: "/D=" takes the rest of the command line
    unquoted, as an administrator types it, so it goes through cmd."""
    if folder:
        command = ["cmd", "/c", "%s /S /D=%s" % (rig.wine_path(setup), folder)]
    else:
        command = [setup, "/S"]
    result = rig.run(command, timeout=300, env=env)
    if result.returncode != 0:
        raise AssertionError("setup ended with %d: %s" % (result.returncode, result.stderr[-2000:]))
    return result


def uninstall(folder):
    uninstaller = inst.unix_path(folder + r"\Uninstall.exe")
    result = rig.run([folder + r"\Uninstall.exe", "/S"], timeout=120)
    assert result.returncode == 0, result.stderr[-2000:]
    inst.wait_gone(uninstaller)


def granted(trace):
    """{(path, rights, inheritance)} that the setup program asked Windows to add to an object's
    access list, from Wine's advapi trace: the path read, the entry made, the path written."""
    grants, path, entry = set(), None, None
    for line in trace.splitlines():
        read = re.search(r'GetNamedSecurityInfoW L"(.*?)"', line)
        if read:
            path, entry = read.group(1).replace("\\\\", "\\"), {}
        field = re.match(r"\s+(grfAccessPermissions|grfInheritance|Trustee\.TrusteeType) = (\S+)", line)
        if field and entry is not None:
            entry[field.group(1)] = int(field.group(2), 0)
        written = re.search(r'SetNamedSecurityInfoW L"(.*?)"', line)
        if written and entry and written.group(1).replace("\\\\", "\\") == path:
            grants.add((path, entry["grfAccessPermissions"], entry["grfInheritance"], entry["Trustee.TrusteeType"]))
    return grants


def users_rights(folder):
    # Trustee type 5: a well-known group, given by its SID (the Users group's, S-1-5-32-545).
    return {((folder + "\\" + name).rstrip("\\"), rights, inheritance, 5) for name, rights, inheritance in USERS_RIGHTS}


def shipped_program_files():
    names = {p.name for p in rig.DIST.iterdir() if p.is_file()}
    return {n for n in names if not n.startswith("Orvane-") and n not in ("sane.ds", "tb.exe", "tb96.exe")}


class Setup(unittest.TestCase):
    def tearDown(self):
        rig.kill_started()

    def test_silent_install_scans_from_the_shortcut_and_removal_keeps_only_the_users_files(self):
        result = install(env={"WINEDEBUG": "-all,trace+advapi"})
        folder = inst.unix_path(PROGRAM_FILES)
        self.assertEqual(inst.files_under(folder),
                         shipped_program_files() | {"Uninstall.exe", "OCR/bin/tb.exe"})
        self.assertTrue((folder / "TEMP").is_dir() and (folder / "DATA").is_dir())
        self.assertEqual(rig.read_ini(folder / "Quendel.ini")["Scan Setting"]["Path"], PROGRAM_FILES + r"\VS600.ini")
        self.assertEqual(granted(result.stderr), users_rights(PROGRAM_FILES))

        key = inst.registry(UNINSTALL_KEY)
        size_kb = sum(p.stat().st_size for p in folder.rglob("*") if p.is_file()) // 1024
        self.assertEqual({name: key.get(name) for name in ("DisplayName", "DisplayVersion", "Publisher",
                                                          "UninstallString", "QuietUninstallString",
                                                          "DisplayIcon", "InstallLocation")},
                         {"DisplayName": "Orvane", "DisplayVersion": inst.VERSION, "Publisher": "Orvane",
                          "UninstallString": '"%s\\Uninstall.exe"' % PROGRAM_FILES,
                          "QuietUninstallString": '"%s\\Uninstall.exe" /S' % PROGRAM_FILES,
                          "DisplayIcon": PROGRAM_FILES + r"\Orvane.exe,0", "InstallLocation": PROGRAM_FILES})
        self.assertLess(abs(key["EstimatedSize"] - size_kb), size_kb // 20 + 8)
        self.assertEqual(inst.registry(OCR_KEY), {"TBInstall": PROGRAM_FILES + "\\OCR\\"})
        twain = rig.PREFIX / "drive_c" / "windows" / "twain_32"
        self.assertEqual((twain / "sane.ds").read_bytes(), (rig.DIST / "sane.ds").read_bytes())
        self.assertEqual(rig.read_ini(twain / "vscanner.ini"), {"Scanner": {"Log": "NUL"}})

        link = rig.PREFIX / "drive_c" / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Orvane.lnk"
        target = inst.shortcut_target(link)
        self.assertEqual(target, PROGRAM_FILES + r"\Orvane.exe")
        record = inst.scan_image_from(target)
        self.assertEqual((record["format"], record["opens"]), ("jpeg", "yes"))
        scans = sorted((folder / "TEMP").iterdir())
        self.assertEqual([p.suffix for p in scans], [".JPG"])
        self.assertFalse((folder / "TEMP" / "TWN00000.BMP").exists())
        self.assertFalse((twain / "vscanner.log").exists())

        uninstall(PROGRAM_FILES)
        # The settings were changed (the editor chosen, the page stored): they stay, with the scan.
        self.assertEqual(inst.files_under(folder), {"Quendel.ini", "TEMP/" + scans[0].name})
        self.assertFalse(link.exists())
        self.assertEqual({p.name for p in twain.iterdir()} & {"sane.ds", "vscanner.ini", "vscanner.log"}, set())
        for key in (UNINSTALL_KEY, OWN_KEY, r"HKCU\Software\Xerox"):
            self.assertIsNone(inst.registry(key), key)
        shutil.rmtree(folder)  # the user's own clean-up

    def test_upgrade_keeps_changed_settings_and_an_unused_install_goes_whole(self):
        older = rig.WORK / "Orvane-Setup-0.9.0.exe"
        subprocess.run(["makensis", "-V1", "-WX", "-INPUTCHARSET", "UTF8", "-DVERSION=0.9.0", "-DOUTFILE=%s" % older,
                        rig.ROOT / "build" / "win" / "installer" / "setup.nsi"], check=True, timeout=300)
        folder_name = r"C:\Apps\Orvane Test"
        install(folder_name, setup=older)
        self.assertEqual(inst.registry(UNINSTALL_KEY)["DisplayVersion"], "0.9.0")
        folder = inst.unix_path(folder_name)
        settings = rig.read_ini(folder / "Quendel.ini")
        settings["Mail Setting"]["SMTP"] = "mail.example.org"
        del settings["Copy Setting"]["Scaling"]  # as if the older build's file had no such key
        rig.write_ini(folder / "Quendel.ini", settings)

        install()  # into the folder of the installed version
        self.assertEqual(inst.registry(UNINSTALL_KEY)["DisplayVersion"], inst.VERSION)
        self.assertFalse(inst.unix_path(PROGRAM_FILES).exists())
        upgraded = rig.read_ini(folder / "Quendel.ini")
        self.assertEqual(upgraded["Mail Setting"]["SMTP"], "mail.example.org")
        self.assertEqual(upgraded["Copy Setting"]["Scaling"], "100")
        self.assertEqual(upgraded["Scan Setting"]["Path"], folder_name + r"\VS600.ini")
        uninstall(folder_name)
        self.assertEqual(inst.files_under(folder), {"Quendel.ini"})
        self.assertIsNone(inst.registry(UNINSTALL_KEY))

        install(PROGRAM_FILES)
        uninstall(PROGRAM_FILES)
        self.assertFalse(inst.unix_path(PROGRAM_FILES).exists())
        for key in (UNINSTALL_KEY, OWN_KEY, r"HKCU\Software\Xerox"):
            self.assertIsNone(inst.registry(key), key)


if __name__ == "__main__":
    unittest.main()
