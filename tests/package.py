#!/usr/bin/env python3
"""Builds a release package, checks it as its ecosystem does, unpacks it as a user would, and
runs the program from it.

Usage: package.py deb CPACK_CONFIG BUILD_CONFIG
       package.py rpm CPACK_CONFIG BUILD_CONFIG
       package.py zip CPACK_CONFIG BUILD_CONFIG EMULATOR...   (the Windows zip, run under the
                                                             emulator, if any)
       package.py source CPACK_SOURCE_CONFIG BUILD_CONFIG     (the source tarball: what git
                                                             tracks, no more; built and
                                                             tested as a packager does)"""

import os
import pathlib
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import zipfile

import e2e


def project_version(config):
    return re.search(r'set\(CPACK_PACKAGE_VERSION "([^"]*)"\)', open(config).read()).group(1)


def lintian_clean(package):
    """Debian's own checker finds no error and no warning."""
    found = subprocess.run(["lintian", "--pedantic", package], capture_output=True, text=True)
    tags = [line for line in found.stdout.splitlines() if re.match(r"[EW]: ", line)]
    assert found.returncode == 0 and not tags, "lintian: " + (found.stdout + found.stderr)


def rpmlint_clean(package):
    """rpmlint, under the settings kept beside the build files, finds no error and no warning."""
    settings = pathlib.Path(__file__).resolve().parent.parent / "cmake/rpmlint.toml"
    found = subprocess.run(["rpmlint", "-c", settings, package], capture_output=True, text=True)
    tags = [line for line in found.stdout.splitlines() if re.search(r": [EW]: ", line)]
    assert found.returncode == 0 and not tags, "rpmlint: " + (found.stdout + found.stderr)


def rpm_installed(package, root):
    """The package lists its files, and installs into a scratch root; returns the root's
    documentation directory."""
    listed = subprocess.run(["rpm", "-qlp", package], check=True, capture_output=True,
                            text=True).stdout.split()
    want = ["/usr/bin/tempconv", "/usr/share/man/man1/tempconv.1.gz"] + [
        f"/usr/share/doc/tempconv/{name}" for name in
        ("LICENSE", "README.md", "changelog.gz", "copyright")]
    assert sorted(set(listed) - {"/usr/share/doc/tempconv"}) == sorted(want), \
        f"the RPM holds {listed}"
    subprocess.run(["rpm", "--root", root, "--initdb"], check=True)
    subprocess.run(["rpm", "--root", root, "-i", "--nodeps", package], check=True)
    return root / "usr/share/doc/tempconv"


def windows_properties(exe, version):
    """The version resource, the manifest and the header flags that Windows reads."""
    if not shutil.which("x86_64-w64-mingw32-objdump"):
        print("skip the exe's properties: there is no MinGW objdump here to read them")
        return
    header = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], check=True,
                            capture_output=True, text=True).stdout
    for needed in ["MajorSubsystemVersion\t6", "MinorSubsystemVersion\t0", "TERMINAL_SERVICE_AWARE",
                   "Time/Date\t\tThu Jan  1 00:00:00 1970"]:
        assert needed in header, f"the exe's header lacks {needed!r}"
    wide = subprocess.run(["strings", "-el", exe], check=True, capture_output=True,
                          text=True).stdout.splitlines()
    resource = dict(zip(wide, wide[1:]))
    for key, want in [("FileVersion", version), ("ProductVersion", version),
                      ("ProductName", "tempconv"), ("OriginalFilename", "tempconv.exe")]:
        assert resource.get(key) == want, f"{key} is {resource.get(key)!r}, want {want!r}"
    assert resource.get("FileDescription") and "Copyright" in resource.get("LegalCopyright", ""), \
        "the version resource lacks a description or a copyright"
    narrow = subprocess.run(["strings", exe], check=True, capture_output=True, text=True).stdout
    assert 'level="asInvoker"' in narrow and narrow.count("<supportedOS Id=") == 5, \
        "the manifest is missing, or incomplete"


def source(config):
    """The source tarball holds exactly the files that git tracks."""
    with tempfile.TemporaryDirectory() as work:
        subprocess.run(["cpack", "--config", config, "-B", work], check=True,
                       stdout=subprocess.DEVNULL)
        package, = pathlib.Path(work).glob("*.tar.gz")
        listed = subprocess.run(["tar", "tzf", package], check=True, capture_output=True,
                                text=True).stdout.splitlines()
        shipped = sorted(name.split("/", 1)[1] for name in listed if not name.endswith("/"))
        top = re.search(r'set\(CPACK_SOURCE_INSTALLED_DIRECTORIES "([^;]*);', open(config).read())
        tracked = sorted(subprocess.run(["git", "ls-files"], cwd=top.group(1), check=True,
                                        capture_output=True, text=True).stdout.splitlines())
        assert shipped == tracked, f"{package.name} holds {sorted(set(shipped) - set(tracked))}" \
            f" untracked, and lacks {sorted(set(tracked) - set(shipped))}"
        print(f"ok   {package.name}: holds the {len(tracked)} tracked files and nothing else")
        subprocess.run(["tar", "xzf", package, "-C", work], check=True)
        packager_build(pathlib.Path(work) / package.name.removesuffix(".tar.gz"))


# Tools that only some tests need; a packager's build may lack any of them.
OPTIONAL_TOOLS = ["strace", "pgrep", "dpkg-deb", "lintian", "man", "mandoc", "dpkg-shlibdeps",
                  "rpmbuild", "rpm", "rpmlint"]


