#!/usr/bin/env python3
"""The plug-in in a window under Wine (the 2d Spectrum Analyser): 800 x 450, then 20 resizes to
1280 x 720, a key for vishost's window, Alt+Enter to full screen at the desktop's size (1600 x 1200
here) and back, minimise and restore, Escape. With --desktop-size (on a 1920x1080 Wine desktop, see
CMakeLists.txt): Spherical Shells full screen at the desktop's size. Captures go by frame number.

usage: window_check.py EMULATOR VISHOST OUTDIR [--desktop-size]
"""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from overlay_check import has_text_bits, read_bmp  # noqa: E402

SETTINGS = "[Vexilumarine]\r\nshow FPS=TRUE\r\nshow title=TRUE\r\npersistent title=TRUE\r\n"
SMALL, LARGE, DESKTOP = (800, 450), (1280, 720), (1600, 1200)
RESIZES = [(602 + 2 * i, "1280x720" if i % 2 else "640x360") for i in range(20)]
EVENTS = [(100, "key")] + RESIZES + [(720, "alt-enter"), (800, "alt-enter"), (870, "minimise"), (900, "restore"),
                                     (960, "escape")]
# Frame 600 comes at least 15 s in (40 frames a second at most): after the intro.
CAPTURES = {600: SMALL, 700: LARGE, 780: DESKTOP, 860: LARGE, 940: LARGE}


def check_picture(rows, size, name):
    """The size, and picture in each quarter of it."""
    if (len(rows[0]), len(rows)) != size:
        return [f"{name}: {len(rows[0])} x {len(rows)}, expected {size[0]} x {size[1]}"]
    w, h = size
    failures = []
    for x0, y0 in ((0, 0), (w // 2, 0), (0, h // 2), (w // 2, h // 2)):
        pixels = [rows[y][x] for y in range(y0, y0 + h // 2, 4) for x in range(x0, x0 + w // 2, 4)]
        if sum(max(p) > 24 for p in pixels) < 0.05 * len(pixels):
            failures.append(f"{name}: the quarter at ({x0}, {y0}) is black")
    return failures


def check_overlays(rows, name):
    """The fps counter and the title strip where the picture's own size puts them."""
    h, w = len(rows), len(rows[0])
    text = lambda x0, y0, x1, y1: sum(has_text_bits(rows[y][x]) for y in range(y0, y1) for x in range(x0, x1))
    fps = text(w - 6 * w // 64, h - 3 * h // 64, w, h - 3 * h // 64 + h // 32)
    title = text(w // 64, h // 64, w // 2, h // 64 + h // 32)
    failures = [f"{name}: {fps} text pixels where the fps counter goes"] if fps < 10 else []
    return failures + ([f"{name}: {title} text pixels in the title strip"] if title < 20 else [])


def run(command, outdir):
    ini = os.path.join(os.getcwd(), "Plugins", "plugin.ini")
    saved = open(ini, "rb").read() if os.path.exists(ini) else None
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
    return result


def pictures(outdir, module, captures, overlays):
    failures = []
    for frame, size in captures.items():
        path = os.path.join(outdir, f"module{module}-frame{frame:05d}.bmp")
        if not os.path.exists(path):
            failures.append(f"no capture of frame {frame}")
            continue
        subprocess.run(["convert", path, path[:-4] + ".png"], check=False)
        rows = read_bmp(path)
        problems = check_picture(rows, size, f"frame {frame}")
        failures += problems or (check_overlays(rows, f"frame {frame}") if overlays else [])
    return failures


def main():
    emulator, vishost, outdir = sys.argv[1:4]
    shutil.rmtree(outdir, ignore_errors=True)
    os.makedirs(outdir)
    out = ["--out", "Z:" + outdir.replace("/", "\\"), "--mute"]
    if "--desktop-size" in sys.argv[4:]:
        result = run([emulator, vishost, "--module", "3", "--desktop-size", "--fps", "10", "--frames", "150",
                      "--capture-at", "150"] + out, outdir)
        failures = pictures(outdir, 3, {150: (1920, 1080)}, overlays=False)
    else:
        command = [emulator, vishost, "--module", "2", "--frames", "3000", "--fps", "40", "--windowed", "--window-size",
                   "800x450", "--capture-at", ",".join(map(str, CAPTURES))] + out
        for frame, event in EVENTS:
            command += ["--window-event-at", f"{frame}:{event}"]
        result = run(command, outdir)
        failures = pictures(outdir, 2, CAPTURES, overlays=True)
        if "the plug-in ended the visualisation at frame 961" not in result.stdout:
            failures.append("Escape at frame 960 did not end the run at the next frame")
        if "the host window received 1 key presses" not in result.stdout:
            failures.append("the key pressed in the window did not reach vishost's window once")
    if result.returncode != 0:
        failures.append(f"vishost exited with {result.returncode}")
    for failure in failures:
        print("FAIL:", failure)
    print("pictures:", outdir)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
