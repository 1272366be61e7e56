"""Rig of the mail library's Wine tests: a Wine prefix of their own (build/wineprefix-mail, its
own Rurizeri.ini) on a private display per test module, mailhost runs in fresh program
directories, real (aiosmtpd) and scripted SMTP servers on their own loopback addresses, and
the MIME checks of what arrived."""

import contextlib
import email
import email.policy
import getpass
import resource
import shutil
import socket
import sys
import time

import rig
import services
from rig import ROOT, DIST, TOOLS, wine_path, write_ini, read_ini  # noqa: F401

sys.path.insert(0, str(ROOT / "tools" / "smtp"))
from scripted_smtp import ScriptedSmtpServer  # noqa: E402,F401

# Under ctest the test process's own prefix (private display already); by hand a mail prefix.
PREFIX = rig.PREFIX if rig.ISOLATED_NAME else ROOT / "build" / (
    "wineprefix-mail" if rig.ARCH == "win32" else "wineprefix64-mail")
WORK = rig.WORK / "mail"
# The book in the user's application data; the older place in the Windows folder, and the
# virtual store that redirected a standard user's writes to it.
OLD_BOOK = PREFIX / "drive_c" / "windows" / "Rurizeri.ini"


def _profile():
    users = [p for p in (PREFIX / "drive_c" / "users").glob("*/AppData") if p.parent.name != "Public"]
    return users[0] if users else PREFIX / "drive_c" / "users" / getpass.getuser() / "AppData"


BOOK = _profile() / "Roaming" / "Orvane" / "Rurizeri.ini"
STORED_BOOK = _profile() / "Local" / "VirtualStore" / "Windows" / "Rurizeri.ini"


def _env():
    """The environment of a Windows program in the mail prefix."""
    return rig.env()


def start_display():
    """Makes the rig use the mail prefix on a private Xvfb and starts its server and desktop;
    call from setUpModule."""
    if rig.current().prefix != PREFIX:
        rig.use_prefix(PREFIX, display="private")
    rig.ensure_wine()


def stop_display():
    """Ends the prefix's programs and server and the private Xvfb; call from tearDownModule."""
    if rig.current().prefix == PREFIX:
        rig.restore_prefix()


class Host:
    """A program directory with Postlib.dll, mail_lg.dll and mailhost.exe (and, for a language,
    the Quendel.ini and scanner description that name it)."""

    def __init__(self, name, language=None):
        self.dir = WORK / name
        if self.dir.exists():
            shutil.rmtree(self.dir)
        self.dir.mkdir(parents=True)
        for item in ("Postlib.dll", "mail_lg.dll"):
            shutil.copy2(DIST / item, self.dir / item)
        shutil.copy2(TOOLS / "mailhost.exe", self.dir / "mailhost.exe")
        if language is not None:
            write_ini(self.dir / "scanner.ini", {"CaseInfo": {"DSSectionName": "Orvane Flatbed"},
                                                 "Orvane Flatbed": {"Language": language}})
            write_ini(self.dir / "Quendel.ini", {"Scan Setting": {"Path": wine_path(self.dir / "scanner.ini")}})
        self.cpu_seconds = 0.0
        self.wall_seconds = 0.0

    def file(self, name, data):
        """Writes a file into the program directory; returns its Windows path."""
        path = self.dir / name
        path.write_bytes(data)
        return wine_path(path)

    def run(self, lines, timeout=120, cpu=None, env=None, encoding="latin-1"):
        """Runs mailhost with the script `lines` (lists of words, or strings); returns its log.
        `cpu` pins mailhost and a fresh wineserver to that one processor; `env` is added to its
        environment (a locale), and the script is written in `encoding` (its code page)."""
        script = []
        for line in lines:
            script.append(line if isinstance(line, str) else "\t".join(line))
        (self.dir / "script.txt").write_text("\r\n".join(script) + "\r\n", encoding=encoding)
        if cpu is not None:
            rig.restart_wine(cpu)
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.monotonic()
        try:
            result = rig.run(["mailhost.exe", "script.txt"], cwd=self.dir, timeout=timeout, text=False, env=env)
        finally:
            if cpu is not None:
                rig.restart_wine()
        self.wall_seconds = time.monotonic() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        self.cpu_seconds = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        log = result.stdout.decode("cp1252", errors="replace").splitlines()
        if "end" not in log:
            raise AssertionError("mailhost did not finish (rc %s): %s\n%s" %
                                 (result.returncode, log, result.stderr.decode(errors="replace")[-2000:]))
        return log


class RealSmtp(services.SmtpServer):
    """A real SMTP server (aiosmtpd) on ADDRESS:25 that keeps every envelope it accepts."""

    def __init__(self, address, line_length_limit=None):
        super().__init__(address, line_length_limit)


def scripted(script=None, **options):
    """A scripted server, started, on a free loopback address (other trees' tests run too)."""
    return services.first_free(lambda address: ScriptedSmtpServer(address, script, **options)).start()


@contextlib.contextmanager
def pending_listener():
    """A loopback address whose listener never accepts, its backlog filled: a connection to it
    stays pending (neither completes nor fails) for well over 90 seconds. Yields the address."""
    def bind(address):
        listener = socket.socket()
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind((address, 25))
        return listener

    listener = services.first_free(bind)
    address = listener.getsockname()[0]
    listener.listen(0)
    fillers = []
    try:
        for _ in range(3):
            filler = socket.socket()
            filler.setblocking(False)
            filler.connect_ex((address, 25))
            fillers.append(filler)
        yield address
    finally:
        for s in fillers:
            s.close()
        listener.close()


def parse(raw):
    """The message as Python's email package reads it (a defect-free parse is checked)."""
    message = email.message_from_bytes(raw, policy=email.policy.compat32)
    return message


def attachments(message):
    """[(file name, decoded bytes)] of the message's base64 parts."""
    parts = []
    for part in message.walk():
        if part.get_content_maintype() == "multipart" or part.get_filename() is None:
            continue
        parts.append((part.get_filename(), part.get_payload(decode=True)))
    return parts


def write_book(entries=None, raw=None, path=None):
    """Writes Rurizeri.ini (the user's, or `path`) with MailAdd0... = entries (or the raw text);
    None deletes it."""
    path = path or BOOK
    if entries is None and raw is None:
        path.unlink(missing_ok=True)
        return
    if raw is None:
        raw = "[BookMark]\r\n" + "".join("MailAdd%d=%s\r\n" % (i, e) for i, e in enumerate(entries))
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(raw, encoding="latin-1")


def read_book(path=None):
    """The MailAdd values of Rurizeri.ini (the user's, or `path`) in key order, or None when it
    does not exist."""
    path = path or BOOK
    if not path.exists():
        return None
    data = path.read_bytes()
    text = data.decode("utf-16") if data[:2] in (b"\xff\xfe", b"\xfe\xff") else data.decode("latin-1")
    sections = {}
    current = None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1].lower(), {})
        elif "=" in line and current is not None:
            k, v = line.split("=", 1)
            current[k.strip().lower()] = v
    book = sections.get("bookmark", {})
    values = []
    while "mailadd%d" % len(values) in book:
        values.append(book["mailadd%d" % len(values)])
    return values
