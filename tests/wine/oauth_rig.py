"""Rig of the sign-in tests: the tests' own OAuth authorization server (HTTPS on localhost, its
certificate from the test authority that tls_rig makes and trusts), which checks what a real one
checks (the registered client, a loopback redirect on any port, PKCE S256, the state handed
back, codes used once, refresh tokens rotated and revocable); aiosmtpd taking XOAUTH2 and
OAUTHBEARER with only the access tokens that server issued (a refused one gets RFC 7628's
failure challenge first); and the browser stand-in registered for "https" in the prefix."""

import base64
import hashlib
import http.server
import json
import re
import secrets
import shutil
import ssl
import threading
import time
import urllib.parse

import rig
import tls_rig as T

CLIENT_ID = "orvane-test-client"
SCOPE = "https://mail.test/send offline_access"
ACCOUNT = "scanner@mail.test"
# Long as a real provider's are: the initial response no longer fits a 512-octet AUTH line.
ACCESS_TOKEN_LENGTH = 1200
REDIRECT = re.compile(r"^http://127\.0\.0\.1:(\d{1,5})/$")
BROWSER_LOG = rig.TOOLS / "browser.log"


def masked(token):
    """A token as the notes show it."""
    return token[:6] + "..." + "(%d characters)" % len(token)


class AuthorizationServer:
    """The authorize and token endpoints on https://localhost:PORT. `consent` is "allow",
    "deny", "wrong-state" (the redirect carries another state) or "wait" (a page, no redirect).
    `expires_in` is the lifetime given to access tokens. Everything asked is in `requests`."""

    def __init__(self, consent="allow", expires_in=3600, secret=None):
        self.consent, self.expires_in, self.secret = consent, expires_in, secret
        self.requests = []  # (endpoint, parameters)
        self.codes = {}  # code -> (redirect_uri, challenge, login_hint)
        self.refresh_tokens = {}  # token -> valid
        self.access_tokens = {}  # token -> expiry (monotonic)
        self.lock = threading.Lock()
        self.port = T.free_port()
        self.url = "https://%s:%d" % (T.HOST, self.port)

    # What the tests ask of it.
    def revoke(self):
        with self.lock:
            self.refresh_tokens = {token: False for token in self.refresh_tokens}

    def expire_access(self):
        with self.lock:
            self.access_tokens = {token: 0 for token in self.access_tokens}

    def valid_access(self, token):
        with self.lock:
            return self.access_tokens.get(token, 0) > time.monotonic()

    def grants(self):
        return [p.get("grant_type") for endpoint, p in self.requests if endpoint == "token"]

    def authorizations(self):
        return [p for endpoint, p in self.requests if endpoint == "authorize"]

    # The endpoints.
    def authorize(self, query):
        self.requests.append(("authorize", query))
        redirect = query.get("redirect_uri", "")
        if (query.get("client_id") != CLIENT_ID or query.get("response_type") != "code" or
                not REDIRECT.match(redirect) or query.get("code_challenge_method") != "S256" or
                not re.fullmatch(r"[A-Za-z0-9_-]{43}", query.get("code_challenge", "")) or not query.get("state")):
            return 400, {}, "invalid authorization request"
        if self.consent == "wait":
            return 200, {}, "<html><body>Sign in to the test provider</body></html>"
        state = query["state"] if self.consent != "wrong-state" else "not-" + query["state"]
        if self.consent == "deny":
            answer = {"error": "access_denied", "state": state}
        else:
            code = secrets.token_urlsafe(24)
            with self.lock:
                self.codes[code] = (redirect, query["code_challenge"], query.get("login_hint"))
            answer = {"code": code, "state": state}
        return 302, {"Location": redirect + "?" + urllib.parse.urlencode(answer)}, ""

    def _tokens(self):
        access = secrets.token_urlsafe(ACCESS_TOKEN_LENGTH)[:ACCESS_TOKEN_LENGTH]
        refresh = secrets.token_urlsafe(48)
        with self.lock:
            self.access_tokens[access] = time.monotonic() + self.expires_in
            self.refresh_tokens[refresh] = True
        return 200, {"access_token": access, "token_type": "Bearer", "expires_in": self.expires_in,
                     "refresh_token": refresh, "scope": SCOPE}

    def token(self, form):
        self.requests.append(("token", form))
        if form.get("client_id") != CLIENT_ID or form.get("client_secret") != self.secret:
            return 401, {"error": "invalid_client"}
        grant = form.get("grant_type")
        if grant == "authorization_code":
            with self.lock:
                issued = self.codes.pop(form.get("code", ""), None)  # a code serves once
            if issued is None or form.get("redirect_uri") != issued[0]:
                return 400, {"error": "invalid_grant", "error_description": "unknown code or redirect"}
            verifier = form.get("code_verifier", "")
            challenge = base64.urlsafe_b64encode(hashlib.sha256(verifier.encode()).digest()).rstrip(b"=").decode()
            if challenge != issued[1]:
                return 400, {"error": "invalid_grant", "error_description": "PKCE verification failed"}
            return self._tokens()
        if grant == "refresh_token":
            with self.lock:
                valid = self.refresh_tokens.get(form.get("refresh_token", ""))
                if valid:
                    self.refresh_tokens[form["refresh_token"]] = False  # rotated: the old one is spent
            if not valid:
                return 400, {"error": "invalid_grant", "error_description": "The refresh token was revoked."}
            return self._tokens()
        return 400, {"error": "unsupported_grant_type"}

    def start(self):
        outer = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def answer(self, status, headers, body):
                data = body.encode() if isinstance(body, str) else json.dumps(body).encode()
                self.send_response(status)
                for name, value in headers.items():
                    self.send_header(name, value)
                self.send_header("Content-Type", "application/json" if isinstance(body, dict) else "text/html")
                self.send_header("Content-Length", str(len(data)))
                self.end_headers()
                self.wfile.write(data)

            def do_GET(self):
                path, _, query = self.path.partition("?")
                if path != "/authorize":
                    return self.answer(404, {}, "")
                self.answer(*outer.authorize(dict(urllib.parse.parse_qsl(query))))

            def do_POST(self):
                length = int(self.headers.get("Content-Length", "0"))
                form = dict(urllib.parse.parse_qsl(self.rfile.read(length).decode()))
                if self.path != "/token" or "application/x-www-form-urlencoded" not in self.headers.get(
                        "Content-Type", ""):
                    return self.answer(404, {}, "")
                status, body = outer.token(form)
                self.answer(status, {"Cache-Control": "no-store"}, body)

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", self.port), Handler)
        self.httpd.socket = T.context().wrap_socket(self.httpd.socket, server_side=True)
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()
        return self

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def script(self, provider=3, secret=None):
        """mailhost's line that sets this server as the next send's sign-in."""
        return ["oauth", str(provider), self.url + "/authorize", self.url + "/token", SCOPE, CLIENT_ID,
                secret or "-"]


