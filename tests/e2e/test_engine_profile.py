"""The engine's profile: cookies and local storage survive a restart, in the user's own
folders; several instances run at once, one on the profile and the others on profiles of
their own, and none of them breaks."""

import os
import signal
import unittest

from harness import E2ETest
from engine.sites import Site, html

REMEMBER = "<script>localStorage.setItem('kept', 'yes 是')</script>"
RECALL = "<script>document.title = 'Recall ' + localStorage.getItem('kept')</script>"


class Profile(E2ETest):
    def setUp(self):
        super().setUp()
        self.site = Site({
            "/": html("Start"),
            "/remember": html("Remember", REMEMBER, headers=[("Set-Cookie", "visitor=42; Max-Age=86400; Path=/")]),
            "/recall": html("Recall", RECALL),
            "/one": html("Page one"),
            "/two": html("Page two"),
        })
        self.addCleanup(self.site.close)
        self.program.write("浏览器.ini", f"[SZ]\r\nzy={self.site.url('/')}\r\n")

    def cookies_sent(self, path):
        return [h.get("Cookie") for h in self.site.headers_of(path)]

    def recall(self):
        run = self.program.start()
        run.wait_title("Start")
        run.type_address(self.site.url("/recall"))
        run.wait_title("Recall yes 是")
        self.assertEqual(self.cookies_sent("/recall")[-1], "visitor=42")
        return run

    def test_cookies_and_storage_survive_a_restart_and_a_killed_instance(self):
        first = self.program.start()
        first.wait_title("Start")
        first.type_address(self.site.url("/remember"))
        first.wait_title("Remember")
        first.key("ctrl+q")
        self.assertEqual(first.wait_exit(), 0)

        # The data lies in the user's folders, not beside the program.
        self.assertTrue(os.path.isdir(os.path.join(self.program.home, ".local", "share", "sorvane", "engine")))
        self.assertTrue(os.path.isdir(os.path.join(self.program.home, ".cache", "sorvane", "engine")))
        beside = [n for n in os.listdir(self.program.folder) if os.path.isdir(self.program.path(n))]
        self.assertEqual([n for n in beside if n != "收藏夹"], [])

        second = self.recall()
        # An instance that dies holding the profile does not keep the next one from it.
        os.killpg(second.process.pid, signal.SIGKILL)
        second.wait_exit()
        third = self.recall()
        third.key("ctrl+q")
        self.assertEqual(third.wait_exit(), 0)

    def test_two_instances_started_together_both_work(self):
        runs = [self.program.start(), self.program.start()]
        for run in runs:
            run.wait_title("Start")
        self.shot("engine-two-instances")
        for run, path, title in zip(runs, ("/one", "/two"), ("Page one", "Page two")):
            run.type_address(self.site.url(path))
            run.wait_title(title)
        for run in runs:
            run.type_address(self.site.url("/remember"))
            run.wait_title("Remember")
        for run in runs:
            run.key("ctrl+q")
            self.assertEqual(run.wait_exit(), 0)
            self.assertNotIn("Segmentation", run.output())
        # Whichever instance had the profile kept what it was given.
        self.recall().key("ctrl+q")


if __name__ == "__main__":
    unittest.main()
