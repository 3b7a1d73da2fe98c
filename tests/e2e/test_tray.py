"""The tray icon and its menu, the window's opacity, and what the first start shows."""

import time
import unittest

from harness import E2ETest, HISTORY, SETTINGS, page, pixel, wait_for, window_property, xdotool

RED = "<style>html,body{margin:0;height:100%;background:#ff0000}</style>"


class Tray(E2ETest):
    pages = {"/": page("托盘 Tray"), "/red": page("Red", RED)}

    def test_end_from_the_tray_menu_saves_nothing(self):
        run = self.start_at("/")
        run.wait_title("托盘 Tray")
        run.type_address(self.server.url("/red"))
        run.wait_title("Red")
        history_before = self.program.read(HISTORY)
        settings_before = self.program.read(SETTINGS)
        icon = run.tray_icon()
        xdotool("mousemove", "--window", icon, 5, 5)
        xdotool("click", "3")
        time.sleep(1)
        self.shot("tray-menu")
        xdotool("key", "x")  # "结束(&X)"
        self.assertEqual(run.wait_exit(), 0)
        self.assertEqual(self.program.read(HISTORY), history_before)
        self.assertEqual(self.program.read(SETTINGS), settings_before)

    def test_double_click_on_the_icon_keeps_the_window(self):
        run = self.start_at("/")
        icon = run.tray_icon()
        xdotool("mousemove", "--window", icon, 5, 5)
        xdotool("click", "--repeat", "2", "--delay", "80", "1")
        time.sleep(0.5)
        self.assertIsNone(run.process.poll())
        self.assertIn(run.main_window(), run.windows())
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_slider_fades_the_window_down_to_alpha_50(self):
        run = self.start_at("/")
        run.wait_title("托盘 Tray")
        # The slider's thumb sits at its right end (255); Home takes it to 50.
        run.click(400 + 280, 25 + 8 + 16)
        xdotool("key", "Home")
        expected = str(round(50 / 255 * 0xFFFFFFFF))
        wait_for(lambda: window_property(run.main_window(), "_NET_WM_WINDOW_OPACITY") == expected, 10,
                 what="alpha 50")
        self.shot("tray-alpha-50")
        xdotool("key", "End")
        wait_for(lambda: window_property(run.main_window(), "_NET_WM_WINDOW_OPACITY") in (None, str(0xFFFFFFFF)), 10,
                 what="alpha 255")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)


class FirstStart(E2ETest):
    pages = {"/red": page("Red", RED)}

    def view_is_red_at(self, run, x, y):
        ox, oy = run.origin()
        r, g, b = pixel(ox + x, oy + y)
        return r > 200 and g < 60 and b < 60

    def test_first_start_in_a_fresh_folder(self):
        run = self.program.start()
        run.main_window()
        time.sleep(2)
        self.shot("first-start")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)
        settings = self.program.settings()
        self.assertEqual(settings.get("zt"), "2")
        self.assertEqual(settings.get("tzs"), "1")
        self.assertNotIn("SCJ", settings)
        self.assertEqual(self.program.read(HISTORY), b"")

    def test_hidden_panel_is_restored_before_the_first_show(self):
        for scj, panel_shown in (("1", False), ("2", True)):
            with self.subTest(SCJ=scj):
                self.program.write(SETTINGS, f"[SZ]\r\nSCJ={scj}\r\nzy={self.server.url('/red')}\r\n")
                run = self.program.start()
                run.wait_title("Red")
                time.sleep(0.5)
                _, _, width, height = run.geometry()
                # Where the panel lies when shown, the page shows through when it is hidden.
                self.assertEqual(self.view_is_red_at(run, 100, height // 2), not panel_shown)
                self.assertTrue(self.view_is_red_at(run, width - 30, height // 2))
                run.key("ctrl+q")
                self.assertEqual(run.wait_exit(), 0)
                self.assertEqual(self.program.settings().get("SCJ"), scj if scj == "1" else "2")


if __name__ == "__main__":
    unittest.main()
