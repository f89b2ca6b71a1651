"""The network level's setting: a real Prosody on 127.0.0.1 inside a network namespace with only
loopback, a throwaway certificate authority and server certificates, a Wine prefix of the
level's own in which only that authority is trusted, netclient.exe (the messenger's network
layer) under Wine, and slixmpp clients on the Linux side. Everything started is stopped at the
end, also when a test fails."""
import asyncio
import atexit
import contextlib
import os
import queue
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import xml.etree.ElementTree as ET
from xml.sax.saxutils import escape

import slixmpp

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("GB_BUILD_DIR", os.path.join(TOP, "build", "win32"))
DOMAIN = "glide.test"
PORT = 5222
RELAY_PORT = 5223
DIRECT_TLS_PORT = 5224
WINE_RUN = os.path.join(TOP, "scripts", "wine-run")
NETCLIENT = ["wine", os.path.join(BUILD, "bin", "netclient.exe")]
# Accounts and their passwords; the passwords travel on standard input only.
ACCOUNTS = {"juliet": "Balcony-4ever", "romeo": "Montague-1597", "nurse": "Angelica-77"}


_ends = []


def at_end(fn, *args):
    """Runs fn(*args) when the level ends: after its tests (end_all), at exit, and on SIGTERM
    (a timeout), latest first."""
    _ends.append((fn, args))


def end_all():
    while _ends:
        fn, args = _ends.pop()
        try:
            fn(*args)
        except Exception as e:  # the other ends still run
            print("harness: ending %s: %s" % (fn.__name__, e), file=sys.stderr)


atexit.register(end_all)
signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))


def only_loopback():
    """True inside a network namespace whose one interface is loopback."""
    return [name for _, name in socket.if_nameindex()] == ["lo"]


def wait_for(predicate, timeout=20.0, what="condition"):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))


def listening(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


def make_cert(folder, file, name, ca=None):
    """A certificate authority `file` (PEM and DER) when `ca` is None, else a server certificate
    for `name` signed by the authority `ca`."""
    if ca is None:
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                "/CN=" + name, "-keyout", file + ".key", "-out", file + ".pem", "-addext",
                "basicConstraints=critical,CA:TRUE", "-addext",
                "keyUsage=critical,keyCertSign,cRLSign", cwd=folder)
        return openssl("x509", "-in", file + ".pem", "-outform", "DER", "-out", file + ".der",
                       cwd=folder)
    with open(os.path.join(folder, file + ".ext"), "w") as f:
        f.write("subjectAltName=DNS:%s\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n"
                "keyUsage=critical,digitalSignature,keyEncipherment\n" % name)
    openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=" + name, "-keyout",
            file + ".key", "-out", file + ".csr", cwd=folder)
    openssl("x509", "-req", "-in", file + ".csr", "-CA", ca + ".pem", "-CAkey", ca + ".key",
            "-CAcreateserial", "-days", "2", "-extfile", file + ".ext", "-out", file + ".crt",
            cwd=folder)


class Prosody:
    """Prosody from Debian's package, run as user prosody from a throwaway folder."""

    def __init__(self, folder):
        self.folder = folder
        self.data = os.path.join(folder, "data")
        os.makedirs(self.data, exist_ok=True)
        self.process = None

    def config(self, name, cert=None, sha1=False):
        """Writes a configuration; `cert` names the server certificate, None for no TLS. With
        `sha1` the accounts (its own) offer SCRAM-SHA-1 and no SCRAM-SHA-256."""
        path = os.path.join(self.folder, name + ".cfg.lua")
        data = self.data + ("-sha1" if sha1 else "")
        os.makedirs(data, exist_ok=True)
        tls = ('ssl = { certificate = "%s/%s.crt"; key = "%s/%s.key"; }\n'
               'c2s_require_encryption = true\n' % (self.folder, cert, self.folder, cert)
               if cert else 'c2s_require_encryption = false\nmodules_disabled = { "tls" }\n')
        with open(path, "w") as f:
            f.write('pidfile = "%(d)s/prosody.pid"\ndata_path = "%(d)s"\n'
                    'log = { info = "%(f)s/prosody.log"; error = "%(f)s/prosody.err"; }\n'
                    'interfaces = { "127.0.0.1" }\nlocal_interfaces = { "127.0.0.1" }\n'
                    'c2s_ports = { %(p)d }\ns2s_ports = { }\nc2s_direct_tls_ports = { %(dt)s }\n'
                    'modules_enabled = { "roster"; "saslauth"; "tls"; "disco"; "ping"; '
                    '"carbons"; "posix"; "offline"; "smacks"; }\n'
                    'authentication = "internal_hashed"\npassword_hash = "%(hash)s"\n'
                    'allow_unencrypted_plain_auth = false\n%(t)s'
                    'VirtualHost "%(h)s"\n'
                    % {"d": data, "f": self.folder, "p": PORT, "t": tls, "h": DOMAIN,
                       "dt": DIRECT_TLS_PORT if cert else "", "hash": "SHA-1" if sha1 else "SHA-256"})
        return path

    def add_user(self, config, user, password):
        subprocess.run(["runuser", "-u", "prosody", "--", "prosodyctl", "--config", config,
                        "adduser", "%s@%s" % (user, DOMAIN)], input="%s\n%s\n" % (password, password),
                       text=True, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)

    def start(self, config):
        self.stop()
        self.process = spawn(["runuser", "-u", "prosody", "--", "prosody", "--config", config, "-F"])
        wait_for(lambda: listening(PORT) or self.process.poll() is not None, what="Prosody")
        if self.process.poll() is not None:
            raise AssertionError("Prosody ended at start: %s" % self.log())

    def stop(self):
        if self.process:
            stop_group(self.process)
            self.process = None
            wait_for(lambda: not listening(PORT), what="Prosody's port to close")

    def log(self):
        return "".join(open(os.path.join(self.folder, n)).read()[-3000:]
                       for n in ("prosody.log", "prosody.err")
                       if os.path.exists(os.path.join(self.folder, n)))


