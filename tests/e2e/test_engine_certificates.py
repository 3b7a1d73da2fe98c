"""A certificate the engine cannot trust is never accepted silently: a dialog names the host
and the reason; going back sends nothing to the server, going on holds for this run only."""

import tempfile
import time
import unittest

from harness import E2ETest, wait_for
from engine.sites import Site, find_window, html, keys, make_certificate, wait_gone, wait_window

WARNING = "安全警告"


class Certificates(E2ETest):
    def setUp(self):
        super().setUp()
        folder = tempfile.mkdtemp(dir=self.program.root)
        self.tls = Site({"/": html("Secure page 安全"), "/next": html("Next secure page")},
                        certificate=make_certificate(folder))
        self.addCleanup(self.tls.close)
        self.plain = Site({"/": html("Start")})
        self.addCleanup(self.plain.close)
        self.program.write("浏览器.ini", f"[SZ]\r\nzy={self.plain.url('/')}\r\n")

    def start(self):
        run = self.program.start()
        run.wait_title("Start")
        return run

    def test_going_back_sends_nothing_and_shows_nothing(self):
        run = self.start()
        run.type_address(self.tls.url("/"))
        wait_window(run, WARNING)
        self.shot("engine-certificate-warning")
        # While the dialog waits, the engine has not sent the request.
        self.assertGreaterEqual(self.tls.handshakes_failed, 1)
        self.assertEqual(self.tls.paths(), [])
        keys("Escape")
        wait_gone(run, WARNING)
        time.sleep(2)
        self.assertEqual(self.tls.paths(), [])
        self.assertNotEqual(run.title(), "Secure page 安全")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_going_on_holds_for_this_run_only(self):
        run = self.start()
        run.type_address(self.tls.url("/"))
        wait_window(run, WARNING)
        keys("alt+c")
        run.wait_title("Secure page 安全")
        self.assertIn("/", self.tls.paths())

        # The same host with the same certificate: no question again in this run.
        run.type_address(self.tls.url("/next"))
        wait_for(lambda: find_window(run, WARNING) or run.title() == "Next secure page", 30,
                 what="the next page or a warning")
        self.assertEqual(find_window(run, WARNING), [])
        run.wait_title("Next secure page")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

        # A new run asks again.
        second = self.start()
        second.type_address(self.tls.url("/"))
        wait_window(second, WARNING)
        keys("Escape")
        wait_gone(second, WARNING)
        second.key("ctrl+q")
        self.assertEqual(second.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