def mount_namespace(mounts):
    """The command that runs another in a mount namespace of its own where `mounts` can be
    made: root's own, or, where root lacks CAP_SYS_ADMIN (in a container) or for another user,
    one inside a new user namespace. Returns it, or None and why there is none (in a chroot,
    neither can be had)."""
    if not shutil.which("unshare"):
        return None, "there is no unshare here (util-linux)"
    reasons = []
    for namespace in (["unshare", "-m"], ["unshare", "-U", "-r", "-m"]):
        tried = subprocess.run(namespace + ["sh", "-c", mounts or "true"], capture_output=True,
                               text=True)
        if tried.returncode == 0:
            return namespace, None
        reasons.append(f"{shlex.join(namespace)}: {tried.stderr.strip()}")
    return None, "; ".join(reasons)


def packager_build(tree):
    """Built as distributions build: plain CMake from the unpacked tarball with the packager's
    own fortify level, and, where root can hide them for one command, none of the optional
    tools. The configure then names each group of tests it leaves out, and ctest passes."""
    build = tree / "build-plain"
    steps = [["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
              "-DCMAKE_CXX_FLAGS=-D_FORTIFY_SOURCE=3"],
             ["cmake", "--build", build], ["ctest", "--test-dir", build, "--output-on-failure"]]
    script = " && ".join(shlex.join(map(str, step)) for step in steps)
    hidden = [tool for tool in map(shutil.which, OPTIONAL_TOOLS) if tool]
    mounts = [f"mount --bind /dev/null {shlex.quote(tool)}" for tool in hidden]
    namespace, why = mount_namespace(" && ".join(mounts))
    if namespace:
        command = namespace + ["sh", "-c", " && ".join(mounts + [script])]
    else:
        print(f"skip hiding the optional tools: {why}")
        command, hidden = ["sh", "-c", script], []
    ran = subprocess.run(command, capture_output=True, text=True)
    assert ran.returncode == 0, f"the plain build failed:\n{ran.stdout[-4000:]}{ran.stderr[-4000:]}"
    left_out = [line for line in ran.stdout.splitlines() if re.search(r"^-- .*: no .* here", line)]
    for tool in hidden:
        assert any(re.search(rf"\b{os.path.basename(tool)}\b.* here", line) for line in left_out), \
            f"the configure did not say what it leaves out without {tool}"
    compiled = (build / "compile_commands.json").read_text()
    levels = set(re.findall(r"-D_FORTIFY_SOURCE=\w*", compiled))
    assert levels == {"-D_FORTIFY_SOURCE=3"}, f"the compile lines fortify with {levels}"
    assert "CMAKE_C_COMPILER:" not in (build / "CMakeCache.txt").read_text(), \
        "the plain configure looked for a C compiler"
    if shutil.which("readelf"):
        dynamic = subprocess.run(["readelf", "-d", build / "tempconv"], capture_output=True,
                                 text=True)
        assert "(NEEDED)" in dynamic.stdout, "the plain build is not linked dynamically"
    else:
        print("skip the plain build's dynamic link: no readelf here to read it")
    print("\n".join(left_out))
    print(f"ok   the plain build, without {len(hidden)} optional tools: linked dynamically, "
          "fortified at the packager's level 3, every test it kept passed")


def check(kind, config, build_config, emulator):
    if kind == "source":
        return source(config)
    version = project_version(config)
    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)
        subprocess.run(["cpack", "--config", config, "-C", build_config, "-G", kind.upper(),
                        "-B", work],
                       check=True, stdout=subprocess.DEVNULL)
        package, = work.glob(f"*.{kind}")
        root = work / "unpacked"
        if kind == "deb":
            lintian_clean(package)
            subprocess.run(["dpkg-deb", "-x", package, root], check=True)
            program = root / "usr/bin/tempconv"
            docs = root / "usr/share/doc/tempconv"
            page = root / "usr/share/man/man1/tempconv.1.gz"
            lint = subprocess.run(["mandoc", "-Tlint", "-W", "all", page], capture_output=True)
            assert lint.returncode == 0, f"mandoc -Tlint: {lint.stdout + lint.stderr!r}"
            rendered = subprocess.run(["man", "-l", "--warnings", page], capture_output=True,
                                      env={"MANWIDTH": "80", "PATH": "/usr/bin:/bin"})
            assert rendered.returncode == 0 and rendered.stderr == b"", rendered.stderr
            assert b"EXIT STATUS" in rendered.stdout, "the manual page did not render"
            footer = rendered.stdout.decode().rstrip().splitlines()[-1].split()
            assert footer[:2] == ["tempconv", version], f"the manual page's footer is {footer}"
        elif kind == "rpm":
            rpmlint_clean(package)
            docs = rpm_installed(package, root)
            program = root / "usr/bin/tempconv"
        else:
            zipfile.ZipFile(package).extractall(root)
            top, = root.iterdir()
            program, docs = top / "tempconv.exe", top
            windows_properties(program, version)
        for name in ("README.md", "LICENSE"):
            assert (docs / name).is_file(), f"{name} is missing from the {kind}"

        out, status, err = e2e.run(emulator + [str(program)], b"c\n25\n", "plain")
        want, _, _ = e2e.converted(e2e.CEL, e2e.c(b"77", b"298.15"))
        if kind == "zip":
            out = e2e.as_on_posix(out, want)
        assert (out, status, err) == (want, 0, b""), f"{program} wrote {out!r}, {err!r}, {status}"
        print(f"ok   {package.name}: "
              + {"deb": "lintian clean, manual page of ", "rpm": "rpmlint clean, listed, "
                 "installed into a scratch root, ", "zip": "version resource of "}[kind]
              + f"{version}, unpacked, ran one conversion")


if __name__ == "__main__":
    try:
        check(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:])
    except AssertionError as problem:
        print(f"FAIL {problem}\n0 passed, 1 failed")
        sys.exit(1)
    print("1 passed, 0 failed")
