#!/usr/bin/env python3
"""The README's examples, run as a new user runs them: the set-up command
(scripts/run, here with --version, which needs no display) with a home folder
of its own, then every "$ " line of the README's examples in bash, each
checked against the lines the README shows after it ("…" stands for any
text; "  # …" after a command or an output is a comment)."""
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

root = pathlib.Path(sys.argv[1])
readme = (root / "README.md").read_text()


def examples(text):
    """(command, expected lines) for each "$ " line of an indented block."""
    lines = text.splitlines()
    found = []
    for i, line in enumerate(lines):
        match = re.match(r"^( {4,})\$ (.*)$", line)
        if not match:
            continue
        indent, command = match.groups()
        expected = []
        for following in lines[i + 1:]:
            if not following.startswith(indent) or following.strip() == "" or \
                    following[len(indent):].startswith("$ "):
                break
            expected.append(following[len(indent):])
        found.append((re.sub(r"\s{2,}#.*$", "", command), expected))
    return found


def matches(expected, line):
    expected = re.sub(r"\s{2,}#.*$", "", expected)
    pattern = ".*".join(re.escape(part) for part in expected.split("…"))
    return re.fullmatch(pattern, line) is not None


home = pathlib.Path(tempfile.mkdtemp())
env = {k: v for k, v in os.environ.items()
       if k not in ("XDG_DATA_HOME", "RIDELON_ROUTE_SERVICE_BASE", "QT_QPA_PLATFORM")}
env["HOME"] = str(home)
failures = 0
try:
    setup = subprocess.run([str(root / "scripts/run"), "--version"], cwd=root, env=env,
                           capture_output=True, text=True)
    if setup.returncode != 0:
        print("the set-up command failed:", setup.stdout, setup.stderr)
        sys.exit(1)
    env["PATH"] = str(home / ".local/bin") + ":" + env["PATH"]
    for command, expected in examples(readme):
        # Both outputs in one, in the order they are written, as a terminal shows them.
        run = subprocess.run(["bash", "-c", command], cwd=root, env=env, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, text=True, timeout=60)
        output = run.stdout.splitlines()
        if len(output) != len(expected) or not all(map(matches, expected, output)):
            failures += 1
            print(f"FAILED: $ {command}\n  README: {expected}\n  got:    {output}")
    count = len(examples(readme))
    print(f"{count - failures} passed, {failures} failed: the README's examples")
finally:
    shutil.rmtree(home, ignore_errors=True)
sys.exit(1 if failures else 0)
