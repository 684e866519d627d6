"""Starts real copies of the program for end-to-end tests.

Each copy gets its own config directory and working directory under a
temporary folder, runs offscreen, and is bound to its own loopback address.
"""
import os
import signal
import socket
import subprocess
import tempfile
import time

BINARY = os.environ.get("ONDREL_BINARY", "ondrel")


def sanitized():
    """Whether the program runs under a sanitizer: ONDREL_SANITIZED says so, or
    the binary links a sanitizer's runtime (the ThreadSanitizer run)."""
    if os.environ.get("ONDREL_SANITIZED"):
        return True
    linked = subprocess.run(["ldd", BINARY], capture_output=True, text=True).stdout
    return "libtsan" in linked or "libasan" in linked


def free_udp_port(*addresses):
    """A port that is free on every given address."""
    for _ in range(50):
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
            s.bind((addresses[0], 0))
            port = s.getsockname()[1]
        if all(udp_port_free(a, port) for a in addresses):
            return port
    raise RuntimeError("no free UDP port")


def udp_port_free(address, port):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        try:
            s.bind((address, port))
            return True
        except OSError:
            return False


def resident_kib(pid):
    """The resident memory of a process, in KiB."""
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise AssertionError("no VmRSS for %d" % pid)


def wait_until(predicate, timeout=10.0, step=0.02):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


class Copy:
    """One copy of the program with its own directories."""

    def __init__(self, root, name, bind):
        self.name = name
        self.bind = bind
        self.config_dir = os.path.join(root, name, "config")
        self.work_dir = os.path.join(root, name, "work")
        os.makedirs(self.config_dir, exist_ok=True)
        os.makedirs(self.work_dir, exist_ok=True)
        self.process = None
        self.extra_env = {}

    @property
    def conf_path(self):
        return os.path.join(self.config_dir, "ondrel.conf")

    def write_conf(self, params, contacts=()):
        lines = ["[params2]"]
        lines += ["%d=%s" % (i, line) for i, line in enumerate(params)]
        if contacts:
            lines.append("[contacts]")
            lines += ["%d=%s" % (i, line) for i, line in enumerate(contacts)]
        with open(self.conf_path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")

    def read_conf(self):
        with open(self.conf_path, encoding="utf-8") as f:
            return f.read()

    @property
    def status_path(self):
        return os.path.join(self.work_dir, "status.txt")

    @property
    def log_path(self):
        return os.path.join(self.work_dir, "ondrel-log.txt")

    def status(self):
        """What the window shows, as the program's status snapshot says."""
        try:
            with open(self.status_path, encoding="latin-1") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def line(self, n):
        """(state, peer, name) of line n."""
        for row in self.status().splitlines():
            parts = row.split(" ", 7)
            if parts[:2] == ["line", str(n)]:
                return int(parts[3]), parts[5], parts[7] if len(parts) > 7 else ""
        return None

    def page_sound_type(self, n):
        """The sound type that line n's page shows."""
        prefix = "page %d soundtype " % n
        for row in self.status().splitlines():
            if row.startswith(prefix):
                return row[len(prefix):]
        return None

    def window_state(self):
        """"shown", "minimised" or "hidden" (in the tray)."""
        for row in self.status().splitlines():
            if row.startswith("window "):
                return row.split()[1]
        return None

    def sound_type(self):
        for row in self.status().splitlines():
            if row.startswith("sndtype "):
                return int(row.split()[1])
        return None

    def device(self, name):
        """The figures of a status row: an open audio device ("speaker", "microphone"), the
        "spool" or the running "call", as a dict of ints (words stay words)."""
        for row in self.status().splitlines():
            parts = row.split(" ")
            if parts[0] == name:
                return {key: int(value) if value.lstrip("-").isdigit() else value
                        for key, value in zip(parts[1::2], parts[2::2])}
        return {}

    def client(self, address):
        """(online, busy) of the client at address, or None."""
        for row in self.status().splitlines():
            parts = row.split(" ")
            if parts[:2] == ["client", address]:
                return parts[3] == "1", parts[5] == "1"
        return None

    def log(self):
        try:
            with open(self.log_path, encoding="latin-1") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def command(self, number, text=None):
        args = ["--command", str(number)] + ([text] if text is not None else [])
        result = subprocess.run(
            [BINARY, "--config-dir", self.config_dir] + args, cwd=self.work_dir, env=self.env(),
            capture_output=True, text=True, timeout=10)
        return result

    def env(self):
        env = dict(os.environ)
        env["QT_QPA_PLATFORM"] = "offscreen"
        env.update(self.extra_env)
        env["ONDREL_STATUS_FILE"] = self.status_path
        env.setdefault("XDG_RUNTIME_DIR", tempfile.gettempdir())
        return env

    def args(self, extra=()):
        args = [BINARY, "--config-dir", self.config_dir]
        if self.bind:
            args += ["--bind", self.bind]
        return args + list(extra)

    def start(self):
        if self.running():
            self.stop()
        # A status file left by the previous run would answer for the new one.
        if os.path.exists(self.status_path):
            os.remove(self.status_path)
        self.process = subprocess.Popen(
            self.args(), cwd=self.work_dir, env=self.env(),
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        return self.process

    def run(self, extra=(), timeout=10):
        """Runs a short-lived invocation (a second copy, a remote command)."""
        return subprocess.run(
            self.args(extra), cwd=self.work_dir, env=self.env(),
            capture_output=True, text=True, timeout=timeout)

    def stop(self, sig=signal.SIGTERM, timeout=10):
        if self.process is None:
            return None
        if self.process.poll() is None:
            self.process.send_signal(sig)
        try:
            out, err = self.process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            out, err = self.process.communicate()
            raise AssertionError("%s did not end after signal %d" % (self.name, sig))
        self.stdout, self.stderr = out, err
        code = self.process.returncode
        self.process = None
        return code

    def wait_exit(self, timeout=10):
        """The exit status of a copy that was told to quit by other means."""
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("%s did not quit within %s s" % (self.name, timeout))
        return self.stop()

    def running(self):
        return self.process is not None and self.process.poll() is None
