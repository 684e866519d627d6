"""The settings file survives the program being killed at any moment while
it saves: remote commands 5 (the port) and 6 (the sound type) make it save,
SIGKILL comes at a random moment of a burst of them, and the file must
always load whole with the old or the new values."""
import hashlib
import os
import random
import signal
import socket
import struct
import tempfile
import time
import unittest

from harness import Copy, free_udp_port, wait_until
from pulse import PulseServer

ADDRESS = "127.1.0.1"
KILLS = int(os.environ.get("ONDREL_CRASH_KILLS", "200"))
CLIENTS = ["10.0.0.%d Client %d" % (n, n) for n in range(1, 6)]


def socket_path(copy):
    """Where the running copy listens for commands (as the program names it)."""
    digest = hashlib.sha256(os.path.realpath(copy.config_dir).encode()).hexdigest()[:16]
    return os.path.join(copy.env()["XDG_RUNTIME_DIR"], "ondrel-%d-%s" % (os.getuid(), digest))


def command(path, number, text):
    """One request straight on the socket; the answer byte, or None."""
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
        s.settimeout(2)
        try:
            s.connect(path)
            data = text.encode("latin-1")
            s.sendall(struct.pack("<iH", number, len(data)) + data)
            return s.recv(1)
        except OSError:
            return None


def load(conf_text):
    """The sections of the settings file; fails on anything not whole."""
    sections = {}
    current = None
    for line in conf_text.splitlines():
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
        elif line:
            number, _, value = line.partition("=")
            assert current is not None and number.isdigit(), "a line outside a section: %r" % line
            current[int(number)] = value
    return sections


class CrashSafetyTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.TemporaryDirectory(prefix="ondrel-crash-")
        self.addCleanup(self.root.cleanup)
        self.copy = Copy(self.root.name, "a", ADDRESS)
        self.addCleanup(self.copy.stop, signal.SIGKILL)
        # With a sound server to talk to, a start takes a fraction of what
        # probing the sound cards takes without one.
        self.pulse = PulseServer(["c_spk", "c_mic"])
        self.pulse.start()
        self.addCleanup(self.pulse.stop)
        self.copy.extra_env = self.pulse.client_env("c_spk", "c_mic")
        # Two ports the commands switch between, so every start can bind.
        self.ports = [free_udp_port(ADDRESS), free_udp_port(ADDRESS)]
        while self.ports[1] == self.ports[0]:
            self.ports[1] = free_udp_port(ADDRESS)
        self.copy.write_conf(["netPort = %d" % self.ports[0], "SndType = 9050", "userName = Alice"], CLIENTS)

    def check_whole(self, round_number):
        with open(self.copy.conf_path, encoding="utf-8") as f:
            text = f.read()
        self.assertTrue(text, "round %d: the file is empty" % round_number)
        sections = load(text)
        settings = {v.split(" = ")[0]: v.split(" = ", 1)[1] for v in sections["params2"].values() if " = " in v}
        self.assertIn(int(settings["netPort"]), self.ports, "round %d" % round_number)
        self.assertTrue(9050 <= int(settings["SndType"]) <= 9064, "round %d" % round_number)
        self.assertEqual(settings["userName"], "Alice", "round %d" % round_number)
        stored = sorted(v for v in sections["contacts"].values() if v)
        self.assertEqual(stored, sorted(CLIENTS), "round %d" % round_number)
        return settings

    def test_the_settings_file_is_always_whole_after_a_kill_during_saves(self):
        rng = random.Random(11)
        path = socket_path(self.copy)
        answered = 0
        started = time.monotonic()
        for round_number in range(KILLS):
            self.copy.start()
            self.assertTrue(wait_until(lambda: command(path, 6, "9050") is not None, timeout=15),
                            "round %d: the copy never answered" % round_number)
            deadline = time.monotonic() + rng.uniform(0.0, 0.15)
            n = 0
            while time.monotonic() < deadline:
                if n % 2 == 0:
                    answer = command(path, 5, str(self.ports[(n // 2) % 2]))
                else:
                    answer = command(path, 6, str(9050 + n % 15))
                answered += answer == b"1"
                n += 1
            self.copy.process.send_signal(signal.SIGKILL)
            self.copy.process.wait(timeout=10)
            self.copy.stop(signal.SIGKILL)
            self.check_whole(round_number)
        print("\n%d kills survived, %d saving commands answered, %.0f s" %
              (KILLS, answered, time.monotonic() - started))


if __name__ == "__main__":
    unittest.main()
