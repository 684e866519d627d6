"""A hostile sender's floods: rounds of malformed and out-of-place datagrams
from one address. Afterwards the program still answers a presence probe at
once, it has shown no storm of boxes, and its memory did not grow across the
later rounds (the allocator settles during the first ones)."""
import math
import os
import random
import signal
import socket
import struct
import tempfile
import time
import unittest

from harness import Copy, free_udp_port, resident_kib, wait_until

TARGET = "127.1.0.1"
SENDER = "127.1.0.3"
PRESENCE_QUERY, PRESENCE_REPLY = 9005, 9008
LINE_CODES = [9024, 9025, 9027, 9031, 9032, 9034]
SPEEX_TYPES = range(9058, 9063)
FLOOD_SECONDS = 2.0
# The first rounds find the allocator's working size; a leak grows with
# every round after them.
SETTLING_ROUNDS = 2
JUDGED_ROUNDS = 4
# Under a sanitizer the program runs several times slower and keeps freed
# memory in quarantine: the probe gets longer and memory is not judged.
SANITIZED = os.environ.get("ONDREL_SANITIZED") == "1"
PROBE_LIMIT = 2.0 if SANITIZED else 0.1



def flood_datagrams(rng):
    """One of each kind the flood is made of, in turn, forever."""
    while True:
        yield rng.randbytes(rng.randint(0, 1500))                                   # noise
        yield struct.pack("<I", rng.randint(9000, 9110)) + rng.randbytes(rng.randint(0, 7))  # truncated
        yield struct.pack("<I", rng.randint(9000, 9110)) + bytes(rng.randint(2000, 60000))  # oversized
        yield struct.pack("<I", rng.choice(SPEEX_TYPES)) + b"1280\0" + rng.randbytes(20)  # claims more
        yield struct.pack("<I", rng.choice(LINE_CODES))                              # no such line
        yield struct.pack("<I", 9044)                                                # a stranger's rejection


class FloodTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.TemporaryDirectory(prefix="ondrel-flood-")
        self.addCleanup(self.root.cleanup)
        self.port = free_udp_port(TARGET, SENDER)
        self.copy = Copy(self.root.name, "a", TARGET)
        self.addCleanup(self.copy.stop, signal.SIGKILL)
        self.copy.write_conf(["netPort = %d" % self.port, "log = 1"], ["10.9.9.9 Somebody"])
        self.copy.start()
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.addCleanup(self.sock.close)
        self.sock.bind((SENDER, self.port))
        self.assertTrue(wait_until(lambda: self.probe() is not None, timeout=15), "no answer to a probe")

    def probe(self, timeout=0.5):
        """Seconds until a presence probe is answered, or None."""
        self.sock.setblocking(True)
        self.sock.settimeout(0)
        try:
            while True:
                self.sock.recv(65536)  # what is left of earlier answers
        except OSError:
            pass
        self.sock.settimeout(timeout)
        sent = time.monotonic()
        self.sock.sendto(struct.pack("<I", PRESENCE_QUERY), (TARGET, self.port))
        try:
            while True:
                data = self.sock.recv(65536)
                if data[:4] == struct.pack("<I", PRESENCE_REPLY):
                    return time.monotonic() - sent
        except OSError:
            return None

    def test_after_a_flood_a_probe_is_answered_at_once_and_nothing_grew(self):
        rng = random.Random(5)
        datagrams = flood_datagrams(rng)
        # One of each kind first, so that what the program makes once (the
        # log file, the first box) is in the baseline, not in the growth.
        for _ in range(6):
            try:
                self.sock.sendto(next(datagrams), (TARGET, self.port))
            except OSError:
                pass
        time.sleep(1.0)
        resident = [resident_kib(self.copy.process.pid)]
        sent = 0
        for _ in range(SETTLING_ROUNDS + JUDGED_ROUNDS):
            sent += self.flood(datagrams)
            self.assertTrue(wait_until(lambda: self.probe(timeout=1.0) is not None, timeout=20),
                            "no answer after a flood")
            resident.append(resident_kib(self.copy.process.pid))
        # The socket's receive buffer still holds the flood's tail, which a
        # program slowed by a sanitizer takes a while to read; a probe sent
        # into a full buffer is lost on the way. The probes are timed once
        # the first one is answered, as each round's was.
        answers = [self.probe(timeout=max(0.5, PROBE_LIMIT)) for _ in range(5)]
        time.sleep(2.0)
        resident[-1] = max(resident[-1], resident_kib(self.copy.process.pid))
        judged_from = resident[SETTLING_ROUNDS]
        self.assertTrue(self.copy.running(), "the program ended under the flood")
        self.copy.stop()
        boxes = sum(1 for line in self.copy.stderr.splitlines() if line.startswith(("Ondrel Info:", "Ondrel Error:")))
        print("\n%d datagrams in %d rounds of %.0f s; probe answered in %s ms; boxes %d; resident KiB %s" %
              (sent, SETTLING_ROUNDS + JUDGED_ROUNDS, FLOOD_SECONDS,
               ", ".join("%.1f" % (a * 1000) if a is not None else "-" for a in answers), boxes,
               " ".join(str(r) for r in resident)))
        self.assertTrue(all(a is not None and a < PROBE_LIMIT for a in answers), answers)
        for line in self.copy.stderr.splitlines():
            if line.startswith(("Ondrel Info:", "Ondrel Error:")):
                print("box:", line[:200])
        # The flood's call requests hold a line, whose peer's rejection is
        # told (and ends the call); the next such box needs a new call,
        # which comes only once the line is free again, 5 s later.
        flood_seconds = (SETTLING_ROUNDS + JUDGED_ROUNDS) * FLOOD_SECONDS
        self.assertLessEqual(boxes, math.ceil(flood_seconds / 4), self.copy.stderr[-2000:])
        if not SANITIZED:
            self.assertLessEqual(resident[-1] - judged_from, 1024, resident)

    def flood(self, datagrams):
        """One round of the flood; the datagrams sent."""
        sent = 0
        end = time.monotonic() + FLOOD_SECONDS
        while time.monotonic() < end:
            try:
                self.sock.sendto(next(datagrams), (TARGET, self.port))
                sent += 1
            except OSError:
                pass  # an oversized datagram the kernel refuses
        return sent


if __name__ == "__main__":
    unittest.main()
