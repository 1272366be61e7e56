"""The test setup's own network scanner: an HTTP server speaking the driverless scan protocol
(capabilities, status, scan jobs, pages rendered from the request at its resolution, JPEG or
PNG), with a glass and a feeder of N pages, faults on request (a busy or refusing scanner, a
slow page, a jam at page K, a page that is not an image, the scanner gone at page K) and a
record of every request; announced over multicast DNS by python3-zeroconf. Multicast runs in
a network namespace of the test process's own (private_network), loopback only."""

import ctypes
import io
import os
import socket
import subprocess
import threading
import time
import uuid as uuidlib
import xml.etree.ElementTree as ET
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from PIL import Image, ImageDraw

SCAN_NS = "http://schemas.hp.com/imaging/escl/2011/05/03"
PWG_NS = "http://www.pwg.org/schemas/2010/12/sm"
# The glass and the feeder's largest page, in 1/300 inch: 8.5 x 11.7 inches.
MAX_WIDTH, MAX_HEIGHT = 2550, 3510
RESOLUTIONS = (75, 100, 150, 200, 300, 600)
# The page's colours: paper, ink, and a red patch an inch from the top left corner.
PAPER, INK, PATCH = (246, 244, 238), (20, 20, 24), (200, 30, 40)
# The glass around a document that does not cover it.
GLASS = (28, 30, 34)

_CLONE_NEWNET = 0x40000000
_network_entered = False


def private_network():
    """Moves this process (and all it starts from now on) into a network namespace of its own
    with only a loopback interface that carries multicast: nothing leaves the machine, and
    Wine's sockets (made by its wineserver, started after this) live there too."""
    global _network_entered
    if _network_entered:
        return
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.unshare(_CLONE_NEWNET) != 0:
        raise OSError(ctypes.get_errno(), "unshare(CLONE_NEWNET) failed")
    for command in (["ip", "link", "set", "lo", "up"], ["ip", "link", "set", "lo", "multicast", "on"],
                    ["ip", "route", "add", "224.0.0.0/4", "dev", "lo"]):
        subprocess.run(command, check=True)
    _network_entered = True


def _element(parent, tag, text=None):
    prefix, name = tag.split(":")
    item = ET.SubElement(parent, "{%s}%s" % (SCAN_NS if prefix == "scan" else PWG_NS, name))
    if text is not None:
        item.text = str(text)
    return item


def _input_caps(parent, tag, formats):
    caps = _element(parent, tag)
    for key, value in (("MinWidth", 300), ("MaxWidth", MAX_WIDTH), ("MinHeight", 300), ("MaxHeight", MAX_HEIGHT),
                       ("MaxScanRegions", 1)):
        _element(caps, "scan:" + key, value)
    profile = _element(_element(caps, "scan:SettingProfiles"), "scan:SettingProfile")
    modes = _element(profile, "scan:ColorModes")
    for mode in ("BlackAndWhite1", "Grayscale8", "RGB24"):
        _element(modes, "scan:ColorMode", mode)
    docs = _element(profile, "scan:DocumentFormats")
    for fmt in formats:
        _element(docs, "pwg:DocumentFormat", fmt)
        _element(docs, "scan:DocumentFormatExt", fmt)
    discrete = _element(_element(profile, "scan:SupportedResolutions"), "scan:DiscreteResolutions")
    for dpi in RESOLUTIONS:
        item = _element(discrete, "scan:DiscreteResolution")
        _element(item, "scan:XResolution", dpi)
        _element(item, "scan:YResolution", dpi)


def _text(root, name):
    for item in root.iter():
        if item.tag.rsplit("}", 1)[-1] == name:
            return (item.text or "").strip()
    return ""


class Job:
    def __init__(self, settings, pages):
        self.id = uuidlib.uuid4().hex
        self.settings = settings
        self.pages = pages  # pages the job can give
        self.given = 0
        self.state = "Processing"
        self.reason = "JobScanning"
        self.polls = 0


