"""A private X display and a fresh Wine prefix for one test module, and the means to drive
Marulex.scr in them: start it, find its windows, send it real input, look at its pixels.

The environment names the programs under test: MARULEX_SCR (the Windows program),
MARULEX_RENDER (marulex-render, for reference frames) and MARULEX_WINE_HELPERS (the folder of
wintool.exe and the test builds of MPR.DLL and PASSWORD.CPL). CTest sets them.
"""

import os
import pathlib
import queue
import shutil
import subprocess
import tempfile
import threading
import time

SCR = pathlib.Path(os.environ["MARULEX_SCR"])
RENDER = pathlib.Path(os.environ["MARULEX_RENDER"])
HELPERS = pathlib.Path(os.environ["MARULEX_WINE_HELPERS"])

# Wine can take long to start a process, above all the first one after the prefix was made.
PATIENCE = 90
SCREEN = (800, 600)
WM_SYSCOMMAND = 0x0112
WM_COMMAND = 0x0111
WM_KEYDOWN = 0x0100
WM_MOUSEWHEEL = 0x020A
SC_CLOSE = 0xF060
SC_SCREENSAVE = 0xF140
IDOK = 1
VK_SHIFT = 0x10
DESKTOP_KEY = r"HKEY_USERS\.Default\Control Panel\Desktop"
PASSWORD_VALUE = "ScreenSaveUsePassword"


