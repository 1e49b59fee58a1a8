#!/usr/bin/env python3
"""Runs the built tempconv on a pseudo-terminal, as a person at a terminal would: the README's
sample session and the manual page's examples, end of input, and the pause's wait for one key,
which must leave the terminal as it found it.

Usage: terminal.py PROGRAM README MANUAL_PAGE [FIRST_REAL_TIME_SIGNAL LAST_REAL_TIME_SIGNAL]"""

import contextlib
import fcntl
import os
import random
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time

import e2e

PAUSE = e2e.PAUSE[:-1]

# What reaches the pause, and how the run must end: each step is keys typed, a signal sent to
# the program, a wait in seconds, "as before": the terminal's settings are those from before
# the program started, "waits": the program waits, neither ended nor stopped, "shows TEXT": TEXT
# appears on the screen, or "held": a key held down, which must end the pause within about 0.1 s.
# An exit status is the program's own, run directly; a text is what an interactive sh (dash, which
# leaves the terminal as a job left it) shows once the program, run there as a job, has ended.
# Options: "start", the steps that reach the pause instead of answering "c 25" in the foreground;
# "command", the shell's command line; "ignore", a signal ignored before the program starts;
# "non-blocking", the terminal left so, which the program must wait on, not spin; "ahead", bytes
# typed before the program starts while the terminal is out of line mode and leaves "\r" as it is,
# as a shell's line editor has it, which line mode then hands over in one read; "read fails", the
# number of the program's read of the terminal that strace makes fail; "needs", a command without
# which the row is skipped.
FG = [b"fg; echo status $?\n", 0.3, "waits", b"y"]
PAUSE_CASES = [
    ("a plain key", [b"y"], 0),
    ("an arrow key", [b"\x1b[A"], 0),
    ("an arrow key that arrives in two parts", [b"\x1b", b"[A"], 0),
    ("an arrow key whose bytes arrive 20 ms apart", [b"\x1b", 0.02, b"[", 0.02, b"A"], 0),
    ("Ctrl-Z", [b"\x1a"], 0),
    ("Ctrl-C", [b"\x03"], -signal.SIGINT),
    ("SIGTERM", [signal.SIGTERM], -signal.SIGTERM),
    ("SIGHUP", [signal.SIGHUP], -signal.SIGHUP),
    ("a signal the pause does not expect", [signal.SIGUSR1], -signal.SIGUSR1),
    ("a stop from outside, then fg and one key",
     [signal.SIGTSTP, 0.3, "as before", b"fg; echo status $?\n", 0.3, b"y"], b"status 0"),
    ("a stopped job continued in the background, then terminated",
     [signal.SIGTSTP, 0.3, b"bg\n", 0.3, signal.SIGTERM, signal.SIGCONT, 0.3, b"\n"], b"Terminated"),
    # Job control at the pause.
    ("the pause reached in the background, then fg", FG, b"status 0",
     {"start": [b"c 25", b"\x13", b"\n", 0.3, b"\x1a", 0.3, b"\x11", b"bg\n", 0.5, "as before"]}),
    ("SIGTTIN, then fg", [signal.SIGTTIN, 0.3, "as before", *FG], b"status 0"),
    ("SIGTTOU, then fg", [signal.SIGTTOU, 0.3, "as before", *FG], b"status 0"),
    ("stopped, continued in the background, then fg",
     [signal.SIGTSTP, 0.3, b"bg\n", 0.5, "as before", *FG], b"status 0"),
    ("stopped, continued in the background, then a line typed at the shell",
     [signal.SIGTSTP, 0.3, b"bg; sleep 0.3\necho line $((6 * 7))\n", 0.6, signal.SIGTERM,
      signal.SIGCONT, 0.3, b"\n"], b"line 42"),
    # SIGSTOP cannot be caught: only the continue's handler takes the keys again, and only in the
    # foreground. Under dash the shell gets the terminal as the pause left it, so it is set back.
    ("SIGSTOP, the terminal set back by hand, then SIGCONT",
     [signal.SIGSTOP, 0.3, "set back", signal.SIGCONT, 0.3, "waits", b"y"], 0),
    ("SIGSTOP, then bg with a line typed at the shell",
     [signal.SIGSTOP, 0.3, "set back", b"bg; sleep 0.3\necho line $((6 * 7))\n", 0.6,
      "shows line 42", *FG], b"status 0"),
    ("SIGSTOP, then SIGCONT while the shell runs a command with a line typed behind it",
     [signal.SIGSTOP, 0.3, "set back", b"sleep 1\n", 0.2, b"echo line $((6 * 7))\n", 0.1,
      signal.SIGCONT, 1.5, "shows line 42", *FG], b"status 0"),
    # A program that crashed can leave a shared terminal non-blocking; it is waited on alike, and
    # so is its output, which is the same open file, while Ctrl-S holds it.
    # Each waits a second, so that a spin shows against a sanitizer's cost of starting.
    ("a non-blocking terminal", ["waits", 1.0, b"y"], 0, {"non-blocking": True}),
    ("a non-blocking terminal held by Ctrl-S before the results", ["waits", b"y"], 0,
     {"non-blocking": True, "start": ["shows (c/f/k) : ", b"\x13", b"c 25\n", 1.0, "waits",
                                      b"\x11", "shows . . . "]}),
    # select() is never restarted after a handler: the wait for the rest of a key is made again,
    # so that the key's later bytes reach the pause, not the shell.
    ("a SIGCONT between the bytes of an arrow key", [b"\x1b", signal.SIGCONT, 0.01, b"[", b"A"], 0),
    ("stopped twice", [signal.SIGTSTP, 0.3, b"fg\n", 0.3, "waits", signal.SIGTSTP, 0.3,
                       "as before", *FG], b"status 0"),
    ("a stop that the kernel discards, for a session leader", [signal.SIGTSTP, 0.3, "waits", b"y"],
     0),
    ("a key held down", ["held"], 0),
    # Ctrl-D hands a refused text over without a line end: the line typed at the new prompt is
    # the answer, not the rest of the refused one.
    *[(f"{text.decode()} and Ctrl-D refused, then 25 and Enter", [b"y"], 0,
       {"start": [b"c\n", "shows Celsius : ", text + b"\x04", "shows Celsius : ", b"25\n",
                  "shows . . . "]})
      for text in (b"abc", b"25x", b"1e400 x")],
    # A refused line's rest is dropped whole, words after the refused one included.
    ("25x 30 refused, then 25", [b"y"], 0, {"start": [
        b"c\n", "shows Celsius : ", b"25x 30\n", "shows Celsius : ", b"25\n", "shows . . . "]}),
    ("2 and Ctrl-D, then 5 and Enter, read as 25", [b"y"], 0,
     {"start": [b"c\n", "shows Celsius : ", b"2\x04", b"5\n", "shows . . . "]}),
    *[(f"c, abc and 25 typed ahead, with {name} line ends", [b"y"], 0,
       {"ahead": end.join([b"c", b"abc", b"25", b""]), "start": ["shows temperature!!!",
                                                                 "shows . . . "]})
      for name, end in (("LF", b"\n"), ("CR", b"\r"))],
    ("a signal ignored from the start stays ignored", [signal.SIGHUP, 0.3, "waits", b"y"], 0,
     {"ignore": signal.SIGHUP}),
    ("Ctrl-\\", [b"\x1c"], -signal.SIGQUIT),
    # The results are all written when the key's read fails: the run ends as if it came.
    ("the key's read fails", [], 0,
     {"start": [b"c 25\n", "shows . . . "], "read fails": 2, "needs": "strace"}),
    # Standard input is a terminal, but not the program's own: the pause does not wait.
    ("run by setsid -w", [], b"status 0",
     {"start": [b"c 25\n"], "command": "setsid -w {}; echo status $?", "needs": "setsid"}),
]


