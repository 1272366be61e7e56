"""Secured sends through MailStartSend and the connection test (MailTestServer) under Wine's
Schannel, against aiosmtpd with the tests' own certificate authority trusted in the prefix:
STARTTLS with a login, TLS from the first byte, refused logins, and certificates that are not
trusted, expired or made out to another name (nothing may be sent then, the login least of all)."""

import unittest

import mail_rig as R
import rig
import tls_rig as T
from mail_flows import bar_position, cancel_while_a_file_goes_out, content, crlf, messages, result

SENDER, RECIPIENT = "scan@office.example", "desk@office.example"
LOGIN_REFUSED = crlf(T.LOGIN_REFUSED)


def setUpModule():
    rig.use_prefix(rig.WORK / "prefix-mailtls", display="private")
    T.trust()


def tearDownModule():
    rig.restore_prefix()


def secured(server, security, user=T.USER, password=T.PASSWORD, host=T.HOST):
    """Script lines that set the next send's server, security, port and login."""
    return [["smtp", host], ["security", str(security), str(server.port)], ["login", user, password]]


class SecuredSends(unittest.TestCase):
    def run_host(self, lines):
        self.host = R.Host(self.id().split(".")[-1])
        return self.host.run(lines, timeout=200)

    def test_starttls_with_login_delivers(self):
        with T.SecureSmtp("starttls") as server:
            log = self.run_host(secured(server, 1) + [["send", SENDER, RECIPIENT]])
        self.assertEqual((result(log), messages(log)), (1, []))
        self.assertEqual(server.logins, [("PLAIN", T.USER.encode(), T.PASSWORD.encode("utf-8"))])
        self.assertEqual([(e.mail_from, e.rcpt_tos) for e in server.envelopes], [(SENDER, [RECIPIENT])])

    def test_tls_from_the_first_byte_delivers_an_attachment(self):
        data = bytes(range(256)) * 4000
        with T.SecureSmtp("tls") as server:
            self.host = R.Host("implicit")
            path = self.host.file("P1208014.JPG", data)
            log = self.host.run(secured(server, 2) + [["send", SENDER, RECIPIENT, path]], timeout=200)
        self.assertEqual((result(log), messages(log)), (1, []))
        self.assertEqual(len(server.logins), 1)
        self.assertEqual(R.attachments(R.parse(server.envelopes[0].original_content)), [("P1208014.JPG", data)])

    def test_cancel_while_a_file_goes_out_gives_the_message_up(self):
        with T.SecureSmtp("tls") as server:
            self.host = R.Host("cancelled")
            path = self.host.file("big.bin", bytes(range(256)) * 81920)
            log = self.host.run(secured(server, 2) + cancel_while_a_file_goes_out(["waitmoved", "1018"]) +
                                [["send", SENDER, RECIPIENT, path]] +
                                secured(server, 2) + [["send", SENDER, "after@office.example"]], timeout=200)
        position, upper = bar_position(log)
        self.assertTrue(0 < position < upper, (position, upper))
        self.assertEqual([l.split()[0] for l in log if l.startswith("send=")], ["send=0", "send=1"])
        self.assertEqual((messages(log), log.count("WM_MAIL_DONE 0 0")), ([], 2))
        # The cancelled message never reached its ".": only the next one was delivered.
        self.assertEqual([e.rcpt_tos for e in server.envelopes], [["after@office.example"]])

    def test_refused_login_quotes_the_server_and_sends_nothing(self):
        with T.SecureSmtp("starttls") as server:
            log = self.run_host(secured(server, 1, password="wrong") + [["send", SENDER, RECIPIENT]])
        self.assertEqual((result(log), messages(log)), (0, [LOGIN_REFUSED]))
        self.assertIn("WM_MAIL_DONE 0 0", log)
        self.assertEqual(server.envelopes, [])

    def test_certificates_that_fail_stop_before_the_login(self):
        cases = [("stranger", T.HOST, "The mail server's certificate is not trusted: it was not issued by a "
                  "certification authority that this computer trusts. Nothing was sent."),
                 ("expired", T.HOST, "The mail server's certificate has expired (or is not valid yet). Nothing was sent."),
                 ("othername", T.HOST, 'The mail server\'s certificate is not made out to "localhost". Enter the '
                  "server's name as its certificate gives it. Nothing was sent."),
                 # Schannel never matches an address, so the address of a good server fails too.
                 ("localhost", "127.0.0.1", 'The mail server\'s certificate is not made out to "127.0.0.1". Enter '
                  "the server's name as its certificate gives it. Nothing was sent.")]
        for certificate, host, message in cases:
            with self.subTest(certificate=certificate, host=host):
                with T.SecureSmtp("starttls", certificate=certificate) as server:
                    log = self.run_host(secured(server, 1, host=host) + [["send", SENDER, RECIPIENT]])
                self.assertEqual((result(log), messages(log)), (0, [message]))
                self.assertEqual((server.logins, server.envelopes), ([], []))

    def test_server_without_starttls_gets_no_login(self):
        with R.RealSmtp(None) as server:
            log = self.run_host([["smtp", server.address], ["security", "1", "25"], ["login", T.USER, T.PASSWORD],
                                 ["send", SENDER, RECIPIENT]])
        self.assertEqual(result(log), 0)
        self.assertEqual(messages(log), ["The mail server does not offer STARTTLS, so nothing was sent. Choose TLS "
                                         "(port 465) in the mail settings, or ask the server's administrator."])
        self.assertEqual(server.envelopes, [])


class ConnectionTest(unittest.TestCase):
    def test_the_test_secures_logs_in_quits_and_says_so(self):
        with T.SecureSmtp("starttls") as server:
            host = R.Host("test_ok")
            # A message edited before the tests is still the next send's.
            log = host.run(content(to="ann@a.example", subject="Kept") + secured(server, 1) + [["test", SENDER]] +
                           secured(server, 1, password="wrong") + [["test", SENDER]] +
                           secured(server, 1) + [["send", SENDER, RECIPIENT]], timeout=200)
        self.assertEqual([line.split()[0] for line in log if line.startswith("test=")], ["test=1", "test=0"])
        self.assertEqual(messages(log), [T.WORKS, LOGIN_REFUSED])
        self.assertEqual(len(server.logins), 3)
        self.assertEqual(log.count("WM_MAIL_DONE 0 0"), 1)
        [envelope] = server.envelopes
        self.assertEqual(envelope.rcpt_tos, ["ann@a.example", RECIPIENT])
        self.assertEqual(R.parse(envelope.original_content)["Subject"], "Kept")

if __name__ == "__main__":
    unittest.main()
