"""The missing skin engine, end to end: the real executable, copied alone into a fresh
folder, with a system directory that cannot be made and no engine anywhere. It must show
the error box, never show the main window, and end with exit code -1 (255) once the box
is closed. (The box's text, naming the library and its entry point, is checked by the
unit tests, which read it off the box itself.)

Runs on an X display (ctest starts it under xvfb-run) inside a network namespace with only
loopback (scripts/test); it refuses to run where other interfaces exist.
"""

import os
import shutil
import subprocess
import tempfile
import time
import unittest

EXE = os.environ.get("SORVANE_EXE", "")


def xdotool(*args, timeout=10):
    result = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=timeout)
    return result.stdout.split()


def window_name(window):
    result = subprocess.run(["xdotool", "getwindowname", window], capture_output=True, text=True, timeout=10)
    return result.stdout.strip()


class MissingEngine(unittest.TestCase):
    def setUp(self):
        if not EXE or not os.path.exists(EXE):
            self.skipTest("SORVANE_EXE does not name the built executable")
        if not os.environ.get("DISPLAY"):
            self.skipTest("needs an X display")
        with open("/proc/self/net/dev") as f:  # this namespace's interfaces
            others = [line.split(":")[0].strip() for line in f.readlines()[2:]]
        others = [n for n in others if n != "lo"]
        if others:
            self.skipTest("run inside a network namespace with only loopback (scripts/test)")
        self.root = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.root, True)
        self.home = os.path.join(self.root, "home")
        self.program = os.path.join(self.root, "program")
        self.runtime = os.path.join(self.root, "runtime")
        for d in (self.home, self.program, self.runtime):
            os.makedirs(d)
        os.chmod(self.runtime, 0o700)
        # The system directory is $HOME/.local/lib: a file named .local keeps it from being made.
        with open(os.path.join(self.home, ".local"), "w") as f:
            f.write("not a folder\n")
        self.exe = os.path.join(self.program, "sorvane")
        shutil.copy(EXE, self.exe)
        self.wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(self.wm.kill)
        time.sleep(1)

    def test_error_box_then_exit_255_without_the_main_window(self):
        env = dict(os.environ, HOME=self.home, XDG_RUNTIME_DIR=self.runtime)
        if os.getuid() == 0:
            env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        process = subprocess.Popen([self.exe], cwd=self.root, env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: process.poll() is None and process.kill())

        windows = []
        deadline = time.time() + 60
        while not windows and time.time() < deadline and process.poll() is None:
            windows = xdotool("search", "--onlyvisible", "--pid", str(process.pid))
            time.sleep(0.3)
        self.assertIsNone(process.poll(), "the program ended before showing the error box")
        self.assertEqual(len(windows), 1, "exactly one window, the error box, is shown")
        box = windows[0]
        self.assertEqual(window_name(box), "运行时错误")
        self.assertEqual(xdotool("search", "--onlyvisible", "--name", "Sorvane浏览器"), [])

        xdotool("windowactivate", "--sync", box)
        xdotool("key", "Return")
        self.assertEqual(process.wait(timeout=30), 255)
        self.assertEqual(os.listdir(self.program), ["sorvane"])  # nothing written beside it


if __name__ == "__main__":
    unittest.main()
