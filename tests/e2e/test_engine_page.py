"""What a page can ask of the engine: script dialogs, a file to upload, a permission, full
screen, a window of its own; what the user asks of the page: its context menu and find in
page; and a page whose process died."""

import os
import signal
import stat
import time
import unittest

from harness import E2ETest, wait_for
from engine.sites import Site, find_window, html, keys, type_text, wait_gone, wait_window

SCRIPT = "来自网页的消息"
FILL = "position:fixed;left:0;top:0;width:100%;height:100%;font-size:40px"
FULL_SCREEN = """<button id=b style='{fill}'>full screen</button><script>
b.onclick = () => document.documentElement.requestFullscreen();
document.onfullscreenchange = () => document.title = document.fullscreenElement ? 'in' : 'out';
</script>""".format(fill=FILL)
ASK = """<button id=b style='{fill}'>notify</button><script>
let asked = 0;
b.onclick = () => Notification.requestPermission().then(r => document.title = r + ' ' + (++asked));
</script>""".format(fill=FILL)
UPLOAD = ("<input type=file id=f style='{fill}' onchange=\"document.title = 'chosen ' + f.files[0].name + ' '"
          " + f.files[0].size\">").format(fill=FILL)
TEXT = "<p style='font-size:30px'>apple banana apple cherry apple</p><div style='height:2000px'></div>"


def renderers(pid):
    """The engine's page processes under the program's process: the engine forks them from
    its zygote, whose command line they keep."""
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as f:
                    parent = int(f.read().rsplit(")", 1)[1].split()[1])
                with open(f"/proc/{entry}/cmdline", "rb") as f:
                    command = f.read()
            except OSError:
                continue
            children.setdefault(parent, []).append((int(entry), command))
    # Without the sandbox there is no zygote and the page processes say what they are.
    found, waiting = [], [(pid, False)]
    while waiting:
        parent, under_zygote = waiting.pop()
        for child, command in children.get(parent, []):
            zygote = b"--type=zygote" in command
            if (zygote and under_zygote) or b"--type=renderer" in command:
                found.append(child)
            waiting.append((child, zygote))
    return found


