"""Messages sent through MailStartSend arrive at a real SMTP server (aiosmtpd) intact: every
one parses as MIME and every attachment decodes to exactly the bytes of its file. Also the
host choice, the no-recipient and unreachable-host paths, the language library and shut-down."""

import io
import random
import shutil
import subprocess
import unittest

import mail_rig as R
from mail_flows import MAIL_DIALOG, content, messages, result, send

NO_RECIPIENT = "A message must have a recipient (To : field) ."


def setUpModule():
    R.start_display()


def tearDownModule():
    R.stop_display()


def scanned_jpeg():
    """A JPEG of a scanned-size page (A4 at 200 dpi, colour) with text-like marks and noise."""
    from PIL import Image, ImageDraw
    rnd = random.Random(4)
    img = Image.new("RGB", (1654, 2339), (250, 248, 240))
    draw = ImageDraw.Draw(img)
    for y in range(120, 2200, 34):
        x = 110
        while x < 1540:
            w = rnd.randint(12, 70)
            draw.rectangle((x, y, x + w, y + 16), fill=(rnd.randint(0, 60),) * 3)
            x += w + rnd.randint(8, 20)
    draw.ellipse((900, 300, 1500, 900), fill=(200, 40, 40))
    noise = Image.effect_noise((1654, 2339), 24).convert("RGB")
    img = Image.blend(img, noise, 0.12)
    out = io.BytesIO()
    img.save(out, "JPEG", quality=90)
    return out.getvalue()


def dump_strings(host, library):
    """{id: text} of a library's string table, read by the fixture program dumpstrings."""
    output = subprocess.run(["wine", "dumpstrings.exe", library, "1", "9999"], cwd=host.dir, env=R._env(),
                            capture_output=True, timeout=60).stdout.decode("utf-8")
    strings = {}
    for line in output.splitlines():
        number, _, text = line.partition("\t")
        strings[int(number)] = text
    return strings


class RealServer(unittest.TestCase):
    def check_message(self, raw, files):
        message = R.parse(raw)
        self.assertEqual(message.defects, [])
        self.assertTrue(message.is_multipart())
        self.assertEqual(message.get_content_type(), "multipart/mixed")
        for part in message.walk():
            self.assertEqual(part.defects, [], part.get_content_type())
        self.assertEqual(R.attachments(message), files)
        return message

    def test_scanned_jpeg_arrives_intact(self):
        jpeg = scanned_jpeg()
        self.assertGreater(len(jpeg), 500000)
        host = R.Host("jpeg")
        path = host.file("P1208014.JPG", jpeg)
        with R.RealSmtp("127.0.0.20") as server:
            log = host.run([["gui", "wait", "E-mail"], ["gui", "waittext", "1019", "Send file"],
                            ["gui", "text", "1019"]] + send("127.0.0.20", "scan@office.example", "bob@b.example", path))
        self.assertEqual(result(log), 1)
        self.assertIn('text 1019: Send file "P1208014.JPG" ...', log)
        self.assertEqual(len(server.envelopes), 1)
        envelope = server.envelopes[0]
        self.assertEqual(envelope.mail_from, "scan@office.example")
        self.assertEqual(envelope.rcpt_tos, ["bob@b.example"])
        message = self.check_message(envelope.original_content, [("P1208014.JPG", jpeg)])
        self.assertEqual(message["To"], "<bob@b.example>")
        self.assertEqual(message["From"], "scan@office.example")
        self.assertEqual(message["MIME-Version"], "1.0")

    def test_files_of_0_510_511_512_bytes_decode_exactly(self):
        rnd = random.Random(9)
        files = [("empty.bin", b""), ("f510.bin", bytes(rnd.randrange(256) for _ in range(510))),
                 ("f511.bin", bytes(rnd.randrange(256) for _ in range(511))),
                 ("f512.bin", bytes(rnd.randrange(256) for _ in range(512)))]
        host = R.Host("sizes")
        paths = [host.file(name, data) for name, data in files]
        with R.RealSmtp("127.0.0.20") as server:
            log = host.run(content(subject="Sizes", body="four files") +
                           send("127.0.0.20", "scan@office.example", "bob@b.example", *paths))
        message = self.check_message(server.envelopes[0].original_content, files)
        self.assertEqual(message["Subject"], "Sizes")
        raw = server.envelopes[0].original_content
        lines = raw.split(b"\r\n")
        self.assertIn(max(lines, key=len).__len__(), (680,))
        text = [p for p in message.walk() if p.get_content_type() == "text/plain"][0]
        self.assertEqual(text.get_payload(), "four files\r\n")

    def test_a_long_paragraph_reaches_a_server_with_the_line_limit(self):
        # aiosmtpd refuses lines over 1001 bytes with their CR LF, as RFC 5321 lets it.
        paragraph = "".join("word%04d " % i for i in range(300))
        host = R.Host("paragraph")
        with R.RealSmtp(None) as server:
            log = host.run(content(body="Dear Bob,\r\n" + paragraph) +
                           send(server.address, "scan@office.example", "bob@b.example"))
        self.assertEqual(result(log), 1)
        body = server.envelopes[0].original_content.split(b"\r\n\r\n", 1)[1]
        lines = [paragraph[at:at + 998].encode() for at in range(0, len(paragraph), 998)]
        self.assertEqual(body, b"\r\n".join([b"Dear Bob,"] + lines) + b"\r\n")

    def test_no_recipient_shows_the_message_and_sends_nothing(self):
        host = R.Host("norecipient")
        log = host.run(send("127.0.0.20", "scan@office.example", ""))
        self.assertEqual(messages(log), [NO_RECIPIENT])
        self.assertEqual(result(log), 0)
        self.assertNotIn("WM_MAIL_DONE 0 0", log)

    def test_content_cancelled_on_first_call_leaves_everything_empty(self):
        host = R.Host("cancelfirst")
        log = host.run(content(to="ann@a.example", subject="x", ok=False) + send("127.0.0.20", "me@x.example", ""))
        self.assertEqual(result(log, "content"), 0)
        self.assertEqual(messages(log), [NO_RECIPIENT])