class Terminal:
    """The program on a fresh pseudo-terminal that is its controlling terminal; or, with `shell`,
    an interactive sh there that runs the program as a job, as a person at a terminal does."""

    def __init__(self, program, shell=False, command="{}", ignore=None, stdout=None, limit=None,
                 blocking=True, ahead=b"", read_fails=None):
        self.master, self.slave = os.openpty()
        self.before = termios.tcgetattr(self.slave)
        if ahead:
            raw = termios.tcgetattr(self.slave)
            raw[0] &= ~termios.ICRNL
            raw[3] &= ~termios.ICANON
            termios.tcsetattr(self.slave, termios.TCSANOW, raw)
            os.write(self.master, ahead)
            def held():
                return struct.unpack("i", fcntl.ioctl(self.slave, termios.FIONREAD, b"    "))[0]
            deadline = time.monotonic() + 5
            while held() < len(ahead):
                assert time.monotonic() < deadline, "the bytes typed ahead never arrived"
                time.sleep(0.01)
            termios.tcsetattr(self.slave, termios.TCSANOW, self.before)
        self.blocking = blocking
        os.set_blocking(self.slave, blocking)
        self.seen, self.mark, self.started = b"", 0, time.monotonic()

        def prepare():
            fcntl.ioctl(0, termios.TIOCSCTTY, 0)
            import resource
            resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
            if ignore:
                signal.signal(ignore, signal.SIG_IGN)
            if limit is not None:
                resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
        strace = e2e.failing_read(read_fails, os.ttyname(self.slave)) if read_fails else []
        self.proc = subprocess.Popen(
            ["sh", "-i"] if shell else strace + [program],
            stdin=self.slave, stdout=stdout or self.slave, stderr=self.slave,
            env=dict(os.environ, PS1="$ ", ENV=""), start_new_session=True, preexec_fn=prepare)
        self.program = self.proc.pid
        if shell:
            os.write(self.master, command.format(program).encode() + b"\n")
            self.read_until(b"(c/f/k) : ")
            self.mark = 0
            self.program = int(subprocess.check_output(["pgrep", "-P", str(self.proc.pid)]))

    def running(self):
        if self.program == self.proc.pid:
            return self.proc.poll() is None
        try:
            os.kill(self.program, 0)
            return True
        except ProcessLookupError:
            return False

    def waiting(self):
        """The program is there and not stopped."""
        state = subprocess.run(["ps", "-o", "state=", "-p", str(self.program)],
                               capture_output=True, text=True).stdout.strip()
        return self.running() and state[:1] not in ("", "T", "Z")

    def hold_key(self):
        """Repeats a key every 20 ms, as a key held down does, until the pause has put the
        terminal back; returns how long that took from the first key."""
        first = time.monotonic()
        while termios.tcgetattr(self.slave) != self.before and time.monotonic() - first < 2:
            os.write(self.master, b"y")
            time.sleep(0.02)
        return time.monotonic() - first

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
        terminal's settings, and any input left waiting for the next program; `cpu` is then the
        processor time of the program run directly, and `wall` its run's length."""
        deadline = time.monotonic() + 10
        while not (ended := os.wait4(self.proc.pid, os.WNOHANG))[0]:
            assert time.monotonic() < deadline, "the program did not end"
            time.sleep(0.01)
        status = self.proc.returncode = os.waitstatus_to_exitcode(ended[1])
        self.cpu, self.wall = ended[2].ru_utime + ended[2].ru_stime, time.monotonic() - self.started
        while select.select([self.master], [], [], 0.05)[0]:
            self.seen += os.read(self.master, 4096)
        after = termios.tcgetattr(self.slave)
        assert os.get_blocking(self.slave) == self.blocking, "the terminal's file flags changed"
        os.set_blocking(self.slave, True)
        raw = [*after[:3], after[3] & ~termios.ICANON, *after[4:6], list(after[6])]
        raw[6][termios.VMIN] = raw[6][termios.VTIME] = 0
        termios.tcsetattr(self.slave, termios.TCSANOW, raw)
        pending = os.read(self.slave, 4096)
        assert after == self.before, f"terminal settings changed:\n{self.before}\n{after}"
        return status, e2e.uncounted(self.seen).replace(b"\r\n", b"\n"), pending


