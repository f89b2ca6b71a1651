"""The bar as its end-to-end tests see it: the real glidebanner.exe with the stand-in messenger
registered machine-wide in the test prefix, started from a clean settings key, driven with real
mouse and key input, and ended through its own menu."""
import os
import re
import subprocess

import harness

KEY = r"HKCU\Software\Glidebanner"
TITLE = "Glidebanner"
SCREEN_W, SCREEN_H = 1024, 768


def _regsvr32(*args, check=True):
    # Not through a pipe: the first Wine program of a session starts Wine's own services,
    # which inherit its output and would hold a pipe open long after regsvr32 has ended.
    subprocess.run(["wine", "regsvr32", "/s", *args, harness.exe("msgrsim.dll")], env=harness.ENV,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120, check=check)


def register_standin():
    _regsvr32()


def unregister_standin():
    _regsvr32("/u", check=False)


def msgrctl(*args, check=True):
    return harness.wine(harness.exe("msgrctl.exe"), *args, check=check)


def processes(name):
    """Process ids of programs of this name running in the test prefix (other prefixes on the
    machine are not ours)."""
    prefix = harness.ENV.get("WINEPREFIX", "").encode()
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/comm" % pid, "rb") as f:
                if f.read().strip() != name.encode()[:15]:
                    continue
            with open("/proc/%s/environ" % pid, "rb") as f:
                if b"WINEPREFIX=" + prefix in f.read().split(b"\0"):
                    found.append(int(pid))
        except OSError:
            continue
    return found


def work_area():
    """(left, top, right, bottom) of the desktop work area as a Windows program reads it."""
    out = harness.wine(harness.exe("gbinfo.exe"), "workarea").stdout.split()
    return tuple(int(v) for v in out)


def foreground():
    """The title of the window Windows has in the foreground."""
    return harness.wine(harness.exe("gbinfo.exe"), "front").stdout.strip()


def settings():
    """Every stored value under the program's key, as text."""
    r = harness.wine("reg", "query", KEY, check=False)
    values = {}
    for line in r.stdout.splitlines():
        m = re.match(r"\s+(\S+)\s+REG_SZ\s*(.*)$", line)
        if m:
            values[m.group(1)] = m.group(2)
    return values


def windows_titled(title):
    """Visible windows titled exactly so (xdotool takes an extended regular expression)."""
    return harness.find_windows(re.sub(r"([.^$*+?()\[\]{}|\\])", r"\\\1", title))


def key(*keys, window=None):
    args = ["xdotool", "key"]
    if window is not None:
        args += ["--window", str(window)]
    harness.run(args + list(keys))


def red_columns(rows, colour, tolerance=60):
    """The x offsets of the columns of a pixel block that hold the colour."""
    xs = set()
    for row in rows:
        for x, (r, g, b) in enumerate(row):
            if abs(r - colour[0]) + abs(g - colour[1]) + abs(b - colour[2]) <= tolerance:
                xs.add(x)
    return sorted(xs)


class BarTestCase(harness.WineTestCase):
    """Each test starts from a clean settings key and leaves no key and no process behind.
    The module registers the stand-in once (register_standin in setUpModule) and removes it
    at its end."""

    def setUp(self):
        super().setUp()
        harness.reg_delete_key(KEY)
        self.bar = None

    def tearDown(self):
        super().tearDown()
        # What the test's program stored goes with it.
        harness.reg_delete_key(KEY)

    # Start-up -----------------------------------------------------------------------------

    def start_bar(self):
        self.bar = self.start(harness.exe("glidebanner.exe"))
        self.bar_window = harness.wait_for(lambda: windows_titled(TITLE), what="the bar")[0]
        return self.bar

    def welcome(self, timeout=20):
        return harness.wait_for(lambda: windows_titled("Welcome"), timeout=timeout,
                                what="the welcome box")[0]

    def dismiss_welcome(self):
        """No to the first box, OK to the second."""
        first = self.welcome()
        key("n", window=first)
        harness.wait_for(lambda: first not in windows_titled("Welcome"), what="first box gone")
        second = self.welcome()
        key("Return", window=second)
        harness.wait_for(lambda: not windows_titled("Welcome"), what="second box gone")

    def start_ready_bar(self):
        self.start_bar()
        self.dismiss_welcome()
        return self.geometry()

    def geometry(self):
        return harness.window_geometry(self.bar_window)

    # The menu -----------------------------------------------------------------------------

    def open_menu(self):
        x, y, w, h = self.geometry()
        cx = x + w - 2 - 7
        # The menu opens at the pointer, to its left at the screen's right edge and to its
        # right elsewhere: either way it covers a few columns around it below the bar.
        below = lambda: harness.pixels(cx - 5, y + h + 4, 10, 20)
        before = below()
        harness.click(cx, y + 2 + 7)
        harness.wait_for(lambda: below() != before, what="the menu open")

    def choose(self, access_key):
        key(access_key)

    def exit_bar(self, timeout=30):
        self.open_menu()
        self.choose("x")
        self.bar.wait(timeout=timeout)

    # Strip pixels -------------------------------------------------------------------------

    def columns_of(self, colour):
        x, y, w, h = self.geometry()
        rows = harness.pixels(x, y + 2, w - 20, h - 4)
        return [x + c for c in red_columns(rows, colour)]

    def wait_for_standin(self):
        """Until the bar has attached to the stand-in: a bar that missed the messenger at load
        attaches on its next retry."""
        harness.wait_for(lambda: msgrctl("show", check=False).returncode == 0, timeout=40,
                         interval=1.0, what="the bar to attach to the stand-in")

    def text(self, sender, message, colour_hex, *extra):
        self.wait_for_standin()
        msgrctl("text", sender, message, "--nick", sender.split("@")[0].title(), "--header",
                "FN=Arial; EF=; CO=%s; CS=0; PF=22" % colour_hex, *extra)
