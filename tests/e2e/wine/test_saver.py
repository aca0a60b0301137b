"""The full-screen saver (/s) under Wine: what it shows, what ends it, which commands it drops."""

import time
import unittest

from wine_session import (PATIENCE, SC_CLOSE, SC_SCREENSAVE, SCREEN, VK_SHIFT, WM_KEYDOWN,
                          WM_SYSCOMMAND, WineSession, render, wait_for)

session = None

# Bound balls with no balls: a field of keys in which nothing moves, so any frame is the first.
STILL_SCENE = bytes([ord("2"), 0x00, 0x00])


def setUpModule():
    global session
    session = WineSession()


def tearDownModule():
    session.close()


class FullScreenSaver(unittest.TestCase):
    def setUp(self):
        (session.folder / "Marulex.ini").write_bytes(STILL_SCENE)

    def start_saver(self, env=None):
        process = session.start("/s", env=env)
        self.addCleanup(session.stop, process)
        session.wait_mapped("MainForm")
        return process

    def test_covers_the_screen_with_the_scene_seeded_by_its_start_time(self):
        first = int(time.time())
        process = self.start_saver()
        last = int(time.time())
        # The colour set comes from the time in seconds at which the saver started.
        candidates = {seed: render(SCREEN, session.folder / "Marulex.ini", seed)
                      for seed in range(first, last + 1)}
        self.assertEqual(session.tool("client", session.find_window("MainForm")),
                         [f"{SCREEN[0]} {SCREEN[1]}"])
        shots = []

        def shows_a_candidate():
            shots.append(session.screenshot())
            return shots[-1] in candidates.values()

        try:
            wait_for(shows_a_candidate, "the screen to show the scene", timeout=30)
        except AssertionError:
            width, _, pixels = shots[-1]
            differing = min(
                sum(pixels[i:i + 3] != frame[2][i:i + 3] for i in range(0, len(pixels), 3))
                for frame in candidates.values())
            self.fail(f"the screen differs from every frame of seeds {first}..{last} "
                      f"in at least {differing} pixels")
        session.xdotool("key", "shift")
        self.assertEqual(process.wait(timeout=PATIENCE), 0)

    def test_a_move_of_one_pixel_a_button_or_a_key_ends_it(self):
        inputs = {
            "move right by one pixel": ["mousemove_relative", "--", "1", "0"],
            "move up by one pixel": ["mousemove_relative", "--", "0", "-1"],
            "left button": ["click", "1"],
            "right button": ["click", "3"],
            "Shift": ["key", "shift"],
            "Alt": ["key", "alt"],
            "a letter": ["key", "q"],
        }
        for what, action in inputs.items():
            with self.subTest(what):
                process = self.start_saver()
                session.xdotool(*action)
                self.assertEqual(process.wait(timeout=PATIENCE), 0)

    def test_drops_posted_close_and_screen_save_commands(self):
        # Witness: with the password flag set, every close that reaches the saver calls the test
        # password check once, which refuses, so the saver stays. The commands and a key after
        # them are all queued before the saver takes the first, and the post returns once all
        # are handled: a command that got through adds a check to the key's.
        session.put_beside("PASSWORD.CPL")
        self.addCleanup(session.remove_beside, "PASSWORD.CPL")
        session.set_password_flag("REG_DWORD", 1)
        self.addCleanup(session.delete_password_flag)
        cases = [
            ("SC_CLOSE and SC_SCREENSAVE", [(WM_SYSCOMMAND, SC_CLOSE),
                                            (WM_SYSCOMMAND, SC_SCREENSAVE)], 1),
            ("0xF061", [(WM_SYSCOMMAND, 0xF061)], 2),
        ]
        for number, (what, commands, checks) in enumerate(cases):
            with self.subTest(what):
                log = session.root / f"commands-{number}.txt"
                process = self.start_saver(env={
                    "MARULEX_TEST_LOG": session.windows_path(log),
                    "MARULEX_TEST_ANSWERS": "0"})
                session.post(session.find_window("MainForm"), *commands, (WM_KEYDOWN, VK_SHIFT))
                self.assertEqual(len(log.read_text().splitlines()), checks)
                self.assertIsNone(process.poll())
                session.stop(process)  # before the next case looks for its window


if __name__ == "__main__":
    unittest.main()
