"""Front-panel helpers for the Wine tests: program directories with a settings file, the
panel's button positions, client screenshots, which face a button shows, which settings page
is visible, and the label strip read back with OCR."""

import subprocess
import unittest
import tempfile
import time
from pathlib import Path

from PIL import Image, ImageChops, ImageOps, ImageStat

import rig

ART = rig.ROOT / "build" / "win" / "art"
TITLE = "Velmora"
IMAGE, COPY, FAX, MAIL, OCR, SCAN, EXIT, HELP, INFO = range(1000, 1009)
NAMES = {IMAGE: "IMAGE", COPY: "COPY", FAX: "FAX", MAIL: "MAIL", OCR: "OCR",
         SCAN: "SCAN", EXIT: "EXIT", HELP: "HELP", INFO: "INFO"}
POSITIONS = {IMAGE: (22, 26), COPY: (22, 88), FAX: (22, 151), MAIL: (22, 214), OCR: (22, 277),
             SCAN: (469, 25), EXIT: (473, 109), HELP: (472, 197), INFO: (480, 276)}
BACKGROUNDS = {IMAGE: "IMAGEBK", COPY: "COPYBK", FAX: "FAXBK", MAIL: "MAILBK", OCR: "OCRBK"}
# One control of each page that is visible exactly when its page is.
PAGE_PROBES = {IMAGE: 6006, COPY: 2007, FAX: 4005, MAIL: 5007, OCR: 3004}
PAGE_ORIGIN = (117, 34)
# A spot on the panel's background that no button, page or label text covers.
NEUTRAL = (440, 382)


def program(name, quendel=None, description=None, model=True, postlib="stub"):
    """A program directory with the stub libraries and the given Quendel.ini sections; the
    scanner description file is written beside it and named by Path. Unless `model` is
    False, the scanner's model is the directory name, so that the panel's title (and with it
    the single-instance rule) is this test's own."""
    directory = rig.make_program_dir(name, capturo="stub", postlib=postlib)
    (directory / "Quendel.ini").unlink(missing_ok=True)
    sections = {section: dict(keys) for section, keys in (quendel or {}).items()}
    description = {section: dict(keys) for section, keys in (description or {}).items()}
    if model:
        description.setdefault("Velmora", {}).setdefault("Model", name)
    if description:
        path = directory / "scanner.ini"
        rig.write_ini(path, description)
        sections.setdefault("Scan Setting", {})["Path"] = rig.wine_path(path)
    if sections:
        rig.write_ini(directory / "Quendel.ini", sections)
    return directory


# The window of the panel started last; the helpers below act on it unless given a title.
CURRENT = []


def _select(title):
    if title is None and CURRENT:
        return ["--hwnd", CURRENT[0]]
    return ["--title", title or TITLE, "--class", "#32770"]


class Panel:
    """A running panel: its process, window and title."""

    def __init__(self, proc, hwnd, pid, title):
        self.proc, self.hwnd, self.pid, self.title = proc, hwnd, pid, title

    def poll(self):
        return self.proc.poll()


def start(directory, title=None, env=None, exe=None):
    """Starts the panel and waits until it is up, with the pointer parked on the background.
    The title is the directory's name (the model `program` writes) unless given; `exe` is the
    program's path when it is to be started from another drive than Z:."""
    global TITLE
    title = title or directory.name
    proc = rig.start([exe or directory / "Orvane.exe"], env=env)
    hwnd = rig.driver("wait", "--title", title, "--class", "#32770", "--timeout", 40000, timeout=45).strip()
    pid = next((w[1] for w in rig.top_windows() if w[0].lower() == hwnd.lower()), None)
    TITLE = title
    CURRENT.clear()
    CURRENT.append(hwnd)
    time.sleep(0.5)
    move(*NEUTRAL, title=title)
    return Panel(proc, hwnd, pid, title)


def move(x, y, title=None):
    rig.driver("move", *_select(title), x, y)


def down(x, y, title=None):
    rig.driver("down", *_select(title), x, y)


def up(x, y, title=None):
    rig.driver("up", *_select(title), x, y)


def centre(button):
    face = art(NAMES[button])
    x, y = POSITIONS[button]
    return x + face.width // 2, y + face.height // 2


def click_button(button, title=None):
    x, y = centre(button)
    move(x, y, title)
    down(x, y, title)
    up(x, y, title)


def art(name):
    return Image.open(ART / (name + ".bmp")).convert("RGB")


def shot(title=None):
    """The panel's client area as it is on screen."""
    with tempfile.TemporaryDirectory() as scratch:
        path = Path(scratch) / "shot.bmp"
        rig.driver("shot", *_select(title), "--client", rig.wine_path(path))
        return Image.open(path).convert("RGB")


def difference(a, b):
    """Mean absolute difference of two equally sized images, 0 to 255."""
    return sum(ImageStat.Stat(ImageChops.difference(a, b)).mean) / 3


def face_shown(image, button):
    """"normal", "hover" or "pressed": the face of `button` that the panel shows."""
    x, y = POSITIONS[button]
    faces = {"normal": art(NAMES[button]), "hover": art(NAMES[button] + "F"), "pressed": art(NAMES[button] + "D")}
    region = image.crop((x, y, x + faces["normal"].width, y + faces["normal"].height))
    scores = {face: difference(region, bitmap) for face, bitmap in faces.items()}
    best = min(scores, key=scores.get)
    if scores[best] > 8:
        raise AssertionError("button %d shows none of its faces: %s" % (button, scores))
    return best


def destination_faces(image):
    return {button: face_shown(image, button) for button in (IMAGE, COPY, FAX, MAIL, OCR)}


