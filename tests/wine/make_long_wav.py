#!/usr/bin/env python3
"""Usage: make_long_wav.py PATH SECONDS TONE_SECONDS

Writes a 44.1 kHz 16-bit stereo WAV of SECONDS, silent but for a 440 Hz tone (peak 12000) in
its last TONE_SECONDS. The silence is a hole in the file (sparse): a three-hour file takes the
disk space of its tone only."""
import math
import struct
import sys

path, seconds, tone_seconds = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rate, channels = 44100, 2
frames = seconds * rate
data_bytes = frames * channels * 2
with open(path, "wb") as out:
    out.write(b"RIFF" + struct.pack("<I", 36 + data_bytes) + b"WAVE")
    out.write(b"fmt " + struct.pack("<IHHIIHH", 16, 1, channels, rate, rate * channels * 2, channels * 2, 16))
    out.write(b"data" + struct.pack("<I", data_bytes))
    tone_frames = tone_seconds * rate
    out.seek(44 + (frames - tone_frames) * channels * 2)
    tone = bytearray()
    for i in range(tone_frames):
        v = int(12000 * math.sin(2 * math.pi * 440 * i / rate))
        tone += struct.pack("<hh", v, v)
    out.write(tone)
