#!/usr/bin/env python3
"""vishost with plug-ins other than ours: the test plug-ins of plugins/ under Wine.

usage: plugin_check.py EMULATOR VISHOST PLUGIN_DIR OUTDIR embed|thread|box|width-i686|width-x86_64

embed, thread: the plug-in lists its modules; plays 10 s (real clock, muted) with pictures that
move, captured at the size of the plug-in's window; renders 3 s at 20 fps to 60 frames, the same
frames twice (per-frame hashes), and through tools/lib/encode-video.sh to an MP4 of 60 frames.
embed also shows its queries answered (--trace-queries) and its settings kept in the player's
winamp.ini, where it also notes its window's client size. box: a render stalled for 10 s
(--stall-seconds) ends within 40 s with the box's text and a non-zero exit. width-ARCH (vishost's own): a DLL of the other width is refused
with a message that names both widths.
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from overlay_check import read_bmp  # noqa: E402

ENCODE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "lib", "encode-video.sh")
MODULES = {"embed": ("Test plug-in: GDI in an embedded window", 10), "thread": ("Test plug-in: a drawing thread "
                                                                                 "of its own", 1)}
FPS, SECONDS = 20, 3


def run(command, **extra):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=200, **extra)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def check_list(vishost, dll, name):
    title, count = MODULES[name]
    status, text = run([*vishost, "--plugin", dll, "--list"])
    expected = "".join(f"{i}: .+\r?\n" for i in range(count))
    return [] if status == 0 and re.fullmatch(re.escape(title) + r"\r?\n" + expected, text) else [
        f"--list: {status}: {text!r}"]


def window_size(name):
    """The client size the plug-in noted: the embedded one in winamp.ini; the thread's is 480 x 360."""
    if name == "thread":
        return 480, 360
    ini = open("winamp.ini", encoding="latin-1").read()
    return tuple(int(re.search(key + r"=(\d+)", ini).group(1)) for key in ("view width", "view height"))


def check_play(vishost, dll, name, out):
    """10 s on the wall clock, captured twice a second: each capture the window's size, and moving.
    The embedded one plays module 9, which hands its state to query 505; the render's module 0 asks
    for the function instead."""
    frames = f"{out}/play"
    shutil.rmtree(frames, ignore_errors=True)
    os.makedirs(frames)
    module = "9" if name == "embed" else "0"
    args = ["--trace-queries"] if name == "embed" else []
    status, text = run([*vishost, "--plugin", dll, "--module", module, "--mute", "--seconds", "10", "--out",
                        winpath(frames), "--capture-fps", "2", *args])
    problems = [] if status == 0 else [f"play: exit status {status}: {text[-500:]}"]
    if name == "embed":
        for query in (r"query 0 \(0\) -> 20582", r"query 334 \(0\) -> Z:\\.*\\winamp\.ini",
                      r"query 505 \([1-9][0-9]*\) -> [1-9]"):
            if not re.search(query, text):
                problems.append(f"--trace-queries does not show /{query}/")
    size = window_size(name)
    pictures = [read_bmp(f"{frames}/{f}") for f in sorted(os.listdir(frames))]
    subprocess.run(["convert", f"{frames}/frame00010.bmp", f"{out}/play-frame10.png"])
    if len(pictures) < 18:
        return problems + [f"play: {len(pictures)} captures in 10 s at 2 a second"]
    sizes = {(len(rows[0]), len(rows)) for rows in pictures[2:]}  # from 1 s on: a thread makes its window late
    if sizes != {size}:
        problems.append(f"play: captures of {sizes}, the window's client area is {size}")
    distinct = len({hashlib.md5(repr(rows).encode()).hexdigest() for rows in pictures[2:]})
    if distinct < len(pictures[2:]) * 3 // 4:
        problems.append(f"play: {distinct} different pictures of {len(pictures) - 2}: they do not move")
    return problems


