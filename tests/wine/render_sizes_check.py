#!/usr/bin/env python3
"""tools/render.sh's sizes, codecs and refusals, end to end.

usage: render_sizes_check.py PLAYER_DIR OUTDIR --sizes | --codecs

Every render runs from a copy of the player folder whose plugin.ini holds settings of its own
(a window, widescreen, graphics mode 3); after each render, and after one interrupted halfway,
that file is byte for byte as it was.
--sizes: 1920x1080, 1080x1920 and 1280x720 at 10 fps of a 13 s song made here: ffprobe gives
exactly those sizes and 130 frames; the frames at 11.5 s (after the intro) and 12.5 s are drawn
and differ (PNGs left in OUTDIR); and the video's 115th frame shows, colour for colour, the picture
vishost captured from the screen at that frame (the neighbouring frames differ by 5 and more). Each render starts a Wine session of its own with
a screen of its size.
--codecs: ProRes in .mov and VP9 in .webm, with the right frame counts; bad sizes, codecs,
qualities and an OUT that cannot be written are refused before anything starts, naming the
accepted values.
"""
import math
import os
import shutil
import signal
import subprocess
import sys
import time
import wave

RENDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "render.sh")
INI = b"[Vexilumarine]\r\ngraphics mode=3\r\nwidescreen=TRUE\r\nwindowed=TRUE\r\nwindow width=500\r\nwindow height=300\r\n"


def make_song(path, seconds=13, rate=44100):
    """A chord that changes every half second over a beat, so the spectrum keeps moving."""
    frames = bytearray()
    for i in range(seconds * rate):
        t = i / rate
        base = 110 * 2 ** (int(t * 2) % 7 / 7)
        beat = 1.0 if (t % 0.5) < 0.05 else 0.3
        value = beat * sum(math.sin(2 * math.pi * base * k * t) for k in (1, 1.5, 2.5)) / 3
        frames += int(20000 * value).to_bytes(2, "little", signed=True) * 2
    with wave.open(path, "wb") as w:
        w.setparams((2, 2, rate, 0, "NONE", None))
        w.writeframes(bytes(frames))


def render(player, *args, env=None):
    result = subprocess.run([RENDER, "--player", player, *args], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True, errors="replace", timeout=600, env=env)
    return result.returncode, result.stdout


def probe(video, entries):
    return subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                           entries, "-of", "csv=p=0", video], stdout=subprocess.PIPE, text=True).stdout.strip()


