"""Printers for the Wine tests: a private CUPS scheduler with its own queues, and a Wine
prefix updated while it runs, so that Wine copies exactly those queues into its printer list
(it reads CUPS only when a prefix is made or updated)."""

from pathlib import Path

from services import CupsServer  # noqa: F401 (the printer tests' scheduler)

import rig


def make_prefix(name, cups=None):
    """A fresh Wine prefix whose printer list is the queues of `cups` (none without one).
    Returns the environment that points rig's programs at it."""
    prefix = rig.WORK / ("prefix-" + name)
    env = {"WINEPREFIX": str(prefix),
           "CUPS_SERVER": str(cups.socket) if cups else str(rig.WORK / "no-cups" / "cups.sock")}
    rig.Wine(prefix, env=env).create(fresh=True, update=True)
    return env


def use_prefix(env):
    """Points every later rig call of this process at the prefix of `make_prefix`."""
    rig.use_prefix(env["WINEPREFIX"], env=env)


def drop_prefix(env):
    """Ends the prefix's programs and server (only that prefix's) and goes back to the prefix
    used before it."""
    if rig.current().prefix == Path(env["WINEPREFIX"]):
        rig.restore_prefix()
    else:
        rig.Wine(env["WINEPREFIX"], env=env).stop()


def printer_list():
    """The printer names of the test prefix's Devices section, in the order Wine lists them."""
    result = rig.run(["reg", "query", r"HKCU\Software\Microsoft\Windows NT\CurrentVersion\Devices"])
    names = [line.split()[0] for line in result.stdout.splitlines() if "REG_SZ" in line]
    return names