class HostChoice(unittest.TestCase):
    def test_sender_without_at_is_the_whole_host(self):
        host = R.Host("noat")
        with R.RealSmtp("127.0.0.21") as server:
            log = host.run(send(None, "127.0.0.21", "bob@b.example"))
        self.assertEqual(result(log), 1)
        self.assertEqual(server.envelopes[0].mail_from, "127.0.0.21")

    def test_two_at_signs_use_the_text_after_the_last(self):
        # A real server refuses such a sender, so a scripted one shows where the send went.
        host = R.Host("twoat")
        server = R.ScriptedSmtpServer("127.0.0.22").start()
        try:
            host.run(send(None, "scan@desk@127.0.0.22", "bob@b.example"))
            server.wait_done(10)
        finally:
            server.stop()
        self.assertEqual(server.commands[:2], ["HELO 127.0.0.22", "MAIL FROM: <scan@desk@127.0.0.22>"])

    def test_smtp_server_serves_one_send_then_the_senders_domain(self):
        host = R.Host("smtponce")
        with R.RealSmtp("127.0.0.23") as configured, R.RealSmtp("127.0.0.24") as domain:
            log = host.run([["smtp", "127.0.0.23"], ["send", "me@127.0.0.24", "one@b.example"],
                            ["send", "me@127.0.0.24", "two@b.example"]])
        self.assertEqual([e.rcpt_tos for e in configured.envelopes], [["one@b.example"]])
        self.assertEqual([e.rcpt_tos for e in domain.envelopes], [["two@b.example"]])
        self.assertEqual(log.count("WM_MAIL_DONE 0 0"), 2)

    def test_default_recipient_twice_after_an_unresolvable_host(self):
        host = R.Host("unresolvable")
        with R.RealSmtp("127.0.0.25") as server:
            log = host.run([["smtp", "no-such-host.invalid"], ["send", "me@x.example", "bob@b.example"],
                            ["smtp", "127.0.0.25"], ["send", "me@x.example", "bob@b.example"]])
        self.assertEqual(messages(log), ["Host is unreachable."])
        sends = [l for l in log if l.startswith("send=")]
        self.assertTrue(sends[0].startswith("send=0 done=1"), sends)
        self.assertTrue(sends[1].startswith("send=1 done=1"), sends)
        self.assertEqual(server.envelopes[0].rcpt_tos, ["bob@b.example", "bob@b.example"])


