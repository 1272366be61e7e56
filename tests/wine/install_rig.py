"""Helpers of the package tests: the setup program and the portable zip in a fresh prefix of
their own, registry keys read through Wine, shortcut targets, and an Image scan from an
installed program into the editor stand-in."""

import struct
import time
import unittest
from pathlib import Path

import panelkit as kit
import rig
import standins

VERSION = (rig.ROOT / "VERSION").read_text().strip()
SETUP = rig.DIST / ("Orvane-Setup-%s.exe" % VERSION)
PORTABLE = rig.DIST / ("Orvane-%s-portable.zip" % VERSION)
# The panel's title over the shipped description file: Brand, Model and Package.
TITLE = "Orvane VS-600 Desk"
# A new prefix must not hand the shortcuts made in it to the desktop of this machine.
NO_DESKTOP_MENUS = {"WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d"}


def skip_unless_32_bit():
    """The packages hold the 32-bit deliverables: they need a kernel that runs 32-bit programs."""
    if rig.ARCH != "win32":
        raise unittest.SkipTest("the packages are 32-bit; this kernel runs no 32-bit programs")


def use_fresh_prefix(name):
    """A new prefix WORK/prefix-NAME on a private display, for setUpModule."""
    rig.use_prefix(rig.WORK / ("prefix-" + name), display="private", env=NO_DESKTOP_MENUS, fresh=True)


def unix_path(windows_path):
    """The prefix's file for a C:\\ path."""
    drive, rest = windows_path.split(":", 1)
    assert drive.upper() == "C", windows_path
    return rig.PREFIX / "drive_c" / rest.strip("\\").replace("\\", "/")


def registry(key):
    """{value name: data} of a registry key of the prefix (REG_DWORD as int), None without it."""
    result = rig.run(["reg", "query", key], timeout=120)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.splitlines():
        parts = line.strip().split("    ")
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            data = parts[2] if len(parts) > 2 else ""
            values[parts[0]] = int(data, 16) if parts[1] == "REG_DWORD" else data
    return values


def shortcut_target(link):
    """The local path a shell link (.lnk) points at."""
    data = Path(link).read_bytes()
    flags = struct.unpack_from("<I", data, 0x14)[0]
    offset = 0x4C
    if flags & 0x1:  # an item id list comes first
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    assert flags & 0x2, "the link has no location information"
    base = offset + struct.unpack_from("<I", data, offset + 16)[0]
    return data[base:data.index(b"\0", base)].decode("latin-1")


def files_under(folder):
    """Every file below `folder`, as paths relative to it with forward slashes."""
    folder = Path(folder)
    return {p.relative_to(folder).as_posix() for p in folder.rglob("*") if p.is_file()} if folder.exists() else set()


def wait_gone(path, timeout=120):
    """Waits until `path` no longer exists: a removal runs on from a copy of the uninstaller."""
    deadline = time.monotonic() + timeout
    while Path(path).exists():
        if time.monotonic() > deadline:
            raise AssertionError("%s still there after %s s" % (path, timeout))
        time.sleep(0.3)


def scan_image_from(exe):
    """Chooses the editor stand-in on the Image page's behalf (as its browse button stores
    it), starts the program at the Windows path `exe`, presses SCAN and returns the editor's
    record of the page handed to it once the program has ended."""
    editor = standins.install_editor()
    settings_file = unix_path(exe).parent / "Quendel.ini"
    settings = rig.read_ini(settings_file)
    settings["Scan Setting"].update({"ImageAp": editor.windows_path, "FileName": "Ipe.exe"})
    rig.write_ini(settings_file, settings)
    panel = kit.start(unix_path(exe).parent, title=TITLE, exe=exe)
    kit.click_button(kit.SCAN, panel.title)
    record = editor.wait_records(1, timeout=90)[0]
    assert rig.wait_exit(panel.proc, timeout=60) == 0
    return record