def spawn(args, **kw):
    """A process in a session (and process group) of its own, for stop_group."""
    return subprocess.Popen(args, stdin=kw.pop("stdin", subprocess.DEVNULL),
                            stdout=kw.pop("stdout", subprocess.DEVNULL),
                            stderr=subprocess.DEVNULL, start_new_session=True, **kw)


def stop_group(process):
    """Ends a process from spawn and everything in its group."""
    def group_alive():
        try:
            return os.killpg(process.pid, 0) is None
        except ProcessLookupError:
            return False
    for sig in (signal.SIGTERM, signal.SIGKILL):
        if group_alive() or process.poll() is None:
            with contextlib.suppress(ProcessLookupError):
                os.killpg(process.pid, sig)
            with contextlib.suppress(subprocess.TimeoutExpired):
                process.wait(timeout=5)
    process.wait(timeout=5)
    wait_for(lambda: not group_alive(), timeout=5, what="process group %d to end" % process.pid)


class Relay:
    """Passes a connection from RELAY_PORT to Prosody, keeping what the client sent, so that a
    test can see what left the client before it gave up. At most 1 MiB is kept."""

    def __init__(self):
        self.sent = bytearray()
        self.server = socket.create_server(("127.0.0.1", RELAY_PORT))
        self.threads = [threading.Thread(target=self._accept, daemon=True)]
        self.threads[0].start()

    def _accept(self):
        with contextlib.suppress(OSError):
            self._pass(self.server.accept()[0])

    def _pass(self, client):
        upstream = socket.create_connection(("127.0.0.1", PORT))
        self.sockets = (client, upstream)
        for a, b, keep in ((client, upstream, True), (upstream, client, False)):
            self.threads.append(threading.Thread(target=self._pump, args=(a, b, keep), daemon=True))
            self.threads[-1].start()

    def _pump(self, a, b, keep):
        with contextlib.suppress(OSError):
            while data := a.recv(65536):
                if keep and len(self.sent) < 1 << 20:
                    self.sent += data
                b.sendall(data)
        for s in (a, b):
            with contextlib.suppress(OSError):
                s.shutdown(socket.SHUT_RDWR)

    def close(self):
        self.server.close()
        for s in getattr(self, "sockets", ()):
            s.close()
        for t in self.threads:
            t.join(timeout=5)

    def application_data_after_starttls(self):
        """The TLS records of type application data the client sent after STARTTLS."""
        data = bytes(self.sent)
        start = data.find(b"<starttls")
        if start < 0:
            return None
        i, count = data.index(b"/>", start) + 2, 0
        while i + 5 <= len(data):
            kind, length = data[i], int.from_bytes(data[i + 3:i + 5], "big")
            count += kind == 23
            i += 5 + length
        return count


