"""The package as a user gets it, installed silently (over a running bar, and again), used and
uninstalled in a Wine prefix of its own: `scripts/test install` runs it after scripts/package
inside that prefix's Wine session (GB_BUILD_DIR=build/install)."""
import os
import re
import struct
import subprocess
import sys
import unittest
import zipfile

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(TOP, "tests", "e2e"))
import harness  # noqa: E402
from harness import registry, wait_for, wine  # noqa: E402

VERSION = "1.1.0.5"
PACKAGE = os.path.join(TOP, "out", "package")
SETUP = os.path.join(PACKAGE, "glidebanner-%s-setup.exe" % VERSION)
ZIP = os.path.join(PACKAGE, "glidebanner-%s-portable.zip" % VERSION)
UNINSTALL = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Glidebanner"
RUN = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
APP_CLASS = r"HKCU\Software\Classes\Messenger.MessengerApp"
ACCOUNT = harness.KEY + r"\Messenger"
MESSENGER = "Glidebanner Messenger"  # its Start-menu entry and its Run value
PROGRAMS = ["glidebanner.exe", "msgrsim.dll", "msgrctl.exe", "gbmessenger.exe"]
LICENCES = ["GPL-3.txt", "gcc-runtime.txt", "mingw-w64.txt"]


def tool(name, *args, password=None):
    """A program of the win32 build in this prefix: netclient has the Credential Manager as the
    messenger reads and writes it."""
    return subprocess.run(["wine", os.path.join(TOP, "build", "win32", "bin", name + ".exe"),
                           *args], env=harness.ENV, input=password, capture_output=True,
                          text=True, timeout=60)


def password_stored(address):
    # Reading the password comes before any connection, which stdin's end then closes.
    return tool("netclient", "signin", address, "127.0.0.1", "1").returncode == 0


def messenger_running():
    """A gbmessenger.exe of this prefix runs (other prefixes on the machine may have theirs)."""
    return tool("gbinfo", "resources", "gbmessenger.exe").returncode == 0


def file_version(path):
    """The fixed file version of a Windows program's version resource, as "a.b.c.d"."""
    with open(path, "rb") as f:
        data = f.read()
    at = data.find(struct.pack("<I", 0xFEEF04BD), data.find("VS_VERSION_INFO".encode("utf-16-le")))
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


