"""The GUI test driver against the guidemo fixture dialog: finding windows, reading texts and
menus, pressing buttons, real pointer and keyboard input, captures and messages."""

import queue
import threading
import time
import unittest

from PIL import Image

import rig

DEMO = rig.TOOLS / "guidemo.exe"
WM_APP = 0x8000
ADD, ENABLE, BOX = WM_APP + 1, WM_APP + 2, WM_APP + 3
IDCANCEL = 2
FIRST, SECOND = 1002, 1003
SQUARE_COLOR = (0x12, 0x34, 0x56)  # painted at client pixels x 240..299, y 40..89


class Demo:
    """A running guidemo.exe whose stdout lines can be awaited."""

    def __init__(self):
        self.proc = rig.start([DEMO])
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.pid = int(self.expect(lambda line: line.startswith("pid "))[-1].split()[1])
        self.expect(lambda line: line == "ready")
        self.sel = ("--title", "Guidemo", "--pid", self.pid)

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip("\n"))

    def expect(self, wanted, timeout=10):
        """Lines up to and including the first one WANTED accepts (a text or a predicate)."""
        match = wanted if callable(wanted) else (lambda line: line == wanted)
        seen, deadline = [], time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                seen.append(self.lines.get(timeout=deadline - time.monotonic()))
            except queue.Empty:
                break
            if match(seen[-1]):
                return seen
        raise AssertionError("guidemo never said %r; it said %r" % (wanted, seen))

    def drain(self):
        while not self.lines.empty():
            self.lines.get_nowait()


def failure(*args):
    result = rig.driver_result(*args)
    return result.returncode, result.stderr.strip()


class DriverTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.demo = Demo()
        cls.sel = cls.demo.sel

    @classmethod
    def tearDownClass(cls):
        rig.driver_result("close", *cls.sel)
        rig.wait_exit(cls.demo.proc, timeout=10)
        rig.kill_started()

    def setUp(self):
        self.demo.drain()

    def test_finding_windows(self):
        hwnd = rig.driver("wait", *self.sel).strip()
        self.assertRegex(hwnd, r"^0x[0-9A-F]{8}$")
        self.assertIn((hwnd, str(self.demo.pid), "#32770", "Guidemo"), rig.top_windows())
        for other in (("--hwnd", hwnd), ("--class", "#32770", "--pid", self.demo.pid),
                      ("--title-contains", "uidem", "--pid", self.demo.pid)):
            self.assertEqual(rig.driver("wait", *other).strip(), hwnd, other)
        started = time.monotonic()
        code, reason = failure("wait", "--title", "No such window", "--timeout", 300)
        self.assertEqual(code, 1)
        self.assertIn("No such window", reason)
        self.assertLess(time.monotonic() - started, 5)
        self.assertEqual(failure("wait", "--title", "Guidemo", "--pid", self.demo.pid, "--gone",
                                 "--timeout", 200)[0], 1)
        self.assertEqual(failure("texts")[0], 1)
        self.assertEqual(failure("frobnicate", *self.sel)[0], 1)

    def test_texts_list_children_in_order_with_geometry(self):
        lines = [line.split("\t") for line in rig.driver("texts", *self.sel).splitlines()]
        self.assertEqual(lines[0], ["caption", "Guidemo"])
        self.assertEqual([row[:4] for row in lines[1:]],
                         [["1001", "Static", "Hello from guidemo", "visible"],
                          [str(FIRST), "Button", "&First", "visible"],
                          [str(SECOND), "Button", "Second", "visible"]])
        first = [int(v) for v in lines[2][4].split(",")]
        second = [int(v) for v in lines[3][4].split(",")]
        self.assertEqual(first[1], second[1])
        self.assertGreater(second[0], first[0] + first[2] - 1)
        self.assertTrue(all(v > 0 for v in first))

    def test_press_by_text_and_id_and_refuses_a_disabled_button(self):
        rig.driver("press", *self.sel, "--text", "First")  # mnemonic mark ignored
        self.demo.expect("command %d" % FIRST)
        rig.driver("press", *self.sel, "--id", SECOND)
        self.demo.expect("command %d" % SECOND)
        rig.driver("post", *self.sel, ENABLE, 0, 0)
        self.demo.expect("enable 0")
        try:
            code, reason = failure("press", *self.sel, "--id", SECOND, "--timeout", 300)
            self.assertEqual(code, 1)
            self.assertIn("disabled", reason)
            self.assertEqual(failure("press", *self.sel, "--text", "Third", "--timeout", 300)[0], 1)
            code, reason = failure("press", *self.sel, "--id", 1001, "--timeout", 300)
            self.assertIn("not a Button", reason)
        finally:
            rig.driver("post", *self.sel, "0x%X" % ENABLE, 1, 0)
        self.demo.expect("enable 1")
        self.assertNotIn("command %d" % SECOND, list(self.demo.lines.queue))

    def test_send_returns_the_reply(self):
        self.assertEqual(rig.driver("send", *self.sel, "0x%X" % ADD, 40, 2).strip(), "42")
        self.assertEqual(rig.driver("send", *self.sel, ADD, "0x10", -1).strip(), "15")
        self.demo.expect("add 16 -1")
        self.assertEqual(failure("send", *self.sel, ADD, "12x", 0)[0], 1)

    def test_pointer_input_arrives_at_client_coordinates(self):
        rig.driver("click", *self.sel, 30, 40)
        self.demo.expect("down 30 40")
        self.demo.expect("up 30 40")
        rig.driver("down", *self.sel, 100, 50)
        rig.driver("move", *self.sel, 120, 60)
        rig.driver("up", *self.sel, 140, 70)
        said = self.demo.expect("up 140 70")
        self.assertIn("down 100 50", said)
        self.assertIn("move 120 60", said)

    def test_keys_type_characters_and_named_keys(self):
        rig.driver("keys", *self.sel, "aB{{}{ENTER}")
        said = self.demo.expect("command %d" % FIRST)  # Enter presses the default button
        self.assertEqual([line for line in said if line.startswith("char ")],
                         ["char 97", "char 66", "char 123"])
        self.assertIn("key 13", said)
        self.assertIn("\t#32770\tGuidemo", rig.driver("foreground"))
        for bad in ("{NOPE}", "{ENTER", "{F13}"):
            self.assertEqual(failure("keys", *self.sel, bad)[0], 1, bad)

    def test_capture_and_pixel(self):
        self.assertEqual(rig.driver("pixel", *self.sel, 250, 50).strip(), "%02X%02X%02X" % SQUARE_COLOR)
        path = rig.WORK / "guidriver" / "client.bmp"
        path.parent.mkdir(parents=True, exist_ok=True)
        path.unlink(missing_ok=True)
        rig.driver("shot", *self.sel, rig.wine_path(path), "--client")
        with Image.open(path) as opened:
            image = opened.convert("RGB")
            self.assertEqual(opened.mode, "RGB")
        # Edges of the square show the rows are not upside down.
        self.assertEqual(image.getpixel((240, 40)), SQUARE_COLOR)
        self.assertEqual(image.getpixel((299, 89)), SQUARE_COLOR)
        self.assertNotEqual(image.getpixel((240, 39)), SQUARE_COLOR)
        self.assertNotEqual(image.getpixel((240, 90)), SQUARE_COLOR)
        whole = rig.WORK / "guidriver" / "window.bmp"
        rig.driver("shot", *self.sel, rig.wine_path(whole))
        with Image.open(whole) as window:
            self.assertGreaterEqual(window.size[0], image.size[0])

    def test_message_box_texts_and_press_during_its_modal_loop(self):
        rig.driver("post", *self.sel, BOX, 0, 0)
        box = ("--title", "Guidemo box", "--pid", self.demo.pid)
        rows = [line.split("\t") for line in rig.driver("texts", *box).splitlines()]
        self.assertEqual(rows[0], ["caption", "Guidemo box"])
        self.assertIn("Line one\\nLine two", [row[2] for row in rows[1:] if row[1] == "Static"])
        self.assertEqual(sorted(row[2] for row in rows[1:] if row[1] == "Button"), ["Cancel", "OK"])
        code, reason = failure("press", *self.sel, "--text", "First", "--timeout", 300)
        self.assertIn("disabled", reason)
        rig.driver("press", *box, "--text", "Cancel")
        self.demo.expect("box %d" % IDCANCEL)
        rig.driver("wait", *box, "--gone", "--timeout", 5000)

    def test_system_menu(self):
        rows = [line.split("\t") for line in rig.driver("menu", *self.sel).splitlines()]
        self.assertEqual([row[0] for row in rows], [str(i) for i in range(len(rows))])
        self.assertIn([str(0xF060), "&Close\\tAlt+F4"], [row[1:] for row in rows])
        self.assertIn(["0", "-"], [row[1:] for row in rows])


class CloseTest(unittest.TestCase):
    def test_close_and_wait_gone(self):
        demo = Demo()
        try:
            rig.driver("close", *demo.sel)
            demo.expect("close")
            rig.driver("wait", *demo.sel, "--gone", "--timeout", 5000)
            self.assertEqual(rig.wait_exit(demo.proc, timeout=10), 0)
        finally:
            rig.kill_started()


if __name__ == "__main__":
    unittest.main()
