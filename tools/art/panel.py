"""PATTERN: the front panel's 544 x 393 background (body, key wells, page bezel, label strip)."""
import theme as T
from paint import Canvas, lighten


def _well(cv, shape, box, grow, radius):
    x0, y0, x1, y1 = box
    outer = (x0 - grow, y0 - grow, x1 + grow, y1 + grow)
    return cv.ellipse(outer) if shape == "round" else cv.rrect(outer, radius + grow)


def _recess(cv, mask, floor, depth=2.0):
    """A hollow in the panel: darker floor, shadowed top-left wall, lit bottom-right lip."""
    cv.fill(mask, floor)
    cv.inner_shadow(mask, depth * 0.6, depth * 0.8, depth, 0.55)
    cv.edge_light(mask, -1, -1, T.HIGHLIGHT, 0.14)


def _body(cv):
    w, h = T.PANEL_SIZE
    whole = cv.rrect((0, 0, w, h), 0)
    cv.fill(whole, cv.gradient((0, 0, w, h), T.BODY_TOP, T.BODY_BOTTOM))
    sheen = cv.gradient((0, 0, w, 0.6 * h), (255, 255, 255, 36), (255, 255, 255, 0))
    cv.fill(whole, sheen)
    cv.edge_light(whole, 1, 1, T.HIGHLIGHT, 0.22)
    cv.edge_light(whole, -1, -1, T.SHADE, 0.45)


def _page_bezel(cv):
    x, y, w, h = T.PAGE_AREA
    outer = cv.rrect((x - 6, y - 6, x + w + 6, y + h + 6), 8)
    _recess(cv, outer, lighten(T.BODY_RAIL, -0.25), 3.0)
    cv.fill(cv.rrect((x - 1, y - 1, x + w + 1, y + h + 1), 2), (14, 17, 22))


def _label_strip(cv):
    w, h = T.PANEL_SIZE
    top = h - T.STRIP_HEIGHT - 4
    box = (-8, top, T.STRIP_WIDTH + 2, h + 8)
    well = cv.rrect((box[0], box[1] - 2, box[2] + 2, box[3]), 9)
    _recess(cv, well, lighten(T.BODY_RAIL, -0.2), 2.0)
    plate = cv.rrect(box, 7)
    cv.fill(plate, cv.gradient(box, T.STRIP_TOP, T.STRIP_BOTTOM))
    cv.inner_shadow(plate, 1.0, 1.5, 1.5, 0.35)
    gloss = cv.rrect((0, top + 1, T.STRIP_WIDTH, top + 12), 6)
    cv.fill(cv.intersect(gloss, plate), cv.gradient((0, top, 0, top + 12), (255, 255, 255, 90), (255, 255, 255, 0)))


def _grille_and_lamp(cv):
    w, h = T.PANEL_SIZE
    holes = cv.mask()
    for row in range(4):
        for col in range(9):
            cx, cy = 438 + col * 9 + (row % 2) * 4.5, h - 33 + row * 7
            cv.ellipse((cx - 2, cy - 2, cx + 2, cy + 2), holes)
    _recess(cv, holes, (24, 27, 32), 1.0)
    lamp = cv.ellipse((416, h - 26, 424, h - 18))
    cv.glow(lamp, 4, T.GLOW, 0.55)
    cv.fill(lamp, cv.gradient((416, h - 26, 424, h - 18), lighten(T.GLOW, 0.6), T.GLOW))


def pattern():
    w, h = T.PANEL_SIZE
    cv = Canvas(w, h)
    _body(cv)
    for name, *_ in T.BUTTONS:
        shape, box = T.key_shape(name)
        _recess(cv, _well(cv, shape, box, T.WELL, 7), T.BODY_RAIL)
    _page_bezel(cv)
    _label_strip(cv)
    _grille_and_lamp(cv)
    return cv.result()