def readme_session(program, readme):
    """The sample session in the README is what a terminal really shows."""
    block = re.search(r"```console\n\$ [^\n]*\n(.*?)```", open(readme).read(), re.S)
    assert block, "the README has no ```console block starting with a $ command"
    session(program, block.group(1))


def roff_text(text):
    """A manual page's no-fill text as the page shows it."""
    shown = {"&": "", "(aq": "'", "-": "-", "e": "\\"}
    return re.sub(r"\\(\(aq|&|-|e)", lambda escape: shown[escape.group(1)], text)


def commands(blocks):
    """Each `$ ` command of the blocks, with the lines shown after it."""
    examples = []
    for block in blocks:
        for line in block.splitlines():
            if line.startswith("$ "):
                examples.append((line[2:], []))
            else:
                examples[-1][1].append(line + "\n")
    assert examples, "the examples show no command"
    return [(command, "".join(shown)) for command, shown in examples]


def man_examples(page):
    """The commands of the manual page's examples."""
    section = re.search(r"^\.SH EXAMPLES\n(.*?)(^\.SH |\Z)", open(page).read(), re.S | re.M)
    assert section, "the manual page has no EXAMPLES section"
    blocks = re.findall(r"^\.nf\n(.*?)^\.fi$", section.group(1), re.S | re.M)
    return commands(map(roff_text, blocks))


