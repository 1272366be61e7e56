"""String tables of a resource script as the resource compiler sees them: follows the
script's #include lines (from the script's include folders first, then the repository
root, as the build passes them), resolves the ids #defined in the
included headers, and decodes the strings' escapes. Used by the help compiler and its tests."""

import re
from pathlib import Path

_INCLUDE = re.compile(r'\s*#\s*include\s+"([^"]+)"')
_DEFINE = re.compile(r"\s*#\s*define\s+(\w+)\s+(0x[0-9a-fA-F]+|\d+)\b")
_ENTRY = re.compile(r'\s*(\w+)\s*,?\s+"((?:\\.|[^"\\]|"")*)"\s*(?://.*)?$')


def _decode(raw):
    text = raw.replace('""', '"')
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r", "t": "\t"}.get(m.group(1), m.group(1)), text)


def _lines(path, folders, seen):
    path = Path(path)
    if path in seen or not path.exists():
        return
    seen.add(path)
    for line in path.read_text(encoding="utf-8").splitlines():
        include = _INCLUDE.match(line)
        if include:
            found = [folder / include.group(1) for folder in folders if (folder / include.group(1)).exists()]
            if found:
                yield from _lines(found[0], folders, seen)
        else:
            yield line


def string_table(script, root, include_folders=()):
    """{numeric id: text} of every STRINGTABLE reached from `script`, and {name: id} of the
    #defines met on the way."""
    defines, strings, inside = {}, {}, False
    folders = [Path(folder) for folder in include_folders] + [Path(root)]
    for line in _lines(script, folders, set()):
        stripped = line.strip()
        define = _DEFINE.match(line)
        if define:
            defines[define.group(1)] = int(define.group(2), 0)
        elif stripped == "STRINGTABLE":
            inside = True
        elif inside and stripped == "END":
            inside = False
        elif inside:
            entry = _ENTRY.match(line)
            if entry:
                key = entry.group(1)
                number = int(key) if key.isdigit() else defines.get(key)
                if number is not None:
                    strings[number] = _decode(entry.group(2))
    return strings, defines
