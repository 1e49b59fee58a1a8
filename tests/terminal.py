#!/usr/bin/env python3
"""Runs the built tempconv on a pseudo-terminal, as a person at a terminal would: the README's
sample session, end of input, and the pause's wait for one key, which must leave the terminal
as it found it.

Usage: terminal.py PROGRAM README"""

import fcntl
import os
import re
import select
import signal
import subprocess
import sys
import termios
import time

import e2e

PAUSE = e2e.PAUSE[:-1]

# What reaches the pause (typed keys, sent apart, or a signal), and the exit status it gives.
PAUSE_CASES = [
    ("a plain key", [b"y"], 0),
    ("an arrow key", [b"\x1b[A"], 0),
    ("an arrow key that arrives in two parts", [b"\x1b", b"[A"], 0),
    ("Ctrl-Z", [b"\x1a"], 0),
    ("Ctrl-C", [b"\x03"], -signal.SIGINT),
    ("SIGTERM", signal.SIGTERM, -signal.SIGTERM),
    ("SIGHUP", signal.SIGHUP, -signal.SIGHUP),
]


class Terminal:
    """The program on a fresh pseudo-terminal that is its controlling terminal."""

    def __init__(self, program):
        self.master, self.slave = os.openpty()
        self.before = termios.tcgetattr(self.slave)
        self.seen, self.mark = b"", 0
        self.proc = subprocess.Popen(
            [program], stdin=self.slave, stdout=self.slave, stderr=self.slave,
            start_new_session=True, preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.proc.kill()
        os.close(self.master)
        os.close(self.slave)

    def read_until(self, needle, timeout=10):
        """Waits for `needle` to appear after the last one waited for."""
        deadline = time.monotonic() + timeout
        while needle not in self.seen[self.mark:]:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.master], [], [], left)[0]:
                raise AssertionError(f"no {needle!r} on the screen; it shows {self.seen[-300:]!r}")
            self.seen += os.read(self.master, 4096)
        self.mark = self.seen.index(needle, self.mark) + len(needle)

    def answer(self, prompt, text):
        self.read_until(prompt)
        os.write(self.master, text)

    def finish(self):
        """Waits for the program's end; returns its status, the screen with LF line ends, the
        terminal's settings, and any input left waiting for the next program."""
        try:
            status = self.proc.wait(10)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end")
        while select.select([self.master], [], [], 0.05)[0]:
            self.seen += os.read(self.master, 4096)
        after = termios.tcgetattr(self.slave)
        raw = [*after[:3], after[3] & ~termios.ICANON, *after[4:6], list(after[6])]
        raw[6][termios.VMIN] = raw[6][termios.VTIME] = 0
        termios.tcsetattr(self.slave, termios.TCSANOW, raw)
        pending = os.read(self.slave, 4096)
        assert after == self.before, f"terminal settings changed:\n{self.before}\n{after}"
        return status, self.seen.replace(b"\r\n", b"\n"), pending


def readme_session(program, readme):
    """The sample session in the README is what a terminal really shows."""
    block = re.search(r"```console\n\$ [^\n]*\n(.*?)```", open(readme).read(), re.S)
    assert block, "the README has no ```console block starting with a $ command"
    with Terminal(program) as term:
        for prompt, answer in [(b"(c/f/k) : ", b"x\n"), (b"(c/f/k) : ", b"c\n"),
                               (b"Celsius : ", b"25\n")]:
            term.answer(prompt, answer)
            term.read_until(answer.replace(b"\n", b"\r\n"))
        term.answer(PAUSE, b"y")
        status, shown, _ = term.finish()
    assert status == 0, f"exit status {status}"
    assert shown.decode() == block.group(1), f"the terminal shows\n{shown!r}"


def end_of_input(program):
    """Ctrl-D at the scale prompt ends the run: the prompt's line is ended, then the message."""
    with Terminal(program) as term:
        term.answer(b"(c/f/k) : ", b"\x04")
        status, shown, _ = term.finish()
    assert status == 1, f"exit status {status}"
    assert shown.endswith(b"(c/f/k) : \n" + e2e.ENDED), f"the screen ends {shown[-80:]!r}"


def pause(reaching, want_status):
    def check(program):
        """The pause waits for one key, takes all of it without echo, and restores the terminal
        on every way out."""
        with Terminal(program) as term:
            term.answer(b"(c/f/k) : ", b"c 25\n")
            term.read_until(PAUSE)
            time.sleep(0.2)
            assert term.proc.poll() is None, "the pause did not wait for a key"
            if isinstance(reaching, list):
                for part in reaching:
                    os.write(term.master, part)
                    time.sleep(0.01)
            else:
                term.proc.send_signal(reaching)
            status, shown, pending = term.finish()
        assert status == want_status, f"exit status {status}, want {want_status}"
        assert pending == b"", f"{pending!r} was left for the shell"
        if want_status == 0:
            assert shown.endswith(b"Kelvin is : 298.15\n\n" + e2e.PAUSE), f"the screen ends " \
                f"{shown[-80:]!r}"
    return check


def main():
    program, readme = sys.argv[1:3]
    cases = [("README sample session", lambda p: readme_session(p, readme)),
             ("Ctrl-D at the scale prompt", end_of_input)]
    cases += [(name, pause(reaching, status)) for name, reaching, status in PAUSE_CASES]

    def results():
        for name, check in cases:
            try:
                check(program)
                yield name, []
            except AssertionError as problem:
                yield name, [str(problem)]

    return e2e.report(results())


if __name__ == "__main__":
    sys.exit(main())
