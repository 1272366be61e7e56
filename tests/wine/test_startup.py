"""Start-up of Orvane.exe under Wine: library binding failures, window title, languages,
help, the information box and the single-instance rule."""

import time
import unittest
from pathlib import Path

import rig

BINDING_CASES = {
    "capturo_missing": (dict(capturo=None, postlib="stub"), "Capturo.dll loading failure. Program terminated."),
    "postlib_missing": (dict(capturo="stub", postlib=None), "Postlib.dll loading failure. Program terminated."),
    "capturo_no_endxfer": (dict(capturo="stub-no-endxfer", postlib="stub"),
                           "Capturo.dll finding failure. Program terminated."),
    "postlib_no_content": (dict(capturo="stub", postlib="stub-no-content"),
                           "Postlib.dll finding failure. Program terminated."),
}

WM_COMMAND = 0x0111
WM_SYSCOMMAND = 0x0112
SC_MINIMIZE = 0xF020
HELP_ID, INFO_ID = 1007, 1008


def description_file(directory, sections):
    path = Path(directory) / "scanner.ini"
    rig.write_ini(path, sections)
    return path


def program(name, quendel=None, description=None, **libraries):
    """A program directory with stub libraries; Quendel.ini names the description file."""
    directory = rig.make_program_dir(name, **({"capturo": "stub", "postlib": "stub"} | libraries))
    (directory / "Quendel.ini").unlink(missing_ok=True)
    sections = dict(quendel or {})
    if description is not None:
        path = description_file(directory, description)
        sections.setdefault("Scan Setting", {})["Path"] = rig.wine_path(path)
    if sections:
        rig.write_ini(directory / "Quendel.ini", sections)
    return directory


class BindingFailures(unittest.TestCase):
    def tearDown(self):
        rig.kill_started()

    def test_each_failure_shows_only_its_message_and_exits_with_zero(self):
        for name, (libraries, message) in BINDING_CASES.items():
            with self.subTest(name):
                self.check_binding_failure(name, libraries, message)
                rig.kill_started()

    def check_binding_failure(self, name, libraries, message):
        directory = program("binding_" + name, **libraries)
        log = directory / "loaded.log"
        proc = rig.start([directory / "Orvane.exe"], env={"ORVANE_FIXTURE_LOG": rig.wine_path(log)})
        caption, texts = rig.window_texts("--title", "Velmora", "--class", "#32770")
        self.assertEqual(caption, "Velmora")
        self.assertIn(message, texts)
        self.assertEqual([t for t in texts if t not in ("OK", "")], [message])
        titles = [w[3] for w in rig.top_windows()]
        self.assertEqual(titles.count("Velmora"), 1, titles)
        rig.driver("press", "--title", "Velmora", "--text", "OK")
        self.assertEqual(rig.wait_exit(proc), 0)
        loaded = log.read_text() if log.exists() else ""
        if libraries["capturo"] is None:
            self.assertNotIn("Postlib", loaded, "Postlib must not even be tried")


