"""The mail socket on real Winsock under Wine: socketprobe's checks (the connect notice in the
wrong state, received bytes in order, waits that end for a window message, a peer closing during
a wait, an unresolvable name, short texts gathered until the next receive, Abort, a large text
sent whole and in order)."""

import shutil
import subprocess
import unittest

import mail_rig as R

EXPECTED = ["created_state", "empty_text_is_not_sent", "connect_notice_in_created_state_only_sets_the_error_text",
            "unresolvable_name_fails_with_invalid_argument_before_connecting", "connect_starts",
            "connection_notice_reaches_the_owner", "received_bytes_arrive_in_order",
            "a_window_message_ends_the_wait_early", "a_silent_wait_ends_without_bytes", "send_text",
            "short_text_is_gathered_until_the_next_receive", "gathered_text_goes_out_before_the_receive",
            "peer_close_ends_the_wait_after_its_bytes", "abort_ends_the_connection", "nothing_is_received_after_abort",
            "large_text_send", "large_text_arrives_whole_and_in_order"]


def setUpModule():
    R.start_display()


def tearDownModule():
    R.stop_display()


class MailSocket(unittest.TestCase):
    def test_socket_probe(self):
        host = R.Host("socketprobe")
        shutil.copy2(R.TOOLS / "socketprobe.exe", host.dir / "socketprobe.exe")
        result = subprocess.run(["wine", "socketprobe.exe"], cwd=host.dir, env=R._env(), capture_output=True,
                                timeout=120)
        lines = result.stdout.decode(errors="replace").splitlines()
        for name in EXPECTED:
            with self.subTest(name):
                self.assertIn("ok " + name, lines)
        self.assertEqual([l for l in lines if l.startswith("FAIL")], [])
        self.assertEqual(result.returncode, 0)


if __name__ == "__main__":
    unittest.main()
