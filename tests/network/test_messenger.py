"""The bar and gbmessenger.exe under Wine against a real Prosody, end to end: the messenger,
started by the stand-in when the bar attaches, signs in; a contact's sign-in and a message with
an emoticon reach the bar in order; a click on the message brings its conversation window
forward holding it; a reply typed there reaches the Linux side; a message sent while the
server was down arrives once; the bar outlives a killed messenger and hears a new one; and
each refusal shows in the messenger's words, with nothing of the account sent."""
import subprocess
import unittest

import harness as h

ME = "juliet@" + h.DOMAIN
ROMEO = "romeo@" + h.DOMAIN
ACCOUNT = r"HKCU\Software\Glidebanner\Messenger"
state = {}


def setUpModule():
    state.update(h.setting())
    wine = state["wine"]
    wine.wine("regsvr32", "/s", h.os.path.join(h.BUILD, "bin", "msgrsim.dll"))
    # A user who has seen the welcome.
    wine.wine("reg", "add", r"HKCU\Software\Glidebanner", "/v", "Version", "/d", "1.1", "/f")


def account(address, port=h.PORT):
    """Sets up the messenger's account, signing in at start; its password is in setting()'s."""
    for name, kind, value in (("Address", "REG_SZ", address), ("Server", "REG_SZ", "127.0.0.1"),
                              ("Port", "REG_DWORD", str(port)),
                              ("SignInAtStart", "REG_DWORD", "1")):
        state["wine"].wine("reg", "add", ACCOUNT, "/v", name, "/t", kind, "/d", value, "/f")


def messenger_gone():
    state["wine"].wine("taskkill", "/f", "/im", "gbmessenger.exe")
    h.wait_for(lambda: not gbinfo("resources", "gbmessenger.exe"), what="the messenger gone")


def gbinfo(*args):
    return state["wine"].wine(h.os.path.join(h.BUILD, "bin", "gbinfo.exe"), *args)


BLUE, RED = (0, 0, 255), (255, 0, 0)  # a message's colour; the sign-in lines' (the banner's is
# orange)


