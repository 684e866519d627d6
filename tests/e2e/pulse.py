"""A private PulseAudio server with null sinks, for tests that need real audio.

Each copy of the program gets a speaker sink (what it plays) and a
microphone sink whose monitor is its capture source, so a test can play into
one copy's microphone and record another copy's speaker.
"""
import os
import shutil
import signal
import subprocess
import tempfile
import time

PROBE_LATENCY_MS = 20
MICROPHONE_LATENCY_MS = 10
PROBE_SETTLE_SECONDS = 2.0  # loopbacks steer their latency to the target in their first seconds
SERVER = os.environ.get("ONDREL_SOUND_SERVER", "pulseaudio")


def sound_server(sinks):
    """The server the tests run on: PulseAudio, or PipeWire with its PulseAudio
    service when ONDREL_SOUND_SERVER is "pipewire"."""
    if SERVER == "pipewire":
        from pipewire import PipeWireServer
        return PipeWireServer(sinks)
    return PulseServer(sinks)


class PulseServer:
    def __init__(self, sinks):
        self.runtime = tempfile.mkdtemp(prefix="ondrel-pulse-")
        os.chmod(self.runtime, 0o700)
        self.sinks = list(sinks)
        self.microphones = {}
        self.env = dict(os.environ)
        self.env["XDG_RUNTIME_DIR"] = self.runtime
        self.env["PULSE_RUNTIME_PATH"] = os.path.join(self.runtime, "pulse")
        self.env["HOME"] = self.runtime
        self.env.pop("PULSE_SERVER", None)

    def start(self):
        if not shutil.which("pulseaudio"):
            raise RuntimeError("pulseaudio is not installed")
        args = ["pulseaudio", "-n", "--daemonize=yes", "--exit-idle-time=-1", "--disallow-exit",
                "--log-target=stderr", "--load=module-native-protocol-unix"]
        for sink in self.sinks:
            args.append("--load=module-null-sink sink_name=%s rate=48000" % sink)
        subprocess.run(args, env=self.env, check=True, capture_output=True, timeout=30)
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline:
            if subprocess.run(["pactl", "info"], env=self.env, capture_output=True).returncode == 0:
                return
            time.sleep(0.1)
        raise RuntimeError("the PulseAudio server did not come up")

    def stop(self):
        for recorder in self.microphones.values():
            recorder.kill()
            recorder.wait()
        self.microphones = {}
        subprocess.run(["pulseaudio", "--kill"], env=self.env, capture_output=True, timeout=30)
        pid_file = os.path.join(self.runtime, "pulse", "pid")
        if os.path.exists(pid_file):
            try:
                with open(pid_file) as f:
                    os.kill(int(f.read().split()[0]), signal.SIGKILL)
            except (OSError, ValueError, IndexError):
                pass
        shutil.rmtree(self.runtime, ignore_errors=True)

    def client_env(self, speaker, microphone):
        """What a copy of the program needs to play to speaker and record microphone's monitor."""
        self.hold_microphone_latency(microphone)
        env = dict(self.env)
        env["PULSE_SINK"] = speaker
        env["PULSE_SOURCE"] = microphone + ".monitor"
        return env

    def hold_microphone_latency(self, microphone):
        """Makes microphone's monitor deliver what is played into it at once,
        as a real microphone delivers each fragment as soon as it is recorded.

        A null sink renders ahead in blocks as long as the lowest latency any
        of its streams (its monitor's included) asks for, two seconds when
        none asks, and a new recording of its monitor gets its first sound
        only when the block under way ends: a call's first second would be
        the harness's, not the program's. One recorder holding a low latency
        keeps the blocks short from the start."""
        if microphone in self.microphones:
            return
        # What it records goes to a file, at a rate low enough to be no
        # burden: its first bytes tell that the long block has ended.
        path = os.path.join(self.runtime, microphone + ".held")
        with open(path, "wb") as out:
            self.microphones[microphone] = subprocess.Popen(
                ["pacat", "--record", "--device=" + microphone + ".monitor", "--raw",
                 "--latency-msec=%d" % MICROPHONE_LATENCY_MS, "--format=s16le", "--rate=1000", "--channels=1"],
                env=self.env, stdout=out)
        deadline = time.monotonic() + 5
        while os.path.getsize(path) == 0:
            if time.monotonic() > deadline:
                raise RuntimeError("the monitor of %s delivers nothing" % microphone)
            time.sleep(0.02)

    def probe(self, reference, output):
        """Feeds two sources into the two channels of one sink, "probe", so
        that one recording of its monitor holds both on one time base.

        Recording two monitors side by side does not give one: a null sink
        renders ahead in blocks as long as the lowest latency any of its
        streams asks for, and a new recording of its monitor starts at the
        next block, so the two channels may start a block apart (with the
        blocks a program's own streams allow, that made delays negative).
        Loopbacks run from here on, each holding the same latency."""
        self.pactl("load-module", "module-null-sink", "sink_name=probe", "channels=2",
                   "channel_map=front-left,front-right", "rate=48000")
        for source, channel in ((reference, "front-left"), (output, "front-right")):
            self.pactl("load-module", "module-loopback", "source=" + source, "sink=probe",
                       "latency_msec=%d" % PROBE_LATENCY_MS, "channels=1", "channel_map=" + channel, "remix=no",
                       "source_dont_move=1", "sink_dont_move=1")
        time.sleep(PROBE_SETTLE_SECONDS)

    def record_probe(self, path, rate=16000):
        """Records the probe (raw s16le, reference left, output right); stop it with stop_recording."""
        return subprocess.Popen(
            ["parecord", "--device=probe.monitor", "--latency-msec=10", "--raw", "--format=s16le",
             "--rate=%d" % rate, "--channels=2", path], env=self.env)

    def pactl(self, *args):
        subprocess.run(["pactl"] + list(args), env=self.env, check=True, capture_output=True, timeout=30)

    @staticmethod
    def stop_recording(process):
        process.send_signal(signal.SIGINT)
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()

    def play(self, sink, wav):
        return subprocess.Popen(["paplay", "--device=" + sink, "--latency-msec=10", wav], env=self.env)
