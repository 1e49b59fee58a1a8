#!/usr/bin/env python3
"""Runs the built tempconv the way a user does: bytes in on standard input, every byte of
standard output and standard error compared, and the exit status checked.

Usage: e2e.py [--windows] PROGRAM [EMULATOR...]

With --windows the program is a Windows build: its CRLF line ends are folded to LF, and the
pause at the end is the command processor's, whose text is its own, so the output is compared
up to the pause's prompt."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

GREETING = b"   This program is used to convert the temperature from one scale to another.\n\n\n"
SCALE = b"Enter the input scale in which you want to enter the temperature (c/f/k) : "
WRONG_SCALE = b"Please enter a correct input scale!!!\n\n"
WRONG_TEMP = b"Please enter a correct temperature!!!\n\n"
CEL = b"Enter the temperature in Celsius : "
FAR = b"Enter the temperature in Fahrenheit : "
KEL = b"Enter the temperature in Kelvin : "
PAUSE = b"Press any key to continue . . . \n"
ENDED = b"tempconv: the input ended before a temperature was converted\n"
CANNOT_WRITE = b"tempconv: cannot write to standard output: "
CANNOT_READ = b"tempconv: cannot read standard input: "
EIO, EISDIR, EBADF = b"Input/output error", b"Is a directory", b"Bad file descriptor"
ENOSPC, EPIPE, EFBIG = b"No space left on device", b"Broken pipe", b"File too large"


def results(first_label, first, second_label, second):
    return b"\n" + first_label + first + b"\n" + second_label + second + b"\n\n"


def c(far, kel):
    return results(b"Temperature in Fahrenheit is : ", far, b"Temperature in Kelvin is : ", kel)


def f(kel, cel):
    return results(b"Temperature in Kelvin is :", kel, b"Temperature in Celsius is : ", cel)


def k(far, cel):
    return results(b"Temperature in Fahrenheit is : ", far, b"Temperature in Celsius is : ", cel)


def converted(*dialogue):
    """A run that ends with results: what follows the first scale prompt, then the pause."""
    return GREETING + SCALE + b"".join(dialogue) + PAUSE, 0, b""


def ended(*dialogue):
    """A run whose input ends: the open prompt's line is ended, and nothing is paused."""
    return GREETING + SCALE + b"".join(dialogue) + b"\n", 1, ENDED


def failed(reason, *dialogue):
    """A run whose input cannot be read: ended like one whose input ends, with the cause."""
    return GREETING + SCALE + b"".join(dialogue) + b"\n", 1, CANNOT_READ + reason + b"\n"


def unwritable(reason):
    """A run whose output cannot be written: one line with the system's reason."""
    return None, 1, CANNOT_WRITE + reason + b"\n"


FLOOD = 300_000
ADDRESS_LIMIT = 16 << 20

