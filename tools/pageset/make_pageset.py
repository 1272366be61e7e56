#!/usr/bin/python3
"""The compact PDF's page set: office pages as a flatbed scanner delivers them (24-bit bitmap
files, Letter at 300 dpi unless told), made the same every time from this script, Debian's
DejaVu and URW fonts and a fixed random seed:

  letter      a business letter, black text
  invoice     an invoice with a two-colour logo, ruled table, red and blue figures
  magazine    two columns, a coloured headline and two photographs
  form        a form printed in light blue, filled in with black type and blue ink
  note        a handwritten note in blue ink on lined paper
  photo       a full-page photograph (no text)

Each page is drawn, then blurred and given grain as a scanner's optics and sensor would.
  make_pageset.py OUT_DIR [--dpi N] [NAME...]
Writes OUT_DIR/NAME.bmp; a photograph region's box (in pixels) goes to OUT_DIR/NAME.box."""

import random
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFilter, ImageFont

FONTS = Path("/usr/share/fonts")
SANS = FONTS / "truetype/dejavu/DejaVuSans.ttf"
SANS_BOLD = FONTS / "truetype/dejavu/DejaVuSans-Bold.ttf"
SERIF = FONTS / "truetype/dejavu/DejaVuSerif.ttf"
SERIF_BOLD = FONTS / "truetype/dejavu/DejaVuSerif-Bold.ttf"
SCRIPT = FONTS / "opentype/urw-base35/Z003-MediumItalic.otf"
PAPER = (250, 249, 244)

WORDS = ("the of and to in is that for it as was with be by on not he this are or his from at which but have "
         "an they you were her she there been one all we their has would when if so no will more can about "
         "other into some could them than then now only its also time two may after first any new very "
         "through just where most should over such our under even before must between those people same "
         "order delivery invoice account payment number please thank meeting report office letter market "
         "quarter figures review customer service product regards sincerely scanner document project budget "
         "planning schedule weekly summary result material support contract signed address company").split()


def font(path, points, dpi):
    return ImageFont.truetype(str(path), max(6, round(points * dpi / 72)))


def sentence(rng, words):
    text = " ".join(rng.choice(WORDS) for _ in range(words))
    return text[0].upper() + text[1:] + "."


