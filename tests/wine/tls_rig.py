"""Rig of the secured-mail tests: the tests' own certificate authority and server certificates
(made with openssl), the authority trusted in the prefix in use, and aiosmtpd servers on
localhost (Wine's Schannel never matches an address in a certificate, so they go by name) on
free ports: STARTTLS required with a login, or TLS from the first byte."""

import socket
import ssl
import subprocess
import warnings

import rig
import services

# aiosmtpd itself still sets the attribute it deprecates, on every login.
warnings.filterwarnings("ignore", message="Session.login_data is deprecated")

AUTHORITY = rig.WORK / "tls-authority"
HOST = "localhost"
USER, PASSWORD = "scanner", "pa55 w\u00f6rd"
# What the mail library says when the test servers refuse a login, and when a test passes.
LOGIN_REFUSED = ("The mail server refused the login. Check the user name and the password. It answered:\n\n"
                 "535 5.7.8 Authentication credentials invalid")
WORKS = "The mail server works with these settings."
# The certificates a server can present: issued by the trusted authority for localhost, the
# same but expired, issued for another name, and issued by an authority nobody trusts.
CERTIFICATES = ("localhost", "expired", "othername", "stranger")


def _openssl(*args):
    subprocess.run(["openssl"] + [str(a) for a in args], check=True, capture_output=True, cwd=AUTHORITY)


def _issue(name, issuer, common_name, days="825"):
    _openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key", "-out", name + ".csr",
             "-subj", "/CN=" + common_name)
    (AUTHORITY / (name + ".ext")).write_text("subjectAltName=DNS:%s\nextendedKeyUsage=serverAuth\n" % common_name)
    _openssl("x509", "-req", "-in", name + ".csr", "-CA", issuer + ".pem", "-CAkey", issuer + ".key",
             "-CAcreateserial", "-out", name + ".pem", "-days", days, "-extfile", name + ".ext")


def authority():
    """Makes the authority and the certificates once (kept under build/wine-tests)."""
    if all((AUTHORITY / (name + ".pem")).exists() for name in CERTIFICATES):
        return AUTHORITY
    AUTHORITY.mkdir(parents=True, exist_ok=True)
    for issuer, subject in (("authority", "Orvane Test Authority"), ("nobody", "Untrusted Test Authority")):
        _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", issuer + ".key", "-out", issuer + ".pem",
                 "-days", "3650", "-subj", "/CN=" + subject, "-addext", "basicConstraints=critical,CA:TRUE",
                 "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    _issue("localhost", "authority", HOST)
    _issue("expired", "authority", HOST, days="-1")  # valid until yesterday
    _issue("othername", "authority", "mail.example")
    _issue("stranger", "nobody", HOST)
    return AUTHORITY


def trust():
    """Puts the authority into the current user's root store of the prefix in use."""
    result = rig.run([rig.TOOLS / "trustroot.exe", "add", rig.wine_path(authority() / "authority.pem")], timeout=60)
    if result.returncode != 0:
        raise AssertionError("trustroot: %s %s" % (result.stdout, result.stderr))


def context(certificate="localhost"):
    """A server context presenting `certificate` (one of CERTIFICATES)."""
    authority()
    server = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    server.load_cert_chain(AUTHORITY / (certificate + ".pem"), AUTHORITY / (certificate + ".key"))
    return server


def free_port():
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


def _authenticator(logins, password):
    from aiosmtpd.smtp import AuthResult

    def check(server, session, envelope, mechanism, auth_data):
        logins.append((mechanism, auth_data.login, auth_data.password))
        good = auth_data.login == USER.encode() and auth_data.password == password.encode("utf-8")
        return AuthResult(success=good, handled=False)  # a refusal answered with 535
    return check


class SecureSmtp(services.SmtpServer):
    """aiosmtpd on 127.0.0.1 at a free port, reached as `localhost`. mode "starttls": STARTTLS
    required before anything else, and a login required (USER, PASSWORD); "tls": TLS from the
    first byte, the login offered. `logins` records every attempt (mechanism, user, password)."""

    def __init__(self, mode="starttls", certificate="localhost", password=PASSWORD, **extra):
        self.logins = []
        options = {"authenticator": _authenticator(self.logins, password), "auth_require_tls": True}
        if mode == "starttls":
            options.update(tls_context=context(certificate), require_starttls=True, auth_required=True)
        else:
            # aiosmtpd counts only STARTTLS as secured; this whole connection is.
            options.update(ssl_context=context(certificate), auth_require_tls=False)
        options.update(extra)
        super().__init__("127.0.0.1", port=free_port(), **options)
