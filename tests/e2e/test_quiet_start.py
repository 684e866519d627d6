"""A normal start writes nothing to standard error, with or without a sound
server: the sound libraries' probing is not the user's business. What does
matter, a port another program holds, is one line of the program's own."""
import os
import signal
import socket
import tempfile
import time
import unittest

from harness import Copy, free_udp_port, udp_port_free, wait_until
from pulse import PulseServer

ADDRESS = "127.1.0.1"


class QuietStartTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.TemporaryDirectory(prefix="ondrel-quiet-")
        self.addCleanup(self.root.cleanup)
        self.port = free_udp_port(ADDRESS)
        self.copy = Copy(self.root.name, "a", ADDRESS)
        self.addCleanup(self.copy.stop, signal.SIGKILL)
        self.copy.write_conf(["netPort = %d" % self.port])
        # A desktop session's own runtime folder, as the desktop makes it.
        runtime = os.path.join(self.root.name, "runtime")
        os.mkdir(runtime, 0o700)
        self.copy.extra_env = {"XDG_RUNTIME_DIR": runtime}

    def run_a_while_and_quit(self):
        self.copy.start()
        self.assertTrue(wait_until(lambda: not udp_port_free(ADDRESS, self.port) or not self.copy.running()))
        self.assertTrue(wait_until(lambda: "sliders " in self.copy.status(), timeout=10), "no window came up")
        time.sleep(1.5)  # past the first heartbeat ticks
        self.assertEqual(self.copy.command(4).returncode, 0)
        self.assertEqual(self.copy.wait_exit(), 0)
        return self.copy.stderr

    def test_without_a_sound_server(self):
        self.copy.extra_env["PULSE_SERVER"] = "unix:" + os.path.join(self.root.name, "no-such-server")
        self.assertEqual(self.run_a_while_and_quit(), "")

    def test_with_a_sound_server(self):
        pulse = PulseServer(["speaker", "microphone"])
        pulse.start()
        self.addCleanup(pulse.stop)
        self.copy.extra_env.update(pulse.client_env("speaker", "microphone"))
        self.copy.extra_env["XDG_RUNTIME_DIR"] = pulse.runtime
        self.assertEqual(self.run_a_while_and_quit(), "")

    def test_a_port_in_use_is_one_line(self):
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as holder:
            holder.bind((ADDRESS, self.port))
            result = self.copy.run(timeout=15)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr.splitlines(),
                         ["Could not bind UDP port %d: Address already in use" % self.port])


if __name__ == "__main__":
    unittest.main()
