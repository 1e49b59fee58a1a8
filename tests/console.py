#!/usr/bin/env python3
"""Runs the Windows build in a real console, Wine's, in a tmux terminal: keys typed into it, and
the screen read off as a person sees it. The pause's prompt is the command processor's own, so
the screen is compared up to it.

Usage: console.py PROGRAM EMULATOR..."""

import os
import shlex
import subprocess
import sys
import time

import e2e

PAUSE = "Press any key to continue"
TYPED = "c 25"
SESSION = (e2e.GREETING + e2e.SCALE + TYPED.encode() + b"\n" + e2e.CEL
           + e2e.c(b"77", b"298.15")).decode()

# What is typed once a text shows on the screen, in turn; then what the screen must show, and
# the exit status.
CASES = [
    ("a conversion, then one key at the pause",
     [("(c/f/k) : ", [TYPED, "Enter"]), (PAUSE, ["y"])], SESSION + PAUSE, 0),
    ("Ctrl-Z, then Enter, at the scale prompt ends the input",
     [("(c/f/k) : ", ["C-z", "Enter"])],
     # The console echoes ^Z and the Enter; the program's own line end follows.
     (e2e.GREETING + e2e.SCALE).decode() + "^Z\n\n" + e2e.ENDED.decode(), 1),
]


def lines(text):
    """The text as the screen holds it: no blanks at line ends, no empty lines at the end."""
    return "\n".join(line.rstrip() for line in text.splitlines()).rstrip("\n")


class Console:
    """The program in a fresh tmux server's terminal, where Ctrl-Z is not the stop key, so that
    it reaches the program as Windows' end-of-input key."""

    def __init__(self, command):
        self.socket = f"tempconv-console-{os.getpid()}-{time.monotonic_ns()}"
        script = f"stty susp undef; {shlex.join(command)}; echo \"status $?\"; sleep 600"
        self.tmux("new-session", "-d", "-x", "120", "-y", "40", script)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        subprocess.run(["tmux", "-L", self.socket, "kill-server"], capture_output=True)

    def tmux(self, *args):
        return subprocess.run(["tmux", "-L", self.socket, *args], check=True,
                              capture_output=True, text=True).stdout

    def screen(self):
        return lines(self.tmux("capture-pane", "-p"))

    def wait_for(self, text, timeout=30):
        text = lines(text)
        deadline = time.monotonic() + timeout
        while text not in self.screen():
            if time.monotonic() > deadline:
                raise AssertionError(f"no {text!r} on the screen; it shows\n{self.screen()}")
            time.sleep(0.1)

    def waiting(self):
        """Whether the program still waits for input, a moment after its last output."""
        time.sleep(0.5)
        return "status " not in self.screen()


def check(command, steps, shown, status):
    with Console(command) as console:
        for text, keys in steps:
            console.wait_for(text)
            assert console.waiting(), f"the program did not wait at {text!r}:\n{console.screen()}"
            console.tmux("send-keys", *keys)
        console.wait_for("status ")
        screen = console.screen()
    head, _, tail = screen.rpartition("status ")
    head, shown = lines(head), lines(shown)
    # The rest of the pause's line is the command processor's.
    assert head == shown or (shown.endswith(PAUSE) and head.startswith(shown)
                             and "\n" not in head[len(shown):]), \
        f"the screen shows\n{screen}\nwant\n{shown}"
    assert tail == str(status), f"exit status {tail}, want {status}"


def main():
    command = sys.argv[2:] + [sys.argv[1]]
    return e2e.report_checks((name, lambda case=case: check(command, *case))
                             for name, *case in CASES)


if __name__ == "__main__":
    sys.exit(main())