def readme_examples(readme):
    """The commands of the README's console blocks after its session."""
    return commands(re.findall(r"```console\n(.*?)```", open(readme).read(), re.S)[1:])


def example(command, shown):
    def check(program):
        """A documents' example, run: a session as the README's is, any other command by sh with
        the program on the PATH and in build/release, standard output and error together."""
        if command == "tempconv":
            return session(program, shown)
        with tempfile.TemporaryDirectory() as work:
            os.makedirs(os.path.join(work, "build/release"))
            for link in ("tempconv", "build/release/tempconv"):
                os.symlink(os.path.abspath(program), os.path.join(work, link))
            ran = subprocess.run(["sh", "-c", command], cwd=work, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=20,
                                 env=dict(os.environ, PATH=work + os.pathsep + os.environ["PATH"]))
        got = e2e.uncounted(ran.stdout).decode()
        assert got == shown, f"{command} shows\n{got}rather than\n{shown}"
    return check


def session(program, shown_text):
    """A person answers x, c and 25, then presses a key: the terminal shows `shown_text`."""
    with Terminal(program) as term:
        for prompt, answer in [(b"(c/f/k) : ", b"x\n"), (b"(c/f/k) : ", b"c\n"),
                               (b"Celsius : ", b"25\n")]:
            term.answer(prompt, answer)
            term.read_until(answer.replace(b"\n", b"\r\n"))
        term.answer(PAUSE, b"y")
        status, shown, _ = term.finish()
    assert status == 0, f"exit status {status}"
    assert shown.decode() == shown_text, f"the terminal shows\n{shown!r}"


# Ctrl-D on an empty line ends the input, also right after a refused temperature (ended by a first
# Ctrl-D without a line break): answers, then what the screen ends with before the message.
END_CASES = [
    ("Ctrl-D at the scale prompt", [b"\x04"], b"(c/f/k) : \n"),
    *[(f"Ctrl-D after {text.decode()} is refused", [b"c\n", text + b"\x04\x04"],
       b"Celsius : " + text + e2e.WRONG_TEMP + e2e.CEL + b"\n")
      for text in (b"1e400", b"1e308", b"-", b"1e")],
]


def end_of_input(answers, shown_end):
    def check(program):
        """The run ends at the end of the input: the prompt's line is ended, then the message."""
        with Terminal(program) as term:
            for prompt, answer in zip([b"(c/f/k) : ", b"Celsius : "], answers):
                term.answer(prompt, answer)
            status, shown, _ = term.finish()
        assert status == 1, f"exit status {status}"
        assert shown.endswith(shown_end + e2e.ENDED), f"the screen ends {shown[-120:]!r}"
    return check


