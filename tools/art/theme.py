"""Colours and panel geometry shared by every piece of art (light falls from the top left)."""

# Panel body: satin graphite, lit from the top left.
BODY_TOP = (74, 80, 90)
BODY_BOTTOM = (50, 55, 63)
BODY_RAIL = (40, 44, 51)          # recessed rails behind the button columns
HIGHLIGHT = (255, 255, 255)
SHADE = (0, 0, 0)

# Keycaps of the panel buttons.
KEY_TOP = (104, 112, 124)
KEY_BOTTOM = (72, 78, 89)
KEY_HOVER = 0.22                  # lightening of a hovered key
KEY_PRESSED = -0.22               # darkening of a pressed key
GLOW = (92, 200, 255)             # hover rim and active markers
GLYPH = (240, 243, 247)           # pictogram ink

# Function accents of the pictograms.
SKY = (96, 178, 240)
SUN = (255, 200, 64)
HILL = (86, 196, 120)
HILL_DARK = (48, 150, 96)
PAPER = (250, 251, 252)
PAPER_LINE = (150, 160, 172)
COPY_BLUE = (70, 150, 235)
FAX_VIOLET = (160, 130, 240)
MAIL_AMBER = (255, 176, 60)
OCR_GREEN = (110, 210, 150)
SCAN_TOP = (52, 140, 220)
SCAN_BOTTOM = (28, 92, 168)
LIGHT_BAR = (140, 240, 255)
EXIT_RED = (240, 84, 72)

# Label strip: a pale display window for the dark grey (81, 81, 81) label texts.
STRIP_TOP = (226, 231, 234)
STRIP_BOTTOM = (206, 213, 218)
LABEL_TEXT = (81, 81, 81)

# Settings pages: deep slate so the white titles and labels stand out.
PAGE_TOP = (58, 72, 92)
PAGE_BOTTOM = (34, 43, 57)
PAGE_ACCENT = {"IMAGEBK": (64, 170, 130), "COPYBK": (70, 140, 225), "FAXBK": (140, 115, 225),
               "MAILBK": (225, 150, 50), "OCRBK": (60, 175, 185)}

# Front panel geometry (client pixels).
PANEL_SIZE = (544, 393)
PAGE_AREA = (117, 34, 293, 277)            # x, y, width, height of the settings pages
STRIP_HEIGHT, STRIP_WIDTH, STRIP_TEXT_X = 41, 400, 6
BUTTONS = [  # name, x, y, width, height, pictogram
    ("IMAGE", 22, 26, 71, 52, "landscape"),
    ("COPY", 22, 88, 71, 52, "copier"),
    ("FAX", 22, 151, 71, 53, "fax"),
    ("MAIL", 22, 214, 71, 52, "envelope"),
    ("OCR", 22, 277, 71, 53, "ocr"),
    ("SCAN", 469, 25, 68, 62, "scanner"),
    ("EXIT", 473, 109, 61, 71, "power"),
    ("HELP", 472, 197, 63, 66, "question"),
    ("INFO", 480, 276, 56, 68, "info"),
]


def key_shape(name):
    """("rect", box) or ("round", box) of the visible keycap of a panel button, in panel pixels.

    The right-hand keys share one vertical axis even though their bitmaps do not.
    """
    for n, x, y, w, h, _ in BUTTONS:
        if n != name:
            continue
        if x == 22:
            return "rect", (x + 4, y + 3, x + w - 4, y + 46)
        if n == "SCAN":
            return "rect", (RIGHT_AXIS - 30, y + 3, RIGHT_AXIS + 28, y + 57)
        cy = {"EXIT": 144.5, "HELP": 230, "INFO": 310}[n]
        return "round", (RIGHT_AXIS - 22.5, cy - 22.5, RIGHT_AXIS + 22.5, cy + 22.5)
    raise KeyError(name)


RIGHT_AXIS = 506  # INFO's bitmap starts furthest right, at 480
WELL = 3  # width of the recessed bezel around each key

# Settings pages (page pixels): the title band, and the tray along the bottom that holds the
# page's own button and text box (Mail: its three address rows).
PAGE_SIZE = (293, 277)
TITLE_BAND = 141
PAGE_BUTTON = (40, 26)     # "Browser", "Printer" / "Fax Setting"
MAIL_BUTTON = (28, 22)     # ">>"
MAIL_FACE = (32, 24)       # arrow and Add of the address book
PAGE_GLYPH = {"IMAGEBK": "landscape", "COPYBK": "copier", "FAXBK": "fax", "MAILBK": "envelope",
              "OCRBK": "ocr"}


def page_tray_top(page):
    """Top of the bottom tray of a page, or None for a page without own controls there."""
    h = PAGE_SIZE[1]
    if page == "MAILBK":
        # Six rows: server, security and port, user, password (with Test), To (with ">>"), From.
        return h - 6 * (MAIL_BUTTON[1] + 1) - 6
    if page == "OCRBK":
        return None
    return h - 6 - PAGE_BUTTON[1] - 6
