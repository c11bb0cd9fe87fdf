#!/usr/bin/env python3
"""Sessions that share a checkout, and renders that end cleanly on a signal.

usage: sessions_check.py BUILD_DIR OUTDIR --together | --signals

Each command runs as a user runs it: outside any Wine session (each makes its own), headless.
--together: two renders (6 s at 30 fps, 4 s at 25 fps) and a play (4 s, captures 5 a second) at
  once in this checkout: all three exit 0; the videos have 180 and 100 frames; the play captured
  about 20 frames.
--signals: a render of 20 s at 30 fps, sent SIGTERM (to the script alone) and SIGINT (to its
  process group) when it is halfway: it exits 143 / 130 within 10 s, leaves no video and no
  partial file, no session or player folder, and no process (in its group, or with its prefix).
"""
import os
import re
import signal
import subprocess
import sys
import time

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")


def user_env(out):
    env = {k: v for k, v in os.environ.items() if k not in ("VEXIL_WINE_SESSION", "DISPLAY", "WINEPREFIX")}
    env["XDG_CACHE_HOME"] = f"{out}/cache"
    return env


def make_song(build, out, seconds, name):
    if not os.path.exists(f"{out}/demo.wav"):
        subprocess.run([f"{TOOLS}/wine/wine-run.sh", f"{build}/player/vishost.exe", "--write-demo",
                        "Z:" + f"{out}/demo.wav".replace("/", "\\")], check=True)
    path = f"{out}/{name}.flac"
    subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-i", f"{out}/demo.wav", "-t", str(seconds), path],
                   check=True)
    return path


def video_frames(path):
    return int(subprocess.run(["ffprobe", "-v", "error", "-count_packets", "-select_streams", "v:0", "-show_entries",
                               "stream=nb_read_packets", "-of", "csv=p=0", path], stdout=subprocess.PIPE,
                              text=True).stdout.strip() or 0)


def check_together(build, out):
    env = user_env(out)
    songs = [make_song(build, out, 6, "six"), make_song(build, out, 4, "four")]
    jobs = {
        "render 1": ([f"{TOOLS}/render.sh", songs[0], "-o", f"{out}/one.mp4", "--fps", "30", "--mode", "0",
                      "--module", "2"], f"{out}/one.mp4", 180),
        "render 2": ([f"{TOOLS}/render.sh", songs[1], "-o", f"{out}/two.mp4", "--fps", "25", "--mode", "1",
                      "--module", "3"], f"{out}/two.mp4", 100),
        "play": ([f"{TOOLS}/play.sh", "--module", "2", "--seconds", "4", "--capture-fps", "5", "--out",
                  f"{out}/play", songs[1]], None, 20),
    }
    running = {name: subprocess.Popen(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                      errors="replace") for name, (cmd, _, _) in jobs.items()}
    problems = []
    for name, process in running.items():
        text, _ = process.communicate(timeout=400)
        print(f"---- {name}: exit {process.returncode}\n{text}")
        _, video, expected = jobs[name]
        if process.returncode != 0:
            problems.append(f"{name} exited with {process.returncode}")
        elif video:
            if video_frames(video) != expected:
                problems.append(f"{name}: {video_frames(video)} frames, expected {expected}")
        else:
            captured = len([f for f in os.listdir(f"{out}/play/frames") if f.endswith(".bmp")])
            if abs(captured - expected) > 2:
                problems.append(f"play: {captured} captures, expected about {expected}")
    return problems


def own_processes(group, prefix):
    """Processes left in the process group, or running in the Wine prefix (by their environment)."""
    left = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if os.getpgid(int(pid)) == group:
                left.append(pid)
            elif prefix and f"WINEPREFIX={prefix}".encode() in open(f"/proc/{pid}/environ", "rb").read().split(b"\0"):
                left.append(pid)
        except (OSError, ProcessLookupError):
            pass
    return left


def check_signal(build, out, song, sig, to_group):
    sessions = f"{build}/wine-sessions"
    before = set(os.listdir(sessions)) if os.path.isdir(sessions) else set()
    video = f"{out}/{sig.name}/video.mp4"
    os.makedirs(os.path.dirname(video))
    render = subprocess.Popen([f"{TOOLS}/render.sh", song, "-o", video, "--fps", "30", "--mode", "0", "--module", "2"],
                              env=user_env(out), stderr=subprocess.PIPE, text=True, start_new_session=True)
    log = []
    for line in render.stderr:
        log.append(line)
        progress = re.search(r"render: frame (\d+) of (\d+)", line)
        if progress and int(progress.group(1)) * 2 >= int(progress.group(2)):
            break
    mine = sorted(set(os.listdir(sessions)) - before)
    prefix = next((f"{sessions}/{d}/prefix" for d in mine if d.startswith("session.")), None)
    sent = time.monotonic()
    (os.killpg if to_group else os.kill)(render.pid, sig)
    status = render.wait(timeout=60)
    took = time.monotonic() - sent
    log += render.stderr.readlines()
    print(f"---- {sig.name} to the {'group' if to_group else 'script'}: exit {status} after {took:.1f} s\n{''.join(log)}")
    time.sleep(1)  # anything still on its way out
    expected = 128 + sig.value
    problems = []
    if status != expected or took > 10:
        problems.append(f"{sig.name}: exit {status} after {took:.1f} s, expected {expected} within 10 s")
    if os.listdir(os.path.dirname(video)):
        problems.append(f"{sig.name}: left {os.listdir(os.path.dirname(video))}")
    if not prefix:
        problems.append(f"{sig.name}: no session of its own was seen ({mine})")
    if set(mine) & set(os.listdir(sessions)):
        problems.append(f"{sig.name}: its session or player folder is left: {set(mine) & set(os.listdir(sessions))}")
    if own_processes(render.pid, prefix):
        problems.append(f"{sig.name}: processes left: {own_processes(render.pid, prefix)}")
    return problems


def main():
    build, out, what = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), sys.argv[3]
    subprocess.run(["rm", "-rf", out])
    os.makedirs(out)
    if what == "--together":
        problems = check_together(build, out)
    else:
        song = make_song(build, out, 20, "twenty")
        problems = check_signal(build, out, song, signal.SIGTERM, False) + \
            check_signal(build, out, song, signal.SIGINT, True)
    for problem in problems:
        print("FAIL:", problem)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
