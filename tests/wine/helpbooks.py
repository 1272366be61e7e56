"""Reading the shipped help for the tests: the help sources and their languages, a CHM file's
listing, pages and #SYSTEM header through Debian's CHM library tools, and the string tables of
the shipped modules as Windows loads them."""

import configparser
import html
import re
import struct
import subprocess
import tempfile
from pathlib import Path

import rig

SOURCES = rig.ROOT / "resources" / "help"
BASE = "Orvane"
# Help folder, its file suffix, and the letters of the libraries' language files.
LANGUAGES = {"en": "_e", "de": "_g", "fr": "_f", "it": "_i", "es": "_s", "nl": "_d", "ja": "_j", "zh-Hans": "_m",
             "zh-Hant": "_c", "ko": "_k", "pt": "_p", "da": "_da", "sv": "_sw"}
# Messages the program always takes from its own (English) table: the binding failures and
# the component services' failure.
UNLOCALISED = {57347, 57348, 57349, 57350, 57368}


def written_languages():
    """The help folders that hold a book, in the order of LANGUAGES."""
    return [tag for tag in LANGUAGES if (SOURCES / tag / "book.ini").exists()]


def book_info(tag):
    book = configparser.ConfigParser(interpolation=None)
    book.read(SOURCES / tag / "book.ini", encoding="utf-8")
    return book["book"]


def page_names():
    names = []
    for line in (SOURCES / "pages.txt").read_text(encoding="utf-8").splitlines():
        line = line.split("#", 1)[0].strip()
        if line:
            names.extend(line.split()[1:])
    return names


def chm_listing(path):
    """The names of the objects a CHM file holds, as the CHM library lists them."""
    out = subprocess.run(["enum_chmLib", str(path)], capture_output=True, text=True, check=True).stdout
    return {line.split("\t")[-1].strip() for line in out.splitlines() if "\t" in line}


def chm_extract(path):
    """A temporary directory with every object of the CHM file; the caller cleans it up."""
    scratch = tempfile.TemporaryDirectory()
    subprocess.run(["extract_chmLib", str(path), scratch.name], capture_output=True, check=True)
    return scratch


def system_header(data):
    """(title, LCID) from a CHM's #SYSTEM object: a version, then records of code, length, data."""
    title, lcid, at = None, None, 4
    while at + 4 <= len(data):
        code, length = struct.unpack_from("<HH", data, at)
        record = data[at + 4:at + 4 + length]
        if code == 3:
            title = record.split(b"\0", 1)[0]
        elif code == 4 and length >= 4:
            lcid = struct.unpack_from("<I", record)[0]
        at += 4 + length
    return title, lcid


def module_strings(module):
    """{id: text} of a module's string table as Windows loads it (the dumpstrings fixture)."""
    result = rig.run([rig.TOOLS / "dumpstrings.exe", rig.wine_path(module), 0, 65535], timeout=300)
    if result.returncode != 0:
        raise AssertionError("dumpstrings %s: %s" % (module, result.stderr))
    strings = {}
    for line in result.stdout.splitlines():
        number, _, text = line.partition("\t")
        if number.isdigit():
            strings[int(number)] = text.replace("\\n", "\n")
    return strings


def seen_texts(tag):
    """The texts a user of the language sees, from the shipped modules: each language
    library's string, the English one where the library lacks it, and the program's own
    English messages that it never takes from a language library."""
    letters = LANGUAGES[tag][1:]
    seen = []
    for english, language in (("Orvane.exe", "dsk_l%s.dll"), ("Postlib.dll", "mail_l%s.dll"),
                              ("Capturo.dll", "Scan_l%s.dll")):
        own = module_strings(rig.DIST / english)
        local = {}
        if tag != "en" and (rig.DIST / (language % letters)).exists():
            local = {k: v for k, v in module_strings(rig.DIST / (language % letters)).items() if v}
        merged = dict(own)
        merged.update({k: v for k, v in local.items() if not (english == "Orvane.exe" and k in UNLOCALISED)})
        seen.extend(merged.values())
    return seen


def normalised(text):
    return " ".join(text.split())


def compiled_quotes(tag):
    """[(page, text)] of the messages the language's compiled book quotes as whole messages:
    each <dt class="msg">, where <br> stands for a line break of the message."""
    codepage = book_info(tag)["codepage"]
    quotes = []
    with chm_extract(rig.DIST / (BASE + LANGUAGES[tag] + ".chm")) as scratch:
        for page in sorted(Path(scratch).glob("*.htm")):
            text = page.read_bytes().decode(codepage)
            for raw in re.findall(r'<dt class="msg">(.*?)</dt>', text, re.S):
                quotes.append((page.name, html.unescape(raw)))
    return quotes


def shown_texts(texts):
    """The texts as a user sees them: line breaks as spaces, a "%s" as "...", and messages
    that follow a file name (their text starts with a space, a no-break space or a colon) as
    they end."""
    shown = {normalised(text.replace("%s", "...")) for text in texts}
    suffixes = {normalised(text) for text in texts if text[:1] in (" ", "\u00a0", ":")}
    return shown, suffixes


def quote_found(quote, shown, suffixes):
    """A quote is one message, or several messages each on its own line."""
    def one(text):
        text = normalised(text)
        return text in shown or any(text.endswith(s) and len(text) > len(s) for s in suffixes)
    whole = re.sub(r"<br\s*/?>", " ", quote)
    return one(whole) or all(one(part) for part in re.split(r"<br\s*/?>", quote))
