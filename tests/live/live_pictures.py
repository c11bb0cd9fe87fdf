#!/usr/bin/env python3
"""Checks of vishost_live.sh: OUT_DIR SOURCE_DESCRIPTION FIRST_RENDERED_SLOT."""
import os
import subprocess
import sys

out, source, first = sys.argv[1], sys.argv[2], int(sys.argv[3])
problems = []
text = open(f"{out}/vishost.txt").read()
if f"title query: entry 0 -> Live: {source}" not in text:
    problems.append(f"the plug-in was not told the title 'Live: {source}'")


def stats(slot):
    """Mean grey level and a small grey thumbnail of one capture; the PNG stays beside it."""
    bmp = f"{out}/frames/frame{slot:05d}.bmp"
    if not os.path.exists(bmp):
        sys.exit(f"FAIL: no capture {slot}: the run was too short for a plug-in this slow to start")
    subprocess.run(["convert", bmp, bmp[:-4] + ".png"], check=True)
    pixels = subprocess.run(["convert", bmp, "-crop", "100%x88%+0+30", "-colorspace", "Gray", "-resize", "32x24!",
                             "-depth", "8", "gray:-"], check=True, capture_output=True).stdout
    return sum(pixels) / len(pixels), pixels


def difference(a, b):
    return sum(abs(x - y) for x, y in zip(a, b)) / len(a)


silent = [stats(first + s) for s in range(23, 26)]
music = [stats(first + s) for s in range(33, 40)]
print("silence, mean grey:", [round(m, 1) for m, _ in silent])
print("music, mean grey:  ", [round(m, 1) for m, _ in music])
quiet_change = max(difference(a[1], b[1]) for a, b in zip(silent, silent[1:]))
# A busy machine may miss a capture slot, which then repeats the picture before it: the median.
music_change = sorted(difference(a[1], b[1]) for a, b in zip(music, music[1:]))[len(music) // 2 - 1]
apart = min(difference(m[1], silent[-1][1]) for m in music)
print(f"change between captures: silence at most {quiet_change:.1f}, music {music_change:.1f} (median); "
      f"music apart from silence at least {apart:.1f}")
if quiet_change > 1.5:
    problems.append("the pictures change without any sound")
if music_change < 2 * max(quiet_change, 0.5) or apart < 3:
    problems.append("the pictures do not change with the music")
for p in problems:
    print("FAIL:", p)
sys.exit(1 if problems else 0)
