#!/usr/bin/env python3
"""Offline video end to end, inside a Wine session, from the player folder.

usage: render_check.py EMULATOR VISHOST OUTDIR [--twice | --click]

Without --twice: tools/render.sh with a tagged FLAC and Ogg file made here from the demo song and
a file that is not audio, at 60 fps through the 2d Spectrum Analyser. The broken file gets one
line; the MP4 holds H.264 (yuv420p) and AAC with the index first, and as many frames as the
decoded music lasts times 60 (+-1); the frames captured at 14 s and 17.5 s show each track's
title. An existing OUT stays without --force, a bad --fps and no decodable file are refused.

With --twice: vishost --render of "All effects" twice; every frame must be the same both times.

With --click: silence with one click, through the 2d Spectrum Analyser (still in silence). The
picture must first change on the frame whose sound, taken the module's latency ahead of what is
heard, first holds the click (+-1 frame).
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
from overlay_check import read_bmp, text_pixels, write_ini  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
RENDER = os.path.join(HERE, "..", "..", "tools", "render.sh")
FPS = 60


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def run(command, **kwargs):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace",
                            timeout=200, **kwargs)
    return result.returncode, result.stdout


def make_music(emulator, vishost, music):
    os.makedirs(music)
    subprocess.run([emulator, vishost, "--write-demo", winpath(f"{music}/demo.wav")], check=True)
    ffmpeg = ["ffmpeg", "-nostdin", "-v", "error", "-i", f"{music}/demo.wav"]
    subprocess.run(ffmpeg + ["-t", "16", "-metadata", "artist=Test Band", "-metadata", "title=First Flac",
                             f"{music}/01 track.flac"], check=True)
    subprocess.run(ffmpeg + ["-ss", "30", "-t", "4", "-c:a", "libvorbis", "-metadata", "ARTIST=Vorbis Duo",
                             "-metadata", "TITLE=Second Ogg", f"{music}/02 track.ogg"], check=True)
    with open(f"{music}/Broken.flac", "w") as f:
        f.write("not audio at all\n")


def probe(path):
    """codec_type=codec_name/pix_fmt lines and the video's frame count, from ffprobe."""
    streams = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "stream=codec_type,codec_name,pix_fmt,avg_frame_rate",
                              "-of", "csv=p=0", path], stdout=subprocess.PIPE, text=True).stdout.split()
    frames = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                             "stream=nb_read_frames", "-of", "csv=p=0", path], stdout=subprocess.PIPE, text=True).stdout
    return sorted(streams), int(frames.strip() or 0)


def top_level_boxes(path):
    boxes = []
    with open(path, "rb") as f:
        while header := f.read(8):
            size, kind = int.from_bytes(header[:4], "big"), header[4:].decode("latin-1")
            if size == 1:
                size = int.from_bytes(f.read(8), "big") - 8
            boxes.append(kind)
            f.seek(size - 8, 1)
    return boxes


def decoded_seconds(cache):
    total = 0.0
    for name in os.listdir(cache):
        with wave.open(os.path.join(cache, name)) as w:
            total += w.getnframes() / w.getframerate()
    return total


