"""A Mail job from a real click on SCAN whose connection the server cuts (closes or resets) at
chosen points of the conversation: at the greeting, in and after each command, in the message's
headers and in the middle of its attachment, before and after the final reply, and with STARTTLS
in the handshake, at the login and in the secured message. Unless the server's 250 for the
message arrived the job says it was not sent and keeps the page in TEMP; once it arrived the
job ends as sent, whatever happens to QUIT. No cut holds the job anywhere near a reply limit."""

import time

import jobkit
import mail_rig
import panelkit as kit
import rig
import tls_rig as T

CTEST = {"split": "classes", "cost": 60}
SENDER, RECIPIENT = "scanner@example.com", "desk@example.com"
PASSWORD_FIELD = 5021
LOST = "The connection to the mail server ended before the message was accepted."
# Far below the 90-second reply limit: a cut is noticed when it happens.
PROMPT = 30
SECURED = {
    "EHLO": [[b"250-scripted.test\r\n250-STARTTLS\r\n250 AUTH PLAIN LOGIN\r\n"],
             [b"250-scripted.test\r\n250 AUTH PLAIN LOGIN\r\n"]],
    "STARTTLS": [[b"220 2.0.0 Ready to start TLS\r\n", "starttls"]],
    "AUTH": [[b"235 2.7.0 Authentication successful\r\n"]],
}
# Message data from which on the attachment's base64 lines run (the headers and the text part
# take a few hundred bytes; the page's attachment tens of kilobytes).
IN_ATTACHMENT = 20000


def setUpModule():
    rig.use_prefix(rig.WORK / "prefix-mail-cuts", display="private")
    T.trust()


def tearDownModule():
    rig.restore_prefix()


class Cut(kit.PanelTestCase):
    def cut(self, script=None, secured=False, sent=False, message=LOST, **cut):
        """A Mail job against a scripted server with `script` (over STARTTLS with a login when
        `secured`) that cuts the connection as `cut` says; checks the outcome and returns the
        server."""
        name = "cut_" + self._testMethodName.replace("test_", "")[:40]
        if secured:
            server = mail_rig.ScriptedSmtpServer("127.0.0.1", dict(SECURED, **(script or {})), port=T.free_port(),
                                                 tls_context=T.context(), **cut).start()
            host, port, security = T.HOST, server.port, 1
        else:
            server = mail_rig.scripted(script, **cut)
            host, port, security = server.address, 25, 0
        try:
            settings = {"Mail Setting": {"SMTP": host, "SMTP Port": port, "SMTP Security": security,
                                         "SMTP User": T.USER if secured else "", "Mail From": SENDER,
                                         "Mail To": RECIPIENT, "Resolution": 0}}
            directory = jobkit.program(name, settings, active=kit.MAIL)
            jobkit.scanner()
            job = jobkit.Job(directory)
            if secured:
                kit.type_into(PASSWORD_FIELD, T.PASSWORD)
            started = time.time()
            job.scan()
            if sent:
                self.assertEqual(job.wait_end(timeout=PROMPT + 30), 0)
                self.assertEqual(server.finished, 1)
            else:
                hwnd, texts = kit.message_box(job.panel, "E-mail", timeout=PROMPT + 30)
                self.assertLess(time.time() - started, PROMPT, "the cut was noticed only by a time limit")
                kit.dismiss(hwnd)
                said = [t.replace("\\n", "\n") for t in texts]
                self.assertIn(said, [[m] for m in (message if isinstance(message, tuple) else (message,))])
                hwnd, texts = kit.message_box(job.panel, job.panel.title, timeout=20)
                kit.dismiss(hwnd)
                self.assertIn("was not sent by e-mail", " ".join(texts))
                self.assertIn(rig.wine_path(directory / "TEMP"), " ".join(texts))
                self.assertEqual(job.wait_end(timeout=30), 0)
            self.assertEqual([f[-4:] for f in job.temp_files()], [".JPG"], "the page stays in TEMP")
            server.wait_done(10)
            self.assertIsNotNone(server.cut, "the server did not cut")
        finally:
            server.stop()
        return server


class Commands(Cut):
    def test_greeting_reset_at_once(self):
        # A reset in the same instant as the accept can reach the program as a failed connect.
        self.cut({"GREETING": [["reset"]]}, message=(LOST, "Host is unreachable."))

    def test_greeting_closed_halfway(self):
        self.cut({"GREETING": [[b"220 scripted", "close"]]})

    def test_helo_reset_before_its_reply(self):
        self.assertEqual(self.cut({"HELO": [["reset"]]}).commands[-1:], ["HELO example.com"])

    def test_helo_cut_in_its_third_byte(self):
        self.assertEqual(self.cut(cut_at=(3, "reset")).commands, [])

    def test_mail_from_closed_before_its_reply(self):
        self.cut({"MAIL": [["close"]]})

    def test_rcpt_reset_before_its_reply(self):
        self.cut({"RCPT": [["reset"]]})

    def test_rcpt_reply_cut_halfway(self):
        self.cut({"RCPT": [[b"250 2.1", "reset"]]})

    def test_data_reset_before_its_reply(self):
        self.assertEqual(self.cut({"DATA": [["reset"]]}).finished, 0)


class Message(Cut):
    def test_closed_right_after_the_go_ahead(self):
        self.cut({"DATA": [[b"354 go ahead\r\n", "close"]]})

    def test_reset_in_the_headers(self):
        self.assertLess(len(self.cut(cut_in_data=(200, "reset")).data), 1000)

    def test_reset_in_the_middle_of_the_attachment(self):
        self.assertEqual(self.cut(cut_in_data=(IN_ATTACHMENT, "reset")).finished, 0)

    def test_closed_in_the_middle_of_the_attachment(self):
        self.assertEqual(self.cut(cut_in_data=(IN_ATTACHMENT, "close")).finished, 0)

    def test_reset_before_the_final_reply(self):
        self.assertEqual(self.cut({"END": [["reset"]]}).finished, 1)

    def test_final_reply_cut_halfway_is_no_acceptance(self):
        self.cut({"END": [[b"250 2.0", "close"]]})

    def test_reset_after_the_final_reply_is_sent(self):
        self.cut({"END": [[b"250 2.0.0 Ok: queued\r\n", "reset"]]}, sent=True)

    def test_quit_reset_is_sent(self):
        self.assertEqual(self.cut({"QUIT": [["reset"]]}, sent=True).commands[-1], "QUIT")


class Secured(Cut):
    def test_starttls_reset_before_its_reply(self):
        self.cut({"STARTTLS": [["reset"]]}, secured=True)

    def test_handshake_cut_after_its_first_bytes(self):
        self.cut({"STARTTLS": [[b"220 2.0.0 Ready\r\n", ("cut_handshake", 100, "reset")]]}, secured=True)

    def test_login_reset_before_its_reply(self):
        server = self.cut({"AUTH": [["reset"]]}, secured=True)
        self.assertTrue(server.secured)
        self.assertTrue(server.commands[-1].startswith("AUTH PLAIN"))

    def test_secured_attachment_reset_in_the_middle(self):
        self.assertEqual(self.cut(cut_in_data=(IN_ATTACHMENT, "reset"), secured=True).finished, 0)

    def test_secured_final_reply_then_closed_is_sent(self):
        self.cut({"END": [[b"250 2.0.0 Ok: queued\r\n", "close"]]}, secured=True, sent=True)
