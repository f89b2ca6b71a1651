"""Drives Windows programs of the build under Wine and Xvfb from outside, as a user would:
real mouse input through xdotool, pixels read from the screen, registry values read back.

Every test runs inside the ctest Wine session (one Xvfb, one wineserver) whose display the
runner records; everything a test starts is ended when it finishes.
"""
import os
import subprocess
import tempfile
import time
import unittest

BUILD = os.environ["GB_BUILD_DIR"]
WINE_RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                        "wine-run")


def _session_env():
    env = dict(os.environ)
    out = subprocess.run([WINE_RUN, "--env"], env=env, capture_output=True, text=True,
                         check=True).stdout
    for line in out.splitlines():
        for part in line.replace("export ", "").split():
            if "=" in part:
                k, v = part.split("=", 1)
                env[k] = v.strip("'")
    return env


ENV = _session_env()


def run(args, timeout=60, check=True):
    """Runs a Linux command in the session's environment (DISPLAY, WINEPREFIX).

    Its output goes through files, not pipes: a Wine command may start the desktop or a
    service, which inherits the output and outlives the command, and would hold a pipe open."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(args, env=ENV, stdout=out, stderr=err, stdin=subprocess.DEVNULL,
                              timeout=timeout).returncode
        out.seek(0)
        err.seek(0)
        r = subprocess.CompletedProcess(args, code, out.read().decode("utf-8", "replace"),
                                        err.read().decode("utf-8", "replace"))
    if check:
        r.check_returncode()
    return r


class Program:
    """A Windows program started in the background; ended when the test is done."""

    def __init__(self, exe, *args):
        self.exe = exe
        self.log = open(os.path.join(BUILD, "e2e-%s.log" % os.path.basename(exe)), "w")
        self.proc = subprocess.Popen(["wine", exe, *args], env=ENV, stdout=self.log,
                                     stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                     start_new_session=True)

    def wait(self, timeout=30):
        return self.proc.wait(timeout=timeout)

    def running(self):
        return self.proc.poll() is None

    def kill(self):
        if self.running():
            self.proc.kill()
            self.proc.wait(timeout=10)
        self.log.close()


def wine(*args, timeout=60, check=True):
    return run(["wine", *args], timeout=timeout, check=check)


def wait_for(predicate, timeout=20.0, interval=0.1, what="condition"):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))


def find_windows(title):
    """X window ids of visible windows whose title is exactly title."""
    r = run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title], check=False)
    return [int(w) for w in r.stdout.split()]


def controls(title):
    """The windows inside the visible top-level window of this title as Windows has them:
    (class, id, flags, text), flags holding "v" visible, "e" enabled, "c" checked."""
    out = run(["wine", exe("gbinfo.exe"), "controls", title]).stdout
    rows = []
    for line in out.splitlines():
        cls, ident, flags, text = (line.split("\t", 3) + ["", "", ""])[:4]
        rows.append((cls, int(ident or 0), flags, text))
    return rows


def window_geometry(window_id):
    """(x, y, width, height) of an X window on the screen."""
    r = run(["xdotool", "getwindowgeometry", "--shell", str(window_id)])
    g = dict(line.split("=", 1) for line in r.stdout.split())
    return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])


def pixels(x, y, width, height):
    """The screen's pixels in a rectangle, as rows of (r, g, b)."""
    r = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (width, height, x, y),
                        "-depth", "8", "rgb:-"], env=ENV, capture_output=True, timeout=30,
                       check=True)
    data = r.stdout
    rows = []
    for j in range(height):
        row = []
        for i in range(width):
            k = 3 * (j * width + i)
            row.append((data[k], data[k + 1], data[k + 2]))
        rows.append(row)
    return rows


def pixel(x, y):
    return pixels(x, y, 1, 1)[0][0]


def screenshot(path):
    run(["import", "-window", "root", path])


def move_pointer_away():
    """Parks the pointer in the screen's bottom-right corner, away from tooltips and hovers."""
    run(["xdotool", "mousemove", "1020", "760"])


def click(x, y, button=1, modifiers=()):
    """Moves the pointer to (x, y) and clicks, holding the given keys (e.g. "shift")."""
    for key in modifiers:
        run(["xdotool", "keydown", key])
    run(["xdotool", "mousemove", str(x), str(y), "click", str(button)])
    for key in modifiers:
        run(["xdotool", "keyup", key])


def drag(x0, y0, x1, y1, modifiers=(), steps=10, button=1):
    """Presses at (x0, y0), moves in steps to (x1, y1) and releases, holding keys."""
    for key in modifiers:
        run(["xdotool", "keydown", key])
    run(["xdotool", "mousemove", str(x0), str(y0), "mousedown", str(button)])
    for s in range(1, steps + 1):
        x = x0 + (x1 - x0) * s // steps
        y = y0 + (y1 - y0) * s // steps
        run(["xdotool", "mousemove", str(x), str(y)])
        time.sleep(0.03)
    run(["xdotool", "mouseup", str(button)])
    for key in modifiers:
        run(["xdotool", "keyup", key])


def reg_query(key, value):
    """A registry value's data as text, or None when it is absent."""
    r = wine("reg", "query", key, "/v", value, check=False)
    for line in r.stdout.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[0] == value:
            return parts[2] if len(parts) == 3 else ""
    return None


def reg_delete_key(key):
    wine("reg", "delete", key, "/f", check=False)


def exe(name):
    """A program or DLL of the build: every one lands in build/<preset>/bin."""
    return os.path.join(BUILD, "bin", name)


class WineTestCase(unittest.TestCase):
    """Ends every program a test started, also when it fails."""

    def setUp(self):
        self.programs = []

    def start(self, exe_path, *args):
        p = Program(exe_path, *args)
        self.programs.append(p)
        return p

    def tearDown(self):
        for p in self.programs:
            p.kill()
