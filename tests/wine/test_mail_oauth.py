"""Mail that signs in with OAuth 2.0, keeps to the server's size limit and arrives readable:
Postlib (through mailhost) against the tests' own authorization server, the browser stand-in
registered for https and aiosmtpd taking XOAUTH2 and OAUTHBEARER, all in one prefix with the
test authority trusted. A sign-in and a send; a later run that refreshes without the browser;
a token the server calls expired renewed once; a revoked refresh token; consent refused, a
wrong state, Cancel while the browser has the user; a batch split under SIZE and a page over
it refused before its data; German and Japanese subjects and bodies parsed back as typed."""

import email
import email.header
import email.policy
import unittest

from PIL import Image

import jobkit
import language_rig as L
import mail_rig as R
import panelkit as kit
import oauth_rig as O
import rig
import tls_rig as T
from mail_flows import content, messages, result

# One entry: the classes share the browser stand-in's log beside it.
CTEST = {"cost": 150}

SENDER, RECIPIENT = O.ACCOUNT, "desk@office.example"
SIGNED_IN = "You are signed in. Mail goes out as %s." % O.ACCOUNT
SIGN_IN_AGAIN = ("Your sign-in to the mail account is no longer valid (it was revoked, or the password changed). "
                 "Sign in again with the key on the Mail page. Nothing was sent.")


def setUpModule():
    rig.use_prefix(rig.WORK / "prefix-mailoauth", display="private")
    T.trust()
    O.register_browser()


def tearDownModule():
    rig.restore_prefix()


def server_lines(smtp, issuer, security=1):
    """The next send's server, security and sign-in (the account as user, no password)."""
    return [["smtp", T.HOST], ["security", str(security), str(smtp.port)], ["login", O.ACCOUNT, ""],
            issuer.script()]


def stored_token():
    """The registry value of the kept refresh token as `reg query` shows it, or None."""
    out = rig.run(["reg", "query", "HKCU\\Software\\Orvane\\Mail", "/v", "OAuth Token"])
    lines = [line.split() for line in out.stdout.splitlines() if "OAuth Token" in line]
    return lines[0][2:4] if out.returncode == 0 and lines else None


def forget_token():
    rig.run(["reg", "delete", "HKCU\\Software\\Orvane\\Mail", "/v", "OAuth Token", "/f"])


