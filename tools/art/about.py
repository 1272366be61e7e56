"""ABOUTBK: the 48 x 48 seamless tile behind the information box (which is three tiles high)."""
from PIL import Image

BASE = (44, 52, 64)
RIDGE = (56, 66, 80)
GROOVE = (38, 45, 56)
PERIOD = 12  # divides 48, so the diagonal weave continues across tile edges


def aboutbk():
    img = Image.new("RGB", (48, 48), BASE)
    px = img.load()
    for y in range(48):
        for x in range(48):
            d = (x + y) % PERIOD
            e = (x - y) % (PERIOD * 2)
            if d == 0:
                px[x, y] = RIDGE
            elif d == 1:
                px[x, y] = GROOVE
            elif e == 0:
                px[x, y] = tuple((a + b) // 2 for a, b in zip(BASE, RIDGE))
    return img
