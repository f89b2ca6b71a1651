"""The messenger's figures under Wine against a real Prosody on loopback, printed one a line:
a message's way from the Linux-side client to the bar (median and 95th percentile over 50),
sign-in with a roster of 1,000 contacts, the messenger's share of a core signed in and idle
beside an idle Win32 program, and its memory with those contacts. It uses the network level's
setting (tests/network/harness.py) and stops everything it starts, also on failure. Needs root
(Prosody runs as its own user) and a built win32 preset; it runs itself in a network namespace
with only loopback.

    bench/messenger_bench.py [MESSAGES [IDLE_SECONDS [SIGN_INS]]]
"""
import contextlib
import os
import queue
import random
import statistics
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
NETWORK = os.path.join(HERE, "..", "tests", "network")


def in_own_namespace():
    """Runs this script again in a network namespace whose one interface is loopback."""
    script = 'ip link set lo up && exec /usr/bin/python3 "$0" "$@"'
    os.execvp("unshare", ["unshare", "-n", "--", "bash", "-c", script, os.path.abspath(__file__),
                          *sys.argv[1:]])


sys.path.insert(0, NETWORK)  # the network level's harness, by its folder
import harness as h  # noqa: E402
ME = "juliet@" + h.DOMAIN
ACCOUNT = r"HKCU\Software\Glidebanner\Messenger"
# The bar's accessible value read every this many milliseconds (gbinfo lines TITLE MS).
POLL_MS = 1


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, max(0, round(p / 100 * len(ordered) + 0.5) - 1))]


class StampedLines:
    """The bar's lines (its accessible value as gbinfo reads it), each with the moment it
    arrived here."""

    def __init__(self, wine):
        self.process = h.spawn(["wine", os.path.join(h.BUILD, "bin", "gbinfo.exe"), "lines",
                                "Glidebanner", str(POLL_MS)], env=wine.env, stdout=subprocess.PIPE)
        h.at_end(h.stop_group, self.process)
        self.lines = queue.Queue()
        self.seen = []
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.process.stdout:
            line = raw.decode("utf-8", "replace").rstrip("\r\n")
            self.seen.append(line)
            self.lines.put((time.monotonic(), line))

    def wait(self, part, timeout=30):
        end = time.monotonic() + timeout
        while True:
            try:
                at, line = self.lines.get(timeout=max(0.01, end - time.monotonic()))
            except queue.Empty:
                raise AssertionError("%r never showed on the bar; it showed %r"
                                     % (part, self.seen[-5:])) from None
            if part in line:
                return at

    def stop(self):
        h.stop_group(self.process)


class StampedRelay(h.Relay):
    """The harness's relay, which also notes when the client connected."""

    accepted = None

    def _accept(self):
        with contextlib.suppress(OSError):
            client = self.server.accept()[0]
            self.accepted = time.monotonic()
            self._pass(client)


def linux_pid(wine, name):
    """The Linux process that runs the Windows program `name` in this level's prefix."""
    prefix = "WINEPREFIX=" + wine.env["WINEPREFIX"]
    found = subprocess.run(["pgrep", "-x", name], capture_output=True, text=True).stdout.split()
    for pid in found:
        with contextlib.suppress(OSError):
            with open("/proc/%s/environ" % pid, "rb") as f:
                if prefix.encode() in f.read().split(b"\0"):
                    return int(pid)
    return None


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def status_kb(pid, key):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    return 0


