"""Scan jobs under faults, from a real click on SCAN: a feeder batch that fills a small disk
(TEMP on a tmpfs the test mounts) at its third page, a disk that fills while the library writes
a page whose free-space check passed, the library's page file held by another program, a page
file held for a moment and for long while it is compressed, and a scanner that goes away in the
middle of a batch. Each time the pages before are handed off, one message says what happened
(naming the disk and the room needed, the file, or the scanner), no half-written file is left,
and the program ends."""

import shutil
import time

import jobkit
import panelkit as kit
import rig
import scan_rig
import services
import standins

CTEST = {"split": "classes", "cost": 60}
# The virtual scanner's feeder pages: A4 at 100 dpi in colour, 827 x 1169 pixels, rows padded to
# 2484 bytes.
FEEDER_PAGE = 2484 * 1169
SCANNER = "Orvane Virtual Scanner"


def setUpModule():
    rig.use_prefix(rig.WORK / "prefix-scan-faults", display="private")


def tearDownModule():
    rig.restore_prefix()


def image_settings():
    return {"Scan Setting": {"ImageAp": "NULL", "FileName": "Ipe.exe", "Resolution": 1, "Scan Mode": 2}}


def scanning_box(job, timeout=60):
    """The library's message (caption "Scanning"): its text, the box closed."""
    hwnd, texts = kit.message_box(job.panel, "Scanning", timeout=timeout)
    kit.dismiss(hwnd)
    return " ".join(t.replace("\\n", " ") for t in texts if t != "OK")


def hold(path, *options):
    """holdfile on `path` (a Unix path) in the prefix in use; returns the Popen once it holds it."""
    proc = rig.start([rig.TOOLS / "holdfile.exe", rig.wine_path(path)] + [str(o) for o in options])
    line = proc.stdout.readline()
    if not line.startswith("held"):
        raise AssertionError("holdfile: %r %r" % (line, proc.stderr.read() if proc.poll() is not None else ""))
    return proc


class FaultCase(kit.PanelTestCase):
    def setUp(self):
        self.editor = standins.install_editor()

    def tearDown(self):
        super().tearDown()
        self.editor.unregister()

    def assertNothingHalfWritten(self, job):
        left = [n for n in job.temp_files() if n == "TWN00000.BMP" or n.upper().endswith(".TMP")]
        self.assertEqual(left, [], job.temp_files())


