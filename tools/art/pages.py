"""Backgrounds of the five settings pages: deep slate, an accent title band, a tray for the own controls."""
import glyphs
import theme as T
from paint import Canvas, lighten


def _title_band(cv, accent):
    band = cv.rrect((-10, -10, T.TITLE_BAND, 32), 8)
    dark = lighten(accent, -0.5)
    cv.shadow(band, 1, 1.5, 2, opacity=0.5)
    cv.fill(band, cv.gradient((0, 0, 0, 32), lighten(dark, 0.12), dark))
    cv.edge_light(band, -1, -1, accent, 0.9)
    rule = cv.rrect((0, 32, T.PAGE_SIZE[0], 34), 0)
    cv.fill(rule, cv.gradient((0, 0, T.PAGE_SIZE[0], 0), accent, lighten(accent, -0.2) + (0,), True))


def _tray(cv, top):
    w, h = T.PAGE_SIZE
    tray = cv.rrect((-10, top, w + 10, h + 10), 6)
    cv.fill(tray, cv.gradient((0, top, 0, h), (22, 28, 38), (30, 37, 49)))
    cv.inner_shadow(tray, 0, 1.5, 2, 0.6)
    cv.fill(cv.rrect((0, top - 1, w, top), 0), T.HIGHLIGHT, 0.08)


def page_background(page):
    w, h = T.PAGE_SIZE
    accent = T.PAGE_ACCENT[page]
    cv = Canvas(w, h)
    whole = cv.rrect((0, 0, w, h), 0)
    cv.fill(whole, cv.gradient((0, 0, w, h), T.PAGE_TOP, T.PAGE_BOTTOM))
    glow = cv.ellipse((-80, -120, 200, 140))
    cv.fill(cv.blurred(glow, 40), accent, 0.10)
    _title_band(cv, accent)
    emblem = Canvas(w, h)
    glyphs.draw(T.PAGE_GLYPH[page], emblem, w - 24, 17, 28, (255, 255, 255))
    # Embossed in the page's own tone: the pictogram's light parts show, its dark details cut out.
    luma, alpha = emblem.img.convert("LA").split()
    cv.fill(cv.intersect(luma, alpha), (255, 255, 255), 0.28)
    top = T.page_tray_top(page)
    if top is not None:
        _tray(cv, top)
    cv.edge_light(whole, 1, 1, T.HIGHLIGHT, 0.12)
    cv.edge_light(whole, -1, -1, T.SHADE, 0.5)
    return cv.result()


def pages():
    return [(name, page_background(name)) for name in T.PAGE_ACCENT]