class Bench:
    def __init__(self):
        self.s = h.setting()
        self.wine, self.prosody = self.s["wine"], self.s["prosody"]
        self.wine.wine("regsvr32", "/s", os.path.join(h.BUILD, "bin", "msgrsim.dll"))
        self.wine.wine("reg", "add", r"HKCU\Software\Glidebanner", "/v", "Version", "/d", "1.1",
                       "/f")
        self.account(h.PORT)
        self.bar = self.lines = None

    def account(self, port, address=True):
        for name, kind, value in (("Address", "REG_SZ", ME), ("Server", "REG_SZ", "127.0.0.1"),
                                  ("Port", "REG_DWORD", str(port)),
                                  ("SignInAtStart", "REG_DWORD", "1")):
            if name != "Address" or address:
                self.wine.wine("reg", "add", ACCOUNT, "/v", name, "/t", kind, "/d", value, "/f")
        if not address:
            self.wine.wine("reg", "delete", ACCOUNT, "/v", "Address", "/f")

    def msgrctl(self, *args):
        return self.wine.wine(os.path.join(h.BUILD, "bin", "msgrctl.exe"), *args)

    def signed_in(self, contacts):
        """True when the bar's stand-in says the user is online with that many contacts."""
        out = self.msgrctl("show")
        listed = sum(1 for line in out.splitlines() if line.startswith("  ") and "@" in line
                     and not line.lstrip().startswith("("))
        return "status: online" in out and listed >= contacts

    def start_bar(self):
        self.bar = self.wine.start("glidebanner.exe")
        self.lines = StampedLines(self.wine)
        h.wait_for(lambda: self.wine.xdotool("search", "--onlyvisible", "--name",
                                             "^Glidebanner$").split(), timeout=90,
                   what="the bar")
        h.wait_for(lambda: "status:" in self.msgrctl("show"), timeout=90,
                   what="the bar's stand-in")

    def stop_bar(self):
        self.wine.wine("taskkill", "/f", "/im", "gbmessenger.exe")
        h.wait_for(lambda: linux_pid(self.wine, "gbmessenger.exe") is None,
                   what="the messenger gone")
        h.stop_group(self.bar)
        self.lines.stop()

    def buddy(self, user):
        b = h.Buddy(user, self.s["ca"])
        h.at_end(b.stop)
        return b

    # -------------------------------------------------------------------- message latency
    def latency(self, count):
        self.prosody.start(self.s["configs"]["good"])
        self.start_bar()  # its stand-in starts the messenger with the stored account
        h.wait_for(lambda: self.signed_in(1), what="the messenger signed in")
        time.sleep(5.5)  # past the sign-in's window, so that romeo's sign-in is a line
        romeo = self.buddy("romeo")
        self.lines.wait("romeo has signed in")
        sent = {}

        def send(text):
            m = romeo.xmpp.make_message(mto=ME, mbody=text, mtype="chat")
            sent[text] = time.monotonic()
            m.send()

        delays = []
        for i in range(count):
            text = "latency probe %03d" % i
            romeo.loop.call_soon_threadsafe(send, text)
            shown = self.lines.wait(text)
            delays.append(1000 * (shown - sent[text]))
            # Not in step with the bar's display tick nor the messenger's timers.
            time.sleep(random.uniform(0.1, 0.3))
        one_contact = self.memory()
        romeo.stop()
        self.stop_bar()
        return delays, one_contact

    # -------------------------------------------------------------------- sign-in
    def roster(self, size):
        """juliet's roster of `size`: romeo and nurse, online when she signs in, and others
        without accounts."""
        self.prosody.stop()
        others = [("friend%04d" % i, "Friend %d" % i) for i in range(size - 2)]
        h.write_roster(self.prosody.data, "juliet", [("romeo", "Romeo"), ("nurse", "Nurse")]
                       + others)
        h.write_roster(self.prosody.data, "nurse", [("juliet", "Juliet")])
        self.prosody.start(self.s["configs"]["good"])
        return [self.buddy("romeo"), self.buddy("nurse")]

    def sign_in(self, size, romeo):
        """One sign-in with a fresh bar: the moments from the messenger's start."""
        self.account(h.RELAY_PORT, address=False)  # the bar attaches; no messenger yet
        self.start_bar()
        self.account(h.RELAY_PORT)
        relay = StampedRelay()
        h.at_end(relay.close)
        heard = []

        def presence(p):
            if p["from"].bare == ME and p["type"] in ("available", "chat", "away", "xa", "dnd"):
                heard.append(time.monotonic())
        romeo.loop.call_soon_threadsafe(romeo.xmpp.add_event_handler, "presence", presence)
        time.sleep(0.2)
        started = time.monotonic()
        self.wine.start("gbmessenger.exe")
        # Each look at the stand-in is one msgrctl run: the moment lies within the last one.
        polls, done = [], False
        while not done:
            before = time.monotonic()
            done = self.signed_in(size)
            polls.append((before, time.monotonic()))
            if not done and before - started > 60:
                raise AssertionError("not signed in with %d contacts after 60 s" % size)
        on_bar = polls[-1]
        h.wait_for(lambda: heard, timeout=10, what="juliet's presence at romeo")
        romeo.loop.call_soon_threadsafe(romeo.xmpp.del_event_handler, "presence", presence)
        # Past the sign-in's window: presences that came with it make no line.
        time.sleep(6)
        sign_in_lines = [l for l in self.lines.seen if "signed in" in l]
        return dict(connected=relay.accepted - started, presence=heard[0] - started,
                    bar_from=on_bar[0] - started, bar_to=on_bar[1] - started,
                    poll=statistics.median(b - a for a, b in polls), lines=sign_in_lines,
                    relay=relay)

    # -------------------------------------------------------------------- idle and memory
    def idle(self, seconds):
        """Shares of one core over `seconds`, once the bar's strip is at rest (its process
        takes no tick for 4 s; at most 2 minutes of waiting). The observer of the bar's lines
        stops first: its reads are calls into the bar."""
        self.lines.stop()
        bar = linux_pid(self.wine, "glidebanner.exe")
        end, rested = time.monotonic() + 120, False
        while not rested and time.monotonic() < end:
            before = cpu_seconds(bar)
            time.sleep(4)
            rested = cpu_seconds(bar) == before
        reference = self.wine.start("bench_idle.exe")
        time.sleep(3)
        pids = {name: linux_pid(self.wine, name) for name in
                ("gbmessenger.exe", "glidebanner.exe", "bench_idle.exe")}
        pids["wineserver"] = linux_pid(self.wine, "wineserver64") or linux_pid(self.wine,
                                                                               "wineserver")
        before = {name: cpu_seconds(pid) for name, pid in pids.items()}
        time.sleep(seconds)
        after = {name: cpu_seconds(pid) for name, pid in pids.items()}
        h.stop_group(reference)
        used = {name: after[name] - before[name] for name in pids}
        return used, rested

    def memory(self):
        """The messenger's memory from /proc (Wine reports no private bytes: gbinfo's private
        column stays 0), and its GDI objects and windows as gbinfo counts them."""
        out = self.wine.wine(os.path.join(h.BUILD, "bin", "gbinfo.exe"), "resources",
                             "gbmessenger.exe").split()
        fields = dict(zip(out[::2], out[1::2]))
        pid = linux_pid(self.wine, "gbmessenger.exe")
        return dict(gdi=fields.get("gdi", "?"), windows=fields.get("windows", "?"),
                    **{key: status_kb(pid, key) for key in ("VmRSS", "RssAnon", "VmData")})


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 50
    idle_seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 60
    sign_ins = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    if not h.only_loopback():
        in_own_namespace()
    bench = Bench()
    try:
        delays, small = bench.latency(count)
        median, p95 = statistics.median(delays), percentile(delays, 95)
        print("message on the bar (its accessible value, read every %d ms): median %.1f ms, "
              "95th percentile %.1f ms, min %.1f ms, max %.1f ms (%d messages)"
              % (POLL_MS, median, p95, min(delays), max(delays), len(delays)), flush=True)
        print("message painted, when the strip has room for it (the next display tick, every "
              "100 ms, draws it): median at most %.1f ms, 95th percentile at most %.1f ms"
              % (median + 100, p95 + 100), flush=True)
        size = 1000
        romeo, _ = bench.roster(size)
        runs = []
        for run in range(sign_ins):
            if run:
                bench.stop_bar()
                runs[-1]["relay"].close()
            runs.append(bench.sign_in(size, romeo))
            r = runs[-1]
            print("sign-in with %d contacts, run %d: connected %.2f s after the start, "
                  "juliet's presence at romeo %.2f s, on the bar (online, %d contacts) %.2f to "
                  "%.2f s (msgrctl show takes %.2f s); sign-in lines on the bar: %d"
                  % (size, run + 1, r["connected"], r["presence"], size, r["bar_from"],
                     r["bar_to"], r["poll"], len(r["lines"])), flush=True)
        # The last messenger stays signed in through the relay's connection.
        print("sign-in with %d contacts: median from the connection to juliet's presence at "
              "romeo %.2f s, to online on the bar at most %.2f s; from the start at most %.2f s"
              % (size, statistics.median(r["presence"] - r["connected"] for r in runs),
                 statistics.median(r["bar_to"] - r["connected"] for r in runs),
                 statistics.median(r["bar_to"] for r in runs)), flush=True)
        used, rested = bench.idle(idle_seconds)
        share = {name: 100 * cpu / idle_seconds for name, cpu in used.items()}
        print("idle, signed in with %d contacts, %d s: messenger %.2f %% of one core (%.0f ms "
              "of CPU; /proc counts in %.0f ms steps), idle reference program %.2f %%, bar (%s) "
              "%.2f %%, wineserver %.2f %%"
              % (size, idle_seconds, share["gbmessenger.exe"], 1000 * used["gbmessenger.exe"],
                 1000 / os.sysconf("SC_CLK_TCK"), share["bench_idle.exe"],
                 "strip at rest" if rested else "strip still moving", share["glidebanner.exe"],
                 share["wineserver"]), flush=True)
        big = bench.memory()
        for what, m in (("1 contact, after the messages", small), ("%d contacts" % size, big)):
            print("messenger memory with %s: VmRSS %d kB, RssAnon %d kB, VmData %d kB, "
                  "GDI objects %s, windows %s" % (what, m["VmRSS"], m["RssAnon"], m["VmData"],
                                                 m["gdi"], m["windows"]), flush=True)
    finally:
        h.end_all()


if __name__ == "__main__":
    main()
