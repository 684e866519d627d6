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


class Recording:
    """A recorder and the helpers that run beside it; the recorder comes first."""

    def __init__(self, recorder, helpers):
        self.processes = [recorder] + list(helpers)


class PulseServer:
    def __init__(self, sinks):
        self.runtime = tempfile.mkdtemp(prefix="ondrel-pulse-")
        os.chmod(self.runtime, 0o700)
        self.sinks = list(sinks)
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
        env = dict(self.env)
        env["PULSE_SINK"] = speaker
        env["PULSE_SOURCE"] = microphone + ".monitor"
        return env

    def record(self, source, path, rate=16000):
        """Starts recording a source (raw s16le mono); stop it with stop_recording."""
        return subprocess.Popen(
            ["parecord", "--device=" + source, "--rate=%d" % rate, "--channels=1", "--format=s16le",
             "--raw", "--latency-msec=10", path], env=self.env)

    def record_pair(self, first, second, path, rate=16000):
        """Records two sources side by side (raw s16le, two channels) in one
        process, so that both share one time base: a delay measured between
        the channels is not shifted by two recorders starting apart.

        A null sink renders ahead of time in blocks as long as the lowest
        latency any of its streams asks for, and a new recording of its
        monitor starts at the next block: with the long blocks a program's
        own streams may allow, the two channels would start up to a block
        apart. A silent low-latency reader on each monitor keeps the blocks
        short while the recording runs."""
        pins = [subprocess.Popen(
            ["parecord", "--device=" + source, "--latency-msec=5", "--raw", "--format=s16le", "--rate=%d" % rate,
             "--channels=1", "/dev/null"], env=self.env) for source in (first, second)]
        time.sleep(0.3)
        recorder = subprocess.Popen(
            ["sox", "-q", "-M",
             "-t", "pulseaudio", "-c", "1", "-r", str(rate), first,
             "-t", "pulseaudio", "-c", "1", "-r", str(rate), second,
             "-t", "raw", "-e", "signed", "-b", "16", "-c", "2", "-r", str(rate), path], env=self.env)
        return Recording(recorder, pins)

    @staticmethod
    def stop_recording(recording):
        processes = recording.processes if isinstance(recording, Recording) else [recording]
        for process in processes:
            process.send_signal(signal.SIGINT)
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def play(self, sink, wav):
        return subprocess.Popen(["paplay", "--device=" + sink, "--latency-msec=10", wav], env=self.env)
