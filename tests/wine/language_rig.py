"""The languages under Wine: the prefix's CJK faces, the locale that gives a language its code
page, a program directory with the shipped description file naming a language, the interface
font of each language, and sessions of textfit.exe, which measures, draws and inspects in one
Wine process what would otherwise take a dozen."""

import re
import subprocess
import sys
from pathlib import Path

import rig

sys.path.insert(0, str(rig.ROOT / "tools" / "langcheck"))
import langcheck  # noqa: E402

LANGUAGES = langcheck.read_languages(rig.ROOT)
TEXTFIT = rig.TOOLS / "textfit.exe"
# The interface font by language id: charset, output and clip precision, face (weight 600,
# variable pitch, swiss).
JAPANESE, SIMPLE, KOREAN = 9006, 9007, 9008
FONTS = {JAPANESE: (128, 0, 0, "ＭＳ 明朝"), SIMPLE: (134, 4, 0x20, "Arial"), KOREAN: (1, 0, 0x20, "Arial")}
WESTERN_FONT = (0, 0, 0, "Arial")

_fonts_ready = []


def language(folder):
    return next(lang for lang in LANGUAGES if lang.folder == folder)


def language_id(lang):
    return 9000 + LANGUAGES.index(lang)


def font_spec(lang):
    return "%d,%d,%d,%s" % FONTS.get(language_id(lang), WESTERN_FONT)


def environment(lang):
    """What a program of this language runs with: its Unix locale, which sets Wine's ANSI code
    page (the Western code page is what every locale gives)."""
    return {"LANG": lang.locale, "LC_ALL": lang.locale} if lang.locale else {}


def ensure_fonts():
    """Puts the CJK face replacements into the test prefix (once per test process)."""
    if _fonts_ready:
        return
    rig.ensure_wine()
    result = subprocess.run([str(rig.ROOT / "scripts" / "wine-fonts")], env=rig.env(), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, timeout=1200)
    if result.returncode != 0:
        raise AssertionError("scripts/wine-fonts: " + result.stderr)
    _fonts_ready.append(True)


def program(lang, name):
    """A program directory (stub libraries) with the shipped settings and description file,
    whose LANGUAGE names `lang` and whose model is the directory's name. Returns (directory,
    window title)."""
    directory = rig.make_program_dir(name, capturo="stub", postlib="stub")
    description = (rig.DIST / "VS600.ini").read_bytes()
    description = re.sub(rb"(?m)^LANGUAGE=.*$", b"LANGUAGE=" + lang.name.encode() + b"\r", description)
    description = re.sub(rb"(?m)^Model=VS-600\r?$", b"Model=" + name.encode() + b"\r", description)
    (directory / "VS600.ini").write_bytes(description)
    quendel = (rig.DIST / "Quendel.ini").read_bytes()
    path = rig.wine_path(directory / "VS600.ini").encode()
    quendel = re.sub(rb"(?m)^Path=.*$", lambda _: b"Path=" + path + b"\r", quendel, count=1)
    (directory / "Quendel.ini").write_bytes(quendel)
    return directory, "Orvane %s Desk" % name


class Session:
    """Tasks for one run of textfit.exe under a language's code page. Each method queues a
    task and returns its number; run() returns {number: (exit code, output lines)}."""

    def __init__(self, lang, scratch):
        self.lang, self.scratch, self.tasks = lang, Path(scratch), []

    def _add(self, *fields):
        self.tasks.append("\t".join(str(f) for f in fields))
        return len(self.tasks)

    def measure(self, library, height, ids):
        return self._add("measure", rig.wine_path(library), font_spec(self.lang), height, *ids)

    def render(self, library, background, out, colour, lines):
        """Draws (height, x, y, id) lines of the library on the background bitmap file."""
        fields = [f for line in lines for f in line]
        return self._add("render", rig.wine_path(library), font_spec(self.lang), rig.wine_path(background),
                         rig.wine_path(out), colour, *fields)

    def dialog(self, library, dialog, controls):
        pairs = ["%d:%d" % item for item in controls.items()]
        return self._add("dialog", rig.wine_path(library), rig.wine_path(rig.DIST / "Orvane.exe"), dialog, *pairs)

    def driver(self, *args):
        return self._add("driver", *args)

    def sleep(self, milliseconds):
        return self._add("sleep", milliseconds)

    def run(self, timeout=1200):
        tasks = self.scratch / "tasks.txt"
        tasks.write_text("\n".join(self.tasks) + "\n", encoding="utf-8")
        result = rig.run([TEXTFIT, rig.wine_path(tasks)], env=environment(self.lang), timeout=timeout)
        outputs, current, lines = {}, None, []
        for line in result.stdout.splitlines():
            marker = re.fullmatch(r"== (\d+)(?: (-?\d+))?", line)
            if marker and marker.group(2) is None:
                current, lines = int(marker.group(1)), []
            elif marker:
                outputs[current] = (int(marker.group(2)), lines)
                current = None
            elif current is not None:
                lines.append(line)
        missing = [n for n in range(1, len(self.tasks) + 1) if n not in outputs]
        if missing:
            raise AssertionError("textfit ran no task %s: %s" % (missing, result.stderr.strip()))
        return outputs, result.stderr


def measured(lines):
    """{id: (width, height, lossless, missing glyphs)} of a measure task's output."""
    sizes = {}
    for line in lines:
        fields = line.split("\t")
        if len(fields) == 5:
            sizes[int(fields[0])] = (int(fields[1]), int(fields[2]), fields[3] == "1", int(fields[4]))
    return sizes


def dialog_fits(lines):
    """{control: (text width, room, lossless)} of a dialog task's output."""
    fits = {}
    for line in lines:
        fields = line.split("\t")
        if len(fields) == 5:
            fits[int(fields[0])] = (int(fields[2]), int(fields[3]), fields[4] == "1")
    return fits


def control_rects(lines):
    """{control id: (left, top, right, bottom, visible)} of a driver "texts" task's output."""
    found = {}
    for line in lines:
        fields = line.split("\t")
        if len(fields) >= 5 and fields[0].isdigit():
            left, top, width, height = (int(v) for v in fields[4].split(",")[:4])
            found[int(fields[0])] = (left, top, left + width, top + height, fields[3] == "visible")
    return found