class SignIn(unittest.TestCase):
    def setUp(self):
        forget_token()
        O.BROWSER_LOG.unlink(missing_ok=True)

    def run_host(self, lines, name=None, **options):
        host = R.Host(name or self.id().split(".")[-1])
        return host.run(lines, timeout=200, **options)

    def test_sign_in_send_and_a_later_run_without_the_browser(self):
        with O.AuthorizationServer() as issuer, O.OAuthSmtp(issuer) as smtp:
            log = self.run_host(server_lines(smtp, issuer) + [["signin"]] + server_lines(smtp, issuer) +
                                [["send", SENDER, RECIPIENT]], name="first")
            self.assertEqual((result(log, "signin"), result(log), messages(log)), (1, 1, [SIGNED_IN]))
            [asked] = issuer.authorizations()
            self.assertEqual((asked["login_hint"], asked["scope"], asked["client_id"]),
                             (O.ACCOUNT, O.SCOPE, O.CLIENT_ID))
            visits = O.browser_log()
            self.assertEqual([v[0] for v in visits], ["visit", "redirect", "page"])
            self.assertTrue(visits[1][1].startswith("http://127.0.0.1:"), visits)
            self.assertEqual(visits[2][1:3], ("200", "You are signed in"))
            # The refresh token is kept protected per user, not as it came.
            kind, data = stored_token()
            self.assertEqual(kind, "REG_BINARY")
            for token in issuer.refresh_tokens:
                self.assertNotIn(token.encode().hex().upper(), data.upper())
            # A later run: the kept refresh token, rotated; no browser.
            O.BROWSER_LOG.unlink()
            log = self.run_host(server_lines(smtp, issuer, security=1) + [["send", SENDER, RECIPIENT]], name="later")
            self.assertEqual((result(log), messages(log), O.browser_log()), (1, [], []))
        self.assertEqual(issuer.grants(), ["authorization_code", "refresh_token"])
        self.assertEqual([(m, user, ok) for m, user, token, ok in smtp.logins],
                         [("OAUTHBEARER", O.ACCOUNT, True)] * 2)
        self.assertEqual(len(smtp.envelopes), 2)
        self.assertEqual(sum(issuer.refresh_tokens.values()), 1)  # the rotated ones are spent

    def test_token_the_server_calls_expired_is_renewed_once_over_xoauth2(self):
        with O.AuthorizationServer() as issuer, O.OAuthSmtp(issuer, mode="tls", mechanisms=("XOAUTH2",)) as smtp:
            smtp.refuse_first = True
            log = self.run_host(server_lines(smtp, issuer, security=2) + [["send", SENDER, RECIPIENT]])
        self.assertEqual((result(log), messages(log)), (1, []))
        self.assertEqual(issuer.grants(), ["authorization_code", "refresh_token"])
        self.assertEqual([(m, ok) for m, user, token, ok in smtp.logins], [("XOAUTH2", False), ("XOAUTH2", True)])
        self.assertEqual(smtp.answers, [b""])  # XOAUTH2's answer to the failure challenge
        self.assertEqual(len(smtp.envelopes), 1)

    def test_access_token_past_its_lifetime_is_refreshed_before_the_send(self):
        with O.AuthorizationServer(expires_in=1) as issuer, O.OAuthSmtp(issuer) as smtp:
            log = self.run_host(server_lines(smtp, issuer) + [["signin"], ["pump", "1500"]] +
                                server_lines(smtp, issuer) + [["send", SENDER, RECIPIENT]])
        self.assertEqual((result(log), messages(log)), (1, [SIGNED_IN]))
        self.assertEqual(issuer.grants(), ["authorization_code", "refresh_token"])
        self.assertEqual([ok for m, user, token, ok in smtp.logins], [True])

    def test_revoked_refresh_token_asks_for_a_new_sign_in(self):
        with O.AuthorizationServer() as issuer, O.OAuthSmtp(issuer) as smtp:
            self.run_host(server_lines(smtp, issuer) + [["signin"]], name="signin")
            issuer.revoke()
            O.BROWSER_LOG.unlink()
            log = self.run_host(server_lines(smtp, issuer) + [["send", SENDER, RECIPIENT]], name="revoked")
        self.assertEqual((result(log), messages(log), O.browser_log()), (0, [SIGN_IN_AGAIN], []))
        self.assertEqual((smtp.logins, smtp.envelopes, stored_token()), ([], [], None))

    def test_refusals_in_the_browser_and_cancel_send_nothing(self):
        cases = [("deny", "The sign-in was not allowed in the browser, so nothing was sent (access_denied).",
                  "The sign-in did not succeed"),
                 ("wrong-state", "The answer that reached this program does not belong to its sign-in, so it was "
                  "not used. Nothing was sent.", "The sign-in did not succeed")]
        for consent, message, page in cases:
            with self.subTest(consent=consent):
                O.BROWSER_LOG.unlink(missing_ok=True)
                with O.AuthorizationServer(consent=consent) as issuer, O.OAuthSmtp(issuer) as smtp:
                    log = self.run_host(server_lines(smtp, issuer) + [["send", SENDER, RECIPIENT]], name=consent)
                self.assertEqual((result(log), messages(log)), (0, [message]))
                self.assertEqual(O.browser_log()[-1][1:3], ("200", page))
                self.assertEqual((issuer.grants(), smtp.logins, smtp.envelopes), ([], [], []))
        # The user never comes back from the browser: Cancel in the progress window ends the wait.
        with O.AuthorizationServer(consent="wait") as issuer, O.OAuthSmtp(issuer) as smtp:
            log = self.run_host(server_lines(smtp, issuer) + [
                ["gui", "wait", "E-mail"], ["gui", "waittext", "1019", "Sign in"], ["gui", "pause", "500"],
                ["gui", "click", "1020"], ["signin"]], name="cancel")
        self.assertEqual((result(log, "signin"), messages(log), issuer.grants()), (0, [], []))


class SizeAndText(unittest.TestCase):
    def test_a_batch_over_the_limit_goes_as_numbered_messages_and_a_page_over_it_not_at_all(self):
        pages = [bytes([i]) * 60000 for i in range(3)]
        with T.SecureSmtp("starttls", data_size_limit=200000) as smtp:
            host = R.Host("split")
            paths = [host.file("P%07d.JPG" % i, data) for i, data in enumerate(pages)]
            big = host.file("PBIG.JPG", bytes(160000))
            secured = [["smtp", T.HOST], ["security", "1", str(smtp.port)], ["login", T.USER, T.PASSWORD]]
            log = host.run(content(subject="Scan") + secured + [["send", T.USER + "@x.example", RECIPIENT] + paths] +
                           secured + [["send", T.USER + "@x.example", RECIPIENT, big]], timeout=200)
        self.assertEqual([l.split()[0] for l in log if l.startswith("send=")], ["send=1", "send=0"])
        self.assertEqual(len(messages(log)), 1)
        self.assertRegex(messages(log)[0], r"^The message is too large for the mail server, so nothing was sent: "
                         r"it would be 21\d KB, and the server takes at most 196 KB\.")
        parsed = [R.parse(e.original_content) for e in smtp.envelopes]
        self.assertEqual([m["Subject"] for m in parsed], ["Scan (1 of 2)", "Scan (2 of 2)"])
        self.assertEqual([[data for name, data in R.attachments(m)] for m in parsed], [pages[:2], pages[2:]])
        self.assertEqual({p.get_content_type() for m in parsed for p in m.walk() if p.get_filename()}, {"image/jpeg"})
        # The size given before each message is never below what went.
        for envelope in smtp.envelopes:
            given = int([o for o in envelope.mail_options if o.startswith("SIZE=")][0][5:])
            self.assertGreaterEqual(given, len(envelope.original_content))
            self.assertLess(given - len(envelope.original_content), 100)

    def test_german_and_japanese_texts_arrive_as_typed(self):
        cases = [("de", "Größe: 3 Seiten", "Grüße aus Köln.\r\nÄrger? Nein.", {}),
                 ("ja", "スキャンした書類 (3 ページ)", "こんにちは。\r\n添付をご覧ください。", L.environment(L.language("ja")))]
        with R.RealSmtp(None) as smtp:
            for language, subject, body, environment in cases:
                host = R.Host("text_" + language)
                path = host.file("P0000001.JPG", b"\xff\xd8jpeg")
                encoding = "cp932" if language == "ja" else "cp1252"
                host.run(content(to=RECIPIENT, subject=subject, body=body) +
                         [["smtp", smtp.address], ["send", "me@x.example", "", path]], env=environment,
                         encoding=encoding)
        for (language, subject, body, environment), envelope in zip(cases, smtp.envelopes):
            with self.subTest(language=language):
                message = email.message_from_bytes(envelope.original_content, policy=email.policy.default)
                self.assertEqual(str(message["Subject"]), subject)
                text = next(p for p in message.walk() if p.get_content_type() == "text/plain")
                self.assertEqual(text.get_content_charset(), "utf-8")
                self.assertEqual(text.get_content().replace("\r\n", "\n"), body.replace("\r\n", "\n") + "\n")
                # Every line fits 7 bits.
                self.assertTrue(all(b < 0x80 for b in envelope.original_content))


