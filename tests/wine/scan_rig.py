"""Helpers of the acquisition tests: the virtual scanner installed into the test prefix as
twain_32\\sane.ds with its settings file, a directory with scanhost and Capturo, runs of
scanhost, the scanner's triplet log and the bitmap files."""

import shutil
import struct
from pathlib import Path

import rig


def twain_dir():
    """The data sources' folder of the prefix in use (the prefix can change during a run)."""
    # Wine's manager loads its sources from twain_32, or twain_64 in a 64-bit process.
    return rig.PREFIX / "drive_c" / "windows" / ("twain_64" if rig.ARCH == "win64" else "twain_32")


def __getattr__(name):
    """TWAIN_DIR, LOG and INI, read from the prefix in use."""
    places = {"TWAIN_DIR": twain_dir(), "LOG": twain_dir() / "vscanner.log", "INI": twain_dir() / "vscanner.ini"}
    if name in places:
        return places[name]
    raise AttributeError(name)


def ensure_prefix():
    rig.current().create()


def install_scanner(**settings):
    """Copies dist/sane.ds into the prefix and writes its [Scanner] settings."""
    ensure_prefix()
    twain = twain_dir()
    twain.mkdir(parents=True, exist_ok=True)
    shutil.copy2(rig.DIST / "sane.ds", twain / "sane.ds")
    (twain / "vscanner.log").unlink(missing_ok=True)
    rig.write_ini(twain / "vscanner.ini", {"Scanner": {key: str(value) for key, value in settings.items()}})


def reset_scanner():
    (twain_dir() / "vscanner.ini").unlink(missing_ok=True)
    (twain_dir() / "vscanner.log").unlink(missing_ok=True)


def host_dir(name, extra=()):
    """WORK/name with scanhost.exe and Capturo.dll (and `extra` files from dist/)."""
    target = rig.WORK / name
    if target.exists():
        shutil.rmtree(target)
    target.mkdir(parents=True)
    shutil.copy2(rig.TOOLS / "scanhost.exe", target)
    shutil.copy2(rig.DIST / "Capturo.dll", target)
    for item in extra:
        shutil.copy2(rig.DIST / item, target)
    return target


class Run:
    """One scanhost run: its output lines and what they say."""

    def __init__(self, completed):
        self.completed = completed
        self.lines = completed.stdout.splitlines()

    def starting(self, prefix):
        return [line for line in self.lines if line.startswith(prefix)]

    def results(self):
        """[dict] of the RESULT lines; {} for a RESULT with lParam 0."""
        out = []
        for line in self.starting("RESULT"):
            fields = {}
            for part in line.split()[1:]:
                if "=" in part:
                    key, value = part.split("=", 1)
                    fields[key] = value
            out.append(fields)
        return out


def run_host(directory, *args, timeout=60, env_extra=None):
    """Runs scanhost in `directory`; its output is in the Windows code page (cp1252)."""
    completed = rig.run([Path(directory) / "scanhost.exe"] + list(args), cwd=directory, timeout=timeout,
                        env=env_extra, text=False)
    completed.stdout = completed.stdout.decode("cp1252", errors="replace")
    completed.stderr = completed.stderr.decode("utf-8", errors="replace")
    run = Run(completed)
    assert "END" in run.lines, "scanhost did not end: %r %r" % (completed.stdout[-2000:], completed.stderr[-2000:])
    return run


def log_lines():
    log = twain_dir() / "vscanner.log"
    return log.read_text(encoding="latin-1").splitlines() if log.exists() else []


def capability_calls(lines=None):
    """[(msg, cap, fields)] of the CAPABILITY triplets in the log."""
    calls = []
    for line in lines if lines is not None else log_lines():
        parts = line.split()
        if len(parts) >= 4 and parts[1] == "CAPABILITY":
            fields = dict(p.split("=", 1) for p in parts[3:] if "=" in p)
            calls.append((parts[2], int(fields["cap"], 16), fields))
    return calls


def read_bmp(path):
    """(header fields, palette bytes, pixel bytes) of a bitmap file."""
    data = Path(path).read_bytes()
    (bf_type, bf_size, r1, r2, off_bits, bi_size, width, height, planes, bit_count, compression, size_image,
     xppm, yppm, clr_used, clr_important) = struct.unpack_from("<2sIHHIIiiHHIIiiII", data, 0)
    header = dict(type=bf_type, size=bf_size, reserved=(r1, r2), off_bits=off_bits, bi_size=bi_size, width=width,
                  height=height, planes=planes, bit_count=bit_count, compression=compression, size_image=size_image,
                  xppm=xppm, yppm=yppm, clr_used=clr_used, clr_important=clr_important, file_length=len(data))
    return header, data[54:off_bits], data[off_bits:]
