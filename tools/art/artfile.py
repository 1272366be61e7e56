"""Writers for the program's art files: 8-bit palettised BMPs and 32-bit multi-size icons."""
import struct

from PIL import Image

_PELS_PER_METRE = 2835  # 72 dpi; resource loaders ignore it, but zero upsets some viewers


def _luma(rgb):
    return rgb[0] * 299 + rgb[1] * 587 + rgb[2] * 114


def to_indexed(img, exact=None, colors=256):
    """Palette image of an RGB image: (palette [(r, g, b)], index bytes, row-major, top row first).

    Pixels where `exact` (an L mask) is non-zero keep their colour exactly, so a face drawn
    over the background matches the background bitmap pixel for pixel at its edges.
    """
    img = img.convert("RGB")
    pixels = list(img.getdata())
    keep = list(exact.getdata()) if exact is not None else [0] * len(pixels)
    distinct = img.getcolors(colors)
    if distinct is not None:
        palette = sorted({c for _, c in distinct}, key=lambda c: (_luma(c), c))
        lookup = {c: i for i, c in enumerate(palette)}
        return palette, bytes(lookup[p] for p in pixels)
    reserved = sorted({p for p, k in zip(pixels, keep) if k}, key=lambda c: (_luma(c), c))
    if len(reserved) > colors // 2:
        raise ValueError("too many exact colours: %d" % len(reserved))
    free = colors - len(reserved)
    quant = img.quantize(colors=free, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    raw = quant.getpalette()[: 3 * free]
    palette = [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]
    base = len(palette)
    palette += reserved
    slot = {c: base + i for i, c in enumerate(reserved)}
    indices = [slot[p] if k else q for p, k, q in zip(pixels, keep, quant.getdata())]
    # Drop entries nothing uses, keeping the order, so biClrUsed counts real colours only.
    used = sorted(set(indices))
    renumber = {old: new for new, old in enumerate(used)}
    return [palette[i] for i in used], bytes(renumber[i] for i in indices)


def as_stored(img, exact=None):
    """The RGB image as it will look once stored with its palette."""
    palette, indices = to_indexed(img, exact)
    out = Image.new("RGB", img.size)
    out.putdata([palette[i] for i in indices])
    return out


def bmp8_bytes(img, exact=None):
    """A bottom-up BI_RGB 8-bit BMP with its own palette (biClrUsed = palette size)."""
    width, height = img.size
    palette, indices = to_indexed(img, exact)
    stride = (width + 3) & ~3
    pad = bytes(stride - width)
    rows = [indices[y * width:(y + 1) * width] + pad for y in range(height - 1, -1, -1)]
    bits = b"".join(rows)
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(colour_table)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(bits),
                       _PELS_PER_METRE, _PELS_PER_METRE, len(palette), 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return head + info + colour_table + bits


def _icon_image(img):
    """One icon directory image: BITMAPINFOHEADER (double height), BGRA rows, AND mask."""
    img = img.convert("RGBA")
    width, height = img.size
    px = list(img.getdata())
    xor = b"".join(struct.pack("<BBBB", b, g, r, a)
                   for y in range(height - 1, -1, -1)
                   for r, g, b, a in px[y * width:(y + 1) * width])
    mask_stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(width):
            if px[y * width + x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    info = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 32, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + bytes(mask)


def ico_bytes(images):
    """A .ico holding the given RGBA images (each at most 255 pixels square), smallest first."""
    images = sorted(images, key=lambda im: im.size[0])
    blobs = [_icon_image(im) for im in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for im, blob in zip(images, blobs):
        w, h = im.size
        out += struct.pack("<BBBBHHII", w, h, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)