# Linux's number for it, which Python names only from 3.10 on.
F_SETPIPE_SZ = getattr(fcntl, "F_SETPIPE_SZ", 1031 if sys.platform.startswith("linux") else None)


def interrupted_write(program):
    """A signal while the pause's prompt waits on a full pipe fails nothing: the prompt goes out
    once the pipe drains, and the pause then waits for its key."""
    if F_SETPIPE_SZ is None:
        return "this system cannot shrink a pipe (Linux's F_SETPIPE_SZ)"
    reader, writer = os.pipe()
    fcntl.fcntl(writer, F_SETPIPE_SZ, 4096)
    before_pause = e2e.converted(e2e.CEL, e2e.c(b"77", b"298.15"))[0][:-len(e2e.PAUSE)]
    os.write(writer, b"-" * (4096 - len(before_pause)))
    with Terminal(program, stdout=writer) as term:
        os.write(term.master, b"c 25\n")
        time.sleep(0.3)
        os.kill(term.program, signal.SIGCONT)
        written = b""
        for _ in range(3):
            time.sleep(0.2)
            while select.select([reader], [], [], 0)[0]:
                written += os.read(reader, 8192)
        assert written.endswith(before_pause + e2e.PAUSE[:-1]), f"the pipe ends {written[-80:]!r}"
        assert term.waiting(), "the pause does not wait for a key"
        os.write(term.master, b"y")
        status, _, _ = term.finish()
    os.close(reader)
    os.close(writer)
    assert status == 0, f"exit status {status}"


def failed_prompt(program):
    """The pause's prompt cannot be written (a file size limit is reached right before it): the
    terminal, already set for the key, is put back, and the run ends with the write's message."""
    before_pause = e2e.converted(e2e.CEL, e2e.c(b"77", b"298.15"))[0][:-len(e2e.PAUSE)]
    with tempfile.TemporaryFile() as out, \
            Terminal(program, stdout=out.fileno(), limit=len(before_pause)) as term:
        os.write(term.master, b"c 25\n")
        status, shown, _ = term.finish()
    assert status == 1, f"exit status {status}"
    assert shown.endswith(e2e.CANNOT_WRITE + e2e.EFBIG + b"\n"), f"the screen ends {shown[-80:]!r}"


def pause(steps, want, options=None):
    options = options or {}

    def check(program):
        """The pause waits for one key, takes all of it without echo, and restores the terminal
        on every way out."""
        if (tool := options.get("needs")) and not shutil.which(tool):
            return f"there is no {tool} here"
        shell = isinstance(want, bytes)
        start = options.get("start")
        with Terminal(program, shell, options.get("command", "{}"), options.get("ignore"),
                      blocking=not options.get("non-blocking"), ahead=options.get("ahead"),
                      read_fails=options.get("read fails")) as term:
            if start is None:
                term.answer(b"(c/f/k) : ", b"c 25\n")
                term.read_until(PAUSE)
                time.sleep(0.2)
                assert term.running(), "the pause did not wait for a key"
            for step in (start or []) + steps:
                if isinstance(step, bytes):
                    os.write(term.master, step)
                    time.sleep(0.01)
                elif isinstance(step, float):
                    time.sleep(step)
                elif step == "as before":
                    assert termios.tcgetattr(term.slave) == term.before, "the terminal was " \
                        "left changed"
                elif step == "set back":
                    termios.tcsetattr(term.slave, termios.TCSANOW, term.before)
                elif step == "waits":
                    assert term.waiting(), "the pause does not wait for a key"
                elif isinstance(step, str) and step.startswith("shows "):
                    term.read_until(step[len("shows "):].encode())
                elif step == "held":
                    took = term.hold_key()
                    assert took < 0.4, f"the pause ended {took:.2f} s after the key"
                else:
                    os.kill(term.program, step)
            if shell:
                term.read_until(want)
                os.write(term.master, b"exit 0\n")
            status, shown, pending = term.finish()
        assert status == (0 if shell else want), f"exit status {status}, want {want}"
        assert pending == b"", f"{pending!r} was left for the shell"
        if options.get("non-blocking"):
            assert term.cpu < term.wall / 5, f"{term.cpu:.2f} s of processor time in a run of " \
                f"{term.wall:.2f} s: the program spins instead of waiting"
        if want == 0:
            assert shown.endswith(b"Kelvin is : 298.15\n\n" + e2e.PAUSE), f"the screen ends " \
                f"{shown[-80:]!r}"
    return check


