#!/usr/bin/env python3
"""Runs vishost for one module at 640 x 480 with every overlay on, captures a frame inside the
intro and one after it, and checks where the overlay text lies in the captured pictures.

usage: overlay_check.py EMULATOR VISHOST MODULE OUTDIR [--title TEXT] [--without-bitmaps] [--runs N]

The run is on vishost's virtual clock, so the captures show the same moments on any machine.
The run writes its settings into the plug-in's plugin.ini (restored afterwards). Overlay text is
drawn in grey 220 (0xDCDCDC); a pixel counts as overlay text when it is a bright neutral grey.
With --runs N, vishost runs the module N times in one process (the DLL stays loaded), and every
run must look like the first: its own intro without overlays, then the module with them; the
plug-in's length queries show each run's intro ending (frame 1 asks, and the intro's end asks).
"""
import os
import re
import shutil
import struct
import subprocess
import sys

WIDTH, HEIGHT = 640, 480
STRIP = HEIGHT // 32  # 15
INTRO_FRAME, LATE_FRAME, FRAMES, FPS = 20, 600, 600, 40  # frame 600 comes 15 s in, after the intro
REGIONS = {  # x0, y0, x1, y1 (top-down screen coordinates)
    "title": (0, HEIGHT // 64, WIDTH, HEIGHT // 64 + STRIP),
    "time": (WIDTH // 64, HEIGHT - 3 * HEIGHT // 64, WIDTH // 64 + WIDTH // 3, HEIGHT - 3 * HEIGHT // 64 + STRIP),
    "fps": (WIDTH - 6 * WIDTH // 64, HEIGHT - 3 * HEIGHT // 64, WIDTH, HEIGHT - 3 * HEIGHT // 64 + STRIP),
}
SETTINGS = {
    "graphics mode": "5", "widescreen": "FALSE", "show title": "TRUE", "persistent title": "FALSE",
    "title persistence": "60000", "title fade": "6000", "show time": "TRUE", "blurred time display": "TRUE",
    "show FPS": "TRUE",
}
BITMAPS = ["zev.bmp", "trees.bmp", "generated.bmp"]


DEFAULT_TITLE = "Vexilumarine - Overlay Test"


def read_bmp(path):
    """Top-down rows of (r, g, b) from a 24-bit bottom-up BMP."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24, f"{path}: {bits}-bit, expected 24"
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        row_at = offset + (abs(height) - 1 - y if height > 0 else y) * stride
        row = data[row_at:row_at + width * 3]
        rows.append([(row[i + 2], row[i + 1], row[i]) for i in range(0, width * 3, 3)])
    return rows


def has_text_bits(pixel):
    """Grey 220 drawn or OR-ed onto the picture sets every bit of 0xDC in all three channels; of
    the picture itself only near-white pixels have them all."""
    return all((c & 0xDC) == 0xDC for c in pixel)


def is_text(pixel, region_name):
    if has_text_bits(pixel):
        return True
    # The blurred play time settles a little below 220: on a dark picture, a bright neutral grey.
    r, g, b = pixel
    return region_name == "time" and r >= 120 and max(r, g, b) - min(r, g, b) <= 8


def text_pixels(rows, region_name):
    """Text pixels of a region. A column that is text-coloured from top to bottom is a bright
    picture behind the strip, not lettering, and does not count."""
    x0, y0, x1, y1 = REGIONS[region_name]
    found = []
    for x in range(x0, x1):
        column = [(x, y) for y in range(y0, y1) if is_text(rows[y][x], region_name)]
        if len(column) < y1 - y0:
            found += column
    return found


def write_ini(path):
    lines = ["[Vexilumarine]"] + [f"{key}={value}" for key, value in SETTINGS.items()]
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


def main():
    emulator, vishost, module, outdir = sys.argv[1:5]
    rest = sys.argv[5:]
    title = rest[rest.index("--title") + 1] if "--title" in rest else DEFAULT_TITLE
    without_bitmaps = "--without-bitmaps" in rest
    runs = int(rest[rest.index("--runs") + 1]) if "--runs" in rest else 1
    plugins = os.path.join(os.getcwd(), "Plugins")
    ini = os.path.join(plugins, "plugin.ini")
    saved_ini = open(ini, "rb").read() if os.path.exists(ini) else None
    hidden = os.path.join(outdir, "hidden-bitmaps")
    shutil.rmtree(outdir, ignore_errors=True)
    os.makedirs(hidden)
    failures = []
    try:
        write_ini(ini)
        if without_bitmaps:
            for name in BITMAPS:
                shutil.move(os.path.join(plugins, name), os.path.join(hidden, name))
        command = [emulator, vishost, "--virtual-clock", "--module", module, "--frames", str(FRAMES), "--fps", str(FPS),
                   "--capture-at", f"{INTRO_FRAME},{LATE_FRAME}", "--out", "Z:" + outdir.replace("/", "\\")]
        command += ["--title", title]
        if runs > 1:
            command += ["--runs", str(runs), "--trace-queries"]
        result = subprocess.run(command, timeout=120 * runs, stdout=subprocess.PIPE, text=True,
                                errors="replace")
        print(result.stdout, end="")
        if result.returncode != 0:
            failures.append(f"vishost exited with {result.returncode}")
    finally:
        if saved_ini is None:
            os.remove(ini)
        else:
            open(ini, "wb").write(saved_ini)
        for name in os.listdir(hidden):
            shutil.move(os.path.join(hidden, name), os.path.join(plugins, name))

    for run in range(1, runs + 1):
        prefix = f"module{module}-run{run}-" if runs > 1 else f"module{module}-"
        failures += [f"run {run}: {f}" if runs > 1 else f for f in check_pictures(outdir, prefix, title)]
        if runs > 1:
            change = picture_change(outdir, prefix)
            print(f"run {run}: frames {INTRO_FRAME} and {LATE_FRAME} differ by {change:.3f} of full scale")
            if change < 0.05:  # the intro and the module differ by about 0.15; a frozen intro by 0.0003
                failures.append(f"run {run}: frame {LATE_FRAME} looks like the intro frame {INTRO_FRAME}")
            asked = [int(f) for f in re.findall(rf"length query: run {run}, frame (\d+) ->", result.stdout)]
            if 1 not in asked or not any(1 < f < LATE_FRAME for f in asked):
                failures.append(f"run {run}: length queries at frames {asked}: expected frame 1 and the intro's end")

    for failure in failures:
        print("FAIL:", failure)
    print("pictures:", outdir)
    return 1 if failures else 0


def picture_change(outdir, prefix):
    """Mean absolute difference of the intro capture and the late one, 0..1 (1 when one is missing)."""
    try:
        early, late = (read_bmp(os.path.join(outdir, f"{prefix}frame{frame:05d}.bmp"))
                       for frame in (INTRO_FRAME, LATE_FRAME))
    except OSError:
        return 1.0
    total = sum(abs(a - b) for row_a, row_b in zip(early, late) for pa, pb in zip(row_a, row_b)
                for a, b in zip(pa, pb))
    return total / (WIDTH * HEIGHT * 3 * 255)


def check_pictures(outdir, prefix, title):
    """The captures of one run: no overlay inside the intro, all three in their places after it."""
    failures = []
    pictures = {}
    for frame in (INTRO_FRAME, LATE_FRAME):
        path = os.path.join(outdir, f"{prefix}frame{frame:05d}.bmp")
        if not os.path.exists(path):
            failures.append(f"no capture of frame {frame}")
            continue
        pictures[frame] = read_bmp(path)
        subprocess.run(["convert", path, path[:-4] + ".png"], check=False)

    if INTRO_FRAME in pictures:
        for name in REGIONS:
            found = len(text_pixels(pictures[INTRO_FRAME], name))
            if found > 3:
                failures.append(f"intro frame: {found} overlay pixels in the {name} region")
    if LATE_FRAME in pictures:
        rows = pictures[LATE_FRAME]
        for name in REGIONS:
            found = text_pixels(rows, name)
            if len(found) < 12:
                failures.append(f"frame {LATE_FRAME}: only {len(found)} overlay pixels in the {name} region")
        title_text = text_pixels(rows, "title")
        if title_text:
            left = min(x for x, _ in title_text)
            if not WIDTH // 64 <= left <= WIDTH // 64 + 3:
                failures.append(f"title text starts at x {left}, expected {WIDTH // 64}")
            right = max(x for x, _ in title_text)
            wanted = title
            # A fixed-pitch font: the text's extent follows its length (or fills the strip).
            if len(wanted) > 80 and right < WIDTH - 20:
                failures.append(f"the long title ends at x {right}: it was not drawn in full")
            if len(wanted) <= 80 and not 4 * len(wanted) < right - left < 12 * len(wanted):
                failures.append(f"title text spans {right - left} px for {len(wanted)} characters")
    return failures


if __name__ == "__main__":
    sys.exit(main())
