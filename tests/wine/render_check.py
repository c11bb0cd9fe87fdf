#!/usr/bin/env python3
"""Offline video end to end, inside a Wine session, from the player folder.

usage: render_check.py EMULATOR VISHOST OUTDIR [--twice | --click]

Alone: tools/render.sh of a tagged FLAC, a file that is not audio and a tagged Ogg, at 60 fps
through the 2d Spectrum Analyser: one line for the broken file; H.264 (yuv420p) and AAC, index
first; as many frames as the decoded music lasts times 60 (+-1); each title in the frames taken
at 11 s and 13.5 s. An existing OUT stays without --force; --fps 500 and no decodable file are refused.
--twice: vishost --render of "All effects" twice gives the same frames: once through the X
connection, once from the session's screen file (--screen-file). A screen file that shows
another picture is said and left for the X connection (the frames stay right); a file that is
no screen is refused.
--click: silence and one click through the 2d Spectrum Analyser (still in silence): the picture
first changes on the frame whose sound, the module's latency ahead, first holds the click (+-1).
"""
import hashlib
import math
import os
import re
import shutil
import subprocess
import sys
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from overlay_check import read_bmp, text_pixels  # noqa: E402

RENDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "render.sh")
FPS = 60


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def run(command):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace",
                            timeout=200)
    return result.returncode, result.stdout


def ffprobe(*args):
    return subprocess.run(["ffprobe", "-v", "error", *args, "-of", "csv=p=0"], stdout=subprocess.PIPE,
                          text=True).stdout.split()


def check_render_sh(emulator, vishost, out):
    music, video = f"{out}/music", f"{out}/video/song.mp4"
    os.makedirs(music)
    subprocess.run([emulator, vishost, "--write-demo", winpath(f"{music}/demo.wav")], check=True)
    ffmpeg = ["ffmpeg", "-nostdin", "-v", "error", "-i", f"{music}/demo.wav"]
    subprocess.run(ffmpeg + ["-t", "12", "-metadata", "artist=Test Band", "-metadata", "title=First Flac",
                             f"{music}/01 track.flac"], check=True)
    subprocess.run(ffmpeg + ["-ss", "30", "-t", "4", "-c:a", "libvorbis", "-metadata", "ARTIST=Vorbis Duo",
                             "-metadata", "TITLE=Second Ogg", f"{music}/02 track.ogg"], check=True)
    open(f"{music}/Broken.flac", "w").write("not audio at all\n")
    os.environ["XDG_CACHE_HOME"] = f"{out}/cache"
    # Frame k (from 1) is drawn at (k - 1) / 60 s: 11 s (a title shows in full in the last 6 s of
    # its track) and 13.5 s (and in the first 6 s).
    status, text = run([RENDER, "--player", os.getcwd(), "--module", "2", f"{music}/01 track.flac",
                        f"{music}/Broken.flac", f"{music}/02 track.ogg", "-o", video, "--capture-at", "661,811",
                        "--frames-out", f"{out}/frames"])
    print(text)
    if status != 0:
        return [f"render.sh exited with {status}"]
    problems = []
    if len(re.findall(r"Broken\.flac: cannot be decoded", text)) != 1:
        problems.append("the broken file is not reported in exactly one line")
    streams = sorted(ffprobe("-show_entries", "stream=codec_type,codec_name,pix_fmt,avg_frame_rate", video))
    frames = int(ffprobe("-count_frames", "-select_streams", "v:0", "-show_entries", "stream=nb_read_frames", video)[0])
    cache = f"{out}/cache/vexilumarine/decoded"
    seconds = sum(w.getnframes() / w.getframerate() for w in (wave.open(f"{cache}/{n}") for n in os.listdir(cache)))
    print("streams:", streams, f"video frames: {frames} for {seconds:.3f} s")
    if streams != ["aac,audio,0/0", f"h264,video,yuv420p,{FPS}/1"]:
        problems.append(f"streams {streams}: expected H.264 yuv420p at {FPS} fps and AAC")
    if abs(frames - round(seconds * FPS)) > 1:
        problems.append(f"{frames} frames for {seconds:.3f} s of music at {FPS} fps")
    head = open(video, "rb").read(1 << 16)
    if head.find(b"moov") < 0 or 0 <= head.find(b"mdat") < head.find(b"moov"):
        problems.append("the index does not come first: the video cannot start playing at once")
    if os.listdir(os.path.dirname(video)) != ["song.mp4"]:
        problems.append(f"left beside the video: {os.listdir(os.path.dirname(video))}")
    strips = {}
    for frame, title in ((661, "First Flac"), (811, "Second Ogg")):
        bmp = f"{out}/frames/module2-frame{frame:05d}.bmp"
        subprocess.run(["convert", bmp, f"{out}/{title.replace(' ', '-')}.png"], check=False)
        strips[title] = set(text_pixels(read_bmp(bmp), "title")) if os.path.exists(bmp) else set()
        print(f"title strip while '{title}' plays: {len(strips[title])} lettering pixels")
        if len(strips[title]) < 40:  # a title of 20 letters has about 100
            problems.append(f"no title drawn while '{title}' plays")
    if len(strips["First Flac"] ^ strips["Second Ogg"]) < 50:
        problems.append("the two tracks show the same title")

    before = os.stat(video).st_mtime_ns
    status, text = run([RENDER, "--player", os.getcwd(), f"{music}/02 track.ogg", "-o", video])
    if status == 0 or "--force" not in text or os.stat(video).st_mtime_ns != before:
        problems.append(f"an existing video was not kept without --force ({status}: {text.strip()})")
    status, text = run([RENDER, f"{music}/02 track.ogg", "-o", f"{out}/fast.mp4", "--fps", "500"])
    if status != 2 or "1 to 240" not in text:
        problems.append(f"--fps 500 was not refused with the accepted values ({status}: {text.strip()})")
    status, text = run([RENDER, "--player", os.getcwd(), f"{music}/Broken.flac", "-o", f"{out}/none.mp4"])
    if status == 0 or "none of the files" not in text or os.path.exists(f"{out}/none.mp4"):
        problems.append(f"no decodable file: not a clear error ({status}: {text.strip()})")
    return problems


