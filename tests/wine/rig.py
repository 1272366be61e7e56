"""The Wine test rig: the Wine prefix a test process uses (made on first use) on its X display,
the prefix's wineserver and desktop kept up by us, Windows programs run and ended in process
groups of their own, program directories made from dist/, and the GUI test driver. Used by
every tests/wine/test_*.py; real peers are in services.py, the stand-in programs in standins.py."""

import atexit
import fcntl
import hashlib
import os
import select
import shutil
import signal
import subprocess
import time
from pathlib import Path

ROOT = Path(os.environ.get("ORVANE_ROOT", Path(__file__).resolve().parents[2]))


def _wine_environment():
    """The Wine environment of this machine (scripts/wine-env): which build runs here, its
    deliverables, the default prefix, and the 64-bit loader where the 64-bit build runs."""
    script = "eval \"$('%s')\" && env -0" % (ROOT / "scripts" / "wine-env")
    output = subprocess.run(["bash", "-c", script], check=True, capture_output=True).stdout
    wanted = ("ORVANE_WINE_ARCH", "ORVANE_WIN_BUILD", "ORVANE_DIST_DIR", "WINEARCH", "WINEPREFIX", "WINELOADER", "PATH")
    pairs = (item.split(b"=", 1) for item in output.split(b"\0") if b"=" in item)
    return {key.decode(): value.decode() for key, value in pairs if key.decode() in wanted}


WINE_ENV = _wine_environment()
# "win32": the 32-bit deliverables run here; "win64": the kernel runs no 32-bit programs, and
# the same sources built for 64-bit Windows are tested instead.
ARCH = WINE_ENV["ORVANE_WINE_ARCH"]
DIST = Path(WINE_ENV["ORVANE_DIST_DIR"])
TOOLS = Path(WINE_ENV["ORVANE_WIN_BUILD"]) / "bin"
FIXTURES = TOOLS / "fixtures"
# Program directories, scratch files and the prefixes of the tests; a test process under ctest
# has a folder of its own (see ISOLATED_NAME).
WORK = ROOT / "build" / "wine-tests"
# The setup program and the portable zip in dist/ are not part of a program directory.
PACKAGE_PREFIX = "Orvane-"
WINERUN = ROOT / "scripts" / "winerun"
# Making a prefix runs Wine's whole set-up (about ten seconds; far more on a loaded machine).
PREFIX_TIMEOUT = 600
# Every prefix the tests use is a copy of this one, made once (a copy takes about a second).
TEMPLATE = ROOT / "build" / ("wineprefix-template" if ARCH == "win32" else "wineprefix64-template")
# Under ctest each test process has a prefix and an X display of its own (ctest runs several
# at once); the name is the ctest entry's. Run by hand, a module uses $WINEPREFIX on $DISPLAY.
ISOLATED_NAME = os.environ.get("ORVANE_WINE_ISOLATED", "")
if ISOLATED_NAME:
    WORK = WORK / ISOLATED_NAME


def _template_recipe():
    """What the template was made by (scripts/winerun's set-up): a change makes it anew."""
    return hashlib.sha256(WINERUN.read_bytes()).hexdigest()