# name, standard input, (standard output, exit status, standard error), how it is run
CASES = [
    ("celsius 25", b"c\n25\n", converted(CEL, c(b"77", b"298.15"))),
    ("celsius 0.001", b"c\n0.001\n", converted(CEL, c(b"32.0018", b"273.151"))),
    ("celsius a million", b"c\n1000000\n", converted(CEL, c(b"1.80003e+06", b"1.00027e+06"))),
    ("fahrenheit 212", b"f\n212\n", converted(FAR, f(b"373.15", b"100"))),
    ("fahrenheit 451", b"f\n451\n", converted(FAR, f(b"505.928", b"232.778"))),
    ("fahrenheit 32.0001", b"f\n32.0001\n", converted(FAR, f(b"273.15", b"5.55556e-05"))),
    ("kelvin 300", b"k\n300\n", converted(KEL, k(b"80.33", b"26.85"))),
    ("kelvin 273.15", b"k\n273.15\n", converted(KEL, k(b"32", b"0"))),
    ("kelvin below absolute zero", b"k\n-5\n", converted(KEL, k(b"-468.67", b"-278.15"))),
    ("number forms", b"c\n.5\n", converted(CEL, c(b"32.9", b"273.65"))),
    ("signed exponent", b"f\n-.5e1\n", converted(FAR, f(b"252.594", b"-20.5556"))),
    # A zero is converted like any other temperature.
    ("zero celsius", b"c\n0\n", converted(CEL, c(b"32", b"273.15"))),
    ("negative zero", b"c\n-0\n", converted(CEL, c(b"32", b"273.15"))),
    ("zero fahrenheit", b"f\n0.0\n", converted(FAR, f(b"255.372", b"-17.7778"))),
    ("zero kelvin", b"k\n0e5\n", converted(KEL, k(b"-459.67", b"-273.15"))),
    # The scale letter.
    ("upper case F", b"F\n212\n", converted(FAR, f(b"373.15", b"100"))),
    ("white space before the letter", b"\n\n\t  k\n300\n", converted(KEL, k(b"80.33", b"26.85"))),
    ("wrong letter", b"x\nc\n25\n", converted(WRONG_SCALE, SCALE, CEL, c(b"77", b"298.15"))),
    ("three wrong letters on a line", b"xyz\nk 300\n",
     converted(*[WRONG_SCALE, SCALE] * 3, KEL, k(b"80.33", b"26.85"))),
    ("wrong, then right on a line", b"xc\n25\n",
     converted(WRONG_SCALE, SCALE, CEL, c(b"77", b"298.15"))),
    ("bytes above 127 and NUL", b"\xc3\xa9\xff\0c\n25\n",
     converted(*[WRONG_SCALE, SCALE] * 4, CEL, c(b"77", b"298.15"))),
    ("CRLF line ends", b"x\r\nc\r\nabc\r\n25\r\n",
     converted(WRONG_SCALE, SCALE, CEL, WRONG_TEMP, CEL, c(b"77", b"298.15"))),
    ("letter and number run together", b"c25\n", converted(CEL, c(b"77", b"298.15"))),
    ("words after the number", b"c 25 degrees\n", converted(CEL, c(b"77", b"298.15"))),
    # A number stands as a whole word: text glued to it makes the answer no number.
    ("text glued to the number",
     b"c\n25abc\n36,6\n0x10\n0x1p3\n1e5x\n12.5.3\n25\xc2\xb0C\n2\x005\n25\n",
     converted(*[CEL, WRONG_TEMP] * 8, CEL, c(b"77", b"298.15"))),
    # A temperature that is not a number is asked again; the rest of its line is dropped.
    ("a word", b"celsius\n25\n", converted(CEL, WRONG_TEMP, CEL, c(b"77", b"298.15"))),
    ("rest of a wrong line dropped", b"c\nabc 30\n25\n",
     converted(CEL, WRONG_TEMP, CEL, c(b"77", b"298.15"))),
    # However the reads split it: longer than a read, or its rest in a later write.
    ("rest of a wrong line longer than a read", b"c\nabc" + b"x" * 100_000 + b"\n25\n",
     converted(CEL, WRONG_TEMP, CEL, c(b"77", b"298.15"))),
    ("rest of a wrong line written later", [b"c\nab", b"c 30\n25\n"],
     converted(CEL, WRONG_TEMP, CEL, c(b"77", b"298.15"))),
    ("inf and nan", b"c\ninf\nnan\n-inf\n25\n",
     converted(*[CEL, WRONG_TEMP] * 3, CEL, c(b"77", b"298.15"))),
    ("beyond double range", b"k\n1e400\n300\n",
     converted(KEL, WRONG_TEMP, KEL, k(b"80.33", b"26.85"))),
    ("below double range, taken as zero", b"c\n-1e-400\n", converted(CEL, c(b"32", b"273.15"))),
    ("result beyond range", b"c\n1e308\n1.7e308\n25\n",
     converted(*[CEL, WRONG_TEMP] * 2, CEL, c(b"77", b"298.15"))),
    ("rest of a line dropped after a result beyond range", b"c 1e308 30\n25\n",
     converted(CEL, WRONG_TEMP, CEL, c(b"77", b"298.15"))),
    ("result beyond range, from kelvins", b"k 1.7e308\n300\n",
     converted(KEL, WRONG_TEMP, KEL, k(b"80.33", b"26.85"))),
    # A result within range, though a step of its formula passes the largest double.
    *[(f"result near the largest double, {text}", text.encode(), converted(prompt, lines))
      for text, prompt, lines in [
          ("c 9.9e307", CEL, c(b"1.782e+308", b"9.9e+307")),
          ("c -9.9e307", CEL, c(b"-1.782e+308", b"-9.9e+307")),
          ("c 5e307", CEL, c(b"9e+307", b"5e+307")),
          ("f 1e308", FAR, f(b"5.55556e+307", b"5.55556e+307")),
          ("f 1.7976931348623157e308", FAR, f(b"9.98718e+307", b"9.98718e+307")),
          ("k 9.9e307", KEL, k(b"1.782e+308", b"9.9e+307"))]],
    ("a sign alone", b"c\n-\n25\n", converted(CEL, WRONG_TEMP, CEL, c(b"77", b"298.15"))),
    ("two refusals, then a leading zero", b"f\n1e400\n-1.7e318\n022",
     converted(*[FAR, WRONG_TEMP] * 2, FAR, f(b"267.594", b"-5.55556"))),
    # The input ends.
    ("no input", b"", ended()),
    ("only white space", b" \n\t\n", ended()),
    ("ends after a wrong letter", b"x", ended(WRONG_SCALE, SCALE)),
    ("ends after the letter", b"c\n", ended(CEL)),
    ("ends after a wrong temperature", b"c\nabc", ended(CEL, WRONG_TEMP, CEL)),
    ("ends inside a huge number", b"c\n1e400", ended(CEL, WRONG_TEMP, CEL)),
    ("number at the very end", b"c\n25", converted(CEL, c(b"77", b"298.15"))),
    # Standard input cannot be read. A list of pieces arrives through a named pipe, each after a
    # pause, so that each is one read; "read-fails:N" makes the Nth read fail.
    ("read fails inside a number", [b"c\n", b"2", b"5\n"], failed(EIO, CEL), "read-fails:3"),
    ("read fails at the first question", [b"c\n25\n"], failed(EIO), "read-fails:1"),
    ("read fails after a wrong temperature", [b"f\nabc\n", b"212\n"],
     failed(EIO, FAR, WRONG_TEMP, FAR), "read-fails:2"),
    ("read fails after the whole number", [b"c\n", b"25\n", b"x"],
     converted(CEL, c(b"77", b"298.15")), "read-fails:3"),
    ("standard input a directory", b"", failed(EISDIR), "directory"),
    # A non-blocking input is waited on, as a blocking one is.
    ("standard input a non-blocking pipe", [b"c\n", b"25\n"], converted(CEL, c(b"77", b"298.15")),
     "non-blocking"),
    ("standard input closed", b"", failed(EBADF), "closed-stdin"),
    # The output cannot be written: one line on standard error, the first failure's.
    ("output to a full disk", b"c\n25\n", unwritable(ENOSPC), "full"),
    ("output to a full disk, no input", b"", unwritable(ENOSPC), "full"),
    ("output closed", b"c\n25\n", unwritable(EBADF), "closed-stdout"),
    ("reader gone", b"c\n25\n", unwritable(EPIPE), "broken-pipe"),
    ("output past the file size limit", b"c\n25\n", unwritable(EFBIG), "file-limit:0"),
    ("output reaches the file size limit at the results", b"c\n25\n",
     (GREETING + SCALE + CEL, 1, CANNOT_WRITE + EFBIG + b"\n"),
     f"file-limit:{len(GREETING + SCALE + CEL)}"),
    ("read fails, then the line end cannot be written", [b"c\n25\n"],
     (GREETING + SCALE, 1, CANNOT_READ + EIO + b"\n"),
     f"read-fails:1 file-limit:{len(GREETING + SCALE)}"),
    # Arguments are ignored.
    ("arguments", b"c\n25\n", converted(CEL, c(b"77", b"298.15")), "arguments"),
    # However long a number, memory stays that of one short answer.
    ("ten million leading zeros", b"c\n" + b"0" * 10**7 + b"25\n",
     converted(CEL, c(b"77", b"298.15")), "flood"),
    ("ten million digits, too large", b"f\n" + b"7" * 10**7 + b"\n",
     ended(FAR, WRONG_TEMP, FAR), "flood"),
    ("a flood of wrong letters", b"x" * FLOOD + b"c\n25\n",
     converted(*[WRONG_SCALE, SCALE] * FLOOD, CEL, c(b"77", b"298.15")), "flood"),
]


