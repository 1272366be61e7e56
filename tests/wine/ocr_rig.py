"""Helpers of the OCR tests: the virtual scanner's text page as a 300 dpi TIFF, its known
words, the OCR engine installed in the test prefix (either edition, with its registry key),
the engine's registry values read back, stand-ins for Tesseract, RTF read as text and the
share of the page's words found in it."""

import collections
import os
import re
import shutil
import stat
import subprocess
from pathlib import Path

from PIL import Image

import rig
import scan_rig

KEYS = {"20": r"HKCU\Software\Xerox\TextBridge\Classic 2.0\TextBridge",
        "96": r"HKCU\Software\Xerox\TextBridge\Classic 96\TextBridge"}
PROGRAMS = {"20": "tb", "96": "tb96"}
INSTALL_DIR = rig.PREFIX / "drive_c" / "Program Files" / "Orvane OCR" / "bin"
PAGE_TEXT = rig.ROOT / "build" / "native" / "tests" / "page_text"


def page_lines():
    """The text lines printed on the virtual scanner's page."""
    return subprocess.run([str(PAGE_TEXT)], capture_output=True, text=True, check=True).stdout.splitlines()


def words(text):
    """The words of a text, lower case, without punctuation."""
    return [w for w in (re.sub(r"[^\w]", "", t).lower() for t in text.split()) if w]


def word_accuracy(text):
    """Share of the page's words (counted with repeats) that the text holds."""
    expected = collections.Counter(words("\n".join(page_lines())))
    found = collections.Counter(words(text))
    return sum((expected & found).values()) / sum(expected.values())


def text_page_tiff(target):
    """Scans the page as line art at 300 dpi (Letter) with scanhost and saves it as TIFF."""
    target = Path(target)
    if target.exists():
        return target
    scan_rig.install_scanner()
    host = scan_rig.host_dir("ocr_page")
    run = scan_rig.run_host(host, "--pixel", "0", "--res", "300", "--frame", "0,0,8.5,11", "--out",
                            rig.wine_path(host) + "\\", timeout=300)
    moved = [line.split(" ", 1)[1] for line in run.starting("MOVED")]
    assert moved, run.lines
    bitmap = host / Path(moved[0].replace("\\", "/")).name
    target.parent.mkdir(parents=True, exist_ok=True)
    with Image.open(bitmap) as page:
        page.convert("1").save(target, compression="group4", dpi=(300, 300))
    return target


def rtf_text(rtf):
    """The plain text of an RTF document: paragraphs and lines as line breaks, escapes and
    \\'hh / \\uN characters decoded, the font table left out."""
    out, i, depth, skip_depth, skip_chars = [], 0, 0, None, 0
    while i < len(rtf):
        c = rtf[i]
        if c == "{":
            depth += 1
            if skip_depth is None and rtf.startswith("{\\fonttbl", i):
                skip_depth = depth
            i += 1
        elif c == "}":
            if skip_depth == depth:
                skip_depth = None
            depth -= 1
            i += 1
        elif c == "\\":
            m = re.match(r"\\([a-z]+)(-?\d+)? ?|\\'([0-9a-fA-F]{2})|\\(.)", rtf[i:], re.S)
            i += m.end()
            if skip_depth is not None:
                continue
            word, number, hexa, symbol = m.groups()
            if hexa:
                out.append(bytes([int(hexa, 16)]).decode("cp1252", errors="replace"))
            elif symbol:
                out.append(symbol if symbol in "\\{}" else "")
            elif word in ("par", "line"):
                out.append("\n")
            elif word == "tab":
                out.append("\t")
            elif word == "u":
                out.append(chr(int(number) % 65536))
                skip_chars = 1
        elif c in "\r\n":
            i += 1
        else:
            if skip_depth is None:
                if skip_chars:
                    skip_chars -= 1
                else:
                    out.append(c)
            i += 1
    return "".join(out)


