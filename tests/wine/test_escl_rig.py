"""The tests' network scanner checked against a real client: Debian's sane-airscan backend,
driven by scanimage, scans from it (the glass, and a feeder batch), and its announcement is
heard on the private network's multicast."""

import os
import shutil
import socket
import struct
import subprocess
import tempfile
import unittest
from pathlib import Path

from PIL import Image

import escl_scanner


def scanimage(directory, device, *args):
    env = dict(os.environ, SANE_CONFIG_DIR=str(directory))
    return subprocess.run(["scanimage", "-d", device] + list(args), env=env, capture_output=True, timeout=120,
                          cwd=directory)


class AirscanClient(unittest.TestCase):
    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="airscan-"))
        self.addCleanup(shutil.rmtree, self.folder, True)

    def test_scanimage_scans_the_glass_in_colour(self):
        with escl_scanner.Scanner() as scanner:
            device = escl_scanner.airscan_config(self.folder, scanner)
            done = scanimage(self.folder, device, "--resolution", "150", "--mode", "Color", "--format=png", "-o",
                             str(self.folder / "page.png"))
            self.assertEqual(done.returncode, 0, done.stderr)
            self.assertEqual(scanner.settings[0]["source"], "Platen")
            # The client fetched the page and ended the job.
            methods = [r[0] for r in scanner.requests]
            self.assertIn("DELETE", methods)
        with Image.open(self.folder / "page.png") as page:
            self.assertEqual(page.size, (1275, 1755))  # the whole glass at 150 dpi
            self.assertEqual(page.getpixel((225, 225)), escl_scanner.PATCH)  # an inch and a half in
            self.assertEqual(page.getpixel((20, 20)), escl_scanner.PAPER)

    def test_scanimage_takes_a_feeder_batch_of_three(self):
        with escl_scanner.Scanner(feeder=3) as scanner:
            device = escl_scanner.airscan_config(self.folder, scanner)
            done = scanimage(self.folder, device, "--source", "ADF", "--resolution", "100", "--mode", "Gray",
                             "--format=pnm", "--batch=" + str(self.folder / "p%d.pnm"))
            self.assertIn(b"Batch terminated, 3 pages scanned", done.stderr, done.stderr)
            self.assertEqual(scanner.settings[0]["source"], "Feeder")
            self.assertEqual(scanner.settings[0]["mode"], "Grayscale8")
        self.assertEqual(sorted(p.name for p in self.folder.glob("p*.pnm")), ["p1.pnm", "p2.pnm", "p3.pnm"])


class Announcement(unittest.TestCase):
    def test_a_query_on_the_private_network_is_answered(self):
        escl_scanner.private_network()
        with escl_scanner.Scanner() as scanner:
            scanner.announce()
            query = struct.pack(">6H", 0, 0, 1, 0, 0, 0) + b"\x06_uscan\x04_tcp\x05local\x00" + struct.pack(">HH", 12, 1)
            sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            sock.settimeout(5)
            sock.bind(("0.0.0.0", 0))
            sock.sendto(query, ("224.0.0.251", 5353))
            answer, _ = sock.recvfrom(9000)
            sock.close()
        self.assertIn(b"Orvane Test Scanner", answer)
        self.assertIn(("uuid=" + scanner.uuid).encode(), answer)


if __name__ == "__main__":
    unittest.main()
