"""A private X server (Xvfb) for tests that use the program as a person does:
real windows, real pointer and key events (xdotool), screenshots (import)."""
import os
import subprocess
import time


class XServer:
    def __init__(self, width=800, height=600):
        self.size = (width, height)
        self.display = None
        self.process = None

    def start(self):
        for number in range(90, 140):
            if os.path.exists("/tmp/.X%d-lock" % number):
                continue
            display = ":%d" % number
            self.process = subprocess.Popen(
                ["Xvfb", display, "-screen", "0", "%dx%dx24" % self.size, "-noreset", "-nolisten", "tcp"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if self._answers(display):
                self.display = display
                return self
            self.process.kill()
            self.process.wait()
        raise RuntimeError("no X server could be started")

    def _answers(self, display, timeout=10):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                return False
            if subprocess.run(["xdpyinfo", "-display", display], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                return True
            time.sleep(0.05)
        return False

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None

    def env(self):
        """What a program needs to show its windows here."""
        return {"DISPLAY": self.display, "QT_QPA_PLATFORM": "xcb"}

    def run(self, *args, check=True):
        result = subprocess.run(list(args), env=dict(os.environ, DISPLAY=self.display),
                                capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0:
            raise RuntimeError("%s failed: %s" % (" ".join(args), result.stderr))
        return result.stdout

    def xdotool(self, *args, check=True):
        return self.run("xdotool", *args, check=check)

    def windows(self, pid):
        """The visible windows of a process, as X window ids."""
        out = self.xdotool("search", "--onlyvisible", "--pid", str(pid), check=False)
        return [int(w) for w in out.split()]

    def wait_window(self, pid, name, timeout=15):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            out = self.xdotool("search", "--onlyvisible", "--pid", str(pid), "--name", "^%s$" % name,
                               check=False)
            # The search's pattern can match more than the title itself
            # (the main window matches a dialog's title too).
            for window in out.split():
                if self.xdotool("getwindowname", window, check=False).strip() == name:
                    return int(window)
            time.sleep(0.1)
        raise AssertionError("no window %r appeared" % name)

    def geometry(self, window):
        """(x, y, width, height) of a window on the screen."""
        values = {}
        for line in self.xdotool("getwindowgeometry", "--shell", str(window)).splitlines():
            key, _, value = line.partition("=")
            values[key] = int(value)
        return values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]

    def click(self, window, x, y, button=1):
        """A real click at (x, y) inside the window."""
        self.xdotool("mousemove", "--window", str(window), str(x), str(y))
        time.sleep(0.1)
        self.xdotool("click", str(button))

    def key(self, window, *keys):
        """Real key presses sent to the window that has the keyboard."""
        self.xdotool("windowfocus", "--sync", str(window), check=False)
        for k in keys:
            self.xdotool("key", "--clearmodifiers", k)
            time.sleep(0.05)

    def screenshot(self, path, window="root"):
        self.run("import", "-window", str(window), path)
