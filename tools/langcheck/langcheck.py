"""Checks the language libraries of the three deliverables against their English modules:
every localised string and dialog present and non-empty, format directives, accelerators and
joining blanks kept, nothing left in English unless its line in the language folder says
"// as in English", and every text expressible in the language's ANSI code page (the
programs draw their texts through the ANSI calls).

    python3 tools/langcheck/langcheck.py [ROOT]     prints what to fix, by file; exit 1 if any
"""

import re
import sys
from dataclasses import dataclass
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import peresources  # noqa: E402

SAME_MARKER = "// as in English"


@dataclass(frozen=True)
class Language:
    folder: str
    name: str
    libraries: dict  # column (program, mail, scan) -> library base name, or None
    locale: str  # None for the Western code page
    codepage: int


@dataclass(frozen=True)
class Deliverable:
    column: str
    english: str  # module in dist/
    sources: str  # folder of the language folders
    not_localised: frozenset  # string ids a library must not carry
    verbatim: frozenset  # ids a library must carry exactly as in English (protocol text)
    names: frozenset  # ids that are names and may stay as in English
    dialog_names: frozenset  # dialog texts that are names ("OK")
    dialogs: bool  # whether the library carries the dialogs too (else they come from the module)


DELIVERABLES = (
    Deliverable("program", "Orvane.exe", "resources/orvane/lang",
                frozenset([57344, 57347, 57348, 57349, 57350, 6005, 6018, *range(6009, 6015), *range(9000, 9012),
                           *range(57360, 57369)]),
                frozenset(), frozenset([1063, 1066, 5004]), frozenset(), False),
    Deliverable("mail", "Postlib.dll", "resources/postlib/lang", frozenset(),
                frozenset([108, 109, 110, 111, 112, 114, 117, 118, *range(3000, 3011)]), frozenset(),
                frozenset(["OK"]), True),
    Deliverable("scan", "Capturo.dll", "resources/capturo/lang", frozenset(range(3000, 3011)),
                frozenset(range(1, 6)), frozenset(), frozenset(), True),
)

_DIRECTIVE = re.compile(r"%(?:%|[-+ #0]*(?:\*|\d+)?(?:\.(?:\*|\d+))?(?:hh|h|ll|l|I64|I32|L)?[diouxXcCsSeEfgGaApn])")
_MARKED = re.compile(r'"((?:[^"]|"")*)"\s*' + re.escape(SAME_MARKER))


def read_languages(root):
    """The languages of resources/languages.txt, in the program's id order."""
    result = []
    for line in (Path(root) / "resources" / "languages.txt").read_text(encoding="utf-8").splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        folder, name, program, mail, scan, _, _, locale, codepage = line.split()
        libraries = {column: (None if value == "-" else value)
                     for column, value in (("program", program), ("mail", mail), ("scan", scan))}
        result.append(Language(folder, name, libraries, None if locale == "-" else locale, int(codepage)))
    return result


def directives(text):
    return _DIRECTIVE.findall(text)


def accelerators(text):
    """The number of accelerator marks (& not doubled)."""
    return len(re.findall(r"&(?!&)", text.replace("&&", "")))


def _unescape(literal):
    return literal.replace('""', '"').replace("\\n", "\n").replace("\\t", "\t").replace("\\\\", "\\")


def marked_texts(folder):
    """Texts that a language folder keeps as in English on purpose (lines marked SAME_MARKER)."""
    found = set()
    for path in sorted(Path(folder).glob("*")):
        if path.suffix in (".rc", ".h"):
            for match in _MARKED.finditer(path.read_text(encoding="utf-8")):
                found.add(_unescape(match.group(1)))
    return found


def _show(text):
    return repr(text) if len(text) <= 60 else repr(text[:57] + "...")


