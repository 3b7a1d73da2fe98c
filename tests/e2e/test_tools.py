"""A second window in a second process, and whose history the file keeps."""

import os
import signal
import unittest

from harness import E2ETest, HISTORY, Run, page, wait_for, xdotool


class NewWindow(E2ETest):
    pages = {"/": page("一 One"), "/two": page("二 Two"), "/three": page("三 Three")}

    def test_second_window_and_the_last_one_closed_wins(self):
        first = self.start_at("/")
        first.wait_title("一 One")
        first.key("ctrl+n")

        def other_window():
            for w in xdotool("search", "--onlyvisible", "--name", ".", check=False).split():
                pid = xdotool("getwindowpid", w, check=False)
                if pid and int(pid) != first.process.pid and xdotool("getwindowname", w, check=False) == "一 One":
                    return w, int(pid)
            return None
        window, pid = wait_for(other_window, 40, what="the second window")
        self.addCleanup(lambda: os.path.exists(f"/proc/{pid}") and os.kill(pid, signal.SIGKILL))
        second = Run.attach(self.program, pid, window)

        first.type_address(self.server.url("/two"))
        first.wait_title("二 Two")
        second.type_address(self.server.url("/three"))
        second.wait_title("三 Three")

        first.key("ctrl+q")
        self.assertEqual(first.wait_exit(), 0)
        second.key("ctrl+q")
        wait_for(lambda: not os.path.exists(f"/proc/{pid}") or open(f"/proc/{pid}/stat").read().split()[2] == "Z", 30,
                 what="the second process to end")
        history = self.program.read(HISTORY).decode("gb18030").split("\r\n")
        self.assertEqual(history[0], self.server.url("/three"))
        self.assertNotIn(self.server.url("/two"), history)


if __name__ == "__main__":
    unittest.main()
