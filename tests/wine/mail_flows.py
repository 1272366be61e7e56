"""Script pieces for mailhost shared by the mail tests: the e-mail dialog filled and closed,
the address book used from it, a send."""

MAIL_DIALOG = "E-mail setting"
BOOK_DIALOG = "Add E-Mail Address"


def crlf(text):
    """A text with its CR and LF written as mailhost's <CR> and <LF> tokens."""
    return text.replace("\r", "<CR>").replace("\n", "<LF>")


def content(to=None, subject=None, body=None, pick_all_from_book=False, ok=True):
    """Runs MailContent: types the To field, subject and body, optionally copies every
    address book entry into the recipient list, then OK (or Cancel)."""
    lines = [["gui", "wait", MAIL_DIALOG]]
    if to is not None:
        lines.append(["gui", "set", "1007", crlf(to)])
    if subject is not None:
        lines.append(["gui", "set", "1005", crlf(subject)])
    if body is not None:
        lines.append(["gui", "set", "1006", crlf(body)])
    if pick_all_from_book:
        lines += [["gui", "click", "1008"], ["gui", "wait", BOOK_DIALOG], ["gui", "select", "2007", "all"],
                  ["gui", "click", "1002"], ["gui", "click", "2005"], ["gui", "waitgone", BOOK_DIALOG],
                  ["gui", "wait", MAIL_DIALOG]]
    lines += [["gui", "click", "1001" if ok else "1000"], ["content"]]
    return lines


def send(server, sender, recipient, *files):
    lines = []
    if server is not None:
        lines.append(["smtp", server])
    lines.append(["send", crlf(sender), crlf(recipient)] + list(files))
    return lines


def cancel_while_a_file_goes_out(until):
    """Dialog actions for the next send: Cancel in the progress window, clicked once a file is
    going out and `until` (an action: ["waitmoved", "1018"], ["pause", "2000"]) is met; the bar's
    position is logged first."""
    return [["gui", "wait", "E-mail"], ["gui", "waittext", "1019", "Send file"], ["gui"] + until,
            ["gui", "pos", "1018"], ["gui", "click", "1020"]]


def bar_position(log):
    """(position, upper end) of the progress bar as cancel_while_a_file_goes_out logged it."""
    line = [l for l in log if l.startswith("pos 1018: ")][0]
    return tuple(map(int, line.split(": ")[1].split("/")))


def messages(log):
    """The texts of the message boxes in a mailhost log, in order."""
    return [line.split(": ", 1)[1] for line in log if line.startswith("msgbox ")]


def result(log, verb="send"):
    """The last `verb=N` result of a log as an int."""
    for line in reversed(log):
        if line.startswith(verb + "="):
            return int(line.split()[0].split("=")[1])
    raise AssertionError("no %s result in %s" % (verb, log))