def visible_page(title=None):
    """The destination whose settings page is visible (None when none is)."""
    visible = []
    for line in rig.driver("texts", *_select(title)).splitlines():
        fields = line.split("\t")
        if len(fields) >= 4 and fields[0].isdigit() and int(fields[0]) in PAGE_PROBES.values():
            if fields[3] == "visible":
                visible.append(next(d for d, probe in PAGE_PROBES.items() if probe == int(fields[0])))
    if len(visible) > 1:
        raise AssertionError("more than one page visible: %s" % visible)
    return visible[0] if visible else None


def control_rect(control_id, title=None):
    """(left, top, right, bottom) of a control in the panel's coordinates."""
    for line in rig.driver("texts", *_select(title)).splitlines():
        fields = line.split("\t")
        if fields[0] == str(control_id) and len(fields) >= 5:
            left, top, width, height = (int(v) for v in fields[4].split(",")[:4])
            return left, top, left + width, top + height
    raise AssertionError("no control %d" % control_id)


def strip_region(image):
    return image.crop((0, image.height - 41, 400, image.height))


def read_text(image):
    """Lines of text in an image, read back with tesseract (enlarged, full contrast)."""
    image = ImageOps.autocontrast(image.convert("L"))
    image = image.resize((image.width * 3, image.height * 3), Image.LANCZOS)
    with tempfile.TemporaryDirectory() as scratch:
        path = Path(scratch) / "text.png"
        image.save(path)
        text = subprocess.run(["tesseract", str(path), "-", "--psm", "6"], capture_output=True, text=True).stdout
    return [line.strip() for line in text.splitlines() if line.strip()]


def strip_lines(image):
    """The label strip's two lines, read back with tesseract."""
    return read_text(strip_region(image))


def message_box(panel, caption, timeout=20):
    """(hwnd, texts) of the message box with `caption` that the panel shows (waits for it)."""
    return message_box_any(panel, timeout, caption)


def dismiss(hwnd):
    rig.driver("press", "--hwnd", hwnd, "--text", "OK")
    rig.driver("wait", "--gone", "--hwnd", hwnd, "--timeout", 10000)


def no_message_box(panel, wait=1.5):
    """True when the panel shows no message box after `wait` seconds."""
    time.sleep(wait)
    for hwnd, pid, cls, title in rig.top_windows():
        if pid == panel.pid and cls == "#32770" and hwnd.lower() != panel.hwnd.lower():
            _, texts = rig.window_texts("--hwnd", hwnd)
            if "OK" in texts:
                return False
    return True


def exit_panel(panel):
    click_button(EXIT, panel.title)
    return rig.wait_exit(panel.proc)


def ocr_window(hwnd):
    """Lines of text painted in a window's client area, read back with tesseract."""
    with tempfile.TemporaryDirectory() as scratch:
        path = Path(scratch) / "window.bmp"
        rig.driver("shot", "--hwnd", hwnd, "--client", rig.wine_path(path))
        return read_text(Image.open(path))


def type_into(control_id, text):
    """Replaces the text of an edit field of the panel by typing, as a user does."""
    click_control(control_id)
    rig.driver("keys", *_select(None), "{END}{SHIFT+HOME}{DELETE}" + text.replace("{", "{{}"))


def scan_and_expect(panel, caption, message):
    """Presses SCAN, expects the message box with `caption` and `message`, and closes it."""
    click_button(SCAN)
    hwnd, texts = message_box(panel, caption)
    dismiss(hwnd)
    if texts != [message]:
        raise AssertionError("message %r, expected %r" % (texts, message))


def scan_stores_and_ends(panel):
    """SCAN with a page that stores: the job starts, and with the stand-in acquisition library
    (which starts nothing) the program ends without a message."""
    click_button(SCAN, panel.title)
    if rig.wait_exit(panel.proc, timeout=30) != 0:
        raise AssertionError("the program ended with an error")


def reg(*args):
    """Runs `reg` in the test prefix; fails when it fails."""
    result = rig.run(["reg"] + list(args) + ["/f"])
    if result.returncode != 0:
        raise AssertionError("reg %s: %s %s" % (" ".join(args), result.stdout, result.stderr))


def message_box_any(panel, timeout=20, caption=None):
    """(hwnd, texts) of any message box of the panel's process (its caption may be translated),
    or of the one with `caption`."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        for hwnd, pid, cls, title in rig.top_windows():
            if pid != panel.pid or cls != "#32770" or hwnd.lower() == panel.hwnd.lower():
                continue
            if caption is not None and title != caption:
                continue
            _, texts = rig.window_texts("--hwnd", hwnd)
            # The panel has no OK button; a window with one is the message box.
            if "OK" in texts:
                return hwnd, [t for t in texts if t not in ("OK", "")]
        time.sleep(0.2)
    raise AssertionError("no message box %r" % caption if caption is not None else "no message box")


class PanelTestCase(unittest.TestCase):
    """Ends whatever a test started, also when it fails half-way."""

    def tearDown(self):
        rig.kill_started()


def tooltip_text(panel, button):
    """The text of the tooltip that hovering `button` brings up (None when none shows)."""
    x, y = centre(button)
    move(x, y)
    time.sleep(0.2)
    move(x + 1, y + 1)
    deadline = time.time() + 5
    text = None
    while time.time() < deadline:
        tips = [w for w in rig.top_windows() if w[2] == "tooltips_class32" and w[1] == panel.pid]
        if tips:
            # The tip may be up before its text is painted: read it until it shows some.
            text = " ".join(ocr_window(tips[0][0]))
            if text:
                return text
        time.sleep(0.1)
    return text


def click_control(control_id):
    """Clicks the middle of a control of the panel or its pages."""
    left, top, right, bottom = control_rect(control_id)
    x, y = (left + right) // 2, (top + bottom) // 2
    move(x, y)
    down(x, y)
    up(x, y)