def background_stops(program, pairs=20000):
    """Stops that land while a handler sets the terminal: at the pause, a SIGCONT or a SIGTSTP,
    then a SIGSTOP up to 25 us later. Each time the shell (a child that leads the terminal's
    session) takes the terminal, sets it, types a line and continues the job in the background,
    which must leave both alone; then fg gives the terminal back."""
    master, slave = os.openpty()
    if (shell := os.fork()) == 0:
        try:
            play_shell(program, master, slave, pairs)
            os._exit(0)
        except BaseException as problem:
            print(f"the shell: {problem}", file=sys.stderr, flush=True)
            os._exit(1)
    status = os.waitpid(shell, 0)[1]
    os.close(master)
    os.close(slave)
    assert status == 0, "the shell failed, as it says above"


def play_shell(program, master, slave, pairs):
    os.setsid()
    fcntl.ioctl(slave, termios.TIOCSCTTY, 0)
    before = termios.tcgetattr(slave)
    # The shell and the job each on a processor of its own, where the system can say so: the job
    # then takes its signals as soon as they come, however busy the machine, and the stops land
    # in its handlers about as often as on a quiet one.
    cpus = sorted(os.sched_getaffinity(0)) if hasattr(os, "sched_setaffinity") else []

    def start():
        os.setpgid(0, 0)
        if len(cpus) > 1:
            os.sched_setaffinity(0, cpus[1:2])
    job = subprocess.Popen([program], stdin=slave, stdout=slave, stderr=slave, preexec_fn=start)
    if len(cpus) > 1:
        os.sched_setaffinity(0, cpus[:1])
    signal.signal(signal.SIGTTOU, signal.SIG_IGN)
    os.tcsetpgrp(slave, job.pid)
    os.write(master, b"c 25\n")
    os.set_blocking(master, False)
    stopped = False

    def is_stopped():
        """As the job's reports to the shell tell it."""
        nonlocal stopped
        while (report := os.waitpid(job.pid, os.WNOHANG | os.WUNTRACED | os.WCONTINUED))[0]:
            assert os.WIFSTOPPED(report[1]) or os.WIFCONTINUED(report[1]), "the job ended"
            stopped = os.WIFSTOPPED(report[1])
        return stopped

    def cont():
        nonlocal stopped
        os.kill(job.pid, signal.SIGCONT)
        stopped = False

    def until(done, what):
        deadline = time.monotonic() + 5
        while not done():
            assert time.monotonic() < deadline, what
        with contextlib.suppress(BlockingIOError):
            os.read(master, 4096)  # the screen, kept from filling up

    def fg():
        if is_stopped():
            cont()
        return not is_stopped() and not termios.tcgetattr(slave)[3] & termios.ICANON

    until(fg, "the pause never took its key")
    for pair in range(pairs):
        os.kill(job.pid, (signal.SIGCONT, signal.SIGTSTP)[pair % 2])
        stop = time.perf_counter_ns() + random.randrange(25_000)
        while time.perf_counter_ns() < stop:
            pass
        os.kill(job.pid, signal.SIGSTOP)
        until(is_stopped, f"pair {pair}: SIGSTOP never stopped the job")
        os.tcsetpgrp(slave, os.getpgrp())
        termios.tcsetattr(slave, termios.TCSANOW, before)
        os.write(master, b"line\n")
        cont()
        # In the background the job stops again: for reading, or for setting, the terminal.
        until(is_stopped, f"pair {pair}: the job never stopped in the background")
        assert termios.tcgetattr(slave) == before, f"pair {pair}: the job set the terminal"
        line = os.read(slave, 64) if select.select([slave], [], [], 0)[0] else b""
        assert line == b"line\n", f"pair {pair}: the line typed at the shell was {line!r}"
        os.tcsetpgrp(slave, job.pid)
        until(fg, f"pair {pair}: fg never gave the pause its key again")
    # The key, until the job ends: fg may have caught it half-way through a stop, which it then
    # finishes, putting back settings that drop the key.
    deadline = time.monotonic() + 5
    while not (report := os.waitpid(job.pid, os.WNOHANG | os.WUNTRACED))[0] \
            or os.WIFSTOPPED(report[1]):
        assert time.monotonic() < deadline, "the pause never took its key"
        if report[0]:
            os.kill(job.pid, signal.SIGCONT)
        os.write(master, b"y")
        time.sleep(0.01)
    assert report[1] == 0 and termios.tcgetattr(slave) == before, "the run ended badly"