def text_problems(where, english, translated, codepage, may_stay, verbatim=False):
    """What is wrong with one translated text ([] when nothing)."""
    if verbatim:
        return [] if translated == english else ["%s must stay %s, is %s" % (where, _show(english), _show(translated))]
    problems = []
    if not translated.strip() and english.strip():
        return ["%s is empty (English %s)" % (where, _show(english))]
    if directives(translated) != directives(english):
        problems.append("%s has format directives %s, English %s" % (where, directives(translated), directives(english)))
    if accelerators(translated) != accelerators(english):
        problems.append("%s has %d accelerator marks, English %d" % (where, accelerators(translated), accelerators(english)))
    if english[:1].isspace() and translated[:1].isalnum():
        problems.append("%s must not start with a letter: it is joined to the text before it (English %s)"
                        % (where, _show(english)))
    if english.endswith('"') and not translated.endswith('"'):
        problems.append("%s must end with a double quote: the text that follows closes it" % where)
    if translated == english and any(c.isalpha() for c in english) and not may_stay:
        problems.append('%s is left in English: %s (mark the line "%s" if that is right)' % (where, _show(english), SAME_MARKER))
    try:
        translated.encode("cp%d" % codepage)
    except UnicodeEncodeError as error:
        problems.append("%s holds %r, which code page %d cannot show" % (where, translated[error.start:error.end], codepage))
    return problems


def check_strings(deliverable, english, table, codepage, marked):
    """Problems of a library's string table against the English module's."""
    required = {i for i in english if i not in deliverable.not_localised}
    problems = []
    for i in sorted(required - table.keys()):
        problems.append("string %d is missing (English %s)" % (i, _show(english[i])))
    for i in sorted(table.keys() - required):
        problems.append("string %d is not a localised string of %s" % (i, deliverable.english))
    for i in sorted(required & table.keys()):
        may_stay = i in deliverable.names or english[i] in marked
        problems += text_problems("string %d" % i, english[i], table[i], codepage, may_stay, i in deliverable.verbatim)
    return problems


def check_dialogs(deliverable, english, dialogs, codepage, marked):
    """Problems of a library's dialogs: the same layout as the English ones, texts translated."""
    problems = []
    for number in sorted(english.keys() - dialogs.keys(), key=str):
        problems.append("dialog %s is missing" % number)
    for number in sorted(english.keys() & dialogs.keys(), key=str):
        ours, theirs = english[number], dialogs[number]
        layout = lambda d: [(i.id, i.window_class, i.style, i.rect) for i in d.items]  # noqa: E731
        if layout(ours) != layout(theirs) or ours.rect != theirs.rect or ours.style != theirs.style:
            problems.append("dialog %s: its layout differs from the English dialog's" % number)
            continue
        texts = [("dialog %s caption" % number, ours.caption, theirs.caption)]
        texts += [("dialog %s control %d" % (number, a.id & 0xFFFF), a.text, b.text)
                  for a, b in zip(ours.items, theirs.items) if isinstance(a.text, str) and a.text]
        for where, english_text, translated in texts:
            may_stay = english_text in deliverable.dialog_names or english_text in marked
            problems += text_problems(where, english_text, translated, codepage, may_stay)
    return problems


def check_library(root, deliverable, language, english):
    """Problems of one language library ([] when it is complete)."""
    library = language.libraries[deliverable.column]
    path = Path(root) / "dist" / (library + ".dll")
    if not path.exists():
        return ["%s.dll was not built" % library]
    try:
        resources = peresources.read(path)
    except peresources.FormatError as error:
        return ["%s.dll cannot be read: %s" % (library, error)]
    marked = marked_texts(Path(root) / deliverable.sources / language.folder)
    problems = check_strings(deliverable, english.strings, resources.strings, language.codepage, marked)
    if deliverable.dialogs:
        problems += check_dialogs(deliverable, english.dialogs, resources.dialogs, language.codepage, marked)
    elif resources.dialogs:
        problems.append("%s.dll carries dialogs, which %s takes from itself" % (library, deliverable.english))
    return problems


def check_all(root):
    """{(library, source folder): [problems]} of every language library of every deliverable."""
    report = {}
    for deliverable in DELIVERABLES:
        english = peresources.read(Path(root) / "dist" / deliverable.english)
        for language in read_languages(root):
            library = language.libraries[deliverable.column]
            if library:
                folder = "%s/%s" % (deliverable.sources, language.folder)
                report[(library + ".dll", folder)] = check_library(root, deliverable, language, english)
    return report


def main(argv):
    root = Path(argv[1]) if len(argv) > 1 else Path(__file__).resolve().parents[2]
    report = check_all(root)
    failing = 0
    for (library, folder), problems in report.items():
        if problems:
            failing += 1
            print("%s (%s):" % (library, folder))
            for problem in problems:
                print("  " + problem)
    print("%d language libraries checked, %d with problems" % (len(report), failing))
    return 1 if failing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
