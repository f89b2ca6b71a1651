"""The package as a user gets it: the installer run silently in a Wine prefix of its own, the
installed program used with the stand-in and ended through its menu, the uninstaller, and what
each leaves behind. `scripts/test install` runs it inside that prefix's Wine session
(GB_BUILD_DIR=build/install), after scripts/package."""
import os
import re
import struct
import subprocess
import sys
import time
import unittest
import zipfile

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(TOP, "tests", "e2e"))
import barkit  # noqa: E402
import harness  # noqa: E402

VERSION = "1.1.0.5"
PACKAGE = os.path.join(TOP, "out", "package")
SETUP = os.path.join(PACKAGE, "glidebanner-%s-setup.exe" % VERSION)
ZIP = os.path.join(PACKAGE, "glidebanner-%s-portable.zip" % VERSION)
UNINSTALL = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Glidebanner"
RUN = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
SETTINGS = r"HKCU\Software\Glidebanner"
CLASSES = r"HKCU\Software\Classes"
PROGRAMS = ["glidebanner.exe", "msgrsim.dll", "msgrctl.exe"]
LICENCES = ["GPL-3.txt", "gcc-runtime.txt", "mingw-w64.txt"]


def file_version(path):
    """The fixed file version of a Windows program's version resource, as "a.b.c.d"."""
    with open(path, "rb") as f:
        data = f.read()
    at = data.find(struct.pack("<I", 0xFEEF04BD), data.find("VS_VERSION_INFO".encode("utf-16-le")))
    if at < 0:
        return None
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def default_value(key):
    r = harness.wine("reg", "query", key, "/ve", check=False)
    m = re.search(r"\(Default\)\s+REG_SZ\s+(.*)", r.stdout)
    return m.group(1).strip() if m else None


def key_exists(key):
    return harness.wine("reg", "query", key, check=False).returncode == 0


def unix_path(path):
    return harness.run(["winepath", "-u", path]).stdout.strip()


def setUpModule():
    if not os.path.exists(SETUP):
        subprocess.run([os.path.join(TOP, "scripts", "package")], check=True, timeout=1800,
                       stdout=subprocess.DEVNULL)


