#!/usr/bin/env python3
"""Plants one fault at a time in the pure-logic sources and reports the faults the unit tests miss.

Each fault (a "mutant") is one small edit of one source line:
  - a numeric literal times 2, halved, plus 1 or minus 1;
  - a comparison made non-strict / strict, or turned the other way; == and != swapped;
  - a binary + turned into - and back (also += / -=);
  - two subscripts of the same array on one line swapped (channel 0 read for channel 1 ...).
The tool writes the mutant into the source, rebuilds the unit-test programs that cover the file
in a build tree of its own (incrementally), runs them with a time limit and puts the source back,
always: also on Ctrl-C, and at the next start if a run was killed. A mutant is caught when a test
fails, crashes or hangs; one that does not compile is not counted.

Mutants that no caller could ever notice are listed in tools/mutate/mutants-allowed.txt, one a line:
    path:line:column: description -- reason
They are reported apart and do not count as survivors.

Examples:
    tools/mutate/mutate.py                                  # every mutant of every listed source
    tools/mutate/mutate.py --files viewer --limit 40        # 40 mutants of the viewer, sampled
    tools/mutate/mutate.py --files plugin/effects/water.cpp --list
"""
import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time
from collections import OrderedDict

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.join(ROOT, "build", "mutants")
ALLOWED = os.path.join(ROOT, "tools", "mutate", "mutants-allowed.txt")
BACKUP_SUFFIX = ".mutate-original"

# The sources whose arithmetic the unit tests must pin down, and the test programs that cover them.
SOURCES = [
    "plugin/render", "plugin/effects", "plugin/scheduler.cpp", "plugin/composer.cpp",
    "plugin/settings/settings.cpp",
    "viewer/beat_detector.cpp", "viewer/scene.cpp", "viewer/frame_reader.cpp", "viewer/tga.cpp",
    "host/frequency_bins.cpp", "host/input/wav_reader.cpp", "host/input/mp3_stream.cpp",
]
TEST_PROGRAMS = {  # the first matching prefix decides
    "plugin/": ["tests/plugin_tests"],
    "viewer/tga.cpp": ["tests/viewer/quorbel_tests", "tests/viewer/quorbel_gl_tests"],
    "viewer/": ["tests/viewer/quorbel_tests", "tests/host/host_tests"],
    "host/": ["tests/host/host_tests"],
}
NEEDS_DISPLAY = {"tests/viewer/quorbel_gl_tests"}  # run on a private Xvfb when there is no display


class Mutant:
    def __init__(self, path, line, column, start, end, replacement, description):
        self.path, self.line, self.column = path, line, column  # path relative to ROOT; 1-based
        self.start, self.end = start, end                        # character span in the file's text
        self.replacement, self.description = replacement, description

    def key(self):
        return f"{self.path}:{self.line}:{self.column}: {self.description}"


# ---- Finding mutants -------------------------------------------------------------------------

def masked(text):
    """The text with comments, string and character literals and preprocessor lines blanked out
    (same length, line ends kept), so that only code is mutated."""
    out = list(text)
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == "#" or text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out[i:j] = " " * (j - i)
            i = j
            continue
        if text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out[i:j] = [ch if ch == "\n" else " " for ch in text[i:j]]
            i = j
            continue
        if c in "\"'" and not (c == "'" and i > 0 and text[i - 1].isalnum()):
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out[i:j] = " " * (j - i)
            i = j
            continue
        if c == "\n":
            line_start = True
        elif not c.isspace():
            line_start = False
        i += 1
    return "".join(out)


NUMBER = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F]+|(?:\d+\.\d*|\.\d+|\d+)(?:[eE][+-]?\d+)?)([uUlLfF]*)(?![\w.])")
COMPARISON = re.compile(r"(?<= )(<=|>=|==|!=|<|>)(?= )")
ADDITIVE = re.compile(r"(?<= )([+-]=?)(?= )")
SUBSCRIPT = re.compile(r"([A-Za-z_]\w*(?:(?:\.|->)[A-Za-z_]\w*)*)\[([^\[\]]+)\]")
COMPARISON_MUTANTS = {"<": ["<=", ">"], "<=": ["<", ">="], ">": [">=", "<"], ">=": [">", "<="],
                      "==": ["!="], "!=": ["=="]}


