"""The real bar under Wine with the registered stand-in messenger: greeting, placement, a text
scrolling in its sender's colour, clicks, drags, pause, the notification-area icon and exit."""
import time
import unittest

import barkit
import harness
from barkit import SCREEN_H, SCREEN_W

RED = (255, 0, 0)  # header colour "0000ff": COLORREF 0x0000FF
GREEN = (0, 128, 0)  # "008000"
LONG = "Hello there, this is a rather long line so that it stays on the bar"


def setUpModule():
    barkit.register_standin()


def tearDownModule():
    barkit.unregister_standin()


class StartAndExit(barkit.BarTestCase):
    def test_welcome_after_slide_in_and_no_shows_the_second_box(self):
        self.start_bar()
        first = self.welcome()
        # The box comes only once the bar has arrived at its stored place.
        self.assertEqual(self.geometry()[0], 0)
        self.assertEqual(len(barkit.windows_titled("Welcome")), 1)
        barkit.key("n", window=first)
        harness.wait_for(lambda: first not in barkit.windows_titled("Welcome"),
                         what="first box closed")
        second = self.welcome()
        self.assertNotEqual(second, first)
        barkit.key("Return", window=second)
        harness.wait_for(lambda: not barkit.windows_titled("Welcome"), what="second box closed")
        self.exit_bar()

    def test_yes_opens_the_options_dialog_and_exit_closes_it(self):
        self.start_bar()
        barkit.key("y", window=self.welcome())
        harness.wait_for(lambda: barkit.windows_titled("Glidebanner - Options"),
                         what="the options dialog")
        self.assertEqual(barkit.windows_titled("Welcome"), [])
        self.exit_bar()
        self.assertEqual(barkit.windows_titled("Glidebanner - Options"), [])
        self.assertEqual(barkit.settings().get("Version"), "1.1")

    def test_bar_across_the_top_reserves_the_work_area_and_exit_stores_and_restores(self):
        x, y, w, h = self.start_ready_bar()
        # Arial 14.25 pt at 96 dots per inch is 22 pixels high, plus 4.
        self.assertEqual((x, y, w), (0, 0, SCREEN_W))
        self.assertIn(h, range(22, 30))
        area = barkit.work_area()
        self.exit_bar()
        self.assertFalse(self.bar.running())
        self.assertEqual(barkit.processes("glidebanner.exe"), [])
        stored = barkit.settings()
        self.assertEqual(
            {k: stored.get(k) for k in ("X", "Y", "Width", "Speed", "Version")},
            {"X": "0", "Y": "0", "Width": str(SCREEN_W * 15), "Speed": "10", "Version": "1.1"})
        self.assertEqual(barkit.work_area()[1], 0)
        if area[1] == 0:
            # Wine keeps the work area per process: another program never sees the change.
            self.skipTest("the work area is not shared between processes under this Wine")
        self.assertEqual(area, (0, h, SCREEN_W, SCREEN_H))


