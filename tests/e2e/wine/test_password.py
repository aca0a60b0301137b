"""The password services under Wine: the check before the full-screen saver closes, driven by the
registry flag, and the password change (/a). Test builds of PASSWORD.CPL and MPR.DLL beside the
program record their calls."""

import unittest

from wine_session import PATIENCE, Host, WineSession, wait_for

session = None


def setUpModule():
    global session
    session = WineSession()
    session.put_beside("PASSWORD.CPL", "MPR.DLL")
    (session.folder / "Marulex.ini").write_bytes(bytes([ord("2"), 0x00, 0x00]))


def tearDownModule():
    session.close()


def calls(log):
    return log.read_text().splitlines() if log.exists() else []


class PasswordCheck(unittest.TestCase):
    def setUp(self):
        self.addCleanup(session.delete_password_flag)
        self.log = session.root / f"{self.id()}.txt"
        self.addCleanup(self.log.unlink, missing_ok=True)

    def start_saver(self, answers="1"):
        process = session.start("/s", env={"MARULEX_TEST_LOG": session.windows_path(self.log),
                                           "MARULEX_TEST_ANSWERS": answers})
        self.addCleanup(session.stop, process)
        session.wait_mapped("MainForm")
        return process, session.find_window("MainForm")

    def test_the_flag_decides_whether_the_check_runs_and_its_answer_whether_the_saver_ends(self):
        cases = [
            # what, flag, answers of the checks, clicks until the saver ends, checks made
            ("flag 1, accepted", 1, "1", 1, 1),
            ("flag 1, refused once", 1, "0 1", 2, 2),
            ("flag 0", 0, "0", 1, 0),
            ("flag 2", 2, "0", 1, 0),
        ]
        for what, flag, answers, clicks, checks in cases:
            with self.subTest(what):
                self.log.unlink(missing_ok=True)
                session.set_password_flag("REG_DWORD", flag)
                process, window = self.start_saver(answers)
                for click in range(1, clicks):
                    session.xdotool("click", "1")
                    # A refused check: the saver stays and the next click asks again.
                    wait_for(lambda: len(calls(self.log)) == click, f"check {click}")
                session.xdotool("click", "1")
                self.assertEqual(process.wait(timeout=PATIENCE), 0)
                # The cursor shows while the check runs.
                self.assertEqual(calls(self.log),
                                 [f"VerifyScreenSavePwd {window} cursor-shown"] * checks)

    def test_a_flag_stored_as_text_or_missing_shows_the_error_at_every_attempt(self):
        cases = [
            ("text", lambda: session.set_password_flag("REG_SZ", "1"),
             "Invalid data type for 'ScreenSaveUsePassword'."),
            ("missing", lambda: (session.set_password_flag("REG_DWORD", 1),
                                 session.delete_password_flag()),
             "Failed to get data for 'ScreenSaveUsePassword'."),
        ]
        for what, store_flag, error in cases:
            with self.subTest(what):
                store_flag()
                process, window = self.start_saver()
                for _ in range(2):
                    session.xdotool("click", "1")
                    box, texts = session.message_box()
                    self.assertIn(error, texts)
                    # The error box is modal: the saver takes no input until it is dismissed.
                    self.assertEqual(session.tool("state", window), ["0 1"])
                    session.dismiss(box)
                    session.wait_enabled(window, "the saver to take input again")
                self.assertIsNone(process.poll())
                session.set_password_flag("REG_DWORD", 0)
                # Keys reach the saver again too.
                session.xdotool("key", "shift")
                self.assertEqual(process.wait(timeout=PATIENCE), 0)
                self.assertEqual(calls(self.log), [])


class PasswordChange(unittest.TestCase):
    def test_calls_the_service_with_the_given_parent_or_the_foreground_window(self):
        host = Host(session)
        self.addCleanup(host.close)
        foreground = session.tool("foreground")[0]
        log = session.root / "change.txt"
        # Wine prefers its own MPR.DLL to one beside the program unless told otherwise.
        env = {"MARULEX_TEST_LOG": session.windows_path(log), "WINEDLLOVERRIDES":
               session.env["WINEDLLOVERRIDES"] + ";mpr=n,b"}
        for arguments, parent in [(["/a", "123"], "123"), (["/a"], foreground)]:
            with self.subTest(" ".join(arguments)):
                log.unlink(missing_ok=True)
                self.assertEqual(session.run(*arguments, env=env), 0)
                self.assertEqual(calls(log), [f"PwdChangePasswordA SCRSAVE {parent} 0 0"])


if __name__ == "__main__":
    unittest.main()
