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
  And one whose Wine processes go away halfway (its wineserver killed): it says it was cut short,
  exits 1 and leaves nothing either.
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


def group_members(group):
    members = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if os.getpgid(int(pid)) == group:
                members.append(pid)
        except OSError:
            pass
    return members


def wine_prefix(pid):
    try:
        variables = open(f"/proc/{pid}/environ", "rb").read().split(b"\0")
    except OSError:
        return None
    return next((v[len(b"WINEPREFIX="):].decode() for v in variables if v.startswith(b"WINEPREFIX=")), None)


def own_processes(group, prefix):
    """Processes left in the process group, or running in the Wine prefix (by their environment)."""
    in_prefix = [pid for pid in filter(str.isdigit, os.listdir("/proc")) if prefix and wine_prefix(pid) == prefix]
    return sorted(set(group_members(group) + in_prefix))


def check_ended_halfway(build, out, song, how, sig=None):
    """how: "script" or "group" (sig sent there), or "wine" (the render's wineserver killed)."""
    name = f"{sig.name} to the {how}" if sig else "its Wine processes killed"
    sessions = f"{build}/wine-sessions"
    video = f"{out}/{how}/video.mp4"
    os.makedirs(os.path.dirname(video))
    render = subprocess.Popen([f"{TOOLS}/render.sh", song, "-o", video, "--fps", "30", "--mode", "0", "--module", "2"],
                              env=user_env(out), stderr=subprocess.PIPE, text=True, start_new_session=True)
    log = []
    for line in render.stderr:
        log.append(line)
        progress = re.search(r"render: frame (\d+) of (\d+)", line)
        if progress and int(progress.group(1)) * 2 >= int(progress.group(2)):
            break
    # Its folders: the player folder it runs in, and the session its Wine processes run in.
    prefix = next(filter(None, (wine_prefix(pid) for pid in group_members(render.pid))), None)
    player = os.readlink(f"/proc/{render.pid}/cwd")
    mine = [os.path.dirname(folder) for folder in (prefix, player) if folder and folder.startswith(sessions)]
    sent = time.monotonic()
    if how == "wine":
        subprocess.run(["/usr/lib/wine/wineserver64", "-k"], env=dict(os.environ, WINEPREFIX=prefix or "/nonexistent"))
    else:
        (os.killpg if how == "group" else os.kill)(render.pid, sig)
    status = render.wait(timeout=60)
    took = time.monotonic() - sent
    log += render.stderr.readlines()
    print(f"---- {name}: exit {status} after {took:.1f} s\n{''.join(log)}")
    time.sleep(1)  # anything still on its way out
    expected = 128 + sig.value if sig else 1
    problems = []
    if status != expected or took > 10:
        problems.append(f"{name}: exit {status} after {took:.1f} s, expected {expected} within 10 s")
    if not sig and not re.search(r"cut short: \d+ of 600 frames|vishost failed", "".join(log)):
        problems.append(f"{name}: the render did not say it was cut short")
    if os.listdir(os.path.dirname(video)):
        problems.append(f"{name}: left {os.listdir(os.path.dirname(video))}")
    if not prefix:
        problems.append(f"{name}: no session of its own was seen ({mine})")
    if len(mine) != 2 or any(os.path.exists(folder) for folder in mine):
        problems.append(f"{name}: its session and player folders, {mine}, are not both gone")
    if own_processes(render.pid, prefix):
        problems.append(f"{name}: processes left: {own_processes(render.pid, prefix)}")
    return problems


def main():
    build, out, what = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), sys.argv[3]
    subprocess.run(["rm", "-rf", out])
    os.makedirs(out)
    if what == "--together":
        problems = check_together(build, out)
    else:
        song = make_song(build, out, 20, "twenty")
        problems = check_ended_halfway(build, out, song, "script", signal.SIGTERM) + \
            check_ended_halfway(build, out, song, "group", signal.SIGINT) + \
            check_ended_halfway(build, out, song, "wine")
    for problem in problems:
        print("FAIL:", problem)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
