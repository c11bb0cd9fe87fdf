#!/usr/bin/env python3
"""Checks for quorbel_live.sh.

  quorbel_live_check.py wait STATE_LOG SECONDS   until the full scene has had ten beats
  quorbel_live_check.py check WORK_DIR OUT_DIR   the beats' pace, the circles and the pictures

Whether the circles fall or burst out from the centre is the scene director's random choice,
switched every few scene changes (and a scene may be held for seconds): the captures taken while
they burst are marked, but a run need not have any.
"""
import glob
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "viewer"))
from e2e_check import mean_luma, read_log, read_ppm  # noqa: E402

KICK_PERIOD = 0.5
SETTLE_MS = 2000


def settled(rows):
    """The full scene from its third second on. The frame rate is counted per calendar second and
    the warm-up, which draws nothing, runs far faster than the scene: until the count has caught
    up, the onset spacing (an eighth of a second in frames) and the scene holds are off."""
    full = [r for r in rows if r["warmingUp"] == 0]
    return [r for r in full if r["ms"] >= full[0]["ms"] + SETTLE_MS] if full else []


def beats(rows):
    """Seconds between the whole spectrum's onsets in the full scene."""
    onsets = [r for r in settled(rows) if r["onset0"] == 1]
    return [(b["ms"] - a["ms"]) / 1000 for a, b in zip(onsets, onsets[1:])]


def born_on_onsets(rows):
    """(onsets, onsets on which the number of circles rose): every onset of the whole spectrum
    adds at least five circles, falling or bursting."""
    full = settled(rows)
    pairs = [(a, b) for a, b in zip(full, full[1:]) if b["onset0"] == 1 and b["frame"] == a["frame"] + 1]
    return len(pairs), sum(1 for a, b in pairs if b["circles"] > a["circles"])


def summary(rows):
    full = settled(rows)
    onsets, born = born_on_onsets(rows)
    return {"full-scene frames": len(full), "onsets": onsets, "onsets adding circles": born,
            "burst frames with circles": sum(1 for r in full if r["burst"] == 1 and r["circles"] > 0)}


def done(s):
    return s["onsets"] >= 10


def wait(log, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if done(summary(read_log(log))):
            break
        time.sleep(0.5)
    s = summary(read_log(log))
    print("quorbel-live: full scene:", s)
    return 0 if done(s) else 1


def check(work, out):
    problems = []
    rows = read_log(os.path.join(work, "state.log"))
    gaps = sorted(beats(rows))
    median = gaps[len(gaps) // 2] if gaps else 0
    print(f"quorbel-live: {len(gaps) + 1} onsets, median {median:.2f} s apart (kicks every {KICK_PERIOD} s)")
    if not 0.8 * KICK_PERIOD <= median <= 1.2 * KICK_PERIOD:
        problems.append(f"the beats are {median:.2f} s apart, not once per kick")
    onsets, born = born_on_onsets(rows)
    print(f"quorbel-live: {born} of {onsets} onsets added circles")
    if born < 0.7 * onsets:
        problems.append("the kicks do not bring circles")
    full = settled(rows)
    bursting = {int(r["frame"]) for r in full if r["burst"] == 1 and r["circles"] > 0}
    first = full[0]["frame"] if full else float("inf")
    frames = sorted(p for p in glob.glob(os.path.join(work, "frames", "frame_*.ppm")) if int(p[-9:-4]) >= first)
    lumas = {p: mean_luma(*read_ppm(p)) for p in frames}
    burst_frames = [p for p in frames if int(p[-9:-4]) in bursting]
    print("quorbel-live: mean brightness of the captures:", [round(l) for l in lumas.values()],
          f"({len(burst_frames)} while circles burst)")
    if sum(1 for l in lumas.values() if l > 8) < 0.6 * len(lumas):
        problems.append("most captures are black")
    os.makedirs(out, exist_ok=True)
    for p in frames:
        suffix = "-burst" if p in burst_frames else ""
        subprocess.run(["convert", p, os.path.join(out, os.path.basename(p)[:-4] + suffix + ".png")], check=False)
    for p in problems:
        print("quorbel-live: FAIL:", p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    if sys.argv[1] == "wait":
        sys.exit(wait(sys.argv[2], float(sys.argv[3])))
    sys.exit(check(sys.argv[2], sys.argv[3]))
