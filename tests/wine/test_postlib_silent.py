"""The slow waits: a server that trickles a reply that never ends (the 90-second reply wait ends
by its limit all the same, with the time-out message), a server that stops reading in the middle
of a message (a 90-second wait for room to write) and a connection that never completes (the
send's own 90-second wait). All must leave the processor idle while they wait."""

import os
import unittest

import mail_rig as R
from mail_flows import messages, result, send

TIMED_OUT = "The network has timed-out!"
# Each test waits out the library's 90-second timers with the processor idle: one ctest entry
# per test, started first, beside the others.
CTEST = {"split": "tests", "cost": 200, "idle": True}


def setUpModule():
    R.start_display()


def tearDownModule():
    R.stop_display()


class SlowWaits(unittest.TestCase):
    def test_trickling_reply_ends_by_its_limit(self):
        # HELO's reply never ends: a byte every half second, always another "250-" line.
        server = R.scripted({"HELO": [[("trickle", b"250-still thinking\r\n" * 1000, 0.5)]], "QUIT": [[]]})
        host = R.Host("trickle")
        try:
            log = host.run(send(server.address, "scan@office.example", "bob@b.example"), timeout=400)
        finally:
            server.stop()
            server.wait_done(10)
        self.assertGreater(server.trickled, 150)
        # One time-out, then QUIT with its own short wait: 90 + 10 seconds.
        self.assertEqual(messages(log), [TIMED_OUT])
        self.assertIn("WM_MAIL_DONE 0 0", log)
        self.assertEqual(result(log), 0)
        self.assertGreaterEqual(host.wall_seconds, 100)
        self.assertLess(host.wall_seconds, 150)
        # Waiting sleeps in the kernel: far below one core (the target is under 2 % of the wall).
        self.assertLess(host.cpu_seconds / host.wall_seconds, 0.05, (host.cpu_seconds, host.wall_seconds))

    def test_server_that_stops_reading_mid_message_times_out_once(self):
        server = R.scripted({"DATA": [[b"354 go ahead\r\n", ("stall", 200000)]]}, receive_buffer=16384)
        host = R.Host("stalled")
        try:
            path = host.file("big.bin", os.urandom(20 * 1024 * 1024))
            log = host.run(send(server.address, "scan@office.example", "bob@b.example", path), timeout=300)
        finally:
            server.stop()
            server.wait_done(10)
        self.assertIsNotNone(server.stalled_at)
        # One time-out for the write, and no reply waits after it: the message is given up.
        self.assertEqual(messages(log), [TIMED_OUT])
        self.assertIn("WM_MAIL_DONE 0 0", log)
        self.assertEqual(result(log), 0)
        self.assertEqual(server.ending, "reset")
        self.assertGreaterEqual(host.wall_seconds, 90)
        self.assertLess(host.wall_seconds, 150)
        self.assertLess(host.cpu_seconds / host.wall_seconds, 0.05, (host.cpu_seconds, host.wall_seconds))

    def test_connection_that_never_completes_is_given_up_after_90_seconds(self):
        # A listener that never accepts, its backlog filled: the connection stays pending.
        with R.pending_listener() as address:
            host = R.Host("pending")
            log = host.run(send(address, "me@x.example", "bob@b.example"), timeout=200)
        self.assertEqual(messages(log), ["Host is unreachable."])
        self.assertIn("WM_MAIL_DONE 0 0", log)
        self.assertEqual(result(log), 0)
        self.assertGreaterEqual(host.wall_seconds, 90)
        self.assertLess(host.cpu_seconds / host.wall_seconds, 0.05, (host.cpu_seconds, host.wall_seconds))

if __name__ == "__main__":
    unittest.main()
