"""HTTP log-in: the engine asks for a user name and a password in a dialog of ours; the right
ones open the page, cancelling leaves what the server sent instead."""

import base64
import time
import unittest

from harness import E2ETest
from engine.sites import Site, html, keys, send, type_text, wait_gone, wait_window

LOGIN = "需要登录"
USER, PASSWORD = "alice", "s3cret word"


def protected(handler):
    expected = "Basic " + base64.b64encode(f"{USER}:{PASSWORD}".encode("utf-8")).decode("ascii")
    if handler.headers.get("Authorization") == expected:
        html("Secret page 机密")(handler)
    else:
        send(handler, "<!doctype html><title>Denied 拒绝</title>no entry", status=401,
             headers=[("WWW-Authenticate", 'Basic realm="Test area", charset="UTF-8"')])


def through_proxy(handler):
    expected = "Basic " + base64.b64encode(b"bob:proxy pass").decode("ascii")
    if handler.headers.get("Proxy-Authorization") == expected:
        html("Through the proxy")(handler)
    else:
        send(handler, "<!doctype html><title>Proxy says no</title>", status=407,
             headers=[("Proxy-Authenticate", 'Basic realm="Office proxy"')])


class LogIn(E2ETest):
    def setUp(self):
        super().setUp()
        self.site = Site({"/": html("Start"), "/secret": protected})
        self.addCleanup(self.site.close)
        self.program.write("浏览器.ini", f"[SZ]\r\nzy={self.site.url('/')}\r\n")

    def test_right_password_opens_the_page(self):
        run = self.program.start()
        run.wait_title("Start")
        run.type_address(self.site.url("/secret"))
        wait_window(run, LOGIN)
        self.shot("engine-login-dialog")
        type_text(USER)
        keys("Tab")
        type_text(PASSWORD)
        keys("Return")
        run.wait_title("Secret page 机密")
        sent = [h.get("Authorization") for h in self.site.headers_of("/secret")]
        self.assertEqual(sent[0], None)
        self.assertEqual(base64.b64decode(sent[-1].split()[1]).decode("utf-8"), f"{USER}:{PASSWORD}")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_cancel_leaves_the_servers_answer(self):
        run = self.program.start()
        run.wait_title("Start")
        run.type_address(self.site.url("/secret"))
        wait_window(run, LOGIN)
        keys("Escape")
        wait_gone(run, LOGIN)
        run.wait_title("Denied 拒绝")
        time.sleep(1)
        self.assertTrue(all(h.get("Authorization") is None for h in self.site.headers_of("/secret")))
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)

    def test_proxy_log_in(self):
        # A proxy on this machine; the page's host is never looked up, the proxy answers for it.
        proxy = Site({"http://proxied.test/page": through_proxy})
        self.addCleanup(proxy.close)
        run = self.program.start(http_proxy=proxy.url(""), no_proxy="", NO_PROXY="")
        run.wait_title("Start")
        run.type_address("http://proxied.test/page")
        wait_window(run, "代理服务器需要登录")
        self.shot("engine-proxy-login-dialog")
        type_text("bob")
        keys("Tab")
        type_text("proxy pass")
        keys("Return")
        run.wait_title("Through the proxy")
        run.key("ctrl+q")
        self.assertEqual(run.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