def wait_for(condition, what, timeout=PATIENCE):
    """Polls until condition() gives something true and returns it; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError(f"gave up waiting for {what}")
        time.sleep(0.1)


def read_ppm(data):
    """(width, height, RGB bytes) of a binary PPM."""
    fields = data.split(maxsplit=4)
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError("not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, fields[4][: width * height * 3]


class WineSession:
    """One Xvfb display and one new Wine prefix, with the program copied into a folder whose
    name is not ASCII."""

    def __init__(self):
        self.root = pathlib.Path(tempfile.mkdtemp(prefix="marulex-wine-"))
        self.folder = self.root / "Ünï 名前"
        self.folder.mkdir()
        self.scr = self.folder / "Marulex.scr"
        shutil.copy(SCR, self.scr)
        self.xvfb = None
        try:
            display = self._start_xvfb()
            self.env = dict(
                os.environ,
                DISPLAY=display,
                WINEPREFIX=str(self.root / "prefix"),
                WINEDEBUG="-all",
                # No prompts to install Mono or Gecko.
                WINEDLLOVERRIDES="mscoree,mshtml=",
                LANG="C.UTF-8",
                LC_ALL="C.UTF-8",
            )
            self.env.pop("MARULEX_TEST_LOG", None)
            self.env.pop("MARULEX_TEST_ANSWERS", None)
            subprocess.run(["wineboot", "-i"], env=self.env, check=True, timeout=300,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except BaseException:
            self.close()
            raise

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        return ":" + number

    def close(self):
        if hasattr(self, "env"):
            subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(timeout=30)
        shutil.rmtree(self.root, ignore_errors=True)

    # --- paths -----------------------------------------------------------------------------

    @staticmethod
    def windows_path(path):
        """The path as Wine's programs name it: drive Z: is the Unix root."""
        return "Z:" + str(path).replace("/", "\\")

    def put_beside(self, *helper_names):
        for name in helper_names:
            shutil.copy(HELPERS / name, self.folder / name)

    def remove_beside(self, *names):
        for name in names:
            (self.folder / name).unlink(missing_ok=True)

    # --- the program -----------------------------------------------------------------------

    def start(self, *arguments, env=None):
        """Starts Marulex.scr with these arguments and extra environment; returns the Popen."""
        return subprocess.Popen(["wine", str(self.scr), *arguments],
                                env=dict(self.env, **(env or {})),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    @staticmethod
    def stop(process):
        """Ends a process that a failed test left running."""
        if process.poll() is None:
            process.kill()
            process.wait(timeout=PATIENCE)

    def run(self, *arguments, env=None):
        """Runs Marulex.scr to its end; returns its exit status (Wine reports -1 as 255)."""
        return self.start(*arguments, env=env).wait(timeout=PATIENCE)

    def tool(self, *arguments, check=True):
        """Runs wintool.exe; returns its output lines, or None when it answered 1 (not found)."""
        done = subprocess.run(["wine", str(HELPERS / "wintool.exe"), *map(str, arguments)],
                              env=self.env, capture_output=True, timeout=PATIENCE)
        if done.returncode == 1 and not check:
            return None
        if done.returncode != 0:
            raise AssertionError(f"wintool {arguments} failed with {done.returncode}: "
                                 f"{done.stderr.decode(errors='replace')}")
        return done.stdout.decode("utf-8").splitlines()

    def wait_enabled(self, window, what):
        """Waits until the window is visible and takes input."""
        wait_for(lambda: self.tool("state", window, check=False) == ["1 1"], what)

    def find_window(self, title, window_class=None):
        """The handle of a top-level window with this title, once it exists."""
        arguments = ["find", title] + ([window_class] if window_class else [])
        return int(wait_for(lambda: self.tool(*arguments, check=False), f"window {title!r}")[0])

    def wait_mapped(self, title):
        """Waits until a window with this title is on the X display, so that input reaches it."""
        wait_for(lambda: self.xdotool("search", "--onlyvisible", "--name", f"^{title}$",
                                      check=False), f"X window {title!r}")

    def post(self, window, *messages):
        """Posts (message, wparam) pairs, all queued before the window's thread takes one."""
        flat = [str(number) for pair in messages for number in pair]
        self.tool("post", window, *flat)

    def message_box(self):
        """(handle, texts) of the program's message box, captioned "Marulex", once it shows."""
        box = self.find_window("Marulex", "#32770")
        return box, [line for line in self.tool("texts", box) if line]

    def dismiss(self, box):
        self.post(box, (WM_COMMAND, IDOK))

    # --- the X display ---------------------------------------------------------------------

    def xdotool(self, *arguments, check=True):
        done = subprocess.run(["xdotool", *arguments], env=self.env, capture_output=True,
                              timeout=PATIENCE)
        if check and done.returncode != 0:
            raise AssertionError(f"xdotool {arguments} failed: {done.stderr.decode()}")
        return done.returncode == 0 and done.stdout.decode()

    def screenshot(self):
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                              env=self.env, capture_output=True, check=True,
                              timeout=PATIENCE).stdout
        return read_ppm(data)

    # --- the registry ----------------------------------------------------------------------

    def set_password_flag(self, kind, data):
        subprocess.run(["wine", "reg", "add", DESKTOP_KEY, "/v", PASSWORD_VALUE, "/t", kind,
                        "/d", str(data), "/f"], env=self.env, check=True, timeout=PATIENCE,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def delete_password_flag(self):
        subprocess.run(["wine", "reg", "delete", DESKTOP_KEY, "/v", PASSWORD_VALUE, "/f"],
                       env=self.env, timeout=PATIENCE, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)


def render(size, settings, seed):
    """marulex-render's frame after one tick, as (width, height, RGB bytes)."""
    with tempfile.TemporaryDirectory() as folder:
        output = pathlib.Path(folder) / "frame.ppm"
        subprocess.run([str(RENDER), "--size", f"{size[0]}x{size[1]}", "--settings",
                        str(settings), "--seed", str(seed), "--ticks", "1", "-o", str(output)],
                       check=True, timeout=PATIENCE)
        return read_ppm(output.read_bytes())


class Host:
    """wintool's host window: a 152 x 112 preview window inside a top-level window."""

    SIZE = (152, 112)

    def __init__(self, session):
        self.process = subprocess.Popen(["wine", str(HELPERS / "wintool.exe"), "host"],
                                        env=session.env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.handle = int(self.wait_line("HWND").split()[1])

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.decode("utf-8").strip())

    def wait_line(self, start):
        """The next line the host printed that begins with `start`."""
        deadline = time.monotonic() + PATIENCE
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                raise AssertionError(f"the host never said {start!r}") from None
            if line.startswith(start):
                return line

    def send(self, request):
        self.process.stdin.write(request.encode() + b"\n")
        self.process.stdin.flush()

    def close(self):
        if self.process.poll() is None:
            self.send("quit")
            self.process.wait(timeout=PATIENCE)
        self.process.stdin.close()
        self.process.stdout.close()
