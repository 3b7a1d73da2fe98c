"""Typing an address, the history it leaves, and links that ask for a new window."""

import unittest

from harness import E2ETest, HISTORY, page, wait_for

BLANK_LINK = ("<a id='l' href='/target' target='_blank' style='display:block;position:absolute;"
              "left:0;top:0;width:100%;height:100%;font-size:40px'>open in a new window</a>")


class Browsing(E2ETest):
    pages = {
        "/": page("起点 Start"),
        "/typed": page("Typed page 输入的页面"),
        "/blank": page("Blank link", BLANK_LINK),
        "/target": page("Target page"),
    }

    def test_typed_address_loads_and_is_remembered(self):
        run = self.start_at("/")
        run.wait_title("起点 Start")
        run.type_address(self.server.url("/typed"))
        self.server.wait_request("/typed")
        run.wait_title("Typed page 输入的页面")
        self.shot("browsing-typed")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)
        lines = self.program.read(HISTORY).split(b"\r\n")
        self.assertEqual(lines[0].decode("gb18030"), self.server.url("/typed"))

        # The next start loads it into the list and saves it again.
        second = self.start_at("/")
        second.wait_title("起点 Start")
        second.key("ctrl+q")
        self.assertEqual(second.wait_exit(), 0)
        self.assertEqual(self.program.read(HISTORY).split(b"\r\n")[0].decode("gb18030"), self.server.url("/typed"))

    def test_link_asking_for_a_new_window_opens_in_the_same_view(self):
        run = self.start_at("/blank")
        run.wait_title("Blank link")
        windows_before = set(run.windows())
        x, y, width, height = run.geometry()
        # Anywhere on the page is the link.
        run.click(width // 2 + 100, height // 2)
        self.server.wait_request("/target")
        run.wait_title("Target page")
        self.assertEqual(set(run.windows()), windows_before)
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
