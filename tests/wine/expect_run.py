#!/usr/bin/env python3
"""Runs one program and checks both its exit status and what it printed.

Usage: expect_run.py --status N [--output REGEX] [--reject REGEX] -- PROGRAM [ARGS...]

The output is standard output and standard error together. REGEX (Python's syntax; '.' stops at
a line end, '(.|\n)*' spans lines) is searched in all of it. The test passes only when the status is N,
--output is found and --reject is not; a crash or a hang never passes.
"""
import argparse
import re
import subprocess
import sys


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--status", type=int, required=True)
    parser.add_argument("--output")
    parser.add_argument("--reject")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no program to run")
    run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    output = run.stdout.decode("utf-8", "replace")
    sys.stdout.write(output)
    failures = []
    if run.returncode != args.status:
        failures.append(f"exit status {run.returncode}, expected {args.status}")
    if args.output and not re.search(args.output, output):
        failures.append(f"the output does not match: {args.output!r}")
    if args.reject and re.search(args.reject, output):
        failures.append(f"the output matches what it must not: {args.reject!r}")
    for failure in failures:
        print(f"expect_run: {failure}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
