"""Drives the build's Windows programs under Wine and Xvfb from outside, as a user would: real
input through xdotool, the screen's pixels through ImageMagick, the registry through `wine reg`
and what Windows itself sees through gbinfo, inside the ctest Wine session (one Xvfb, one
wineserver). Everything a test starts is ended when it finishes."""
import os
import re
import subprocess
import tempfile
import time
import unittest

BUILD = os.environ["GB_BUILD_DIR"]
KEY = r"HKCU\Software\Glidebanner"
TITLE = "Glidebanner"
SCREEN_W = 1024


def _session_env():
    top = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    out = subprocess.run([os.path.join(top, "scripts", "wine-run"), "--env"], capture_output=True,
                         text=True, check=True).stdout
    parts = (part.split("=", 1) for part in out.replace("export ", "").split() if "=" in part)
    return dict(os.environ, **{k: v.strip("'") for k, v in parts})


ENV = _session_env()


def run(args, timeout=60, check=True):
    """Runs a Linux command in the session's environment (DISPLAY, WINEPREFIX). Its output goes
    through a file: a Wine command may start a service that inherits it and outlives the
    command, and would hold a pipe open."""
    with tempfile.TemporaryFile() as out:
        r = subprocess.run(args, env=ENV, stdout=out, stderr=subprocess.DEVNULL,
                           stdin=subprocess.DEVNULL, timeout=timeout, check=check)
        out.seek(0)
        r.stdout = out.read().decode("utf-8", "replace")
    return r


def wine(*args, timeout=60, check=True):
    return run(["wine", *args], timeout=timeout, check=check)


def exe(name):
    """A program or DLL of the build: every one lands in build/<preset>/bin."""
    return os.path.join(BUILD, "bin", name)


def xdotool(*args):
    run(["xdotool", *map(str, args)])


def wait_for(predicate, timeout=20.0, interval=0.1, what="condition"):
    """Until predicate() answers something; returns that answer."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))


def wait_still(get, what, interval=0.2):
    """Until get() answers the same, and something, twice running; returns that answer."""
    last = [None]

    def still():
        now = get()
        same, last[0] = now == last[0], now
        return same and now
    return wait_for(still, timeout=30, interval=interval, what=what)


def windows(title):
    """X window ids of the visible windows titled exactly so."""
    pattern = "^%s$" % re.sub(r"([.^$*+?()\[\]{}|\\])", r"\\\1", title)
    return [int(w) for w in run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                                check=False).stdout.split()]


def window_geometry(window_id):
    """(x, y, width, height) of an X window on the screen."""
    out = run(["xdotool", "getwindowgeometry", "--shell", str(window_id)]).stdout
    g = dict(line.split("=", 1) for line in out.split())
    return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])


def pixels(x, y, width, height):
    """The screen's pixels in a rectangle, as rows of (r, g, b)."""
    data = subprocess.run(["import", "-window", "root", "-crop",
                           "%dx%d+%d+%d" % (width, height, x, y), "-depth", "8", "rgb:-"],
                          env=ENV, capture_output=True, timeout=30, check=True).stdout
    return [[tuple(data[k:k + 3]) for k in range(3 * width * j, 3 * width * (j + 1), 3)]
            for j in range(height)]


def click(x, y):
    xdotool("mousemove", x, y, "click", 1)


def key(*keys, window=None):
    xdotool("key", *(["--window", window] if window else []), *keys)


