"""The SMTP conversation on the wire, against scripted servers that misbehave on purpose."""

import re
import unittest

import mail_rig as R
from mail_flows import content, messages, result, send

REJECTS = "This server rejects mail from you. Enter the correct user ID using mail settings."
LOST = "The connection to the mail server ended before the message was accepted."
BOUNDARY = "=========_zazed==_"  # the stem of every boundary


def setUpModule():
    R.start_display()


def tearDownModule():
    R.stop_display()


class ScriptedSession(unittest.TestCase):
    address = "127.0.0.10"

    def converse(self, script, lines, name=None, timeout=120):
        server = R.ScriptedSmtpServer(self.address, script).start()
        try:
            host = R.Host(name or self.id().split(".")[-1])
            self.host = host
            log = host.run(lines(host) if callable(lines) else lines, timeout=timeout)
            server.wait_done(10)
        finally:
            server.stop()
        return server, log

    def send_simple(self, script, sender="scan@office.example", recipient="bob@b.example", files=()):
        return self.converse(script, send(self.address, sender, recipient, *files))


class WireTranscripts(ScriptedSession):
    address = "127.0.0.10"

    def test_accepted_message_with_two_recipients(self):
        lines = content(to="ann@a.example", subject="Scan", body="Hello") + \
            send(self.address, "scan@office.example", "bob@b.example")
        server, log = self.converse({}, lines)
        self.assertEqual(server.commands, ["HELO office.example", "MAIL FROM: <scan@office.example>",
                                           "RCPT TO: <ann@a.example>", "RCPT TO: <bob@b.example>", "DATA", "QUIT"])
        self.assertEqual(server.data.decode(),
                         "To: <ann@a.example> , <bob@b.example>\r\nFrom: scan@office.example\r\n"
                         "Subject: Scan\r\nMIME-Version: 1.0\r\n\r\nHello\r\n")
        self.assertIn("WM_MAIL_DONE 0 0", log)
        self.assertEqual(result(log, "content"), 1)
        self.assertEqual(result(log), 1)
        self.assertEqual(messages(log), [])

    def test_to_header_for_rcpt_550_250_550(self):
        R.write_book(["second@x.example", "third@x.example"])
        script = {"RCPT": [[b"550 no such user\r\n"], [b"250 ok\r\n"], [b"550 no such user\r\n"]]}
        lines = content(to="first@x.example", pick_all_from_book=True) + send(self.address, "me@x.example", "")
        server, log = self.converse(script, lines)
        self.assertEqual([c for c in server.commands if c.startswith("RCPT")],
                         ["RCPT TO: <first@x.example>", "RCPT TO: <second@x.example>", "RCPT TO: <third@x.example>"])
        self.assertTrue(server.data.startswith(b"To: <second@x.example> , <third@x.example>\r\nFrom: "), server.data)

    def test_to_header_for_rcpt_250_550(self):
        script = {"RCPT": [[b"250 ok\r\n"], [b"550 no\r\n"]]}
        lines = content(to="one@x.example") + send(self.address, "me@x.example", "two@x.example")
        server, log = self.converse(script, lines)
        self.assertTrue(server.data.startswith(b"To: <one@x.example> , <two@x.example>\r\n"), server.data)

    def test_helo_refused_shows_message_105_and_quits(self):
        server, log = self.send_simple({"HELO": [[b"502 5.5.2 HELO refused\r\n"]]})
        self.assertEqual(server.commands, ["HELO office.example", "QUIT"])
        self.assertEqual(messages(log), [REJECTS])
        self.assertIn("WM_MAIL_DONE 0 0", log)
        self.assertEqual(result(log), 0)

    def test_mail_from_251_is_accepted(self):
        server, log = self.send_simple({"MAIL": [[b"251 User not local; will forward\r\n"]]})
        self.assertEqual(server.commands[2:], ["RCPT TO: <bob@b.example>", "DATA", "QUIT"])
        self.assertEqual(messages(log), [])

    def test_mail_from_refused(self):
        server, log = self.send_simple({"MAIL": [[b"553 sender rejected\r\n"]]})
        self.assertEqual(server.commands, ["HELO office.example", "MAIL FROM: <scan@office.example>", "QUIT"])
        self.assertEqual(messages(log), [REJECTS])

    def test_every_rcpt_refused_quits_with_the_servers_reply(self):
        server, log = self.send_simple({"RCPT": [[b"550 5.1.1 no such user\r\n"]]})
        self.assertEqual(server.commands[-2:], ["RCPT TO: <bob@b.example>", "QUIT"])
        self.assertNotIn("DATA", server.commands)
        self.assertEqual(messages(log), ["The mail server refused every recipient, so the message was not sent. "
                                         "It answered:<LF><LF>550 5.1.1 no such user"])
        self.assertIn("WM_MAIL_DONE 0 0", log)
        self.assertEqual(result(log), 0)

    def test_multi_line_replies_are_read_whole(self):
        # A two-line greeting and a two-line refusal of the only recipient: no reply is read one
        # line late, so the refusal is seen and no message goes out.
        script = {"GREETING": [[b"220-scripted.test first line\r\n220 scripted.test second line\r\n"]],
                  "HELO": [[b"250-scripted.test\r\n250 hello\r\n"]],
                  "RCPT": [[b"550-no such\r\n", ("sleep", 0.3), b"550 user\r\n"]]}
        server, log = self.send_simple(script)
        self.assertEqual(server.commands, ["HELO office.example", "MAIL FROM: <scan@office.example>",
                                           "RCPT TO: <bob@b.example>", "QUIT"])
        self.assertEqual(messages(log), ["The mail server refused every recipient, so the message was not sent. "
                                         "It answered:<LF><LF>550 no such<LF>550 user"])

    def test_refusals_after_data_are_reported(self):
        for verb, code in (("DATA", b"554 5.7.1 no thanks\r\n"), ("END", b"552 5.3.4 message too big\r\n")):
            with self.subTest(verb):
                server, log = self.send_simple({verb: [[code]]})
                self.assertEqual(server.commands[-2:], ["DATA", "QUIT"])
                # A refused DATA gets no content: the server would take its lines as commands.
                self.assertEqual(server.data == b"", verb == "DATA")
                self.assertEqual(messages(log), ["The mail server did not accept the message. It answered:<LF><LF>" +
                                                 code.decode().strip()])
                self.assertEqual(result(log), 0)

    def test_reply_split_across_two_packets(self):
        script = {"GREETING": [[b"220 scripted", ("sleep", 0.3), b".test ready\r\n"]],
                  "HELO": [[b"25", ("sleep", 0.3), b"0 hello\r\n"]],
                  "MAIL": [[b"2", ("sleep", 0.3), b"50 ok\r\n"]]}
        server, log = self.send_simple(script)
        self.assertEqual(server.commands[-2:], ["DATA", "QUIT"])
        self.assertEqual(messages(log), [])

    def test_two_replies_in_one_packet(self):
        # The HELO reply comes in the greeting's packet, and HELO itself gets no answer.
        script = {"GREETING": [[b"220 scripted.test\r\n250 hello early\r\n"]], "HELO": [[]]}
        server, log = self.send_simple(script)
        self.assertEqual(server.commands, ["HELO office.example", "MAIL FROM: <scan@office.example>",
                                           "RCPT TO: <bob@b.example>", "DATA", "QUIT"])
        self.assertEqual(messages(log), [])

    def test_close_in_the_middle_of_the_conversation(self):
        server, log = self.send_simple({"MAIL": [["close"]]})
        self.assertEqual(server.commands, ["HELO office.example", "MAIL FROM: <scan@office.example>"])
        self.assertEqual(messages(log), [LOST])
        self.assertEqual(result(log), 0)
        self.assertIn("WM_MAIL_DONE 0 0", log)
        self.assertLess(self.host.wall_seconds, 30)

    def test_empty_sender_with_configured_server(self):
        server, log = self.send_simple({}, sender="")
        self.assertEqual(server.commands[:2], ["HELO ", "MAIL FROM: <>"])

    def test_line_breaks_in_sender_recipient_and_subject_never_reach_the_wire(self):
        lines = content(subject="Hi\r\nBcc: victim@evil.example") + \
            send(self.address, "me@x.example\r\nRCPT TO: <evil@evil.example>", "bob@b.example\r\nDATA")
        server, log = self.converse({}, lines)
        self.assertEqual(server.commands, ["HELO evil.example>",
                                           "MAIL FROM: <me@x.exampleRCPT TO: <evil@evil.example>>",
                                           "RCPT TO: <bob@b.exampleDATA>", "DATA", "QUIT"])
        headers = server.data.split(b"\r\n\r\n", 1)[0].split(b"\r\n")
        self.assertEqual([h.split(b":")[0] for h in headers], [b"To", b"From", b"Subject", b"MIME-Version"])
        self.assertIn(b"Subject: Hi Bcc: victim@evil.example", headers)


