"""Speech from one copy's microphone reaches the other copy's speaker.

A private PulseAudio server stands in for both sound cards. Speech made with
espeak-ng is played into A's microphone; B's speaker is recorded. For each
sound type the delay is found by cross-correlation and the likeness of the
loudness envelopes shows whether the speech came through (silence, noise, a
wrong rate or channel layout or byte order all fail it).
"""
import os
import signal
import subprocess
import tempfile
import time
import unittest

from harness import Copy, free_udp_port, sanitized, wait_until
from pulse import SERVER, sound_server
from relay import A_SIDE, B_SIDE, ImpairedRelay
import speech

A_ADDRESS = "127.1.0.1"
B_ADDRESS = "127.1.0.2"
CONNECTED = 9027
RATE = 16000
TEXT = "Hello Bob. This is Alice calling from the other machine. Can you hear me clearly?"

# Type: (name, frame ms, playback buffer count). The design delay is one
# capture frame plus the playback queue of two-frame buffers.
# How alike the speech heard must be to the speech spoken (0 to 1).
LIKENESS = 0.7
# A call's first audio after the answer: measured 20-50 ms on PulseAudio and
# 35-115 ms on PipeWire (190 ms with its server busy). Under ThreadSanitizer a
# copy's first call stalls 150-250 ms more while it looks up the stacks of the
# reports it suppresses. The frames a copy sends in the second from its first,
# at 20 ms a frame: 50 or 51 (45 once, with PipeWire's graph held up by a
# build on both cores).
FIRST_SOUND_MS = 200 if not sanitized() else 400
FIRST_SECOND_FRAMES = (44, 53)

TYPES = {
    9050: ("GSM 8 kHz", 20.0, 4),
    9064: ("G.711 8 kHz", 20.0, 4),
    9053: ("PCM 16 kHz mono", 20.0, 4),
    9057: ("PCM 44 kHz stereo", 1280 / 4 / 44.1, 256),  # the device queue is capped at 200 ms
    9058: ("Speex 8 kHz", 20.0, 4),
    9059: ("Speex 16 kHz", 20.0, 4),
    9061: ("Speex 32 kHz", 20.0, 4),
}
# On PipeWire the sound server's share of the path differs between the types
# only by rate and channels: one type of each there.
PIPEWIRE_TYPES = (9050, 9053, 9057, 9061)

FIRST_TYPE, LAST_TYPE = 9050, 9064  # the codes of audio datagrams

pulse = None
workdir = None
speech_wav = None


def setUpModule():
    global pulse, workdir, speech_wav
    workdir = tempfile.mkdtemp(prefix="ondrel-voice-")
    speech_wav = os.path.join(workdir, "speech.wav")
    subprocess.run(["espeak-ng", "-s", "150", "-w", speech_wav, TEXT], check=True, capture_output=True)
    pulse = sound_server(["a_spk", "a_mic", "b_spk", "b_mic"])
    pulse.start()
    pulse.probe("a_mic.monitor", "b_spk.monitor")


def tearDownModule():
    if pulse:
        pulse.stop()


def speech_seconds():
    out = subprocess.run(["soxi", "-D", speech_wav], capture_output=True, text=True)
    return float(out.stdout.strip() or 5)


