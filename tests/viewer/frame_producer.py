#!/usr/bin/env python3
"""Stands in for the outside producer of quorbel's frame file: rewrites it continuously
with a synthetic, beat-heavy spectrum (a kick, a snare and hi-hats over a quiet bed).

usage: frame_producer.py PATH [--seconds N] [--period S]
The file is replaced atomically (write then rename), so the viewer never sees half a frame.
"""
import argparse
import math
import os
import random
import time


def frame(t, period):
    phase = (t % period) / period
    beat = int(t / period)
    kick = math.exp(-phase * 25)                       # every beat, low bands
    snare = math.exp(-phase * 18) if beat % 2 else 0   # every other beat, middle bands
    hat = math.exp(-((phase + 0.5) % 1.0) * 30)        # off-beat, high bands
    values = []
    for k in range(288):
        # Player-style magnitudes, 0..255 per bin.
        level = 12 * math.exp(-k / 120) + random.uniform(0, 6)
        if k < 108:
            level += 230 * kick * math.exp(-k / 90)
        elif k < 216:
            level += 150 * snare
        else:
            level += 110 * hat
        values.append(min(255, int(level)))
    return values + [v // 2 for v in values]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("path")
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--period", type=float, default=0.4)
    args = ap.parse_args()
    random.seed(1)
    tmp = args.path + ".tmp"
    start = time.monotonic()
    while True:
        t = time.monotonic() - start
        if t > args.seconds:
            break
        vals = frame(t, args.period)
        text = "\n".join(" ".join(str(v) for v in vals[i:i + 16]) for i in range(0, 576, 16)) + "\n"
        with open(tmp, "w") as f:
            f.write(text)
        os.replace(tmp, args.path)
        time.sleep(0.003)


if __name__ == "__main__":
    main()
