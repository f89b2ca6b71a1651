"""The options dialog as the real bar opens it: from the bar's menu, right below the bar, a
change reaching the next message, and closed with its edits discarded when the program ends."""
import unittest

import barkit
import harness
from test_options import CLIENT_W, OKAY, SHOW_EMO, TITLE, turn_page

BLUE = (0, 0, 255)


def setUpModule():
    barkit.register_standin()


def tearDownModule():
    barkit.unregister_standin()


def setUpModule():
    barkit.register_standin()


def tearDownModule():
    barkit.unregister_standin()


class OptionsFromTheBar(barkit.BarTestCase):
    def open_options(self):
        self.open_menu()
        self.choose("o")
        window = harness.wait_for(lambda: barkit.windows_titled(TITLE), timeout=30,
                                  what="the options dialog")[0]
        last = [None]

        def settled():
            g = harness.window_geometry(window)
            still = g == last[0]
            last[0] = g
            return still and abs(g[0] + CLIENT_W / 2 - 512) <= 1 and g
        return harness.wait_for(settled, timeout=30, interval=0.3, what="the slide-in")

    def uncheck_emoticons(self, origin):
        turn_page(origin, 1)
        harness.click(origin[0] + SHOW_EMO[0], origin[1] + SHOW_EMO[1])

    def test_opens_below_the_bar_and_exit_discards_its_edits(self):
        x, y, w, h = self.start_ready_bar()
        dx, dy, _, _ = self.open_options()
        # The dialog's top edge touches the bar's bottom edge; its client area starts below
        # the dialog's own caption.
        self.assertGreater(dy, y + h)
        self.assertLess(dy, y + h + 40)
        self.uncheck_emoticons((dx, dy))
        self.exit_bar()
        self.assertFalse(barkit.windows_titled(TITLE))
        self.assertEqual(barkit.processes("glidebanner.exe"), [])
        self.assertEqual(barkit.settings().get("ShowEmo"), "True")

    def test_emoticons_off_reaches_the_next_message(self):
        self.start_ready_bar()
        dx, dy, _, _ = self.open_options()
        self.uncheck_emoticons((dx, dy))
        harness.click(dx + OKAY[0], dy + OKAY[1])
        harness.wait_for(lambda: not barkit.windows_titled(TITLE), what="the dialog to close")
        # With pictures on, these codes would leave nothing but blanks in the sender's colour.
        self.text("ann@example.com", ":-) :-) :-)", "ff0000")
        harness.wait_for(lambda: self.columns_of(BLUE), timeout=40,
                         what="the codes drawn as blue text")
        self.exit_bar()
        self.assertEqual(barkit.settings().get("ShowEmo"), "False")


if __name__ == "__main__":
    unittest.main()
