"""The Wine test rig: program directories made from dist/, Windows programs run through
scripts/winerun, and the GUI test driver. Used by every tests/wine/test_*.py."""

import atexit
import os
import shutil
import signal
import subprocess
import time
from pathlib import Path

ROOT = Path(os.environ.get("ORVANE_ROOT", Path(__file__).resolve().parents[2]))
DIST = ROOT / "dist"
TOOLS = ROOT / "build" / "win" / "bin"
FIXTURES = TOOLS / "fixtures"
PREFIX = Path(os.environ.get("WINEPREFIX", ROOT / "build" / "wineprefix"))
WORK = ROOT / "build" / "wine-tests"
WINERUN = ROOT / "scripts" / "winerun"

_started = []


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
        if item.is_file():
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
    sections, current = {}, None
    for raw in Path(path).read_text(encoding="latin-1").splitlines():
        line = raw.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current[key.strip()] = value
    return sections


def _env(extra):
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", str(PREFIX))
    if extra:
        env.update(extra)
    return env


_wine_ready = []


def ensure_wine():
    """Starts the prefix's wineserver and desktop with their output detached. Whoever starts
    them passes them its stdout, and a pipe that the server holds never reaches its end, so a
    test that reads a program's output would wait for ever."""
    if _wine_ready:
        return
    subprocess.run(["wineserver", "-p"], env=_env(None), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # A window of ours that lives as long as this test process keeps the desktop up, so that
    # no later program (with our pipes) has to start it.
    keeper = subprocess.Popen([str(WINERUN), str(TOOLS / "keepdesktop.exe")], env=_env(None),
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              start_new_session=True)
    atexit.register(_stop_keeper, keeper)
    subprocess.run([str(WINERUN), "cmd", "/c", "exit", "0"], env=_env(None), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=900)
    _wine_ready.append(True)


def _stop_keeper(keeper):
    try:
        os.killpg(keeper.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    keeper.wait()


def run(args, cwd=None, timeout=60, env=None):
    """Runs a Windows program to its end; returns the CompletedProcess (text output)."""
    ensure_wine()
    return subprocess.run([str(WINERUN)] + [str(a) for a in args], cwd=cwd, env=_env(env),
                          capture_output=True, text=True, errors="replace", timeout=timeout)


def start(args, cwd=None, env=None):
    """Starts a Windows program in the background, in a process group of its own; returns the
    Popen."""
    ensure_wine()
    proc = subprocess.Popen([str(WINERUN)] + [str(a) for a in args], cwd=cwd, env=_env(env),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, errors="replace",
                            start_new_session=True)
    _started.append(proc)
    return proc


def wait_exit(proc, timeout=30):
    """The exit code of a started program; kills it and fails when it does not end."""
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        raise AssertionError("program did not end within %s s" % timeout)


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


def kill_started():
    """Ends every program started by this rig that is still running."""
    while _started:
        proc = _started.pop()
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        proc.communicate()


