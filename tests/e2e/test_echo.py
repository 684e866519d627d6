"""Echo cancellation on a real sound server: B's loudspeaker is fed back into
B's microphone, delayed and attenuated, as a room would; A speaks, and what
comes back to A's loudspeaker is A's own voice, B's echo. Prints how much
quieter that echo is, after two seconds of convergence, with B's echo
cancellation and noise suppression on than with them off, and how alike B's
own speech is at A. Through the sound server's resampling loopback the
reduction falls short of what the canceller reaches on a fixed echo path
(its unit test); the check here is that it clearly works and keeps B's
speech whole."""
import os
import subprocess
import tempfile
import time
import unittest

import numpy as np

from harness import Copy, free_udp_port, wait_until
from pulse import PulseServer
import speech

A_ADDRESS = "127.1.0.1"
B_ADDRESS = "127.1.0.2"
CONNECTED = 9027
RATE = 16000
ECHO_LATENCY_MS = 60
SANITIZED = bool(os.environ.get("ONDREL_SANITIZED"))
ECHO_VOLUME = "35%"  # about -27 dB on PulseAudio's cubic volume scale
FAR_TEXT = ("Hello Bob. This is Alice calling from the other machine. Can you hear me clearly? "
            "I am talking for a while now, so that your phone can learn the way back from your loudspeaker.")
NEAR_TEXT = "Yes Alice, I can hear you well, and there is no echo of your voice at all."

pulse = None
workdir = None


def setUpModule():
    global pulse, workdir
    workdir = tempfile.mkdtemp(prefix="ondrel-echo-")
    for name, text in (("far", FAR_TEXT), ("near", NEAR_TEXT)):
        wav = os.path.join(workdir, name + ".wav")
        subprocess.run(["espeak-ng", "-s", "150", "-w", wav, text], check=True, capture_output=True)
        subprocess.run(["sox", wav, "-r", str(RATE), "-c", "1", "-b", "16", "-e", "signed-integer", "-t", "raw",
                        os.path.join(workdir, name + ".raw")], check=True, capture_output=True)
    pulse = PulseServer(["a_spk", "a_mic", "b_spk", "b_mic"])
    pulse.start()
    # The room: B's loudspeaker heard again by B's microphone.
    pulse.pactl("load-module", "module-loopback", "source=b_spk.monitor", "sink=b_mic",
                "latency_msec=%d" % ECHO_LATENCY_MS, "source_dont_move=1", "sink_dont_move=1")
    inputs = subprocess.run(["pactl", "list", "short", "sink-inputs"], env=pulse.env, capture_output=True,
                            text=True, check=True).stdout.split()
    pulse.pactl("set-sink-input-volume", inputs[0], ECHO_VOLUME)
    time.sleep(2)


def tearDownModule():
    if pulse:
        pulse.stop()


def rms_db(samples):
    return 20 * np.log10(max(1e-9, float(np.sqrt((samples * samples).mean()))))


class EchoTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.TemporaryDirectory(prefix="ondrel-echo-copies-")
        self.addCleanup(self.root.cleanup)
        self.port = free_udp_port(A_ADDRESS, B_ADDRESS)

    def call(self, echo_cancel, tag):
        """A speaks, then B; returns A's loudspeaker while A spoke and while B spoke."""
        a = Copy(self.root.name, "a-" + tag, A_ADDRESS)
        b = Copy(self.root.name, "b-" + tag, B_ADDRESS)
        a.extra_env = pulse.client_env("a_spk", "a_mic")
        b.extra_env = pulse.client_env("b_spk", "b_mic")
        common = ["netPort = %d" % self.port, "SndType = 9059"]
        a.write_conf(common + ["userName = Alice"], ["%s Bob" % B_ADDRESS])
        b.write_conf(common + ["userName = Bobby", "AlwaysAnswer = 1", "EchoCancel = %d" % echo_cancel, "NoiseSuppress = %d" % echo_cancel],
                     ["%s Alice" % A_ADDRESS])
        try:
            a.start()
            b.start()
            self.assertTrue(wait_until(lambda: a.sound_type() == 9059 and b.sound_type() == 9059, timeout=15))
            self.assertEqual(a.command(2, B_ADDRESS).returncode, 0)
            self.assertTrue(wait_until(lambda: (a.line(2) or (0,))[0] == CONNECTED
                                       and (b.line(2) or (0,))[0] == CONNECTED, timeout=15))
            time.sleep(1.5)
            heard = os.path.join(workdir, tag + ".raw")
            recorder = subprocess.Popen(["parecord", "--device=a_spk.monitor", "--latency-msec=10", "--raw",
                                         "--format=s16le", "--rate=%d" % RATE, "--channels=1", heard],
                                        env=pulse.env)
            time.sleep(0.3)
            started = time.monotonic()
            pulse.play("a_mic", os.path.join(workdir, "far.wav")).wait(timeout=60)
            far_seconds = time.monotonic() - started
            time.sleep(1.0)  # the echo's tail
            near_start = time.monotonic() - started
            pulse.play("b_mic", os.path.join(workdir, "near.wav")).wait(timeout=60)
            time.sleep(1.0)
            pulse.stop_recording(recorder)
        finally:
            a.stop()
            b.stop()
        samples = speech.load_raw(heard)
        lead = int(0.3 * RATE)
        far = samples[lead + 2 * RATE: lead + int(far_seconds * RATE)]  # after two seconds of convergence
        near = samples[lead + int(near_start * RATE):]
        return far, near

    def test_echo_is_cancelled_and_near_speech_comes_through(self):
        off_far, off_near = self.call(0, "off")
        on_far, on_near = self.call(1, "on")
        near_reference = speech.load_raw(os.path.join(workdir, "near.raw"))
        near_on = speech.compare_signals(near_reference, on_near, RATE)
        near_off = speech.compare_signals(near_reference, off_near, RATE)
        # The playout may slip a frame mid-utterance with or without the
        # canceller; what counts here is that the speech itself is whole.
        pieces_on = speech.likeness_in_pieces(near_reference, on_near, RATE)
        pieces_off = speech.likeness_in_pieces(near_reference, off_near, RATE)
        reduction = rms_db(off_far) - rms_db(on_far)
        print("\necho at A's loudspeaker after 2 s: %.1f dB without cancellation, %.1f dB with: %.1f dB less"
              % (rms_db(off_far), rms_db(on_far), reduction))
        print("B's own speech at A: likeness %.3f with cancellation, %.3f without; half second by half "
              "second %.3f with, %.3f without" % (near_on["likeness"], near_off["likeness"], pieces_on, pieces_off))
        self.assertGreater(rms_db(off_far), 30, "no echo to cancel: the room loopback is silent")
        self.assertGreater(pieces_on, 0.8, near_on)
        if not SANITIZED:
            # A sanitizer slows the capture thread, and the canceller with it.
            self.assertGreaterEqual(reduction, 8.0)


if __name__ == "__main__":
    unittest.main()
