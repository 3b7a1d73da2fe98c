"""End-to-end harness: the real executable, alone in a fresh folder, with a fresh HOME,
under the X server the test runs in (xvfb-run), with a window manager, driven as a user
would drive it, against local servers on 127.0.0.1 only."""

import http.server
import os
import shutil
import signal
import stat
import subprocess
import tempfile
import threading
import time
import unittest

EXE = os.environ.get("SORVANE_EXE", os.path.join(os.path.dirname(__file__), "..", "..", "build", "sorvane"))
SETTINGS = "浏览器.ini"
HISTORY = "lj.txt"
FAVOURITES = "收藏夹"

_window_manager = None


def ensure_window_manager():
    """One openbox (frames, close box) and one compositor (opacity) per test process."""
    global _window_manager
    if _window_manager is None:
        _window_manager = [
            subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL),
            subprocess.Popen(["xcompmgr"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL),
            # A system tray in the top left corner, for the program's tray icon.
            subprocess.Popen(["trayer", "--edge", "top", "--align", "left", "--widthtype", "pixel", "--width", "100",
                              "--heighttype", "pixel", "--height", "30", "--SetDockType", "true"],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL),
        ]
        time.sleep(0.5)


def wait_for(predicate, timeout=20.0, interval=0.1, what="condition"):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    raise AssertionError(f"timed out after {timeout}s waiting for {what}")


def xdotool(*args, check=True):
    result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, timeout=30)
    if check and result.returncode != 0:
        raise AssertionError(f"xdotool {' '.join(map(str, args))} failed: {result.stderr}")
    return result.stdout.strip()


def read_ini(path, section="SZ"):
    """The keys of one section, as the program wrote them (code page GB18030)."""
    values = {}
    if not os.path.exists(path):
        return values
    current = None
    with open(path, "rb") as f:
        for raw in f.read().decode("gb18030").splitlines():
            line = raw.strip()
            if line.startswith("[") and line.endswith("]"):
                current = line[1:-1].strip().lower()
            elif current == section.lower() and "=" in line:
                key, value = line.split("=", 1)
                values.setdefault(key.strip(), value.strip())
    return values