def feed(pieces, fifo, blocking):
    """Opens the named pipe `fifo` for the program's standard input and delivers each piece apart
    from the next, as a slow writer does. A named pipe, so that strace can tell its reads from
    the loader's."""
    os.mkfifo(fifo)
    reader = os.open(fifo, os.O_RDONLY | os.O_NONBLOCK)
    writer = os.open(fifo, os.O_WRONLY)
    os.set_blocking(reader, blocking)

    def write():
        try:
            for piece in pieces:
                time.sleep(0.2)
                os.write(writer, piece)
        except BrokenPipeError:
            pass  # the program has ended without reading the rest
        os.close(writer)
    threading.Thread(target=write, daemon=True).start()
    return reader


def failing_read(nth, path):
    """The strace command that makes the program's `nth` read of `path` fail. LeakSanitizer
    cannot run under strace."""
    return ["strace", "-qq", "-o", os.devnull, "-E", "ASAN_OPTIONS=detect_leaks=0", "-P", path,
            "-e", "trace=read", "-e", f"inject=read:error=EIO:when={nth}"]


def run(command, stdin, how, timeout=60):
    """Runs the program to its end; returns output, status and error output."""
    with tempfile.TemporaryFile() as inp, tempfile.TemporaryFile() as out, \
            tempfile.TemporaryFile() as err, tempfile.TemporaryDirectory() as work:
        fifo = os.path.join(work, "stdin")
        if isinstance(stdin, list):
            inp = feed(stdin, fifo, how != "non-blocking")
        elif how == "directory":
            inp = os.open("/", os.O_RDONLY)
        else:
            inp.write(stdin)
            inp.seek(0)
        if fails := re.search(r"read-fails:(\d+)", how):
            command = failing_read(fails.group(1), fifo) + command
        stdout, close = out, {"closed-stdout": 1, "closed-stdin": 0}.get(how)
        if how == "full":
            stdout = os.open("/dev/full", os.O_WRONLY)
        elif how == "broken-pipe":
            reader, stdout = os.pipe()
            os.close(reader)
        args = ["--help", "-x", "c"] if how == "arguments" else []
        # A flood runs in an address space of a few MiB, where the program needs no vast one of
        # its own (as a sanitizer's or an emulator's does): an input held whole cannot fit. Peak
        # memory cannot be read after the fact here, for a child's counts the harness's own.
        limits = {}
        if how == "flood" and sys.platform == "linux" and len(command) == 1 \
                and "TEMPCONV_SANITIZED" not in os.environ:
            limits["RLIMIT_AS"] = ADDRESS_LIMIT
        if size := re.search(r"file-limit:(\d+)", how):
            limits["RLIMIT_FSIZE"] = int(size.group(1))

        def prepare():
            if close is not None:
                os.close(close)
            import resource  # POSIX only
            for limit, value in limits.items():
                resource.setrlimit(getattr(resource, limit), (value, value))
        # The file size limit would hold back the message too, were it written to a file.
        stderr = subprocess.PIPE if size else err
        proc = subprocess.Popen(command + args, stdin=inp, stdout=stdout, stderr=stderr,
                                preexec_fn=prepare if close is not None or limits else None)
        for end in (stdout, inp):
            if isinstance(end, int):
                os.close(end)
        status = wait(proc, timeout)
        out.seek(0)
        err.seek(0)
        return out.read(), status, proc.stderr.read() if size else err.read()


