#!/usr/bin/env python3
"""Builds a release package, unpacks it as a user would, and runs the program from it.

Usage: package.py deb CPACK_CONFIG
       package.py zip CPACK_CONFIG EMULATOR...   (the Windows zip, run under the emulator)"""

import pathlib
import subprocess
import sys
import tempfile
import zipfile

import e2e


def check(kind, config, emulator):
    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)
        subprocess.run(["cpack", "--config", config, "-G", kind.upper(), "-B", work],
                       check=True, stdout=subprocess.DEVNULL)
        package, = work.glob(f"*.{kind}")
        root = work / "unpacked"
        if kind == "deb":
            subprocess.run(["dpkg-deb", "-x", package, root], check=True)
            program = root / "usr/bin/tempconv"
            docs = root / "usr/share/doc/tempconv"
            page = root / "usr/share/man/man1/tempconv.1"
            rendered = subprocess.run(["man", "-l", "--warnings", page], capture_output=True,
                                      env={"MANWIDTH": "80", "PATH": "/usr/bin:/bin"})
            assert rendered.returncode == 0 and rendered.stderr == b"", rendered.stderr
            assert b"EXIT STATUS" in rendered.stdout, "the manual page did not render"
        else:
            zipfile.ZipFile(package).extractall(root)
            top, = root.iterdir()
            program, docs = top / "tempconv.exe", top
        for name in ("README.md", "LICENSE"):
            assert (docs / name).is_file(), f"{name} is missing from the {kind}"

        out, status, err, _ = e2e.run(emulator + [str(program)], b"c\n25\n", "plain")
        want, _, _ = e2e.converted(e2e.CEL, e2e.c(b"77", b"298.15"))
        if kind == "zip":
            out = e2e.as_on_posix(out, want)
        assert (out, status, err) == (want, 0, b""), f"{program} wrote {out!r}, {err!r}, {status}"
        print(f"ok   {package.name}: unpacked, ran one conversion"
              + (", manual page renders" if kind == "deb" else ""))


if __name__ == "__main__":
    try:
        check(sys.argv[1], sys.argv[2], sys.argv[3:])
    except AssertionError as problem:
        print(f"FAIL {problem}\n0 passed, 1 failed")
        sys.exit(1)
    print("1 passed, 0 failed")