def check_render_sh(emulator, vishost, out):
    problems = []
    music = f"{out}/music"
    make_music(emulator, vishost, music)
    os.environ["XDG_CACHE_HOME"] = f"{out}/cache"
    video = f"{out}/video/song.mp4"
    # Frame k (from 1) is drawn at (k - 1) / 60 s: 12 s (the first title, shown as the intro ends)
    # and 17.5 s (the second, 1.5 s into its track). The overlay tests' settings hold the titles
    # at full grey for a minute.
    ini = os.path.join(os.getcwd(), "Plugins", "plugin.ini")
    saved_ini = open(ini, "rb").read() if os.path.exists(ini) else None
    write_ini(ini)
    try:
        status, text = run([RENDER, "--player", os.getcwd(), "--module", "2", f"{music}/01 track.flac",
                            f"{music}/Broken.flac", f"{music}/02 track.ogg", "-o", video, "--capture-at",
                            "721,1051", "--frames-out", f"{out}/frames"])
    finally:
        if saved_ini is None:
            os.remove(ini)
        else:
            open(ini, "wb").write(saved_ini)
    print(text)
    if status != 0:
        return [f"render.sh exited with {status}"]
    if len(re.findall(r"Broken\.flac: cannot be decoded", text)) != 1:
        problems.append("the broken file is not reported in exactly one line")
    streams, frames = probe(video)
    print("streams:", streams, "video frames:", frames)
    if streams != ["aac,audio,0/0", f"h264,video,yuv420p,{FPS}/1"]:
        problems.append(f"streams {streams}: expected H.264 yuv420p at {FPS} fps and AAC")
    seconds = decoded_seconds(f"{out}/cache/vexilumarine/decoded")
    if abs(frames - round(seconds * FPS)) > 1:
        problems.append(f"{frames} frames for {seconds:.3f} s of music at {FPS} fps")
    boxes = top_level_boxes(video)
    if "moov" not in boxes or "mdat" not in boxes or boxes.index("moov") > boxes.index("mdat"):
        problems.append(f"the index does not come first (boxes {boxes}): the video cannot start playing at once")
    if [name for name in os.listdir(os.path.dirname(video)) if name != "song.mp4"]:
        problems.append(f"left beside the video: {os.listdir(os.path.dirname(video))}")
    strips = {}
    for frame, title in ((721, "First Flac"), (1051, "Second Ogg")):
        bmp = f"{out}/frames/module2-frame{frame:05d}.bmp"
        if not os.path.exists(bmp):
            problems.append(f"no capture of frame {frame}")
            continue
        subprocess.run(["convert", bmp, f"{out}/{title.replace(' ', '-')}.png"], check=False)
        strips[title] = set(text_pixels(read_bmp(bmp), "title"))
        print(f"title strip while '{title}' plays: {len(strips[title])} lettering pixels")
        if len(strips[title]) < 40:  # a title of 20 letters has about 100
            problems.append(f"no title drawn while '{title}' plays")
    if len(strips) == 2 and len(strips["First Flac"] ^ strips["Second Ogg"]) < 50:
        problems.append("the two tracks show the same title")

    before = os.stat(video)
    status, text = run([RENDER, "--player", os.getcwd(), f"{music}/02 track.ogg", "-o", video])
    if status == 0 or "--force" not in text or os.stat(video).st_mtime_ns != before.st_mtime_ns:
        problems.append(f"an existing video was not kept without --force ({status}: {text.strip()})")
    status, text = run([RENDER, f"{music}/02 track.ogg", "-o", f"{out}/fast.mp4", "--fps", "500"])
    if status != 2 or "1 to 240" not in text:
        problems.append(f"--fps 500 was not refused with the accepted values ({status}: {text.strip()})")
    status, text = run([RENDER, "--player", os.getcwd(), f"{music}/Broken.flac", "-o", f"{out}/none.mp4"])
    if status == 0 or "none of the files" not in text or os.path.exists(f"{out}/none.mp4"):
        problems.append(f"no decodable file: not a clear error ({status}: {text.strip()})")
    return problems


def read_stream(render):
    """Yields the width, height and then each raw frame of a vishost --render stream."""
    header = render.stdout.readline().decode()
    match = re.fullmatch(r"frames (\d+)x(\d+)\n", header)
    if not match:
        raise RuntimeError(f"no frame size but {header!r}")
    width, height = int(match[1]), int(match[2])
    yield width, height
    while frame := render.stdout.read(width * height * 4):
        yield frame


def frame_hashes(emulator, vishost, keep):
    """Per-frame MD5s of one render's raw frames; the frame `keep` is saved as a PPM."""
    command = [emulator, vishost, "--render", "--module", "0", "--fps", "20", "--seconds", "14"]
    render = subprocess.Popen(command, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL)
    stream = read_stream(render)
    try:
        width, height = next(stream)
    except RuntimeError as error:
        render.kill()
        return [], str(error)
    hashes = []
    for frame in stream:
        hashes.append(hashlib.md5(frame).hexdigest())
        if len(hashes) == keep[0]:
            rgb = bytearray(width * height * 3)
            rgb[0::3], rgb[1::3], rgb[2::3] = frame[2::4], frame[1::4], frame[0::4]
            with open(keep[1], "wb") as f:
                f.write(b"P6 %d %d 255\n" % (width, height) + bytes(rgb))
    status = render.wait(timeout=60)
    return hashes, None if status == 0 else f"vishost exited with {status}"


