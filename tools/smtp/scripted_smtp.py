#!/usr/bin/python3
"""A scripted, misbehaving SMTP server for tests: answers each command as its script says.

The script maps a command verb (HELO, MAIL, RCPT, DATA, END for the final ".", QUIT) to a list
of plays, one per occurrence of that command (the last repeats); a play is a list of actions:
bytes (sent as one packet), ("sleep", seconds), ("trickle", bytes, seconds) (one byte at a time,
each after that pause, until the bytes end or the server is stopped; `trickled` counts them),
"close" (closes the connection), "reset" (resets it: the client's next receive or send fails),
"starttls" (the connection is secured with `tls_context` from here on, the server's side of the
handshake), ("cut_handshake", n, how) (n bytes of the client's handshake are read, then the
connection is cut: how is "close" or "reset"), ("stall", n)
(after n bytes of message data the server stops reading, as if busy, until it is stopped; its
receive window fills), or nothing (silence: no answer). "GREETING" is played once the connection
is accepted. A cut at a chosen byte: `cut_at=(n, how)` cuts the connection once n bytes of the
client's stream (what it sent, opened once secured) have arrived, `cut_in_data=(n, how)` once n
bytes of message data have; what came before the byte is answered as usual. Everything
received is recorded: `commands` (each command line without its CR LF), `data` (the bytes
between DATA and the "." line, as they arrived, dot-stuffing included) and `finished` (how many
messages were ended with the "." line). After a stall,
`stalled_at` is the monotonic time it began and `ending` how the client's side looked when the
server was stopped: "reset", "closed" or "open".

    server = ScriptedSmtpServer("127.0.0.3", {"HELO": [[b"502 no\\r\\n"]]}).start()
    ... server.wait_done(); server.commands

Run directly (`scripted_smtp.py ADDRESS [PORT]`) it serves one connection with the defaults
and prints the transcript.
"""
import socket
import struct
import sys
import threading
import time

DEFAULTS = {
    "GREETING": [[b"220 scripted.test ESMTP\r\n"]],
    "HELO": [[b"250 scripted.test\r\n"]],
    "EHLO": [[b"250 scripted.test\r\n"]],
    "MAIL": [[b"250 2.1.0 Ok\r\n"]],
    "RCPT": [[b"250 2.1.5 Ok\r\n"]],
    "DATA": [[b"354 End data with <CR><LF>.<CR><LF>\r\n"]],
    "END": [[b"250 2.0.0 Ok: queued\r\n"]],
    "QUIT": [[b"221 2.0.0 Bye\r\n", "close"]],
}
OTHER = [[b"500 unrecognised\r\n"]]


