#!/usr/bin/env python3
"""Writes a WAV with a clear beat: stereo, 44100 Hz, 16-bit.

  make_beat.py PATH KICKS [PERIOD_S]

Every PERIOD_S seconds (0.5) the left channel holds a 120 ms kick, a steady sine at exactly the
frequency of spectrum bin 2 (2 x 44100 / 512 Hz) with amplitude 16384, then silence; the right
channel is silent throughout. The spectrum of a window inside a kick is then known by hand:
bins 1, 2 and 3 at 255 (the Hann window halves the neighbours: 8192 / 16 and 4096 / 16, both
clamped), so the frame file's channel 0 starts 0 127 255 255 127 0 ... and band 0 is 764 / 36 = 21.
"""
import math
import struct
import sys
import wave

RATE = 44100
KICK_S = 0.12


def main():
    path, kicks = sys.argv[1], int(sys.argv[2])
    period = float(sys.argv[3]) if len(sys.argv) > 3 else 0.5
    frequency = 2 * RATE / 512
    frames = bytearray()
    per_kick = int(period * RATE)
    kick = int(KICK_S * RATE)
    for _ in range(kicks):
        for i in range(per_kick):
            left = int(16384 * math.sin(2 * math.pi * frequency * i / RATE)) if i < kick else 0
            frames += struct.pack("<hh", left, 0)
    with wave.open(path, "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(bytes(frames))


if __name__ == "__main__":
    main()
