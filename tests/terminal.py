#!/usr/bin/env python3
"""Runs the built tempconv on a pseudo-terminal, as a person at a terminal would: the README's
sample session, and the pause's wait for one key, which must leave the terminal as it found it.

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

PAUSE = b"Press any key to continue . . . "


class Terminal:
    """The program on a fresh pseudo-terminal that is its controlling terminal."""

    def __init__(self, program):
        self.master, self.slave = os.openpty()
        self.before = termios.tcgetattr(self.slave)
        self.seen = b""
        self.mark = 0
        self.proc = subprocess.Popen(
            [program], stdin=self.slave, stdout=self.slave, stderr=self.slave,
            start_new_session=True, preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))

    def read_until(self, needle, timeout=10):
        """Waits for `needle` to appear after the last one waited for."""
        deadline = time.monotonic() + timeout
        while needle not in self.seen[self.mark:]:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.master], [], [], left)[0]:
                raise AssertionError(f"no {needle!r} on the screen; it shows {self.seen[-300:]!r}")
            self.seen += os.read(self.master, 4096)
        self.mark = self.seen.index(needle, self.mark) + len(needle)

    def type(self, data):
        os.write(self.master, data)

    def finish(self, timeout=10):
        """Waits for the program to end; returns its status and all it wrote."""
        try:
            status = self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            raise AssertionError("the program did not end")
        while select.select([self.master], [], [], 0.05)[0]:
            self.seen += os.read(self.master, 4096)
        return status, self.seen

    def left_behind(self):
        """The terminal's settings now, and any input still waiting for the next program."""
        after = termios.tcgetattr(self.slave)
        raw = list(after)
        raw[3] &= ~termios.ICANON
        raw[6] = list(raw[6])
        raw[6][termios.VMIN] = 0
        raw[6][termios.VTIME] = 0
        termios.tcsetattr(self.slave, termios.TCSANOW, raw)
        pending = os.read(self.slave, 4096)
        return after, pending

    def close(self):
        os.close(self.master)
        os.close(self.slave)


def readme_session(program, readme):
    """The sample session in the README is what a terminal really shows."""
    text = open(readme, encoding="utf-8").read()
    block = re.search(r"```console\n\$ [^\n]*\n(.*?)```", text, re.S)
    assert block, "the README has no ```console block starting with a $ command"
    term = Terminal(program)
    try:
        for prompt, answer in [(b"(c/f/k) : ", b"x\n"), (b"(c/f/k) : ", b"c\n"),
                               (b"Celsius : ", b"25\n")]:
            term.read_until(prompt)
            term.type(answer)
            term.read_until(answer.replace(b"\n", b"\r\n"))
        term.read_until(PAUSE)
        term.type(b"y")
        status, seen = term.finish()
    finally:
        term.close()
    assert status == 0, f"exit status {status}"
    shown = seen.replace(b"\r\n", b"\n").decode()
    assert shown == block.group(1), f"the terminal shows\n{shown!r}\nthe README says\n{block.group(1)!r}"


def to_the_pause(program):
    term = Terminal(program)
    term.read_until(b"(c/f/k) : ")
    term.type(b"c 25\n")
    term.read_until(PAUSE)
    return term


def key_press(*parts):
    def check(program):
        """The pause waits for one key, takes all of it without echo, and restores the terminal."""
        term = to_the_pause(program)
        try:
            time.sleep(0.2)
            assert term.proc.poll() is None, "the pause did not wait for a key"
            for part in parts:
                term.type(part)
                time.sleep(0.01)
            status, seen = term.finish()
            after, pending = term.left_behind()
        finally:
            term.close()
        assert status == 0, f"exit status {status}"
        assert b"Temperature in Kelvin is : 298.15\r\n\r\n" in seen, "the results are missing"
        tail = seen[seen.index(PAUSE) + len(PAUSE):]
        assert tail == b"\r\n", f"after the pause prompt the screen shows {tail!r}"
        assert after == term.before, f"terminal settings changed:\n{term.before}\n{after}"
        assert pending == b"", f"{pending!r} was left for the shell"
    return check


def interrupted(how, sig):
    def check(program):
        """A signal during the pause ends the program and leaves the terminal as it was."""
        term = to_the_pause(program)
        try:
            time.sleep(0.2)
            if how is None:
                term.proc.send_signal(sig)
            else:
                term.type(how)
            status, _ = term.finish()
            after, _ = term.left_behind()
        finally:
            term.close()
        assert status == -sig, f"exit status {status}, want death by signal {sig}"
        assert after == term.before, f"terminal settings changed:\n{term.before}\n{after}"
    return check


def end_of_input(program):
    """Ctrl-D at the scale prompt ends the run: the prompt's line is ended, then the message."""
    term = Terminal(program)
    try:
        term.read_until(b"(c/f/k) : ")
        term.type(b"\x04")
        status, seen = term.finish()
    finally:
        term.close()
    assert status == 1, f"exit status {status}"
    tail = seen[seen.index(b"(c/f/k) : ") + 10:]
    assert tail == b"\r\n" + e2e.ENDED.replace(b"\n", b"\r\n"), f"the screen ends {tail!r}"


def main():
    program, readme = sys.argv[1], sys.argv[2]
    cases = [
        ("README sample session", lambda p: readme_session(p, readme)),
        ("Ctrl-D at the scale prompt", end_of_input),
        ("a plain key", key_press(b"y")),
        ("Enter", key_press(b"\r")),
        ("an arrow key", key_press(b"\x1b[A")),
        ("a function key", key_press(b"\x1b[15~")),
        ("an arrow key that arrives in two parts", key_press(b"\x1b", b"[A")),
        ("a two-byte letter", key_press("é".encode())),
        ("Ctrl-Z", key_press(b"\x1a")),
        ("Ctrl-C", interrupted(b"\x03", signal.SIGINT)),
        ("SIGTERM", interrupted(None, signal.SIGTERM)),
        ("SIGHUP", interrupted(None, signal.SIGHUP)),
    ]

    def results():
        for name, check in cases:
            try:
                check(program)
            except AssertionError as problem:
                yield name, [str(problem)]
            else:
                yield name, []

    return e2e.report(results())


if __name__ == "__main__":
    sys.exit(main())
