#!/usr/bin/env python3
"""Super Shells' zoom feedback under Wine: each frame starts from the previous one zoomed about the
centre, so the picture streams outwards. For two consecutive captures the newer frame must match
the older one zoomed (source rectangle scaled up to the screen) much better than the older one as
it stood.

usage: zoom_check.py EMULATOR VISHOST OUTDIR [--widescreen | --windowed]

--windowed runs it in a window with a 640 x 480 client area, where the plug-in keeps the previous
frame itself.
"""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from overlay_check import read_bmp  # noqa: E402

WIDTH, HEIGHT = 640, 480
FIRST = 700  # well after the intro at 60 frames per second


def grey(pixel):
    r, g, b = pixel
    return (r * 3 + g * 6 + b) // 10


def zoom_geometry(widescreen):
    """Source rectangle on the previous frame and destination rectangle on the new one."""
    w, h = WIDTH, HEIGHT
    if widescreen:
        return (w // 8, 15 * h // 64, w - w // 8, h - 15 * h // 64), (0, h // 16, w, h - h // 16)
    return (w // 8, h // 8, w - w // 8, h - h // 8), (0, 0, w, h)


def mean_differences(old, new, widescreen):
    (sx0, sy0, sx1, sy1), (dx0, dy0, dx1, dy1) = zoom_geometry(widescreen)
    zoomed = still = count = 0
    # Every fourth pixel, away from the overlay strips at the top and bottom.
    for y in range(max(dy0, HEIGHT // 16), min(dy1, HEIGHT - HEIGHT // 10), 4):
        oy = sy0 + (y - dy0) * (sy1 - sy0) // (dy1 - dy0)
        for x in range(dx0, dx1, 4):
            ox = sx0 + (x - dx0) * (sx1 - sx0) // (dx1 - dx0)
            value = grey(new[y][x])
            zoomed += abs(value - grey(old[oy][ox]))
            still += abs(value - grey(old[y][x]))
            count += 1
    return zoomed / count, still / count


def main():
    emulator, vishost, outdir = sys.argv[1:4]
    widescreen = "--widescreen" in sys.argv[4:]
    shutil.rmtree(outdir, ignore_errors=True)
    os.makedirs(outdir)
    command = [emulator, vishost, "--virtual-clock", "--module", "7", "--frames", str(FIRST + 1),
               "--capture-at", f"{FIRST},{FIRST + 1}", "--out", "Z:" + outdir.replace("/", "\\")]
    if widescreen:
        command.append("--widescreen")
    if "--windowed" in sys.argv[4:]:
        command += ["--windowed", "--window-size", f"{WIDTH}x{HEIGHT}"]
    if subprocess.run(command, timeout=200).returncode != 0:
        print("FAIL: vishost did not run")
        return 1
    frames = []
    for frame in (FIRST, FIRST + 1):
        path = os.path.join(outdir, f"module7-frame{frame:05d}.bmp")
        if not os.path.exists(path):
            print(f"FAIL: no capture of frame {frame}")
            return 1
        subprocess.run(["convert", path, path[:-4] + ".png"], check=False)
        frames.append(read_bmp(path))
    zoomed, still = mean_differences(frames[0], frames[1], widescreen)
    print(f"mean grey difference: {zoomed:.2f} against the zoomed frame, {still:.2f} against the frame as it stood")
    if still < 2:
        print("FAIL: the picture does not move")
        return 1
    if not zoomed < 0.6 * still:
        print("FAIL: the new frame is not the old one zoomed outwards")
        return 1
    print("pictures:", outdir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
