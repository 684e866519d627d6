#!/usr/bin/env python3
"""Writes resources/ring.wav, the ring sound built into the program.

A two-tone (400 Hz + 450 Hz) double ring: 0.4 s on, 0.2 s off, 0.4 s on,
then silence, 21,432 samples of 8-bit mono PCM at 11025 Hz (about 1.94 s),
so that it loops into the familiar ring-ring ... ring-ring cadence.
Each burst fades in and out over 10 ms so the loop never clicks.
"""
import math
import pathlib
import wave

RATE = 11025
SAMPLES = 21432
BURSTS = [(0.0, 0.4), (0.6, 1.0)]
FADE = 0.010


def level(t):
    for start, end in BURSTS:
        if start <= t < end:
            return min(1.0, (t - start) / FADE, (end - t) / FADE)
    return 0.0


def main():
    data = bytearray()
    for n in range(SAMPLES):
        t = n / RATE
        tone = 0.5 * (math.sin(2 * math.pi * 400 * t) + math.sin(2 * math.pi * 450 * t))
        data.append(128 + round(100 * level(t) * tone))
    out = pathlib.Path(__file__).resolve().parent.parent / "resources" / "ring.wav"
    with wave.open(str(out), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(1)
        w.setframerate(RATE)
        w.writeframes(bytes(data))


if __name__ == "__main__":
    main()