class OnTheBar(unittest.TestCase):
    def window(self, title):
        ids = state["wine"].xdotool("search", "--onlyvisible", "--name", "^%s$" % title).split()
        return ids[0] if ids else None

    def geometry(self, window):
        out = state["wine"].xdotool("getwindowgeometry", "--shell", window)
        g = dict(line.split("=", 1) for line in out.split())
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    def columns_of(self, colour, tolerance=60):
        x, y, w, hh = self.geometry(self.bar_window)
        return sorted({x + i for row in state["wine"].pixels(x, y + 2, w - 20, hh - 4)
                       for i, p in enumerate(row)
                       if sum(abs(a - b) for a, b in zip(p, colour)) <= tolerance})

    def click_newest(self, colour, right_of=0):
        """Holds the strip with the right button, then clicks the newest (rightmost) run of the
        colour once it shows right of the column given."""
        x, y, w, hh = self.geometry(self.bar_window)
        h.wait_for(lambda: max(self.columns_of(colour, 20) or [0]) > right_of,
                   what="%s on the bar" % (colour,))
        state["wine"].xdotool("mousemove", x + 5, y + hh // 2, "mousedown", 3)

        def held():
            before = self.columns_of(colour, 20)
            h.time.sleep(0.3)
            return before == self.columns_of(colour, 20) and before
        columns = h.wait_for(held, what="the strip held")
        state["wine"].xdotool("mouseup", 3)
        run = [c for i, c in enumerate(columns) if all(
            b - a < 40 for a, b in zip(columns[i:], columns[i + 1:]))]
        state["wine"].xdotool("mousemove", run[len(run) // 2], y + hh // 2, "click", 1)

    def msgrctl(self, *args):
        return state["wine"].wine(h.os.path.join(h.BUILD, "bin", "msgrctl.exe"), *args)

    def test_sign_in_message_click_reply_restart_and_a_new_messenger(self):
        wine, prosody = state["wine"], state["prosody"]
        prosody.start(state["configs"]["good"])
        self.addCleanup(prosody.stop)
        account(ME)
        # The bar's stand-in starts the messenger, which signs in with the stored account.
        bar = wine.start("glidebanner.exe")
        self.addCleanup(h.stop_group, bar)
        # The lines the bar gives assistive technology, as they come.
        lines = h.Output(wine, "bar-lines", [h.os.path.join(h.BUILD, "bin", "gbinfo.exe"),
                                             "lines", "Glidebanner"])
        self.addCleanup(lines.stop)
        self.bar_window = h.wait_for(lambda: self.window("Glidebanner"), what="the bar")
        h.wait_for(lambda: "status: online" in self.msgrctl("show"), what="the messenger in")
        # Presences within the sign-in's first seconds fill the contacts without a line.
        h.time.sleep(5.5)
        romeo = h.Buddy("romeo", state["ca"])
        self.addCleanup(romeo.stop)
        signed_in = lines.wait("romeo has signed in")[0]
        romeo.send(ME, "Good morrow :)", colour="#0000ff")
        said = lines.wait("Good morrow")[0]
        self.assertEqual(said, "romeo says: Good morrow smiling face")
        self.assertLess(lines.lines().index(signed_in), lines.lines().index(said))

        self.click_newest(BLUE)
        title = "Romeo - Conversation"
        h.wait_for(lambda: gbinfo("front").strip() == title, what="the conversation in front")
        self.assertIn("Good morrow :)", gbinfo("controls", title))

        # A reply typed there reaches the Linux side (keys sent to the window lose their Shift).
        conversation = self.window(title)
        wine.xdotool("type", "--window", conversation, "--delay", "30",
                     "parting is such sweet sorrow")
        wine.xdotool("key", "--window", conversation, "Return")
        self.assertEqual(romeo.messages.get(timeout=20), (ME, "parting is such sweet sorrow"))

        # A click on a sign-in line opens that contact's window in front (InstantMessage).
        red_before = max(self.columns_of(RED, 20) or [0])  # the strip only moves left
        nurse = h.Buddy("nurse", state["ca"])
        self.addCleanup(nurse.stop)
        lines.wait("nurse has signed in")
        self.click_newest(RED, right_of=red_before)
        h.wait_for(lambda: gbinfo("front").strip() == "Nurse - Conversation",
                   what="the nurse's conversation in front")

        # The server goes and comes back: a message sent meanwhile reaches the bar once.
        romeo.stop()
        prosody.stop()
        prosody.start(state["configs"]["good"])
        romeo = h.Buddy("romeo", state["ca"])
        self.addCleanup(romeo.stop)
        romeo.send(ME, "Art thou there?")
        lines.wait("Art thou there?", timeout=40)
        h.time.sleep(3)
        self.assertEqual(len([l for l in lines.lines() if "Art thou there?" in l]), 1)

        # The messenger killed: the bar runs on, and a new messenger is heard.
        messenger_gone()
        self.assertIsNone(bar.poll())
        self.msgrctl("status", "offline")
        wine.start("gbmessenger.exe")
        h.wait_for(lambda: "status: online" in self.msgrctl("show"), what="the new messenger in")
        romeo.send(ME, "Once more")
        lines.wait("Once more")
        self.assertIsNone(bar.poll())


def refusal():
    title = gbinfo("title", "GlidebannerMessengerTray").strip()
    return "Cannot connect" in title and title


class Refused(unittest.TestCase):
    """Each refusal in the messenger's words (its icon's tooltip, also its hidden window's
    title); where the refusal is the messenger's, nothing of the account leaves it: no
    application data over TLS, no SASL in the clear."""

    def test_each_refusal_with_its_words(self):
        ours = "The server's certificate is "
        for config, address, words in (
                ("good", "nurse@" + h.DOMAIN, "The password is not right."),
                ("othername", ME, ours + "not valid for %s." % h.DOMAIN),
                ("untrusted", ME, ours + "not from an authority this computer trusts."),
                ("plain", ME, "The server offers no encryption; Glidebanner will not send "
                              "your password.")):
            with self.subTest(config=config):
                messenger_gone()
                state["prosody"].start(state["configs"][config])
                relay = h.Relay()
                try:
                    account(address, h.RELAY_PORT)
                    state["wine"].start("gbmessenger.exe")
                    title = h.wait_for(refusal, what="the refusal")
                    self.assertEqual(title, "Glidebanner Messenger - Cannot connect: " + words)
                    sent = bytes(relay.sent)
                    if config == "plain":
                        self.assertNotIn(b"<auth", sent)
                        self.assertNotIn(h.ACCOUNTS["juliet"].encode(), sent)
                    elif config != "good":
                        self.assertEqual(relay.application_data_after_starttls(), 0)
                finally:
                    messenger_gone()
                    relay.close()
                    state["prosody"].stop()