class PageRequests(E2ETest):
    def setUp(self):
        super().setUp()
        self.site = Site({
            "/": html("Start"),
            "/alert": html("Alert", "<script>alert('Hello <b>not bold</b> 你好'); document.title = 'after alert'</script>"),
            "/confirm": html("Confirm", "<script>document.title = 'confirm ' + confirm('Sure? 确定吗')</script>"),
            "/prompt": html("Prompt", "<script>document.title = 'prompt ' + prompt('Name? 名字', 'default')</script>"),
            "/full": html("Full", FULL_SCREEN),
            "/ask": html("Ask", ASK),
            "/upload": html("Upload", UPLOAD),
            "/text": html("Text", TEXT),
            "/links": html("Links", f"<a href='/linked' style='{FILL}'>a link 链接</a>"),
            "/linked": html("Linked"),
            "/opener": html("Opener", "<script>window.open('/elsewhere')</script>"),
        })
        self.addCleanup(self.site.close)
        self.program.write("浏览器.ini", f"[SZ]\r\nzy={self.site.url('/')}\r\n")

    def start(self, **env):
        run = self.program.start(**env)
        run.wait_title("Start")
        return run

    def open(self, run, path, title):
        run.type_address(self.site.url(path))
        run.wait_title(title)
        time.sleep(0.5)  # the new document's view settles before it is clicked

    def click_page(self, run, button=1):
        _, _, width, height = run.geometry()
        run.click(width // 2 + 100, height // 2, button=button)

    def context_menu(self, run):
        """Right-clicks the page until its menu shows: a click while the engine is still
        setting up a new document's view is lost, as it would be for a user."""
        before = set(run.windows())
        for _ in range(5):
            self.click_page(run, button=3)
            try:
                return wait_for(lambda: set(run.windows()) - before, 3, what="the context menu")
            except AssertionError:
                pass
        raise AssertionError("no context menu")

    def test_script_dialogs(self):
        run = self.start()
        run.type_address(self.site.url("/alert"))
        wait_window(run, SCRIPT)
        self.shot("engine-script-alert")
        keys("Return")
        run.wait_title("after alert")

        for answer, expected in (("Return", "confirm true"), ("Escape", "confirm false")):
            run.type_address(self.site.url("/confirm"))
            wait_window(run, SCRIPT)
            if answer == "Return":
                self.shot("engine-script-confirm")
            keys(answer)
            run.wait_title(expected)

        run.type_address(self.site.url("/prompt"))
        wait_window(run, SCRIPT)
        self.shot("engine-script-prompt")
        keys("ctrl+a")
        type_text("typed words")
        keys("Return")
        run.wait_title("prompt typed words")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_file_to_upload_is_chosen_in_a_dialog(self):
        chosen = os.path.join(self.program.home, "upload me.txt")
        with open(chosen, "wb") as f:
            f.write(b"12345")
        run = self.start()
        self.open(run, "/upload", "Upload")
        self.click_page(run)
        wait_window(run, "选择要上传的文件")
        self.shot("engine-upload-chooser")
        type_text(chosen)
        keys("Return")
        run.wait_title("chosen upload me.txt 5")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_permission_is_asked_and_denied_by_default(self):
        run = self.start()
        self.open(run, "/ask", "Ask")
        self.click_page(run)
        wait_window(run, "权限请求")
        self.shot("engine-permission")
        keys("Return")
        run.wait_title("denied 1")
        # The answer holds for the site during this run.
        self.click_page(run)
        run.wait_title("denied 2")
        self.assertEqual(find_window(run, "权限请求"), [])
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_full_screen_shows_the_page_alone_and_esc_leaves_it(self):
        run = self.start()
        self.open(run, "/full", "Full")
        for turn in range(2):
            self.click_page(run)
            window = wait_window(run, "全屏")
            run.wait_title("in")
            self.assertEqual(run.geometry(window), (0, 0, 1280, 800))
            if turn == 0:
                time.sleep(1)
                self.shot("engine-full-screen")
            keys("Escape")
            wait_gone(run, "全屏")
            run.wait_title("out")
            # The view is back in its place and takes clicks again.
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_window_open_goes_to_the_desktops_browser_silently(self):
        tools = os.path.join(self.program.root, "tools")
        os.makedirs(tools)
        opened = os.path.join(self.program.root, "opened.txt")
        opener = os.path.join(tools, "xdg-open")
        with open(opener, "w") as f:
            f.write(f"#!/bin/sh\nprintf '%s\\n' \"$@\" >> '{opened}'\n")
        os.chmod(opener, stat.S_IRWXU)
        run = self.start(PATH=tools + os.pathsep + os.environ["PATH"])
        windows = set(run.windows())
        self.open(run, "/opener", "Opener")
        wait_for(lambda: os.path.exists(opened), 20, what="the desktop's browser to be asked")
        time.sleep(1)
        with open(opened) as f:
            self.assertEqual(f.read().split(), [self.site.url("/elsewhere")])
        self.assertNotIn("/elsewhere", self.site.paths())
        self.assertEqual(set(run.windows()), windows)
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_context_menu_copies_a_link_address(self):
        run = self.start()
        self.open(run, "/links", "Links")
        self.context_menu(run)
        time.sleep(0.5)
        self.shot("engine-context-menu-link")
        keys("l")  # 复制链接地址(&L)
        time.sleep(0.5)
        run.click(300, run.address_box_y())
        keys("ctrl+a", "ctrl+v", "Return")
        self.site.wait_request("/linked")
        run.wait_title("Linked")
        self.context_menu(run)
        time.sleep(0.5)
        self.shot("engine-context-menu-page")
        keys("b")  # 后退(&B)
        run.wait_title("Links")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_find_bar_takes_esc_and_gives_the_page_back(self):
        run = self.start()
        self.open(run, "/text", "Text")
        run.click(400, 300)
        keys("ctrl+f")
        time.sleep(0.5)
        type_text("apple")
        keys("Return")
        time.sleep(1)
        self.shot("engine-find-bar")
        keys("Escape")
        time.sleep(1.5)
        # Esc closed the bar, not the window.
        self.assertIsNone(run.process.poll())
        self.assertEqual(run.title(), "Text")
        self.shot("engine-find-closed")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_a_page_whose_process_died_can_be_loaded_again(self):
        run = self.start()
        self.open(run, "/text", "Text")
        killed = renderers(run.process.pid)
        self.assertTrue(killed)
        for pid in killed:
            os.kill(pid, signal.SIGKILL)
        wait_window(run, "网页出错")
        self.shot("engine-page-crashed")
        loads = self.site.paths().count("/text")
        keys("Return")
        wait_for(lambda: self.site.paths().count("/text") > loads, 30, what="the page to load again")
        run.wait_title("Text")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