class VoiceCalls(unittest.TestCase):
    """Two copies with their own sound cards, and what a call between them sounds like."""

    def setUp(self):
        self.root = tempfile.TemporaryDirectory(prefix="ondrel-voice-copies-")
        self.addCleanup(self.root.cleanup)
        self.port = free_udp_port(A_ADDRESS, B_ADDRESS)
        self.a = Copy(self.root.name, "a", A_ADDRESS)
        self.b = Copy(self.root.name, "b", B_ADDRESS)
        self.a.extra_env = pulse.client_env("a_spk", "a_mic")
        self.b.extra_env = pulse.client_env("b_spk", "b_mic")
        for copy in (self.a, self.b):
            self.addCleanup(copy.stop, signal.SIGKILL)

    def start(self, a_type, b_type, b_params=(), both=()):
        common = ["netPort = %d" % self.port, "log = 1"] + list(both)
        self.a.write_conf(common + ["userName = Alice", "SndType = %d" % a_type], ["%s Bob" % B_ADDRESS])
        self.b.write_conf(common + ["userName = Bobby", "AlwaysAnswer = 1", "SndType = %d" % b_type]
                          + list(b_params), ["%s Alice" % A_ADDRESS])
        self.a.start()
        self.b.start()
        self.assertTrue(wait_until(lambda: self.a.sound_type() == a_type and self.b.sound_type() == b_type,
                                   timeout=15), self.a.status() + self.b.status())

    def call(self, address=B_ADDRESS):
        self.assertEqual(self.a.command(2, address).returncode, 0)
        self.assertTrue(wait_until(lambda: (self.a.line(2) or (0,))[0] == CONNECTED
                                   and (self.b.line(2) or (0,))[0] == CONNECTED, timeout=15),
                        self.a.status() + self.b.status())

    def hang_up(self):
        self.a.command(3)
        self.assertTrue(wait_until(lambda: self.a.line(2)[0] == 0 and self.b.line(2)[0] == 0, timeout=15))

    def speak(self, tag, tail_seconds):
        """Plays the speech into A's microphone; returns the figures of B's speaker."""
        recording = os.path.join(workdir, tag + ".raw")
        recorder = pulse.record_probe(recording, RATE)
        time.sleep(0.5)
        player = pulse.play("a_mic", speech_wav)
        player.wait(timeout=60)
        # What the devices say they hold, while the call still runs.
        self.devices = (self.a.device("microphone"), self.b.device("speaker"))
        self.call_figures = self.b.device("call")
        time.sleep(tail_seconds)
        pulse.stop_recording(recorder)
        return speech.compare_pair(recording, RATE)

    def heard(self, tag, tail_seconds):
        """speak, once more when the first came through poorly: the recording
        through the sound server's loopbacks now and then loses a stretch,
        and a second utterance on the same call tells that from a fault of
        the program, which spoils both."""
        figures = self.speak(tag, tail_seconds)
        if figures["likeness"] <= LIKENESS:
            figures = max(figures, self.speak(tag + "-again", tail_seconds), key=lambda f: f["likeness"])
        return figures

    def check_came_through(self, sound_type, figures):
        name = TYPES[sound_type][0]
        self.assertGreater(figures["level"], 100, "%s: silence at the speaker %s" % (name, figures))
        self.assertGreater(figures["likeness"], LIKENESS, "%s: the speech did not come through %s" % (name, figures))
        self.assertGreater(figures["delay_ms"], 0, "%s: %s" % (name, figures))
        # The waveform SNR is reported, not judged: both ends resample on the
        # way through the sound server, so waveforms never line up to the
        # sample, while the loudness envelope shows plainly whether speech
        # came through.


