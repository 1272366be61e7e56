"""The Wine test rig: the Wine prefix a test process uses (made on first use) on its X display,
the prefix's wineserver and desktop kept up by us, Windows programs run and ended in process
groups of their own, program directories made from dist/, and the GUI test driver. Used by
every tests/wine/test_*.py; real peers are in services.py, the stand-in programs in standins.py."""

import atexit
import os
import shutil
import signal
import subprocess
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
WORK = ROOT / "build" / "wine-tests"
# The setup program and the portable zip in dist/ are not part of a program directory.
PACKAGE_PREFIX = "Orvane-"
WINERUN = ROOT / "scripts" / "winerun"
# Making a prefix runs Wine's whole set-up (about ten seconds; far more on a loaded machine).
PREFIX_TIMEOUT = 600


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
    def private(cls):
        """A fresh Xvfb on the first free display number."""
        read, write = os.pipe()
        process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten",
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

    def create(self, fresh=False):
        """Makes the prefix when it does not exist (or anew when `fresh`): unmanaged X windows,
        so that hiding a window does not wait for a window manager that is not there."""
        if fresh and self.prefix.exists():
            self.stop()
            shutil.rmtree(self.prefix)
        if not (self.prefix / "system.reg").exists():
            self.prefix.parent.mkdir(parents=True, exist_ok=True)
            # winerun makes the prefix (the one recipe, shared with the scripts).
            self._quiet([WINERUN, "cmd", "/c", "exit", "0"], timeout=PREFIX_TIMEOUT)

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


_sessions = [Wine(WINE_ENV["WINEPREFIX"])]
# The prefix in use (kept as a plain module value for tests that read it).
PREFIX = _sessions[-1].prefix
_started = []


@atexit.register
def _finish_all():
    kill_started()
    for session in reversed(_sessions):
        session.finish()


def current():
    """The Wine in use."""
    return _sessions[-1]


def use_prefix(prefix, display=None, env=None, fresh=False):
    """Makes the rig use the prefix at `prefix` (made on first use, or anew when `fresh`) until
    restore_prefix(); `display` and `env` as for Wine. Returns the Wine."""
    global PREFIX
    session = Wine(prefix, display, env)
    session.create(fresh=fresh)
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
    """Runs the GUI test driver; returns the CompletedProcess."""
    return run([TOOLS / "guidriver.exe"] + [str(a) for a in args], timeout=timeout + 10)


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
