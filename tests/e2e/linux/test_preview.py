"""The preview inside a host's window, the one-preview rule, and hosts that name no window."""

import os
import signal
import time
import unittest

from marulex_e2e import MarulexTest, wait_until


class Preview(MarulexTest):

    def start_preview(self, host):
        process = self.start("/p", str(host))
        child = wait_until(lambda: self.children(host))
        self.assertTrue(child, "no preview window in the host")
        return process, child

    def test_fills_the_host_window_and_ignores_input(self):
        self.write_settings(b"2\x00\x00")
        _, host = self.host_window("152x112", 50, 60)
        before = int(time.time())
        process, children = self.start_preview(host)
        seeds = range(before, int(time.time()) + 1)
        self.assertEqual(len(children), 1)
        self.assertEqual(self.geometry(children[0]), (50, 60, 152, 112))
        self.assertIn("Relative upper-left X:  0", self.x("xwininfo", "-id", str(children[0])))
        self.assert_shows_frame((50, 60, 152, 112), seeds, self.settings)
        self.move_pointer(100, 100)
        self.move_pointer(101, 101)
        self.x("xdotool", "click", "1")
        self.x("xdotool", "key", "a")
        self.assert_still_runs(process)

    def test_one_preview_at_a_time(self):
        _, host = self.host_window()
        first, _ = self.start_preview(host)
        second = self.start("/p", str(host))
        self.assert_ends_with(second, 255, timeout=5)
        self.assertIsNone(first.poll())
        # The saver does not care about a running preview.
        saver = self.start("/s")
        self.wait_for_window("MainForm")
        self.stop(saver)
        self.assert_ends_with(saver, 0)

        self.stop(first)
        self.assert_ends_with(first, 0)
        third, _ = self.start_preview(host)
        self.assert_still_runs(third)

    def test_ends_when_the_host_destroys_its_window(self):
        host_process, host = self.host_window()
        process, _ = self.start_preview(host)
        host_process.send_signal(signal.SIGUSR1)
        self.assertEqual(host_process.stdout.readline().strip(), b"destroyed")
        self.assert_ends_with(process, 0)

    def test_runs_as_an_xscreensaver_hack(self):
        _, host = self.host_window()
        self.env["XSCREENSAVER_WINDOW"] = hex(host)
        # The daemon puts "exec" in front of the command, so its SIGTERM reaches the program.
        for command in ("exec {} /p $(($XSCREENSAVER_WINDOW))",
                        "{} /p $(($XSCREENSAVER_WINDOW))"):
            with self.subTest(command):
                shell = self.start(shell=command.format(self.program), start_new_session=True)
                self.assertTrue(wait_until(lambda: self.children(host)), "no preview window")
                if command.startswith("exec"):
                    self.stop(shell)
                    self.assert_ends_with(shell, 0)
                else:
                    # Through a shell that stays, the program gets the signal with its group.
                    os.killpg(shell.pid, signal.SIGTERM)
                    shell.wait(5)
                self.assertTrue(wait_until(lambda: not self.children(host)), "the preview stays")

    def test_a_host_that_names_no_window_gets_the_error_display(self):
        root = int(self.x("xwininfo", "-root").split("Window id: ")[1].split()[0], 16)
        # 0 is no window; 999999999 names none; the root's id plus 2^32 must not be cut down to
        # the root's.
        for handle in ("0", "999999999", str(root + 2**32)):
            with self.subTest(handle):
                process = self.start("/p", handle)
                # The caption is the program's default title, its file name.
                self.wait_for_window("marulex")
                self.x("xdotool", "key", "Return")
                self.assert_ends_with(process, 0)


if __name__ == "__main__":
    unittest.main()
