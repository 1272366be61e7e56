"""ABOUTBK: the 48 x 48 seamless tile behind the information box (which is three tiles high)."""
from PIL import Image

import paint

BASE = (44, 52, 64)
RIDGE = (56, 66, 80)
GROOVE = (38, 45, 56)
PERIOD = 12  # divides 48, so the diagonal weave continues across tile edges


def aboutbk():
    """The tile at the current set's size: each 1x pixel of the weave covers SCALE pixels."""
    size = paint.px(48)
    img = Image.new("RGB", (size, size), BASE)
    px = img.load()
    for y in range(size):
        for x in range(size):
            ux, uy = int(x / paint.SCALE), int(y / paint.SCALE)
            d = (ux + uy) % PERIOD
            e = (ux - uy) % (PERIOD * 2)
            if d == 0:
                px[x, y] = RIDGE
            elif d == 1:
                px[x, y] = GROOVE
            elif e == 0:
                px[x, y] = tuple((a + b) // 2 for a, b in zip(BASE, RIDGE))
    return img