class Wine:
    """A Wine prefix of the level's own, copied from a pristine one made once, in which the
    test authority is the only one added; its session (Xvfb, wineserver) ends with stop()."""

    def __init__(self, folder):
        base = os.path.join(BUILD, "network-base")
        os.makedirs(base, exist_ok=True)
        if not os.path.exists(os.path.join(base, "wineprefix", ".gb-ready")):
            self._session(base, "--session-start")
            self._session(base, "--session-stop")
        self.build = os.path.join(folder, "wine")
        os.makedirs(self.build)
        shutil.copytree(os.path.join(base, "wineprefix"), os.path.join(self.build, "wineprefix"),
                        symlinks=True)
        self.clients = []
        self._session(self.build, "--session-start")
        at_end(self.stop)
        out = subprocess.run([WINE_RUN, "--env"], env=dict(os.environ, GB_BUILD_DIR=self.build),
                             capture_output=True, text=True, check=True).stdout
        parts = (p.split("=", 1) for p in out.replace("export ", "").split() if "=" in p)
        self.env = dict(os.environ, **{k: v.strip("'") for k, v in parts})
        self.folder = folder

    def _session(self, build, what):
        subprocess.run([WINE_RUN, what], env=dict(os.environ, GB_BUILD_DIR=build), check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)

    def run(self, *args, stdin=""):
        """Runs netclient.exe to its end; its exit code."""
        with tempfile.TemporaryFile() as out:
            return subprocess.run(NETCLIENT + list(args),
                                  env=self.env, input=stdin.encode(), stdout=out,
                                  stderr=subprocess.DEVNULL, timeout=60).returncode

    def start(self, exe, *args):
        """A program of the build's bin folder in the background, stopped at the level's end."""
        p = spawn(["wine", os.path.join(BUILD, "bin", exe), *args], env=self.env)
        at_end(stop_group, p)
        return p

    def wine(self, *args):
        """A Wine command (reg, regsvr32, taskkill, ...) to its end; its output."""
        return subprocess.run(["wine", *args], env=self.env, capture_output=True, text=True,
                              timeout=120).stdout

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True,
                              text=True, timeout=30).stdout

    def pixels(self, x, y, width, height):
        """The screen's pixels in a rectangle, as rows of (r, g, b)."""
        data = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" %
                               (width, height, x, y), "-depth", "8", "rgb:-"], env=self.env,
                              capture_output=True, timeout=30, check=True).stdout
        return [[tuple(data[k:k + 3]) for k in range(3 * width * j, 3 * width * (j + 1), 3)]
                for j in range(height)]

    def client(self, address, port=PORT, direct_tls=False):
        c = NetClient(self, address, port, direct_tls)
        self.clients.append(c)
        return c

    def stop(self):
        for c in self.clients:
            c.stop()
        self._session(self.build, "--session-stop")


class Output:
    """A program under Wine in the background, its standard output kept in a file; its lines as
    they come."""

    def __init__(self, wine, name, args):
        self.path = os.path.join(wine.folder, name + ".out")
        self.out = open(self.path, "wb")
        self.process = spawn(["wine", *args], env=wine.env, stdin=subprocess.PIPE, stdout=self.out)

    def lines(self):
        with open(self.path, "rb") as f:
            return [l.decode("utf-8", "replace").rstrip("\r") for l in f.read().split(b"\n") if l]

    def wait(self, part, timeout=30):
        """The lines holding `part` once there is one."""
        try:
            return wait_for(lambda: [l for l in self.lines() if part in l], timeout=timeout,
                            what="%r" % part)
        except AssertionError as e:
            raise AssertionError("%s; it printed %r" % (e, self.lines())) from None

    def stop(self):
        stop_group(self.process)
        self.out.close()


class NetClient(Output):
    """netclient.exe signed in (or trying to)."""

    def __init__(self, wine, address, port, direct_tls):
        super().__init__(wine, "client-%d" % len(wine.clients), NETCLIENT[1:] + [
            "signin", address, "127.0.0.1", str(port)] + (["tls"] if direct_tls else []))

    def say(self, line):
        self.process.stdin.write((line + "\n").encode("utf-8"))
        self.process.stdin.flush()

    def stop(self):
        if self.process.poll() is None:
            with contextlib.suppress(OSError, subprocess.TimeoutExpired):
                self.say("quit")
                self.process.wait(timeout=10)
        super().stop()


