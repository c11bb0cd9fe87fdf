#!/usr/bin/env python3
"""The plug-in in a window under Wine, one run of the 2d Spectrum Analyser with every overlay on:
at 800 x 450 the effect fills the client area and the overlays sit where that size puts them;
20 resizes later it draws at 1280 x 720 with the overlays moved and no more GDI objects held; a
key pressed in the window reaches vishost's window; Alt+Enter goes full screen at the desktop's
size and back; after a minimise and a restore it draws again; Escape ends the run.

usage: window_check.py EMULATOR VISHOST OUTDIR

Captures are numbered by frame, so a slow machine only makes the run longer. The settings go into
the plug-in's plugin.ini and are put back afterwards.
"""
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from overlay_check import has_text_bits, read_bmp  # noqa: E402

DESKTOP = (1600, 1200)  # the tests' Wine desktop
SMALL, LARGE = (800, 450), (1280, 720)
SETTINGS = "[Vexilumarine]\r\nshow FPS=TRUE\r\nshow title=TRUE\r\npersistent title=TRUE\r\n"
# Frame: what happens after it. Captures are taken after the frame's Render.
KEY_AT, FIRST_CAPTURE = 100, 600              # frame 600 comes at least 15 s in: after the intro
RESIZES = [(602 + 2 * i, LARGE if i % 2 else (640, 360)) for i in range(20)]  # ends at 1280 x 720
AFTER_RESIZES = 700
FULL_AT, FULL_CAPTURE, BACK_AT, BACK_CAPTURE = 720, 780, 800, 860
MINIMISE_AT, RESTORE_AT, RESTORED_CAPTURE, ESCAPE_AT = 870, 900, 940, 960


def lit_share(rows, x0, y0, x1, y1):
    """The share of pixels in the rectangle that are not black (sampled every 4th)."""
    pixels = [rows[y][x] for y in range(y0, y1, 4) for x in range(x0, x1, 4)]
    return sum(1 for p in pixels if max(p) > 24) / len(pixels)


def check_picture(rows, size, name):
    failures = []
    height, width = len(rows), len(rows[0])
    if (width, height) != size:
        return [f"{name}: {width} x {height}, expected {size[0]} x {size[1]}"]
    # The effect fills the client area: each quarter of it has picture in it.
    for qx in (0, 1):
        for qy in (0, 1):
            share = lit_share(rows, qx * width // 2, qy * height // 2, (qx + 1) * width // 2, (qy + 1) * height // 2)
            if share < 0.05:
                failures.append(f"{name}: quarter ({qx}, {qy}) is {share:.0%} lit")
    return failures


def text_in(rows, x0, y0, x1, y1):
    return sum(1 for y in range(y0, y1) for x in range(x0, x1) if has_text_bits(rows[y][x]))


def check_overlays(rows, name):
    """The fps counter and the title strip where the picture's own size puts them."""
    height, width = len(rows), len(rows[0])
    strip = height // 32
    failures = []
    fps = text_in(rows, width - 6 * width // 64, height - 3 * height // 64, width, height - 3 * height // 64 + strip)
    title = text_in(rows, width // 64, height // 64, width // 2, height // 64 + strip)
    above_title = text_in(rows, 0, 0, width, height // 64)
    if fps < 10:
        failures.append(f"{name}: {fps} text pixels where the fps counter goes")
    if title < 20:
        failures.append(f"{name}: {title} text pixels in the title strip")
    if above_title > 20:
        failures.append(f"{name}: {above_title} text pixels above the title strip")
    return failures


def gdi_counts(output):
    """(frame, GDI objects) of each --resource-log line."""
    return [(int(f), int(g)) for f, g in re.findall(r"resources: [\d.]+ s, frame (\d+): private \d+ bytes, GDI (\d+)", output)]


def main():
    emulator, vishost, outdir = sys.argv[1:4]
    ini = os.path.join(os.getcwd(), "Plugins", "plugin.ini")
    saved = open(ini, "rb").read() if os.path.exists(ini) else None
    shutil.rmtree(outdir, ignore_errors=True)
    os.makedirs(outdir)
    captures = [FIRST_CAPTURE, AFTER_RESIZES, FULL_CAPTURE, BACK_CAPTURE, RESTORED_CAPTURE]
    events = [f"{KEY_AT}:key"] + [f"{frame}:{w}x{h}" for frame, (w, h) in RESIZES]
    events += [f"{FULL_AT}:alt-enter", f"{BACK_AT}:alt-enter", f"{MINIMISE_AT}:minimise", f"{RESTORE_AT}:restore",
               f"{ESCAPE_AT}:escape"]
    command = [emulator, vishost, "--module", "2", "--mute", "--frames", "3000", "--fps", "40", "--windowed",
               "--window-size", f"{SMALL[0]}x{SMALL[1]}", "--resource-log", "1", "--title", "Window Test",
               "--capture-at", ",".join(map(str, captures)), "--out", "Z:" + outdir.replace("/", "\\")]
    for event in events:
        command += ["--window-event-at", event]
    try:
        with open(ini, "w", newline="") as f:
            f.write(SETTINGS)
        result = subprocess.run(command, timeout=400, stdout=subprocess.PIPE, text=True, errors="replace")
    finally:
        if saved is None:
            os.remove(ini)
        else:
            open(ini, "wb").write(saved)
    print(result.stdout, end="")
    failures = []
    if result.returncode != 0:
        failures.append(f"vishost exited with {result.returncode}")
    if f"the plug-in ended the visualisation at frame {ESCAPE_AT + 1}" not in result.stdout:
        failures.append(f"Escape at frame {ESCAPE_AT} did not end the run at the next frame")
    if "the host window received 1 key presses" not in result.stdout:
        failures.append("the key pressed in the window did not reach vishost's window once")

    expected = {FIRST_CAPTURE: SMALL, AFTER_RESIZES: LARGE, FULL_CAPTURE: DESKTOP, BACK_CAPTURE: LARGE,
                RESTORED_CAPTURE: LARGE}
    for frame, size in expected.items():
        path = os.path.join(outdir, f"module2-frame{frame:05d}.bmp")
        if not os.path.exists(path):
            failures.append(f"no capture of frame {frame}")
            continue
        subprocess.run(["convert", path, path[:-4] + ".png"], check=False)
        rows = read_bmp(path)
        name = f"frame {frame}"
        problems = check_picture(rows, size, name)
        failures += problems
        if not problems:
            failures += check_overlays(rows, name)

    # What the process holds once each size has been made (Wine keeps 3 GDI objects of its own
    # for each new size) and after the remaining resizes (the lines come once a second).
    counts = gdi_counts(result.stdout)
    warm = [g for f, g in counts if RESIZES[1][0] < f <= RESIZES[9][0]]
    after = [g for f, g in counts if RESIZES[-1][0] < f < FULL_AT]
    print(f"GDI objects after the first two resizes {warm[:1]}, after all 20 {after}")
    if not warm or not after:
        failures.append("no resource lines around the resizes")
    elif max(after) > warm[0]:
        failures.append(f"GDI objects grew from {warm[0]} to {max(after)} over the resizes")

    for failure in failures:
        print("FAIL:", failure)
    print("pictures:", outdir)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
