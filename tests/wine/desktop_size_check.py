#!/usr/bin/env python3
"""Full screen at the desktop's own size (run by desktop_size.sh on a 1920x1080 Wine desktop):
the frames are 1920 x 1080 and a round thing stays round.

usage: desktop_size_check.py EMULATOR VISHOST OUTDIR
"""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from overlay_check import read_bmp  # noqa: E402

SIZE = (1920, 1080)
FRAMES = [150]  # at 10 frames per second at most: 15 s in, after the intro


def main():
    emulator, vishost, outdir = sys.argv[1:4]
    shutil.rmtree(outdir, ignore_errors=True)
    os.makedirs(outdir)
    command = [emulator, vishost, "--module", "3", "--mute", "--desktop-size", "--fps", "10", "--frames", str(FRAMES[-1]),
               "--capture-at", ",".join(map(str, FRAMES)), "--out", "Z:" + outdir.replace("/", "\\")]
    result = subprocess.run(command, timeout=300)
    failures = [] if result.returncode == 0 else [f"vishost exited with {result.returncode}"]
    for frame in FRAMES:
        path = os.path.join(outdir, f"module3-frame{frame:05d}.bmp")
        if not os.path.exists(path):
            failures.append(f"no capture of frame {frame}")
            continue
        subprocess.run(["convert", path, path[:-4] + ".png"], check=False)
        rows = read_bmp(path)
        if (len(rows[0]), len(rows)) != SIZE:
            failures.append(f"frame {frame}: {len(rows[0])} x {len(rows)}, expected {SIZE[0]} x {SIZE[1]}")
    for failure in failures:
        print("FAIL:", failure)
    print("pictures:", outdir)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