def literal_mutants(token, suffix):
    """The changed literals for one numeric token: x2, /2, +1, -1 without repeats or no-ops."""
    is_float = ("." in token or "e" in token.lower() or "f" in suffix.lower()) and not token.lower().startswith("0x")
    unsigned = "u" in suffix.lower()
    if is_float:
        value = float(token)
        candidates = [("x2", value * 2), ("/2", value / 2), ("+1", value + 1), ("-1", value - 1)]
        text = lambda v: repr(v) if "f" not in suffix.lower() else repr(v) + "f"
        fix = lambda s: s if ("." in s or "e" in s or "inf" in s) else s.replace("f", ".0f") if s.endswith("f") else s + ".0"
        render = lambda v: "(" + fix(text(v)) + ")" if v < 0 else fix(text(v))
    else:
        value = int(token, 0)
        candidates = [("x2", value * 2), ("/2", value // 2), ("+1", value + 1), ("-1", value - 1)]
        hexa = token.lower().startswith("0x")
        render = lambda v: ("(" + str(v) + suffix + ")") if v < 0 else (hex(v) if hexa else str(v)) + suffix
        if unsigned:
            candidates = [c for c in candidates if c[1] >= 0]
    seen, out = {value}, []
    for name, v in candidates:
        if v in seen:
            continue
        seen.add(v)
        out.append((name, render(v)))
    return out


def mutants_of(path):
    text = open(os.path.join(ROOT, path), encoding="utf-8").read()
    code = masked(text)
    line_starts = [0] + [i + 1 for i, c in enumerate(text) if c == "\n"]
    found = []

    def add(start, end, replacement, description):
        line = next(k for k in range(len(line_starts), 0, -1) if line_starts[k - 1] <= start)
        found.append(Mutant(path, line, start - line_starts[line - 1] + 1, start, end, replacement, description))

    for m in NUMBER.finditer(code):
        token, suffix = m.group(1), m.group(2)
        for name, new in literal_mutants(token, suffix):
            add(m.start(), m.end(), new, f"{m.group(0)} -> {new} ({name})")
    for m in COMPARISON.finditer(code):
        for new in COMPARISON_MUTANTS[m.group(1)]:
            add(m.start(), m.end(), new, f"'{m.group(1)}' -> '{new}'")
    for m in ADDITIVE.finditer(code):
        new = m.group(1).translate(str.maketrans("+-", "-+"))
        add(m.start(), m.end(), new, f"'{m.group(1)}' -> '{new}'")
    # Two reads of one array on a line: the subscripts swapped (neighbours only).
    offset = 0
    for line_text in code.split("\n"):
        subs = list(SUBSCRIPT.finditer(line_text))
        for a, b in zip(subs, subs[1:]):
            if a.group(1) == b.group(1) and a.group(2).strip() != b.group(2).strip():
                start, end = offset + a.start(2), offset + b.end(2)
                middle = text[offset + a.end(2):offset + b.start(2)]
                add(start, end, b.group(2) + middle + a.group(2),
                    f"{a.group(1)}[{a.group(2)}] <-> {b.group(1)}[{b.group(2)}]")
        offset += len(line_text) + 1
    return found


def source_files(selection):
    chosen = []
    for entry in SOURCES:
        full = os.path.join(ROOT, entry)
        names = sorted(os.path.join(entry, f) for f in os.listdir(full) if f.endswith(".cpp")) \
            if os.path.isdir(full) else [entry]
        chosen += [n for n in names if not selection or any(n == s or n.startswith(s.rstrip("/") + "/") for s in selection)]
    return chosen


def allowed_list():
    allowed = {}
    if os.path.exists(ALLOWED):
        for line in open(ALLOWED, encoding="utf-8"):
            line = line.strip()
            if line and not line.startswith("#"):
                key, _, reason = line.partition(" -- ")
                allowed[key.strip()] = reason.strip()
    return allowed


# ---- Building and running ----------------------------------------------------------------------

def programs_for(path):
    return next(p for prefix, p in TEST_PROGRAMS.items() if path.startswith(prefix))


def targets_of(programs):
    return sorted({os.path.basename(p) for p in programs})


def build(targets, quiet=True):
    # In a session of its own, so that an interrupted run stops the compiler before the source is
    # put back (a compiler finishing later would leave a mutant's object newer than the source).
    process = subprocess.Popen(["cmake", "--build", BUILD, "-j", "2", "--target", *targets],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, start_new_session=True)
    try:
        output, _ = process.communicate()
    except BaseException:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        raise
    if not quiet and process.returncode != 0:
        sys.stdout.write(output.decode(errors="replace")[-4000:])
    return process.returncode == 0


def run_tests(programs, limit):
    """'passed', 'failed' or 'hung' for the programs in turn (stops at the first failure)."""
    for program in programs:
        binary = os.path.join(BUILD, program)
        process = subprocess.Popen([binary, "--gtest_brief=1", "--gtest_fail_fast"], cwd=os.path.dirname(binary),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        try:
            if process.wait(timeout=limit) != 0:
                return "failed"
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            return "hung"
        except BaseException:
            os.killpg(process.pid, signal.SIGKILL)
            raise
    return "passed"


class PlantedSource:
    """Writes a mutant into its file and always puts the original back."""

    def __init__(self, mutant):
        self.path = os.path.join(ROOT, mutant.path)
        self.mutant = mutant

    def __enter__(self):
        self.original = open(self.path, encoding="utf-8").read()
        with open(self.path + BACKUP_SUFFIX, "w", encoding="utf-8") as backup:
            backup.write(self.original)
        m = self.mutant
        with open(self.path, "w", encoding="utf-8") as f:
            f.write(self.original[:m.start] + m.replacement + self.original[m.end:])
        return self

    def __exit__(self, *exc):
        with open(self.path, "w", encoding="utf-8") as f:
            f.write(self.original)
        # Newer than any object built from the mutant, so the next build recompiles it.
        os.utime(self.path)
        os.remove(self.path + BACKUP_SUFFIX)
        return False


def restore_leftovers():
    """Puts back any source a killed run left mutated."""
    for entry in SOURCES:
        folder = os.path.join(ROOT, entry if os.path.isdir(os.path.join(ROOT, entry)) else os.path.dirname(entry))
        for name in os.listdir(folder):
            if name.endswith(BACKUP_SUFFIX):
                backup = os.path.join(folder, name)
                os.replace(backup, backup[:-len(BACKUP_SUFFIX)])
                os.utime(backup[:-len(BACKUP_SUFFIX)])
                print(f"mutate: restored {os.path.relpath(backup[:-len(BACKUP_SUFFIX)], ROOT)} from a killed run")


def start_display():
    """A private Xvfb for the OpenGL tests; returns the process (None when a display exists)."""
    if os.environ.get("DISPLAY"):
        return None
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-screen", "0", "640x480x24"],
                              pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as display:
        os.environ["DISPLAY"] = ":" + display.readline().strip()
    return server


def configure(sanitize):
    if not os.path.exists(os.path.join(BUILD, "CMakeCache.txt")):
        subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-DCMAKE_BUILD_TYPE=None", "-DCMAKE_CXX_FLAGS=-O1",
                        f"-DVEXIL_SANITIZE={'ON' if sanitize else 'OFF'}"], check=True, stdout=subprocess.DEVNULL)


# ---- The run -------------------------------------------------------------------------------------

def folder_of(path):
    return os.path.dirname(path) if path.startswith("plugin/") else path.split("/")[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--files", nargs="*", default=[], help="source files or folders to mutate (default: all listed)")
    parser.add_argument("--limit", type=int, default=0, help="mutate only this many, sampled at random")
    parser.add_argument("--seed", type=int, default=1, help="seed of the sample")
    parser.add_argument("--timeout", type=float, default=0, help="seconds a test program may run (default: 5x its clean run)")
    parser.add_argument("--keys", help="run only the mutants named in this file (lines 'path:line:column: description',"
                        " as --list and the report print them)")
    parser.add_argument("--sanitize", action="store_true",
                        help="build the tests with AddressSanitizer and UndefinedBehaviorSanitizer (build/mutants-sanitize):"
                        " slower, but a mutant that reads or writes out of bounds is caught")
    parser.add_argument("--list", action="store_true", help="list the mutants and stop")
    args = parser.parse_args()

    restore_leftovers()
    files = source_files(args.files)
    if not files:
        sys.exit("mutate: no listed source matches " + " ".join(args.files))
    mutants = [m for f in files for m in mutants_of(f)]
    if args.keys:
        # A name without its column stands for every mutant of that description on the line.
        wanted = {re.sub(r"^(survived|equivalent): ", "", l.strip()).split(" -- ")[0] for l in open(args.keys)}
        mutants = [m for m in mutants
                   if m.key() in wanted or f"{m.path}:{m.line}: {m.description}" in wanted]
    if args.limit and args.limit < len(mutants):
        mutants = random.Random(args.seed).sample(mutants, args.limit)
        mutants.sort(key=lambda m: (m.path, m.start))
        sampled = f"a sample of {args.limit} (seed {args.seed})"
    else:
        sampled = "all"
    if args.list:
        for m in mutants:
            print(m.key())
        print(f"{len(mutants)} mutants")
        return 0
    allowed = allowed_list()

    if args.sanitize:
        global BUILD
        BUILD = BUILD + "-sanitize"
    configure(args.sanitize)
    programs = sorted({p for f in files for p in programs_for(f)})
    display = start_display() if NEEDS_DISPLAY & set(programs) else None
    try:
        return run_all(args, files, mutants, sampled, allowed, programs)
    finally:
        if display:
            display.terminate()
            display.wait()


def run_all(args, files, mutants, sampled, allowed, programs):
    every_target = targets_of(programs)
    if not build(every_target, quiet=False):
        sys.exit("mutate: the unit tests do not build without mutants")
    limit = args.timeout
    if not limit:
        started = time.time()
        if run_tests(programs, 600) != "passed":
            sys.exit("mutate: the unit tests fail without mutants")
        limit = max(20.0, 5 * (time.time() - started))
    print(f"mutate: {len(mutants)} mutants ({sampled}) in {len(files)} files, {limit:.0f} s per run", flush=True)

    tally = OrderedDict()
    survivors, equivalent = [], []
    try:
        for number, m in enumerate(mutants, 1):
            with PlantedSource(m):
                outcome = run_tests(programs_for(m.path), limit) if build(targets_of(programs_for(m.path))) else "no build"
            row = tally.setdefault(folder_of(m.path), {"planted": 0, "caught": 0, "equivalent": 0, "survived": 0, "no build": 0})
            if outcome == "no build":
                row["no build"] += 1
            elif outcome in ("failed", "hung"):
                row["planted"] += 1
                row["caught"] += 1
            elif m.key() in allowed:
                row["planted"] += 1
                row["equivalent"] += 1
                equivalent.append(m)
            else:
                row["planted"] += 1
                row["survived"] += 1
                survivors.append(m)
            print(f"[{number}/{len(mutants)}] {outcome:8} {m.key()}", flush=True)
    except KeyboardInterrupt:
        print("mutate: interrupted; the sources are restored, the counts cover the mutants run so far")
    finally:
        # The build tree holds the last mutant's objects: rebuild from the restored sources.
        build(every_target)
    report(tally, survivors, equivalent, allowed, sampled)
    return 1 if survivors else 0


def report(tally, survivors, equivalent, allowed, sampled):
    print(f"\nMutants ({sampled}); caught = a test failed, crashed or hung; 'no build' are not counted")
    print(f"{'folder':24} {'planted':>7} {'caught':>7} {'equiv.':>7} {'survived':>8} {'caught %':>8} {'no build':>8}")
    total = {"planted": 0, "caught": 0, "equivalent": 0, "survived": 0, "no build": 0}
    for folder, row in sorted(tally.items()):
        for k in total:
            total[k] += row[k]
        print_row(folder, row)
    print_row("all", total)
    for m in survivors:
        print(f"survived: {m.key()}")
    for m in equivalent:
        print(f"equivalent: {m.key()} -- {allowed[m.key()]}")


def print_row(name, row):
    judged = row["planted"] - row["equivalent"]
    share = f"{100.0 * row['caught'] / judged:.0f}" if judged else "-"
    print(f"{name:24} {row['planted']:7} {row['caught']:7} {row['equivalent']:7} {row['survived']:8} {share:>8} {row['no build']:8}")


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    signal.signal(signal.SIGHUP, signal.default_int_handler)
    sys.exit(main())
