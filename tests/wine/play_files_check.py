#!/usr/bin/env python3
"""Checks of play_files.sh: OUT_DIR."""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from overlay_check import read_bmp, text_pixels  # noqa: E402

out = sys.argv[1]
problems = []
first = open(f"{out}/first.txt").read()
second = open(f"{out}/second.txt").read()
print(first.strip())
print(second.strip())

expected_lines = [
    r"play: .*01 track.flac: decoding",
    r"play: .*Broken.flac: cannot be decoded \(.+\)",
    r"play: .*02 track.ogg: decoding",
    r"track 0: Test Band - First Flac, 16\.00 s, 44100 Hz",
    r"track 1: Vorbis Duo - Second Ogg, 4\.0\d s, 44100 Hz",
    r"title query: entry 0 -> Test Band - First Flac",
    r"title query: entry 1 -> Vorbis Duo - Second Ogg",
    r"vishost: playback stopped at frame",
]
for pattern in expected_lines:
    if not re.search(pattern, first):
        problems.append(f"first play: no line '{pattern}'")
if len(re.findall("Broken.flac", first)) != 2:  # the decoding attempt and its one line of reason
    problems.append("the broken file is not reported in exactly one line")
if "decoding" in second or len(re.findall(r"track.(flac|ogg): from the cache", second)) != 2:
    problems.append("the second play decoded again")
after_first = open(f"{out}/cache-after-first.txt").read().splitlines()[1:]
after_second = open(f"{out}/cache-after-second.txt").read().splitlines()[1:]
if len(after_first) != 2 or after_first != after_second:
    problems.append(f"the cache changed in the second play: {after_first} -> {after_second}")

# The title strip, 2 captures a second: the first track's title after the intro (14 s), the
# second track's at its start (17.5 s). Both hold lettering, and not the same lettering.
strips = {}
for slot, name in ((28, "First Flac"), (35, "Second Ogg")):
    bmp = f"{out}/first/frames/frame{slot:05d}.bmp"
    if not os.path.exists(bmp):
        problems.append(f"no capture {slot}")
        continue
    subprocess.run(["convert", bmp, f"{out}/{name.replace(' ', '-')}.png"], check=True)
    strips[name] = set(text_pixels(read_bmp(bmp), "title"))
    print(f"title strip while '{name}' plays: {len(strips[name])} lettering pixels")
    if len(strips[name]) < 40:  # a title of 20 letters has about 100
        problems.append(f"no title drawn while '{name}' plays")
if len(strips) == 2 and len(strips["First Flac"] ^ strips["Second Ogg"]) < 50:
    problems.append("the two tracks show the same title")

for p in problems:
    print("FAIL:", p)
sys.exit(1 if problems else 0)
