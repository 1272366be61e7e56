"""The mail socket on real Winsock under Wine: socketprobe's checks (notify rules, the connect
notice in the wrong state, split and joined lines, a peer closing during the reply wait, an
unresolvable name, short texts gathered until the reply wait, a large text sent whole and in
order)."""

import shutil
import subprocess
import unittest

import mail_rig as R

EXPECTED = ["created_state", "empty_text_is_not_sent", "read_reply_with_notify_on_is_empty",
            "connect_notice_in_created_state_only_sets_the_error_text",
            "unresolvable_name_fails_with_invalid_argument_before_connecting", "connect_starts",
            "connection_notice_reaches_the_owner", "line_split_over_two_receives", "two_lines_in_one_receive_first",
            "two_lines_in_one_receive_second_with_bare_lf", "send_text", "short_text_is_gathered_until_the_reply_wait",
            "gathered_text_goes_out_before_the_reply_wait",
            "peer_close_during_the_wait_gives_an_empty_reply", "no_time_out_after_a_close", "large_text_send",
            "large_text_arrives_whole_and_in_order"]


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
