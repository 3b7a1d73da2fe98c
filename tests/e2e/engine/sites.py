"""Local servers on 127.0.0.1 whose answers are written per path, over HTTP or over TLS with
a self-signed certificate made for the test, and the engine's dialogs found by caption."""

import http.server
import os
import shutil
import ssl
import subprocess
import threading
import time

from harness import wait_for, xdotool


class Site:
    """Serves `routes` (path -> function(handler) that answers) and records every request as
    (path, headers). With `certificate` ((cert file, key file)) it speaks TLS only; failed
    handshakes are counted, since a client that refuses the certificate sends no request."""

    def __init__(self, routes, certificate=None):
        self.routes = dict(routes)
        self.requests = []
        self.handshakes_failed = 0
        self.lock = threading.Lock()
        owner = self
        context = None
        if certificate:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(*certificate)

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def setup(self):
                if context is not None:
                    try:
                        self.request = context.wrap_socket(self.request, server_side=True)
                    except (ssl.SSLError, OSError):
                        with owner.lock:
                            owner.handshakes_failed += 1
                        self.request.close()
                        raise
                super().setup()

            def do_GET(self):
                path = self.path.split("#")[0]
                with owner.lock:
                    owner.requests.append((path, dict(self.headers)))
                answer = owner.routes.get(path)
                if answer is None:
                    send(self, "<title>404</title>not found", status=404)
                else:
                    answer(self)

            def log_message(self, *args):
                pass

        class Server(http.server.ThreadingHTTPServer):
            daemon_threads = True

            def handle_error(self, request, client_address):
                pass  # refused handshakes and cut connections are part of the tests

        self.httpd = Server(("127.0.0.1", 0), Handler)
        self.port = self.httpd.server_address[1]
        self.scheme = "https" if certificate else "http"
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def url(self, path="/"):
        return f"{self.scheme}://127.0.0.1:{self.port}{path}"

    def paths(self):
        with self.lock:
            return [p for p, _ in self.requests]

    def headers_of(self, path):
        with self.lock:
            return [h for p, h in self.requests if p == path]

    def wait_request(self, path, timeout=30.0):
        return wait_for(lambda: path in self.paths(), timeout, what=f"a request for {path}")

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


def send(handler, body, status=200, headers=(), kind="text/html; charset=utf-8"):
    data = body.encode("utf-8") if isinstance(body, str) else body
    handler.send_response(status)
    handler.send_header("Content-Type", kind)
    handler.send_header("Content-Length", str(len(data)))
    for name, value in headers:
        handler.send_header(name, value)
    handler.end_headers()
    handler.wfile.write(data)


def html(title, body="", status=200, headers=()):
    """A route answering with a page."""
    text = f"<!doctype html><html><head><meta charset='utf-8'><title>{title}</title></head><body>{body}</body></html>"
    return lambda handler: send(handler, text, status, headers)


def attachment(name, data, chunk=None, pause=0.0, cut=None):
    """A route answering with a file to download, all at once or `chunk` bytes every `pause`
    seconds. `cut` (a list) receives True when the client went away before the end."""

    def answer(handler):
        handler.send_response(200)
        handler.send_header("Content-Type", "application/octet-stream")
        handler.send_header("Content-Disposition", f'attachment; filename="{name}"')
        handler.send_header("Content-Length", str(len(data)))
        handler.end_headers()
        step = chunk or len(data)
        try:
            for start in range(0, len(data), step):
                handler.wfile.write(data[start:start + step])
                handler.wfile.flush()
                time.sleep(pause)
        except OSError:
            if cut is not None:
                cut.append(True)
            handler.close_connection = True

    return answer


def make_certificate(folder):
    """A self-signed certificate for 127.0.0.1, valid for two days: (cert file, key file)."""
    if shutil.which("openssl") is None:
        raise AssertionError("the openssl command is needed to make the test's certificate")
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                    "-keyout", key, "-out", cert], check=True, capture_output=True, timeout=60)
    return cert, key


def find_window(run, caption):
    """The visible windows of this run whose caption is exactly `caption`."""
    out = xdotool("search", "--all", "--onlyvisible", "--pid", run.process.pid, "--name", f"^{caption}$", check=False)
    return [w for w in out.split() if w]


def wait_window(run, caption, timeout=30.0):
    """Waits for a window of the run with that caption and gives it the keyboard."""
    def find():
        if run.process.poll() is not None:
            raise AssertionError(f"the program ended with {run.process.returncode} while waiting for {caption!r}")
        found = find_window(run, caption)
        return found[-1] if found else None

    window = wait_for(find, timeout, what=f"a window {caption!r}")
    focus(window)
    return window


def wait_gone(run, caption, timeout=30.0):
    wait_for(lambda: not find_window(run, caption), timeout, what=f"window {caption!r} to close")


def focus(window):
    xdotool("windowactivate", "--sync", window, check=False)
    xdotool("windowfocus", "--sync", window, check=False)
    time.sleep(0.3)


def keys(*names):
    xdotool("key", "--clearmodifiers", *names)


def type_text(text):
    xdotool("type", "--delay", 20, text)
