"""The end-to-end machinery itself: a window is found, its pixels read, a real click lands."""
import unittest

import harness


class Probe(harness.WineTestCase):
    def test_window_pixels_and_a_real_click(self):
        probe = self.start(harness.exe("e2e_probe.exe"))
        windows = harness.wait_for(lambda: harness.find_windows("GbProbe"), what="probe window")
        x, y, w, h = harness.window_geometry(windows[0])
        self.assertEqual((x, y, w, h), (100, 100, 200, 50))
        harness.wait_for(lambda: harness.pixel(150, 125) == (255, 100, 50), what="orange")
        harness.click(150, 125)
        harness.wait_for(lambda: harness.pixel(150, 125) == (0, 0, 255), what="blue after click")
        harness.run(["xdotool", "windowclose", str(windows[0])], check=False)
        probe.kill()
        self.assertFalse(probe.running())

    def test_screen_is_1024_by_768(self):
        out = harness.run(["xdpyinfo"]).stdout
        self.assertIn("1024x768 pixels", out)


if __name__ == "__main__":
    unittest.main()