class Strip(barkit.BarTestCase):
    def test_received_text_is_drawn_in_the_senders_colour_and_moves_left(self):
        self.start_ready_bar()
        self.text("ann@example.com", LONG, "0000ff")
        first = harness.wait_for(lambda: self.columns_of(RED), what="red text on the bar")
        # 10 pixels per 100 ms tick; a tick may wait while Wine tells its windows about the
        # work area, so allow a few seconds for the first 100 pixels.
        lefts = [first[0]]
        for _ in range(3):
            harness.wait_for(lambda: (lambda c: c and c[0] <= lefts[-1] - 30)(self.columns_of(RED)),
                             timeout=5, what="the text further left")
            lefts.append(self.columns_of(RED)[0])
        self.assertEqual(lefts, sorted(lefts, reverse=True))
        self.exit_bar()

    def test_right_button_held_stops_the_strip(self):
        x, y, w, h = self.start_ready_bar()
        self.text("ann@example.com", LONG, "0000ff")
        harness.wait_for(lambda: self.columns_of(RED), what="red text on the bar")
        harness.run(["xdotool", "mousemove", str(x + 40), str(y + h // 2), "mousedown", "3"])
        time.sleep(0.4)
        held = self.columns_of(RED)
        time.sleep(0.8)
        self.assertEqual(self.columns_of(RED), held)
        harness.run(["xdotool", "mouseup", "3"])
        harness.wait_for(lambda: self.columns_of(RED) != held, timeout=10, what="moving again")
        self.exit_bar()

    def test_click_on_a_text_brings_its_conversation_window_to_the_front(self):
        x, y, w, h = self.start_ready_bar()
        ann, bob = "ann@example.com - Conversation", "bob@example.net - Conversation"
        self.text("ann@example.com", LONG, "0000ff")
        harness.wait_for(lambda: self.columns_of(RED), what="ann's text")
        # Bob's window opens after Ann's and takes the front.
        self.text("bob@example.net", "Bob speaks in green here", "008000")
        harness.wait_for(lambda: barkit.foreground() == bob, what="bob's window in front")
        # Hold the strip still with the right button while aiming, then click the red text.
        harness.run(["xdotool", "mousemove", str(x + 5), str(y + h // 2), "mousedown", "3"])
        time.sleep(0.3)
        columns = self.columns_of(RED)
        self.assertTrue(columns)
        target = columns[len(columns) // 2]
        harness.run(["xdotool", "mouseup", "3"])
        harness.click(target, y + h // 2)
        harness.wait_for(lambda: barkit.foreground() == ann, what="ann's window in front")
        self.exit_bar()


class Gestures(barkit.BarTestCase):
    def test_shift_drag_moves_the_bar_and_keeps_it_on_the_screen(self):
        x, y, w, h = self.start_ready_bar()
        harness.drag(500, y + h // 2, 560, y + h // 2 + 200, modifiers=("shift",))
        harness.wait_for(lambda: self.geometry()[1] >= 190, what="the bar moved down")
        nx, ny, nw, nh = self.geometry()
        # A full-width bar cannot move sideways.
        self.assertEqual((nx, nw, nh), (0, SCREEN_W, h))
        self.assertIn(ny, range(195, 206))
        # Far beyond the bottom edge: it stops with its bottom on the screen's.
        harness.drag(500, ny + h // 2, 500, SCREEN_H - 1, modifiers=("shift",), steps=20)
        harness.drag(500, SCREEN_H - h // 2 - 1, 500, SCREEN_H - 1, modifiers=("shift",))
        harness.wait_for(lambda: self.geometry()[1] == SCREEN_H - h, what="clamped at bottom")
        # And back over the top.
        harness.drag(500, SCREEN_H - h // 2, 500, 0, modifiers=("shift",), steps=20)
        harness.wait_for(lambda: self.geometry()[1] == 0, what="clamped at the top")
        self.exit_bar()
        stored = barkit.settings()
        self.assertEqual((stored["X"], stored["Y"]), ("0", "0"))

    def test_alt_drag_changes_the_speed_that_is_stored_at_exit(self):
        x, y, w, h = self.start_ready_bar()
        # 30 pixels to the left: 30 faster.
        harness.drag(600, y + h // 2, 570, y + h // 2, modifiers=("alt",), steps=6)
        self.exit_bar()
        self.assertEqual(barkit.settings()["Speed"], "40")

    def test_minimize_then_the_icon_brings_the_bar_back(self):
        self.start_ready_bar()
        self.open_menu()
        self.choose("m")
        harness.wait_for(lambda: not barkit.windows_titled(barkit.TITLE), what="bar hidden")
        tray = harness.wait_for(lambda: barkit.windows_titled("Wine System Tray"),
                                what="the notification-area icon")[0]
        tx, ty, _, th = harness.window_geometry(tray)
        harness.click(tx + 8, ty + th // 2)
        harness.wait_for(lambda: barkit.windows_titled(barkit.TITLE), what="bar shown again")
        self.assertEqual(self.geometry()[:3], (0, 0, SCREEN_W))
        self.exit_bar()


if __name__ == "__main__":
    unittest.main()
