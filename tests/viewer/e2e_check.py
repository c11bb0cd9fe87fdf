#!/usr/bin/env python3
"""Checks for quorbel's end-to-end test (see e2e_xvfb.sh).

  e2e_check.py wait STATE_LOG SECONDS   wait until the scene has shown what it should
  e2e_check.py check WORK_DIR START_TGA OUT_DIR
"""
import glob
import os
import subprocess
import sys
import time


def read_log(path):
    rows = []
    try:
        with open(path) as f:
            header = f.readline().split()
            for line in f:
                parts = line.split()
                if len(parts) != len(header):
                    continue  # a line still being written
                rows.append(dict(zip(header, (float(p) for p in parts))))
    except FileNotFoundError:
        pass
    return rows


def scene_summary(rows):
    full = [r for r in rows if r["warmingUp"] == 0]
    changed = [r for r in full if (r["tintR"], r["tintG"], r["tintB"]) != (0, 0, 0)]
    return {
        "full-scene frames": len(full),
        "tints": len({(r["tintR"], r["tintG"], r["tintB"]) for r in changed}),
        "most circles": max((r["circles"] for r in full), default=0),
        "spin frames": sum(1 for r in full if r["spin"] == 1),
        "frames with rings or bars": sum(1 for r in changed if r["spin"] == 0 and (r["rings"] > 0 or r["bars"] == 1)),
        "burst frames": sum(1 for r in full if r["burst"] == 1),
        "falling frames": sum(1 for r in full if r["burst"] == 0),
    }


def scene_done(s):
    return (s["full-scene frames"] >= 450 and s["tints"] >= 4 and s["most circles"] > 0 and s["spin frames"] > 0
            and s["frames with rings or bars"] > 0 and s["burst frames"] > 0 and s["falling frames"] > 0)


def wait(log, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        s = scene_summary(read_log(log))
        if scene_done(s):
            print("e2e: scene after the warm-up:", s)
            return 0
        time.sleep(0.5)
    print("e2e: scene after the warm-up:", scene_summary(read_log(log)), file=sys.stderr)
    return 1


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    # P6\n<w> <h>\n255\n<pixels>
    parts = data.split(b"\n", 3)
    w, h = map(int, parts[1].split())
    return w, h, parts[3]


def read_tga24(path):
    with open(path, "rb") as f:
        data = f.read()
    w = data[12] | data[13] << 8
    h = data[14] | data[15] << 8
    assert data[16] == 24 and data[2] == 2, "start background is a 24-bit true-colour image"
    return w, h, data[18 + data[0]:]


def mean_luma(w, h, px):
    step = max(1, (w * h) // 4000)
    total = n = 0
    for i in range(0, w * h, step):
        r, g, b = px[3 * i], px[3 * i + 1], px[3 * i + 2]
        total += 0.3 * r + 0.59 * g + 0.11 * b
        n += 1
    return total / n


def start_frame_error(frame, texture):
    """Mean absolute difference between the first frame and the start background as the
    camera sees it: the 400 x 300 quad at depth 0, 250 units away, with a 60 degree view."""
    fw, fh, fpx = frame
    tw, th, tpx = texture
    half_h = 250 * 0.5773502691896258  # tan 30 degrees
    half_w = half_h * fw / fh
    total = n = 0
    for sy in range(12):
        for sx in range(16):
            x = int((sx + 0.5) * fw / 16)
            y = int((sy + 0.5) * fh / 12)  # from the top
            wx = (x + 0.5) / fw * 2 * half_w - half_w
            wy = half_h - (y + 0.5) / fh * 2 * half_h
            u = (wx + 200) / 400
            v = (wy + 150) / 300  # texture row 0 is the bottom of the quad
            tx = min(tw - 1, int(u * tw))
            ty = min(th - 1, int(v * th))
            t = 3 * (ty * tw + tx)
            f = 3 * (y * fw + x)
            texel = (tpx[t + 2], tpx[t + 1], tpx[t])  # stored blue, green, red
            for c in range(3):
                total += abs(fpx[f + c] - texel[c])
                n += 1
    return total / n


def check(work, start_tga, out):
    problems = []
    rows = read_log(os.path.join(work, "state.log"))
    by_frame = {int(r["frame"]): r for r in rows}
    if by_frame.get(1, {}).get("shown") != 1:
        problems.append("frame 1 was not shown")
    hidden = [f for f in range(2, 1200) if f in by_frame and by_frame[f]["shown"] != 0]
    if hidden:
        problems.append(f"warm-up frames shown: {hidden[:5]}")
    if 1200 not in by_frame or by_frame[1200]["shown"] != 1 or by_frame[1200]["warmingUp"] != 0:
        problems.append("frame 1200 is not the first full-scene frame")

    first = read_ppm(os.path.join(work, "frames", "frame_00001.ppm"))
    err = start_frame_error(first, read_tga24(start_tga))
    print(f"e2e: first frame vs start background: mean difference {err:.1f} of 255")
    if err > 12:
        problems.append(f"first frame is not the start background (difference {err:.1f})")

    later = sorted(p for p in glob.glob(os.path.join(work, "frames", "frame_*.ppm")) if int(p[-9:-4]) >= 1300)
    lumas = [mean_luma(*read_ppm(p)) for p in later]
    print("e2e: full-scene frames, mean brightness:", [round(l) for l in lumas])
    if len(later) < 3:
        problems.append(f"only {len(later)} full-scene frames captured")
    elif sum(1 for l in lumas if l > 8) < len(lumas) * 0.6:
        problems.append("most full-scene frames are black")
    elif max(lumas) - min(lumas) < 3:
        problems.append("the full-scene frames all look alike")

    window = read_ppm(os.path.join(work, "window.ppm"))
    luma = mean_luma(*window)
    print(f"e2e: window on the X display: {window[0]}x{window[1]}, mean brightness {luma:.0f}")
    if (window[0], window[1]) != (640, 480) or luma <= 8:
        problems.append("the X display does not show the picture")

    with open(os.path.join(work, "stdout.txt")) as f:
        if "file could not be opened" in f.read():
            problems.append("the frame file could not be opened")

    os.makedirs(out, exist_ok=True)
    for p in glob.glob(os.path.join(work, "frames", "*.ppm")) + [os.path.join(work, "window.ppm")]:
        png = os.path.join(out, os.path.basename(p)[:-4] + ".png")
        subprocess.run(["convert", p, png], check=False)
    for p in problems:
        print("e2e: FAIL:", p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    if sys.argv[1] == "wait":
        sys.exit(wait(sys.argv[2], float(sys.argv[3])))
    sys.exit(check(sys.argv[2], sys.argv[3], sys.argv[4]))
