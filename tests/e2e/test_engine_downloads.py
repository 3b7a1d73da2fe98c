"""Downloads and "另存为": where to save is asked, with the server's file name in the user's
download folder; a finished file is complete, a replaced one is replaced only when the user
says so, and a cancelled one leaves nothing behind."""

import os
import time
import unittest

from harness import E2ETest, wait_for
from engine.sites import Site, attachment, find_window, html, keys, type_text, wait_gone, wait_window

DATA = bytes((i * 7 + 3) % 251 for i in range(3 * 1024 * 1024))
SAVE_DIALOG = "保存下载的文件"
CONFIRM = "确认另存为"
DOWNLOAD = "下载"


class Downloads(E2ETest):
    def setUp(self):
        super().setUp()
        self.cut = []
        self.site = Site({
            "/": html("Start"),
            "/file.bin": attachment("data.bin", DATA),
            "/slow.bin": attachment("slow.bin", DATA, chunk=16384, pause=0.1, cut=self.cut),
            "/article": html("Article 文章", "<p>Saved page text 保存的网页</p>"),
        })
        self.addCleanup(self.site.close)
        self.downloads = os.path.join(self.program.home, "Downloads")

    def start(self):
        self.program.write("浏览器.ini", f"[SZ]\r\nzy={self.site.url('/')}\r\n")
        run = self.program.start()
        run.wait_title("Start")
        return run

    def leftovers(self):
        return sorted(n for n in os.listdir(self.downloads) if n.endswith((".part", ".download")))

    def read(self, name):
        with open(os.path.join(self.downloads, name), "rb") as f:
            return f.read()

    def test_download_is_saved_complete_and_replaces_a_file_only_when_confirmed(self):
        os.makedirs(self.downloads)
        with open(os.path.join(self.downloads, "data.bin"), "wb") as f:
            f.write(b"an older file of the same name")
        run = self.start()

        # The user declines to replace the older file, then gives up: it stays as it was.
        run.type_address(self.site.url("/file.bin"))
        wait_window(run, SAVE_DIALOG)
        self.shot("engine-download-save-dialog")
        keys("Return")
        wait_window(run, CONFIRM)
        self.shot("engine-download-confirm-replace")
        keys("alt+n")
        wait_gone(run, CONFIRM)
        wait_window(run, SAVE_DIALOG)
        keys("Escape")
        wait_gone(run, SAVE_DIALOG)
        time.sleep(1)
        self.assertEqual(self.read("data.bin"), b"an older file of the same name")
        self.assertEqual(find_window(run, DOWNLOAD), [])

        # Now the user replaces it: the whole file arrives under the server's name.
        run.type_address(self.site.url("/file.bin"))
        wait_window(run, SAVE_DIALOG)
        keys("Return")
        wait_window(run, CONFIRM)
        keys("alt+y")
        wait_window(run, DOWNLOAD)
        wait_for(lambda: self.read("data.bin") == DATA and not self.leftovers(), 30, what="the complete file")
        self.shot("engine-download-complete")
        self.assertEqual(sorted(os.listdir(self.downloads)), ["data.bin"])
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_cancelled_download_leaves_no_file(self):
        run = self.start()
        run.type_address(self.site.url("/slow.bin"))
        wait_window(run, SAVE_DIALOG)
        keys("Return")
        wait_window(run, DOWNLOAD)
        # Some of it has arrived; the rest is still on its way.
        wait_for(lambda: self.leftovers(), 20, what="the download to begin writing")
        time.sleep(1)
        self.shot("engine-download-progress")
        self.assertNotIn("slow.bin", os.listdir(self.downloads))
        wait_window(run, DOWNLOAD)
        keys("Return")  # the cancel button
        wait_for(lambda: self.cut, 20, what="the server to see the download stop")
        wait_for(lambda: not os.listdir(self.downloads), 20, what="the partial file to go")
        self.shot("engine-download-cancelled")
        self.assertTrue(find_window(run, DOWNLOAD), "the download's window shows its result")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)
        self.assertEqual(os.listdir(self.downloads), [])

    def test_leaving_during_a_download_leaves_no_file(self):
        run = self.start()
        run.type_address(self.site.url("/slow.bin"))
        wait_window(run, SAVE_DIALOG)
        keys("Return")
        wait_window(run, DOWNLOAD)
        wait_for(lambda: self.leftovers(), 20, what="the download to begin writing")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)
        self.assertEqual(os.listdir(self.downloads), [])

    def test_save_as_writes_the_page_in_one_file(self):
        run = self.start()
        run.type_address(self.site.url("/article"))
        run.wait_title("Article 文章")
        run.key("alt+f")
        time.sleep(0.5)
        keys("a")  # 另存为(&A)
        wait_window(run, "另存为")
        self.shot("engine-save-as-dialog")
        keys("ctrl+a")
        type_text("article.mhtml")
        keys("Return")
        wait_window(run, DOWNLOAD)
        path = os.path.join(self.downloads, "article.mhtml")
        wait_for(lambda: os.path.exists(path) and not self.leftovers(), 30, what="the saved page")
        text = self.read("article.mhtml").decode("utf-8", "replace")
        self.assertIn("Article", text)
        self.assertIn(self.site.url("/article"), text)
        self.assertEqual(sorted(os.listdir(self.downloads)), ["article.mhtml"])
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
