"""The 27 panel button faces: normal, hover ("F") and pressed ("D"), drawn over PATTERN."""
from PIL import Image, ImageChops, ImageDraw

import glyphs
import theme as T
from paint import Canvas, lighten, px

STATES = ("", "F", "D")


def _key_mask(cv, shape, box):
    return cv.ellipse(box) if shape == "round" else cv.rrect(box, 7)


def _face_colours(name, state):
    top, bottom = (T.SCAN_TOP, T.SCAN_BOTTOM) if name == "SCAN" else (T.KEY_TOP, T.KEY_BOTTOM)
    amount = {"": 0.0, "F": T.KEY_HOVER, "D": T.KEY_PRESSED}[state]
    return lighten(top, amount), lighten(bottom, amount)


def _glyph_size(shape, box):
    w, h = box[2] - box[0], box[3] - box[1]
    return min(w, h) * (0.68 if shape == "round" else 0.95)


def draw_face(cv, name, state, shape, box, glyph, destination):
    key = _key_mask(cv, shape, box)
    top, bottom = _face_colours(name, state)
    if state == "D":
        cv.fill(key, cv.gradient(box, bottom, top))
        cv.inner_shadow(key, 1.2, 1.6, 2.2, 0.7)
        cv.edge_light(key, -1, -1, T.HIGHLIGHT, 0.12)
    else:
        cv.shadow(key, 1.0, 1.5, 1.3, opacity=0.6)
        cv.fill(key, cv.gradient(box, top, bottom))
        x0, y0, x1, y1 = box
        gloss = cv.gradient((x0, y0, x1, y0 + (y1 - y0) * 0.5), (255, 255, 255, 46), (255, 255, 255, 0))
        cv.fill(key, gloss)
        cv.edge_light(key, 1, 1, T.HIGHLIGHT, 0.42)
        cv.edge_light(key, -1, -1, T.SHADE, 0.4)
    if state == "F":
        cv.glow(key, 2.0, T.GLOW, 0.9)
        cv.fill(cv.cut(key, _eroded(cv, key, 1.5)), T.GLOW, 0.95)
    shift = 1 if state == "D" else 0
    cx, cy = (box[0] + box[2]) / 2.0 + shift, (box[1] + box[3]) / 2.0 + shift
    ink = lighten(T.GLYPH, -0.12) if state == "D" else T.GLYPH
    if destination:
        cy -= 1.5
    glyphs.draw(glyph, cv, cx, cy, _glyph_size(shape, box), ink)
    if destination and state == "D":
        led = cv.rrect((cx - 8, box[3] - 4.5, cx + 8, box[3] - 2.5), 1)
        cv.glow(led, 2, T.GLOW, 0.8)
        cv.fill(led, lighten(T.GLOW, 0.5))


def _eroded(cv, mask, by):
    """The part of `mask` at least `by` pixels inside its edge."""
    inner = mask
    for dx, dy in ((by, 0), (-by, 0), (0, by), (0, -by)):
        inner = cv.intersect(inner, cv.shifted(mask, dx, dy))
    return inner


def keep_rim(img, background):
    """Fade the face into the background over its outer two pixel rings.

    Faces are blitted unclipped over the background, so a shadow or glow cut off by the
    bitmap's edge would show as a seam.
    """
    w, h = img.size
    rim = Image.new("L", (w, h), 255)
    ImageDraw.Draw(rim).rectangle((1, 1, w - 2, h - 2), fill=110)
    ImageDraw.Draw(rim).rectangle((2, 2, w - 3, h - 3), fill=0)
    return Image.composite(background.convert("RGB"), img, rim)


def exact_mask(img, background):
    """L mask of the pixels that are still the background's, to be stored exactly."""
    diff = ImageChops.difference(img.convert("RGB"), background.convert("RGB"))
    r, g, b = diff.split()
    return ImageChops.lighter(ImageChops.lighter(r, g), b).point(lambda v: 255 if v == 0 else 0)


def faces(pattern_rgb):
    """[(resource name, RGB image, exact mask)] of every panel face."""
    out = []
    for name, x, y, w, h, glyph in T.BUTTONS:
        shape, (kx0, ky0, kx1, ky1) = T.key_shape(name)
        box = (kx0 - x, ky0 - y, kx1 - x, ky1 - y)
        under = pattern_rgb.crop((px(x), px(y), px(x) + px(w), px(y) + px(h)))
        for state in STATES:
            cv = Canvas(w, h, background=under)
            draw_face(cv, name, state, shape, box, glyph, destination=(x == 22))
            img = keep_rim(cv.result(), under)
            out.append((name + state, img, exact_mask(img, under)))
    return out