class InstallTest(harness.WineTestCase):
    def setUp(self):
        super().setUp()
        # Settings of a program that has run before: no welcome box in the way.
        harness.wine("reg", "add", SETTINGS, "/v", "Version", "/d", "1.1", "/f")
        # An earlier choice to start at sign-in would be kept by the installer.
        harness.wine("reg", "delete", RUN, "/v", "Glidebanner", "/f", check=False)

    def install(self, *switches):
        self.assertEqual(file_version(SETUP), VERSION)
        self.assertEqual(harness.wine(SETUP, "/S", *switches, timeout=180).returncode, 0)
        self.home = harness.reg_query(UNINSTALL, "InstallLocation")
        self.assertTrue(self.home.endswith(r"\AppData\Local\Programs\Glidebanner"), self.home)
        self.unix_home = unix_path(self.home)
        menu = "../../../Roaming/Microsoft/Windows/Start Menu/Programs"
        self.shortcut = os.path.normpath(os.path.join(self.unix_home, menu, "Glidebanner.lnk"))

    def uninstall(self, *switches):
        """The installed-programs entry's quiet command, waited for: the uninstaller runs on
        from a copy of itself in the temporary folder, Un.exe."""
        command = harness.reg_query(UNINSTALL, "QuietUninstallString")
        exe, args = re.match(r'"([^"]+)"\s*(.*)', command).groups()
        harness.wine(exe, *args.split(), *switches, timeout=60)
        harness.wait_for(lambda: not barkit.processes("Un.exe"), timeout=60,
                         what="the uninstaller to end")

    def start_bar(self):
        bar = self.start(os.path.join(self.unix_home, "glidebanner.exe"))
        window = harness.wait_for(lambda: harness.find_windows("Glidebanner"), what="the bar")[0]
        return bar, window

    def msgrctl(self, *args, check=True):
        return harness.wine(os.path.join(self.unix_home, "msgrctl.exe"), *args, check=check)

    def delivered(self):
        out = self.msgrctl("show", check=False)
        m = re.search(r"events delivered: (\d+)", out.stdout)
        return int(m.group(1)) if out.returncode == 0 and m else None

    def assert_installed(self):
        self.assertEqual(sorted(os.listdir(self.unix_home)),
                         sorted(PROGRAMS + ["licences", "uninstall.exe"]))
        self.assertEqual(sorted(os.listdir(os.path.join(self.unix_home, "licences"))), LICENCES)
        for name in PROGRAMS + ["uninstall.exe"]:
            self.assertEqual(file_version(os.path.join(self.unix_home, name)), VERSION, name)
        self.assertTrue(os.path.isfile(self.shortcut))
        exe = self.home + r"\uninstall.exe"
        for value, data in [("DisplayName", "Glidebanner"), ("DisplayVersion", VERSION),
                            ("Publisher", "Glidebanner"),
                            ("DisplayIcon", self.home + r"\glidebanner.exe,0"),
                            ("UninstallString", '"%s"' % exe),
                            ("QuietUninstallString", '"%s" /S' % exe), ("NoModify", "0x1"),
                            ("NoRepair", "0x1")]:
            self.assertEqual(harness.reg_query(UNINSTALL, value), data, value)
        self.assertGreater(int(harness.reg_query(UNINSTALL, "EstimatedSize"), 16), 500)
        # The stand-in registered for this user, at the installed DLL.
        clsid = default_value(CLASSES + r"\Messenger.MessengerApp\CLSID")
        self.assertRegex(clsid or "", r"^\{[0-9A-F-]{36}\}$")
        self.class_key = r"%s\CLSID\%s" % (CLASSES, clsid)
        self.assertEqual(default_value(self.class_key + r"\InprocServer32"),
                         self.home + r"\msgrsim.dll")

    def assert_removed(self):
        self.assertFalse(os.path.exists(self.unix_home))
        self.assertFalse(os.path.exists(self.shortcut))
        self.assertFalse(key_exists(UNINSTALL))
        self.assertFalse(key_exists(CLASSES + r"\Messenger.MessengerApp"))
        self.assertFalse(key_exists(self.class_key))
        self.assertIsNone(harness.reg_query(RUN, "Glidebanner"))

    def test_install_use_and_uninstall(self):
        self.install("/AUTOSTART")
        self.assert_installed()
        self.assertEqual(harness.reg_query(RUN, "Glidebanner"),
                         '"%s\\glidebanner.exe"' % self.home)
        # Wine 8 reads no per-user class registrations (HKCU\Software\Classes), which is all
        # the installer writes: the program finds the stand-in here only when it is also
        # registered machine-wide.
        dll = os.path.join(self.unix_home, "msgrsim.dll")
        harness.wine("regsvr32", "/s", dll, timeout=120)
        try:
            bar, window = self.start_bar()
            harness.wait_for(lambda: self.delivered() is not None, timeout=40, interval=1.0,
                             what="the bar to attach to the stand-in")
            before = self.delivered()
            self.msgrctl("text", "anna@example.com", "Hello from the installed bar :)")
            harness.wait_for(lambda: (self.delivered() or 0) > before,
                             what="the text to reach the bar")
            # Exit from the menu button at the bar's right end.
            x, y, w, _ = harness.window_geometry(window)
            harness.click(x + w - 9, y + 9)
            time.sleep(0.6)
            barkit.key("x")
            bar.wait(timeout=30)
        finally:
            harness.wine("regsvr32", "/s", "/u", dll, timeout=120, check=False)
        self.uninstall()
        self.assert_removed()
        # Kept by default, with what the program stored at its end.
        self.assertEqual(harness.reg_query(SETTINGS, "Version"), "1.1")
        self.assertIsNotNone(harness.reg_query(SETTINGS, "Speed"))

    def test_reinstall_and_uninstall_close_a_running_bar(self):
        self.install()
        self.assertIsNone(harness.reg_query(RUN, "Glidebanner"))
        bar, _ = self.start_bar()
        self.install()
        self.assertEqual(bar.wait(timeout=5), 0)
        self.assert_installed()
        bar, _ = self.start_bar()
        self.uninstall("/REMOVESETTINGS")
        self.assertEqual(bar.wait(timeout=5), 0)
        self.assert_removed()
        self.assertFalse(key_exists(SETTINGS))

    def test_portable_zip_holds_programs_read_me_and_licences(self):
        with zipfile.ZipFile(ZIP) as z:
            names = sorted(n for n in z.namelist() if not n.endswith("/"))
            readme = z.read("Glidebanner/README.txt").decode()
        self.assertEqual(names, sorted("Glidebanner/" + n for n in PROGRAMS + ["README.txt"] + [
            "licences/" + n for n in LICENCES]))
        self.assertIn("msgrctl register --user", readme)


if __name__ == "__main__":
    unittest.main()
