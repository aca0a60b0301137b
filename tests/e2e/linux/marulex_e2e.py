"""Shared pieces of the end-to-end tests: a private Xvfb per test, the program copied into a
temporary folder (so that its settings file and test libraries sit beside it), and the X tools
that act as the user."""

import os
import random
import select
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

BIN = os.environ["MARULEX_BIN"]
RENDER = os.environ["MARULEX_RENDER"]
TEST_HOST = os.environ["MARULEX_TEST_HOST"]
TEST_LIBRARIES = os.environ["MARULEX_TEST_LIBRARIES"]

# How long the program may take to show a window or to end after being told to.
PATIENCE = 15.0


def wait_until(condition, timeout=PATIENCE, step=0.05):
    """Polls `condition` until it returns something true, which is returned; None on timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            return None
        time.sleep(step)


class Xvfb:
    """An Xvfb of the test's own. The display number is drawn from a high range, away from the
    numbers other X servers and xvfb-run pick first, and Xvfb's own lock settles any clash."""

    def __init__(self, width=640, height=480):
        self.process = None
        for _ in range(20):
            number = random.randrange(200, 30000)
            if os.path.exists(f"/tmp/.X{number}-lock"):
                continue
            if self._start(number, width, height):
                self.display = f":{number}"
                return
        raise RuntimeError("no Xvfb could be started")

    def _start(self, number, width, height):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", f":{number}", "-displayfd", str(write_end), "-screen", "0",
             f"{width}x{height}x24", "-nolisten", "tcp", "-ac",
             # Without it the server starts afresh whenever its last client leaves, which
             # happens between the steps of a test: windows vanish and the pointer jumps.
             "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        # Xvfb writes the number once it takes connections, or exits if the display is taken.
        said = b""
        deadline = time.monotonic() + PATIENCE
        while not said.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                break
            said += chunk
        os.close(read_end)
        if said.strip() == str(number).encode():
            return True
        self.stop()
        return False

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class MarulexTest(unittest.TestCase):
    """Each test gets its own X server, a folder with the program, and its own runtime folder
    (where the preview's lock lives)."""

    screen = (640, 480)

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="marulex-e2e-")
        # MARULEX_E2E_KEEP=1 keeps each test's folder (logs, screenshots) for a look afterwards.
        if not os.environ.get("MARULEX_E2E_KEEP"):
            self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)
        self.program = os.path.join(self.folder, "marulex")
        shutil.copy2(BIN, self.program)
        self.settings = os.path.join(self.folder, "Marulex.ini")
        runtime = os.path.join(self.folder, "runtime")
        os.mkdir(runtime, 0o700)
        self.xvfb = Xvfb(*self.screen)
        self.addCleanup(self.xvfb.stop)
        self.env = dict(os.environ)
        self.env.update({
            "DISPLAY": self.xvfb.display,
            "XDG_RUNTIME_DIR": runtime,
            # A registry file of the test's own; the machine's /etc/marulex one must not count.
            "MARULEX_REGISTRY_FILE": os.path.join(self.folder, "registry.reg"),
        })
        self.processes = []
        self.addCleanup(self._end_processes)

    def _end_processes(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()

    # The program and other processes.

    def start(self, *arguments, program=None, shell=None, extra_env=None, prefix=(),
              start_new_session=False):
        env = dict(self.env)
        env.update(extra_env or {})
        if shell is not None:
            command = ["sh", "-c", shell]
        else:
            command = list(prefix) + [program or self.program, *arguments]
        log = open(os.path.join(self.folder, f"stderr-{len(self.processes)}.txt"), "wb")
        self.addCleanup(log.close)
        process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=log, cwd=self.folder,
                                   start_new_session=start_new_session)
        self.processes.append(process)
        if process.stdout is not None:
            self.addCleanup(process.stdout.close)
        return process

    def run_program(self, *arguments, timeout=PATIENCE):
        """Runs the program to its end and returns the exit status."""
        process = self.start(*arguments)
        return process.wait(timeout)

    def assert_ends_with(self, process, status, timeout=PATIENCE):
        try:
            self.assertEqual(process.wait(timeout), status)
        except subprocess.TimeoutExpired:
            self.fail(f"the program still runs after {timeout} s")

    def assert_still_runs(self, process, settle=1.0):
        time.sleep(settle)
        self.assertIsNone(process.poll(), "the program ended")

    def host_window(self, size="152x112", x=50, y=60):
        """A host window made by the test program; returns (process, window id)."""
        process = self.start("window", size, str(x), str(y), program=TEST_HOST)
        line = process.stdout.readline().decode().strip()
        self.assertTrue(line.isdigit(), f"no window id from the host: {line!r}")
        return process, int(line)

    # X tools.

    def x(self, *command, check=True):
        result = subprocess.run(command, env=self.env, capture_output=True, text=True,
                                timeout=PATIENCE)
        if check and result.returncode != 0:
            self.fail(f"{command} failed: {result.stderr}")
        return result.stdout

    def find_windows(self, title):
        """Ids of the viewable top-level windows whose title is exactly `title`."""
        result = subprocess.run(["xdotool", "search", "--maxdepth", "1", "--onlyvisible",
                                 "--name", f"^{title}$"],
                                env=self.env, capture_output=True, text=True, timeout=PATIENCE)
        ids = [int(word) for word in result.stdout.split()]
        # xdotool matches without regard to case; the title must match exactly.
        return [i for i in ids if self.window_title(i) == title]

    def window_title(self, window):
        out = subprocess.run(["xdotool", "getwindowname", str(window)], env=self.env,
                             capture_output=True, text=True, timeout=PATIENCE).stdout
        return out.rstrip("\n")

    def wait_for_window(self, title, timeout=PATIENCE):
        found = wait_until(lambda: self.find_windows(title), timeout)
        self.assertTrue(found, f"no window titled {title!r}")
        return found[0]

    def geometry(self, window):
        """(x, y, width, height) of a window, x and y relative to the root."""
        out = self.x("xwininfo", "-id", str(window))
        fields = {}
        for line in out.splitlines():
            if ":" in line:
                key, _, value = line.strip().partition(":")
                fields[key.strip()] = value.strip()
        return (int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"]),
                int(fields["Width"]), int(fields["Height"]))

    def children(self, window):
        """Ids of a window's children."""
        out = self.x("xwininfo", "-children", "-id", str(window))
        ids = []
        for line in out.splitlines():
            word = line.strip().split(" ", 1)[0]
            if word.startswith("0x") and "child" not in line and "window id" not in line:
                ids.append(int(word, 16))
        return ids

    def pointer(self):
        fields = dict(line.split("=", 1) for line in
                      self.x("xdotool", "getmouselocation", "--shell").split())
        return int(fields["X"]), int(fields["Y"])

    def move_pointer(self, x, y):
        self.x(TEST_HOST, "move", str(x), str(y))

    def cursor(self):
        return self.x(TEST_HOST, "cursor").strip()

    def screenshot(self, name, crop=None):
        path = os.path.join(self.folder, name)
        self.x("import", "-window", "root", path)
        if crop is not None:
            x, y, w, h = crop
            self.x("convert", path, "-crop", f"{w}x{h}+{x}+{y}", "+repage", path)
        return path

    def render(self, size, seed, settings, name):
        path = os.path.join(self.folder, name)
        subprocess.run([RENDER, "--size", f"{size[0]}x{size[1]}", "--settings", settings,
                        "--seed", str(seed), "--ticks", "1", "-o", path], check=True,
                       timeout=PATIENCE)
        return path

    def differing_pixels(self, first, second):
        result = subprocess.run(["compare", "-metric", "AE", first, second, "null:"],
                                capture_output=True, text=True, timeout=PATIENCE)
        try:
            return int(float(result.stderr.split()[0]))
        except (ValueError, IndexError):
            self.fail(f"compare failed: {result.stderr}")

    def assert_shows_frame(self, crop, seeds, settings):
        """The screen area `crop` (x, y, width, height) comes to equal the program's frame after one
        tick for one of the seeds: the start time in whole seconds, read before and after the
        start, so usually one or two candidates."""
        size = crop[2:]
        frames = [self.render(size, seed, settings, f"frame-{seed}.png") for seed in seeds]
        last = {}

        def matches():
            shot = self.screenshot("shot.png", crop)
            for seed, frame in zip(seeds, frames):
                last[seed] = self.differing_pixels(shot, frame)
                if last[seed] == 0:
                    return seed
            return None

        # The first paint may still be on its way when the window is found.
        self.assertIsNotNone(wait_until(matches, step=0.2),
                             f"the window shows no frame of seeds {list(seeds)}: {last} pixels differ")

    def start_saver(self, settings=b"2\x00\x00"):
        """The full-screen saver; returns the process, its window, the candidate seeds and the
        pointer's resting point. The default settings give a still scene: bound balls without any
        ball."""
        self.write_settings(settings)
        home = self.pointer()
        before = int(time.time())
        process = self.start("/s")
        window = self.wait_for_window("MainForm")
        seeds = range(before, int(time.time()) + 1)
        # The saver takes the pointer and keyboard once the server shows its window; until then a
        # key would reach whatever window lies under the pointer.
        wait_until(lambda: self.cursor() == "blank")
        return process, window, seeds, home

    def write_settings(self, data):
        with open(self.settings, "wb") as file:
            file.write(data)

    def read_settings(self):
        with open(self.settings, "rb") as file:
            return file.read()

    def write_registry(self, value_text):
        """A registry file with the password flag as written, e.g. 'dword:00000001' or '"1"'."""
        with open(self.env["MARULEX_REGISTRY_FILE"], "w") as file:
            file.write("REGEDIT4\n\n[HKEY_USERS\\.Default\\Control Panel\\Desktop]\n"
                       f"\"ScreenSaveUsePassword\"={value_text}\n")

    def install_password_services(self):
        for name in ("MPR.DLL", "PASSWORD.CPL"):
            shutil.copy2(os.path.join(TEST_LIBRARIES, name), self.folder)
        self.calls_file = os.path.join(self.folder, "calls.txt")
        self.answer_file = os.path.join(self.folder, "answer.txt")
        self.env["MARULEX_TEST_CALLS"] = self.calls_file
        self.env["MARULEX_TEST_ANSWER"] = self.answer_file
        self.answer(0)

    def answer(self, value):
        with open(self.answer_file, "w") as file:
            file.write(f"{value}\n")

    def calls(self):
        if not os.path.exists(self.calls_file):
            return []
        with open(self.calls_file) as file:
            return file.read().splitlines()

    def stop(self, process, signal_number=signal.SIGTERM):
        process.send_signal(signal_number)
