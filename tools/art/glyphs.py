"""Pictograms, drawn in a unit square mapped onto (cx, cy, size) of a canvas."""
import math

import theme as T
from paint import lighten


class Frame:
    """Maps unit-square coordinates onto a square of side `size` centred at (cx, cy)."""

    def __init__(self, cx, cy, size):
        self.cx, self.cy, self.size = cx, cy, size

    def p(self, x, y):
        return (self.cx + (x - 0.5) * self.size, self.cy + (y - 0.5) * self.size)

    def b(self, x0, y0, x1, y1):
        return self.p(x0, y0) + self.p(x1, y1)

    def d(self, v):
        return v * self.size


def _lines(cv, f, x0, x1, ys, width, colour, opacity=1.0):
    m = cv.mask()
    for y in ys:
        cv.line([f.p(x0, y), f.p(x1, y)], f.d(width), m)
    cv.fill(m, colour, opacity)


def _drop(cv, mask, f, opacity=0.45):
    """Soft shadow of a pictogram part, cast to the bottom right."""
    cv.shadow(mask, f.d(0.025), f.d(0.035), f.d(0.03), opacity=opacity)


def _sheet(cv, f, x0, y0, x1, y1, lines=()):
    """A sheet of paper with printed lines, lying behind a machine."""
    sheet = cv.rrect(f.b(x0, y0, x1, y1), f.d(0.025))
    _drop(cv, sheet, f, 0.3)
    cv.fill(sheet, T.PAPER)
    if lines:
        _lines(cv, f, x0 + 0.07, x1 - 0.07, lines, 0.035, T.PAPER_LINE)


def _casing(cv, f, x0, y0, x1, y1, radius, ink):
    """The lit, rounded casing of a machine."""
    body = cv.rrect(f.b(x0, y0, x1, y1), f.d(radius))
    _drop(cv, body, f)
    cv.fill(body, cv.gradient(f.b(0, y0, 1, y1), ink, lighten(ink, -0.18)))


def landscape(cv, f, ink):
    frame = cv.rrect(f.b(0.08, 0.17, 0.92, 0.83), f.d(0.07))
    _drop(cv, frame, f)
    cv.fill(frame, ink)
    inner_box = f.b(0.145, 0.235, 0.855, 0.765)
    inner = cv.rrect(inner_box, f.d(0.03))
    cv.fill(inner, cv.gradient(inner_box, lighten(T.SKY, 0.1), lighten(T.SKY, 0.55)))
    cv.fill(cv.ellipse(f.b(0.6, 0.3, 0.75, 0.45)), T.SUN)
    far = cv.polygon([f.p(0.14, 0.77), f.p(0.36, 0.45), f.p(0.52, 0.62), f.p(0.6, 0.77)])
    near = cv.polygon([f.p(0.34, 0.77), f.p(0.64, 0.52), f.p(0.87, 0.72), f.p(0.87, 0.77)])
    cv.fill(cv.intersect(far, inner), T.HILL_DARK)
    cv.fill(cv.intersect(near, inner), T.HILL)


def copier(cv, f, ink):
    _sheet(cv, f, 0.27, 0.08, 0.73, 0.44, (0.17, 0.24, 0.31))
    _casing(cv, f, 0.08, 0.38, 0.92, 0.74, 0.07, ink)
    cv.fill(cv.rrect(f.b(0.2, 0.47, 0.8, 0.52), f.d(0.02)), (40, 46, 56))
    cv.fill(cv.ellipse(f.b(0.74, 0.59, 0.83, 0.68)), T.COPY_BLUE)
    cv.fill(cv.rrect(f.b(0.17, 0.6, 0.62, 0.66), f.d(0.02)), lighten(ink, -0.3))
    out = cv.polygon([f.p(0.24, 0.74), f.p(0.76, 0.74), f.p(0.72, 0.92), f.p(0.28, 0.92)])
    cv.fill(out, T.COPY_BLUE)
    cv.fill(cv.rrect(f.b(0.31, 0.76, 0.69, 0.8), f.d(0.01)), T.PAPER, 0.8)


def fax(cv, f, ink):
    _sheet(cv, f, 0.44, 0.1, 0.82, 0.48, (0.19, 0.26, 0.33))
    _casing(cv, f, 0.1, 0.4, 0.9, 0.86, 0.08, ink)
    handset = cv.rrect(f.b(0.12, 0.26, 0.34, 0.82), f.d(0.1))
    _drop(cv, handset, f, 0.35)
    cv.fill(handset, cv.gradient(f.b(0.12, 0, 0.34, 1), lighten(T.FAX_VIOLET, 0.2), T.FAX_VIOLET, True))
    keys = cv.mask()
    for row in range(3):
        for col in range(3):
            x, y = 0.48 + col * 0.13, 0.56 + row * 0.09
            cv.ellipse(f.b(x - 0.035, y - 0.03, x + 0.035, y + 0.04), keys)
    cv.fill(keys, (52, 58, 70))


