"""The preview (/p HWND) under Wine, inside a host window made by wintool.

Wine does not show what a process draws into a child window whose top-level window belongs to
another process, so the preview's pixels are not compared here; the full-screen test compares
the same drawing code's pixels."""

import unittest

from wine_session import (PATIENCE, SC_CLOSE, SC_SCREENSAVE, WM_MOUSEWHEEL, WM_SYSCOMMAND,
                          Host, WineSession)

session = None


def setUpModule():
    global session
    session = WineSession()


def tearDownModule():
    session.close()


class Preview(unittest.TestCase):
    def setUp(self):
        (session.folder / "Marulex.ini").write_bytes(bytes([ord("2"), 0x00, 0x00]))
        self.host = Host(session)
        self.addCleanup(self.host.close)

    def start_preview(self):
        """Starts a preview in the host's window; returns the process and the preview's window."""
        process = session.start("/p", str(self.host.handle))
        self.addCleanup(session.stop, process)
        return process, int(self.host.wait_line("CREATED").split()[1])

    def test_is_a_child_filling_the_host_window_and_a_second_preview_is_refused(self):
        process, window = self.start_preview()
        handle, style, *place = session.tool("child", self.host.handle)[0].split()
        self.assertEqual(int(handle), window)
        self.assertEqual(style, "0x56000000")
        self.assertEqual([int(n) for n in place], [0, 0, *Host.SIZE])
        # Wine reports the exit status -1 as 255.
        self.assertEqual(session.run("/p", str(self.host.handle)), 255)
        self.assertIsNone(process.poll())

    def test_drops_posted_close_and_screen_save_commands_but_not_0xF061(self):
        process, window = self.start_preview()
        # A wheel message that the preview does not use goes on to the host's window: once the
        # host has it, the preview has taken the commands posted before it.
        session.post(window, (WM_SYSCOMMAND, SC_CLOSE), (WM_SYSCOMMAND, SC_SCREENSAVE),
                     (WM_MOUSEWHEEL, 0))
        self.host.wait_line("WHEEL")
        # Had a command asked the loop to end, it would have ended right after that message.
        session.post(window, (WM_MOUSEWHEEL, 0))
        self.host.wait_line("WHEEL")
        self.assertIsNone(process.poll())
        session.post(window, (WM_SYSCOMMAND, 0xF061))
        self.assertEqual(process.wait(timeout=PATIENCE), 0)

    def test_ends_when_the_host_destroys_its_window(self):
        process, _ = self.start_preview()
        self.host.send("destroy")
        self.host.wait_line("DESTROYED")
        self.assertEqual(process.wait(timeout=PATIENCE), 0)


if __name__ == "__main__":
    unittest.main()
