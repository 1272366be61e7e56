"""Secured mail from the Mail page, from real clicks: SCAN sends the scanned page over STARTTLS
with a login and over TLS from the first byte to aiosmtpd (the tests' own authority trusted in
the prefix); a refused login, an untrusted certificate and a message refused after its data end
with the mail library's message and the page left in TEMP; the password typed on the page is
kept protected in the registry, never in Quendel.ini; Test checks the settings as they stand."""

import unittest

import jobkit
import mail_rig
import panelkit as kit
import rig
import services
import tls_rig as T

SENDER, RECIPIENT = "scanner@example.com", "desk@example.com"
PASSWORD_FIELD, TEST_KEY = 5021, 5022
UNTRUSTED = ("The mail server's certificate is not trusted: it was not issued by a certification authority "
             "that this computer trusts. Nothing was sent.")


def setUpModule():
    rig.use_prefix(rig.WORK / "prefix-mailjob", display="private")
    T.trust()


def tearDownModule():
    rig.restore_prefix()


def mail_settings(host, port, security, user=T.USER):
    return {"Mail Setting": {"SMTP": host, "SMTP Port": port, "SMTP Security": security, "SMTP User": user,
                             "Mail From": SENDER, "Mail To": RECIPIENT, "Resolution": 0}}


def stored_password():
    """The registry value the page keeps the password in, as `reg query` shows it (None without)."""
    result = rig.run(["reg", "query", "HKCU\\Software\\Orvane\\Mail", "/v", "Password"])
    lines = [l.split() for l in result.stdout.splitlines() if "Password" in l]
    return lines[0] if result.returncode == 0 and lines else None


class SecuredMailJob(kit.PanelTestCase):
    def start(self, name, settings, password):
        directory = jobkit.program(name, settings, active=kit.MAIL)
        jobkit.scanner()
        job = jobkit.Job(directory)
        if password is not None:
            kit.type_into(PASSWORD_FIELD, password)
        return job

    def scan_expecting(self, job, expected):
        """SCAN; the mail library's message, then the program's on the page kept in TEMP, both
        closed; the program ends with the page in TEMP."""
        job.scan()
        library, program, code, pages = jobkit.mail_not_sent(job)
        self.assertEqual(library, [expected])
        self.assertIn("was not sent by e-mail", program)
        self.assertEqual((code, len(pages)), (0, 1))

    def test_starttls_with_login_delivers_the_page_and_keeps_the_password_protected(self):
        with T.SecureSmtp("starttls") as server:
            job = self.start("tlsjob_starttls", mail_settings(T.HOST, server.port, 1), T.PASSWORD)
            job.scan()
            self.assertEqual(job.wait_end(timeout=120), 0)
        self.assertEqual(server.logins, [("PLAIN", T.USER.encode(), T.PASSWORD.encode("utf-8"))])
        [envelope] = server.envelopes
        self.assertEqual((envelope.mail_from, envelope.rcpt_tos), (SENDER, [RECIPIENT]))
        [page] = job.temp_files()
        parts = mail_rig.attachments(mail_rig.parse(envelope.original_content))
        self.assertEqual(parts, [(page, (job.directory / "TEMP" / page).read_bytes())])
        # The password is kept protected per user; the settings file knows only the user.
        kind, data = stored_password()[1:3]
        self.assertEqual(kind, "REG_BINARY")
        self.assertNotIn(T.PASSWORD.encode("utf-8").hex().upper(), data.upper())
        quendel = rig.read_ini(job.directory / "Quendel.ini")["Mail Setting"]
        self.assertEqual((quendel["SMTP Security"], quendel["SMTP Port"], quendel["SMTP User"]),
                         ("1", str(server.port), T.USER))
        self.assertNotIn("w\u00f6rd", (job.directory / "Quendel.ini").read_text(encoding="latin-1"))

    def test_tls_from_the_first_byte_delivers_the_page(self):
        with T.SecureSmtp("tls") as server:
            job = self.start("tlsjob_implicit", mail_settings(T.HOST, server.port, 2), T.PASSWORD)
            job.scan()
            self.assertEqual(job.wait_end(timeout=120), 0)
        self.assertEqual(len(server.logins), 1)
        self.assertEqual(len(server.envelopes), 1)

    def test_refused_login_says_so_and_sends_nothing(self):
        with T.SecureSmtp("starttls") as server:
            job = self.start("tlsjob_wrongpassword", mail_settings(T.HOST, server.port, 1), "not the password")
            self.scan_expecting(job, T.LOGIN_REFUSED)
        self.assertEqual(server.envelopes, [])

    def test_untrusted_certificate_gets_no_login(self):
        with T.SecureSmtp("starttls", certificate="stranger") as server:
            job = self.start("tlsjob_untrusted", mail_settings(T.HOST, server.port, 1), T.PASSWORD)
            self.scan_expecting(job, UNTRUSTED)
        self.assertEqual((server.logins, server.envelopes), ([], []))

    def test_message_refused_after_its_data(self):
        server = mail_rig.ScriptedSmtpServer("127.0.0.1", {"END": [[b"554 5.7.1 rejected as spam\r\n"]]},
                                             port=T.free_port()).start()
        try:
            job = self.start("tlsjob_refused", mail_settings("127.0.0.1", server.port, 0), None)
            self.scan_expecting(job, "The mail server did not accept the message. It answered:\n\n"
                                     "554 5.7.1 rejected as spam")
        finally:
            server.stop()
        self.assertEqual(server.commands[-2:], ["DATA", "QUIT"])
        self.assertGreater(len(server.data), 1000)


class TestKey(kit.PanelTestCase):
    def test_test_checks_the_settings_as_they_stand(self):
        with T.SecureSmtp("starttls") as server:
            directory = jobkit.program("tlsjob_testkey", mail_settings(T.HOST, server.port, 1), active=kit.MAIL)
            job = jobkit.Job(directory)
            kit.type_into(PASSWORD_FIELD, T.PASSWORD)
            kit.click_control(TEST_KEY)
            texts = jobkit.mail_message(job.panel)
            kit.type_into(PASSWORD_FIELD, "wrong")
            kit.click_control(TEST_KEY)
            refused = jobkit.mail_message(job.panel)
            self.assertEqual(kit.exit_panel(job.panel), 0)
        self.assertEqual(texts, [T.WORKS])
        self.assertEqual(refused, [T.LOGIN_REFUSED])
        self.assertEqual([login[2] for login in server.logins], [T.PASSWORD.encode("utf-8"), b"wrong"])
        self.assertEqual(server.envelopes, [])


if __name__ == "__main__":
    unittest.main()
