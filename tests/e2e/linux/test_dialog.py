"""The setup dialog: what it shows, what OK writes, the two messages, the ways out that write
nothing, and a folder where the settings file cannot be written."""

import os
import shutil
import signal
import subprocess
import unittest

from marulex_e2e import MarulexTest, TEST_HOST, wait_until

# Points within the client area, from the dialog's layout: the radio buttons' indicators sit at
# their left end.
RADIO = {1: (22, 72), 2: (22, 88), 3: (22, 104), 4: (22, 120)}
COUNT_FIELD = (80, 150)
OK = (52, 188)
CANCEL = (128, 188)


class SetupDialog(MarulexTest):

    def open_dialog(self, *arguments, prefix=()):
        process = self.start(*arguments, prefix=prefix)
        window = self.wait_for_window("Setup")
        x, y, width, height = self.geometry(window)
        self.assertEqual((width, height), (181, 210))
        # Centred on the 640 x 480 screen.
        self.assertEqual((x, y), ((640 - 181) // 2, (480 - 210) // 2))
        self.origin = (x, y)
        return process, window

    def click(self, point):
        self.move_pointer(self.origin[0] + point[0], self.origin[1] + point[1])
        self.x("xdotool", "click", "1")

    def type_count(self, text):
        self.click(COUNT_FIELD)
        self.x("xdotool", "key", "ctrl+a", "BackSpace")
        if text:
            self.x("xdotool", "type", "--", text)

    def press_ok_expecting_a_message(self):
        self.click(OK)
        self.wait_for_window("Marulex")
        self.x("xdotool", "key", "Return")
        self.assertTrue(wait_until(lambda: not self.find_windows("Marulex")), "the box stays")

    def test_ok_writes_what_the_dialog_shows(self):
        cases = [
            (None, b"1\x00\xb4"),            # no file: RANDOM and 180
            (b"3\x01\x2c", b"3\x01\x2c"),    # CORINTH, 300
            (b"1\xff\xff", b"1\xff\xff"),    # 65535: five characters, one more than can be typed
            (b"9\x00\x05", b"1\x00\x05"),    # a scene digit out of range shows RANDOM
            (b"2\x00\x0d\x0a", b"2\x00\x0d\x0a"),  # count 10 in the stored form
        ]
        for stored, written in cases:
            with self.subTest(stored=stored):
                if stored is None:
                    if os.path.exists(self.settings):
                        os.remove(self.settings)
                else:
                    self.write_settings(stored)
                process, _ = self.open_dialog()
                self.click(OK)
                self.assert_ends_with(process, 0)
                self.assertEqual(self.read_settings(), written)

    def test_the_user_s_choice_is_written(self):
        for radio, typed, written in [(4, "123456", b"4\x04\xd2"), (3, " 25", b"3\x00\x19"),
                                      (2, "$1F", b"2\x00\x1f"), (1, "x10", b"1\x00\x10")]:
            with self.subTest(radio=radio, typed=typed):
                self.write_settings(b"2\x00\x00")
                process, _ = self.open_dialog("/c")
                self.click(RADIO[radio])
                # Typing stops at four characters.
                self.type_count(typed)
                self.click(OK)
                self.assert_ends_with(process, 0)
                self.assertEqual(self.read_settings(), written)

    def test_counts_that_are_not_accepted_keep_the_dialog(self):
        # An empty file shows -257, which OK refuses as it is.
        self.write_settings(b"")
        process, _ = self.open_dialog()
        self.press_ok_expecting_a_message()
        for typed in ("", "12a", "+", "0", "-3"):
            with self.subTest(typed=typed):
                self.type_count(typed)
                self.press_ok_expecting_a_message()
                self.assertIsNone(process.poll())
                self.assertEqual(self.read_settings(), b"")
        self.type_count("7")
        self.click(OK)
        self.assert_ends_with(process, 0)
        self.assertEqual(self.read_settings(), b"1\x00\x07")

    def test_cancel_the_close_box_and_signals_write_nothing(self):
        ways = {
            "CANCEL": lambda process, window: self.click(CANCEL),
            "close box": lambda process, window: self.x(TEST_HOST, "close", str(window)),
            "SIGTERM": lambda process, window: process.send_signal(signal.SIGTERM),
        }
        for name, close in ways.items():
            with self.subTest(name):
                self.write_settings(b"3\x01\x2c")
                process, window = self.open_dialog()
                self.click(RADIO[4])
                self.type_count("12a")
                close(process, window)
                self.assert_ends_with(process, 0)
                self.assertEqual(self.read_settings(), b"3\x01\x2c")

    def test_a_folder_that_cannot_be_written_keeps_the_dialog(self):
        prefix = self.read_only_folder()
        process, _ = self.open_dialog(prefix=prefix)
        self.click(RADIO[2])
        self.click(OK)
        self.wait_for_window("Marulex")
        self.screenshot("cannot-write.png")
        self.x("xdotool", "key", "Return")
        self.assertTrue(wait_until(lambda: not self.find_windows("Marulex")), "the box stays")
        self.assertIsNone(process.poll())
        self.assertFalse(os.path.exists(self.settings))
        self.assertEqual([name for name in os.listdir(self.folder) if "Marulex" in name], [])
        self.click(CANCEL)
        self.assert_ends_with(process, 0)

    def read_only_folder(self):
        """Makes the program's folder one it cannot write to; returns the command prefix to run
        the program with. As root every folder is writable, so root runs it as nobody."""
        if os.geteuid() != 0:
            os.chmod(self.folder, 0o555)
            self.addCleanup(os.chmod, self.folder, 0o755)
            return ()
        setpriv = shutil.which("setpriv")
        probe = [setpriv, "--reuid", "65534", "--regid", "65534", "--clear-groups"]
        if setpriv is None or subprocess.run(probe + ["true"]).returncode != 0:
            self.skipTest("running as root and setpriv cannot change to uid 65534")
        os.chmod(self.folder, 0o755)
        runtime = self.env["XDG_RUNTIME_DIR"]
        os.chown(runtime, 65534, 65534)
        return tuple(probe)


if __name__ == "__main__":
    unittest.main()
