#!/usr/bin/python3
"""Compiles one language's help pages into a CHM file with chmcmd: fills in the texts the
pages quote from the program's and the libraries' string tables, writes the project, contents
and index files from the shared page list and the language's book.ini, transcodes every page
to the language's ANSI code page (the viewer reads contents and index in that code page),
checks that every page and every link target is there, and runs the compiler.

A page quotes an interface text as {{DELIVERABLE:ID|FILTER...}}: DELIVERABLE is program, mail
or scan, ID a string id (number or #defined name). The text is the language library's, or the
English one where the library lacks it (the interface shows English then too). Filters: lines
(line breaks kept), label (without its trailing colon), own (always the English table, for the
texts the program never takes from a language library)."""

import argparse
import configparser
import html
import re
import shutil
import subprocess
import sys
from pathlib import Path

import rcstrings

CHARSET_NAMES = {"cp1252": "windows-1252", "cp932": "shift_jis", "cp936": "gb2312", "cp950": "big5",
                 "cp949": "ks_c_5601-1987"}


# English script and the language libraries' folder of each deliverable: a language library
# is lang/library.rc compiled with the language's folder first on the include path.
DELIVERABLES = {"program": ("resources/orvane/Orvane.rc", "resources/orvane/lang"),
                "mail": ("resources/postlib/Postlib.rc", "resources/postlib/lang"),
                "scan": ("resources/capturo/Capturo.rc", "resources/capturo/lang")}
LANGUAGES_FILE = "resources/languages.txt"
PLACEHOLDER = re.compile(r"\{\{(\w+):(\w+)((?:\|\w+)*)\}\}")


class BookError(Exception):
    pass


class InterfaceTexts:
    """The texts of the three deliverables in one language, with the English ones beside."""

    def __init__(self, root, letters):
        self.tables, self.fallbacks = {}, []
        folder = language_folder(root, letters) if letters else None
        for name, (english, libraries) in DELIVERABLES.items():
            own, defines = rcstrings.string_table(root / english, root)
            local = {}
            # A deliverable without a library for the language shows English.
            if folder and (root / libraries / folder).is_dir():
                table = rcstrings.string_table(root / libraries / "library.rc", root, [root / libraries / folder])[0]
                local = {k: v for k, v in table.items() if v}
            self.tables[name] = (own, local, defines)

    def text(self, deliverable, key, filters):
        if deliverable not in self.tables:
            raise BookError("unknown deliverable %r" % deliverable)
        own, local, defines = self.tables[deliverable]
        number = int(key) if key.isdigit() else defines.get(key)
        if number not in own:
            raise BookError("%s has no string %s" % (deliverable, key))
        if "own" in filters or number not in local:
            if "own" not in filters:
                self.fallbacks.append("%s:%s" % (deliverable, key))
            return own[number]
        return local[number]


def language_folder(root, letters):
    """The language folder whose program library is dsk_l<letters> (resources/languages.txt)."""
    for line in (root / LANGUAGES_FILE).read_text(encoding="utf-8").splitlines():
        fields = line.split()
        if len(fields) >= 3 and not fields[0].startswith("#") and fields[2].lower() == "dsk_l" + letters.lower():
            return fields[0]
    raise BookError("%s names no language with the letters %r" % (LANGUAGES_FILE, letters))


def quote(text, filters):
    text = text.replace("%s", "...")
    if "label" in filters:
        text = text.strip().rstrip(":\uff1a").strip()
    parts = [re.sub(r"\s+", " ", html.escape(part, quote=False)) for part in re.split(r"\r?\n", text)]
    if "lines" in filters:
        return "<br>".join(part.strip() for part in parts if part.strip())
    return re.sub(r"\s+", " ", " ".join(parts))


def fill_in(text, texts):
    return PLACEHOLDER.sub(lambda m: quote(texts.text(m.group(1), m.group(2), m.group(3).split("|")[1:]),
                                           m.group(3).split("|")[1:]), text)


def read_page_list(path):
    """[(group key, [page file names])] in contents order."""
    groups = []
    for line in Path(path).read_text(encoding="utf-8").splitlines():
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        match = re.fullmatch(r"\[(\w+)\]\s+(.+)", line)
        if not match:
            raise BookError("%s: bad line %r" % (path, line))
        groups.append((match.group(1), match.group(2).split()))
    return groups


def page_title(text, name):
    match = re.search(r"<title>(.*?)</title>", text, re.S | re.I)
    if not match or not match.group(1).strip():
        raise BookError("%s has no title" % name)
    return html.unescape(" ".join(match.group(1).split()))


def page_keywords(text):
    match = re.search(r'<meta\s+name="keywords"\s+content="([^"]*)"', text, re.I)
    if not match:
        return []
    return [html.unescape(k.strip()) for k in match.group(1).split(";") if k.strip()]


def link_targets(text):
    return [t.split("#", 1)[0] for t in re.findall(r'(?:href|src)="([^"]+)"', text, re.I)
            if not re.match(r"[a-z]+:", t, re.I) and not t.startswith("#")]