def check_twice(emulator, vishost, out):
    os.makedirs(out)
    subprocess.run([emulator, vishost, "--list"], stdout=subprocess.DEVNULL)  # Wine's services before a pipe
    runs = []
    for run_number in (1, 2):
        hashes, error = frame_hashes(emulator, vishost, (240, f"{out}/run{run_number}-frame240.ppm"))
        if error:
            return [f"render {run_number}: {error}"]
        runs.append(hashes)
        subprocess.run(["convert", f"{out}/run{run_number}-frame240.ppm", f"{out}/run{run_number}-frame240.png"])
    problems = []
    if len(runs[0]) != 14 * 20:
        problems.append(f"{len(runs[0])} frames, expected 280")
    if len(set(runs[0])) < len(runs[0]) // 2:
        problems.append(f"only {len(set(runs[0]))} different pictures in {len(runs[0])} frames")
    differing = [i + 1 for i, (a, b) in enumerate(zip(runs[0], runs[1])) if a != b]
    print(f"{len(runs[0])} and {len(runs[1])} frames, {len(differing)} differ")
    if differing or len(runs[0]) != len(runs[1]):
        problems.append(f"the renders differ in frames {differing[:10]}{' ...' if len(differing) > 10 else ''}")
    return problems


def write_click(path, seconds, click_at, rate=44100):
    """Silence with 20 ms of a loud 1 kHz tone at click_at seconds, 16-bit mono."""
    samples = bytearray(int(seconds * rate) * 2)
    start = int(click_at * rate)
    for i in range(start, start + rate // 50):
        samples[2 * i:2 * i + 2] = int(30000 * math.sin(2 * math.pi * 1000 * i / rate)).to_bytes(2, "little", signed=True)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(samples))


def check_click(emulator, vishost, out):
    os.makedirs(out)
    click_at, window = 12.5, 576 / 44100  # the host hands over 576 samples from latencyMs ahead
    write_click(f"{out}/click.wav", 13, click_at)
    subprocess.run([emulator, vishost, "--list"], stdout=subprocess.DEVNULL)
    render = subprocess.Popen([emulator, vishost, "--render", "--module", "2", "--fps", str(FPS),
                               winpath(f"{out}/click.wav")], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              stdin=subprocess.DEVNULL)
    stream = read_stream(render)
    width, height = next(stream)
    changed, previous = [], None
    for number, frame in enumerate(stream, 1):
        if number < FPS * 11:  # after the intro
            continue
        middle = frame[width * 4 * (height // 10):width * 4 * (height * 9 // 10)]  # off the overlay strips
        if previous is not None and middle != previous:
            changed.append(number)
        previous = middle
    errors = render.stderr.read().decode("utf-8", "replace")
    render.wait(timeout=60)
    latency = re.search(r"gets the sound (\d+) ms ahead", errors)
    if not latency:
        return [f"vishost did not say the module's latency: {errors[-500:]}"]
    # Frame k (from 1) is drawn at (k - 1) / fps and gets the sound from latency ahead for a window.
    ahead = int(latency[1]) / 1000
    expected = math.floor((click_at - ahead - window) * FPS) + 2
    print(f"latency {ahead * 1000:.0f} ms; frames that change: {changed[:8]}; expected first: {expected}")
    if not changed or abs(changed[0] - expected) > 1:
        return [f"the picture first changes at frame {changed[:1]}, expected {expected} (+-1)"]
    return []


def main():
    emulator, vishost, out = sys.argv[1:4]
    shutil.rmtree(out, ignore_errors=True)
    out = os.path.abspath(out)
    if "--twice" in sys.argv[4:]:
        problems = check_twice(emulator, vishost, out)
    elif "--click" in sys.argv[4:]:
        problems = check_click(emulator, vishost, out)
    else:
        problems = check_render_sh(emulator, vishost, out)
    for problem in problems:
        print("FAIL:", problem)
    print("pictures:", out)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
