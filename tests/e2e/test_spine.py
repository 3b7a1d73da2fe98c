"""The window comes up, shows what it must, and every normal way of closing it ends the
process with exit code 0, leaving its files behind."""

import time
import unittest

from harness import E2ETest, HISTORY, SETTINGS, page


class Spine(E2ETest):
    pages = {"/": page("首页 Home", "<p>中文页面 Chinese page</p>")}
    delays = {"/slow": 8}

    def test_window_appears_with_its_own_caption_and_designed_size(self):
        run = self.start_at("/slow")
        window = run.main_window()
        # The page has not answered yet, so no title has replaced the window's own caption.
        self.assertEqual(run.title(), "Sorvane浏览器")
        _, _, width, height = run.geometry(window)
        self.assertAlmostEqual(width, 1061, delta=12)
        self.assertAlmostEqual(height, 514, delta=40)
        self.shot("spine-first-window")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_page_title_becomes_the_caption(self):
        run = self.start_at("/")
        self.server.wait_request("/")
        run.wait_title("首页 Home")
        self.shot("spine-page-loaded")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_every_normal_close_ends_with_code_0_and_saves(self):
        for how in ("ctrl+q", "Escape", "close box"):
            with self.subTest(how=how):
                run = self.start_at("/")
                self.server.wait_request("/")
                run.wait_title("首页 Home")
                if how == "close box":
                    run.close_box()
                else:
                    run.key(how)
                self.assertEqual(run.wait_exit(), 0)
                self.assertEqual(self.program.settings().get("tzs"), "1")
                self.assertIsNotNone(self.program.read(HISTORY))
                # The next round starts from a clean slate.
                self.program.write(HISTORY, b"")
                self.program.write(SETTINGS, b"")

    def test_second_start_gives_a_second_independent_window(self):
        first = self.start_at("/")
        second = self.program.start()
        self.assertNotEqual(first.main_window(), second.main_window())
        second.key("ctrl+q")
        self.assertEqual(second.wait_exit(), 0)
        self.assertIsNone(first.process.poll())
        first.key("ctrl+q")
        self.assertEqual(first.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
