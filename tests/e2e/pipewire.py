"""A private PipeWire server, the sound server most desktops now ship, in place
of the private PulseAudio server of pulse.py: PipeWire itself, WirePlumber to
link the streams (it needs a session bus of its own) and pipewire-pulse, the
PulseAudio service the program talks to. The null sinks are loaded through
that service, so they have the same names, monitors and rates as the ones of
pulse.py, and everything there that feeds or records them works here too.
"""
import ctypes
import os
import shutil
import signal
import subprocess
import time

from pulse import PulseServer

PROGRAMS = ("dbus-daemon", "pipewire", "wireplumber", "pipewire-pulse")
PR_SET_PDEATHSIG = 1


def _die_with_parent():
    # A test killed outright (a time-out) must not leave servers behind.
    ctypes.CDLL(None).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


class PipeWireServer(PulseServer):
    def __init__(self, sinks):
        super().__init__(sinks)
        for name in ("DBUS_SESSION_BUS_ADDRESS", "PIPEWIRE_REMOTE", "PIPEWIRE_RUNTIME_DIR"):
            self.env.pop(name, None)
        # Not at XDG_RUNTIME_DIR/bus, where a copy of the program would find it
        # without being told (see client_env).
        self.bus = os.path.join(self.runtime, "wireplumber-bus")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + self.bus
        self.processes = []

    def start(self):
        missing = [p for p in PROGRAMS if not shutil.which(p)]
        if missing:
            raise RuntimeError("not installed: " + ", ".join(missing))
        try:
            self._spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                         "--address=" + self.env["DBUS_SESSION_BUS_ADDRESS"]])
            self._wait_for(lambda: os.path.exists(self.bus), "the session bus")
            self._spawn(["pipewire"])
            self._wait_for(lambda: os.path.exists(os.path.join(self.runtime, "pipewire-0")), "PipeWire")
            self._spawn(["wireplumber"])
            self._spawn(["pipewire-pulse"])
            self._wait_for(lambda: self._quiet(["pactl", "info"]), "pipewire-pulse")
            # Streams are linked to sinks by WirePlumber: without it they would
            # connect and hear nothing.
            self._wait_for(lambda: "WirePlumber" in self._output(["pactl", "list", "clients"]), "WirePlumber")
            for sink in self.sinks:
                self.pactl("load-module", "module-null-sink", "sink_name=%s" % sink, "rate=48000")
            self._wait_for(lambda: set(self.sinks) <= {row.split("\t")[1] for row in self._output(
                ["pactl", "list", "short", "sinks"]).splitlines() if "\t" in row}, "the null sinks")
        except BaseException:
            self.stop()
            raise

    def client_env(self, speaker, microphone):
        env = super().client_env(speaker, microphone)
        # The bus is WirePlumber's: a copy of the program finds no session bus
        # here, as in the PulseAudio runs.
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        return env

    def hold_microphone_latency(self, microphone):
        # PipeWire runs every node on the graph's clock, one quantum at a time:
        # a monitor's first sound comes within a quantum of its recording.
        pass

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
        for process in reversed(self.processes):
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self.processes = []
        shutil.rmtree(self.runtime, ignore_errors=True)

    def _spawn(self, args):
        self.processes.append(subprocess.Popen(args, env=self.env, stdin=subprocess.DEVNULL,
                                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                               preexec_fn=_die_with_parent))

    def _wait_for(self, ready, what, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            gone = [p.args[0] for p in self.processes if p.poll() is not None]
            if gone:
                raise RuntimeError("%s ended while waiting for %s" % (", ".join(gone), what))
            if ready():
                return
            time.sleep(0.05)
        raise RuntimeError("%s did not come up" % what)

    def _quiet(self, args):
        return subprocess.run(args, env=self.env, capture_output=True, timeout=30).returncode == 0

    def _output(self, args):
        return subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=30).stdout
