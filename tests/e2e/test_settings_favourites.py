"""Text size and favourites, through the menus, across a restart, in the real engine."""

import os
import time
import unittest

from harness import E2ETest, FAVOURITES, SETTINGS, page, wait_for, xdotool

# Reports the page's zoom to the server when it loads and whenever it is resized.
REPORT = ("<script>function r(){fetch('/zoom?dpr='+window.devicePixelRatio)}"
          "addEventListener('load',r);addEventListener('resize',r)</script><p style='font-size:20px'>文字 text</p>")


class TextSize(E2ETest):
    pages = {"/": page("字体 Size", REPORT)}

    def zooms(self):
        return [p.split("dpr=", 1)[1] for p in self.server.paths() if p.startswith("/zoom?")]

    def test_larger_text_is_stored_and_grows_the_page(self):
        run = self.start_at("/")
        wait_for(lambda: self.zooms(), 30, what="the page's first report")
        self.assertEqual(self.zooms()[-1], "1")
        self.assertEqual(self.program.settings().get("zt"), "2")
        # 设置(&G) > 字体(&T) > 大: the fourth of the five items.
        run.key("alt+g")
        time.sleep(0.3)
        xdotool("key", "t")
        time.sleep(0.3)
        xdotool("key", "Down", "Down", "Down", "Return")
        wait_for(lambda: self.program.settings().get("zt") == "3", 10, what='"zt" = "3"')
        wait_for(lambda: float(self.zooms()[-1]) > 1.1, 10, what="the page to grow")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

        # The next start opens the page at that size.
        self.server.requests.clear()
        again = self.program.start()
        wait_for(lambda: any(float(z) > 1.1 for z in self.zooms()), 30, what="the page at the larger size after the restart")
        again.key("ctrl+q")
        self.assertEqual(again.wait_exit(), 0)


class Favourites(E2ETest):
    pages = {"/": page("起点 Start"), "/kept": page("Kept page 收藏的页面")}

    def test_add_close_start_again_and_open(self):
        run = self.start_at("/kept")
        run.wait_title("Kept page 收藏的页面")
        # 收藏(&A) > 添加到收藏夹(&A), then the name box: its own text is the page title.
        run.key("alt+a")
        time.sleep(0.3)
        xdotool("key", "a")
        wait_for(lambda: xdotool("search", "--onlyvisible", "--name", "添加到收藏夹：", check=False), 10,
                 what="the name box")
        self.shot("favourites-name-box")
        xdotool("key", "Return")
        path = os.path.join(self.program.path(FAVOURITES), "Kept page 收藏的页面.url")
        wait_for(lambda: os.path.exists(path), 10, what="the favourite's file")
        with open(path, "rb") as f:
            self.assertEqual(f.read(), b"[InternetShortcut]\r\nURL=" + self.server.url("/kept").encode())
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

        # Start again on another page; the panel lists the favourite and a double-click opens it.
        self.program.write(SETTINGS, f"[SZ]\r\nzy={self.server.url('/')}\r\n")
        self.server.requests.clear()
        again = self.program.start()
        again.wait_title("起点 Start")
        again.click(60, 25 + 76 + 24 + 8, double=True)
        self.server.wait_request("/kept")
        again.wait_title("Kept page 收藏的页面")
        self.shot("favourites-opened")
        again.key("ctrl+q")
        self.assertEqual(again.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
