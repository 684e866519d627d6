"""Accept in the properties during a call, as a person presses it: a change
that the sound system does not use (the handle) leaves the call's streams
running and lights no restart; a new sound type restarts the sound system,
which the window's lamp shows, and the call goes on in the new type."""
import shutil
import signal
import subprocess
import json
import tempfile
import time
import unittest

from harness import Copy, free_udp_port, wait_until
from pulse import PulseServer
from xserver import XServer

A_ADDRESS = "127.1.0.1"
B_ADDRESS = "127.1.0.2"
CONNECTED = 9027
G711 = 9064


@unittest.skipUnless(shutil.which("Xvfb") and shutil.which("xdotool"), "needs Xvfb and xdotool")
class AcceptTest(unittest.TestCase):
    def setUp(self):
        self.pulse = PulseServer(["a_spk", "a_mic", "b_spk", "b_mic"])
        self.pulse.start()
        self.addCleanup(self.pulse.stop)
        self.x = XServer().start()
        self.addCleanup(self.x.stop)
        self.root = tempfile.TemporaryDirectory(prefix="ondrel-accept-")
        self.addCleanup(self.root.cleanup)
        port = free_udp_port(A_ADDRESS, B_ADDRESS)
        self.a = Copy(self.root.name, "a", A_ADDRESS)
        self.b = Copy(self.root.name, "b", B_ADDRESS)
        for copy in (self.a, self.b):
            self.addCleanup(copy.stop, signal.SIGKILL)
        self.a.write_conf(["netPort = %d" % port, "DlgX = 40", "DlgY = 30", "SndType = 9050"],
                          ["%s Bob desk" % B_ADDRESS])
        self.b.write_conf(["netPort = %d" % port, "AlwaysAnswer = 1"], ["%s Alice" % A_ADDRESS])
        self.a.extra_env = dict(self.pulse.client_env("a_spk", "a_mic"), **self.x.env())
        self.b.extra_env = self.pulse.client_env("b_spk", "b_mic")

    def streams(self, copy):
        """The indices of copy's own streams on the sound server, playback and capture."""
        found = []
        for kind in ("sink-inputs", "source-outputs"):
            out = subprocess.run(["pactl", "-f", "json", "list", kind], env=self.pulse.env, capture_output=True,
                                 text=True, check=True).stdout
            found += [s["index"] for s in json.loads(out)
                      if s["properties"].get("application.process.id") == str(copy.process.pid)]
        return sorted(found)

    def restart_lamp(self):
        for row in self.a.status().splitlines():
            if row.startswith("lamps "):
                return row.split()[-1] == "1"
        return None

    def connected(self, copy):
        return any((copy.line(n) or (0,))[0] == CONNECTED for n in (1, 2))

    def open_properties(self, window):
        self.x.key(window, "ctrl+p")
        dialog = self.x.wait_window(self.a.process.pid, "Properties")
        time.sleep(0.3)
        return dialog

    def test_accept_restarts_the_sound_only_for_a_setting_it_uses(self):
        self.a.start()
        self.b.start()
        window = self.x.wait_window(self.a.process.pid, "Ondrel")
        self.assertTrue(wait_until(lambda: self.a.client(B_ADDRESS) == (True, False), timeout=15), self.a.status())
        self.x.key(window, "Return")
        self.assertTrue(wait_until(lambda: self.connected(self.a) and self.connected(self.b), timeout=10),
                        self.a.status() + self.b.status())
        self.assertTrue(wait_until(lambda: len(self.streams(self.a)) == 2, timeout=10))
        streams = self.streams(self.a)
        self.assertIs(self.restart_lamp(), False)

        # Only the handle: back from Cancel to the handle field.
        dialog = self.open_properties(window)
        self.x.key(dialog, "shift+Tab", "shift+Tab")
        self.x.xdotool("type", "--delay", "20", "Alice")
        self.x.key(dialog, "alt+a")
        self.assertTrue(wait_until(lambda: "userName = Alice" in self.a.read_conf(), timeout=5), self.a.read_conf())
        deadline = time.monotonic() + 1.5
        while time.monotonic() < deadline:
            self.assertIs(self.restart_lamp(), False, "a restart for the handle")
            time.sleep(0.02)
        self.assertEqual(self.streams(self.a), streams, "the call's streams were opened anew")
        self.assertEqual(self.a.sound_type(), 9050)

        # A new sound type: the lamp shows the restart, and both sides go on in it.
        self.x.key(dialog, "Escape")
        dialog = self.open_properties(window)
        self.x.key(dialog, "ctrl+Tab", *["shift+Tab"] * 5, "Down", "alt+a")
        self.assertTrue(wait_until(lambda: self.restart_lamp() is True, timeout=5, step=0.01), self.a.status())
        self.assertTrue(wait_until(lambda: self.a.sound_type() == G711 and self.b.sound_type() == G711,
                                   timeout=10), self.a.status() + self.b.status())
        self.assertTrue(wait_until(lambda: self.restart_lamp() is False, timeout=5), self.a.status())
        self.assertTrue(self.connected(self.a) and self.connected(self.b))
        self.assertTrue(wait_until(lambda: len(self.streams(self.a)) == 2, timeout=10))
        self.assertNotEqual(self.streams(self.a), streams)


if __name__ == "__main__":
    unittest.main()