# The signals that do not end the program through the pause, as the README says: those whose
# default is to be ignored or to continue, the stops (each a case above), SIGKILL and SIGSTOP,
# which no program can catch, and SIGPIPE and SIGXFSZ, which the program always ignores. SIGIO and
# SIGPWR end a program only on Linux; elsewhere they, and SIGINFO, are ignored by default.
NOT_ENDING = ["SIGCHLD", "SIGURG", "SIGWINCH", "SIGCONT", "SIGTSTP", "SIGTTIN", "SIGTTOU",
              "SIGKILL", "SIGSTOP", "SIGPIPE", "SIGXFSZ",
              *(() if sys.platform.startswith("linux") else ("SIGIO", "SIGPWR", "SIGINFO"))]


def every_guarded_signal(program, real_time):
    """Each signal of the system that ends the program, in turn, puts the terminal back before it
    ends it; of the real-time ones, those in the program's range `real_time` (its C library keeps
    those below for itself)."""
    left_out = {getattr(signal, name) for name in NOT_ENDING if hasattr(signal, name)}
    first_real_time = getattr(signal, "SIGRTMIN", None)
    for sig in sorted(signal.valid_signals() - left_out):
        if first_real_time is not None and sig >= first_real_time and sig not in real_time:
            continue
        try:
            pause([sig], -sig)(program)
        except AssertionError as problem:
            raise AssertionError(f"signal {sig}: {problem}")


def real_time_cases(first, last):
    """The real-time signals, as the program's C library numbers them: glibc keeps 32 and 33 for
    itself, musl 32 to 34. The last one is the largest."""
    return [("the first real-time signal", [first], b"Real-time signal"),
            ("the last real-time signal", [last], b"Real-time signal"),
            ("a real-time signal ignored from the start stays ignored",
             [first, 0.3, "waits", b"y"], 0, {"ignore": first})]


def main():
    program, readme, page = sys.argv[1:4]
    real_time = range(0)
    cases = [("README sample session", lambda p: readme_session(p, readme)),
             *[(f"README example: {command}", example(command, shown))
               for command, shown in readme_examples(readme)],
             *[(f"manual page example: {command}", example(command, shown))
               for command, shown in man_examples(page)],
             *[(name, end_of_input(*case)) for name, *case in END_CASES],
             ("the pause's prompt cannot be written", failed_prompt),
             ("stops while a handler sets the terminal", background_stops),
             ("every guarded signal", lambda p: every_guarded_signal(p, real_time))]
    if len(sys.argv) == 6:
        first, last = map(int, sys.argv[4:6])
        real_time = range(first, last + 1)
        PAUSE_CASES.extend(real_time_cases(first, last))
    else:
        cases.append(("the real-time signals", lambda p: "the program's C library has none here"))
    cases += [(name, pause(*case)) for name, *case in PAUSE_CASES]
    cases.append(("a signal while the prompt waits on a full pipe", interrupted_write))
    return e2e.report_checks((name, lambda check=check: check(program)) for name, check in cases)


if __name__ == "__main__":
    sys.exit(main())
