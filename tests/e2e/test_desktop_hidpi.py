"""At a scale factor of 2 the window's designed places scale as a whole and nothing is cut
off: the window is twice as large on the screen and lies on it, and every control, as the
accessibility bus places it (in Qt's device-independent pixels), keeps its place and size
relative to the window and lies inside it."""

import os
import subprocess
import unittest

from harness import E2ETest, accessibility_bus, accessible_tree, page, wait_for

SCREEN = (2600, 1400)
# (accessible name or None, role): the controls measured. The window's outer size is the
# designed one in device-independent pixels while the window manager's frame is not scaled,
# so at 2 the client area is a little taller: the controls that follow the window's lower
# edge (list, status bar) are compared across only.
FOLLOW_LOWER_EDGE = {("收藏夹列表", "tree"), ("状态栏", "status bar")}
CONTROLS = [("转到", "push button"), ("收藏夹列表", "tree"), ("关闭收藏夹", "push button"),
            ("窗口透明度", "slider"), ("搜索框", "text"), ("状态栏", "status bar"), ("导航工具栏", "tool bar"),
            (None, "combo box"), ("地址标签", "label"), ("标语", "label")]

_server = None
_bus = None


def setUpModule():
    """A screen of its own, large enough for the window at twice its size."""
    global _server, _bus
    read, write = os.pipe()
    _server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
                                "-ac", "-nolisten", "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        os.environ["DISPLAY"] = ":" + f.readline().strip()
    _bus = accessibility_bus()
    if _bus is None:
        tearDownModule()
        raise unittest.SkipTest("no AT-SPI bus here (at-spi2-core, python3-pyatspi, dbus)")


def tearDownModule():
    if _bus is not None:
        _bus.close()
    if _server is not None:
        _server.terminate()
        _server.wait(10)


class Scale(E2ETest):
    pages = {"/": page("缩放 Scale", "<p>正文</p>")}

    def measure(self, factor):
        run = self.start_at("/", QT_SCALE_FACTOR=str(factor), QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **_bus.env())
        run.wait_title("缩放 Scale")
        if factor == 2:
            self.shot("hidpi-scale-2")

        def places():
            tree = accessible_tree(run.process.pid)
            # The main window: the application's child named by the caption.
            frames = [n for n in tree if n["depth"] == 1 and n["name"] == "缩放 Scale" and n["extents"]]
            found = {}
            for name, role in CONTROLS:
                nodes = [n for n in tree if n["role"] == role and (name is None or n["name"] == name)
                         and n["showing"] and n["extents"]]
                if nodes:
                    found[(name, role)] = nodes[0]["extents"]
            return (frames[0]["extents"], found) if frames and len(found) == len(CONTROLS) else None
        window, found = wait_for(places, 30, what=f"every control on the accessibility bus at scale {factor}")
        on_screen = run.geometry()
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)
        return on_screen, window, found

    def test_scale_two_doubles_every_designed_place_and_cuts_nothing_off(self):
        screen1, window1, at1 = self.measure(1)
        screen2, window2, at2 = self.measure(2)
        self.assertAlmostEqual(screen2[2], 2 * screen1[2], delta=4)
        self.assertGreaterEqual(screen2[3], 2 * screen1[3] - 4)
        self.assertTrue(screen2[0] >= 0 and screen2[1] >= 0 and screen2[0] + screen2[2] <= SCREEN[0]
                        and screen2[1] + screen2[3] <= SCREEN[1], f"the window on the screen: {screen2}")
        self.assertEqual(window2[2], window1[2])
        for control in at1:
            (x1, y1, w1, h1), (x2, y2, w2, h2) = at1[control], at2[control]
            with self.subTest(control=control):
                if control in FOLLOW_LOWER_EDGE:
                    self.assertEqual((x2 - window2[0], w2), (x1 - window1[0], w1))
                else:
                    self.assertEqual((x2 - window2[0], y2 - window2[1], w2, h2),
                                     (x1 - window1[0], y1 - window1[1], w1, h1))
                self.assertTrue(x2 >= window2[0] and y2 >= window2[1] and x2 + w2 <= window2[0] + window2[2]
                                and y2 + h2 <= window2[1] + window2[3], f"inside the window: {at2[control]}")


if __name__ == "__main__":
    unittest.main()