class VoiceTest(VoiceCalls):
    def one_call(self, sound_type, tag, both=()):
        """A call in sound_type; the figures of what B heard, its devices and its own call figures."""
        name, frame_ms, buffers = TYPES[sound_type]
        try:
            self.start(sound_type, sound_type, both=both)
            self.call()
            time.sleep(1.0)  # devices open at the next heartbeat
            design = frame_ms + min(buffers * 2 * frame_ms, 200.0)
            figures = self.heard(tag, tail_seconds=1.5 + design / 1000.0)
            self.check_came_through(sound_type, figures)
            call = self.call_figures
            self.assertGreater(call.get("received", 0), 0, "%s: no call figures: %s" % (name, self.b.status()))
            self.assertGreater(call.get("delay_ms", 0), 0, "%s: %s" % (name, call))
            self.hang_up()
            self.assertTrue(wait_until(lambda: "Call figures: received " in self.b.log(), timeout=5), self.b.log())
            return design, figures, self.devices, call
        finally:
            self.a.stop()
            self.b.stop()

    def test_speech_in_every_sound_type(self):
        results = {}
        for sound_type, (name, frame_ms, _) in TYPES.items():
            if SERVER == "pipewire" and sound_type not in PIPEWIRE_TYPES:
                continue
            with self.subTest(name):
                results[sound_type] = [self.one_call(sound_type, "t%d" % sound_type)]
                # Low-latency playout, side by side, for the types of 20 ms frames.
                if frame_ms == 20.0:
                    results[sound_type].append(self.one_call(sound_type, "l%d" % sound_type, both=["LowLatency = 1"]))
        floor = self.measure_floor()
        print("\nsound type            design ms  delay ms  over floor  low-lat over floor  likeness (low-lat)"
              "  SNR dB   mic ms  spooled  speaker asked/heard ms  low-lat asked/heard  B's own delay estimate")
        for sound_type, rows in results.items():
            design, f, (mic, speaker), call = rows[0]
            low = rows[1] if len(rows) > 1 else None
            print("%-20s %10.0f %9.0f %11.0f %19s %9.3f (%5s) %7.1f %8s %8s %9s/%-13s %9s/%-9s %s / %s ms" % (
                TYPES[sound_type][0], design, f["delay_ms"], f["delay_ms"] - floor,
                "%.0f" % (low[1]["delay_ms"] - floor) if low else "-", f["likeness"],
                "%.3f" % low[1]["likeness"] if low else "-", f["snr_db"], mic.get("heard_ms", "-"),
                speaker.get("spooled", "-"), speaker.get("asked_ms", "-"), speaker.get("heard_ms", "-"),
                low[2][1].get("asked_ms", "-") if low else "-", low[2][1].get("heard_ms", "-") if low else "-",
                call.get("delay_ms", "-"), low[3].get("delay_ms", "-") if low else "-"))
        print("harness floor (parecord | pacat, no program): %.0f ms" % floor)
        print("mic ms: A's capture delay as its stream reports it; spooled: frames waiting in B's spool;"
              " speaker: B's playback queue asked of the device and reported by it, sound server included;"
              " B's own delay estimate: the call figures' mouth-to-ear delay, default / low latency")

    def measure_floor(self):
        """The same PulseAudio path with no program between microphone and speaker."""
        pipe = subprocess.Popen(
            "parecord --device=a_mic.monitor --latency-msec=20 --raw --format=s16le --rate=16000 --channels=1"
            " | pacat --device=b_spk --latency-msec=20 --raw --format=s16le --rate=16000 --channels=1",
            shell=True, env=pulse.env, start_new_session=True)
        try:
            time.sleep(0.5)
            figures = self.speak("floor", tail_seconds=1.0)
        finally:
            os.killpg(pipe.pid, signal.SIGTERM)
            pipe.wait(timeout=10)
        return figures["delay_ms"]

    def test_callee_follows_the_callers_sound_type_and_returns_after(self):
        self.start(9064, 9050)
        self.call()
        self.assertTrue(wait_until(lambda: self.b.sound_type() == 9064, timeout=10), self.b.status())
        time.sleep(1.0)
        self.check_came_through(9064, self.heard("follow", tail_seconds=1.5))
        self.hang_up()
        self.assertTrue(wait_until(lambda: self.b.sound_type() == 9050, timeout=10), self.b.status())

    def test_locked_callee_refuses_another_sound_type(self):
        self.start(9064, 9050, b_params=["lockCodec = 1"])
        self.assertEqual(self.a.command(2, B_ADDRESS).returncode, 0)
        self.assertTrue(wait_until(lambda: "Remote rejected, wrong codec: %s" % A_ADDRESS in self.b.log(),
                                   timeout=15), self.b.log())
        self.assertTrue(wait_until(lambda: self.a.line(2)[0] == 0 and self.b.line(2)[0] == 0, timeout=15),
                        self.a.status() + self.b.status())
        self.assertEqual(self.b.sound_type(), 9050)


def first_sound(seen, to):
    """From a relay's record: how long after the caller's answer confirmation
    (9027, on its way to B) the copy sending toward `to` sent its first audio
    datagram, in ms, and how many it sent in the second from then on."""
    code = lambda data: int.from_bytes(data[:4], "little")
    confirmed = next(t for t, toward, data in seen if toward == "b" and code(data) == CONNECTED)
    audio = [t for t, toward, data in seen
             if toward == to and t >= confirmed and FIRST_TYPE <= code(data) <= LAST_TYPE]
    if not audio:
        return None, 0
    return 1000 * (audio[0] - confirmed), sum(1 for t in audio if t < audio[0] + 1.0)