def sitemap_text(name):
    # Only the entities every viewer decodes: an apostrophe as &#x27; shows up literally.
    return html.escape(name, quote=False).replace('"', "&quot;")


def sitemap_entry(name, local):
    return ('<LI><OBJECT type="text/sitemap"><param name="Name" value="%s">'
            '<param name="Local" value="%s"></OBJECT>\n' % (sitemap_text(name), local))


def sitemap(body):
    return ('<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">\n<HTML><HEAD></HEAD><BODY>\n'
            '<OBJECT type="text/site properties"><param name="ImageType" value="Folder"></OBJECT>\n'
            '<UL>\n' + body + '</UL>\n</BODY></HTML>\n')


def build(source, pages_file, stylesheet, work, output, compiler, root, letters):
    book = configparser.ConfigParser(interpolation=None)
    book.optionxform = str
    if not book.read(source / "book.ini", encoding="utf-8"):
        raise BookError("%s has no book.ini" % source)
    info, group_names = book["book"], book["groups"]
    codepage = info["codepage"]
    charset = CHARSET_NAMES[codepage]
    groups = read_page_list(pages_file)
    texts = InterfaceTexts(root, letters)
    names = [name for _, pages in groups for name in pages]

    if work.exists():
        shutil.rmtree(work)
    work.mkdir(parents=True)
    shutil.copy2(stylesheet, work / stylesheet.name)

    titles, index = {}, []
    for name in names:
        path = source / name
        if not path.exists():
            raise BookError("%s lacks %s" % (source, name))
        text = fill_in(path.read_text(encoding="utf-8"), texts)
        if "{{" in text:
            raise BookError("%s holds a malformed placeholder" % path)
        titles[name] = page_title(text, path)
        index.extend((keyword, name) for keyword in page_keywords(text))
        for target in link_targets(text):
            if target not in names and target != stylesheet.name:
                raise BookError("%s links to %s, which the book does not hold" % (path, target))
        text, count = re.subn(r"charset=utf-8", "charset=" + charset, text, flags=re.I)
        if count != 1:
            raise BookError("%s must declare charset=utf-8 once" % path)
        (work / name).write_bytes(text.encode(codepage, errors="xmlcharrefreplace"))

    toc = ""
    for key, pages in groups:
        toc += ('<LI><OBJECT type="text/sitemap"><param name="Name" value="%s"></OBJECT>\n<UL>\n'
                % sitemap_text(group_names[key]))
        toc += "".join(sitemap_entry(titles[name], name) for name in pages)
        toc += "</UL>\n"
    keywords = "".join(sitemap_entry(keyword, name) for keyword, name in sorted(index, key=lambda k: k[0].lower()))
    # Contents and index are read in the book's code page: a name that does not fit is an error.
    (work / "contents.hhc").write_bytes(sitemap(toc).encode(codepage))
    (work / "index.hhk").write_bytes(sitemap(keywords).encode(codepage))

    title = info["title"]
    project = "\r\n".join([
        "[OPTIONS]",
        "Compatibility=1.1 or later",
        "Compiled file=book.chm",
        "Contents file=contents.hhc",
        "Index file=index.hhk",
        "Default topic=" + names[0],
        "Default Window=main",
        "Display compile progress=No",
        "Full-text search=Yes",
        "Language=" + info["lcid"],
        "Title=" + title,
        "",
        "[WINDOWS]",
        'main="%s","contents.hhc","index.hhk","%s","%s",,,,,0x63520,,0x387e,,,,,,,,0' % (title, names[0], names[0]),
        "",
        "[FILES]",
        stylesheet.name,
    ] + names + [""])
    (work / "book.hhp").write_bytes(project.encode(codepage))

    result = subprocess.run([compiler, "--no-html-scan", "book.hhp"], cwd=work, capture_output=True, text=True,
                            errors="replace")
    chm = work / "book.chm"
    if result.returncode != 0 or not chm.exists():
        raise BookError("chmcmd failed for %s:\n%s%s" % (source, result.stdout, result.stderr))
    output.parent.mkdir(parents=True, exist_ok=True)
    shutil.copy2(chm, output)
    if letters and texts.fallbacks:
        print("%s: in English where the language library lacks them: %s"
              % (output.name, " ".join(sorted(set(texts.fallbacks)))))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--source", type=Path, required=True, help="the language's folder of pages")
    parser.add_argument("--pages", type=Path, required=True, help="the shared page list")
    parser.add_argument("--stylesheet", type=Path, required=True)
    parser.add_argument("--work", type=Path, required=True, help="scratch folder for the project")
    parser.add_argument("--output", type=Path, required=True, help="the CHM file to write")
    parser.add_argument("--compiler", default="chmcmd")
    parser.add_argument("--root", type=Path, required=True, help="the repository, for the string tables")
    parser.add_argument("--letters", default="", help="the language libraries' letters (g for dsk_lg.dll)")
    args = parser.parse_args()
    try:
        build(args.source, args.pages, args.stylesheet, args.work, args.output, args.compiler, args.root,
              args.letters)
    except (BookError, KeyError, UnicodeEncodeError) as error:
        print("make_book: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
