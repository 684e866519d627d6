"""The user's sound devices are the user's: with every sink and source
muted and turned down, a start, Accept in the properties, a call whose sound
type switches on both sides, the mute buttons and quitting leave them exactly
as they were, while the window's sliders set the volume of the call's own
streams and follow a change made to those streams elsewhere."""
import json
import shutil
import signal
import subprocess
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
DEVICES = [("sink", "a_spk"), ("sink", "b_spk"), ("source", "a_mic.monitor"), ("source", "b_mic.monitor")]


@unittest.skipUnless(shutil.which("Xvfb") and shutil.which("xdotool"), "needs Xvfb and xdotool")
class MixerTest(unittest.TestCase):
    def setUp(self):
        self.pulse = PulseServer(["a_spk", "a_mic", "b_spk", "b_mic"])
        self.pulse.start()
        self.addCleanup(self.pulse.stop)
        for kind, name in DEVICES:
            self.pulse.pactl("set-%s-mute" % kind, name, "1")
            self.pulse.pactl("set-%s-volume" % kind, name, "40%")
        self.devices = self.held_devices()
        self.x = XServer().start()
        self.addCleanup(self.x.stop)
        self.root = tempfile.TemporaryDirectory(prefix="ondrel-mixer-")
        self.addCleanup(self.root.cleanup)
        port = free_udp_port(A_ADDRESS, B_ADDRESS)
        self.a = Copy(self.root.name, "a", A_ADDRESS)
        self.b = Copy(self.root.name, "b", B_ADDRESS)
        for copy in (self.a, self.b):
            self.addCleanup(copy.stop, signal.SIGKILL)
        self.a.write_conf(["netPort = %d" % port, "DlgX = 40", "DlgY = 30"], ["%s Bob desk" % B_ADDRESS])
        self.b.write_conf(["netPort = %d" % port, "AlwaysAnswer = 1"], ["%s Alice" % A_ADDRESS])
        self.a.extra_env = dict(self.pulse.client_env("a_spk", "a_mic"), **self.x.env())
        self.b.extra_env = self.pulse.client_env("b_spk", "b_mic")

    def pactl_json(self, what):
        out = subprocess.run(["pactl", "-f", "json", "list", what], env=self.pulse.env, capture_output=True,
                             text=True, check=True).stdout
        return json.loads(out)

    def held_devices(self):
        """Mute and channel volumes of every device, as the server holds them."""
        held = {}
        for kind, name in DEVICES:
            for device in self.pactl_json(kind + "s"):
                if device["name"] == name:
                    held[name] = (device["mute"], sorted(v["value"] for v in device["volume"].values()))
        return held

    def stream_of(self, copy, kind):
        """(index, loudest channel's volume) of copy's own stream, or None."""
        for stream in self.pactl_json(kind):
            if stream["properties"].get("application.process.id") == str(copy.process.pid):
                return stream["index"], max(v["value"] for v in stream["volume"].values())
        return None

    def sliders(self, copy):
        """(speaker, microphone) slider positions as copy's window shows them."""
        for row in copy.status().splitlines():
            parts = row.split()
            if parts[:2] == ["sliders", "speaker"]:
                return int(parts[2]), int(parts[6])
        return None

    def assert_devices_untouched(self, when):
        self.assertEqual(self.held_devices(), self.devices, when)

    def connected(self, copy):
        return any((copy.line(n) or (0,))[0] == CONNECTED for n in (1, 2))

    def test_devices_stay_as_the_user_set_them_and_the_sliders_move_the_call_streams(self):
        self.a.start()
        self.b.start()
        window = self.x.wait_window(self.a.process.pid, "Ondrel")
        self.assertTrue(wait_until(lambda: self.sliders(self.a) is not None and self.sliders(self.b) is not None))
        self.assertTrue(wait_until(lambda: self.a.client(B_ADDRESS) == (True, False), timeout=15), self.a.status())
        self.assert_devices_untouched("at the start")

        # Accept in the properties, with G.711 chosen on the Sound page.
        self.x.key(window, "ctrl+p")
        dialog = self.x.wait_window(self.a.process.pid, "Properties")
        time.sleep(0.3)
        self.x.key(dialog, "ctrl+Tab", *["shift+Tab"] * 5, "Down", "alt+a")
        self.assertTrue(wait_until(lambda: self.a.sound_type() == G711, timeout=5), self.a.status())
        self.x.key(dialog, "Escape")
        time.sleep(0.5)
        self.assert_devices_untouched("after Accept")

        # A call in G.711: B, on GSM, follows A's sound type.
        self.x.key(window, "Return")
        self.assertTrue(wait_until(lambda: self.connected(self.a) and self.connected(self.b), timeout=10),
                        self.a.status() + self.b.status())
        self.assertTrue(wait_until(lambda: self.b.sound_type() == G711, timeout=10), self.b.status())
        self.assertTrue(wait_until(lambda: self.stream_of(self.a, "sink-inputs") is not None
                                   and self.stream_of(self.a, "source-outputs") is not None, timeout=10))
        self.assert_devices_untouched("in a call that switched sound type")

        # The keypad's minus moves the speaker slider, with Ctrl the microphone's:
        # each moves its own stream.
        speaker, microphone = self.sliders(self.a)
        self.x.key(window, "KP_Subtract", "ctrl+KP_Subtract", "ctrl+KP_Subtract")
        self.assertTrue(wait_until(lambda: self.sliders(self.a) == (speaker - 1000, microphone - 2000)),
                        self.a.status())
        self.assertTrue(wait_until(
            lambda: abs(self.stream_of(self.a, "sink-inputs")[1] - (speaker - 1000) * 65536 / 65535) <= 1))
        self.assertTrue(wait_until(
            lambda: abs(self.stream_of(self.a, "source-outputs")[1] - (microphone - 2000) * 65536 / 65535) <= 1))

        # A desktop's volume control turns A's loudspeaker down: the slider follows.
        index, _ = self.stream_of(self.a, "sink-inputs")
        self.pulse.pactl("set-sink-input-volume", str(index), "16384")
        self.assertTrue(wait_until(lambda: abs(self.sliders(self.a)[0] - 16384 * 65535 / 65536) <= 1),
                        self.a.status())

        # The mute buttons close A's own stream and open it again at its volume.
        self.x.key(window, "ctrl+s")
        self.assertTrue(wait_until(lambda: self.stream_of(self.a, "sink-inputs") is None, timeout=5))
        self.x.key(window, "ctrl+s")
        self.assertTrue(wait_until(lambda: self.stream_of(self.a, "sink-inputs") is not None, timeout=5))
        self.assertTrue(wait_until(lambda: abs(self.stream_of(self.a, "sink-inputs")[1] - 16384) <= 1))
        self.assert_devices_untouched("after the mute buttons")

        self.x.key(window, "ctrl+q")
        self.assertEqual(self.a.wait_exit(), 0)
        self.assertEqual(self.b.stop(), 0)
        self.assert_devices_untouched("after quitting")


if __name__ == "__main__":
    unittest.main()
