"""The window through the desktop's accessibility bus (AT-SPI), as a screen reader sees it:
controls found by their accessible names, and the keyboard alone moving through them."""

import time
import unittest

from harness import E2ETest, accessible_tree, accessibility_bus, page, wait_for, xdotool

# The controls that take part in the Tab-key order, by accessible name.
TAB_CONTROLS = {"地址栏", "网页", "收藏夹列表", "关闭收藏夹", "转到", "窗口透明度", "搜索框", "搜索"}


def setUpModule():
    global _bus
    _bus = accessibility_bus()
    if _bus is None:
        raise unittest.SkipTest("no AT-SPI bus here (at-spi2-core, python3-pyatspi, dbus)")


def tearDownModule():
    if _bus is not None:
        _bus.close()


class Accessibility(E2ETest):
    pages = {"/": page("可访问 Accessible", "<p>正文</p>")}

    def start(self):
        run = self.start_at("/", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **_bus.env())
        run.wait_title("可访问 Accessible")
        self.addCleanup(run.kill)
        return run

    def tree(self, run):
        return wait_for(lambda: accessible_tree(run.process.pid), 30, what="the program on the accessibility bus")

    @staticmethod
    def named(tree, name, roles):
        return [n for n in tree if n["name"] == name and n["role"] in roles]

    def test_go_button_and_favourites_list_are_found_by_name(self):
        tree = self.tree(self.start())
        self.assertTrue(self.named(tree, "转到", {"push button"}), "the Go button")
        self.assertTrue(self.named(tree, "收藏夹列表", {"tree", "tree table", "list", "table"}), "the favourites list")
        self.assertTrue(self.named(tree, "搜索框", {"text", "entry"}), "the search box")

    # Qt on Linux names an editable combo box by the text it holds, not by its accessible
    # name; the address box's editable field carries the name too.
    def test_address_box_is_found_by_name(self):
        tree = self.tree(self.start())
        found = self.named(tree, "地址栏", {"combo box"}) or [
            n for n in self.named(tree, "地址栏", {"text", "entry"}) if n["parent_role"] == "combo box"]
        self.assertTrue(found, "the address box: " + repr([n for n in tree if n["role"] == "combo box"]))

    @staticmethod
    def control(node):
        """The control a focused object stands for: the address box by its role, since its
        name is the text it holds."""
        if node["role"] == "combo box" or (node["role"] == "text" and node["parent_role"] == "combo box"):
            return "地址栏"
        if node["role"] == "document web":
            return "网页"
        return node["name"] or node["role"]

    def focused(self, pid):
        nodes = [n for n in accessible_tree(pid) if n["focused"] and n["role"] not in ("frame", "application")]
        # The page keeps its focused state for a while after the focus has left the view.
        if len(nodes) > 1:
            nodes = [n for n in nodes if n["role"] != "document web"] or nodes
        return self.control(nodes[-1]) if nodes else None

    def test_tab_moves_through_the_tab_controls_once_each(self):
        run = self.start()
        self.tree(run)
        run.click(300, run.address_box_y())  # the focus in the address box
        wait_for(lambda: self.focused(run.process.pid) == "地址栏", 10, what="the focus in the address box")
        visited = []
        for _ in range(len(TAB_CONTROLS)):
            xdotool("key", "Tab")
            time.sleep(0.5)
            visited.append(self.focused(run.process.pid))
        print("Tab order from the address box:", visited)
        self.assertEqual(sorted(visited), sorted(TAB_CONTROLS), visited)
        self.assertEqual(visited[-1], "地址栏", "Tab comes round to the address box again")

    def test_menus_open_by_their_mnemonics(self):
        run = self.start()
        run.key("alt+g")
        time.sleep(0.3)
        xdotool("key", "h")
        box = wait_for(lambda: xdotool("search", "--onlyvisible", "--name", "主页设置：", check=False), 10,
                       what="设置(G) > 主页(H) by its mnemonics")
        self.assertTrue(box)
        xdotool("key", "Escape")
        wait_for(lambda: not xdotool("search", "--onlyvisible", "--name", "主页设置：", check=False), 10,
                 what="the box to close with Esc")


if __name__ == "__main__":
    unittest.main()