def _bearer_user(mechanism, blob):
    """(user, token) of an XOAUTH2 or OAUTHBEARER initial response, or None."""
    text = blob.decode("utf-8", "replace")
    if mechanism == "XOAUTH2":
        match = re.fullmatch(r"user=([^\x01]*)\x01auth=Bearer ([^\x01]+)\x01\x01", text)
        return match.groups() if match else None
    match = re.fullmatch(r"n,a=([^,]*),\x01host=[^\x01]*\x01port=\d+\x01auth=Bearer ([^\x01]+)\x01\x01", text)
    return (match.group(1).replace("=2C", ",").replace("=3D", "="), match.group(2)) if match else None


class OAuthSmtp(T.SecureSmtp):
    """aiosmtpd (see tls_rig.SecureSmtp) offering `mechanisms` (XOAUTH2, OAUTHBEARER) and
    taking only access tokens `issuer` issued and that are still valid; `logins` records
    (mechanism, user, token, accepted), `answers` what the client answered each failure
    challenge. With `refuse_first` set, the first good token is called expired."""

    refuse_first = False

    def __init__(self, issuer, mode="starttls", mechanisms=("XOAUTH2", "OAUTHBEARER")):
        self.issuer, self.mechanisms = issuer, mechanisms
        excluded = ["PLAIN", "LOGIN"] + [m for m in ("XOAUTH2", "OAUTHBEARER") if m not in mechanisms]
        # A provider's server takes the long lines of a bearer login (RFC 4954 allows 12288
        # octets); aiosmtpd's reader stops at 1001 unless told.
        super().__init__(mode, auth_exclude_mechanism=excluded, line_length_limit=16384)

    def handler(self):
        from aiosmtpd.smtp import AuthResult

        base = super().handler()
        outer = self

        async def login(mechanism, server, args):
            blob = await server.challenge_auth("") if len(args) < 2 else base64.b64decode(args[1])
            if blob is None or not isinstance(blob, bytes):
                return AuthResult(success=False, handled=True)
            parsed = _bearer_user(mechanism, blob)
            accepted = parsed is not None and parsed[0] == ACCOUNT and outer.issuer.valid_access(parsed[1])
            if accepted and outer.refuse_first:
                # As a provider whose token died early: it is expired for good.
                outer.refuse_first = False
                outer.issuer.expire_access()
                accepted = False
            outer.logins.append((mechanism,) + (parsed or (None, None)) + (accepted,))
            if accepted:
                return AuthResult(success=True, auth_data=parsed[0])
            status = {"status": "invalid_token", "scope": SCOPE} if mechanism == "OAUTHBEARER" else {
                "status": "401", "schemes": "bearer", "scope": SCOPE}
            answer = await server.challenge_auth(json.dumps(status))
            outer.answers.append(answer)
            return AuthResult(success=False, handled=False, message="535 5.7.8 Authentication credentials invalid")

        async def auth_XOAUTH2(server, args):
            return await login("XOAUTH2", server, args)

        async def auth_OAUTHBEARER(server, args):
            return await login("OAUTHBEARER", server, args)

        self.answers = []
        base.auth_XOAUTH2 = auth_XOAUTH2
        base.auth_OAUTHBEARER = auth_OAUTHBEARER
        return base


def register_browser(prefix_tools=rig.TOOLS):
    """Registers the browser stand-in for "https" (and "http") in the prefix in use, and empties
    its log."""
    command = '"%s" "%%1"' % rig.wine_path(prefix_tools / "browser.exe")
    for scheme in ("https",):
        key = "HKLM\\Software\\Classes\\%s\\shell\\open\\command" % scheme
        result = rig.run(["reg", "add", key, "/ve", "/d", command, "/f"], timeout=60)
        if result.returncode != 0:
            raise AssertionError("reg add: %s %s" % (result.stdout, result.stderr))
    BROWSER_LOG.unlink(missing_ok=True)


def browser_log():
    """The stand-in's records: [(kind, fields...)]."""
    if not BROWSER_LOG.exists():
        return []
    return [tuple(line.split("\t")) for line in BROWSER_LOG.read_text(encoding="utf-8").splitlines()]