class Scanner:
    """The scanner. `feeder`: pages loaded in the feeder (0: empty); `formats`: what it offers;
    faults: `busy` (POST answers 503, status Processing), `refuse` (POST answers 409),
    `not_yet` (each page answers 503 that many times first), `slow` (seconds before each page),
    `jam_at` (that page answers 409 and the feeder reports a jam), `gone_at` (the server stops
    at that page), `not_image` (pages are not images), `cover_open`. `document` is the area
    (x, y, width, height in 1/300 inch) the paper covers on the glass, all of it by default.
    `secure` serves https with `certificate` (a (certfile, keyfile) pair)."""

    def __init__(self, name="Orvane Test Scanner", feeder=0, formats=("image/jpeg", "image/png"), secure=False,
                 certificate=None, scanner_uuid=None, document=None, **faults):
        self.name, self.feeder, self.formats, self.document = name, feeder, formats, document
        self.uuid = scanner_uuid or str(uuidlib.uuid4())
        self.faults = faults
        self.secure, self.certificate = secure, certificate
        self.jobs, self.requests, self.settings, self.deleted = {}, [], [], []
        self.times, self.arrivals, self.rendered = [], [], {}
        self.lock = threading.Lock()
        self.server = self.thread = None
        self.zeroconf = None

    # --- the documents ---------------------------------------------------------------------

    def capabilities(self):
        ET.register_namespace("scan", SCAN_NS)
        ET.register_namespace("pwg", PWG_NS)
        root = ET.Element("{%s}ScannerCapabilities" % SCAN_NS)
        _element(root, "pwg:Version", "2.63")
        _element(root, "pwg:MakeAndModel", self.name)
        _element(root, "scan:UUID", self.uuid)
        _input_caps(_element(root, "scan:Platen"), "scan:PlatenInputCaps", self.formats)
        adf = _element(root, "scan:Adf")
        _input_caps(adf, "scan:AdfSimplexInputCaps", self.formats)
        return ET.tostring(root, xml_declaration=True, encoding="UTF-8")

    def adf_state(self):
        if self.faults.get("jammed"):
            return "ScannerAdfJam"
        if self.faults.get("cover_open"):
            return "ScannerAdfHatchOpen"
        return "ScannerAdfLoaded" if self.feeder > 0 else "ScannerAdfEmpty"

    def status(self):
        root = ET.Element("{%s}ScannerStatus" % SCAN_NS)
        _element(root, "pwg:Version", "2.63")
        busy = self.faults.get("busy") or any(job.state == "Processing" for job in self.jobs.values())
        _element(root, "pwg:State", "Processing" if busy else "Idle")
        _element(root, "scan:AdfState", self.adf_state())
        jobs = _element(root, "scan:Jobs")
        for job in self.jobs.values():
            info = _element(jobs, "scan:JobInfo")
            _element(info, "pwg:JobUri", "/eSCL/ScanJobs/" + job.id)
            _element(info, "pwg:JobUuid", job.id)
            _element(info, "pwg:JobState", job.state)
            _element(_element(info, "pwg:JobStateReasons"), "pwg:JobStateReason", job.reason)
        return ET.tostring(root, xml_declaration=True, encoding="UTF-8")

    def page(self, job, number):
        """The page `number` of the job: the region at the resolution in the colour mode."""
        s = job.settings
        dpi = s["resolution"]
        width = max(1, (s["width"] * dpi + 150) // 300)
        height = max(1, (s["height"] * dpi + 150) // 300)
        image = Image.new("RGB", (width, height), PAPER if self.document is None else GLASS)
        draw = ImageDraw.Draw(image)
        if self.document is not None:
            x, y, w, h = self.document
            box = [(x - s["x"]) * dpi // 300, (y - s["y"]) * dpi // 300]
            draw.rectangle(box + [box[0] + w * dpi // 300 - 1, box[1] + h * dpi // 300 - 1], fill=PAPER)
        # The patch lies an inch from the glass's corner, wherever the region starts.
        left, top = (300 - s["x"]) * dpi // 300, (300 - s["y"]) * dpi // 300
        draw.rectangle([left, top, left + dpi - 1, top + dpi - 1], fill=PATCH)
        for row in range(3):
            y = 2 * dpi + row * dpi // 2
            draw.rectangle([dpi, y, dpi + (number + row) * dpi // 2, y + dpi // 6], fill=INK)
        mode = {"BlackAndWhite1": "1", "Grayscale8": "L"}.get(s["mode"], "RGB")
        if mode != "RGB":
            image = image.convert("L")
            if mode == "1":
                image = image.point(lambda v: 255 if v >= 128 else 0).convert("1")
        out = io.BytesIO()
        if s["format"] == "image/png":
            image.save(out, "PNG", dpi=(dpi, dpi))
        else:
            image.convert("L" if mode != "RGB" else "RGB").save(out, "JPEG", quality=90, dpi=(dpi, dpi))
        return out.getvalue()

    # --- the server ---------------------------------------------------------------------------

    def start(self, port=0, host="127.0.0.1"):
        scanner = self

        class Handler(BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def do_GET(self):
                scanner.handle(self, "GET")

            def do_POST(self):
                scanner.handle(self, "POST")

            def do_DELETE(self):
                scanner.handle(self, "DELETE")

        self.server = ThreadingHTTPServer((host, port), Handler)
        self.server.daemon_threads = True
        if self.secure:
            import ssl
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(*self.certificate)
            self.server.socket = context.wrap_socket(self.server.socket, server_side=True)
        self.port = self.server.server_address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()
        return self

    @property
    def root_url(self):
        return "%s://127.0.0.1:%d/eSCL" % ("https" if self.secure else "http", self.port)

    def stop(self):
        if self.zeroconf:
            self.zeroconf.unregister_all_services()
            self.zeroconf.close()
            self.zeroconf = None
        if self.server:
            self.server.shutdown()
            self.server.server_close()
            self.server = None

    def __enter__(self):
        return self.start() if self.server is None else self

    def __exit__(self, *exc):
        self.stop()

    def announce(self, addresses=("127.0.0.1",), instance=None):
        """Announces the scanner over multicast DNS on the loopback interface."""
        from zeroconf import IPVersion, ServiceInfo, Zeroconf
        service = "_uscans._tcp.local." if self.secure else "_uscan._tcp.local."
        info = ServiceInfo(service, "%s.%s" % (instance or self.name, service),
                           addresses=[socket.inet_aton(a) for a in addresses], port=self.port,
                           properties={"txtvers": "1", "ty": self.name, "rs": "eSCL", "uuid": self.uuid,
                                       "cs": "color,grayscale,binary", "is": "platen,adf",
                                       "pdl": ",".join(self.formats), "duplex": "F", "vers": "2.63",
                                       "representation": "http://127.0.0.1:%d/icon.png" % self.port},
                           server="orvane-test-scanner.local.")
        if self.zeroconf is None:
            self.zeroconf = Zeroconf(interfaces=["127.0.0.1"], ip_version=IPVersion.V4Only)
        self.zeroconf.register_service(info, allow_name_change=True)
        return info

    def record(self, method, path, status):
        with self.lock:
            self.requests.append((method, path, status))
            self.times.append(time.monotonic())

    def handle(self, request, method):
        with self.lock:
            self.arrivals.append(time.monotonic())
        path = request.path.split("?")[0]
        length = int(request.headers.get("Content-Length") or 0)
        body = request.rfile.read(length) if length else b""
        status, content_type, payload, headers = self.answer(method, path, body)
        self.record(method, path, status)
        if status is None:
            # The scanner goes away: the connection drops and nothing answers any more.
            threading.Thread(target=self.stop, daemon=True).start()
            request.close_connection = True
            try:
                request.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            return
        request.send_response(status)
        for key, value in headers.items():
            request.send_header(key, value)
        request.send_header("Content-Type", content_type)
        request.send_header("Content-Length", str(len(payload)))
        request.end_headers()
        try:
            request.wfile.write(payload)
        except (BrokenPipeError, ConnectionResetError):
            request.close_connection = True  # the client went away (a Stop)

    def answer(self, method, path, body):
        xml = "text/xml"
        if method == "GET" and path == "/eSCL/ScannerCapabilities":
            return 200, xml, self.capabilities(), {}
        if method == "GET" and path == "/eSCL/ScannerStatus":
            return 200, xml, self.status(), {}
        if method == "POST" and path == "/eSCL/ScanJobs":
            return self.create_job(body)
        parts = path.strip("/").split("/")
        if len(parts) >= 3 and parts[:2] == ["eSCL", "ScanJobs"]:
            job = self.jobs.get(parts[2])
            if job is None:
                return 404, "text/plain", b"no such job", {}
            if method == "DELETE" and len(parts) == 3:
                with self.lock:
                    self.deleted.append(job.id)
                job.state, job.reason = "Canceled", "JobCanceledByUser"
                return 200, "text/plain", b"", {}
            if method == "GET" and parts[3:] == ["NextDocument"]:
                return self.next_document(job)
        return 404, "text/plain", b"not here", {}

    def create_job(self, body):
        if self.faults.get("busy"):
            return 503, "text/plain", b"busy", {}
        if self.faults.get("refuse"):
            return 409, "text/plain", b"refused", {}
        root = ET.fromstring(body)
        source = _text(root, "InputSource") or "Platen"
        if source == "Feeder" and self.feeder == 0:
            return 409, "text/plain", b"feeder empty", {}
        settings = {"source": source, "mode": _text(root, "ColorMode"), "format": _text(root, "DocumentFormatExt")
                    or _text(root, "DocumentFormat"), "resolution": int(_text(root, "XResolution")),
                    "x": int(_text(root, "XOffset") or 0), "y": int(_text(root, "YOffset") or 0),
                    "width": int(_text(root, "Width")), "height": int(_text(root, "Height")), "xml": body}
        with self.lock:
            self.settings.append(settings)
        job = Job(settings, self.feeder if source == "Feeder" else 1)
        self.jobs[job.id] = job
        location = "%s/ScanJobs/%s" % (self.root_url, job.id)
        return 201, "text/plain", b"", {"Location": location}

    def next_document(self, job):
        if job.state in ("Canceled", "Aborted"):
            return 410, "text/plain", b"gone", {}
        number = job.given + 1
        if number > job.pages:
            job.state, job.reason = "Completed", "JobCompletedSuccessfully"
            return 404, "text/plain", b"no more pages", {}
        if self.faults.get("gone_at") == number:
            return None, None, None, None
        if self.faults.get("jam_at") == number:
            self.faults["jammed"] = True
            job.state, job.reason = "Aborted", "AbortedBySystem"
            return 409, "text/plain", b"jammed", {}
        if job.polls < self.faults.get("not_yet", 0):
            job.polls += 1
            return 503, "text/plain", b"not yet", {"Retry-After": "1"}
        job.polls = 0
        time.sleep(self.faults.get("slow", 0))
        job.given = number
        if self.faults.get("not_image"):
            return 200, "image/jpeg", b"this is no picture at all\n" * 20, {}
        key = (number, job.settings["mode"], job.settings["format"], job.settings["resolution"], job.settings["x"],
               job.settings["y"], job.settings["width"], job.settings["height"])
        if key not in self.rendered:
            self.rendered[key] = self.page(job, number)
        return 200, job.settings["format"], self.rendered[key], {}

    def span(self):
        """Seconds from the first request's arrival to the last answer's end."""
        with self.lock:
            return self.times[-1] - self.arrivals[0] if self.times and self.arrivals else 0.0

    def reset(self):
        with self.lock:
            self.requests, self.settings, self.deleted, self.times, self.arrivals = [], [], [], [], []

    def requests_of(self, method, suffix=""):
        with self.lock:
            return [r for r in self.requests if r[0] == method and r[1].endswith(suffix)]


def airscan_config(directory, scanner):
    """A SANE configuration folder that loads only the airscan backend with the scanner named
    by its URL (no discovery: avahi is not part of the test setup)."""
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, "dll.conf"), "w") as f:
        f.write("airscan\n")
    with open(os.path.join(directory, "airscan.conf"), "w") as f:
        f.write("[devices]\n\"%s\" = %s/, eSCL\n\n[options]\ndiscovery = disable\n" % (scanner.name, scanner.root_url))
    return "airscan:e0:%s" % scanner.name