class MessageContent(ScriptedSession):
    address = "127.0.0.11"

    def body_lines(self, body):
        lines = content(body=body) + send(self.address, "me@x.example", "bob@b.example")
        server, log = self.converse({}, lines)
        return server.data.split(b"\r\n\r\n", 1)[1]

    def test_layout_without_attachments(self):
        lines = content(subject="No files", body="line one\r\nline two") + \
            send(self.address, "me@x.example", "bob@b.example")
        server, log = self.converse({}, lines)
        self.assertEqual(server.data, b"To: <bob@b.example>\r\nFrom: me@x.example\r\nSubject: No files\r\n"
                                      b"MIME-Version: 1.0\r\n\r\nline one\r\nline two\r\n")
        self.assertNotIn(b"Content-Type", server.data)

    def test_period_lines_are_doubled(self):
        # On the wire (the server here keeps the dot-stuffing as received).
        self.assertEqual(self.body_lines(".start\r\n.\r\nend"), b"..start\r\n..\r\nend\r\n")

    def test_one_attachment_layout_and_path_without_backslash(self):
        def lines(host):
            host.file("page.bin", b"abcd")
            return content(subject="S", body="B") + send(self.address, "me@x.example", "bob@b.example", "page.bin")
        server, log = self.converse({}, lines)
        # The boundary is the stem and 24 random characters.
        boundary = re.search(r'boundary="(%s[A-Za-z0-9_-]{24})"' % BOUNDARY, server.data.decode()).group(1)
        self.assertEqual(server.data.decode(),
                         "To: <bob@b.example>\r\nFrom: me@x.example\r\nSubject: S\r\nMIME-Version: 1.0\r\n"
                         'Content-Type: multipart/mixed; boundary="%s"\r\n\r\n--%s\r\n'
                         'Content-Type: text/plain; charset="us-ascii"\r\n\r\nB\r\n\r\n--%s\r\n'
                         'Content-Type: application/octet-stream; name="page.bin"\r\n'
                         "Content-Transfer-Encoding: base64\r\n"
                         'Content-Disposition: attachment; filename="page.bin"\r\n'
                         "Content-Description: page.bin\r\n\r\nYWJjZA==\r\n\r\n--%s--\r\n"
                         % (boundary, boundary, boundary, boundary))

    def test_cancel_during_a_reply_wait_drops_the_connection(self):
        def lines(host):
            first = host.file("first.bin", bytes(range(256)) * 40)
            return [["gui", "wait", "E-mail"], ["gui", "style"], ["gui", "waittext", "1019", "Start send data"],
                    ["gui", "click", "1020"]] + send(self.address, "me@x.example", "bob@b.example", first)
        # DATA's reply comes late: Cancel is pressed while it is awaited.
        server, log = self.converse({"DATA": [[("sleep", 5), b"354 go ahead\r\n"]]}, lines)
        self.assertIn("sysmenu: 0 topmost: 1", log)
        self.assertEqual(server.commands[-1], "DATA")
        self.assertEqual(server.data, b"")
        self.assertEqual(messages(log), [])
        self.assertIn("WM_MAIL_DONE 0 0", log)
        self.assertEqual(result(log), 0)
        clicked = float([l for l in log if l.startswith("clicked 1020")][0].split("at=")[1])
        returned = float([l for l in log if l.startswith("send=")][0].split("at=")[1])
        self.assertLess(returned - clicked, 2000)

    def test_send_after_a_cancelled_send_waits_for_its_own_conversation(self):
        second = R.ScriptedSmtpServer("127.0.0.12").start()
        try:
            def lines(host):
                first = host.file("first.bin", bytes(5000))
                return [["gui", "wait", "E-mail"], ["gui", "waittext", "1019", "Start send data"],
                        ["gui", "click", "1020"]] + send(self.address, "me@x.example", "bob@b.example", first) + \
                    send("127.0.0.12", "me@x.example", "carl@c.example")
            server, log = self.converse({"DATA": [[("sleep", 0.6), b"354 go ahead\r\n"]]}, lines)
            second.wait_done(10)
        finally:
            second.stop()
        self.assertEqual([l.split()[0] for l in log if l.startswith("send=")], ["send=0", "send=1"])
        self.assertEqual(second.commands[-3:], ["RCPT TO: <carl@c.example>", "DATA", "QUIT"])


if __name__ == "__main__":
    unittest.main()