class Buddy:
    """A Linux-side account signed in with slixmpp, on an event loop of its own thread."""

    def __init__(self, user, ca_file):
        self.messages = queue.Queue()
        self.loop = asyncio.new_event_loop()
        ready = threading.Event()

        def main():
            asyncio.set_event_loop(self.loop)
            self.xmpp = slixmpp.ClientXMPP("%s@%s" % (user, DOMAIN), ACCOUNTS[user])
            self.xmpp.ca_certs = ca_file
            self.xmpp.add_event_handler("session_start", lambda _: (self.xmpp.send_presence(),
                                                                     ready.set()))
            self.xmpp.add_event_handler("message", lambda m: self.messages.put(
                (m["from"].bare, m["body"])))
            self.xmpp.connect(address=("127.0.0.1", PORT))
            self.loop.run_forever()

        self.thread = threading.Thread(target=main, daemon=True)
        self.thread.start()
        if not ready.wait(20):
            self.stop()
            raise AssertionError("%s did not sign in" % user)

    def send(self, to, body, colour=None, font=None):
        """A chat message; with `colour` ("#rrggbb") or `font` (a family) also its XHTML-IM form
        in them."""
        def go():
            m = self.xmpp.make_message(mto=to, mbody=body, mtype="chat")
            style = "; ".join(["color: %s" % colour] * bool(colour) +
                              ["font-family: %s" % font] * bool(font))
            if style:
                m.append(ET.fromstring(
                    '<html xmlns="http://jabber.org/protocol/xhtml-im"><body xmlns='
                    '"http://www.w3.org/1999/xhtml"><span style="%s">%s</span></body>'
                    '</html>' % (escape(style, {'"': "&quot;"}), escape(body))))
            m.send()
        self.loop.call_soon_threadsafe(go)

    def stop(self):
        async def end():
            self.xmpp.disconnect()
            await asyncio.sleep(0.2)
            for task in asyncio.all_tasks():
                if task is not asyncio.current_task():
                    task.cancel()
            self.loop.stop()
        if self.loop.is_running():
            asyncio.run_coroutine_threadsafe(end(), self.loop)
        self.thread.join(timeout=5)


def write_roster(data, user, contacts):
    """A mutual subscription with each contact, written where Prosody's internal storage keeps
    rosters (the host's name with its dot encoded)."""
    folder = os.path.join(data, DOMAIN.replace(".", "%2e"), "roster")
    os.makedirs(folder, exist_ok=True)
    items = "".join('\t["%s@%s"] = { ["subscription"] = "both"; ["groups"] = {}; '
                    '["name"] = "%s"; };\n' % (c, DOMAIN, name) for c, name in contacts)
    path = os.path.join(folder, user + ".dat")
    with open(path, "w") as f:
        f.write('return {\n%s\t[false] = { ["version"] = 1; };\n};\n' % items)
    subprocess.run(["chown", "-R", "prosody:prosody", data], check=True)


def setting():
    """The level's setting, once per module: the authorities and certificates, Prosody with a
    configuration for each case (stopped), the accounts with their rosters, and a Wine prefix
    that trusts the test authority and holds the passwords of juliet and of nurse (a wrong one).
    Skips unless run with only loopback."""
    if not only_loopback():
        raise unittest.SkipTest("run inside a network namespace with only loopback (unshare -n)")
    unittest.addModuleCleanup(end_all)
    folder = tempfile.mkdtemp(prefix="gb-network-")
    at_end(shutil.rmtree, folder, True)
    os.chmod(folder, 0o755)
    make_cert(folder, "ca", "ca")
    make_cert(folder, "stranger", "stranger")
    make_cert(folder, "good", DOMAIN, "ca")
    make_cert(folder, "othername", "other.test", "ca")
    make_cert(folder, "untrusted", DOMAIN, "stranger")
    prosody = Prosody(folder)
    at_end(prosody.stop)
    configs = {name: prosody.config(name, cert) for name, cert in
               (("good", "good"), ("othername", "othername"), ("untrusted", "untrusted"),
                ("plain", None))}
    configs["sha1"] = prosody.config("sha1", "good", sha1=True)
    subprocess.run(["chown", "-R", "prosody:prosody", folder], check=True)
    for user, password in ACCOUNTS.items():
        prosody.add_user(configs["good"], user, password)
    prosody.add_user(configs["sha1"], "juliet", ACCOUNTS["juliet"])
    write_roster(prosody.data, "juliet", [("romeo", "Romeo"), ("nurse", "Nurse")])
    write_roster(prosody.data, "romeo", [("juliet", "Juliet")])
    write_roster(prosody.data, "nurse", [("juliet", "Juliet")])
    wine = Wine(folder)
    assert wine.run("trust", os.path.join(folder, "ca.der")) == 0
    assert wine.run("store", "juliet@" + DOMAIN, stdin=ACCOUNTS["juliet"] + "\n") == 0
    assert wine.run("store", "nurse@" + DOMAIN, stdin="not-her-password\n") == 0
    return dict(folder=folder, prosody=prosody, configs=configs, wine=wine,
                ca=os.path.join(folder, "ca.pem"))
