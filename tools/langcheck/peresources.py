"""Reads the string tables and dialog templates of a 32-bit Windows module (exe or dll)
straight from its file, so language libraries can be checked without running Windows code."""

import struct
from dataclasses import dataclass, field

RT_DIALOG = 5
RT_STRING = 6
DS_SETFONT = 0x40


class FormatError(Exception):
    pass


@dataclass
class DialogItem:
    id: int
    window_class: object  # atom (int) or class name
    text: object  # text, or resource ordinal (int) for icons and bitmaps
    style: int
    rect: tuple


@dataclass
class Dialog:
    caption: str
    style: int
    rect: tuple
    font: tuple  # (point size, face) or None
    items: list = field(default_factory=list)


@dataclass
class Resources:
    strings: dict  # id -> text
    dialogs: dict  # id -> Dialog


def _u16(data, offset):
    if offset + 2 > len(data):
        raise FormatError("truncated at %d" % offset)
    return struct.unpack_from("<H", data, offset)[0]


def _u32(data, offset):
    if offset + 4 > len(data):
        raise FormatError("truncated at %d" % offset)
    return struct.unpack_from("<I", data, offset)[0]


class _Image:
    """The file's sections, for turning resource RVAs into file offsets."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise FormatError("not an MZ file")
        pe = _u32(data, 0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise FormatError("no PE signature")
        sections = _u16(data, pe + 6)
        optional_size = _u16(data, pe + 20)
        optional = pe + 24
        magic = _u16(data, optional)
        directories = optional + (96 if magic == 0x10B else 112)
        if _u32(data, directories - 4) <= 2:
            self.resource_rva = 0
        else:
            self.resource_rva = _u32(data, directories + 2 * 8)
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            entry = table + 40 * i
            virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", data, entry + 8)
            self.sections.append((rva, max(virtual_size, raw_size), raw_offset, raw_size))

    def offset(self, rva, length=0):
        for start, size, raw, raw_size in self.sections:
            if start <= rva and rva + length <= start + size:
                if rva - start + length > raw_size:
                    raise FormatError("RVA %#x beyond the section's data" % rva)
                return raw + rva - start
        raise FormatError("RVA %#x in no section" % rva)


def _directory(image, base, offset):
    """[(name or id, is_directory, offset of child)] of one resource directory."""
    data = image.data
    named, numbered = struct.unpack_from("<HH", data, base + offset + 12)
    entries = []
    for i in range(named + numbered):
        name, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * i)
        if name & 0x80000000:
            at = base + (name & 0x7FFFFFFF)
            length = _u16(data, at)
            name = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
        entries.append((name, bool(target & 0x80000000), target & 0x7FFFFFFF))
    return entries


def _resources_of_type(image, kind):
    """{(name, language): bytes} of every resource of the given type."""
    if not image.resource_rva:
        return {}
    base = image.offset(image.resource_rva)
    found = {}
    for type_name, _, type_dir in _directory(image, base, 0):
        if type_name != kind:
            continue
        for name, _, name_dir in _directory(image, base, type_dir):
            for language, is_dir, leaf in _directory(image, base, name_dir):
                if is_dir:
                    raise FormatError("resource tree deeper than three levels")
                rva, size = struct.unpack_from("<II", image.data, base + leaf)
                start = image.offset(rva, size)
                found[(name, language)] = image.data[start:start + size]
    return found


def _string_blocks(blocks):
    strings = {}
    for (block, _), data in blocks.items():
        offset = 0
        for index in range(16):
            length = _u16(data, offset)
            offset += 2
            if offset + 2 * length > len(data):
                raise FormatError("string block %d truncated" % block)
            if length:
                strings[(block - 1) * 16 + index] = data[offset:offset + 2 * length].decode("utf-16-le")
            offset += 2 * length
    return strings


def _sz_or_ord(data, offset):
    """(text or ordinal, next offset) of a dialog template's name-or-ordinal field."""
    first = _u16(data, offset)
    if first == 0xFFFF:
        return _u16(data, offset + 2), offset + 4
    end = offset
    while _u16(data, end) != 0:
        end += 2
    return data[offset:end].decode("utf-16-le"), end + 2


def _align4(offset):
    return (offset + 3) & ~3


def parse_dialog(data):
    """A Dialog from a DLGTEMPLATE or DLGTEMPLATEEX."""
    extended = _u16(data, 0) == 1 and _u16(data, 2) == 0xFFFF
    if extended:
        style = _u32(data, 12)
        count = _u16(data, 16)
        rect = struct.unpack_from("<hhhh", data, 18)
        offset = 26
    else:
        style = _u32(data, 0)
        count = _u16(data, 8)
        rect = struct.unpack_from("<hhhh", data, 10)
        offset = 18
    _, offset = _sz_or_ord(data, offset)  # menu
    _, offset = _sz_or_ord(data, offset)  # class
    caption, offset = _sz_or_ord(data, offset)
    font = None
    if style & DS_SETFONT:
        size = _u16(data, offset)
        offset += 6 if extended else 2
        face, offset = _sz_or_ord(data, offset)
        font = (size, face)
    dialog = Dialog(caption, style, rect, font)
    for _ in range(count):
        offset = _align4(offset)
        if extended:
            item_style = _u32(data, offset + 8)
            item_rect = struct.unpack_from("<hhhh", data, offset + 12)
            item_id = _u32(data, offset + 20)
            offset += 24
        else:
            item_style = _u32(data, offset)
            item_rect = struct.unpack_from("<hhhh", data, offset + 8)
            item_id = _u16(data, offset + 16)
            offset += 18
        window_class, offset = _sz_or_ord(data, offset)
        text, offset = _sz_or_ord(data, offset)
        extra = _u16(data, offset)
        offset += 2 + extra
        dialog.items.append(DialogItem(item_id, window_class, text, item_style, item_rect))
    return dialog


def read(path):
    """The string table and dialogs of the module at `path` (all resource languages merged)."""
    with open(path, "rb") as handle:
        image = _Image(handle.read())
    try:
        strings = _string_blocks(_resources_of_type(image, RT_STRING))
        dialogs = {name: parse_dialog(data) for (name, _), data in _resources_of_type(image, RT_DIALOG).items()}
    except struct.error as error:
        raise FormatError(str(error))
    return Resources(strings, dialogs)