class FirstSoundTest(VoiceCalls):
    """The first words of a call: both copies send fresh sound at once after
    the answer, a frame every 20 ms and no backlog of capture in a burst,
    whatever plays into the microphone sinks meanwhile."""

    def first_second(self, player):
        """One call; (ms, frames) of first_sound for B and for A. player: None
        for silent microphone sinks, else the arguments of a player that
        feeds both from before the call (its latency sets their block size)."""
        relay = ImpairedRelay(self.port, A_ADDRESS, B_ADDRESS, A_SIDE, B_SIDE, loss=0.0, jitter_ms=0.0,
                              duplicate=0.0, record=True)
        players = []
        try:
            relay.start()
            self.start(9050, 9050)
            if player is not None:
                players = [subprocess.Popen(["pacat", "--device=" + mic, "--raw"] + player + ["/dev/zero"],
                                            env=pulse.env) for mic in ("a_mic", "b_mic")]
                time.sleep(1.0)
            self.call(B_SIDE)
            time.sleep(2.0)
        finally:
            relay.stop()
            for p in players:
                p.kill()
                p.wait()
            self.a.stop()
            self.b.stop()
        return first_sound(relay.seen, "a"), first_sound(relay.seen, "b")

    def test_fresh_sound_at_once(self):
        cases = (("silent microphones", None), ("player at 10 ms", ["--latency-msec=10"]),
                 ("player, server's latency", []))
        rows = [(name,) + self.first_second(player) for name, player in cases]
        print("\non %s, from the answer confirmation:" % SERVER)
        for name, (b_ms, b_frames), (a_ms, a_frames) in rows:
            print("%-26s B: first audio after %s ms, %d frames in its first second; A: %s ms, %d frames" % (
                name, "%.0f" % b_ms if b_ms is not None else "-", b_frames,
                "%.0f" % a_ms if a_ms is not None else "-", a_frames))
        for name, *sides in rows:
            for side, (ms, frames) in zip("BA", sides):
                self.assertIsNotNone(ms, "%s: %s sent no audio" % (name, side))
                self.assertLess(ms, FIRST_SOUND_MS, "%s: %s's first audio came late" % (name, side))
                self.assertLessEqual(frames, FIRST_SECOND_FRAMES[1], "%s: %s sent a backlog in a burst" % (name, side))
                self.assertGreaterEqual(frames, FIRST_SECOND_FRAMES[0], "%s: %s's first second broke up" % (name, side))


if __name__ == "__main__":
    unittest.main()


class CpuTimeTest(VoiceCalls):
    """Prints the CPU time one copy takes in a 60-second Speex 32 kHz call, without
    and with echo cancellation and noise suppression.

    Not a pass/fail figure: run it by hand with ONDREL_MEASURE_CPU=1.
    """

    def test_cpu_time(self):
        if not os.environ.get("ONDREL_MEASURE_CPU"):
            self.skipTest("set ONDREL_MEASURE_CPU to measure")
        seconds = float(os.environ.get("ONDREL_MEASURE_CPU_SECONDS", "60"))
        figures = []
        for name, options in (("without", []), ("with echo cancellation and noise suppression",
                                                   ["EchoCancel = 1", "NoiseSuppress = 1"])):
            self.start(9061, 9061, both=options)
            self.call()
            time.sleep(2.0)
            player = subprocess.Popen("while true; do paplay --device=a_mic '%s'; done" % speech_wav, shell=True,
                                      env=pulse.env, start_new_session=True)
            try:
                pid = self.a.process.pid
                before, started = cpu_seconds(pid), time.monotonic()
                time.sleep(seconds)
                used, wall = cpu_seconds(pid) - before, time.monotonic() - started
            finally:
                os.killpg(player.pid, signal.SIGKILL)
                self.a.stop()
                self.b.stop()
            figures.append((name, used, wall))
        print()
        for name, used, wall in figures:
            print("copy A in a Speex 32 kHz call, %s: %.2f s CPU over %.1f s = %.1f %% of one core"
                  % (name, used, wall, 100 * used / wall))


def cpu_seconds(pid):
    """User and system time of a process, from /proc."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
