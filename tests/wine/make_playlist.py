#!/usr/bin/env python3
"""Writes the short WAV files the vishost tests play: FOLDER/First Song.wav (a 220 Hz tone,
LENGTH1 seconds) and FOLDER/Second Song.wav (a 660 Hz tone, LENGTH2 seconds), 22.05 kHz mono."""
import math
import os
import struct
import sys
import wave

folder, first, second = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
os.makedirs(folder, exist_ok=True)
for name, hz, seconds in (("First Song", 220, first), ("Second Song", 660, second)):
    with wave.open(f"{folder}/{name}.wav", "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(22050)
        frames = int(seconds * 22050)
        out.writeframes(b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * hz * i / 22050)))
                                 for i in range(frames)))