def envelope(cv, f, ink):
    _lines(cv, f, 0.04, 0.16, (0.42, 0.52, 0.62), 0.045, T.MAIL_AMBER)
    env = cv.rrect(f.b(0.22, 0.24, 0.94, 0.78), f.d(0.05))
    _drop(cv, env, f)
    cv.fill(env, cv.gradient(f.b(0, 0.24, 1, 0.78), T.PAPER, lighten(T.PAPER, -0.12)))
    folds = cv.line([f.p(0.25, 0.74), f.p(0.5, 0.53)], f.d(0.03))
    cv.line([f.p(0.91, 0.74), f.p(0.66, 0.53)], f.d(0.03), folds)
    cv.fill(cv.intersect(folds, env), (200, 206, 214))
    flap = cv.polygon([f.p(0.23, 0.26), f.p(0.93, 0.26), f.p(0.58, 0.56)])
    cv.shadow(cv.intersect(flap, env), 0, f.d(0.02), f.d(0.02), opacity=0.25)
    cv.fill(cv.intersect(flap, env), (232, 236, 241))
    edge = cv.line([f.p(0.25, 0.28), f.p(0.58, 0.55), f.p(0.91, 0.28)], f.d(0.035))
    cv.fill(cv.intersect(edge, env), T.MAIL_AMBER)


def ocr(cv, f, ink):
    page = cv.polygon([f.p(0.2, 0.08), f.p(0.64, 0.08), f.p(0.8, 0.24), f.p(0.8, 0.92), f.p(0.2, 0.92)])
    _drop(cv, page, f)
    cv.fill(page, T.PAPER)
    cv.fill(cv.polygon([f.p(0.64, 0.08), f.p(0.64, 0.24), f.p(0.8, 0.24)]), (196, 204, 214))
    tee = cv.rrect(f.b(0.29, 0.17, 0.59, 0.25), f.d(0.01))
    cv.rrect(f.b(0.395, 0.17, 0.485, 0.5), f.d(0.01), tee)
    cv.fill(tee, (44, 52, 64))
    _lines(cv, f, 0.31, 0.69, (0.62, 0.71, 0.8), 0.04, T.PAPER_LINE)
    beam = cv.rrect(f.b(0.08, 0.535, 0.92, 0.565), f.d(0.015))
    cv.fill(cv.blurred(beam, f.d(0.04)), T.OCR_GREEN, 0.9)
    cv.fill(beam, lighten(T.OCR_GREEN, 0.35))


def scanner(cv, f, ink):
    lid = cv.polygon([f.p(0.12, 0.5), f.p(0.88, 0.5), f.p(0.8, 0.2), f.p(0.2, 0.2)])
    _drop(cv, lid, f, 0.3)
    cv.fill(lid, cv.gradient(f.b(0, 0.2, 1, 0.5), lighten(ink, -0.05), lighten(ink, -0.25)))
    cv.edge_light(lid, 0, f.d(0.03), (255, 255, 255), 0.7)
    body = cv.rrect(f.b(0.06, 0.52, 0.94, 0.84), f.d(0.07))
    _drop(cv, body, f)
    cv.fill(body, cv.gradient(f.b(0, 0.52, 1, 0.84), ink, lighten(ink, -0.2)))
    glass = cv.rrect(f.b(0.11, 0.545, 0.89, 0.625), f.d(0.02))
    cv.fill(glass, (36, 44, 58))
    beam = cv.rrect(f.b(0.15, 0.572, 0.85, 0.598), f.d(0.013))
    cv.fill(cv.blurred(beam, f.d(0.045)), T.LIGHT_BAR, 0.75)
    cv.fill(beam, (225, 255, 255))
    cv.fill(cv.ellipse(f.b(0.74, 0.7, 0.82, 0.78)), T.LIGHT_BAR)
    cv.fill(cv.rrect(f.b(0.16, 0.72, 0.5, 0.76), f.d(0.02)), lighten(ink, -0.35))


def power(cv, f, ink):
    ring = cv.arc(f.b(0.2, 0.22, 0.8, 0.82), -55, 235, f.d(0.1))
    stem = cv.line([f.p(0.5, 0.16), f.p(0.5, 0.48)], f.d(0.1))
    mark = cv.union(ring, stem)
    _drop(cv, mark, f)
    cv.fill(mark, ink)
    cv.fill(stem, T.EXIT_RED)


def question(cv, f, ink):
    pts = [f.p(0.5 + 0.19 * math.cos(math.radians(a)), 0.32 + 0.19 * math.sin(math.radians(a)))
           for a in range(195, 406, 15)]
    pts += [f.p(0.5, 0.57), f.p(0.5, 0.64)]
    mark = cv.line(pts, f.d(0.13))
    cv.ellipse(f.b(0.425, 0.75, 0.575, 0.9), mark)
    _drop(cv, mark, f)
    cv.fill(mark, ink)


