"""The options dialog as the real bar opens it from its menu: right below the bar with the
program's own pictures, a change applied with "&Okay" reaching the next text, and the edits
of one left open when the program ends discarded. Its rules are the controller's host tests."""
import unittest

import harness
from harness import wait_for

TITLE = "Glidebanner - Options"
BLUE = (0, 0, 255)
PAGE1_CAPTION = (192, 0, 0)
NEXT_ARROW, OKAY, SHOW_EMO = (328, 56), (84, 244), (22, 80)  # client pixels at 96 dots per inch


class OptionsFromTheBar(harness.BarTestCase):
    def open_options(self):
        """From the bar's menu; the top of the dialog's client area once it has slid in."""
        harness.open_menu(self.bar_window)
        harness.key("o")
        window = wait_for(lambda: harness.windows(TITLE), timeout=30, what="the dialog")[0]

        def centred():
            g = harness.window_geometry(window)
            return abs(g[0] + g[2] / 2 - harness.SCREEN_W / 2) <= 1 and g
        x, y, w, h = harness.wait_still(centred, "the slide-in", 0.3)
        self.assertEqual((w, h), (359, 282))
        self.origin = (x, y)
        return y

    def click(self, at):
        harness.click(self.origin[0] + at[0], self.origin[1] + at[1])

    def turn_to_page_1(self):
        self.click(NEXT_ARROW)
        x, y = self.origin
        wait_for(lambda: PAGE1_CAPTION in {p for row in harness.pixels(x + 12, y + 48, 120, 14)
                                           for p in row}, what="page 1")
        # Clicked only once it stands still below the ticker, which always moves.
        harness.wait_still(lambda: harness.pixels(x, y + 40, 359, 150), "page 1 to stand still")

    def test_okay_reaches_the_next_text_and_exit_discards_open_edits(self):
        x, y, w, h = self.start_ready_bar()
        self.assertTrue(y + h < self.open_options() < y + h + 40)  # its caption on the bar's edge
        arrow = harness.pixels(self.origin[0] + 312, self.origin[1] + 40, 32, 32)
        self.assertLessEqual({(0, 0, 0), (255, 255, 255)}, {p for row in arrow for p in row})
        self.turn_to_page_1()
        self.click(SHOW_EMO)
        self.click(OKAY)
        wait_for(lambda: not harness.windows(TITLE), what="the dialog to close")
        self.text("ann@example.com", ":-) :-) :-)", "ff0000")
        wait_for(lambda: self.columns_of(BLUE), timeout=40, what="the codes drawn as blue text")
        self.open_options()
        self.turn_to_page_1()
        self.assertIn("ve", [f for _, _, f, t in harness.controls(TITLE) if t == "show &emoticons"])
        self.click(SHOW_EMO)
        self.exit_bar()
        self.assertEqual(harness.windows(TITLE), [])
        self.assertEqual(self.stored("ShowEmo"), ("False",))


if __name__ == "__main__":
    unittest.main()
