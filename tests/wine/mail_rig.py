"""Rig of the mail library's Wine tests: a Wine prefix of their own (unmanaged X windows, its
own Rurizeri.ini), one Xvfb display per test module, mailhost runs in fresh program
directories, real (aiosmtpd) and scripted SMTP servers on their own loopback addresses, and
the MIME checks of what arrived."""

import email
import email.policy
import os
import resource
import shutil
import subprocess
import sys
import time
from pathlib import Path

import rig
from rig import ROOT, DIST, TOOLS, wine_path, write_ini, read_ini  # noqa: F401

sys.path.insert(0, str(ROOT / "tools" / "smtp"))
from scripted_smtp import ScriptedSmtpServer  # noqa: E402,F401

PREFIX = ROOT / "build" / ("wineprefix-mail" if rig.ARCH == "win32" else "wineprefix64-mail")
WORK = ROOT / "build" / "wine-tests" / "mail"
BOOK = PREFIX / "drive_c" / "windows" / "Rurizeri.ini"

_display = {}


def _env():
    env = dict(os.environ)
    env.update((k, v) for k, v in rig.WINE_ENV.items() if k != "WINEPREFIX")
    env.update(WINEPREFIX=str(PREFIX), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    if "display" in _display:
        env["DISPLAY"] = _display["display"]
    return env


def start_display():
    """Starts a private Xvfb and makes sure the prefix exists; call from setUpModule."""
    if "process" not in _display:
        read, write = os.pipe()
        process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                                    "-nolisten", "tcp"], pass_fds=(write,),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            number += os.read(read, 16)
        os.close(read)
        _display.update(process=process, display=":" + number.decode().strip())
    if not (PREFIX / "system.reg").exists():
        PREFIX.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["wineboot", "-i"], env=_env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Without a window manager, a managed window that hides makes Wine wait 2 s for X.
        subprocess.run(["wine", "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d", "N",
                        "/f"], env=_env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=_env())


def stop_display():
    """Ends the private Xvfb and the prefix's server; call from tearDownModule."""
    subprocess.run(["wineserver", "-k"], env=_env(), stderr=subprocess.DEVNULL)
    process = _display.pop("process", None)
    if process:
        process.terminate()
        process.wait()
    _display.clear()


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

    def run(self, lines, timeout=120, cpu=None):
        """Runs mailhost with the script `lines` (lists of words, or strings); returns its log.
        `cpu` pins mailhost and a fresh wineserver to that one processor."""
        script = []
        for line in lines:
            script.append(line if isinstance(line, str) else "\t".join(line))
        (self.dir / "script.txt").write_text("\r\n".join(script) + "\r\n", encoding="latin-1")
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.monotonic()
        command = ["wine", "mailhost.exe", "script.txt"]
        if cpu is not None:
            subprocess.run(["wineserver", "-k"], env=_env(), stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=_env(), stderr=subprocess.DEVNULL)
            command = ["taskset", "-c", str(cpu)] + command
        result = subprocess.run(command, cwd=self.dir, env=_env(), capture_output=True, timeout=timeout)
        if cpu is not None:
            subprocess.run(["wineserver", "-k"], env=_env(), stderr=subprocess.DEVNULL)
        self.wall_seconds = time.monotonic() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        self.cpu_seconds = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        log = result.stdout.decode("cp1252", errors="replace").splitlines()
        if "end" not in log:
            raise AssertionError("mailhost did not finish (rc %s): %s\n%s" %
                                 (result.returncode, log, result.stderr.decode(errors="replace")[-2000:]))
        return log


class RealSmtp:
    """A real SMTP server (aiosmtpd) on ADDRESS:25 that keeps every envelope it accepts."""

    def __init__(self, address, line_length_limit=None):
        from aiosmtpd.controller import Controller
        from aiosmtpd.smtp import SMTP

        self.envelopes = []
        outer = self

        class Handler:
            async def handle_DATA(self, server, session, envelope):
                outer.envelopes.append(envelope)
                return "250 OK"

        class Controlled(Controller):
            def factory(self):
                smtp = SMTP(self.handler, hostname=address, **self.SMTP_kwargs)
                if line_length_limit:
                    smtp.line_length_limit = line_length_limit
                return smtp

        self.controller = Controlled(Handler(), hostname=address, port=25)

    def __enter__(self):
        self.controller.start()
        return self

    def __exit__(self, *exc):
        self.controller.stop()


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


def write_book(entries=None, raw=None):
    """Writes Rurizeri.ini with MailAdd0... = entries (or the raw text); None deletes it."""
    if entries is None and raw is None:
        BOOK.unlink(missing_ok=True)
        return
    if raw is None:
        raw = "[BookMark]\r\n" + "".join("MailAdd%d=%s\r\n" % (i, e) for i, e in enumerate(entries))
    BOOK.write_text(raw, encoding="latin-1")


def read_book():
    """The MailAdd values of Rurizeri.ini in key order, or None when it does not exist."""
    if not BOOK.exists():
        return None
    data = BOOK.read_bytes()
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


def peak_rss_kb():
    """The largest resident set of any child process waited for so far, in kB (Linux)."""
    return resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