def info(cv, f, ink):
    mark = cv.ellipse(f.b(0.42, 0.08, 0.58, 0.24))
    cv.rrect(f.b(0.43, 0.33, 0.57, 0.84), f.d(0.03), mark)
    cv.rrect(f.b(0.33, 0.33, 0.57, 0.41), f.d(0.03), mark)
    cv.rrect(f.b(0.33, 0.8, 0.67, 0.88), f.d(0.03), mark)
    _drop(cv, mark, f)
    cv.fill(mark, ink)


def folder(cv, f, ink):
    back = cv.polygon([f.p(0.1, 0.2), f.p(0.4, 0.2), f.p(0.48, 0.3), f.p(0.86, 0.3), f.p(0.86, 0.8), f.p(0.1, 0.8)])
    _drop(cv, back, f)
    cv.fill(back, lighten(T.MAIL_AMBER, -0.2))
    cv.fill(cv.rrect(f.b(0.18, 0.36, 0.8, 0.7), 0), T.PAPER)
    front = cv.polygon([f.p(0.1, 0.8), f.p(0.2, 0.42), f.p(0.95, 0.42), f.p(0.86, 0.8)])
    cv.fill(front, cv.gradient(f.b(0, 0.42, 1, 0.8), lighten(T.MAIL_AMBER, 0.25), T.MAIL_AMBER))


def _gear(cv, f, cx, cy, r, teeth=8):
    pts = []
    for i in range(teeth * 4):
        a = math.radians(i * 360.0 / (teeth * 4))
        rr = r if (i % 4) in (0, 1) else r * 0.72
        pts.append(f.p(cx + rr * math.cos(a), cy + rr * math.sin(a)))
    return cv.cut(cv.polygon(pts), cv.ellipse(f.b(cx - r * 0.3, cy - r * 0.3, cx + r * 0.3, cy + r * 0.3)))


def printer_setup(cv, f, ink):
    _sheet(cv, f, 0.22, 0.1, 0.62, 0.4)
    _casing(cv, f, 0.04, 0.34, 0.8, 0.74, 0.07, ink)
    cv.fill(cv.rrect(f.b(0.14, 0.45, 0.7, 0.51), f.d(0.02)), (40, 46, 56))
    cv.fill(cv.polygon([f.p(0.16, 0.74), f.p(0.68, 0.74), f.p(0.64, 0.88), f.p(0.2, 0.88)]), T.COPY_BLUE)
    gear = _gear(cv, f, 0.76, 0.7, 0.22)
    _drop(cv, gear, f, 0.6)
    cv.fill(gear, T.GLOW)


def chevrons(cv, f, ink):
    mark = cv.line([f.p(0.2, 0.22), f.p(0.46, 0.5), f.p(0.2, 0.78)], f.d(0.14))
    cv.line([f.p(0.52, 0.22), f.p(0.78, 0.5), f.p(0.52, 0.78)], f.d(0.14), mark)
    _drop(cv, mark, f)
    cv.fill(mark, ink)


def arrow(cv, f, ink):
    mark = cv.polygon([f.p(0.1, 0.38), f.p(0.52, 0.38), f.p(0.52, 0.18), f.p(0.92, 0.5),
                       f.p(0.52, 0.82), f.p(0.52, 0.62), f.p(0.1, 0.62)])
    _drop(cv, mark, f, 0.3)
    cv.fill(mark, cv.gradient(f.b(0, 0.18, 1, 0.82), lighten(ink, 0.25), ink))


def add_address(cv, f, ink):
    env = cv.rrect(f.b(0.06, 0.2, 0.7, 0.66), f.d(0.04))
    _drop(cv, env, f, 0.3)
    cv.fill(env, T.PAPER)
    flap = cv.line([f.p(0.08, 0.23), f.p(0.38, 0.47), f.p(0.68, 0.23)], f.d(0.05))
    cv.fill(cv.intersect(flap, env), T.MAIL_AMBER)
    cv.edge_light(env, -0.5, -0.5, (90, 100, 115), 0.9)
    badge = cv.ellipse(f.b(0.48, 0.44, 0.94, 0.9))
    _drop(cv, badge, f, 0.35)
    cv.fill(badge, cv.gradient(f.b(0, 0.44, 1, 0.9), lighten(ink, 0.2), ink))
    plus = cv.line([f.p(0.71, 0.55), f.p(0.71, 0.79)], f.d(0.08))
    cv.line([f.p(0.59, 0.67), f.p(0.83, 0.67)], f.d(0.08), plus)
    cv.fill(plus, (255, 255, 255))


def draw(name, cv, cx, cy, size, ink=T.GLYPH):
    """Draw the pictogram `name` centred at (cx, cy) in a square of side `size`."""
    globals()[name](cv, Frame(cx, cy, size), ink)