def ensure_template():
    """Makes the template prefix once (several test processes may ask at the same time)."""
    stamp = TEMPLATE / "orvane-recipe"
    if stamp.exists() and stamp.read_text() == _template_recipe():
        return
    TEMPLATE.parent.mkdir(parents=True, exist_ok=True)
    with open(str(TEMPLATE) + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if stamp.exists() and stamp.read_text() == _template_recipe():
            return
        shutil.rmtree(TEMPLATE, ignore_errors=True)
        making = TEMPLATE.with_name(TEMPLATE.name + ".making")
        shutil.rmtree(making, ignore_errors=True)
        env = dict(os.environ, WINEPREFIX=str(making), WINEDEBUG="-all")
        env.update((key, value) for key, value in WINE_ENV.items() if key != "WINEPREFIX")
        env.pop("DISPLAY", None)  # winerun brings a private Xvfb for the set-up
        quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
        subprocess.run([str(WINERUN), "cmd", "/c", "exit", "0"], env=env, timeout=PREFIX_TIMEOUT, **quiet)
        subprocess.run(["wineserver", "-k"], env=env, **quiet)
        subprocess.run(["wineserver", "-w"], env=env, **quiet)
        if not (making / "system.reg").exists():
            raise AssertionError("the template prefix could not be made")
        (making / "orvane-recipe").write_text(_template_recipe())
        making.rename(TEMPLATE)


def _kill_group(proc):
    """Ends a program started in a session of its own, with everything it started."""
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


class Display:
    """An X display for Windows programs: the one in $DISPLAY, or a private Xvfb that stop() ends."""

    def __init__(self, name, process=None):
        self.name, self.process = name, process

    @classmethod
    def from_environment(cls):
        """The display in $DISPLAY when its server is there, else None."""
        name = os.environ.get("DISPLAY", "")
        if not name:
            return None
        if name.startswith(":"):
            number = name[1:].split(".")[0]
            if not Path("/tmp/.X11-unix/X" + number).exists():
                return None
        return cls(name)

    @classmethod
    def private(cls, screen="1024x768x24"):
        """A fresh Xvfb on the first free display number."""
        read, write = os.pipe()
        process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", screen, "-nolisten",
                                    "tcp"], pass_fds=(write,), stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                os.close(read)
                raise AssertionError("Xvfb did not start (exit %s)" % process.wait())
            number += chunk
        os.close(read)
        return cls(":" + number.decode().strip(), process)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            self.process.wait()
        self.process = None


class DriverServer:
    """guidriver.exe in its serve mode: commands as tab-separated lines on its stdin, output
    lines back on its stdout, each command ended by a line of \\x03 and the exit code
    (failure reasons are the lines that begin with \\x02). Started on first use; a command
    that overruns its time ends the process (the next command starts a new one)."""

    def __init__(self, wine):
        self.wine, self.proc, self.pending = wine, None, b""

    def _start(self):
        self.proc = subprocess.Popen(self.wine.launcher + [str(WINERUN), str(TOOLS / "guidriver.exe"), "serve"],
                                     env=self.wine.environment(), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, start_new_session=True)
        self.pending = b""

    @staticmethod
    def _escape(word):
        return word.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")

    def call(self, args, timeout):
        if self.proc is None or self.proc.poll() is not None:
            self._start()
        request = ("\t".join(self._escape(a) for a in args) + "\n").encode("utf-8")
        try:
            self.proc.stdin.write(request)
            self.proc.stdin.flush()
        except BrokenPipeError:
            self.stop()
            self._start()
            self.proc.stdin.write(request)
            self.proc.stdin.flush()
        deadline = time.monotonic() + timeout
        out, err = [], []
        while True:
            end = self.pending.find(b"\n")
            if end < 0:
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([self.proc.stdout], [], [], left)[0]:
                    self.stop()
                    raise subprocess.TimeoutExpired(["guidriver.exe"] + args, timeout)
                chunk = os.read(self.proc.stdout.fileno(), 65536)
                if not chunk:
                    self.stop()
                    raise AssertionError("guidriver ended during %s" % " ".join(args))
                self.pending += chunk
                continue
            line = self.pending[:end].decode("utf-8", "replace").rstrip("\r")
            self.pending = self.pending[end + 1:]
            if line.startswith("\x03"):
                return subprocess.CompletedProcess(["guidriver.exe"] + args, int(line[1:]),
                                                   "".join(item + "\n" for item in out),
                                                   "".join(item + "\n" for item in err))
            (err if line.startswith("\x02") else out).append(line.lstrip("\x02"))

    def stop(self):
        if self.proc is not None:
            _kill_group(self.proc)
            self.proc.wait()
            for stream in (self.proc.stdin, self.proc.stdout):
                try:
                    stream.close()
                except OSError:
                    pass
            self.proc = None


