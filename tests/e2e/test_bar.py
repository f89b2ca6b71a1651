"""The real bar under Wine with the registered stand-in messenger: the welcome after the
slide-in, its place and what Exit stores, a text in its sender's colour moving left, a click on
it bringing its conversation forward, Shift- and Alt-drags, and the notification-area icon."""
import unittest

import harness
from harness import SCREEN_H, SCREEN_W, wait_for

RED = (255, 0, 0)  # header colour "0000ff": COLORREF 0x0000FF
LONG = "Hello there, this is a rather long line so that it stays on the bar"


class Bar(harness.BarTestCase):
    def test_welcome_after_the_slide_in_then_across_the_top_and_exit_stores(self):
        self.start_bar()
        self.welcome()
        self.assertEqual(self.geometry()[0], 0)  # the box comes once the bar is in its place
        self.dismiss_welcome()
        x, y, w, h = self.geometry()
        self.assertEqual((x, y, w), (0, 0, SCREEN_W))
        self.assertIn(h, range(22, 30))  # Arial 14.25 pt at 96 dots per inch, plus 4
        self.exit_bar()
        self.assertEqual(self.stored("X", "Y", "Width", "Speed", "Version"),
                         ("0", "0", str(SCREEN_W * 15), "10", "1.1"))

    def test_a_text_moves_left_in_its_colour_and_a_click_brings_its_window_forward(self):
        x, y, w, h = self.start_ready_bar()
        self.text("ann@example.com", LONG, "0000ff")
        left = wait_for(lambda: self.columns_of(RED), what="red text on the bar")[0]

        def further_left():
            columns = self.columns_of(RED)
            return columns and columns[0] <= left - 30 and columns[0]
        for _ in range(3):  # 10 pixels a tick; a tick may wait while Wine moves windows
            left = wait_for(further_left, timeout=5, what="the text further left")
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

    def test_shift_drag_alt_drag_and_the_icon(self):
        x, y, w, h = self.start_ready_bar()
        harness.drag(500, h // 2, 560, h // 2 + 200, modifiers=("shift",))
        wait_for(lambda: self.geometry()[1] >= 190, what="the bar moved down")
        nx, ny, nw, nh = self.geometry()
        self.assertEqual((nx, nw, nh), (0, SCREEN_W, h))  # a full-width bar cannot go sideways
        self.assertIn(ny, range(195, 206))
        # Far beyond the bottom edge it stops with its bottom on the screen's; over the top, at 0.
        harness.drag(500, ny + h // 2, 500, SCREEN_H - 1, modifiers=("shift",), steps=20)
        harness.drag(500, SCREEN_H - h // 2 - 1, 500, SCREEN_H - 1, modifiers=("shift",))
        wait_for(lambda: self.geometry()[1] == SCREEN_H - h, what="clamped at the bottom")
        harness.drag(500, SCREEN_H - h // 2, 500, 0, modifiers=("shift",), steps=20)
        wait_for(lambda: self.geometry()[1] == 0, what="clamped at the top")
        harness.drag(600, h // 2, 570, h // 2, modifiers=("alt",), steps=6)  # 30 faster
        harness.open_menu(self.bar_window)
        harness.key("m")
        wait_for(lambda: not harness.windows(harness.TITLE), what="the bar hidden")
        tray = wait_for(lambda: harness.windows("Wine System Tray"), what="the icon")[0]
        tx, ty, _, th = harness.window_geometry(tray)
        harness.click(tx + 8, ty + th // 2)
        wait_for(lambda: harness.windows(harness.TITLE), what="the bar shown again")
        self.assertEqual(self.geometry()[:3], (0, 0, SCREEN_W))
        self.exit_bar()
        self.assertEqual(self.stored("X", "Y", "Speed"), ("0", "0", "40"))


if __name__ == "__main__":
    unittest.main()
