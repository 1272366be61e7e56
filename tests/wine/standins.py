"""The stand-in programs in the prefix in use: the image editor installed and registered as
"Ipe.exe" (and its log of how it was started), and the watcher window (and its notices)."""

import shutil
import time
from pathlib import Path

import rig

APP_PATHS = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths"
# A folder with a space in its name, as real editors are installed.
EDITOR_FOLDER = "Program Files/Ipe Editor"


def _reg(*args):
    result = rig.run(["reg"] + list(args) + ["/f"], timeout=120)
    if result.returncode != 0:
        raise AssertionError("reg %s: %s %s" % (" ".join(args), result.stdout, result.stderr))


def _log_records(path):
    """[dict] of a stand-in log's complete lines (tab-separated key=value fields)."""
    if not path.exists():
        return []
    text = path.read_bytes().decode("utf-8", errors="replace")
    lines = text.split("\r\n")[:-1]  # the last piece is empty or still being written
    return [dict(field.split("=", 1) for field in line.split("\t") if "=" in field) for line in lines]


def _wait(read, count, timeout, what):
    deadline = time.monotonic() + timeout
    while True:
        items = read()
        if len(items) >= count or time.monotonic() > deadline:
            break
        time.sleep(0.2)
    if len(items) < count:
        raise AssertionError("%s: %d of %d within %s s: %r" % (what, len(items), count, timeout, items))
    return items


class Editor:
    """The editor stand-in installed in the prefix: `exe` (Unix path), `windows_path`, `log`."""

    def __init__(self, exe):
        self.exe = Path(exe)
        self.windows_path = "C:\\" + str(self.exe.relative_to(rig.PREFIX / "drive_c")).replace("/", "\\")
        self.log = self.exe.parent / "ipe.log"

    def records(self):
        """One dict per start: args, exists, opens, format, size, status, image, cmdline."""
        return _log_records(self.log)

    def wait_records(self, count=1, timeout=60):
        """The records once there are at least `count`; fails after `timeout` seconds."""
        return _wait(self.records, count, timeout, "editor starts")

    def clear_log(self):
        self.log.unlink(missing_ok=True)

    def unregister(self):
        unregister_editor()


def install_editor(stay=False, folder=EDITOR_FOLDER):
    """Copies the stand-in to drive_c/<folder>/Ipe.exe of the prefix in use, registers it under
    App Paths\\Ipe.exe (default value = its full path) and clears its log. With `stay` it keeps a
    window "Ipe - <file name>" open until closed. Returns the Editor."""
    target = rig.PREFIX / "drive_c" / folder / "Ipe.exe"
    target.parent.mkdir(parents=True, exist_ok=True)
    shutil.copy2(rig.TOOLS / "ipe.exe", target)
    editor = Editor(target)
    editor.clear_log()
    options = target.parent / "ipe.ini"
    if stay:
        rig.write_ini(options, {"Ipe": {"Stay": 1}})
    else:
        options.unlink(missing_ok=True)
    _reg("add", APP_PATHS + r"\Ipe.exe", "/ve", "/d", editor.windows_path)
    return editor


def unregister_editor():
    """Removes App Paths\\Ipe.exe from the prefix in use (nothing when it is not there)."""
    rig.run(["reg", "delete", APP_PATHS + r"\Ipe.exe", "/f"], timeout=120)


class Watcher:
    """A running watcher stand-in: `title`, its Popen `proc`, and its `log`."""

    def __init__(self, proc, log, title):
        self.proc, self.log, self.title = proc, Path(log), title

    def lines(self):
        if not self.log.exists():
            return []
        return self.log.read_bytes().decode("utf-8", errors="replace").split("\r\n")[:-1]

    def notices(self):
        """[(wParam, lParam)] of the WM_WATCH_NOTIFY messages received, in order."""
        return [tuple(int(v) for v in line.split()[1:3]) for line in self.lines() if line.startswith("notify ")]

    def wait_notices(self, count, timeout=30):
        return _wait(self.notices, count, timeout, "watcher notices")

    def stop(self):
        """Ends the watcher (its window closes; the process group is ended if it lingers)."""
        rig.driver_result("close", "--title", self.title, "--class", "WatcherStandIn")
        try:
            rig.wait_exit(self.proc, timeout=10)
        except AssertionError:
            pass


def start_watcher(description=None, log=None, hidden=False, timeout=60):
    """Starts the watcher stand-in with the scanner description file `description` (its window
    title is `Model` of [Watch], "ZR7600" without one) and waits until its window exists.
    The log defaults to WORK/watcher-<n>.log (cleared). Returns the Watcher."""
    log = Path(log) if log else rig.WORK / ("watcher-%d.log" % time.monotonic_ns())
    log.parent.mkdir(parents=True, exist_ok=True)
    log.unlink(missing_ok=True)
    args = [rig.TOOLS / "watcher.exe", "--log", rig.wine_path(log)]
    if hidden:
        args.append("--hidden")
    if description:
        args.append(rig.wine_path(description))
    proc = rig.start(args)
    watcher = Watcher(proc, log, None)
    ready = _wait(lambda: [line for line in watcher.lines() if line.startswith("ready ")], 1, timeout,
                  "watcher window")
    watcher.title = ready[0].split(" ", 2)[2]
    return watcher