class FullDisk(FaultCase):
    def program_on(self, disk, source):
        name = source.name
        directory = disk / name
        shutil.copytree(source, directory)
        quendel = rig.read_ini(directory / "Quendel.ini")
        quendel["Scan Setting"]["Path"] = "T:\\%s\\VS600.ini" % name
        rig.write_ini(directory / "Quendel.ini", quendel)
        return directory

    def test_the_page_that_does_not_fit_names_the_disk_and_the_pages_before_are_handed_off(self):
        source = jobkit.program("fault_fulldisk", image_settings())
        files = sum(p.stat().st_size for p in source.iterdir() if p.is_file())
        # Room for two pages kept as they came (compressing needs three times a page), not a third.
        with services.small_disk(str(files + FEEDER_PAGE * 5 // 2), drive="t") as disk:
            directory = self.program_on(disk, source)
            jobkit.scanner(FeederPages=4)
            job = jobkit.Job(directory, exe=r"T:\fault_fulldisk\Orvane.exe")
            job.scan()
            said = scanning_box(job)
            self.assertIn("Insufficient hard disk space!", said)
            self.assertIn("on T:\\", said)
            self.assertEqual(job.wait_end(), 0)
            records = self.editor.wait_records(2)
            self.assertEqual(len(records), 2, records)
            pages = job.temp_files()
            self.assertEqual([name[-4:] for name in pages], [".BMP", ".BMP"], pages)
            self.assertEqual(sorted(r["image"].rsplit("\\", 1)[-1].upper() for r in records), pages)
            self.assertNothingHalfWritten(job)

    def test_a_disk_that_fills_while_the_library_writes_is_caught_and_leaves_no_file(self):
        # The library is told of plenty of room (scanhost stands in for the free-space query),
        # but the disk holds half a page: the writes themselves fail.
        host = scan_rig.host_dir("fault_writes")
        files = sum(p.stat().st_size for p in host.rglob("*") if p.is_file())
        with services.small_disk(str(files + FEEDER_PAGE // 2)) as disk:
            target = disk / "fault_writes"
            shutil.copytree(host, target)
            scan_rig.install_scanner(FeederPages=1)
            run = scan_rig.run_host(target, "--res", "100", "--free", "1048576,8,512", timeout=120)
            boxes = [line for line in run.lines if line.startswith("BOX")]
            self.assertEqual(len(boxes), 1, run.lines)
            self.assertTrue(boxes[0].startswith("BOX Scanning|Insufficient hard disk space!"), boxes)
            self.assertIn("The page needs", " ".join(run.lines))
            self.assertEqual(run.results(), [{}])
            self.assertFalse((target / "TEMP" / "TWN00000.BMP").exists())


class Locks(FaultCase):
    def test_the_library_page_file_held_by_another_program_is_named(self):
        directory = jobkit.program("fault_heldpage", image_settings())
        (directory / "TEMP").mkdir(exist_ok=True)
        held = hold(directory / "TEMP" / "TWN00000.BMP", "--create", "--hold", 20000)
        jobkit.scanner()
        job = jobkit.Job(directory)
        job.scan()
        started = time.time()
        said = scanning_box(job)
        self.assertIn("TWN00000.BMP is in use by another program", said)
        self.assertLess(time.time() - started, 20, "the wait for the file had no bound")
        self.assertEqual(job.wait_end(), 0)
        self.assertEqual(self.editor.records(), [])
        held.kill()

    def compress_while_held(self, name, hold_ms):
        directory = jobkit.program(name, image_settings())
        (directory / "TEMP").mkdir(exist_ok=True)
        jobkit.scanner()
        job = jobkit.Job(directory)
        # An indexer that opens each new page as it appears, letting others read it.
        holder = rig.start([rig.TOOLS / "holdfile.exe", rig.wine_path(directory / "TEMP") + "\\P*.BMP",
                            "--share", "read", "--hold", hold_ms])
        job.scan()
        return job, holder

    def test_a_page_held_for_a_moment_while_compressed_goes_on_whole(self):
        job, holder = self.compress_while_held("fault_brieflock", 1000)
        record = self.editor.wait_records(1)[0]
        self.assertEqual(job.wait_end(), 0)
        self.assertTrue(holder.stdout.readline().startswith("held"), "the page was never held")
        self.assertEqual((record["opens"], record["format"]), ("yes", "jpeg"), record)
        self.assertEqual([name[-4:] for name in job.temp_files()], [".JPG"], job.temp_files())

    def test_a_page_held_for_long_is_named_and_stays_beside_the_compressed_one(self):
        job, holder = self.compress_while_held("fault_longlock", 15000)
        hwnd, texts = kit.message_box(job.panel, job.panel.title, timeout=60)
        kit.dismiss(hwnd)
        said = " ".join(texts)
        self.assertRegex(said, r"P\w{7}\.BMP is in use by another program")
        self.assertIn("stays in the folder", said)
        record = self.editor.wait_records(1)[0]
        self.assertEqual(job.wait_end(), 0)
        self.assertEqual(record["format"], "jpeg", record)
        self.assertEqual(sorted(name[-4:] for name in job.temp_files()), [".BMP", ".JPG"])


class ScannerGone(FaultCase):
    def test_a_scanner_gone_mid_batch_is_named_and_the_pages_before_are_handed_off(self):
        directory = jobkit.program("fault_gone", image_settings())
        jobkit.scanner(FeederPages=3, GoneAtPage=2)
        job = jobkit.Job(directory)
        job.scan()
        said = scanning_box(job)
        self.assertIn('"%s" stopped during the scan' % SCANNER, said)
        self.assertEqual(job.wait_end(), 0)
        self.assertEqual(len(self.editor.wait_records(1)), 1)
        self.assertEqual([name[-4:] for name in job.temp_files()], [".JPG"])
        self.assertNothingHalfWritten(job)
        # The source and the manager were closed once, and nothing was left for the end.
        log = scan_rig.log_lines()
        self.assertEqual(len([line for line in log if "IDENTITY CLOSEDS" in line]), 1, log[-6:])
        self.assertTrue(log[-1].startswith("CONTROL IDENTITY CLOSEDS"), log[-6:])
