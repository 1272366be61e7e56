"""Scan-job helpers for the Wine tests: a program directory with the real libraries and the
virtual scanner's description file, the panel started and SCAN clicked, and what the job left
behind (TEMP, the scanner's triplet log, the command lines of started recorders)."""

import time

import panelkit as kit
import rig
import scan_rig

# Paper names of the virtual scanner; "Auto" follows them in the list.
PAPERS = ["Letter", "Legal", "A4", "A5", "B5", "Auto"]


def program(name, settings=None, active=kit.IMAGE, language="ENGLISH", extra_description=None):
    """WORK/name with the real libraries, the shipped Quendel.ini with `settings`
    ({section: {key: value}}) laid over it, and the virtual scanner's description file whose
    model is `name` (the panel's title)."""
    directory = rig.make_program_dir(name)
    description = rig.read_ini(directory / "VS600.ini")
    description["VS600INFO"]["LANGUAGE"] = language
    description["VS600INFO"].pop("Brand", None)
    description["Velmora"].update({"Model": name, "Package": "NULL"})
    for section, keys in (extra_description or {}).items():
        description.setdefault(section, {}).update(keys)
    rig.write_ini(directory / "VS600.ini", description)
    quendel = rig.read_ini(directory / "Quendel.ini")
    quendel["Scan Setting"]["Path"] = rig.wine_path(directory / "VS600.ini")
    quendel["Active_Dlg"]["Active_ID"] = str(active)
    for section, keys in (settings or {}).items():
        quendel.setdefault(section, {}).update({key: str(value) for key, value in keys.items()})
    rig.write_ini(directory / "Quendel.ini", quendel)
    return directory


class Job:
    """A panel started over the virtual scanner, with the file its started programs record
    their command lines in."""

    def __init__(self, directory, env=None, exe=None):
        self.directory = directory
        self.record = directory / "started.txt"
        self.record.unlink(missing_ok=True)
        environment = {"ORVANE_RECORD_FILE": rig.wine_path(self.record)}
        environment.update(env or {})
        self.panel = kit.start(directory, env=environment, exe=exe)

    def scan(self):
        kit.click_button(kit.SCAN, self.panel.title)

    def wait_end(self, timeout=60):
        """The program's exit code; fails when it does not end."""
        return rig.wait_exit(self.panel.proc, timeout=timeout)

    def started(self, count=1, timeout=30):
        """The command lines recorded by started recorders (stand-ins of WordPad, say), once there
        are `count`."""
        deadline = time.time() + timeout
        lines = []
        while time.time() < deadline:
            if self.record.exists():
                lines = [l for l in self.record.read_text(errors="replace").splitlines() if l.strip()]
                if len(lines) >= count:
                    return lines
            time.sleep(0.2)
        raise AssertionError("%d started program(s) expected, recorded: %r" % (count, lines))

    def temp_files(self):
        temp = self.directory / "TEMP"
        return sorted(p.name for p in temp.iterdir()) if temp.exists() else []


def scanner(**settings):
    """The virtual scanner installed with its settings, its log empty."""
    scan_rig.install_scanner(**settings)


def layouts(lines=None):
    """[(left, top, right, bottom)] in inches of every frame the program set on the scanner."""
    frames = []
    for line in lines if lines is not None else scan_rig.log_lines():
        if " IMAGELAYOUT SET" in line and "frame=" in line:
            frames.append(tuple(float(v) for v in line.split("frame=")[1].split()[0].split(",")))
    return frames


def image_infos(lines=None):
    """[(width, length, pixel type)] of every page the scanner described."""
    infos = []
    for line in lines if lines is not None else scan_rig.log_lines():
        if " IMAGEINFO GET" in line and "width=" in line:
            fields = dict(p.split("=", 1) for p in line.split() if "=" in p)
            infos.append((int(fields["width"]), int(fields["length"]), int(fields["type"])))
    return infos


def mail_message(panel, timeout=120):
    """The texts of the mail library's message box (line ends as the driver writes them, \\n),
    which is then closed."""
    hwnd, texts = kit.message_box(panel, "E-mail", timeout=timeout)
    kit.dismiss(hwnd)
    return [text.replace("\\n", "\n") for text in texts]


def mail_not_sent(job):
    """After a SCAN whose mail the library gave up: (the library's message, the program's on
    the page kept in TEMP, the exit code, the JPEG pages in TEMP); both messages closed."""
    library = mail_message(job.panel)
    hwnd, texts = kit.message_box(job.panel, job.panel.title, timeout=20)
    kit.dismiss(hwnd)
    code = job.wait_end(timeout=60)
    return library, " ".join(texts), code, [f for f in job.temp_files() if f.endswith(".JPG")]
