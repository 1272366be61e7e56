"""Large attachments: a 20 MB send that is cancelled from the progress window ends within a
second of the click and the message is given up (the connection reset, never ended with "."),
a multi-megabyte attachment arrives intact, and a server that stops reading in the middle of a
message lets Cancel end the send at once."""

import base64
import os
import unittest

import mail_rig as R
from mail_flows import bar_position, cancel_while_a_file_goes_out, messages, result, send

BIG = 20 * 1024 * 1024

# Measures how soon Cancel takes effect: runs alone.
CTEST = {"serial": True}


def setUpModule():
    R.start_display()


def tearDownModule():
    R.stop_display()


def click_to_return_ms(log):
    clicked = [float(l.split("at=")[1]) for l in log if l.startswith("clicked 1020")]
    returned = [float(l.split("at=")[1]) for l in log if l.startswith("send=")]
    assert clicked and returned, log
    return returned[-1] - clicked[0]


def cancelled_send(address, attachment, until):
    return cancel_while_a_file_goes_out(until) + send(address, "scan@office.example", "bob@b.example", attachment)


class LargeAttachment(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.host = R.Host("throughput")
        cls.data = os.urandom(BIG)
        cls.path = R.wine_path(cls.host.dir / "big.bin")
        (cls.host.dir / "big.bin").write_bytes(cls.data)

    def test_cancel_while_20_mb_go_out_gives_the_message_up_within_a_second(self):
        # A server that reads everything as it comes: what it got before the reset is all there was.
        server = R.scripted()
        try:
            log = self.host.run(cancelled_send(server.address, self.path, ["waitmoved", "1018"]), timeout=300)
            self.assertTrue(server.wait_done(30))
        finally:
            server.stop()
        self.assertLess(click_to_return_ms(log), 1000, log)
        self.assertTrue(result(log) == 0 and "WM_MAIL_DONE 0 0" in log, log)
        self.assertEqual(messages(log), [])
        # The bar showed the file going out when Cancel was pressed.
        position, upper = bar_position(log)
        self.assertTrue(0 < position < upper, (position, upper))
        # Part of the file went out, then the connection was reset: no closing boundary, no ".",
        # no QUIT, so no message.
        self.assertEqual((server.commands[-1], server.finished), ("DATA", 0))
        self.assertIsInstance(server.error, ConnectionResetError)
        part = server.data.split(b"Content-Description: big.bin\r\n\r\n", 1)[1]
        self.assertNotIn(b"zazed", part)
        sent = base64.b64decode(part.replace(b"\r\n", b""), validate=True)
        self.assertTrue(0 < len(sent) < BIG and len(sent) % 510 == 0, len(sent))
        self.assertEqual(sent, self.data[:len(sent)])

    def test_several_megabytes_arrive_intact_in_gathered_writes(self):
        data = self.data[:3 * 1024 * 1024 + 77]
        path = self.host.file("three.bin", data)
        with R.RealSmtp(None) as server:
            log = self.host.run(send(server.address, "scan@office.example", "bob@b.example", path), timeout=300)
        self.assertEqual(result(log), 1)
        self.assertEqual(len(server.envelopes), 1)
        raw = server.envelopes[0].original_content
        self.assertEqual(R.attachments(R.parse(raw)), [("three.bin", data)])
        # Lines of 680 characters, as the file was read in 510-byte pieces.
        body = raw.split(b"Content-Description: three.bin\r\n\r\n", 1)[1]
        lines = body.split(b"\r\n")
        self.assertEqual(lines[0], base64.b64encode(data[:510]))
        self.assertEqual({len(l) for l in lines[:len(data) // 510]}, {680})


class StalledServer(unittest.TestCase):
    def test_cancel_while_the_server_has_stopped_reading(self):
        host = R.Host("stalled_cancel")
        path = host.file("big.bin", os.urandom(BIG))
        server = R.scripted({"DATA": [[b"354 go ahead\r\n", ("stall", 200000)]]}, receive_buffer=16384)
        try:
            # Two seconds in, the windows on both sides are long full.
            log = host.run(cancelled_send(server.address, path, ["pause", "2000"]), timeout=120)
        finally:
            server.stop()
            server.wait_done(10)
        self.assertIsNotNone(server.stalled_at)
        self.assertLess(click_to_return_ms(log), 1000, log)
        self.assertTrue(result(log) == 0 and "WM_MAIL_DONE 0 0" in log, log)
        self.assertEqual(messages(log), [])
        # The unfinished message is given up: the connection is reset, never ended with ".".
        self.assertEqual(server.ending, "reset")


if __name__ == "__main__":
    unittest.main()
