"""The options dialog driven as a user would: real clicks on its arrows, check boxes and
buttons, real keys, its pages read from the screen. options_tool.exe opens it below a
pretend bar at the top of the screen and prints the settings when it closes."""
import os
import time
import unittest

import harness

TITLE = "Glidebanner - Options"
CLIENT_W, CLIENT_H = 359, 282

# Client positions (pixels at 15 twips per pixel) of what the tests click.
NEXT_ARROW = (328, 56)
OKAY = (84, 244)
NOT_OKAY = (276, 244)
SHOW_EMO = (22, 80)      # the box of "show &emoticons" on page 1
UNREAD_MAIL = (180, 156)  # inside txtUnreadMail on page 3
BLANK = (200, 200)        # an empty spot of every page

# Each page's caption colour as the screen shows it (r, g, b).
CAPTION = {0: (0, 0, 128), 1: (192, 0, 0), 2: (0, 64, 0), 3: (128, 0, 128)}


def caption_shown(origin, page):
    x, y = origin
    region = harness.pixels(x + 12, y + 48, 120, 14)
    return any(p == CAPTION[page] for row in region for p in row)


def turn_page(origin, page):
    """Clicks the next-page arrow and waits until the page has arrived and stands still: a
    caption already in view may still be sliding under the pointer."""
    harness.click(origin[0] + NEXT_ARROW[0], origin[1] + NEXT_ARROW[1])
    harness.wait_for(lambda: caption_shown(origin, page), what="page %d" % page)
    last = [None]

    def still():
        now = harness.pixels(origin[0], origin[1] + 40, CLIENT_W, 150)
        same = now == last[0]
        last[0] = now
        return same
    harness.wait_for(still, interval=0.2, what="page %d to stand still" % page)


def shown(title=TITLE):
    """Text to flags of every visible control of the window."""
    return {text: flags for _, _, flags, text in harness.controls(title) if "v" in flags}


# What each page shows on a first start, as text and flags ("c" checked, "e" enabled).
FIRST_START = {
    1: {"show &emoticons": "vec", "show sign in / sign out messages": "vec",
        "act as a bar": "vec", "show tooltip": "vec"},
    2: {"nickname": "ve", "e-mail address": "vec", "drop '@' and domain name": "vec",
        "with first message only": "vec", "email says: ": "ve"},
    3: {"has signed in.": "ve", "has signed out.": "ve", "You've got # unread mail(s).": "ve",
        "#": "ve"},
}


class OptionsDialog(harness.WineTestCase):
    def open_dialog(self):
        self.tool = self.start(harness.exe("options_tool.exe"))
        window = harness.wait_for(lambda: harness.find_windows(TITLE), timeout=30,
                                  what="the options dialog")[0]
        last = [None]

        def settled():
            # The slide has ended when the dialog stands still, centred.
            g = harness.window_geometry(window)
            still = g == last[0]
            last[0] = g
            return still and abs(g[0] + CLIENT_W / 2 - 512) <= 1 and g
        x, y, w, h = harness.wait_for(settled, timeout=30, interval=0.3, what="the slide-in")
        self.assertEqual((w, h), (CLIENT_W, CLIENT_H))
        # Right below the bar (33 pixels high at the top), under the dialog's own caption.
        self.assertGreater(y, 33)
        self.assertLess(y, 33 + 40)
        self.origin = (x, y)
        self.window = window
        return window

    def click(self, at):
        harness.click(self.origin[0] + at[0], self.origin[1] + at[1])

    def settings(self):
        self.tool.wait(timeout=30)
        with open(self.tool.log.name, encoding="utf-8") as f:
            lines = f.read().splitlines()
        return {k: v for k, _, v in (line.partition("=") for line in lines if "=" in line)
                if k != "call"}, [line[5:] for line in lines if line.startswith("call=")]

    def turn_to(self, page):
        turn_page(self.origin, page)

    def keep_shot(self, name):
        path = os.path.join(harness.BUILD, name)
        harness.move_pointer_away()
        time.sleep(1.0)  # a tooltip shown under the pointer fades first
        x, y = self.origin
        harness.run(["import", "-window", "root", "-crop",
                     "%dx%d+%d+%d" % (CLIENT_W, CLIENT_H, x, y), "+repage", path])
        return path

    def test_pages_the_error_box_and_escape(self):
        self.open_dialog()
        self.assertTrue(caption_shown(self.origin, 0))
        self.keep_shot("options-page0.png")
        for page in (1, 2, 3):
            self.turn_to(page)
            self.keep_shot("options-page%d.png" % page)
            controls = shown()
            self.assertEqual({t: controls.get(t) for t in FIRST_START[page]}, FIRST_START[page])
            # The other pages' controls are out of sight.
            for other in set(FIRST_START) - {page}:
                self.assertFalse(set(FIRST_START[other]) - {"#"} & set(controls))
        # A second placeholder in the unread-mail text: "&Okay" shows the box and stays.
        self.click(UNREAD_MAIL)
        harness.run(["xdotool", "key", "End", "type", " #"])
        self.click(OKAY)
        harness.wait_for(lambda: harness.find_windows("Error"), what="the Error box")
        harness.screenshot(os.path.join(harness.BUILD, "options-error.png"))
        texts = [" ".join(text.split()) for text in shown("Error")]
        self.assertIn("There may only be one '#' character in 'You've got # unread mail(s). #'!",
                      texts)
        harness.run(["xdotool", "key", "Return"])
        harness.wait_for(lambda: not harness.find_windows("Error"), what="the box to close")
        self.assertTrue(harness.find_windows(TITLE))
        self.assertTrue(caption_shown(self.origin, 3))
        # Escape throws every edit away.
        harness.run(["xdotool", "key", "Escape"])
        values, calls = self.settings()
        self.assertEqual(values["UnreadMail"], "You've got # unread mail(s).")
        self.assertEqual(calls, [])

    def test_okay_applies_a_change(self):
        self.open_dialog()
        self.turn_to(1)
        self.click(SHOW_EMO)
        self.click(OKAY)
        values, calls = self.settings()
        self.assertEqual(values["ShowEmo"], "False")
        self.assertEqual(values["ShowTooltip"], "True")
        self.assertEqual(calls, [])

    def test_not_okay_leaves_every_setting(self):
        self.open_dialog()
        self.turn_to(1)
        self.click(SHOW_EMO)
        self.click(NOT_OKAY)
        values, calls = self.settings()
        first_run = {
            "Says": "says: ", "NameMode": "2", "ShowSaysOnce": "True", "ShowEmo": "True",
            "Speed": "10", "ShowSignInOut": "True", "ChangeWorkArea": "True", "PlaceHolder": "#",
            "UnreadMail": "You've got # unread mail(s).", "BuddyLogon": "has signed in.",
            "BuddyLogoff": "has signed out.", "ShowTooltip": "True"}
        self.assertEqual({k: values.get(k) for k in first_run}, first_run)
        self.assertEqual(calls, [])


if __name__ == "__main__":
    unittest.main()