class Wine:
    """One Wine prefix in use: its directory, display and environment, and the wineserver and
    desktop keeper started for it. `display` is a Display, "private" for an Xvfb of its own, or
    None for $DISPLAY (a private one when there is none); `env` is added to every program's
    environment (CUPS_SERVER, say)."""

    def __init__(self, prefix, display=None, env=None):
        self.prefix = Path(prefix)
        self.extra = {key: str(value) for key, value in (env or {}).items()}
        self.extra["WINEPREFIX"] = str(self.prefix)
        self._display_choice = display
        self.display = display if isinstance(display, Display) else None
        self._own_display = False
        self._keeper = None
        self.launcher = []  # what runs each program: taskset when pinned to one processor
        self.ready = False
        self._driver = None

    def driver_server(self):
        if self._driver is None:
            self._driver = DriverServer(self)
        return self._driver

    def _display(self):
        if self.display is None:
            if self._display_choice != "private":
                self.display = Display.from_environment()
            if self.display is None:
                self.display = Display.private()
                self._own_display = True
        return self.display

    def environment(self, extra=None):
        """The environment of a Windows program in this prefix, plus `extra`."""
        env = dict(os.environ)
        env.update((key, value) for key, value in WINE_ENV.items() if key != "WINEPREFIX")
        env.setdefault("WINEDEBUG", "-all")
        env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
        env["DISPLAY"] = self._display().name
        env.update(self.extra)
        if extra:
            env.update({key: str(value) for key, value in extra.items()})
        return env

    def _quiet(self, args, launcher=(), timeout=120):
        subprocess.run(list(launcher) + [str(a) for a in args], env=self.environment(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=timeout)

    def create(self, fresh=False, update=False):
        """Makes the prefix when it does not exist (or anew when `fresh`) as a copy of the
        template (unmanaged X windows, so that hiding a window does not wait for a window
        manager that is not there). With `update`, Wine then reads the system's state again
        (its printer list from CUPS_SERVER, say), which it otherwise does only when a prefix is
        made."""
        if fresh and self.prefix.exists():
            self.stop()
            shutil.rmtree(self.prefix)
        if not (self.prefix / "system.reg").exists():
            ensure_template()
            shutil.rmtree(self.prefix, ignore_errors=True)
            self.prefix.parent.mkdir(parents=True, exist_ok=True)
            subprocess.run(["cp", "-a", str(TEMPLATE), str(self.prefix)], check=True)
            if update:
                self._quiet([WINERUN, "wineboot", "-u"], timeout=PREFIX_TIMEOUT)
                self._quiet(["wineserver", "-w"])

    def ensure(self, cpu=None):
        """Makes the prefix, starts its wineserver and a desktop keeper with their output
        detached: whoever starts them hands them its stdout, and a pipe that the server holds
        never reaches its end, so a test reading a program's output would wait for ever. With
        `cpu`, the server and the programs this rig starts run on that one processor."""
        if self.ready:
            return
        self.create()
        launcher = ["taskset", "-c", str(cpu)] if cpu is not None else []
        self.launcher = launcher
        self._quiet(["wineserver", "-p"], launcher)
        # A window of ours that lives as long as this test process keeps the desktop up, so that
        # no later program (with our pipes) has to start it.
        self._keeper = subprocess.Popen(launcher + [str(WINERUN), str(TOOLS / "keepdesktop.exe")],
                                        env=self.environment(), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        self._quiet([WINERUN, "cmd", "/c", "exit", "0"], launcher, timeout=PREFIX_TIMEOUT)
        self.ready = True

    def stop_keeper(self):
        if self._driver:
            self._driver.stop()
        if self._keeper:
            _kill_group(self._keeper)
            self._keeper.wait()
            self._keeper = None

    def stop(self):
        """Ends every program of the prefix, its server and desktop, and a private display."""
        self.stop_keeper()
        if self.prefix.exists():
            self._quiet(["wineserver", "-k"])
            self._quiet(["wineserver", "-w"])
        self.ready = False
        if self._own_display and self.display:
            self.display.stop()
            self.display = None

    def finish(self):
        """At the end of the test process: a prefix on a private display goes with it; one on
        the shared display keeps its server for the next test process."""
        if self._own_display:
            self.stop()
        else:
            self.stop_keeper()


def _first_session():
    if not ISOLATED_NAME:
        return Wine(WINE_ENV["WINEPREFIX"])
    session = Wine(WORK / "prefix", display="private")
    session.create(fresh=True)
    return session


_sessions = [_first_session()]
# The prefix in use (kept as a plain module value for tests that read it).
PREFIX = _sessions[-1].prefix
_started = []


@atexit.register
def _finish_all():
    kill_started()
    for session in reversed(_sessions):
        session.finish()
    if ISOLATED_NAME:
        # The process's prefixes go with it (each is a few hundred megabytes).
        for prefix in WORK.glob("prefix*"):
            shutil.rmtree(prefix, ignore_errors=True)


def current():
    """The Wine in use."""
    return _sessions[-1]


def use_prefix(prefix, display=None, env=None, fresh=False, update=False):
    """Makes the rig use the prefix at `prefix` (made on first use, or anew when `fresh`;
    `update` as for Wine.create) until restore_prefix(); `display` and `env` as for Wine.
    Returns the Wine."""
    global PREFIX
    session = Wine(prefix, display, env)
    session.create(fresh=fresh, update=update)
    _sessions.append(session)
    PREFIX = session.prefix
    return session


def restore_prefix():
    """Ends the programs, server, desktop (and private display) of the prefix in use and goes
    back to the one used before it."""
    global PREFIX
    kill_started()
    if len(_sessions) > 1:
        _sessions.pop().stop()
    PREFIX = _sessions[-1].prefix


def env(extra=None):
    """The environment of a Windows program in the prefix in use, plus `extra`."""
    return current().environment(extra)


def ensure_wine(cpu=None):
    """Makes the prefix in use and starts its server and desktop (see Wine.ensure)."""
    current().ensure(cpu)


def restart_wine(cpu=None):
    """Ends every program of the prefix in use and starts its server anew (on processor `cpu`)."""
    kill_started()
    current().stop()
    current().ensure(cpu)


def process_prefix(pid):
    """The Wine prefix a process runs in (its WINEPREFIX), or None when it cannot be read."""
    try:
        environ = Path("/proc/%s/environ" % pid).read_bytes().split(b"\0")
    except OSError:
        return None
    for item in environ:
        if item.startswith(b"WINEPREFIX="):
            return Path(item[len(b"WINEPREFIX="):].decode())
    return None


def wine_path(path):
    """The Windows form (Z:\\...) of a Unix path."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def make_program_dir(name, extra_files=(), capturo="dist", postlib="dist"):
    """A fresh directory WORK/name with a copy of dist/. `capturo` and `postlib` choose the
    libraries: "dist" (the real one, or the stub while dist has none), "stub",
    "stub-no-endxfer" / "stub-no-content", or None for no library at all."""
    target = WORK / name
    if target.exists():
        shutil.rmtree(target)
    target.mkdir(parents=True)
    for item in DIST.iterdir():
        if item.is_file() and not item.name.startswith(PACKAGE_PREFIX):
            shutil.copy2(item, target / item.name)
    for library, choice, stubs in (("Capturo.dll", capturo, "capturo"), ("Postlib.dll", postlib, "postlib")):
        if choice == "dist" and (DIST / library).exists():
            continue
        (target / library).unlink(missing_ok=True)
        if choice is None:
            continue
        variant = stubs if choice in ("dist", "stub") else stubs + "-" + choice.replace("stub-", "")
        shutil.copy2(FIXTURES / variant / library, target / library)
    for extra in extra_files:
        shutil.copy2(extra, target / Path(extra).name)
    return target


def write_ini(path, sections):
    """Writes a profile file: {section: {key: value}}."""
    lines = []
    for section, keys in sections.items():
        lines.append("[%s]" % section)
        lines.extend("%s=%s" % (key, value) for key, value in keys.items())
        lines.append("")
    Path(path).write_text("\r\n".join(lines), encoding="latin-1")


def read_ini(path):
    """{section: {key: value}} of a profile file, names as written."""
    sections, current_section = {}, None
    for raw in Path(path).read_text(encoding="latin-1").splitlines():
        line = raw.strip()
        if line.startswith("[") and line.endswith("]"):
            current_section = sections.setdefault(line[1:-1], {})
        elif "=" in line and current_section is not None:
            key, value = line.split("=", 1)
            current_section[key.strip()] = value
    return sections


def _command(args):
    return current().launcher + [str(WINERUN)] + [str(a) for a in args]


def run(args, cwd=None, timeout=60, env=None, text=True):
    """Runs a Windows program to its end in a process group of its own; returns the
    CompletedProcess (text output unless `text` is False). On a timeout the program and all it
    started are ended and subprocess.TimeoutExpired is raised."""
    ensure_wine()
    proc = subprocess.Popen(_command(args), cwd=cwd, env=current().environment(env), stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True,
                            **({"text": True, "errors": "replace"} if text else {}))
    try:
        stdout, stderr = proc.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        _kill_group(proc)
        proc.communicate()
        raise
    return subprocess.CompletedProcess(proc.args, proc.returncode, stdout, stderr)


def start(args, cwd=None, env=None):
    """Starts a Windows program in the background, in a process group of its own; returns the
    Popen. kill_started() ends it."""
    ensure_wine()
    proc = subprocess.Popen(_command(args), cwd=cwd, env=current().environment(env), stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, errors="replace",
                            start_new_session=True)
    _started.append(proc)
    return proc


def wait_exit(proc, timeout=30):
    """The exit code of a started program; kills it and fails when it does not end."""
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        _kill_group(proc)
        raise AssertionError("program did not end within %s s" % timeout)


def kill_started():
    """Ends every program started by this rig that is still running."""
    while _started:
        proc = _started.pop()
        _kill_group(proc)
        proc.communicate()


def driver_result(*args, timeout=30):
    """Runs a GUI test driver command; returns a CompletedProcess (its output, failure reason
    and exit code). The commands go to one driver process per prefix (its serve mode), which
    saves a Wine process start per command."""
    ensure_wine()
    return current().driver_server().call([str(a) for a in args], timeout + 10)


def driver(*args, timeout=30):
    """Runs the GUI test driver and returns its output; fails when the driver fails."""
    result = driver_result(*args, timeout=timeout)
    if result.returncode != 0:
        raise AssertionError("guidriver %s failed: %s" % (" ".join(map(str, args)), result.stderr.strip()))
    return result.stdout


def window_texts(*selector, timeout=30):
    """(caption, [child texts]) of the first window matching the selector."""
    caption, texts = None, []
    for line in driver("texts", *selector, "--timeout", int(timeout * 1000), timeout=timeout).splitlines():
        fields = line.split("\t")
        if fields[0] == "caption":
            caption = fields[1] if len(fields) > 1 else ""
        elif len(fields) >= 3:
            texts.append(fields[2])
    return caption, texts


def top_windows():
    """[(hwnd, pid, class, title)] of the visible top-level windows."""
    rows = []
    for line in driver("list").splitlines():
        fields = line.split("\t")
        if len(fields) >= 4:
            rows.append(tuple(fields[:4]))
    return rows