def render_frames(emulator, vishost, args):
    """vishost --render's frames (raw bytes, one by one), then its standard error as the last item."""
    subprocess.run([emulator, vishost, "--list"], stdout=subprocess.DEVNULL)  # Wine's services before a pipe
    render = subprocess.Popen([emulator, vishost, "--render", *args], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
    width, height = map(int, re.fullmatch(rb"frames (\d+)x(\d+)\n", render.stdout.readline()).groups())
    while frame := render.stdout.read(width * height * 4):
        yield width, height, frame
    yield render.stderr.read().decode("utf-8", "replace")
    render.wait(timeout=60)


def blank_screen_file(path, width=1600, height=1200):
    """A screen file as Xvfb writes it (XWD, 24 bits in 4 bytes a pixel) that is never drawn into."""
    fields = [100, 7, 2, 24, width, height, 0, 0, 32, 0, 32, 32, width * 4, 4, 0xFF0000, 0xFF00, 0xFF, 8, 0, 0,
              width, height, 0, 0, 0]
    with open(path, "wb") as f:
        f.write(b"".join(v.to_bytes(4, "big") for v in fields) + bytes(width * height * 4))


def check_screen_files(emulator, vishost, out, first_frames):
    problems, blank, song = [], f"{out}/blank-screen", f"{out}/not-a-screen"
    blank_screen_file(blank)
    open(song, "wb").write(b"RIFF" + bytes(60))
    *frames, errors = render_frames(emulator, vishost, ["--module", "0", "--fps", "20", "--frames", "20",
                                                        "--screen-file", winpath(blank)])
    if "does not show the plug-in's picture" not in errors or [hashlib.md5(f).hexdigest() for *_, f in frames] != first_frames:
        problems.append(f"a screen file of another picture was not left for the X connection: {errors.strip()[-300:]}")
    status, text = run([emulator, vishost, "--render", "--frames", "5", "--screen-file", winpath(song)])
    if status == 0 or "is too short for a screen" not in text:
        problems.append(f"a file that is no screen was not refused ({status}: {text.strip()[-300:]})")
    return problems


def check_twice(emulator, vishost, out):
    runs = []
    screen_file = ["--screen-file", winpath(os.environ["VEXIL_SCREEN_FILE"])] if "VEXIL_SCREEN_FILE" in os.environ else []
    for number in (1, 2):
        *frames, errors = render_frames(emulator, vishost, ["--module", "0", "--fps", "20", "--seconds", "14"] +
                                        (screen_file if number == 2 else []))
        if "does not show" in errors:
            print(errors)
        width, height, picture = frames[239]  # 11.95 s: an effect after the intro
        subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", "bgra:-", "-alpha", "off",
                        f"{out}/run{number}-frame240.png"], input=picture)
        runs.append([hashlib.md5(frame).hexdigest() for _, _, frame in frames])
    differing = [i + 1 for i, (a, b) in enumerate(zip(*runs)) if a != b]
    print(f"{len(runs[0])} and {len(runs[1])} frames, {len(set(runs[0]))} different pictures, {len(differing)} differ")
    problems = [] if len(runs[0]) == 280 else [f"{len(runs[0])} frames, expected 280"]
    if len(set(runs[0])) < len(runs[0]) // 2:
        problems.append("most frames repeat the one before: the pictures do not move")
    if differing or len(runs[0]) != len(runs[1]):
        problems.append(f"the renders differ in frames {differing[:10]}")
    if not screen_file:
        problems.append("the session keeps no screen file (VEXIL_SCREEN_FILE)")
    return problems + check_screen_files(emulator, vishost, out, runs[0][:20])


