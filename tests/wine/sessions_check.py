#!/usr/bin/env python3
"""Sessions that share a checkout, and renders that end cleanly.

usage: sessions_check.py BUILD_DIR OUTDIR --together | --signals

Every command runs as a user runs it, headless, outside any Wine session (each makes its own).
--together: two renders (6 s at 30 fps in graphics mode 0, 4 s at 25 fps in mode 1) and a play (4 s,
  5 captures a second) at once: all exit 0, the videos have 180 frames of 320 x 200 and 100 of
  320 x 240 (each its own --mode, in plugin.ini), the play captured about 20.
--signals: a render of 20 s at 30 fps is, halfway, sent SIGTERM (the script alone), SIGINT (its
  process group), or has its Wine processes killed: it exits 143, 130, or 1 saying it was cut
  short, within 10 s, and leaves no video, no partial file, no folder of its own and no process.
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
    return dict(env, XDG_CACHE_HOME=f"{out}/cache")


def make_song(build, out, seconds):
    if not os.path.exists(f"{out}/demo.wav"):
        subprocess.run([f"{TOOLS}/wine/wine-run.sh", f"{build}/player/vishost.exe", "--write-demo",
                        "Z:" + f"{out}/demo.wav".replace("/", "\\")], check=True)
    path = f"{out}/song-{seconds}.flac"
    subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-i", f"{out}/demo.wav", "-t", str(seconds), path],
                   check=True)
    return path


def video_frames(path):
    """Frames, width, height."""
    return subprocess.run(["ffprobe", "-v", "error", "-count_packets", "-select_streams", "v:0", "-show_entries",
                           "stream=nb_read_packets,width,height", "-of", "csv=p=0", path], stdout=subprocess.PIPE,
                          text=True).stdout.strip()


def check_together(build, out):
    six, four = make_song(build, out, 6), make_song(build, out, 4)
    render = [f"{TOOLS}/render.sh", "--module", "2"]
    jobs = {"render 1": (render + [six, "-o", f"{out}/one.mp4", "--fps", "30", "--mode", "0"], f"{out}/one.mp4",
                         "320,200,180"),
            "render 2": (render + [four, "-o", f"{out}/two.mp4", "--fps", "25", "--mode", "1"], f"{out}/two.mp4",
                         "320,240,100"),
            "play": ([f"{TOOLS}/play.sh", "--module", "2", "--seconds", "4", "--capture-fps", "5", "--out",
                      f"{out}/play", four], None, 20)}
    running = {name: subprocess.Popen(command, env=user_env(out), stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                      text=True, errors="replace") for name, (command, _, _) in jobs.items()}
    problems = []
    for name, process in running.items():
        text, _ = process.communicate(timeout=400)
        print(f"---- {name}: exit {process.returncode}\n{text}")
        _, video, expected = jobs[name]
        made = video_frames(video) if video else len(os.listdir(f"{out}/play/frames"))
        if process.returncode != 0 or (made != expected if video else abs(made - expected) > 2):
            problems.append(f"{name}: exit {process.returncode}, {made} frames, expected {expected}")
    return problems


def wine_prefix(pid):
    try:
        variables = open(f"/proc/{pid}/environ", "rb").read().split(b"\0")
    except OSError:
        return None
    return next((v[len(b"WINEPREFIX="):].decode() for v in variables if v.startswith(b"WINEPREFIX=")), None)


def processes(group, prefix=None):
    """The processes in the process group, or (with prefix) running in that Wine prefix."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if (os.getpgid(int(pid)) == group or (prefix and wine_prefix(pid) == prefix)) \
                    and open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()[0] != "Z":
                found.append(pid)
        except OSError:
            pass
    return found


def check_ended_halfway(build, out, song, how, sig=None):
    """how: "script" or "group" (sig sent there), or "wine" (the render's wineserver killed)."""
    name = f"{sig.name} to the {how}" if sig else "its Wine processes killed"
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
    # Its folders: the session its Wine processes run in, and the player folder it runs from.
    prefix = next(filter(None, map(wine_prefix, processes(render.pid))), "")
    mine = [os.path.dirname(f) for f in (prefix, os.readlink(f"/proc/{render.pid}/cwd"))
            if f.startswith(f"{build}/wine-sessions/")]
    sent = time.monotonic()
    if how == "wine":
        subprocess.run(["/usr/lib/wine/wineserver64", "-k"], env=dict(os.environ, WINEPREFIX=prefix or "/none"))
    else:
        (os.killpg if how == "group" else os.kill)(render.pid, sig)
    status = render.wait(timeout=60)
    took = time.monotonic() - sent
    log += render.stderr.readlines()
    print(f"---- {name}: exit {status} after {took:.1f} s\n{''.join(log)}")
    for _ in range(50):  # anything still on its way out, on a busy machine
        if not processes(render.pid, prefix):
            break
        time.sleep(0.2)
    problems = []
    if status != (128 + sig.value if sig else 1) or took > 10:
        problems.append(f"{name}: exit {status} after {took:.1f} s")
    if not sig and not re.search(r"cut short: \d+ of 600 frames|vishost failed", "".join(log)):
        problems.append(f"{name}: the render did not say it was cut short")
    if os.listdir(os.path.dirname(video)):
        problems.append(f"{name}: left {os.listdir(os.path.dirname(video))}")
    if len(mine) != 2 or any(map(os.path.exists, mine)):
        problems.append(f"{name}: its session and player folders, {mine}, are not both gone")
    if processes(render.pid, prefix):
        left = [open(f"/proc/{pid}/cmdline", "rb").read().replace(b"\0", b" ").decode(errors="replace")
                for pid in processes(render.pid, prefix) if os.path.exists(f"/proc/{pid}")]
        problems.append(f"{name}: processes left: {left}")
    return problems


def main():
    build, out, what = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), sys.argv[3]
    subprocess.run(["rm", "-rf", out])
    os.makedirs(out)
    if what == "--together":
        problems = check_together(build, out)
    else:
        song = make_song(build, out, 20)
        problems = check_ended_halfway(build, out, song, "script", signal.SIGTERM) + \
            check_ended_halfway(build, out, song, "group", signal.SIGINT) + check_ended_halfway(build, out, song, "wine")
    for problem in problems:
        print("FAIL:", problem)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
