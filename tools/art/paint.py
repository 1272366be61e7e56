"""Supersampled drawing surface: shapes are drawn as masks at 4x and filled, then box-filtered down.

Every drawing is given in 1x pixels; `SCALE` (1, 1.5 or 2, set by the generator for each art
set) sizes the result, so each set is drawn from the same shapes, not stretched.
"""
from PIL import Image, ImageChops, ImageDraw, ImageFilter

SS = 4  # supersampling factor; box filtering from 4x gives clean anti-aliased edges
SCALE = 1  # the art set being drawn


def px(v):
    """A 1x length or position in pixels of the current set, rounded as the program does."""
    return int(v * SCALE + 0.5)


class Canvas:
    """An RGBA surface addressed in 1x final-pixel coordinates (floats allowed).

    A background image is given at the current set's size.
    """

    def __init__(self, width, height, background=(0, 0, 0, 0)):
        self.width, self.height = px(width), px(height)
        size = (self.width * SS, self.height * SS)
        if isinstance(background, Image.Image):
            self.img = background.convert("RGBA").resize(size, Image.NEAREST)
        else:
            self.img = Image.new("RGBA", size, tuple(background))

    # --- masks -----------------------------------------------------------------
    def mask(self):
        return Image.new("L", self.img.size, 0)

    def draw(self, mask):
        return ImageDraw.Draw(mask)

    @staticmethod
    def s(v):
        return int(round(v * SS * SCALE))

    def box(self, box):
        x0, y0, x1, y1 = box
        return [self.s(x0), self.s(y0), self.s(x1) - 1, self.s(y1) - 1]

    def rrect(self, box, radius, mask=None, value=255):
        mask = mask or self.mask()
        ImageDraw.Draw(mask).rounded_rectangle(self.box(box), radius=self.s(radius), fill=value)
        return mask

    def ellipse(self, box, mask=None, value=255):
        mask = mask or self.mask()
        ImageDraw.Draw(mask).ellipse(self.box(box), fill=value)
        return mask

    def polygon(self, points, mask=None, value=255):
        mask = mask or self.mask()
        ImageDraw.Draw(mask).polygon([(self.s(x), self.s(y)) for x, y in points], fill=value)
        return mask

    def line(self, points, width, mask=None, value=255):
        mask = mask or self.mask()
        d = ImageDraw.Draw(mask)
        pts = [(self.s(x), self.s(y)) for x, y in points]
        d.line(pts, fill=value, width=self.s(width), joint="curve")
        r = self.s(width) / 2.0
        for x, y in (pts[0], pts[-1]):  # round caps
            d.ellipse([x - r, y - r, x + r, y + r], fill=value)
        return mask

    def arc(self, box, start, end, width, mask=None, value=255):
        mask = mask or self.mask()
        ImageDraw.Draw(mask).arc(self.box(box), start, end, fill=value, width=self.s(width))
        return mask

    @staticmethod
    def cut(mask, hole):
        return ImageChops.subtract(mask, hole)

    @staticmethod
    def union(a, b):
        return ImageChops.lighter(a, b)

    @staticmethod
    def intersect(a, b):
        return ImageChops.multiply(a, b)

    def shifted(self, mask, dx, dy):
        return ImageChops.offset(mask, self.s(dx), self.s(dy)) if (dx or dy) else mask.copy()

    def blurred(self, mask, radius):
        return mask.filter(ImageFilter.GaussianBlur(radius * SS * SCALE))

    @staticmethod
    def scaled(mask, factor):
        return mask.point(lambda v: min(255, int(v * factor)))

    # --- fills -----------------------------------------------------------------
    def gradient(self, box, top, bottom, horizontal=False):
        """A full-canvas RGBA image running from `top` to `bottom` across `box`, clamped outside."""
        x0, y0, x1, y1 = self.box(box)
        lo, hi = (x0, x1) if horizontal else (y0, y1)
        n = self.img.size[0] if horizontal else self.img.size[1]
        span = max(1, hi - lo)
        ramp = bytes(min(255, max(0, (i - lo) * 255 // span)) for i in range(n))
        line = Image.frombytes("L", (n, 1) if horizontal else (1, n), ramp)
        full = line.resize(self.img.size, Image.NEAREST)
        a = Image.new("RGBA", self.img.size, _rgba(top))
        b = Image.new("RGBA", self.img.size, _rgba(bottom))
        return Image.composite(b, a, full)

    def fill(self, mask, paint, opacity=1.0):
        """Composite a colour or a full-canvas RGBA image through `mask`."""
        layer = Image.new("RGBA", self.img.size, _rgba(paint)) if not isinstance(paint, Image.Image) else paint.copy()
        alpha = ImageChops.multiply(layer.getchannel("A"), mask)
        if opacity != 1.0:
            alpha = alpha.point(lambda v: int(v * opacity))
        layer.putalpha(alpha)
        self.img = Image.alpha_composite(self.img, layer)

    def shadow(self, mask, dx, dy, blur, colour=(0, 0, 0), opacity=0.5):
        self.fill(self.blurred(self.shifted(mask, dx, dy), blur), colour, opacity)

    def edge_light(self, mask, dx, dy, colour, opacity, blur=0.0):
        """Light or shade the rim of `mask` facing the direction (-dx, -dy)."""
        rim = self.cut(mask, self.shifted(mask, dx, dy))
        if blur:
            rim = self.intersect(self.blurred(rim, blur), mask)
        self.fill(rim, colour, opacity)

    def inner_shadow(self, mask, dx, dy, blur, opacity, colour=(0, 0, 0)):
        """Shade the inside of a recess along the walls facing away from the light."""
        outside = self.shifted(ImageChops.invert(mask), dx, dy)
        self.fill(self.intersect(self.blurred(outside, blur), mask), colour, opacity)

    def glow(self, mask, radius, colour, opacity):
        """A soft halo around `mask`, outside it."""
        halo = self.blurred(self.scaled(self.blurred(mask, radius / 2.0), 3.0), radius / 2.0)
        self.fill(self.cut(halo, mask), colour, opacity)

    def paste(self, image, xy):
        """Paste an RGBA image given at the set's final size (it is scaled up exactly)."""
        big = image.convert("RGBA").resize((image.size[0] * SS, image.size[1] * SS), Image.NEAREST)
        self.img.alpha_composite(big, (self.s(xy[0]), self.s(xy[1])))

    # --- output ----------------------------------------------------------------
    def result(self, mode="RGB"):
        out = self.img.resize((self.width, self.height), Image.BOX)
        return out if mode == "RGBA" else out.convert(mode)


def _rgba(c):
    return tuple(c) + (255,) if len(c) == 3 else tuple(c)


def lighten(c, amount):
    """Mix a colour towards white (amount > 0) or black (amount < 0)."""
    if amount >= 0:
        return tuple(int(round(v + (255 - v) * amount)) for v in c[:3])
    return tuple(int(round(v * (1 + amount))) for v in c[:3])