class InstallTest(harness.WineTestCase):
    def setUp(self):
        # Settings of a program that has run before: no welcome box in the way; and no earlier
        # choice to start at sign-in, which the installer would keep.
        wine("reg", "add", harness.KEY, "/v", "Version", "/d", "1.1", "/f")
        wine("reg", "delete", RUN, "/v", "Glidebanner", "/f", check=False)

    def install(self, *switches):
        """Returns where it installed, as Windows and as Linux name it."""
        wine(SETUP, "/S", *switches, timeout=180)
        home = registry(UNINSTALL)["InstallLocation"]
        return home, harness.run(["winepath", "-u", home]).stdout.strip()

    def uninstall(self, *switches):
        """The installed-programs entry's quiet command, which runs on from a copy of itself:
        done once the entry, removed last, is gone."""
        command = registry(UNINSTALL)["QuietUninstallString"]
        exe, args = re.match(r'"([^"]+)"\s*(.*)', command).groups()
        wine(exe, *args.split(), *switches)
        wait_for(lambda: registry(UNINSTALL) is None, timeout=60, interval=0.5,
                 what="the uninstaller to end")

    def start_bar(self, unix_home):
        bar = self.start(os.path.join(unix_home, "glidebanner.exe"))
        wait_for(lambda: harness.windows(harness.TITLE), what="the bar")
        return bar

    def test_install_over_a_running_bar_use_and_uninstall(self):
        self.assertEqual(file_version(SETUP), VERSION)
        bar = self.start_bar(self.install()[1])
        self.assertNotIn("Glidebanner", registry(RUN) or {})
        home, unix_home = self.install("/AUTOSTART")
        self.assertEqual(bar.wait(timeout=5), 0)  # asked to close before its files were replaced
        self.assertTrue(home.endswith(r"\AppData\Local\Programs\Glidebanner"), home)
        self.assertEqual(sorted(os.listdir(unix_home)),
                         sorted(PROGRAMS + ["licences", "uninstall.exe"]))
        self.assertEqual(sorted(os.listdir(os.path.join(unix_home, "licences"))), LICENCES)
        for name in PROGRAMS + ["uninstall.exe"]:
            self.assertEqual(file_version(os.path.join(unix_home, name)), VERSION, name)
        menu = os.path.normpath(os.path.join(unix_home, "../../../Roaming/Microsoft/Windows/"
                                                        "Start Menu/Programs"))
        shortcuts = [os.path.join(menu, n + ".lnk") for n in ("Glidebanner", MESSENGER)]
        for shortcut, target in zip(shortcuts, ["glidebanner.exe", "gbmessenger.exe"]):
            with open(shortcut, "rb") as f:
                link = f.read()
            # The target's path, as the link holds it in either of its text forms.
            self.assertTrue(any(("\\" + target).encode(e) in link for e in ("ascii", "utf-16-le")),
                            shortcut)
        entry = registry(UNINSTALL)
        self.assertEqual((entry["DisplayName"], entry["DisplayVersion"], entry["UninstallString"]),
                         ("Glidebanner", VERSION, '"%s\\uninstall.exe"' % home))
        self.assertEqual(registry(RUN).get("Glidebanner"), '"%s\\glidebanner.exe"' % home)
        # The stand-in registered for this user, at the installed DLL.
        clsid = (registry(APP_CLASS + r"\CLSID") or {}).get("(Default)", "")
        self.assertRegex(clsid, r"^\{[0-9A-F-]{36}\}$")
        class_key = r"HKCU\Software\Classes\CLSID\%s" % clsid
        self.assertEqual(registry(class_key + r"\InprocServer32").get("(Default)"),
                         home + r"\msgrsim.dll")

        # Wine 8 reads no per-user class registrations (HKCU\Software\Classes), which is all
        # the installer writes: the program finds the stand-in here only when it is also
        # registered machine-wide.
        dll, msgrctl = (os.path.join(unix_home, n) for n in ("msgrsim.dll", "msgrctl.exe"))
        # What the messenger leaves once signed in with "Remember my password" and "Sign in
        # when the messenger starts" (off here, so that it stays signed out): its account, its
        # password and its Run value. With an account, the stand-in starts the messenger.
        address = "anna@example.org"
        wine("reg", "add", ACCOUNT, "/v", "Address", "/d", address, "/f")
        wine("reg", "add", ACCOUNT, "/v", "SignInAtStart", "/t", "REG_DWORD", "/d", "0", "/f")
        wine("reg", "add", RUN, "/v", MESSENGER, "/d", "gbmessenger.exe", "/f")
        tool("netclient", "store", address, password="secret\n")
        self.assertIn(MESSENGER, registry(RUN))
        wine("regsvr32", "/s", dll, timeout=120)
        try:
            bar = self.start_bar(unix_home)
            wait_for(messenger_running, timeout=40, interval=1.0,
                     what="the stand-in to start the installed messenger")
            delivered = lambda: re.findall(r"events delivered: (\d+)",
                                           wine(msgrctl, "show", check=False).stdout)
            before = int(wait_for(delivered, timeout=40, interval=1.0,
                                  what="the bar to attach to the stand-in")[0])
            wine(msgrctl, "text", "anna@example.com", "Hello from the installed bar :)")
            wait_for(lambda: int((delivered() or ["0"])[0]) > before,
                     what="the text to reach the bar")
        finally:
            wine("regsvr32", "/s", "/u", dll, timeout=120, check=False)
        self.uninstall()
        self.assertEqual(bar.wait(timeout=5), 0)
        self.assertFalse(messenger_running())  # asked to end before its files were removed
        self.assertFalse(os.path.exists(unix_home) or any(map(os.path.exists, shortcuts)))
        for key in (UNINSTALL, APP_CLASS, class_key):
            self.assertIsNone(registry(key), key)
        self.assertFalse({"Glidebanner", MESSENGER} & set(registry(RUN) or {}))
        # The settings are kept by default, with what the bar stored as it was closed, and the
        # messenger's account with its password.
        kept = registry(harness.KEY)
        self.assertEqual((kept["Version"], "Speed" in kept, registry(ACCOUNT).get("Address"),
                          password_stored(address)), ("1.1", True, address, True))
        self.install()
        self.uninstall("/REMOVESETTINGS")
        wait_for(lambda: registry(harness.KEY) is None, what="the settings removed")
        self.assertFalse(password_stored(address))

    def test_portable_zip_holds_programs_read_me_and_licences(self):
        with zipfile.ZipFile(ZIP) as z:
            names = sorted(n for n in z.namelist() if not n.endswith("/"))
            readme = z.read("Glidebanner/README.txt").decode()
        self.assertEqual(names, sorted("Glidebanner/" + n for n in PROGRAMS + ["README.txt"] + [
            "licences/" + n for n in LICENCES]))
        self.assertIn("msgrctl register --user", readme)


if __name__ == "__main__":
    unittest.main()
