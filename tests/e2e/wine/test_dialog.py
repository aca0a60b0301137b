"""The setup dialog (/c) under Wine, driven by messages from wintool: its layout, what it shows of
the settings file, what OK writes beside the program, and what it refuses."""

import unittest

from wine_session import PATIENCE, SC_CLOSE, WM_SYSCOMMAND, WineSession, wait_for

session = None

NOT_INTEGER = "You must specify integer values. Please try again."
BELOW_ONE = "1以上の数にしろ"


def setUpModule():
    global session
    session = WineSession()


def tearDownModule():
    session.close()


class Dialog:
    """The dialog's window and its controls, as wintool sees them, in z-order."""

    def __init__(self, window):
        self.window = window
        self.controls = []
        for line in session.tool("controls", window):
            handle, kind, _, x, y, width, height, checked, text = line.split("\t")
            self.controls.append({"handle": int(handle), "class": kind,
                                  "place": (int(x), int(y), int(width), int(height)),
                                  "checked": checked == "1", "text": text})

    def handle(self, text):
        return next(c["handle"] for c in self.controls if c["text"] == text)

    def edit(self):
        return next(c["handle"] for c in self.controls if c["class"] == "Edit")

    def checked(self):
        return [c["text"] for c in self.controls if c["checked"]]


class SetupDialog(unittest.TestCase):
    def setUp(self):
        self.settings = session.folder / "Marulex.ini"
        self.settings.unlink(missing_ok=True)

    def open_dialog(self):
        process = session.start("/c")
        self.addCleanup(session.stop, process)
        window = session.find_window("Setup")
        session.wait_enabled(window, "the dialog to show")
        return process, Dialog(window)

    def test_lays_out_its_controls_in_tab_order_and_limits_what_is_typed(self):
        process, dialog = self.open_dialog()
        self.assertEqual(session.tool("client", dialog.window), ["181 210"])
        # Class, text and place of each control in z-order, which is the tab order after the
        # controls that take no focus. Labels may grow to fit their text.
        expected = [
            ("Static", "Marulex", (55, 16, 57, 20)),
            ("Static", "", (16, 8, 33, 33)),
            ("Static", "Version 1.0", (56, 40, 50, 13)),
            ("Static", "BALL", (24, 144, 26, 13)),
            ("Button", "OK", (16, 176, 73, 25)),
            ("Button", "RANDOM", (16, 64, 113, 17)),
            ("Button", "BOUND BALLS", (16, 80, 113, 17)),
            ("Button", "CORINTH", (16, 96, 113, 17)),
            ("Button", "CANCEL", (96, 176, 65, 25)),
            ("Button", "TURN BALLS", (16, 112, 113, 17)),
            ("Edit", "180", (56, 140, 49, 21)),
        ]
        shown = [(c["class"], c["text"], c["place"]) for c in dialog.controls]
        self.assertEqual(len(shown), len(expected))
        for (kind, text, place), (shown_kind, shown_text, shown_place) in zip(expected, shown):
            self.assertEqual((shown_kind, shown_text), (kind, text))
            if kind == "Static" and text:
                self.assertEqual(shown_place[:2] + shown_place[3:], place[:2] + place[3:])
                self.assertGreaterEqual(shown_place[2], place[2])
            else:
                self.assertEqual(shown_place, place, text)
        self.assertEqual(dialog.checked(), ["RANDOM"])

        edit = dialog.edit()
        session.tool("settext", edit, "")
        session.tool("type", edit, "12345")
        wait_for(lambda: session.tool("texts", dialog.window)[-1] == "1234", "typed text")
        # The program's own text may be longer.
        session.tool("settext", edit, "65535")
        self.assertEqual(session.tool("texts", dialog.window)[-1], "65535")

        # The close box closes without writing.
        session.post(dialog.window, (WM_SYSCOMMAND, SC_CLOSE))
        self.assertEqual(process.wait(timeout=PATIENCE), 0)
        self.assertFalse(self.settings.exists())

    def test_shows_the_settings_file_and_ok_writes_the_choice(self):
        cases = [
            # what, stored before, shown (checked, count), scene to click, count to enter, stored
            ("no file", None, ("RANDOM", "180"), None, None, b"1\x00\xb4"),
            ("corinth with 300", None, ("RANDOM", "180"), "CORINTH", "300", b"3\x01\x2c"),
            ("a count of five digits", b"4\xff\xff", ("TURN BALLS", "65535"), None, None,
             b"4\xff\xff"),
            # TURN BALLS comes after CANCEL in tab order and still unchecks CORINTH.
            ("count 10 over a file", b"3\x01\x2c", ("CORINTH", "300"), "TURN BALLS", "10",
             b"4\x00\r\n"),
        ]
        for what, before, shown, scene, count, after in cases:
            with self.subTest(what):
                if before is None:
                    self.settings.unlink(missing_ok=True)
                else:
                    self.settings.write_bytes(before)
                process, dialog = self.open_dialog()
                self.assertEqual((dialog.checked(), session.tool("texts", dialog.window)[-1]),
                                 ([shown[0]], shown[1]))
                if count is not None:
                    session.tool("settext", dialog.edit(), count)
                if scene is not None:
                    session.tool("click", dialog.handle(scene))
                session.tool("click", dialog.handle("OK"))
                self.assertEqual(process.wait(timeout=PATIENCE), 0)
                self.assertEqual(self.settings.read_bytes(), after)

    def test_ok_refuses_a_count_below_one_or_not_a_number_and_cancel_writes_nothing(self):
        process, dialog = self.open_dialog()
        for text, message in [("12a", NOT_INTEGER), ("", NOT_INTEGER), ("0", BELOW_ONE)]:
            with self.subTest(text=text):
                session.tool("settext", dialog.edit(), text)
                session.tool("click", dialog.handle("OK"))
                box, texts = session.message_box()
                self.assertIn(message, texts)
                # Modal: the dialog takes no input until the box is dismissed.
                self.assertEqual(session.tool("state", dialog.window), ["0 1"])
                session.dismiss(box)
                session.wait_enabled(dialog.window, "the dialog to take input again")
                self.assertEqual(session.tool("texts", dialog.window)[-1], text)
        session.tool("click", dialog.handle("CANCEL"))
        self.assertEqual(process.wait(timeout=PATIENCE), 0)
        self.assertFalse(self.settings.exists())


if __name__ == "__main__":
    unittest.main()
