"""The program icon (resource 128): a blue tile with the flatbed scanner, at 16, 32 and 48 pixels."""
import glyphs
import theme as T
from paint import Canvas, lighten

SIZES = (16, 32, 48)


def icon_image(size):
    cv = Canvas(size, size)
    inset = 0.5 if size <= 16 else 1.0
    box = (inset, inset, size - inset, size - inset)
    tile = cv.rrect(box, size * 0.2)
    cv.fill(tile, cv.gradient(box, lighten(T.SCAN_TOP, 0.15), T.SCAN_BOTTOM))
    cv.edge_light(tile, size / 24.0, size / 24.0, T.HIGHLIGHT, 0.45)
    cv.edge_light(tile, -size / 24.0, -size / 24.0, T.SHADE, 0.35)
    glyph_size = size * (1.08 if size <= 16 else 0.92)
    glyphs.draw("scanner", cv, size / 2.0, size / 2.0 + size * 0.02, glyph_size)
    return cv.result("RGBA")


def icon_images():
    return [icon_image(s) for s in SIZES]
