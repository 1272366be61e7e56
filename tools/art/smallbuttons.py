"""Faces of the small bitmap buttons: the settings pages' own buttons and the address book's arrow and Add."""
import glyphs
import theme as T
from faces import exact_mask, keep_rim
from paint import Canvas, lighten, px

# Resource number of each page face: (up, down, focus).
PAGE_FACES = {"folder": (223, 224, 225), "printer_setup": (226, 227, 228), "chevrons": (229, 231, 230)}
# Resource number of each address book face: (normal, pressed, focused, disabled).
MAIL_FACES = {"arrow": (134, 136, 135, 137), "add_address": (146, 148, 147, 149)}


def _page_key(cv, w, h, state, glyph):
    box = (2, 2, w - 3, h - 3)
    key = cv.rrect(box, 5)
    top, bottom = T.KEY_TOP, T.KEY_BOTTOM
    if state == "down":
        cv.fill(key, cv.gradient(box, lighten(bottom, T.KEY_PRESSED), lighten(top, T.KEY_PRESSED)))
        cv.inner_shadow(key, 1, 1.3, 1.6, 0.7)
    else:
        cv.shadow(key, 0.8, 1.1, 0.8, opacity=0.6)
        if state == "focus":
            top, bottom = lighten(top, T.KEY_HOVER), lighten(bottom, T.KEY_HOVER)
        cv.fill(key, cv.gradient(box, top, bottom))
        cv.edge_light(key, 1, 1, T.HIGHLIGHT, 0.4)
        cv.edge_light(key, -1, -1, T.SHADE, 0.4)
    if state == "focus":
        cv.fill(cv.cut(key, cv.rrect((3.2, 3.2, w - 4.2, h - 4.2), 4)), T.GLOW, 0.95)
        cv.glow(key, 1.5, T.GLOW, 0.6)
    shift = 1 if state == "down" else 0
    size = min(w - 8, h - 5)
    glyphs.draw(glyph, cv, (box[0] + box[2]) / 2 + shift, (box[1] + box[3]) / 2 + shift, size)


def _mail_key(cv, w, h, state, glyph):
    """Light keys for the address book, which sits on an ordinary dialog face."""
    whole = cv.rrect((0, 0, w, h), 0)
    face = cv.rrect((1, 1, w - 1, h - 1), 0)
    cv.fill(whole, (64, 70, 80))
    top, bottom = (246, 247, 249), (208, 213, 220)
    if state == "pressed":
        cv.fill(face, cv.gradient((0, 0, w, h), lighten(bottom, -0.08), top))
        cv.inner_shadow(face, 1, 1.2, 1.5, 0.45)
    else:
        if state == "disabled":
            top, bottom = (232, 233, 235), (222, 224, 227)
        cv.fill(face, cv.gradient((0, 0, w, h), top, bottom))
        cv.edge_light(face, 1, 1, T.HIGHLIGHT, 0.9)
        cv.edge_light(face, -1, -1, T.SHADE, 0.25)
    if state == "focused":
        cv.fill(cv.cut(face, cv.rrect((2.5, 2.5, w - 2.5, h - 2.5), 0)), T.COPY_BLUE, 0.9)
    ink = T.COPY_BLUE
    shift = 1 if state == "pressed" else 0
    glyph_cv = Canvas(w, h)
    glyphs.draw(glyph, glyph_cv, w / 2.0 + shift, h / 2.0 + shift, min(w, h) - 4, ink)
    if state == "disabled":
        # Greyed and faded, the way the system draws a disabled picture.
        grey = glyph_cv.img.convert("LA").convert("RGBA")
        grey.putalpha(glyph_cv.img.getchannel("A").point(lambda v: v * 45 // 100))
        glyph_cv.img = grey
    cv.img.alpha_composite(glyph_cv.img)


def page_faces(backgrounds):
    """[(resource name, image, exact mask)]; each face is drawn over the page where it stands."""
    w, h = T.PAGE_SIZE
    bw, bh = T.PAGE_BUTTON
    mw, mh = T.MAIL_BUTTON
    spots = {"folder": ("IMAGEBK", w - 6 - bw, h - 6 - bh, bw, bh),
             "printer_setup": ("COPYBK", w - 6 - bw, h - 6 - bh, bw, bh),
             "chevrons": ("MAILBK", w - 1 - mw, h - 2 * (mh + 1), mw, mh)}
    out = []
    for glyph, ids in PAGE_FACES.items():
        page, x, y, fw, fh = spots[glyph]
        under = backgrounds[page].crop((px(x), px(y), px(x) + px(fw), px(y) + px(fh)))
        for state, number in zip(("up", "down", "focus"), ids):
            cv = Canvas(fw, fh, background=under)
            _page_key(cv, fw, fh, state, glyph)
            img = keep_rim(cv.result(), under)
            out.append(("BMP%d" % number, img, exact_mask(img, under)))
    return out


def mail_faces():
    w, h = T.MAIL_FACE
    out = []
    for glyph, ids in MAIL_FACES.items():
        for state, number in zip(("normal", "pressed", "focused", "disabled"), ids):
            cv = Canvas(w, h)
            _mail_key(cv, w, h, state, glyph)
            out.append(("BMP%d" % number, cv.result(), None))
    return out