def check_click(emulator, vishost, out, click_at=12.5, rate=44100):
    samples = bytearray(13 * rate * 2)  # 13 s of silence, 20 ms of a loud 1 kHz tone at click_at
    for i in range(int(click_at * rate), int(click_at * rate) + rate // 50):
        value = int(30000 * math.sin(2 * math.pi * 1000 * i / rate))
        samples[2 * i:2 * i + 2] = value.to_bytes(2, "little", signed=True)
    with wave.open(f"{out}/click.wav", "wb") as w:
        w.setparams((1, 2, rate, 0, "NONE", None))
        w.writeframes(bytes(samples))
    *frames, errors = render_frames(emulator, vishost, ["--module", "2", "--fps", str(FPS),
                                                        winpath(f"{out}/click.wav")])
    # After the intro, the picture off the overlay strips; the first frame that differs from the one before.
    middles = [frame[width * 4 * (height // 10):width * 4 * (height * 9 // 10)] for width, height, frame in frames]
    changed = [k + 1 for k in range(11 * FPS, len(middles)) if middles[k] != middles[k - 1]]
    latency = re.search(r"gets the sound (\d+) ms ahead", errors)
    if not latency:
        return [f"vishost did not say the module's latency: {errors[-300:]}"]
    # Frame k (from 1) is drawn at (k - 1) / fps with the 576 samples from latency ahead.
    ahead = int(latency[1]) / 1000
    expected = math.floor((click_at - ahead - 576 / rate) * FPS) + 2
    print(f"latency {ahead * 1000:.0f} ms; frames that change: {changed[:8]}; expected first: {expected}")
    return [] if changed and abs(changed[0] - expected) <= 1 else [f"the picture first changes at {changed[:1]}"]


def main():
    emulator, vishost, out = sys.argv[1:4]
    out = os.path.abspath(out)
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    check = {"--twice": check_twice, "--click": check_click}.get((sys.argv[4:] or [""])[0], check_render_sh)
    problems = check(emulator, vishost, out)
    for problem in problems:
        print("FAIL:", problem)
    print("pictures:", out)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
