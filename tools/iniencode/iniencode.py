"""Writes a profile file for Windows from its UTF-8 source: Windows line endings, and each
language section (named by a language name of resources/languages.txt) in the ANSI code page of
its language, as the programs read profile texts through the ANSI calls.

    iniencode.py SOURCE LANGUAGES_TXT TARGET
"""

import sys
from pathlib import Path


def code_pages(languages_txt):
    """{language name: "cpNNN"} from the language table."""
    pages = {}
    for line in Path(languages_txt).read_text(encoding="utf-8").splitlines():
        if line.strip() and not line.startswith("#"):
            fields = line.split()
            pages[fields[1].upper()] = "cp" + fields[-1]
    return pages


def encode(text, pages):
    """The bytes of the profile `text`; raises UnicodeEncodeError naming a line that its
    section's code page cannot hold."""
    out = bytearray()
    page = "cp1252"
    for number, line in enumerate(text.splitlines(), 1):
        stripped = line.strip()
        if stripped.startswith("[") and stripped.endswith("]"):
            page = pages.get(stripped[1:-1].upper(), "cp1252")
        try:
            out += line.encode(page) + b"\r\n"
        except UnicodeEncodeError as error:
            raise UnicodeEncodeError(error.encoding, error.object, error.start, error.end,
                                     "line %d does not fit %s" % (number, page))
    return bytes(out)


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    source, languages, target = argv[1:]
    try:
        data = encode(Path(source).read_text(encoding="utf-8"), code_pages(languages))
    except UnicodeEncodeError as error:
        print("%s: %s" % (source, error.reason), file=sys.stderr)
        return 1
    Path(target).write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
