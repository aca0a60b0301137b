"""The full-screen saver: its window and picture, what ends it and what does not."""

import signal
import unittest

from marulex_e2e import MarulexTest, TEST_HOST


class FullScreenSaver(MarulexTest):

    def test_covers_the_screen_with_the_rendered_frame(self):
        # Both ways of presenting: shared memory straight to X, and Qt's repaint where X has none.
        for present in ("", "qt"):
            with self.subTest(present=present or "shared memory"):
                self.env["MARULEX_PRESENT"] = present
                process, window, seeds, _ = self.start_saver()
                self.assertEqual(self.geometry(window), (0, 0, 640, 480))
                self.assert_shows_frame((0, 0, 640, 480), seeds, self.settings)
                self.assertEqual(self.cursor(), "blank")
                self.assertIsNone(process.poll())
                self.stop(process, signal.SIGTERM)
                self.assert_ends_with(process, 0)

    def test_a_move_to_the_resting_point_keeps_it(self):
        process, _, _, (x, y) = self.start_saver()
        self.move_pointer(x + 5, y)
        self.assert_ends_with(process, 0)
        # Started again where the pointer now rests, a move to that same point changes nothing.
        process, _, _, (x, y) = self.start_saver()
        self.move_pointer(x, y)
        self.assert_still_runs(process)

    def test_input_ends_it(self):
        inputs = {
            "one pixel right": lambda x, y: self.move_pointer(x + 1, y),
            "one pixel down": lambda x, y: self.move_pointer(x, y + 1),
            "one pixel up and left": lambda x, y: self.move_pointer(x - 1, y - 1),
            "left button": lambda x, y: self.x("xdotool", "click", "1"),
            "right button": lambda x, y: self.x("xdotool", "click", "3"),
            "a letter key": lambda x, y: self.x("xdotool", "key", "a"),
            "Tab": lambda x, y: self.x("xdotool", "key", "Tab"),
            "Shift alone": lambda x, y: self.x("xdotool", "key", "Shift_L"),
            "Control alone": lambda x, y: self.x("xdotool", "key", "Control_R"),
            "Alt alone": lambda x, y: self.x("xdotool", "key", "Alt_L"),
        }
        for name, act in inputs.items():
            with self.subTest(name):
                process, _, _, home = self.start_saver()
                act(*home)
                self.assert_ends_with(process, 0)

    def test_close_signals_end_it(self):
        for signal_number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            with self.subTest(signal_number.name):
                process, _, _, _ = self.start_saver()
                self.stop(process, signal_number)
                self.assert_ends_with(process, 0)
                self.assertEqual(self.cursor(), "visible")

    def test_the_window_managers_close_request_is_dropped(self):
        process, window, _, _ = self.start_saver()
        self.x(TEST_HOST, "close", str(window))
        self.assert_still_runs(process)

    def test_refused_command_lines_exit_255_without_a_display(self):
        del self.env["DISPLAY"]
        for arguments in (["/x"], ["/"], ["/p"], ["/p", "1", "2"]):
            with self.subTest(arguments):
                self.assertEqual(self.run_program(*arguments), 255)

    def test_without_a_display_it_says_so_and_ends_with_0(self):
        self.env["DISPLAY"] = ":65000"
        for arguments in (["/s"], ["/c"], ["/p", "123"], ["/a"]):
            with self.subTest(arguments):
                process = self.start(*arguments)
                self.assert_ends_with(process, 0)
                with open(self.folder + f"/stderr-{len(self.processes) - 1}.txt") as log:
                    self.assertIn('Cannot open display ":65000"', log.read())


if __name__ == "__main__":
    unittest.main()
