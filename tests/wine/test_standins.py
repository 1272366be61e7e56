"""The stand-ins the scan job is tested against: the watcher logs exactly the notices sent to
it, the editor reports the image path it was given (spaces, short forms, wrong files) and
whether it opens, and a small disk shows Wine its own free space."""

import unittest

from PIL import Image

import rig
import services
import standins

WM_WATCH_NOTIFY = 1357


class WatcherStandIn(unittest.TestCase):
    def tearDown(self):
        rig.kill_started()

    def test_logs_each_notice_with_its_values_under_the_model_title(self):
        description = rig.WORK / "standins" / "scanner.ini"
        description.parent.mkdir(parents=True, exist_ok=True)
        rig.write_ini(description, {"Watch": {"Model": "FB-Watch 600"}})
        watcher = standins.start_watcher(description)
        self.assertEqual(watcher.title, "FB-Watch 600")
        for wparam in (1, 0):
            self.assertEqual(rig.driver("send", "--title", "FB-Watch 600", WM_WATCH_NOTIFY, wparam, 0).strip(), "0")
        # Other messages are not notices.
        rig.driver("send", "--title", "FB-Watch 600", WM_WATCH_NOTIFY + 1, 7, 0)
        self.assertEqual(watcher.notices(), [(1, 0), (0, 0)])
        watcher.stop()

    def test_default_title_without_a_description(self):
        watcher = standins.start_watcher()
        self.assertEqual(watcher.title, "ZR7600")
        watcher.stop()


class EditorStandIn(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.editor = standins.install_editor()
        cls.pages = rig.WORK / "standins" / "scan pages"
        cls.pages.mkdir(parents=True, exist_ok=True)
        Image.new("RGB", (64, 48), (200, 40, 40)).save(cls.pages / "page one.jpg", quality=50)
        (cls.pages / "notes.txt").write_text("not a picture")

    @classmethod
    def tearDownClass(cls):
        standins.unregister_editor()

    def start(self, *args):
        self.editor.clear_log()
        rig.run([self.editor.exe] + list(args), timeout=120)
        return self.editor.wait_records(1)[0]

    def test_registered_under_app_paths_in_a_folder_with_a_space(self):
        result = rig.run(["reg", "query", standins.APP_PATHS + r"\Ipe.exe", "/ve"], timeout=120)
        self.assertIn(self.editor.windows_path, result.stdout)
        self.assertIn(" ", self.editor.windows_path)

    def test_a_quoted_path_with_spaces_is_one_argument_and_opens(self):
        path = rig.wine_path(self.pages / "page one.jpg")
        record = self.start(path)
        self.assertEqual((record["args"], record["image"]), ("1", path))
        self.assertEqual((record["exists"], record["opens"], record["format"], record["size"]),
                         ("yes", "yes", "jpeg", "64x48"))

    def test_an_unquoted_path_with_spaces_falls_apart(self):
        path = rig.wine_path(self.pages / "page one.jpg")
        first, second = path.split(" ", 1)
        record = self.start(first, second)
        self.assertEqual((record["args"], record["exists"], record["opens"]), ("2", "no", "no"))

    def test_a_file_that_is_no_image_exists_but_does_not_open(self):
        record = self.start(rig.wine_path(self.pages / "notes.txt"))
        self.assertEqual((record["exists"], record["opens"]), ("yes", "no"))


class SmallDisk(unittest.TestCase):
    def test_wine_sees_the_small_free_space_of_the_tmpfs(self):
        with services.small_disk("4m", drive="t") as disk:
            (disk / "filler.bin").write_bytes(b"\0" * (1024 * 1024))
            result = rig.run([rig.TOOLS / "diskfree.exe", "T:\\", rig.wine_path(disk) + "\\"], timeout=120)
            rows = {(fields[0], fields[1]): fields[2:] for fields in
                    (line.split("\t") for line in result.stdout.splitlines())}
            free, total = (int(v) for v in rows[("GetDiskFreeSpace", "T:\\")][1:3])
            self.assertEqual(total, 4 * 1024 * 1024)
            self.assertLessEqual(free, 3 * 1024 * 1024)
            free_ex = int(rows[("GetDiskFreeSpaceEx", rig.wine_path(disk) + "\\")][1])
            self.assertLessEqual(free_ex, 3 * 1024 * 1024)


if __name__ == "__main__":
    unittest.main()
