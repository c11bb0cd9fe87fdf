#!/usr/bin/env python3
"""Checks of play_files.sh: OUT_DIR. (The titles in the pictures are checked on the virtual clock,
in render_check.py, through the same decode cache.)"""
import re
import sys

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

for p in problems:
    print("FAIL:", p)
sys.exit(1 if problems else 0)