class Program:
    """One copy of the executable in a folder of its own."""

    def __init__(self, folder=None, home=None):
        self.root = tempfile.mkdtemp(prefix="sorvane-e2e-")
        self.folder = folder or os.path.join(self.root, "program")
        self.home = home or os.path.join(self.root, "home")
        self.runtime = os.path.join(self.root, "runtime")
        os.makedirs(self.folder, exist_ok=True)
        os.makedirs(self.home, exist_ok=True)
        os.makedirs(self.runtime, mode=0o700, exist_ok=True)
        os.chmod(self.runtime, 0o700)
        self.exe = os.path.join(self.folder, "sorvane")
        if not os.path.exists(self.exe):
            shutil.copy2(EXE, self.exe)
        self.processes = []

    def path(self, *names):
        return os.path.join(self.folder, *names)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode("gb18030"))

    def read(self, name):
        try:
            with open(self.path(name), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def settings(self):
        return read_ini(self.path(SETTINGS))

    def env(self, **extra):
        env = dict(os.environ)
        env.update(HOME=self.home, XDG_RUNTIME_DIR=self.runtime, QTWEBENGINE_DISABLE_SANDBOX="1")
        env.pop("SORVANE_EXE", None)
        env.update(extra)
        return env

    def start(self, **extra_env):
        ensure_window_manager()
        log = open(os.path.join(self.root, f"run{len(self.processes)}.log"), "wb")
        process = subprocess.Popen([self.exe], cwd=self.root, env=self.env(**extra_env),
                                   stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
        run = Run(self, process, log)
        self.processes.append(run)
        return run

    def cleanup(self):
        for run in self.processes:
            run.kill()
        shutil.rmtree(self.root, ignore_errors=True)


class Run:
    """One running process of the program and its main window."""

    def __init__(self, program, process, log):
        self.program = program
        self.process = process
        self.log = log
        self._window = None

    @classmethod
    def attach(cls, program, pid, window):
        """A run the program started itself (a second window), known by its pid and window."""
        class Started:
            def __init__(self, pid):
                self.pid = pid

            def poll(self):
                return None if os.path.exists(f"/proc/{self.pid}") else 0

        run = cls(program, Started(pid), open(os.devnull, "wb"))
        run._window = window
        return run

    def windows(self):
        out = xdotool("search", "--onlyvisible", "--pid", self.process.pid, check=False)
        return [w for w in out.split() if w]

    def main_window(self, timeout=40.0):
        """The visible top-level window that carries the menu bar (the largest of ours)."""
        if self._window is None:
            def find():
                if self.process.poll() is not None:
                    raise AssertionError(f"the program ended with {self.process.returncode} before showing its window")
                for w in self.windows():
                    if self.geometry(w)[2] >= 400:
                        return w
                return None
            self._window = wait_for(find, timeout, what="the main window")
        return self._window

    def geometry(self, window=None):
        out = xdotool("getwindowgeometry", "--shell", window or self.main_window())
        values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def tray_icon(self, timeout=20.0):
        """The program's icon in the system tray: a small window of its own."""
        def find():
            for w in self.windows():
                _, _, width, height = self.geometry(w)
                if width <= 64 and height <= 64:
                    return w
            return None
        return wait_for(find, timeout, what="the tray icon")

    def origin(self):
        """The screen position of the main window's client area."""
        x, y, _, _ = self.geometry()
        return x, y

    def title(self, window=None):
        return xdotool("getwindowname", window or self.main_window(), check=False)

    def wait_title(self, expected, timeout=30.0):
        return wait_for(lambda: self.title() == expected, timeout, what=f"caption {expected!r} (now {self.title()!r})")

    def activate(self):
        w = self.main_window()
        xdotool("windowactivate", "--sync", w, check=False)
        xdotool("windowfocus", "--sync", w, check=False)
        time.sleep(0.2)
        return w

    def key(self, *keys):
        self.activate()
        xdotool("key", "--clearmodifiers", *keys)

    def click(self, x, y, button=1, double=False):
        """A click at a point of the main window's client area (window coordinates)."""
        w = self.activate()
        xdotool("mousemove", "--window", w, x, y)
        time.sleep(0.1)
        if double:
            xdotool("click", "--repeat", 2, "--delay", 80, button)
        else:
            xdotool("click", button)

    def type_address(self, address):
        """Types into the address box and presses Enter, as a user would."""
        self.click(300, self.address_box_y())
        xdotool("key", "--clearmodifiers", "ctrl+a")
        xdotool("type", "--delay", 20, address)
        xdotool("key", "Return")

    def address_box_y(self):
        # The address box lies 50..70 pixels below the top of the client area, under the
        # menu bar (about 20..30 pixels high).
        return 50 + 25 + 10

    def close_box(self):
        subprocess.run(["wmctrl", "-i", "-c", self.main_window()], check=False, timeout=10)

    def wait_exit(self, timeout=30.0):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the program did not end within {timeout}s")

    def kill(self):
        if self.process.poll() is None:
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.process.wait(10)
        self.log.close()

    def output(self):
        self.log.flush()
        with open(self.log.name, "rb") as f:
            return f.read().decode("utf-8", "replace")


def pixel(x, y):
    """The colour of one pixel of the screen as (r, g, b)."""
    out = subprocess.run(["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                         capture_output=True, text=True, timeout=30).stdout
    for line in out.splitlines():
        if line.startswith(f"0,0:"):
            values = line.split("(", 1)[1].split(")", 1)[0].split(",")
            return tuple(int(float(v)) for v in values[:3])
    raise AssertionError(f"no pixel at {x},{y}: {out!r}")


def window_property(window, name):
    out = subprocess.run(["xprop", "-id", str(window), name], capture_output=True, text=True, timeout=10).stdout
    return out.split("=", 1)[1].strip() if "=" in out else None


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], check=False, timeout=30)
    return path


class Server:
    """A small HTTP server on 127.0.0.1 that serves given pages and records every request."""

    def __init__(self, pages=None, delays=None):
        self.pages = dict(pages or {})
        self.delays = dict(delays or {})  # path -> seconds before the answer
        self.requests = []
        owner = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                owner.requests.append((self.command, self.path, dict(self.headers)))
                time.sleep(owner.delays.get(self.path, 0))
                page = owner.pages.get(self.path.split("#")[0])
                if page is None:
                    body, status, kind = b"<html><title>404</title>not found</html>", 404, "text/html"
                elif isinstance(page, tuple):
                    body, kind = page
                    status = 200
                else:
                    body, status, kind = page.encode("utf-8"), 200, "text/html; charset=utf-8"
                self.send_response(status)
                self.send_header("Content-Type", kind)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def url(self, path="/"):
        return f"http://127.0.0.1:{self.port}{path}"

    def paths(self):
        return [p for _, p, _ in self.requests]

    def wait_request(self, path, timeout=30.0):
        return wait_for(lambda: path in self.paths(), timeout, what=f"a request for {path}")

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


def page(title, body=""):
    return f"<!doctype html><html><head><meta charset='utf-8'><title>{title}</title></head><body>{body}</body></html>"


class E2ETest(unittest.TestCase):
    """Gives each test a fresh program folder and a local server; cleans both up."""

    pages = {}
    delays = {}

    def setUp(self):
        self.program = Program()
        self.server = Server(self.pages, self.delays)
        self.addCleanup(self.program.cleanup)
        self.addCleanup(self.server.close)

    def start_at(self, path="/", **env):
        """Starts the program with its home page on the local server."""
        self.program.write(SETTINGS, f"[SZ]\r\nzy={self.server.url(path)}\r\n")
        return self.program.start(**env)

    def shot(self, name):
        folder = os.environ.get("SORVANE_SHOTS")
        if folder:
            os.makedirs(folder, exist_ok=True)
            return screenshot(os.path.join(folder, name + ".png"))
        return None


# --- the desktop's accessibility bus (AT-SPI) ---------------------------------------------

_ATSPI_QUERY = r"""
import json, sys
import pyatspi
pid = int(sys.argv[1])
out = []
def walk(node, parent_role, depth):
    if node is None or depth > 30:
        return
    try:
        role = node.getRoleName()
        states = node.getState()
        try:
            e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            extents = [e.x, e.y, e.width, e.height]
        except Exception:
            extents = None
        out.append({"name": node.name or "", "role": role, "parent_role": parent_role, "depth": depth,
                    "focused": states.contains(pyatspi.STATE_FOCUSED),
                    "showing": states.contains(pyatspi.STATE_SHOWING), "extents": extents})
        for i in range(node.childCount):
            walk(node.getChildAtIndex(i), role, depth + 1)
    except Exception:
        pass
for app in pyatspi.Registry.getDesktop(0):
    try:
        if app is not None and app.get_process_id() == pid:
            walk(app, "", 0)
    except Exception:
        pass
print(json.dumps(out))
"""

_accessibility_bus = None


def _python_with_pyatspi():
    import sys
    for python in (sys.executable, "/usr/bin/python3"):
        if python and subprocess.run([python, "-c", "import pyatspi"], capture_output=True).returncode == 0:
            return python
    return None


class SessionBus:
    """A private D-Bus session bus, as a desktop session has."""

    def __init__(self):
        self.daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.address = self.daemon.stdout.readline().strip()
        self.processes = [self.daemon]

    def env(self):
        return {"DBUS_SESSION_BUS_ADDRESS": self.address}

    def spawn(self, args, **env):
        """A process on this bus, ended with it."""
        process = subprocess.Popen(args, env={**os.environ, **self.env(), **env}, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.processes.insert(0, process)
        return process

    def close(self):
        for process in self.processes:
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(10)
        self.daemon.stdout.close()


class AccessibilityBus(SessionBus):
    """A session bus with the AT-SPI bus launcher on it."""

    LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

    def __init__(self, python):
        super().__init__()
        self.python = python
        self.spawn([self.LAUNCHER, "--launch-immediately"])
        wait_for(lambda: subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
            env={**os.environ, **self.env()}, capture_output=True).returncode == 0, 10, what="the AT-SPI bus")

    def env(self):
        return {**super().env(), "NO_AT_BRIDGE": "0"}


def accessibility_bus():
    """Starts the accessibility bus; None when this machine lacks what it needs."""
    global _accessibility_bus
    python = _python_with_pyatspi()
    if not python or not shutil.which("dbus-send") or not os.path.exists(AccessibilityBus.LAUNCHER):
        return None
    _accessibility_bus = AccessibilityBus(python)
    return _accessibility_bus


def accessible_tree(pid, bus=None):
    """Every accessible object of the process with that pid, depth first: name, role,
    parent_role, depth, focused, showing, extents (x, y, width, height on the screen).
    Empty while the process is not on the bus."""
    import json
    bus = bus or _accessibility_bus
    result = subprocess.run([bus.python, "-c", _ATSPI_QUERY, str(pid)], env={**os.environ, **bus.env()},
                            capture_output=True, text=True, timeout=60)
    try:
        return json.loads(result.stdout or "[]")
    except ValueError:
        return []


# --- an input method (fcitx5 with pinyin) ---------------------------------------------

FCITX_PROFILE = """[Groups/0]
Name=Default
Default Layout=us
DefaultIM=pinyin

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=pinyin
Layout=

[GroupOrder]
0=Default
"""


class Fcitx:
    """fcitx5 on a private session bus with pinyin as its second input method, and what a
    Qt program needs to reach it."""

    def __init__(self, home):
        self.bus = SessionBus()
        config = os.path.join(home, ".config", "fcitx5")
        os.makedirs(config, exist_ok=True)
        with open(os.path.join(config, "profile"), "w") as f:
            f.write(FCITX_PROFILE)
        self.own_env = {"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, ".config"),
                        "XDG_DATA_HOME": os.path.join(home, ".local", "share")}
        self.bus.spawn(["fcitx5", "--disable=wayland,waylandim,notificationitem,kimpanel"], **self.own_env)
        wait_for(lambda: self.remote() in ("0", "1", "2"), 20, what="fcitx5 on the bus")

    def remote(self, *args):
        result = subprocess.run(["fcitx5-remote", *args], env={**os.environ, **self.bus.env(), **self.own_env},
                                capture_output=True, text=True, timeout=10)
        return result.stdout.strip()

    def env(self):
        """For the program: the bus and the Qt input method module."""
        return {**self.bus.env(), "QT_IM_MODULE": "fcitx"}

    def activate(self):
        """Switches the focused field to pinyin, as the trigger key would."""
        # The field's input context may reach fcitx5 a moment after the focus: ask again until it is on.
        def active():
            self.remote("-o")
            return self.remote() == "2"
        return wait_for(active, 20, interval=0.3, what="the input method to be active")

    def close(self):
        self.bus.close()


def fcitx_missing():
    """Why fcitx5 cannot run here, or None."""
    for tool in ("fcitx5", "fcitx5-remote", "dbus-daemon"):
        if not shutil.which(tool):
            return f"{tool} is not installed"
    import glob
    if not glob.glob("/usr/lib/*/qt6/plugins/platforminputcontexts/libfcitx5platforminputcontextplugin.so"):
        return "fcitx5-frontend-qt6 is not installed"
    if not os.path.exists("/usr/share/fcitx5/addon/pinyin.conf"):
        return "fcitx5-chinese-addons is not installed"
    return None