def frame_at(video, seconds, png):
    """The picture at `seconds` as RGB bytes, also saved as a PNG to look at."""
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-ss", str(seconds), "-i", video, "-frames:v", "1", png], check=True)
    return subprocess.run(["ffmpeg", "-v", "error", "-i", png, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                          stdout=subprocess.PIPE, check=True).stdout


def rgb_of(source, *select):
    return subprocess.run(["ffmpeg", "-v", "error", "-i", source, *select, "-frames:v", "1", "-f", "rawvideo",
                           "-pix_fmt", "rgb24", "-"], stdout=subprocess.PIPE, check=True).stdout


def differs_from_capture(video, frame, bmp):
    """The mean difference of each colour channel between the video's FRAME and vishost's BMP of it.

    The video's frames are taken from the screen's memory and converted to YUV by vishost; a
    picture from the wrong place, a channel swapped or a colour shifted shows up here."""
    shown, captured = rgb_of(video, "-vf", f"select=eq(n\\,{frame})"), rgb_of(bmp)
    if len(shown) != len(captured):
        return [255.0] * 3
    return [sum(abs(a - b) for a, b in zip(shown[c::3], captured[c::3])) / (len(shown) // 3) for c in range(3)]


def own_session():
    """Without the test's own session: render.sh starts one with a screen of the video's size."""
    return {k: v for k, v in os.environ.items() if k not in ("VEXIL_WINE_SESSION", "DISPLAY")}


def check_sizes(player, out, song):
    problems = []
    for size in ("1920x1080", "1080x1920", "1280x720"):
        video, captures = f"{out}/{size}.mp4", f"{out}/{size}-captures"
        status, text = render(player, song, "-o", video, "--size", size, "--fps", "10", "--module", "2",
                              "--capture-at", "115", "--frames-out", captures, env=own_session())
        print(text[-600:])
        if status != 0:
            problems.append(f"--size {size}: render.sh exited with {status}")
            continue
        width, height = size.split("x")
        if probe(video, "stream=width,height,nb_read_frames") != f"{width},{height},130":
            problems.append(f"--size {size}: the video is {probe(video, 'stream=width,height,nb_read_frames')}")
        early, late = (frame_at(video, t, f"{out}/{size}-{t}s.png") for t in (11.5, 12.5))
        pixels = list(zip(early[0::21], early[1::21], early[2::21]))  # every seventh pixel
        lit = sum(1 for pixel in pixels if max(pixel) > 40) / len(pixels)
        changed = sum(abs(a - b) for a, b in zip(early[::97], late[::97])) / len(early[::97])
        print(f"{size}: {lit:.0%} of the picture lit at 11.5 s; mean change {changed:.1f} by 12.5 s")
        if lit < 0.1 or changed < 2:
            problems.append(f"--size {size}: nothing drawn after the intro, or a still picture")
        apart = differs_from_capture(video, 114, f"{captures}/module2-frame00115.bmp")  # vishost counts from 1
        print(f"{size}: frame 115 differs from vishost's capture by " + ", ".join(f"{d:.2f}" for d in apart) +
              " (red, green, blue)")
        if max(apart) > 4:
            problems.append(f"--size {size}: the video's frame 115 is not the picture on the screen at that frame")
    # Ctrl-C halfway through a render: no video, and the settings as they were.
    video = f"{out}/interrupted.mp4"
    started = subprocess.Popen([RENDER, "--player", player, song, "-o", video, "--size", "1280x720", "--fps", "10"],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, env=own_session(),
                               start_new_session=True)
    for line in started.stdout:
        if "render: frame" in line:
            break
    else:
        problems.append("the render to interrupt did not start")
    time.sleep(2)
    if started.poll() is None:
        os.killpg(started.pid, signal.SIGINT)
    started.communicate(timeout=120)
    if os.path.exists(video) or open(f"{player}/Plugins/plugin.ini", "rb").read() != INI:
        problems.append("an interrupted render left a video or changed plugin.ini")
    return problems


def check_codecs(player, out, song):
    problems = []
    for codec, name, container in (("prores", "clip.mov", "mov,mp4,m4a,3gp,3g2,mj2"), ("vp9", "clip.webm", "matroska,webm")):
        video = f"{out}/{name}"
        status, text = render(player, song, "-o", video, "--codec", codec, "--mode", "0", "--fps", "10", "--seconds", "3")
        print(text[-300:])
        found = (probe(video, "stream=codec_name,nb_read_frames"), subprocess.run(
            ["ffprobe", "-v", "error", "-show_entries", "format=format_name", "-of", "default=nw=1:nk=1", video],
            stdout=subprocess.PIPE, text=True).stdout.strip()) if status == 0 else None
        if found != (f"{codec},30", container):
            problems.append(f"--codec {codec}: {status}, found {found}, expected 30 frames of {codec} in {container}")
    blocker = f"{out}/a-file"
    open(blocker, "w").close()
    for args, accepted in ((["--size", "1921x1080"], "odd"), (["--size", "100x80"], "too small"),
                           (["--size", "4000x2250"], "too large"), (["--size", "8k"], "720p, 1080p, 1440p, 4k"),
                           (["--codec", "vp9"], "holds h264, hevc"), (["--codec", "av1"], "h264, hevc, vp9, prores"),
                           (["--quality", "ultra"], "draft, good, best"), (["--mode", "3", "--size", "720p"], "give one")):
        status, text = render(player, song, "-o", f"{out}/refused.mp4", *args)
        if status != 2 or accepted not in text or len(text.strip().splitlines()) != 1:
            problems.append(f"{' '.join(args)} not refused in one line naming '{accepted}' ({status}: {text.strip()})")
    status, text = render(player, song, "-o", f"{blocker}/video.mp4")
    if status == 0 or f"cannot write {blocker}/video.mp4: {blocker} is a file" not in text:
        problems.append(f"an OUT under a file was not refused ({status}: {text.strip()})")
    if os.path.exists(f"{out}/refused.mp4"):
        problems.append("a refused render wrote a video")
    return problems


def main():
    source, out, which = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3]
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(f"{out}/player/Plugins")
    player = f"{out}/player"
    shutil.copy(f"{source}/vishost.exe", player)
    for name in os.listdir(f"{source}/Plugins"):
        if name.lower().endswith((".dll", ".bmp")):
            shutil.copy(f"{source}/Plugins/{name}", f"{player}/Plugins")
    open(f"{player}/Plugins/plugin.ini", "wb").write(INI)
    song = f"{out}/song.wav"
    make_song(song)
    os.environ["XDG_CACHE_HOME"] = f"{out}/cache"
    problems = (check_sizes if which == "--sizes" else check_codecs)(player, out, song)
    if open(f"{player}/Plugins/plugin.ini", "rb").read() != INI:
        problems.append("plugin.ini changed")
    for problem in problems:
        print("FAIL:", problem)
    print("pictures:", out)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