def render(vishost, dll, out, number):
    """One render's raw stream (kept in a file) and its per-frame hashes."""
    raw = f"{out}/render{number}.raw"
    with open(raw, "wb") as stream:
        result = subprocess.run([*vishost, "--render", "--plugin", dll, "--fps", str(FPS), "--seconds", str(SECONDS)],
                                stdout=stream, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL, timeout=200)
    with open(raw, "rb") as stream:
        header = stream.readline().decode()
        width, height = map(int, re.fullmatch(r"frames (\d+)x(\d+)\n", header).groups())
        hashes = []
        while frame := stream.read(width * height * 4):
            hashes.append(hashlib.md5(frame).hexdigest())
    return result.returncode, raw, hashes


def check_render(vishost, dll, out):
    problems = []
    runs = [render(vishost, dll, out, number) for number in (1, 2)]
    (status, raw, first), (status2, _, second) = runs
    if status or status2:
        problems.append(f"render: exit status {status}, {status2}")
    if len(first) != FPS * SECONDS:
        problems.append(f"render: {len(first)} frames, expected {FPS * SECONDS}")
    if len(set(first)) < len(first) * 3 // 4:
        problems.append(f"render: {len(set(first))} different pictures of {len(first)}: they do not move")
    differing = [i + 1 for i, (a, b) in enumerate(zip(first, second)) if a != b]
    if differing or len(first) != len(second):
        problems.append(f"the two renders differ in frames {differing[:10]} ({len(first)} and {len(second)} frames)")
    demo = f"{out}/demo.wav"
    subprocess.run([*vishost, "--write-demo", winpath(demo)], check=True)
    video = f"{out}/render.mp4"
    with open(raw, "rb") as stream:
        subprocess.run(["bash", ENCODE, str(FPS), video, str(SECONDS), demo], stdin=stream, check=True)
    count = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                            "stream=nb_read_frames", "-of", "csv=p=0", video], stdout=subprocess.PIPE, text=True)
    if count.stdout.strip() != str(FPS * SECONDS):
        problems.append(f"the MP4 has {count.stdout.strip()} frames, expected {FPS * SECONDS}")
    os.remove(raw)
    os.remove(runs[1][1])
    return problems


def check_box(vishost, dll):
    start = time.monotonic()
    result = subprocess.run([*vishost, "--render", "--plugin", dll, "--seconds", "5", "--stall-seconds", "10"],
                            stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, timeout=150)
    took, text = time.monotonic() - start, result.stderr.decode("utf-8", "replace")
    print(text)
    problems = [] if result.returncode != 0 else ["a render stalled by a box in Init exited 0"]
    if "Box in Init" not in text or "Init waits until this box is answered." not in text:
        problems.append("the message does not give the box's caption and text")
    return problems + ([f"the render stalled for 10 s took {took:.0f} s to end"] if took > 40 else [])


def check_width(vishost, out, own):
    """A DLL header of the other machine (only its headers: vishost reads them before loading)."""
    other, machine = ("32-bit (i686)", 0x14C) if own == "x86_64" else ("64-bit (x86_64)", 0x8664)
    dll = f"{out}/vis_other_width.dll"
    with open(dll, "wb") as f:
        f.write(b"MZ" + bytes(58) + (64).to_bytes(4, "little") + b"PE\0\0" + machine.to_bytes(2, "little") + bytes(18))
    status, text = run([*vishost, "--plugin", dll, "--list"])
    mine = "64-bit (x86_64)" if own == "x86_64" else "32-bit (i686)"
    expected = f"it is a {other} DLL and this vishost is a {mine} program"
    return [] if status == 1 and expected in text and "error 193" not in text else [f"{status}: {text!r}"]


def main():
    emulator, vishost_exe, plugin_dir, out, name = sys.argv[1:6]
    os.makedirs(out, exist_ok=True)
    vishost = [emulator, vishost_exe]
    dll = os.path.join(plugin_dir, f"vis_test_{name}.dll")
    if name == "box":
        problems = check_box(vishost, dll)
    elif name.startswith("width-"):
        problems = check_width(vishost, out, name[len("width-"):])
    else:
        problems = check_list(vishost, dll, name) + check_play(vishost, dll, name, out) + check_render(vishost, dll, out)
    for problem in problems:
        print(f"plugin_check: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
