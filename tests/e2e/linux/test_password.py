"""The password services: the check when the saver closes, and the password change (/a). The
test builds of MPR.DLL and PASSWORD.CPL beside the program record each call, with what the X
server showed of the cursor while the check ran."""

import os
import unittest

from marulex_e2e import MarulexTest, TEST_HOST, wait_until


class PasswordCheck(MarulexTest):

    def setUp(self):
        super().setUp()
        self.install_password_services()

    def test_a_refused_password_keeps_the_saver_and_asks_again(self):
        self.write_registry("dword:00000001")
        process, window, _, (x, y) = self.start_saver()
        self.x("xdotool", "key", "a")
        self.assertTrue(wait_until(lambda: len(self.calls()) == 1), self.calls())
        # Called with the saver window, the cursor shown; hidden again after the refusal.
        self.assertEqual(self.calls(), [f"VerifyScreenSavePwd {window} cursor=visible answer=0"])
        self.assert_still_runs(process)
        self.assertEqual(self.cursor(), "blank")

        # The pointer's place after the check is the new resting point: a move away asks again.
        self.move_pointer(x + 3, y + 3)
        self.assertTrue(wait_until(lambda: len(self.calls()) >= 2), self.calls())
        self.assert_still_runs(process)
        self.answer(1)
        self.x("xdotool", "click", "1")
        self.assert_ends_with(process, 0)
        self.assertTrue(self.calls()[-1].endswith("cursor=visible answer=1"), self.calls())

    def test_no_check_unless_the_flag_is_1(self):
        cases = {"flag 0": "dword:00000000", "flag 2": "dword:00000002", "no registry file": None}
        for name, flag in cases.items():
            with self.subTest(name):
                if flag is not None:
                    self.write_registry(flag)
                process, _, _, _ = self.start_saver()
                self.x("xdotool", "key", "a")
                self.assert_ends_with(process, 0)
                self.assertEqual(self.calls(), [])

    def test_a_flag_stored_as_text_shows_the_error_at_every_attempt(self):
        self.write_registry('"1"')
        process, _, _, _ = self.start_saver()
        for attempt in ("xdotool key a", "xdotool click 1"):
            with self.subTest(attempt):
                self.x(*attempt.split())
                self.wait_for_window("Marulex")
                self.x("xdotool", "key", "Return")
                self.assertTrue(wait_until(lambda: not self.find_windows("Marulex")))
                self.assert_still_runs(process)
        self.assertEqual(self.calls(), [])


class PasswordChange(MarulexTest):

    def setUp(self):
        super().setUp()
        self.install_password_services()

    def change(self, *arguments):
        self.assertEqual(self.run_program("/a", *arguments), 0)
        calls = self.calls()
        self.assertEqual(len(calls), 1, calls)
        os.remove(self.calls_file)
        return calls[0]

    def test_the_parent_is_the_given_window_or_the_active_one(self):
        _, host = self.host_window()
        self.assertEqual(self.change("123"), "PwdChangePasswordA SCRSAVE 123 0 0")
        self.assertEqual(self.change("abc"), "PwdChangePasswordA SCRSAVE 0 0 0")
        # No window manager: the window with the keyboard focus.
        self.assertEqual(self.change(), "PwdChangePasswordA SCRSAVE 0 0 0")
        self.x("xdotool", "windowfocus", str(host))
        self.assertEqual(self.change(), f"PwdChangePasswordA SCRSAVE {host} 0 0")
        self.assertEqual(self.change("1", "2"), f"PwdChangePasswordA SCRSAVE {host} 0 0")
        # A window manager's word for the active window comes first.
        self.x(TEST_HOST, "activate", "4242")
        self.assertEqual(self.change(), "PwdChangePasswordA SCRSAVE 4242 0 0")

    def test_without_the_library_nothing_happens(self):
        os.remove(os.path.join(self.folder, "MPR.DLL"))
        self.assertEqual(self.run_program("/a"), 0)
        self.assertEqual(self.calls(), [])


if __name__ == "__main__":
    unittest.main()
