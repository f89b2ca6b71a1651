"""The real bar under Wine with the registered stand-in messenger: the welcome after the
slide-in, its place and what Exit stores, a text in its sender's colour moving left, a click on
it bringing its conversation forward, and, on one bar, the options dialog from its menu (its keys
are the Wine test's), Shift- and Alt-drags and the notification-area icon. The rules behind all
of these are host tests."""
import unittest

import harness
from harness import SCREEN_W, wait_for

RED, BLUE = (255, 0, 0), (0, 0, 255)  # header colours "0000ff", "ff0000": COLORREF order
LONG = "Hello there, this is a rather long line so that it stays on the bar"
OPTIONS = "Glidebanner - Options"
NEXT_ARROW, OKAY, SHOW_EMO = (328, 56), (84, 244), (22, 80)  # client pixels at 96 dots per inch


class Bar(harness.BarTestCase):
    def test_a_text_moves_left_in_its_colour_and_a_click_brings_its_window_forward(self):
        x, y, w, h = self.start_bar()
        self.text("ann@example.com", LONG, "0000ff")
        left = wait_for(lambda: self.columns_of(RED), what="red text on the bar")[0]
        wait_for(lambda: (self.columns_of(RED) or [left])[0] <= left - 50, timeout=5,
                 what="the text further left")
        # Bob's window opens after Ann's and takes the front.
        self.text("bob@example.net", "Bob speaks in green here", "008000")
        wait_for(lambda: harness.foreground() == "bob@example.net - Conversation",
                 what="Bob's window in front")
        # Aim at Ann's text while the right button holds the strip still, then click it.
        harness.xdotool("mousemove", x + 5, y + h // 2, "mousedown", 3)
        columns = harness.wait_still(lambda: self.columns_of(RED), "the strip held")
        harness.xdotool("mouseup", 3)
        harness.click(columns[len(columns) // 2], y + h // 2)
        wait_for(lambda: harness.foreground() == "ann@example.com - Conversation",
                 what="Ann's window in front")
        self.exit_bar()

    def test_welcome_place_drags_the_icon_options_and_what_exit_stores(self):
        x, y, w, h = self.start_bar()
        self.assertEqual((x, y, w), (0, 0, SCREEN_W))
        self.assertIn(h, range(22, 30))  # Arial 14.25 pt at 96 dots per inch, plus 4
        # The options: "&Okay" applies, to the next text.
        top, emoticons = self.open_page_1()
        self.assertTrue(h < top < h + 40)  # its caption on the bar's edge
        self.assertEqual(emoticons, "vec")
        self.click(SHOW_EMO)
        self.click(OKAY)
        wait_for(lambda: not harness.windows(OPTIONS), what="the dialog to close")
        self.text("ann@example.com", ":-) :-) :-)", "ff0000")
        wait_for(lambda: self.columns_of(BLUE), timeout=40, what="the codes drawn as blue text")
        harness.drag(500, h // 2, 560, h // 2 + 200, modifiers=("shift",))
        wait_for(lambda: self.geometry()[1] >= 190, what="the bar moved down")
        nx, ny, nw, nh = self.geometry()
        self.assertEqual((nx, nw, nh), (0, SCREEN_W, h))  # a full-width bar cannot go sideways
        self.assertIn(ny, range(195, 206))
        harness.drag(600, ny + h // 2, 570, ny + h // 2, modifiers=("alt",), steps=6)  # 30 faster
        harness.open_menu(self.bar_window)
        harness.key("m")
        wait_for(lambda: not harness.windows(harness.TITLE), what="the bar hidden")
        tray = wait_for(lambda: harness.windows("Wine System Tray"), what="the icon")[0]
        tx, ty, _, th = harness.window_geometry(tray)
        harness.click(tx + 8, ty + th // 2)
        wait_for(lambda: harness.windows(harness.TITLE), what="the bar shown again")
        self.assertEqual(self.geometry()[:3], (0, ny, SCREEN_W))  # where it was
        self.exit_bar()
        self.assertEqual(self.stored("X", "Y", "Width", "Speed", "Version", "ShowEmo"),
                         ("0", str(ny * 15), str(SCREEN_W * 15), "40", "1.1", "False"))

    def open_page_1(self):
        """Opens the dialog from the bar's menu and, once it has slid in, centred, with the
        program's own arrow pictures, turns to its second page. Returns the dialog's top and the
        flags of its emoticons box (visible, enabled, checked)."""
        harness.open_menu(self.bar_window)
        harness.key("o")
        window = wait_for(lambda: harness.windows(OPTIONS), timeout=30, what="the dialog")[0]

        def centred():
            g = harness.window_geometry(window)
            return abs(g[0] + g[2] / 2 - harness.SCREEN_W / 2) <= 1 and g
        x, y, w, h = harness.wait_still(centred, "the slide-in", 0.3)
        self.assertEqual((w, h), (359, 282))
        self.origin = (x, y)
        arrow = {p for row in harness.pixels(x + 312, y + 40, 32, 32) for p in row}
        self.assertLessEqual({(0, 0, 0), (255, 255, 255)}, arrow)
        self.click(NEXT_ARROW)
        caption = lambda: {p for row in harness.pixels(x + 12, y + 48, 120, 14) for p in row}
        wait_for(lambda: (192, 0, 0) in caption(), what="page 1's caption")
        # Clicked only once it stands still below the ticker, which always moves.
        harness.wait_still(lambda: harness.pixels(x, y + 40, 359, 150), "page 1 to stand still")
        return y, {t: f for _, _, f, t in harness.controls(OPTIONS)}.get("show &emoticons")

    def click(self, at):
        harness.click(self.origin[0] + at[0], self.origin[1] + at[1])


if __name__ == "__main__":
    unittest.main()
