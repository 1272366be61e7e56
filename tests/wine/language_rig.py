"""The languages under Wine: the prefix's CJK faces, the locale that gives a language its code
page, a program directory with the shipped description file naming a language, the interface
font of each language, and the text measurer (textfit.exe) that loads a library's strings as
the program does."""

import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

from PIL import Image

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
    env = dict(os.environ, WINEPREFIX=os.environ.get("WINEPREFIX", str(rig.PREFIX)))
    result = subprocess.run([str(rig.ROOT / "scripts" / "wine-fonts")], env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, timeout=600)
    if result.returncode != 0:
        raise AssertionError("scripts/wine-fonts: " + result.stderr)
    _fonts_ready.append(True)


def program(lang, name, model=None):
    """A program directory (stub libraries) with the shipped settings and description file,
    whose LANGUAGE names `lang` and whose model is `model` (default: the directory name).
    Returns (directory, window title)."""
    directory = rig.make_program_dir(name, capturo="stub", postlib="stub")
    description = (rig.DIST / "VS600.ini").read_bytes()
    description = re.sub(rb"(?m)^LANGUAGE=.*$", b"LANGUAGE=" + lang.name.encode() + b"\r", description)
    model = model or name
    description = re.sub(rb"(?m)^Model=VS-600\r?$", b"Model=" + model.encode() + b"\r", description)
    (directory / "VS600.ini").write_bytes(description)
    quendel = (rig.DIST / "Quendel.ini").read_bytes()
    path = rig.wine_path(directory / "VS600.ini").encode()
    quendel = re.sub(rb"(?m)^Path=.*$", lambda _: b"Path=" + path + b"\r", quendel, count=1)
    (directory / "Quendel.ini").write_bytes(quendel)
    return directory, "Orvane %s Desk" % model


def measure(lang, library, height, ids):
    """{id: (width, height, lossless, missing glyphs)} of the library's strings in the
    language's interface font of `height`, under the language's code page."""
    result = rig.run([TEXTFIT, "measure", rig.wine_path(library), font_spec(lang), height] + list(ids),
                     env=environment(lang), timeout=120)
    if result.returncode != 0:
        raise AssertionError("textfit: " + result.stderr)
    sizes = {}
    for line in result.stdout.splitlines():
        fields = line.split("\t")
        if len(fields) == 5:
            sizes[int(fields[0])] = (int(fields[1]), int(fields[2]), fields[3] == "1", int(fields[4]))
    return sizes


def render(lang, library, background, colour, lines):
    """The background image with the library's strings drawn on it as the program draws them:
    lines are (height, x, y, id)."""
    rig.WORK.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory(dir=rig.WORK) as scratch:
        source, target = Path(scratch) / "background.bmp", Path(scratch) / "drawn.bmp"
        background.convert("RGB").save(source)
        args = [TEXTFIT, "render", rig.wine_path(library), font_spec(lang), rig.wine_path(source),
                rig.wine_path(target), colour]
        for line in lines:
            args += list(line)
        result = rig.run(args, env=environment(lang), timeout=120)
        if result.returncode != 0:
            raise AssertionError("textfit: " + result.stderr)
        return Image.open(target).convert("RGB")
