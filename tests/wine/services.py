"""Real peers for the Wine tests: a CUPS scheduler of our own, a real SMTP server (aiosmtpd) on
a loopback address, free loopback addresses for other servers, and a small disk (tmpfs)."""

import atexit
import contextlib
import errno
import grp
import itertools
import os
import pwd
import shutil
import socket
import stat
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

import rig

CUPSD = "/usr/sbin/cupsd"
LPADMIN = "/usr/sbin/lpadmin"
# Addresses handed out by first_free(): away from the fixed ones that older tests name
# (127.0.0.x), so that modules running at the same time (other work trees too) never collide.
AUTO_ADDRESSES = ["127.0.2.%d" % n for n in range(1, 255)]


# The user CUPS runs its filters as when the scheduler runs as root (cupsd's built-in default;
# our schedulers' files set no other).
FILTER_USER = "lp"


def filter_user_passes(path):
    """True when the filter user may pass every folder down to `path` and into it. Filters run
    as ourselves when we are not root."""
    if os.geteuid() != 0:
        return True
    try:
        user = pwd.getpwnam(FILTER_USER)
    except KeyError:
        return True
    groups = {user.pw_gid} | {g.gr_gid for g in grp.getgrall() if FILTER_USER in g.gr_mem}
    path = os.path.realpath(path)
    folders = [path]
    while os.path.dirname(folders[-1]) != folders[-1]:
        folders.append(os.path.dirname(folders[-1]))
    for folder in folders:
        info = os.stat(folder)
        mode = info.st_mode
        if info.st_uid == user.pw_uid:
            allowed = mode & stat.S_IXUSR
        elif info.st_gid in groups:
            allowed = mode & stat.S_IXGRP
        else:
            allowed = mode & stat.S_IXOTH
        if not allowed:
            return False
    return True


def scheduler_folder(name):
    """A new folder for a scheduler's files where its filters can reach them: a checkout may
    lie where the filter user cannot pass (root's home, a private temporary folder), and a
    filter that cannot open its print file fails the job. Fails at once when there is none."""
    bases = []
    for base in (tempfile.gettempdir(), "/tmp", "/var/tmp"):
        if base not in bases and os.path.isdir(base):
            bases.append(base)
    for base in bases:
        if filter_user_passes(base):
            folder = tempfile.mkdtemp(prefix="orvane-cups-%s-" % name, dir=base)
            os.chmod(folder, 0o755)
            return folder
    raise AssertionError("CUPS runs its filters as user %s, which cannot pass into any of %s: a private "
                         "scheduler's spool must lie where that user may read it (set TMPDIR to such a folder)"
                         % (FILTER_USER, ", ".join(bases)))


