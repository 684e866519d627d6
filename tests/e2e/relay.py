"""A UDP relay between two copies of the program that makes the path as bad
as a poor network: loss, delay with jitter (which also reorders), and
duplicates. Copy A talks to the relay's "b side" address as if it were B,
copy B to its "a side" address as if it were A; each datagram is passed on
from the other side's address, so each copy sees one steady peer."""
import heapq
import itertools
import random
import socket
import threading
import time

A_SIDE, B_SIDE = "127.1.0.5", "127.1.0.6"  # the relay's stand-ins for A and for B


class ImpairedRelay:
    def __init__(self, port, a_address, b_address, a_side, b_side, loss=0.05, jitter_ms=30.0,
                 duplicate=0.01, seed=1, record=False):
        self.port = port
        self.peers = {"a": a_address, "b": b_address}
        self.loss, self.jitter, self.duplicate = loss, jitter_ms / 1000.0, duplicate
        self.rng = random.Random(seed)
        # The socket A sends to stands for B, and the other way round.
        self.sockets = {"for_b": self._bind(b_side), "for_a": self._bind(a_side)}
        self.queue = []
        self.lock = threading.Condition()
        self.running = False
        self.counts = {"passed": 0, "lost": 0, "duplicated": 0, "reordered": 0}
        self._last_due = {"a": 0.0, "b": 0.0}
        self.threads = []
        self._order = itertools.count()
        # (arrival time, "a" or "b" for the copy it is on its way to, datagram)
        self.seen = [] if record else None

    def _bind(self, address):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.bind((address, self.port))
        s.settimeout(0.2)
        return s

    def start(self):
        self.running = True
        # From A (to the stand-in for B) on to B, sent from the stand-in for A; and back.
        self.threads = [threading.Thread(target=self._receive, args=("for_b", "for_a", "b"), daemon=True),
                        threading.Thread(target=self._receive, args=("for_a", "for_b", "a"), daemon=True),
                        threading.Thread(target=self._send, daemon=True)]
        for t in self.threads:
            t.start()
        return self

    def stop(self):
        self.running = False
        with self.lock:
            self.lock.notify_all()
        for t in self.threads:
            t.join(timeout=2)
        for s in self.sockets.values():
            s.close()

    def _receive(self, inbound, outbound, to):
        while self.running:
            try:
                data, _ = self.sockets[inbound].recvfrom(65536)
            except OSError:
                continue
            copies = 1
            with self.lock:
                if self.seen is not None:
                    self.seen.append((time.monotonic(), to, data))
                if self.rng.random() < self.loss:
                    self.counts["lost"] += 1
                    continue
                if self.rng.random() < self.duplicate:
                    copies = 2
                    self.counts["duplicated"] += 1
                for _ in range(copies):
                    due = time.monotonic() + self.rng.uniform(0.0, self.jitter)
                    if due < self._last_due[to]:
                        self.counts["reordered"] += 1
                    self._last_due[to] = max(self._last_due[to], due)
                    heapq.heappush(self.queue, (due, next(self._order), outbound, to, data))
                self.lock.notify()

    def _send(self):
        while self.running:
            with self.lock:
                while self.running and (not self.queue or self.queue[0][0] > time.monotonic()):
                    wait = self.queue[0][0] - time.monotonic() if self.queue else 0.2
                    self.lock.wait(timeout=max(0.0, min(wait, 0.2)))
                if not self.running:
                    return
                _, _, outbound, to, data = heapq.heappop(self.queue)
                self.counts["passed"] += 1
            try:
                self.sockets[outbound].sendto(data, (self.peers[to], self.port))
            except OSError:
                pass
