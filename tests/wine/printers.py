"""Printers for the Wine tests: a private CUPS scheduler with its own queues, and a Wine
prefix made while it runs, so that Wine copies exactly those queues into its printer list
(it reads CUPS only when a prefix is made or updated)."""

import os
import shutil
import subprocess
import time
from pathlib import Path

import rig

CUPSD = "/usr/sbin/cupsd"
LPADMIN = "/usr/sbin/lpadmin"


class CupsServer:
    """A cupsd of our own on a local socket under build/wine-tests, ended by stop()."""

    def __init__(self, name):
        self.root = rig.WORK / ("cups-" + name)
        self.socket = self.root / "cups.sock"
        self.proc = None

    def start(self):
        if self.root.exists():
            shutil.rmtree(self.root)
        for sub in ("spool", "tmp", "cache", "state", "log", "ppd"):
            (self.root / sub).mkdir(parents=True)
        (self.root / "cups-files.conf").write_text("\n".join([
            "ServerRoot %s" % self.root, "RequestRoot %s/spool" % self.root, "TempDir %s/tmp" % self.root,
            "CacheDir %s/cache" % self.root, "StateDir %s/state" % self.root,
            "ErrorLog %s/log/error_log" % self.root, "AccessLog %s/log/access_log" % self.root,
            "PageLog %s/log/page_log" % self.root, "FileDevice Yes", "SystemGroup root", ""]))
        (self.root / "cupsd.conf").write_text("\n".join([
            "Listen %s" % self.socket, "LogLevel warn", "Browsing Off", "DefaultAuthType None",
            "WebInterface No", "<Location />", "  Order allow,deny", "  Allow all", "</Location>",
            "<Policy default>", "  <Limit All>", "    Order allow,deny", "    Allow all", "  </Limit>",
            "</Policy>", ""]))
        self.proc = subprocess.Popen([CUPSD, "-f", "-c", str(self.root / "cupsd.conf"),
                                      "-s", str(self.root / "cups-files.conf")],
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 20
        while not self.socket.exists():
            if self.proc.poll() is not None or time.time() > deadline:
                raise AssertionError("cupsd did not start: %s" % self.log())
            time.sleep(0.1)
        return self

    def log(self):
        path = self.root / "log" / "error_log"
        return path.read_text(errors="replace") if path.exists() else ""

    def add(self, name, default=False):
        """A queue that prints into nothing (the tests only need it listed)."""
        self._lpadmin("-p", name, "-E", "-v", "file:/dev/null")
        if default:
            self._lpadmin("-d", name)

    def _lpadmin(self, *args):
        result = subprocess.run([LPADMIN, "-h", str(self.socket)] + list(args), capture_output=True, text=True)
        if result.returncode != 0:
            raise AssertionError("lpadmin %s: %s" % (" ".join(args), result.stderr))

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc = None


def make_prefix(name, cups=None):
    """A fresh Wine prefix whose printer list is the queues of `cups` (none without one).
    Returns the environment that points rig's programs at it."""
    prefix = rig.WORK / ("prefix-" + name)
    env = {"WINEPREFIX": str(prefix),
           "CUPS_SERVER": str(cups.socket) if cups else str(rig.WORK / "no-cups" / "cups.sock")}
    subprocess.run(["wineserver", "-k"], env=dict(os.environ, **env), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if prefix.exists():
        shutil.rmtree(prefix)
    subprocess.run([str(rig.WINERUN), "cmd", "/c", "exit", "0"], env=dict(os.environ, **env),
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=3600)
    return env


def use_prefix(env):
    """Points every later rig call of this process at the prefix of `make_prefix`; returns
    what `leave_prefix` needs to point them back."""
    saved = ({key: os.environ.get(key) for key in env}, rig.PREFIX)
    os.environ.update(env)
    rig.PREFIX = Path(env["WINEPREFIX"])
    rig._wine_ready.clear()
    return saved


def leave_prefix(env, saved):
    """Ends the prefix's programs and points the rig back where `use_prefix` found it."""
    rig.kill_started()
    drop_prefix(env)
    variables, prefix = saved
    for key, value in variables.items():
        if value is None:
            os.environ.pop(key, None)
        else:
            os.environ[key] = value
    rig.PREFIX = prefix
    rig._wine_ready.clear()


def drop_prefix(env):
    """Ends the prefix's programs and server (only that prefix's)."""
    subprocess.run(["wineserver", "-k"], env=dict(os.environ, **env), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def printer_list():
    """The printer names of the test prefix's Devices section, in the order Wine lists them."""
    result = rig.run(["reg", "query", r"HKCU\Software\Microsoft\Windows NT\CurrentVersion\Devices"])
    names = [line.split()[0] for line in result.stdout.splitlines() if "REG_SZ" in line]
    return names
