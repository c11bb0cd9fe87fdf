#!/usr/bin/env python3
"""quorbel-feed against a real PulseAudio server (run inside pulse_session.sh).

  feed_check.py QUORBEL_FEED WORK_DIR

Plays eight kicks (make_beat.py) into the null sink with paplay while the feeder records its
monitor, and reads the frame file the way quorbel does, as often as it can. Then the server
goes away and comes back. Also: with no server the feeder says so in one line and fails.
"""
import collections
import ctypes
import os
import struct
import signal
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
KICKS, PERIOD = 8, 0.5
problems = []


def fail(text):
    problems.append(text)
    print("feed: FAIL:", text, file=sys.stderr)


class RenameCounter:
    """Counts the renames onto `path` with inotify: every one is a frame written whole."""

    IN_MOVED_TO = 0x80

    def __init__(self, path):
        libc = ctypes.CDLL(None, use_errno=True)
        self.fd = libc.inotify_init1(os.O_CLOEXEC)
        libc.inotify_add_watch(self.fd, os.path.dirname(path).encode(), self.IN_MOVED_TO)
        self.name, self.count = os.path.basename(path).encode(), 0
        threading.Thread(target=self._run, daemon=True).start()

    def _run(self):
        while True:
            data, at = os.read(self.fd, 65536), 0
            while at < len(data):
                length = struct.unpack_from("iIII", data, at)[3]
                if data[at + 16:at + 16 + length].rstrip(b"\0") == self.name:
                    self.count += 1
                at += 16 + length


def read_values(path):
    try:
        with open(path, "rb") as f:
            return [int(v) for v in f.read().split()]
    except (FileNotFoundError, ValueError):
        return None


def band(values, b):
    return sum(values[36 * b:36 * b + 36]) // 36


def wait_for(predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.02)
    return False


def no_server(feeder, work):
    env = dict(os.environ, PULSE_SERVER="unix:" + os.path.join(work, "no-server"), WINEPREFIX=work)
    run = subprocess.run([feeder], env=env, capture_output=True, text=True, timeout=20)
    lines = run.stderr.strip().splitlines()
    print("feed: without a server:", run.returncode, lines)
    if run.returncode == 0 or len(lines) != 1 or "no sound server" not in lines[0]:
        fail("without a server the feeder must fail with one line saying so")


def record_kicks(feeder, work, frame_file, log):
    beat = os.path.join(work, "beat.wav")
    subprocess.run([sys.executable, os.path.join(HERE, "make_beat.py"), beat, str(KICKS), str(PERIOD)], check=True)
    renames = RenameCounter(frame_file)
    # A new recording stream may take a second or two to come up to pace: play once it has.
    if not wait_for(lambda: renames.count >= 30, 10):
        fail("the feeder does not keep writing frames")
        return
    renames.count = 0
    player = subprocess.Popen(["paplay", beat])
    samples, start = [], time.monotonic()
    while player.poll() is None or time.monotonic() - start < KICKS * PERIOD + 0.5:
        values = read_values(frame_file)
        if values is None or len(values) != 576:
            fail(f"a frame file with {None if values is None else len(values)} numbers was read")
            break
        samples.append((time.monotonic() - start, values))
        time.sleep(0.002)
    player.wait()
    seconds = samples[-1][0] - samples[0][0]
    rate = renames.count / seconds
    low = [band(v, 0) for _, v in samples]
    print(f"feed: {len(samples)} reads in {seconds:.1f} s, {rate:.0f} frames written a second")
    print("feed: band 0 over time:", "".join(str(min(9, level // 3)) for level in low[::10]))
    if not 45 <= rate <= 66:
        fail(f"the frame file changed {rate:.0f} times a second, not 60")
    # Inside a kick the spectrum is known by hand (make_beat.py); windows across a kick's edges
    # are broader (a sine cut off splashes over many bins), so the kick's own frame must be the
    # most common loud one, and nothing but the left channel's kicks may show.
    loud = collections.Counter(tuple(v[:288]) for v, level in zip((v for _, v in samples), low) if level >= 10)
    expected = (0, 127, 255, 255, 127) + (0,) * 283
    kick_frame, seen = loud.most_common(1)[0] if loud else ((), 0)
    print(f"feed: most common loud frame ({seen} of {sum(loud.values())} reads):", kick_frame[:8], "band 0",
          sum(kick_frame[:36]) // 36)
    if kick_frame != expected:
        fail("inside a kick channel 0 is not 0 127 255 255 127 0 ... (band 0 = 21)")
    if min(low) != 0:
        fail(f"band 0 never falls to 0 between kicks (lowest {min(low)})")
    right = max(max(v[288:]) for _, v in samples)
    if right != 0:
        fail(f"the silent right channel reaches {right}")
    # A kick: band 0 from silence (at most 1) up past 10, at most once per half period.
    kicks, last_rise, armed = 0, -1.0, False
    for (t, _), level in zip(samples, low):
        armed = armed or level <= 1
        if armed and level >= 10 and t - last_rise > PERIOD / 2:
            kicks, last_rise, armed = kicks + 1, t, False
    print(f"feed: band 0 rose {kicks} times for {KICKS} kicks")
    if kicks != KICKS:
        fail(f"band 0 rose {kicks} times, not once per kick ({KICKS})")


def server_goes_away(frame_file, log):
    session = os.environ["PULSE_SESSION"]
    subprocess.run([session, "stop"], check=True)
    if not wait_for(lambda: "lost the sound server" in open(log).read(), 5):
        fail("the feeder did not say that the server went away")
    elif read_values(frame_file) != [0] * 576:
        fail("without a server the frame file does not fall silent")
    subprocess.run([session, "start"], check=True)
    before = os.stat(frame_file).st_mtime_ns
    if not wait_for(lambda: "the sound server is back" in open(log).read(), 5):
        fail("the feeder did not come back to the restarted server")
    elif not wait_for(lambda: os.stat(frame_file).st_mtime_ns != before, 2):
        fail("no frames after the server came back")
    print("feed: after the server went away and came back:", open(log).read().strip().splitlines()[1:])


def main():
    feeder, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    no_server(feeder, work)
    prefix = os.path.join(work, "prefix")  # no drive_c yet: the feeder makes the folder
    frame_file = os.path.join(prefix, "drive_c", "data.txt")
    log = os.path.join(work, "feeder.log")
    with open(log, "w") as err:
        proc = subprocess.Popen([feeder], env=dict(os.environ, WINEPREFIX=prefix), stderr=err)
    try:
        if not wait_for(lambda: os.path.exists(frame_file), 5):
            fail("no frame file at " + frame_file)
        else:
            record_kicks(feeder, work, frame_file, log)
            server_goes_away(frame_file, log)
    finally:
        proc.send_signal(signal.SIGTERM)
        status = proc.wait(timeout=5)
    if status != 0:
        fail(f"the feeder ended with status {status} when asked to stop")
    if os.path.exists(frame_file + ".tmp"):
        fail("a temporary frame file was left behind")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