class PanelStart(unittest.TestCase):
    def tearDown(self):
        rig.kill_started()

    def start_panel(self, directory, title):
        proc = rig.start([directory / "Orvane.exe"])
        rig.driver("wait", "--title", title, "--timeout", 30000, timeout=35)
        return proc

    def close_panel(self, proc, title):
        rig.driver("close", "--title", title)
        self.assertEqual(rig.wait_exit(proc), 0)

    def test_missing_settings_files_give_the_defaults(self):
        directory = program("defaults")
        proc = self.start_panel(directory, "Velmora")
        caption, _ = rig.window_texts("--title", "Velmora")
        self.assertEqual(caption, "Velmora")
        self.close_panel(proc, "Velmora")
        self.assertFalse((directory / "Quendel.ini").exists(), "opening and closing writes nothing")

    def test_the_real_libraries_pass_the_binding(self):
        directory = program("real_libraries", capturo="dist", postlib="dist")
        self.assertTrue((rig.DIST / "Capturo.dll").exists() and (rig.DIST / "Postlib.dll").exists())
        proc = self.start_panel(directory, "Velmora")
        self.close_panel(proc, "Velmora")

    def test_title_from_brand_model_and_package(self):
        cases = [
            ({"CaseInfo": {"DSSectionName": "VS600"}, "VS600": {"Brand": "Lumen"},
              "Velmora": {"Model": "NULL", "Package": ""}}, "Lumen"),
            ({"CaseInfo": {"DSSectionName": "VS600"}, "VS600": {"Brand": "NULL"},
              "Velmora": {"Model": "FB-600", "Package": "Office Pack"}}, "FB-600 Office Pack"),
            ({"CaseInfo": {"DSSectionName": "VS600"}, "VS600": {"Brand": "Lumen"},
              "velmora": {"model": "FB-600", "PACKAGE": "Office"}}, "Lumen FB-600 Office"),
        ]
        for index, (description, title) in enumerate(cases):
            with self.subTest(title):
                directory = program("title%d" % index, description=description)
                proc = self.start_panel(directory, title)
                self.close_panel(proc, title)

    def test_language_library_supplies_the_strings(self):
        description = {"CaseInfo": {"DSSectionName": "VS600"}, "VS600": {"LANGUAGE": "german"}}
        directory = program("probe_language", quendel={"Active_Dlg": {"Active_ID": "1001"}},
                            description=description)
        (directory / "dsk_lg.dll").write_bytes((rig.FIXTURES / "probe-language" / "probe_language.dll").read_bytes())
        proc = self.start_panel(directory, "Velmora")
        panel = rig.driver("wait", "--title", "Velmora", "--class", "#32770").strip().lower()
        rig.driver("post", "--hwnd", panel, WM_COMMAND, INFO_ID, 0)
        # The About box has the panel's title: it is the other window of that title.
        deadline = time.time() + 20
        about = []
        while not about and time.time() < deadline:
            about = [w for w in rig.top_windows() if w[3] == "Velmora" and w[2] == "#32770" and w[0].lower() != panel]
            time.sleep(0.1)
        self.assertTrue(about, rig.top_windows())
        _, texts = rig.window_texts("--hwnd", about[0][0])
        self.assertTrue(any("Probe-OK" in t for t in texts), texts)

    def test_information_box_shows_title_and_upper_cased_version(self):
        description = {"Velmora": {"Ver": "v2.1b", "Model": "FB-600"}}
        directory = program("about", description=description)
        proc = self.start_panel(directory, "FB-600")
        rig.driver("post", "--title", "FB-600", WM_COMMAND, INFO_ID, 0)
        deadline = time.time() + 20
        while len([w for w in rig.top_windows() if w[3] == "FB-600"]) < 2 and time.time() < deadline:
            time.sleep(0.2)
        about = [w for w in rig.top_windows() if w[3] == "FB-600" and w[2] == "#32770"]
        self.assertEqual(len(about), 2, about)
        rig.driver("press", "--title", "FB-600", "--text", " OK ")
        self.close_panel(proc, "FB-600")

    def test_help_runs_the_viewer_with_the_language_file(self):
        record = rig.WORK / "help_record.txt"
        record.unlink(missing_ok=True)
        viewer = rig.wine_path(rig.TOOLS / "recordargs.exe")
        description = {"CaseInfo": {"DSSectionName": "VS600"}, "VS600": {"LANGUAGE": "GERMAN"},
                       "Velmora": {"Help": "scanhelp", "Helper": viewer}}
        directory = program("help", description=description)
        proc = rig.start([directory / "Orvane.exe"], env={"ORVANE_RECORD_FILE": rig.wine_path(record)})
        rig.driver("wait", "--title", "Velmora")
        rig.driver("post", "--title", "Velmora", WM_COMMAND, HELP_ID, 0)
        for _ in range(100):
            if record.exists() and record.read_text().strip():
                break
            time.sleep(0.1)
        self.assertEqual(record.read_text().strip().upper(), (viewer + " scanhelp_g.hlp").upper())
        self.assertIn("scanhelp_g.hlp", record.read_text())
        self.close_panel(proc, "Velmora")


class SingleInstance(unittest.TestCase):
    def tearDown(self):
        rig.kill_started()

    def test_second_copy_raises_the_minimised_first_and_ends_silently(self):
        directory = program("single")
        first = rig.start([directory / "Orvane.exe"])
        hwnd = rig.driver("wait", "--title", "Velmora").strip()
        rig.driver("post", "--hwnd", hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0)
        time.sleep(0.5)
        second = rig.start([directory / "Orvane.exe"])
        self.assertEqual(rig.wait_exit(second), 0)
        titles = [w[3] for w in rig.top_windows()]
        self.assertEqual(titles.count("Velmora"), 1, titles)
        foreground = rig.driver("foreground").split("\t")[0].strip()
        self.assertEqual(foreground.lower(), hwnd.lower())
        rig.driver("close", "--hwnd", hwnd)
        self.assertEqual(rig.wait_exit(first), 0)


if __name__ == "__main__":
    unittest.main()