class FailingConnection(unittest.TestCase):
    def test_refused_connection_says_host_unreachable_at_once(self):
        host = R.Host("refused")
        log = host.run(send(None, "me@127.0.0.51", "bob@b.example") +
                       send("127.0.0.51", "me@x.example", "bob@b.example"), timeout=200)
        self.assertEqual(messages(log), ["Host is unreachable."] * 2)
        sends = [l for l in log if l.startswith("send=")]
        for line in sends:
            self.assertTrue(line.startswith("send=0 done=1"), sends)
            # Ended by the connection's failure notice, not by the 90-second wait.
            self.assertLess(float(line.split(" ms=")[1].split()[0]), 30000, sends)

    def test_cancel_while_connecting_gives_the_attempt_up(self):
        with R.pending_listener() as address:
            host = R.Host("cancelconnect")
            # The pending connection is dropped: a later one cannot start a conversation.
            log = host.run([["gui", "wait", "E-mail"], ["gui", "click", "1020"]] +
                           send(address, "me@x.example", "bob@b.example") + [["pump", "1000"]])
        self.assertTrue([l for l in log if l.startswith("send=")][0].startswith("send=0 done=1"), log)
        self.assertEqual(log.count("WM_MAIL_DONE 0 0"), 1)
        self.assertEqual(messages(log), [])
        self.assertLess(host.wall_seconds, 30)


class LanguageAndShutdown(unittest.TestCase):
    def test_german_library_supplies_texts_and_dialogs(self):
        host = R.Host("german", language="German")
        with R.RealSmtp("127.0.0.27") as server:
            log = host.run([["gui", "wait", "E-Mail-Einstellungen"], ["gui", "text", "1003"], ["gui", "text", "1001"],
                            ["gui", "click", "1008"], ["gui", "wait", "E-Mail-Adresse hinzufügen".encode("cp1252").decode("latin-1")],
                            ["gui", "size", "1002"], ["gui", "size", "2004"], ["gui", "tooltips"],
                            ["gui", "click", "2006"], ["gui", "wait", "E-Mail-Einstellungen"], ["gui", "click", "1000"],
                            ["content"]] + send("127.0.0.27", "me@x.example", "") +
                           [["send", "me@127.0.0.27", "bob@b.example", host.file("a.bin", b"xyz")]])
        self.assertIn("window E-Mail-Einstellungen", log)
        self.assertIn("text 1003: Betreff:  ", log)
        self.assertIn("size 1002: 32x24", log)
        self.assertIn("size 2004: 32x24", log)
        self.assertIn("tooltips: 2004=E-Mail-Adresse ins Adressbuch aufnehmen|2008=E-Mail-Liste|2007=Adressbuch", log)
        self.assertEqual(messages(log), ["Eine Nachricht braucht einen Empfänger (Feld „An“)."])
        # The MIME header texts come from the language library too, and are unchanged.
        message = R.parse(server.envelopes[0].original_content)
        self.assertEqual(R.attachments(message), [("a.bin", b"xyz")])

    def test_german_library_holds_every_string_with_real_translations(self):
        host = R.Host("strings")
        shutil.copy2(R.TOOLS / "dumpstrings.exe", host.dir / "dumpstrings.exe")
        own = dump_strings(host, "Postlib.dll")
        german = dump_strings(host, "mail_lg.dll")
        self.assertEqual(sorted(own), sorted(german))
        protocol = {108, 109, 110, 111, 112, 114, 117, 118} | set(range(3000, 3011))
        for number, text in own.items():
            if number in protocol:
                self.assertEqual(german[number], text, number)
            else:
                self.assertNotEqual(german[number], text, number)
        self.assertEqual(own[114], "MIME-Version: 1.0\\n")
        self.assertEqual(own[120], 'Send file "')
        self.assertEqual(german[104], "Zeitüberschreitung im Netzwerk!")

    def test_german_progress_window(self):
        host = R.Host("germanprogress", language="German")
        server = R.ScriptedSmtpServer("127.0.0.29", {"DATA": [[("sleep", 1.0), b"354 go\r\n"]]}).start()
        try:
            log = host.run([["gui", "wait", "E-Mail"], ["gui", "text", "1020"], ["gui", "caption"]] +
                           send("127.0.0.29", "me@x.example", "bob@b.example"))
            server.wait_done(10)
        finally:
            server.stop()
        self.assertIn("text 1020: Abbrechen", log)
        self.assertIn("caption: E-Mail", log)

    def test_language_not_in_the_table_keeps_english(self):
        host = R.Host("klingon", language="Klingon")
        log = host.run(send("127.0.0.27", "me@x.example", ""))
        self.assertEqual(messages(log), [NO_RECIPIENT])

    def test_shut_down_after_a_send(self):
        host = R.Host("unload")
        with R.RealSmtp("127.0.0.28") as server:
            log = host.run(send("127.0.0.28", "me@x.example", "bob@b.example") + [["unload"]])
        self.assertIn("unloaded", log)
        self.assertEqual(len(server.envelopes), 1)


if __name__ == "__main__":
    unittest.main()
