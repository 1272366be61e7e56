"""The version resource of a Windows binary, read from the file: the fixed file and product
versions and the strings of its first string table."""

import struct
from pathlib import Path

RT_VERSION = 16


class Image:
    """The sections of a PE file, for turning resource addresses into file offsets."""

    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            size, rva, raw_size, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((rva, max(size, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError("address %#x outside the sections" % rva)


def _entries(image, directory_offset, root):
    """[(id or name offset, is a directory, offset)] of a resource directory's entries."""
    named, ids = struct.unpack_from("<HH", image.data, directory_offset + 12)
    entries = []
    for i in range(named + ids):
        name, target = struct.unpack_from("<II", image.data, directory_offset + 16 + 8 * i)
        entries.append((name, bool(target & 0x80000000), root + (target & 0x7FFFFFFF)))
    return entries


def version_block(path):
    """The raw VS_VERSIONINFO block of the binary at `path`, or None."""
    return resource(path, RT_VERSION)


def resource(path, type_id):
    """The bytes of the first resource of type `type_id` of the binary at `path`, or None."""
    image = Image(Path(path).read_bytes())
    if not image.resource_rva:
        return None
    root = image.offset(image.resource_rva)
    entry = next((e for e in _entries(image, root, root) if e[0] == type_id), None)
    if entry is None:
        return None
    offset = entry[2]
    while True:  # name, then language: the first of each
        name, is_directory, offset = _entries(image, offset, root)[0]
        if not is_directory:
            break
    rva, size = struct.unpack_from("<II", image.data, offset)
    start = image.offset(rva)
    return image.data[start:start + size]


def _align(offset):
    return (offset + 3) & ~3


def _node(block, offset):
    """(key, value bytes, first child's offset, node end) of one node of the block."""
    length, value_length, kind = struct.unpack_from("<HHH", block, offset)
    key_end = offset + 6
    while block[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = block[offset + 6:key_end].decode("utf-16-le")
    value_start = _align(key_end + 2)
    value_bytes = value_length * 2 if kind == 1 else value_length
    return key, block[value_start:value_start + value_bytes], _align(value_start + value_bytes), offset + length


def _children(block, start, end):
    offset = start
    while offset < end:
        key, value, first_child, node_end = _node(block, offset)
        yield key, value, first_child, node_end
        offset = _align(node_end)


def read(path):
    """{"FileVersion": (a, b, c, d), "ProductVersion": (...), "strings": {key: text}} of the
    binary at `path`, or None without a version resource."""
    block = version_block(path)
    if block is None:
        return None
    key, fixed, first_child, end = _node(block, 0)
    if key != "VS_VERSION_INFO" or struct.unpack_from("<I", fixed, 0)[0] != 0xFEEF04BD:
        raise ValueError("%s: no fixed file information" % path)
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", fixed, 8)
    split = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    info = {"FileVersion": split(file_ms, file_ls), "ProductVersion": split(product_ms, product_ls), "strings": {}}
    for name, _, child, child_end in _children(block, first_child, end):
        if name != "StringFileInfo":
            continue
        for _, _, table_child, table_end in _children(block, child, child_end):
            for key, value, _, _ in _children(block, table_child, table_end):
                info["strings"][key] = value.decode("utf-16-le").rstrip("\0")
            break
    return info
