"""Reading the shipped help for the tests: the help sources and their languages, a CHM file's
listing and #SYSTEM header through Debian's CHM library tools, and the string tables whose
messages the help quotes."""

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
# Messages the program always takes from its own (English) table.
UNLOCALISED = {"IDS_CAPTURO_LOAD_FAILED", "IDS_POSTLIB_LOAD_FAILED", "IDS_CAPTURO_FIND_FAILED",
               "IDS_POSTLIB_FIND_FAILED", "IDS_OLE_INIT_FAILED"}


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


def _rc_text(raw):
    text = raw.replace('""', '"')
    return re.sub(r'\\(.)', lambda m: {"n": "\n", "r": "\r", "t": "\t"}.get(m.group(1), m.group(1)), text)


def string_table(*files):
    """{id as written: text} of the STRINGTABLE blocks of the given .rc files."""
    strings = {}
    for path in files:
        inside = False
        for line in Path(path).read_text(encoding="utf-8").splitlines():
            stripped = line.strip()
            if stripped == "STRINGTABLE":
                inside = True
            elif inside and stripped == "END":
                inside = False
            elif inside:
                match = re.match(r'(\w+)\s+"((?:\\.|[^"\\]|"")*)"\s*$', stripped)
                if match:
                    strings[match.group(1)] = _rc_text(match.group(2))
    return strings


def language_strings(tag):
    """Every string a user of the language sees: its libraries' tables, plus the messages the
    program shows from its own table in every language."""
    resources = rig.ROOT / "resources"
    english = string_table(*sorted((resources / "orvane").glob("*.rc")), resources / "postlib" / "Postlib.rc",
                           resources / "capturo" / "Capturo.rc")
    if tag == "en":
        return english
    letters = LANGUAGES[tag][1:]
    files = sorted((resources / "orvane" / "lang" / tag).glob("*.rc"))
    files += sorted(resources.glob("postlib/**/mail_l%s.rc" % letters))
    files += sorted(resources.glob("capturo/**/Scan_l%s.rc" % letters))
    strings = string_table(*files)
    strings.update({key: english[key] for key in UNLOCALISED})
    return strings


def normalised(text):
    return " ".join(text.split())


def quoted_messages(tag):
    """[(page, text)] of the messages the language's help quotes as whole messages: each
    <dt class="msg">, where <br> stands for a line break of the message."""
    quotes = []
    for page in sorted((SOURCES / tag).glob("*.htm")):
        for raw in re.findall(r'<dt class="msg">(.*?)</dt>', page.read_text(encoding="utf-8"), re.S):
            quotes.append((page.name, html.unescape(raw)))
    return quotes


def shown_texts(strings):
    """The texts as a user sees them: line breaks as spaces, a "%s" as "...", and messages
    that follow a file name (their text starts with a space) as they end."""
    shown = {normalised(text.replace("%s", "...")) for text in strings.values()}
    suffixes = {normalised(text) for text in strings.values() if text.startswith(" ")}
    return shown, suffixes


def quote_found(quote, shown, suffixes):
    """A quote is one message, or several messages each on its own line."""
    def one(text):
        text = normalised(text)
        return text in shown or any(text.endswith(" " + s) for s in suffixes)
    whole = re.sub(r"<br\s*/?>", " ", quote)
    return one(whole) or all(one(part) for part in re.split(r"<br\s*/?>", quote))
