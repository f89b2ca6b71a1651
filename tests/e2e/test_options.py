"""The options dialog as the real bar opens it from its menu, driven as a user would: real
clicks and keys, its pages read from the screen and the window tree, a change applied with
"&Okay" reaching the next message, and one left open when the program ends discarded. Its
rules are the controller's host tests."""
import os
import unittest

import barkit
import harness

TITLE = "Glidebanner - Options"
CLIENT_W, CLIENT_H = 359, 282
BLUE = (0, 0, 255)
# Client positions (pixels at 15 twips per pixel) of what the test clicks.
NEXT_ARROW, OKAY, SHOW_EMO, UNREAD_MAIL = (328, 56), (84, 244), (22, 80), (180, 156)
# Each page's caption colour as the screen shows it (r, g, b).
CAPTION = {0: (0, 0, 128), 1: (192, 0, 0), 2: (0, 64, 0), 3: (128, 0, 128)}


def setUpModule():
    barkit.register_standin()


def tearDownModule():
    barkit.unregister_standin()


def wait_still(get, what, interval=0.2):
    """Until get() answers the same, and something, twice running; returns that answer."""
    last = [None]

    def still():
        now = get()
        same, last[0] = now == last[0], now
        return same and now
    return harness.wait_for(still, timeout=30, interval=interval, what=what)


def shown(title=TITLE):
    """Text to flags of every visible control of the window."""
    return {text: flags for _, _, flags, text in harness.controls(title) if "v" in flags}


class OptionsFromTheBar(barkit.BarTestCase):
    def open_options(self):
        """From the bar's menu; the dialog's client origin once it has slid in, centred."""
        self.open_menu()
        self.choose("o")
        window = harness.wait_for(lambda: barkit.windows_titled(TITLE), timeout=30,
                                  what="the options dialog")[0]

        def centred():
            g = harness.window_geometry(window)
            return g if abs(g[0] + g[2] / 2 - 512) <= 1 else None
        x, y, w, h = wait_still(centred, "the slide-in", 0.3)
        self.assertEqual((w, h), (CLIENT_W, CLIENT_H))
        self.origin = (x, y)
        return x, y

    def click(self, at):
        harness.click(self.origin[0] + at[0], self.origin[1] + at[1])

    def caption_shown(self, page):
        region = harness.pixels(self.origin[0] + 12, self.origin[1] + 48, 120, 14)
        return any(p == CAPTION[page] for row in region for p in row)

    def settled(self, what):
        """Until the dialog below its ticker (which always moves) stands still."""
        x, y = self.origin
        wait_still(lambda: harness.pixels(x, y + 40, CLIENT_W, 150), what)

    def turn_to(self, page):
        self.click(NEXT_ARROW)
        harness.wait_for(lambda: self.caption_shown(page), what="page %d" % page)
        self.settled("page %d to stand still" % page)

    def keep_shot(self, name):
        harness.move_pointer_away()
        self.settled("the tooltips to go")
        harness.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (
            CLIENT_W, CLIENT_H, self.origin[0], self.origin[1]), "+repage",
            os.path.join(harness.BUILD, name)])

    def test_pages_error_box_okay_and_exit(self):
        x, y, w, h = self.start_ready_bar()
        # The dialog's top edge touches the bar's bottom edge, under its own caption.
        self.assertTrue(y + h < self.open_options()[1] < y + h + 40)
        self.assertTrue(self.caption_shown(0))
        # The pictures come with the program: the next-page arrow is a black angle on white.
        arrow = harness.pixels(self.origin[0] + 312, self.origin[1] + 40, 32, 32)
        self.assertEqual({(0, 0, 0), (255, 255, 255)} - {p for row in arrow for p in row}, set())
        self.keep_shot("options-page0.png")
        for page in (1, 2, 3):
            self.turn_to(page)
            self.keep_shot("options-page%d.png" % page)
        # A second placeholder in the unread-mail text: "&Okay" shows the box and stays.
        self.click(UNREAD_MAIL)
        harness.run(["xdotool", "key", "End", "type", " #"])
        self.click(OKAY)
        harness.wait_for(lambda: barkit.windows_titled("Error"), what="the Error box")
        self.assertIn("There may only be one '#' character in 'You've got # unread mail(s). #'!",
                      [" ".join(text.split()) for text in shown("Error")])
        barkit.key("Return")
        harness.wait_for(lambda: not barkit.windows_titled("Error"), what="the box to close")
        self.assertTrue(self.caption_shown(3))
        barkit.key("Escape")  # throws the edit away
        harness.wait_for(lambda: not barkit.windows_titled(TITLE), what="the dialog to close")

        # Emoticons off with "&Okay": the codes of the next text are drawn as text.
        self.open_options()
        self.turn_to(1)
        self.click(SHOW_EMO)
        self.click(OKAY)
        harness.wait_for(lambda: not barkit.windows_titled(TITLE), what="the dialog to close")
        self.text("ann@example.com", ":-) :-) :-)", "ff0000")
        harness.wait_for(lambda: self.columns_of(BLUE), timeout=40,
                         what="the codes drawn as blue text")
        # Opened again it is built from the applied settings; Exit discards its open edits.
        self.open_options()
        self.turn_to(1)
        self.assertEqual(shown().get("show &emoticons"), "ve")
        self.click(SHOW_EMO)
        self.exit_bar()
        self.assertEqual((barkit.windows_titled(TITLE), barkit.processes("glidebanner.exe")),
                         ([], []))
        stored = barkit.settings()
        self.assertEqual((stored.get("ShowEmo"), stored.get("UnreadMail")),
                         ("False", "You've got # unread mail(s)."))


if __name__ == "__main__":
    unittest.main()