SIGN_IN_KEY, TEST_KEY = 5030, 5022
SHOTS = rig.WORK / "oauth-shots"


def page_settings(smtp, issuer, provider=0):
    """The Mail page's settings: the test server over STARTTLS, the account as user, the
    tests' authorization server as "Other" (the endpoints and client id an administrator sets)."""
    return {"Mail Setting": {"SMTP": T.HOST, "SMTP Port": smtp.port, "SMTP Security": 1, "SMTP User": O.ACCOUNT,
                             "Mail From": SENDER, "Mail To": RECIPIENT, "Resolution": 0, "OAuth Provider": provider,
                             "OAuth Authorize URL": issuer.url + "/authorize", "OAuth Token URL": issuer.url + "/token",
                             "OAuth Scope": O.SCOPE, "OAuth Client ID": O.CLIENT_ID}}


class MailPage(kit.PanelTestCase):
    def setUp(self):
        forget_token()
        O.BROWSER_LOG.unlink(missing_ok=True)

    def test_sign_in_key_test_and_scan_then_a_revoked_token_keeps_the_page(self):
        with O.AuthorizationServer() as issuer, O.OAuthSmtp(issuer) as smtp:
            directory = jobkit.program("oauth_page", page_settings(smtp, issuer), active=kit.MAIL)
            jobkit.scanner()
            # The browser stand-in keeps the page the listener answered on screen for a while.
            job = jobkit.Job(directory, env={"ORVANE_BROWSER_SHOW_MS": "6000"})
            # "Sign in with..." and its fourth choice, Other: the browser, then the library's word.
            kit.click_control(SIGN_IN_KEY)
            rig.driver("keys", "--hwnd", job.panel.hwnd, "{DOWN}{DOWN}{DOWN}{DOWN}{ENTER}")
            self.assertEqual(jobkit.mail_message(job.panel), [SIGNED_IN])
            # The pictures of the notes: the page with the sign-in, the browser's page.
            SHOTS.mkdir(parents=True, exist_ok=True)
            kit.shot(job.panel.title).save(SHOTS / "page-mail-signin.png")
            rig.driver("shot", "--title", "You are signed in", "--client",
                       rig.wine_path(SHOTS / "browser-signed-in.bmp"))
            Image.open(SHOTS / "browser-signed-in.bmp").convert("RGB").save(SHOTS / "browser-signed-in.png")
            kit.click_control(TEST_KEY)
            self.assertEqual(jobkit.mail_message(job.panel), [T.WORKS])
            job.scan()
            self.assertEqual(job.wait_end(timeout=120), 0)
            self.assertEqual(rig.read_ini(directory / "Quendel.ini")["Mail Setting"]["OAuth Provider"], "3")
            # The sign-in's token served the test and the scan: one browser visit, one code.
            self.assertEqual(issuer.grants(), ["authorization_code"])
            self.assertEqual([ok for m, user, token, ok in smtp.logins], [True, True])
            [envelope] = smtp.envelopes
            self.assertEqual(envelope.rcpt_tos, [RECIPIENT])

            # A later run after the grant was revoked: the library's message, the page kept.
            issuer.revoke()
            job = jobkit.Job(directory)
            job.scan()
            library, program, code, pages = jobkit.mail_not_sent(job)
            self.assertEqual(library, [SIGN_IN_AGAIN])
            self.assertIn("was not sent by e-mail", program)
            self.assertEqual((code, len(pages)), (0, 2))
        self.assertEqual(len(smtp.envelopes), 1)
        self.assertEqual([v[0] for v in O.browser_log()], ["visit", "redirect", "page"])


if __name__ == "__main__":
    unittest.main()