def check_searchable_pdf(test, pdf, size, dpi):
    """The judges of a searchable PDF of the text page: qpdf finds no fault; one image of the
    page's pixel size at `dpi`; rendered at that resolution the page is that size; its text
    holds at least 95 % of the page's words."""
    check = subprocess.run(["qpdf", "--check", str(pdf)], capture_output=True, text=True)
    test.assertIn("No syntax or stream encoding errors found", check.stdout, check.stdout + check.stderr)
    listing = subprocess.run(["pdfimages", "-list", str(pdf)], capture_output=True, text=True).stdout
    images = [line.split() for line in listing.splitlines()[2:]]
    test.assertEqual(len(images), 1, listing)
    test.assertEqual((int(images[0][3]), int(images[0][4])), size, listing)
    test.assertEqual((int(images[0][12]), int(images[0][13])), (dpi, dpi), listing)
    rendered = Path(str(pdf) + "-rendered")
    subprocess.run(["pdftoppm", "-r", str(dpi), "-gray", "-singlefile", str(pdf), str(rendered)], check=True)
    with Image.open(str(rendered) + ".pgm") as page:
        test.assertEqual(page.size, size)
    text = subprocess.run(["pdftotext", str(pdf), "-"], capture_output=True, text=True).stdout
    test.assertGreaterEqual(word_accuracy(text), 0.95, text)
    return listing, text


def install_engine(edition, tesseract=None, language=None):
    """scripts/install-ocr into the test prefix; returns the engine's directory."""
    args = [str(rig.ROOT / "scripts" / "install-ocr"), "--edition", edition]
    if tesseract:
        args += ["--tesseract", tesseract]
    if language:
        args += ["--language", language]
    rig.ensure_wine()
    completed = subprocess.run(args, env=rig.env(), capture_output=True, text=True, timeout=300)
    assert completed.returncode == 0, completed.stderr
    return INSTALL_DIR


def uninstall_engines():
    for key in KEYS.values():
        rig.run(["reg", "delete", key, "/f"])


def set_values(edition, values):
    """Writes values under the edition's key: {name: int or str}."""
    for name, value in values.items():
        kind, data = ("REG_DWORD", str(value)) if isinstance(value, int) else ("REG_SZ", value)
        result = rig.run(["reg", "add", KEYS[edition], "/v", name, "/t", kind, "/d", data, "/f"])
        assert result.returncode == 0, result.stdout + result.stderr


def values(edition):
    """{name: int or str} of the edition's key, as `reg query` reads it."""
    result = rig.run(["reg", "query", KEYS[edition]])
    found = {}
    for line in result.stdout.splitlines():
        parts = re.split(r"\s{2,}|\t", line.strip(), maxsplit=2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            data = parts[2] if len(parts) > 2 else ""
            found[parts[0]] = int(data, 16) if parts[1] == "REG_DWORD" else data
    return found


def stand_in_tesseract(directory, languages=("eng",), text="Stand-in text\n", exit_code=0):
    """A shell script that answers like Tesseract: its --list-langs lists `languages`; on a
    page it writes `text` to <base>.txt and exits with `exit_code`; its orientation detection
    finds too few characters. Each call's arguments (but the detection's) are appended to
    calls.txt beside it. Returns its Unix path."""
    directory = Path(directory)
    directory.mkdir(parents=True, exist_ok=True)
    script = directory / "tesseract"
    (directory / "page.txt").write_text(text, encoding="utf-8")
    script.write_text(
        "#!/bin/sh\n"
        # The orientation detection finds too little text on any page.
        'case " $* " in *" --psm 0 "*) echo "Too few characters. Skipping this page"; exit 0;; esac\n'
        'echo "$@" >> "%(dir)s/calls.txt"\n'
        'if [ "$1" = --list-langs ]; then\n'
        '  echo "List of available languages in \\"/stand-in/\\" (%(count)d):"\n'
        "  printf '%%s\\n' %(langs)s\n"
        "  exit 0\n"
        "fi\n"
        'cp "%(dir)s/page.txt" "$2.txt"\n'
        "exit %(code)d\n" % {"dir": directory, "count": len(languages), "langs": " ".join(languages),
                             "code": exit_code})
    script.chmod(script.stat().st_mode | stat.S_IXUSR | stat.S_IXGRP | stat.S_IXOTH)
    return str(script)


def calls(script):
    path = Path(script).parent / "calls.txt"
    return path.read_text().splitlines() if path.exists() else []