def paragraph(draw, rng, box, face, colour, lines, dpi):
    """Lines of text filling the box's width; returns the y below."""
    left, top, right = box
    size = face.size
    y = top
    for number in range(lines):
        words, line = [], ""
        while True:
            word = rng.choice(WORDS)
            trial = (line + " " + word).strip()
            if draw.textlength(trial, font=face) > right - left:
                break
            line = trial
        if number == lines - 1:
            line = " ".join(line.split()[: max(2, len(line.split()) // 2)]) + "."
        draw.text((left, y), line, font=face, fill=colour)
        y += round(size * 1.45)
    return y + size


def fractal(width, height, rng, octaves=6):
    """A grey picture of smooth noise at several scales (hills, leaves, clouds)."""
    picture = Image.new("L", (width, height), 128)
    for octave in range(octaves):
        cells = 2 ** (octave + 2)
        small = Image.new("L", (cells, max(2, cells * height // width)))
        small.putdata([rng.randrange(256) for _ in range(small.width * small.height)])
        layer = small.resize((width, height), Image.BICUBIC)
        picture = Image.blend(picture, layer, 0.55 if octave == 0 else 0.5 / (octave + 1))
    return picture


def photograph(width, height, rng):
    """A landscape: sky with a sun, hills of noise, a lake, a tree line."""
    sky = Image.linear_gradient("L").resize((width, height))
    photo = Image.merge("RGB", (sky.point(lambda v: 90 + v * 0.5), sky.point(lambda v: 140 + v * 0.35),
                                sky.point(lambda v: 230 - v * 0.2)))
    draw = ImageDraw.Draw(photo)
    draw.ellipse((width * 0.7, height * 0.08, width * 0.82, height * 0.08 + width * 0.12), fill=(255, 236, 170))
    land = fractal(width, height, rng)
    green = Image.merge("RGB", (land.point(lambda v: 30 + v // 3), land.point(lambda v: 60 + v // 2),
                                land.point(lambda v: 20 + v // 5)))
    horizon = Image.new("L", (width, height), 0)
    shape = ImageDraw.Draw(horizon)
    points = [(0, height)] + [(x, height * 0.45 + height * 0.08 * ((x * 7919) % 97) / 97 +
                                height * 0.1 * abs(((x / width) * 3) % 2 - 1)) for x in range(0, width + 1, 8)]
    shape.polygon(points + [(width, height)], fill=255)
    photo.paste(green, (0, 0), horizon.filter(ImageFilter.GaussianBlur(2)))
    lake = Image.new("RGB", (width, height // 6), (70, 110, 160))
    lake.paste(fractal(width, height // 6, rng, 4).convert("RGB"), (0, 0), Image.new("L", lake.size, 60))
    photo.paste(lake, (0, height - height // 6))
    return photo


def letter(page, draw, rng, dpi):
    inch = dpi
    draw.text((inch, inch * 0.8), "Northfield Supplies Ltd", font=font(SERIF_BOLD, 18, dpi), fill=(20, 20, 20))
    draw.text((inch, inch * 1.15), "14 Mill Lane, Eastbury  EB4 7QT", font=font(SERIF, 10, dpi), fill=(40, 40, 40))
    body = font(SERIF, 11, dpi)
    draw.text((inch, inch * 2.0), "Dear Ms Harrow,", font=body, fill=(15, 15, 15))
    y = inch * 2.4
    for _ in range(5):
        y = paragraph(draw, rng, (inch, y, page.width - inch), body, (15, 15, 15), rng.randint(4, 7), dpi)
    draw.text((inch, y + inch * 0.2), "Yours sincerely,", font=body, fill=(15, 15, 15))
    draw.text((inch, y + inch * 0.8), "Peter Lindqvist", font=font(SCRIPT, 22, dpi), fill=(30, 40, 120))


def invoice(page, draw, rng, dpi):
    inch = dpi
    draw.ellipse((inch, inch * 0.6, inch * 1.8, inch * 1.4), fill=(200, 30, 40))
    draw.rectangle((inch * 1.3, inch * 0.9, inch * 2.2, inch * 1.6), fill=(20, 90, 170))
    draw.text((inch * 2.5, inch * 0.8), "BRIGHTWATER GmbH", font=font(SANS_BOLD, 20, dpi), fill=(20, 90, 170))
    draw.text((inch * 5.5, inch * 1.8), "INVOICE 2024-0815", font=font(SANS_BOLD, 16, dpi), fill=(20, 20, 20))
    small = font(SANS, 10, dpi)
    y = paragraph(draw, rng, (inch, inch * 2.4, inch * 4.5), small, (25, 25, 25), 4, dpi)
    top = y + inch * 0.3
    columns = [inch, inch * 1.7, inch * 5.2, inch * 6.3, page.width - inch]
    draw.rectangle((columns[0], top, columns[-1], top + inch * 0.35), fill=(215, 228, 245))
    for x, title in zip(columns, ("Item", "Description", "Quantity", "Amount")):
        draw.text((x + 20, top + 20), title, font=font(SANS_BOLD, 10, dpi), fill=(20, 40, 90))
    row = inch * 0.32
    for number in range(16):
        y = top + inch * 0.35 + number * row
        draw.line((columns[0], y + row, columns[-1], y + row), fill=(120, 120, 120), width=max(1, dpi // 150))
        draw.text((columns[0] + 20, y + 18), "%03d" % (number + 1), font=small, fill=(25, 25, 25))
        draw.text((columns[1] + 20, y + 18), sentence(rng, 4)[:-1], font=small, fill=(25, 25, 25))
        draw.text((columns[2] + 20, y + 18), str(rng.randint(1, 40)), font=small, fill=(25, 25, 25))
        draw.text((columns[3] + 20, y + 18), "%d.%02d" % (rng.randint(5, 900), rng.randint(0, 99)), font=small,
                  fill=(20, 60, 160))
    for x in columns:
        draw.line((x, top, x, top + inch * 0.35 + 16 * row), fill=(120, 120, 120), width=max(1, dpi // 150))
    y = top + inch * 0.5 + 16 * row
    draw.text((columns[3], y), "Total 8,412.50", font=font(SANS_BOLD, 13, dpi), fill=(200, 30, 40))
    paragraph(draw, rng, (inch, y + inch * 0.8, page.width - inch), small, (25, 25, 25), 5, dpi)


def magazine(page, draw, rng, dpi):
    inch = dpi
    draw.text((inch * 0.8, inch * 0.6), "The Quiet Valleys", font=font(SERIF_BOLD, 40, dpi), fill=(150, 20, 60))
    gutter = inch * 0.3
    middle = page.width // 2
    body = font(SERIF, 9.5, dpi)
    photo = photograph(int(inch * 6.9), int(inch * 3.2), rng)
    page.paste(photo, (int(inch * 0.8), int(inch * 1.5)))
    box = (int(inch * 0.8), int(inch * 1.5), int(inch * 0.8) + photo.width, int(inch * 1.5) + photo.height)
    draw.text((inch * 0.8, box[3] + 30), "Morning light over the lake, seen from the northern ridge.",
              font=font(SANS, 8, dpi), fill=(90, 90, 90))
    small = photograph(int(inch * 2.6), int(inch * 1.9), rng)
    page.paste(small, (int(middle + gutter / 2), int(inch * 6.5)))
    for left, right in ((inch * 0.8, middle - gutter / 2), (middle + gutter / 2, page.width - inch * 0.8)):
        y = box[3] + inch * 0.4
        while y < page.height - inch * 1.2:
            lines = rng.randint(5, 9)
            if left > middle and y < inch * 8.6 and y + lines * body.size * 1.45 > inch * 6.3:
                y = inch * 8.7  # around the small photograph
            y = paragraph(draw, rng, (left, y, right), body, (20, 20, 20), lines, dpi)
    return box


def form(page, draw, rng, dpi):
    inch = dpi
    blue = (110, 165, 225)
    draw.text((inch, inch * 0.7), "APPLICATION FOR A PARKING PERMIT", font=font(SANS_BOLD, 16, dpi), fill=blue)
    label = font(SANS, 8, dpi)
    typed = font(SANS, 11, dpi)
    y = inch * 1.5
    for number in range(14):
        height = inch * 0.55
        draw.rectangle((inch, y, page.width - inch, y + height), outline=blue, width=max(1, dpi // 100))
        draw.text((inch + 15, y + 10), "%d. %s" % (number + 1, sentence(rng, 3)[:-1]), font=label, fill=blue)
        if number % 3 != 2:
            draw.text((inch + 40, y + height * 0.45), sentence(rng, 5)[:-1], font=typed, fill=(20, 20, 20))
        else:
            draw.text((inch + 40, y + height * 0.35), "Anne Kowalski", font=font(SCRIPT, 20, dpi),
                      fill=(25, 45, 150))
        y += height + inch * 0.12
    for x in range(4):
        draw.rectangle((inch + x * inch * 1.2, y + inch * 0.2, inch + x * inch * 1.2 + inch * 0.25,
                        y + inch * 0.45), outline=blue, width=max(1, dpi // 100))
    draw.line((inch + 8, y + inch * 0.32, inch + inch * 0.1, y + inch * 0.42, inch + inch * 0.3, y + inch * 0.1),
              fill=(25, 45, 150), width=max(2, dpi // 60))


def note(page, draw, rng, dpi):
    inch = dpi
    for y in range(int(inch * 1.2), page.height - inch // 2, int(inch * 0.33)):
        draw.line((0, y, page.width, y), fill=(170, 200, 230), width=max(1, dpi // 150))
    draw.line((inch * 1.1, 0, inch * 1.1, page.height), fill=(230, 150, 150), width=max(1, dpi // 100))
    hand = font(SCRIPT, 20, dpi)
    y = inch * 1.2 - hand.size * 0.8
    for _ in range(20):
        text = sentence(rng, rng.randint(5, 8))
        while draw.textlength(text, font=hand) > page.width - inch * 1.8:
            text = text.rsplit(" ", 1)[0]
        draw.text((inch * 1.3 + rng.randint(-10, 10), y), text, font=hand, fill=(30, 50, 150))
        y += inch * 0.66


def whole_photo(page, draw, rng, dpi):
    page.paste(photograph(page.width, page.height, rng), (0, 0))
    return (0, 0, page.width, page.height)


PAGES = {"letter": letter, "invoice": invoice, "magazine": magazine, "form": form, "note": note,
         "photo": whole_photo}


def scanned(page, rng):
    """The optics' softness and the sensor's grain."""
    page = page.filter(ImageFilter.GaussianBlur(0.7 * page.info.get("scale", 1)))
    grain = Image.effect_noise(page.size, 6).point(lambda v: v - 128 + 128)
    return Image.blend(page, Image.merge("RGB", (grain, grain, grain)), 0.04)


def make(name, dpi):
    rng = random.Random(name)
    page = Image.new("RGB", (int(8.5 * dpi), int(11 * dpi)), PAPER)
    page.info["scale"] = dpi / 300
    box = PAGES[name](page, ImageDraw.Draw(page), rng, dpi)
    return scanned(page, rng), box


def main(argv):
    out = Path(argv[1])
    dpi = 300
    names = []
    arguments = iter(argv[2:])
    for argument in arguments:
        if argument == "--dpi":
            dpi = int(next(arguments))
        else:
            names.append(argument)
    out.mkdir(parents=True, exist_ok=True)
    for name in names or list(PAGES):
        page, box = make(name, dpi)
        page.save(out / (name + ".bmp"), dpi=(dpi, dpi))
        if box:
            (out / (name + ".box")).write_text("%d %d %d %d\n" % box)


if __name__ == "__main__":
    main(sys.argv)