class ScriptedSmtpServer:
    def __init__(self, address, script=None, port=25, receive_buffer=None, tls_context=None, cut_at=None,
                 cut_in_data=None):
        self.address = address
        self.port = port
        self.script = dict(DEFAULTS)
        self.script.update(script or {})
        self.tls_context = tls_context
        self.cut_at, self.cut_in_data = cut_at, cut_in_data
        self.received = 0  # bytes of the client's stream
        self.cut = None  # how the connection was cut, once it was
        self.secured = False
        self.commands = []
        self._data = bytearray()  # grows by appending: a large message costs no copies
        self.finished = 0
        self.connections = 0
        self.closed_by_peer = False
        self.error = None
        self.stalled_at = None
        self.trickled = 0
        self.ending = None
        self._stall_after = None
        self._counts = {}
        self._last_sent = b""
        self._done = threading.Event()
        self._stopped = threading.Event()
        self._listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self._listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        if receive_buffer:
            # Inherited by the accepted connection: a small window fills soon after a stall.
            self._listener.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, receive_buffer)
        self._listener.bind((address, port))
        self._listener.listen(5)
        self._thread = None

    @property
    def data(self):
        return bytes(self._data)

    def start(self):
        self._thread = threading.Thread(target=self._serve, daemon=True)
        self._thread.start()
        return self

    def stop(self):
        self._stopped.set()
        try:
            self._listener.close()
        except OSError:
            pass

    def wait_done(self, timeout=30):
        """Waits until the connection has ended (either side closed)."""
        return self._done.wait(timeout)

    def _cut(self, how):
        """Ends the connection: "close" (an orderly end) or "reset"."""
        self.cut = how
        if how == "reset":
            self._conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        else:
            self._conn.shutdown(socket.SHUT_RDWR)
        self._conn.close()

    def _play(self, verb):
        plays = self.script.get(verb, OTHER)
        n = self._counts.get(verb, 0)
        self._counts[verb] = n + 1
        for action in plays[min(n, len(plays) - 1)]:
            conn = self._conn
            if isinstance(action, bytes):
                conn.sendall(action)
                self._last_sent = action
            elif action in ("close", "reset"):
                self._cut(action)
                return False
            elif action == "starttls":
                self._conn = self.tls_context.wrap_socket(conn, server_side=True)
                self.secured = True
            elif isinstance(action, tuple) and action[0] == "cut_handshake":
                got = 0
                while got < action[1]:
                    chunk = conn.recv(action[1] - got)
                    if not chunk:
                        break
                    got += len(chunk)
                self._cut(action[2])
                return False
            elif isinstance(action, tuple) and action[0] == "sleep":
                time.sleep(action[1])
            elif isinstance(action, tuple) and action[0] == "trickle":
                for byte in action[1]:
                    if self._stopped.wait(action[2]):
                        break
                    conn.sendall(bytes([byte]))
                    self.trickled += 1
            elif isinstance(action, tuple) and action[0] == "stall":
                self._stall_after = action[1]
        return True

    def _serve(self):
        try:
            conn, _ = self._listener.accept()
        except OSError:
            self._done.set()
            return
        self.connections += 1
        self._conn = conn
        try:
            self._converse()
        except OSError as e:  # the client went away
            self.error = e
        finally:
            try:
                self._conn.close()
            except OSError:
                pass
            self._done.set()

    def _converse(self):
        if not self._play("GREETING"):
            return
        buffer = b""
        in_data = False
        while True:
            chunk = self._conn.recv(65536)
            if not chunk:
                self.closed_by_peer = True
                return
            cutting = None
            if self.cut_at and self.received + len(chunk) >= self.cut_at[0]:
                chunk, cutting = chunk[:self.cut_at[0] - self.received], self.cut_at[1]
            self.received += len(chunk)
            buffer += chunk
            while b"\r\n" in buffer:
                line, buffer = buffer.split(b"\r\n", 1)
                if in_data:
                    if line == b".":
                        in_data = False
                        self.finished += 1
                        if not self._play("END"):
                            return
                    else:
                        self._data += line + b"\r\n"
                        if self.cut_in_data and len(self._data) >= self.cut_in_data[0]:
                            self._cut(self.cut_in_data[1])
                            return
                    continue
                self.commands.append(line.decode("latin-1"))
                verb = line.split(b" ", 1)[0].split(b":", 1)[0].upper().decode("latin-1")
                self._last_sent = b""
                if not self._play(verb):
                    return
                # The message follows only a DATA that was answered with 354 (or not at all).
                if verb == "DATA":
                    in_data = not self._last_sent.startswith((b"4", b"5"))
                if self.secured and verb == "STARTTLS":
                    buffer = b""  # what came in clear before the handshake is not read
            if cutting:
                self._cut(cutting)
                return
            if self._stall_after is not None and len(self._data) >= self._stall_after:
                self._stall(self._conn)
                return

    def _stall(self, conn):
        self.stalled_at = time.monotonic()
        self._stopped.wait()
        conn.setblocking(False)
        # What the window still holds comes first, then the client's end of the connection.
        try:
            while conn.recv(65536):
                pass
            self.ending = "closed"
        except ConnectionResetError:
            self.ending = "reset"
        except BlockingIOError:
            self.ending = "open"


def main(argv):
    address = argv[1] if len(argv) > 1 else "127.0.0.3"
    port = int(argv[2]) if len(argv) > 2 else 25
    server = ScriptedSmtpServer(address, port=port).start()
    server.wait_done(timeout=None)
    for command in server.commands:
        print(command)
    sys.stdout.write(server.data.decode("latin-1"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
