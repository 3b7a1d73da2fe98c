"""Chinese typed through an input method (fcitx5, pinyin) reaches the address box and the
input boxes as committed text, and is kept as such."""

import os
import time
import unittest

from harness import E2ETest, Fcitx, HISTORY, fcitx_missing, page, read_ini, wait_for, xdotool


@unittest.skipIf(fcitx_missing(), f"no input method here: {fcitx_missing()}")
class PinyinInput(E2ETest):
    pages = {"/": page("输入法 Input")}

    def setUp(self):
        super().setUp()
        self.fcitx = Fcitx(os.path.join(self.program.root, "fcitx-home"))
        self.addCleanup(self.fcitx.close)

    def type_pinyin(self, letters):
        self.fcitx.activate()
        xdotool("type", "--delay", 80, letters)
        time.sleep(0.5)
        xdotool("key", "space")  # the first candidate
        time.sleep(0.5)

    def test_pinyin_commits_chinese_into_the_address_box_and_the_home_page_box(self):
        run = self.start_at("/", **self.fcitx.env())
        run.wait_title("输入法 Input")

        # The address box: its text goes into the history when the Go action runs.
        run.click(300, run.address_box_y())
        xdotool("key", "--clearmodifiers", "ctrl+a")
        self.type_pinyin("nihao")
        self.shot("input-method-address-box")
        xdotool("key", "Return")
        time.sleep(0.5)

        # An input box: 设置(G) > 主页(H).
        run.key("alt+g")
        time.sleep(0.3)
        xdotool("key", "h")
        box = wait_for(lambda: xdotool("search", "--onlyvisible", "--name", "主页设置：", check=False), 10,
                       what="the home page box")
        xdotool("windowactivate", "--sync", box.split()[0], check=False)
        time.sleep(0.3)
        self.type_pinyin("zhongwen")
        xdotool("key", "Return")
        wait_for(lambda: self.program.settings().get("zy") == "中文", 10,
                 what=f"the home page 中文 (now {self.program.settings().get('zy')!r})")

        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)
        history = (self.program.read(HISTORY) or b"").decode("gb18030").split("\r\n")
        self.assertEqual(history[0], "你好", history)


if __name__ == "__main__":
    unittest.main()
