"""A call through a bad network, for minutes: an impairing relay between two
copies drops 5 % of the datagrams, delays them by up to 30 ms (reordering
them) and now and then doubles one. The call must stay up, speech must still
come through, the speaker spool's backlog must not creep and neither copy's
memory may grow. Prints, per minute, the spool's concealed, trimmed and late
frames, its backlog, and both copies' resident memory.

ONDREL_SOAK_SECONDS sets the length of each run (CI: 120; 600 on request);
without it the soak is skipped."""
import os
import time
import unittest

import test_voice as voice
from harness import resident_kib
from relay import A_SIDE, B_SIDE, ImpairedRelay

SECONDS = int(os.environ.get("ONDREL_SOAK_SECONDS", "0"))
CONNECTED = 9027


def setUpModule():
    if SECONDS:
        voice.setUpModule()


def tearDownModule():
    if SECONDS:
        voice.tearDownModule()



def spool(copy):
    for row in copy.status().splitlines():
        parts = row.split()
        if parts[:1] == ["spool"]:
            return {k: int(v) for k, v in zip(parts[1::2], parts[2::2])}
    return {}


@unittest.skipUnless(SECONDS, "set ONDREL_SOAK_SECONDS (120 in CI, 600 on request)")
class SoakTest(voice.VoiceCalls):
    def soak(self, sound_type):
        relay = ImpairedRelay(self.port, voice.A_ADDRESS, voice.B_ADDRESS, A_SIDE, B_SIDE, seed=sound_type)
        self.addCleanup(relay.stop)
        relay.start()
        self.start(sound_type, sound_type)
        self.assertEqual(self.a.command(2, B_SIDE).returncode, 0)
        self.assertTrue(voice.wait_until(lambda: (self.a.line(2) or (0,))[0] == CONNECTED
                                         and (self.b.line(2) or (0,))[0] == CONNECTED, timeout=20),
                        self.a.status() + self.b.status())
        time.sleep(2)
        start = time.monotonic()
        first = spool(self.b)
        rows, likeness = [], []
        memory_start = (resident_kib(self.a.process.pid), resident_kib(self.b.process.pid))
        previous, backlogs = first, []
        minute_end = start + min(60, SECONDS)
        while time.monotonic() - start < SECONDS:
            likeness.append(self.speak("soak-%d-%d" % (sound_type, len(likeness)), 1.0)["likeness"])
            backlogs.append(spool(self.b).get("backlog", 0))
            for copy in (self.a, self.b):
                self.assertEqual((copy.line(2) or (0,))[0], CONNECTED, "the call dropped: " + copy.status())
            if time.monotonic() >= minute_end or time.monotonic() - start >= SECONDS:
                now = spool(self.b)
                rows.append({k: now.get(k, 0) - previous.get(k, 0) for k in ("played", "concealed", "trimmed",
                                                                          "late", "silent")})
                rows[-1]["backlog"] = sum(backlogs) / max(1, len(backlogs))
                rows[-1]["rss"] = (resident_kib(self.a.process.pid), resident_kib(self.b.process.pid))
                previous, backlogs = now, []
                minute_end += 60
        name = voice.TYPES[sound_type][0]
        print("\n%s through the relay (%s): likeness %s" %
              (name, relay.counts, " ".join("%.2f" % x for x in likeness)))
        print("minute  played  concealed  trimmed  late  silent  mean backlog  A KiB  B KiB")
        for n, r in enumerate(rows, 1):
            print("%6d  %6d  %9d  %7d  %4d  %6d  %12.1f  %5d  %5d" % (n, r["played"], r["concealed"], r["trimmed"],
                                                                    r["late"], r["silent"], r["backlog"],
                                                                    r["rss"][0], r["rss"][1]))
        likeness.sort()
        self.assertGreater(likeness[len(likeness) // 2], voice.LIKENESS, "speech did not come through: %s" % likeness)
        self.assertLessEqual(rows[-1]["backlog"], rows[0]["backlog"] + 3, "the spool's backlog crept: %s" % rows)
        # Growth is judged from the end of the first minute, when the call's
        # devices, spool and streams have all been made: what comes after that
        # would be a leak.
        print("resident at the call's start: A %d KiB, B %d KiB" % memory_start)
        for copy, before, after in zip("AB", rows[0]["rss"], rows[-1]["rss"]):
            self.assertLessEqual(after - before, 1024, "%s grew from %d to %d KiB" % (copy, before, after))

    def test_gsm(self):
        self.soak(9050)

    def test_speex_16(self):
        self.soak(9059)


if __name__ == "__main__":
    unittest.main()