class CupsServer:
    """A cupsd of our own on a local socket, its files in a folder of their own outside the
    checkout (see scheduler_folder), removed by stop()."""

    def __init__(self, name):
        self.name = name
        self.root = None
        self.socket = None
        self.proc = None

    def start(self):
        self.root = Path(scheduler_folder(self.name))
        self.socket = self.root / "cups.sock"
        atexit.register(self.stop)
        for sub in ("spool", "tmp", "cache", "state", "log", "ppd"):
            (self.root / sub).mkdir(parents=True)
        # Filters run as the filter user and need a temporary folder of their own.
        os.chmod(self.root / "tmp", 0o1777)
        (self.root / "cups-files.conf").write_text("\n".join([
            "ServerRoot %s" % self.root, "RequestRoot %s/spool" % self.root, "TempDir %s/tmp" % self.root,
            "CacheDir %s/cache" % self.root, "StateDir %s/state" % self.root,
            "ErrorLog %s/log/error_log" % self.root, "AccessLog %s/log/access_log" % self.root,
            "PageLog %s/log/page_log" % self.root, "FileDevice Yes", "SystemGroup root", ""]))
        (self.root / "cupsd.conf").write_text("\n".join([
            # The spooled documents stay for the tests to read (what the printer was asked for),
            # and job records are written at once rather than up to 30 seconds later.
            "Listen %s" % self.socket, "LogLevel warn", "Browsing Off", "DefaultAuthType None", "PreserveJobFiles Yes",
            "DirtyCleanInterval 0",
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
        path = self.root / "log" / "error_log" if self.root else None
        return path.read_text(errors="replace") if path and path.exists() else ""

    def add(self, name, default=False):
        """A queue that prints into nothing (the tests only need it listed)."""
        self._lpadmin("-p", name, "-E", "-v", "file:/dev/null")
        if default:
            self._lpadmin("-d", name)

    def _lpadmin(self, *args):
        result = subprocess.run([LPADMIN, "-h", str(self.socket)] + list(args), capture_output=True, text=True)
        if result.returncode != 0:
            raise AssertionError("lpadmin %s: %s" % (" ".join(args), result.stderr))

    def failed_jobs(self):
        """What CUPS says of the jobs that failed and wait on (a filter or backend that failed
        leaves its job queued for ever); empty while none has."""
        result = subprocess.run(["lpstat", "-h", str(self.socket), "-l", "-o"], capture_output=True, text=True)
        failed, job = [], None
        for line in result.stdout.splitlines():
            if line and not line[0].isspace():
                job = line.split()[0]
            elif job and ("job-completed-with-errors" in line or "job-stopped" in line or "failed" in line.lower()):
                failed.append("%s: %s" % (job, line.strip()))
        if failed:
            errors = [line for line in self.log().splitlines() if line.startswith("E ") and "[Job " in line]
            failed += errors[-10:]
        return failed

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc = None
        if self.root is not None:
            shutil.rmtree(self.root, ignore_errors=True)
            self.root = None


def port_free(address, port=25):
    """True when nothing listens on address:port (a bind succeeds)."""
    probe = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    try:
        probe.bind((address, port))
        return True
    except OSError:
        return False
    finally:
        probe.close()


def first_free(make, port=25):
    """make(address) for the first address of AUTO_ADDRESSES whose port is free; `make` binds
    (and raises OSError when it loses a race for the address to another process)."""
    for address in AUTO_ADDRESSES:
        if not port_free(address, port):
            continue
        try:
            return make(address)
        except OSError as error:
            if error.errno != errno.EADDRINUSE:
                raise
    raise AssertionError("no free loopback address for port %d" % port)


class SmtpServer:
    """A real SMTP server (aiosmtpd) on address:port that keeps every envelope it accepts.
    Without an address it takes a free one of AUTO_ADDRESSES (see .address). `options` go to
    aiosmtpd's controller (ssl_context for TLS from the first byte, the SMTP class's
    tls_context, require_starttls, authenticator, ...). Use with `with`."""

    def __init__(self, address=None, line_length_limit=None, port=25, **options):
        self.address, self.port, self.line_length_limit = address, port, line_length_limit
        self.options = options
        self.envelopes = []
        self.controller = None

    def _controller(self, address):
        from aiosmtpd.controller import Controller
        from aiosmtpd.smtp import SMTP

        limit = self.line_length_limit

        # The limit is the class's when the server is made: its stream reader takes it then.
        smtp_class = type("LimitedSMTP", (SMTP,), {"line_length_limit": limit}) if limit else SMTP

        class Controlled(Controller):
            def factory(self):
                return smtp_class(self.handler, hostname=address, **self.SMTP_kwargs)

        return Controlled(self.handler(), hostname=address, port=self.port, **self.options)

    def handler(self):
        """aiosmtpd's handler: keeps each envelope (a subclass may add auth_ methods)."""
        outer = self

        class Handler:
            async def handle_DATA(self, server, session, envelope):
                outer.envelopes.append(envelope)
                return "250 OK"

        return Handler()

    def start(self):
        def bound(address):
            controller = self._controller(address)
            try:
                controller.start()
            except (OSError, TimeoutError) as error:
                raise OSError(errno.EADDRINUSE, str(error))
            return address, controller

        if self.address is None:
            self.address, self.controller = first_free(bound, self.port)
        else:
            self.controller = self._controller(self.address)
            self.controller.start()
        return self

    def stop(self):
        if self.controller:
            self.controller.stop()
            self.controller = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


_disks = itertools.count()


@contextlib.contextmanager
def small_disk(size="8m", drive=None):
    """Mounts a tmpfs of `size` under build/wine-tests and yields its path; unmounts it after.
    With `drive` (a letter), the prefix in use gets that drive letter for it, so that a
    program started from it asks the tmpfs, not the root file system, for its drive's free
    space. Needs root (skips the test otherwise)."""
    if os.geteuid() != 0:
        raise unittest.SkipTest("mounting a tmpfs needs root")
    path = rig.WORK / ("small-disk-%d-%d" % (os.getpid(), next(_disks)))
    path.mkdir(parents=True, exist_ok=True)
    result = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%s" % size, "tmpfs", str(path)],
                            capture_output=True, text=True)
    if result.returncode != 0:
        raise AssertionError("mount tmpfs: %s" % result.stderr)
    link = rig.PREFIX / "dosdevices" / (drive.lower() + ":") if drive else None
    try:
        if link:
            link.unlink(missing_ok=True)
            link.symlink_to(path)
        yield path
    finally:
        if link:
            link.unlink(missing_ok=True)
        # Programs that still hold files there keep it busy for a moment after they end.
        for _ in range(50):
            if subprocess.run(["umount", str(path)], capture_output=True).returncode == 0:
                break
            time.sleep(0.1)
        else:
            subprocess.run(["umount", "-l", str(path)], capture_output=True)
        path.rmdir()