def wait(proc, timeout):
    """Waits for the program's end; returns its exit status, or "hung" if it had to be killed."""
    try:
        return proc.wait(timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
        return "hung"


def unsupported(how, windows):
    """Why a way of running the program cannot be had here, or None."""
    if "read-fails:" in how:
        if windows:
            return "strace cannot fail the reads of a Windows program"
        if not shutil.which("strace"):
            return "there is no strace here (it is Linux's)"
    if windows and "file-limit:" in how:
        return "a file size limit does not reach a Windows program under its emulator"
    if windows and how == "non-blocking":
        return "a Windows program's standard input is never non-blocking"
    if os.name == "nt" and how in ("closed-stdin", "closed-stdout", "directory"):
        return "Windows cannot start a program with a closed descriptor or a directory as input"
    if how == "full" and not os.path.exists("/dev/full"):
        return "there is no /dev/full here"
    return None


def as_on_posix(out, want):
    """A Windows run's output as a POSIX run would write it, for comparison: CRLF line ends
    become LF, and the command processor's pause text, once it begins with the pause prompt's
    words, is taken to be the expected one."""
    out = out.replace(b"\r\n", b"\n")
    if want is not None and want.endswith(PAUSE):
        head = want[:-len(PAUSE)]
        if out.startswith(head) and out[len(head):].startswith(b"Press any key to continue"):
            return want
    return out


def uncounted(text):
    """`text` without gcc's runtime's lines that it could not write a coverage build's counts."""
    if "TEMPCONV_COVERAGE" not in os.environ:
        return text
    return re.sub(rb"(?m)^(libgcov )?profiling.*\r?\n", b"", text)


def show(data):
    if data is None:
        return "(not read)"
    return repr(data if len(data) < 400 else data[:150] + b" ... " + data[-150:])


def main():
    args = sys.argv[1:]
    windows = args[0] == "--windows"
    if windows:
        args = args[1:]
    return report(outcomes(args[1:] + [args[0]], windows))


def outcomes(command, windows):
    """Runs every case; yields each one's name and what was wrong with it. Wine now and then fails
    to start a process on a loaded machine (the program, or the command processor for the pause),
    so a case run under an emulator is tried up to three times, and a retry is told."""
    tries = 3 if len(command) > 1 else 1
    for name, stdin, want, *how in CASES:
        how = how[0] if how else "plain"
        if reason := unsupported(how, windows):
            yield name, reason
            continue
        for attempt in range(1, tries + 1):
            problems = differences(run(command, stdin, how), want, windows)
            if not problems:
                break
            print(f"note {name}: try {attempt} of {tries} failed: {problems}")
        yield name, problems


def differences(ran, want, windows):
    """What is wrong with one run of a case."""
    out, status, err = ran
    want_out, want_status, want_err = want
    # musl words EIO so.
    err = err.replace(b": I/O error\n", b": " + EIO + b"\n")
    err = uncounted(err)
    if windows:
        out, err = as_on_posix(out, want_out), err.replace(b"\r\n", b"\n")
        # Windows describes the cause of a failed read or write in words of its own.
        for prefix in (CANNOT_READ, CANNOT_WRITE):
            if want_err.startswith(prefix) and err.startswith(prefix) \
                    and err.count(b"\n") == 1 and err.endswith(b"\n"):
                want_err = err
    problems = []
    if want_out is not None and out != want_out:
        at = next((i for i, (a, b) in enumerate(zip(out, want_out)) if a != b),
                  min(len(out), len(want_out)))
        start = max(at - 40, 0)
        problems.append(f"output differs from byte {at}:\n  got  {show(out[start:at + 160])}"
                        f"\n  want {show(want_out[start:at + 160])}")
    if status != want_status:
        problems.append(f"exit status {status}, want {want_status}")
    if err != want_err:
        problems.append(f"error output {show(err)}, want {show(want_err)}")
    return problems


def report(results):
    """Prints each case's result (a list of problems, or the reason it was skipped) and the
    closing count; returns the exit status."""
    passed = failed = skipped = 0
    for name, problems in results:
        if isinstance(problems, str):
            skipped += 1
            print(f"skip {name}: {problems}")
        elif problems:
            failed += 1
            print(f"FAIL {name}\n  " + "\n  ".join(problems))
        else:
            passed += 1
            print(f"ok   {name}")
    print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    return 1 if failed else 0


def report_checks(checks):
    """Runs each (name, check) in turn, where a check fails by raising AssertionError, or returns
    why it cannot run here; prints and returns as report does."""
    def results():
        for name, check in checks:
            try:
                problems = check() or []
            except AssertionError as problem:
                problems = [str(problem)]
            yield name, problems
    return report(results())


if __name__ == "__main__":
    sys.exit(main())