def drag(x0, y0, x1, y1, modifiers=(), steps=10):
    """Presses at (x0, y0), moves in steps to (x1, y1) and releases, holding the keys."""
    xdotool(*[a for k in modifiers for a in ("keydown", k)], "mousemove", x0, y0, "mousedown", 1)
    for s in range(1, steps + 1):
        xdotool("mousemove", x0 + (x1 - x0) * s // steps, y0 + (y1 - y0) * s // steps)
        time.sleep(0.03)
    xdotool("mouseup", 1, *[a for k in modifiers for a in ("keyup", k)])


def foreground():
    """The title of the window Windows has in the foreground."""
    return wine(exe("gbinfo.exe"), "front").stdout.strip()


def controls(title):
    """The windows inside the visible window of this title as Windows has them: (class, id,
    flags, text), flags holding "v" visible, "e" enabled, "c" checked."""
    out = wine(exe("gbinfo.exe"), "controls", title).stdout
    return [tuple(line.split("\t", 3)) for line in out.splitlines()]


def registry(key):
    """The values under a registry key as text, by any name ("(Default)" too); None without it."""
    r = wine("reg", "query", key, check=False)
    return None if r.returncode else dict(
        re.findall(r"(?m)^[ \t]+(\S.*?)[ \t]+REG_\w+[ \t]*(.*?)\s*$", r.stdout))


def open_menu(bar_window):
    """Clicks the bar's menu button; returns once the menu covers the screen below the bar."""
    x, y, w, h = window_geometry(bar_window)
    # The menu opens at the pointer, to either side of it: a few columns around it change.
    below = lambda: pixels(x + w - 14, y + h + 4, 10, 20)
    before = below()
    click(x + w - 9, y + 9)
    wait_for(lambda: below() != before, what="the menu open")


class WineTestCase(unittest.TestCase):
    def start(self, exe_path, *args):
        """Starts a Windows program in the background, ended when the test is done."""
        log = open(os.path.join(BUILD, "e2e-%s.log" % os.path.basename(exe_path)), "w")
        p = subprocess.Popen(["wine", exe_path, *args], env=ENV, stdout=log,
                             stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                             start_new_session=True)
        self.addCleanup(log.close)
        self.addCleanup(p.wait, 10)
        self.addCleanup(p.kill)
        return p


class BarTestCase(WineTestCase):
    """The real bar with the stand-in registered machine-wide, each test from a clean key."""

    @classmethod
    def setUpClass(cls):
        wine("regsvr32", "/s", exe("msgrsim.dll"), timeout=120)

    @classmethod
    def tearDownClass(cls):
        wine("regsvr32", "/s", "/u", exe("msgrsim.dll"), timeout=120, check=False)

    def setUp(self):
        wine("reg", "delete", KEY, "/f", check=False)
        self.addCleanup(wine, "reg", "delete", KEY, "/f", check=False)

    def start_bar(self):
        """Starts the bar and answers its welcome, which comes once the bar has slid in: No to
        the first box, OK to the second that follows. Returns the bar's place."""
        self.bar = self.start(exe("glidebanner.exe"))
        self.bar_window = wait_for(lambda: windows(TITLE), what="the bar")[0]
        first = wait_for(lambda: windows("Welcome"), what="the welcome box")[0]
        self.assertEqual(self.geometry()[0], 0)
        key("n", window=first)
        second = wait_for(lambda: [w for w in windows("Welcome") if w != first],
                          what="the second box")[0]
        key("Return", window=second)
        wait_for(lambda: not windows("Welcome"), what="the boxes gone")
        return self.geometry()

    def geometry(self):
        return window_geometry(self.bar_window)

    def exit_bar(self):
        open_menu(self.bar_window)
        key("x")
        self.bar.wait(timeout=30)

    def stored(self, *names):
        values = registry(KEY) or {}
        return tuple(values.get(n) for n in names)

    def columns_of(self, colour, tolerance=60):
        """The screen x of the bar's columns that show the colour."""
        x, y, w, h = self.geometry()
        return sorted({x + i for row in pixels(x, y + 2, w - 20, h - 4)
                       for i, p in enumerate(row)
                       if sum(abs(a - b) for a, b in zip(p, colour)) <= tolerance})

    def text(self, sender, message, colour_hex):
        """A text from the stand-in, once the bar has attached to it (on a retry, maybe)."""
        msgrctl = exe("msgrctl.exe")
        wait_for(lambda: wine(msgrctl, "show", check=False).returncode == 0, timeout=40,
                 interval=1.0, what="the bar to attach to the stand-in")
        wine(msgrctl, "text", sender, message, "--nick", sender.split("@")[0].title(), "--header",
             "FN=Arial; EF=; CO=%s; CS=0; PF=22" % colour_hex)
