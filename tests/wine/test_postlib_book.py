"""The e-mail dialog and the address book dialog with Rurizeri.ini, driven inside mailhost."""

import unittest

import mail_rig as R
from mail_flows import BOOK_DIALOG, MAIL_DIALOG, messages, result, send

DUPLICATE = "Duplicate address exists!"


def setUpModule():
    R.start_display()


def tearDownModule():
    R.stop_display()


def gui(*words):
    return ["gui"] + [str(w) for w in words]


def open_book():
    return [gui("wait", MAIL_DIALOG), gui("click", 1008), gui("wait", BOOK_DIALOG)]


def close_mail(ok=True):
    return [gui("waitgone", BOOK_DIALOG), gui("wait", MAIL_DIALOG), gui("list", 1004),
            gui("click", 1001 if ok else 1000), ["content"]]


def listed(log, control):
    prefix = "list %d: " % control
    found = [l[len(prefix):] for l in log if l.startswith(prefix)]
    return [item.lstrip("*") for item in found[-1].split("|")] if found and found[-1] else []


class AddressBook(unittest.TestCase):
    def run_host(self, lines, name=None):
        host = R.Host(name or self.id().split(".")[-1])
        return host.run(lines)

    def test_typed_address_is_stored_lower_case_and_duplicates_found_in_any_case(self):
        R.write_book(None)
        log = self.run_host(open_book() + [
            gui("enabled", 2004), gui("enabled", 1002), gui("set", 2003, "Ann.Smith@Example.COM"), gui("enabled", 2004),
            gui("click", 2004), gui("list", 2007), gui("enabled", 1002), gui("text", 2003),
            gui("set", 2003, "ANN.smith@example.com"), gui("click", 2004), gui("msgbox"),
            gui("set", 2003, "ann.SMITH@EXAMPLE.com"), gui("click", 2004), gui("msgbox"),
            gui("list", 2007), gui("click", 2005)] + close_mail())
        self.assertEqual(log[log.index("window " + BOOK_DIALOG) + 1:][:2], ["enabled 2004: 0", "enabled 1002: 0"])
        self.assertIn("enabled 2004: 1", log)
        self.assertIn("list 2007: *ann.smith@example.com", log)
        self.assertIn("enabled 1002: 1", log)
        self.assertIn("text 2003: Ann.Smith@Example.COM", log)
        self.assertEqual(messages(log), [DUPLICATE, DUPLICATE])
        self.assertEqual(R.read_book(), ["ann.smith@example.com"])

    def test_an_older_book_is_taken_over_once_and_left_in_place(self):
        R.write_book(None)
        R.write_book(["old@x.example"], path=R.OLD_BOOK)
        R.write_book(["b@x.example", "a@x.example"], path=R.STORED_BOOK)
        try:
            # The virtual store holds what the user last saved: that book is taken over.
            log = self.run_host(open_book() + [gui("list", 2007), gui("set", 2003, "new@x.example"), gui("click", 2004),
                                               gui("click", 2005)] + close_mail())
            self.assertEqual(listed(log, 2007), ["a@x.example", "b@x.example"])
            self.assertEqual(R.read_book(), ["a@x.example", "b@x.example", "new@x.example"])
            self.assertEqual(R.read_book(R.STORED_BOOK), ["b@x.example", "a@x.example"])
            # Once taken over, the user's own book is the one read.
            R.STORED_BOOK.unlink()
            log = self.run_host(open_book() + [gui("list", 2007), gui("click", 2006)] + close_mail(), name="again")
            self.assertEqual(listed(log, 2007), ["a@x.example", "b@x.example", "new@x.example"])
            self.assertEqual(R.read_book(R.OLD_BOOK), ["old@x.example"])
        finally:
            R.write_book(None, path=R.OLD_BOOK)
            R.write_book(None, path=R.STORED_BOOK)

    def test_reading_stops_at_a_gap(self):
        R.write_book(raw="[BookMark]\r\nMailAdd0=a@x.example\r\nMailAdd1=b@x.example\r\nMailAdd3=d@x.example\r\n")
        log = self.run_host(open_book() + [gui("list", 2007), gui("click", 2006)] + close_mail())
        self.assertEqual(listed(log, 2007), ["a@x.example", "b@x.example"])

    def test_reading_stops_at_null(self):
        R.write_book(["a@x.example", "NULL", "c@x.example"])
        log = self.run_host(open_book() + [gui("list", 2007), gui("click", 2006)] + close_mail())
        self.assertEqual(listed(log, 2007), ["a@x.example"])

    def test_cancel_writes_nothing(self):
        R.write_book(["b@x.example", "a@x.example"])
        before = R.BOOK.read_bytes()
        log = self.run_host(open_book() + [
            gui("set", 2003, "new@x.example"), gui("click", 2004), gui("select", 2007, 0), gui("key", 2007, "DELETE"),
            gui("msgbox"), gui("list", 2007), gui("click", 2006)] + close_mail())
        self.assertEqual(listed(log, 2007), ["b@x.example", "new@x.example"])
        self.assertEqual(R.BOOK.read_bytes(), before)

    def test_enter_in_new_address_closes_with_ok_writes_nothing_and_empties_the_list(self):
        R.write_book(["a@x.example", "b@x.example"])
        before = R.BOOK.read_bytes()
        log = self.run_host(open_book() + [gui("select", 2007, "all"), gui("click", 1002), gui("click", 2005),
                                           gui("waitgone", BOOK_DIALOG), gui("wait", MAIL_DIALOG), gui("list", 1004),
                                           gui("click", 1008), gui("wait", BOOK_DIALOG), gui("list", 2008),
                                           gui("set", 2003, "typed@x.example"), gui("key", 2003, "RETURN")] +
                            close_mail())
        lists = [l for l in log if l.startswith("list 1004: ")]
        self.assertEqual(lists, ["list 1004: a@x.example|b@x.example", "list 1004: "])
        self.assertIn("list 2008: a@x.example|*b@x.example", log)
        self.assertEqual(R.read_book(), ["a@x.example", "b@x.example"])
        self.assertEqual(R.BOOK.read_bytes(), before)
        self.assertEqual(result(log, "content"), 0)

    def test_escape_cancels_the_book_and_does_nothing_in_the_mail_dialog(self):
        R.write_book(["a@x.example"])
        log = self.run_host(open_book() + [gui("click", 1002), gui("key", 2007, "ESCAPE"), gui("waitgone", BOOK_DIALOG),
                                           gui("wait", MAIL_DIALOG), gui("key", 1005, "RETURN"), gui("key", 1005, "ESCAPE"),
                                           gui("set", 1007, "to@x.example"), gui("list", 1004), gui("click", 1001),
                                           ["content"]])
        self.assertIn("list 1004: ", log)
        self.assertEqual(result(log, "content"), 1)  # still open after Enter and Escape: OK took the To field

    def test_deleting_the_only_entry_disables_the_arrow(self):
        R.write_book(["only@x.example"])
        log = self.run_host(open_book() + [gui("enabled", 1002), gui("key", 2007, "DELETE"), gui("msgbox"),
                                           gui("list", 2007), gui("enabled", 1002), gui("click", 2005)] + close_mail())
        self.assertEqual(messages(log), ["Delete an address from Address Book ."])
        self.assertIn("enabled 1002: 1", log)
        self.assertEqual([l for l in log if l.startswith("enabled 1002")][-1], "enabled 1002: 0")
        self.assertEqual(R.read_book(), [])

    def test_delete_in_the_email_list_and_selection_after(self):
        R.write_book(["a@x.example", "b@x.example", "c@x.example"])
        log = self.run_host(open_book() + [gui("select", 2007, "all"), gui("dblclk", 2007), gui("list", 2008),
                                           gui("select", 2008, 1), gui("key", 2008, "DELETE"), gui("msgbox"),
                                           gui("list", 2008), gui("list", 2007), gui("click", 2005)] + close_mail())
        self.assertEqual(messages(log), ["Delete an address from E-Mail list."])
        e_lists = [l for l in log if l.startswith("list 2008: ")]
        self.assertEqual(e_lists[0].replace("*", ""), "list 2008: a@x.example|b@x.example|c@x.example")
        self.assertEqual(e_lists[1], "list 2008: *a@x.example|c@x.example")
        self.assertEqual(listed(log, 2007), ["a@x.example", "b@x.example", "c@x.example"])
        self.assertEqual(listed(log, 1004), ["a@x.example", "c@x.example"])

    def test_more_than_128_entries_and_200_selected_lose_nothing(self):
        entries = ["user%03d@x.example" % i for i in range(300)]
        R.write_book(entries)
        log = self.run_host(open_book() + [gui("select", 2007, "all"), gui("click", 1002), gui("list", 2007),
                                           gui("list", 2008), gui("click", 2005)] + close_mail())
        self.assertEqual(listed(log, 2007), entries)
        self.assertEqual(listed(log, 2008), entries)
        self.assertEqual(listed(log, 1004), entries)
        self.assertEqual(R.read_book(), entries)

    def test_tooltips_faces_and_initial_state(self):
        R.write_book(None)
        log = self.run_host(open_book() + [gui("tooltips"), gui("size", 1002), gui("size", 2004), gui("visible", 2001),
                                           gui("enabled", 2001), gui("caption"), gui("style"), gui("set", 2003, "first@x.example"),
                                           gui("click", 2004), gui("click", 2005)] +
                            close_mail())
        self.assertIn("tooltips: 2004=Add E-mail in the Address Book|2008=E-mail list|2007=Address Book", log)
        self.assertIn("size 1002: 32x24", log)
        self.assertIn("size 2004: 32x24", log)
        self.assertIn("visible 2001: 0", log)
        self.assertIn("enabled 2001: 0", log)
        self.assertIn("sysmenu: 0 topmost: 0", log)
        # Without a file the book starts empty; the first OK creates it.
        self.assertEqual(R.read_book(), ["first@x.example"])

    def test_tooltips_show_over_the_lists_and_the_disabled_add_button(self):
        R.write_book(["a@x.example"])
        log = self.run_host(open_book() + [gui("enabled", 2004), gui("hover", 2004), gui("tipshown"),
                                           gui("hover", 2007), gui("tipshown"), gui("hover", 2008), gui("tipshown"),
                                           gui("click", 2006)] + close_mail())
        self.assertIn("enabled 2004: 0", log)
        self.assertEqual([l for l in log if l.startswith("tip: ")],
                         ["tip: Add E-mail in the Address Book", "tip: Address Book", "tip: E-mail list"])

    def test_recipients_reach_the_server_in_alphabetical_order_after_the_to_field(self):
        R.write_book(["zed@x.example", "amy@x.example", "mid@x.example"])
        server = R.ScriptedSmtpServer("127.0.0.30").start()
        try:
            log = self.run_host([gui("wait", MAIL_DIALOG), gui("set", 1007, "zed@x.example")] + open_book()[1:] +
                                [gui("select", 2007, "all"), gui("click", 1002), gui("click", 2005)] + close_mail() +
                                send("127.0.0.30", "me@x.example", "amy@x.example"))
            server.wait_done(10)
        finally:
            server.stop()
        self.assertEqual([c for c in server.commands if c.startswith("RCPT")],
                         ["RCPT TO: <zed@x.example>", "RCPT TO: <amy@x.example>", "RCPT TO: <mid@x.example>",
                          "RCPT TO: <zed@x.example>", "RCPT TO: <amy@x.example>"])


if __name__ == "__main__":
    unittest.main()
