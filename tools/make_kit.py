#!/usr/bin/env python3
"""Makes the test kit of one architecture: every win-tier test program and the
helper programs they start, a runner (run-tests.cmd) and a README.txt, in one
zip; then runs the import check over the programs as they came out of it.
The lists come from the build (cmake/kit.cmake), never from here.

Usage: tools/make_kit.py --arch x64 --version V --out ZIP --objdump OBJDUMP
         --product DorvaNT.exe --readme docs/KIT.txt
         --tests EXE... --helpers EXE... [--admin NAME...]"""
import argparse
import glob
import os
import pathlib
import subprocess
import sys
import tempfile
import zipfile

import zip_files

HERE = os.path.dirname(os.path.abspath(__file__))

# The runner. Exit codes are compared with 0 as text: a crashed program ends
# with a negative code, which "if errorlevel 1" would take for a pass. Wine's
# findstr answers 0 whatever it finds, so the log is searched with find, and
# from find's input: under Wine the desktop process, started by the first
# program that makes a window, inherits that program's log and keeps it open
# for writing, which find would not open. Wine's cmd now and then fails to
# start a program that is there (9009, as for a missing one, seen under load):
# such a program is started once more.
RUNNER_HEAD = r"""@echo off
rem Dorva NT @VERSION@ tests (@ARCH@): runs every test program of this folder in
rem turn, prints a line for each and a last line "N passed, N failed", and
rem keeps each program's output in a .log file of its name beside it.
setlocal EnableExtensions EnableDelayedExpansion
cd /d "%~dp0"
set passed=0
set failed=0
set skipped=0
> results.log echo Dorva NT @VERSION@ tests (@ARCH@) in %CD%
>> results.log ver
>> results.log echo Processor: %PROCESSOR_ARCHITECTURE% %PROCESSOR_ARCHITEW6432%
echo Dorva NT @VERSION@ tests (@ARCH@): @COUNT@ programs, a line for each.
"""

RUNNER_TAIL = r"""if not "!skipped!"=="0" call :say "!skipped! of them skipped tests that need Run as administrator (see README.txt)."
call :say "!passed! passed, !failed! failed"
if not "!failed!"=="0" exit /b 1
exit /b 0

:run
set "name=%~1"
"%name%.exe" > "%name%.log" 2>&1
set code=!errorlevel!
if "!code!"=="9009" if exist "%name%.exe" (
    call :say "again   %name%  (it could not be started: exit code 9009)"
    "%name%.exe" > "%name%.log" 2>&1
    set code=!errorlevel!
)
if not "!code!"=="0" (
    set /a failed+=1
    call :say "FAILED  %name%  (exit code !code!, see %name%.log)"
    goto :eof
)
set /a passed+=1
find "[  SKIPPED ]" < "%name%.log" > nul 2>&1
if errorlevel 1 (
    call :say "passed  %name%"
) else (
    set /a skipped+=1
    call :say "passed  %name%  (some tests skipped: not run as administrator)"
)
goto :eof

:say
echo %~1
>> results.log echo %~1
goto :eof
"""


def stem(path):
    return os.path.splitext(os.path.basename(path))[0]


def runner(args):
    head = RUNNER_HEAD.replace("@COUNT@", str(len(args.tests)))
    calls = "".join(f"call :run {stem(test)}\n" for test in args.tests)
    text = head + calls + RUNNER_TAIL
    return text.replace("@VERSION@", args.version).replace("@ARCH@", args.arch)


def readme(args):
    with open(args.readme, encoding="utf-8") as template:
        text = template.read()
    windows = ""
    if args.arch == "x86":
        windows = ("\nBeing 32-bit, it runs on their 32-bit editions too, and on the 64-bit\n"
                   "ones through WOW64, where it also checks that the 32-bit program keeps\n"
                   "its settings in the registry's 64-bit view.")
    admin = "".join(f"  {stem(test)}.exe\n" for test in args.tests if stem(test) in args.admin).rstrip("\n")
    programs = "".join(f"  {os.path.basename(test)}\n" for test in args.tests)
    programs += "and the helper programs the tests start:\n"
    programs += "".join(f"  {os.path.basename(helper)}\n" for helper in args.helpers)
    for key, value in (("@VERSION@", args.version), ("@ARCH@", args.arch), ("@WINDOWS@", windows),
                       ("@ADMIN@", admin or "  (none)"), ("@PROGRAMS@", programs.rstrip("\n"))):
        text = text.replace(key, value)
    # The heading's underline fits the heading.
    title, underline, rest = text.split("\n", 2)
    return f"{title}\n{'=' * len(title)}\n{rest}"


def check_imports(args, zip_path):
    """The import check, over the kit's own files as a user unpacks them."""
    with tempfile.TemporaryDirectory() as unpacked:
        with zipfile.ZipFile(zip_path) as archive:
            archive.extractall(unpacked)
        # Forward slashes: on Windows the check runs in MSYS2's bash.
        exes = sorted(pathlib.Path(exe).as_posix() for exe in glob.glob(os.path.join(unpacked, "*.exe")))
        expected = len(args.tests) + len(args.helpers)
        if len(exes) != expected:
            sys.exit(f"make_kit: {zip_path} holds {len(exes)} programs, not {expected}")
        check = subprocess.run(["bash", os.path.join(HERE, "check-imports.sh"), args.objdump, args.product] + exes,
                               capture_output=True, text=True)
        if check.returncode != 0:
            sys.stdout.write(check.stdout)
            sys.exit(f"make_kit: the import check failed over {zip_path}")
    print(f"{zip_path}: the import check found no system action in its {len(exes)} programs")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("--arch", "--version", "--out", "--objdump", "--product", "--readme"):
        parser.add_argument(option, required=True)
    parser.add_argument("--tests", nargs="+", required=True)
    parser.add_argument("--helpers", nargs="+", required=True)
    parser.add_argument("--admin", nargs="*", default=[])
    args = parser.parse_args()
    entries = [("run-tests.cmd", runner(args).encode()), ("README.txt", readme(args).encode())]
    entries += zip_files.file_entries(args.tests + args.helpers)
    zip_files.write_zip(args.out, entries, zip_files.commit_epoch(os.path.dirname(HERE)))
    print(f"{args.out}: {os.path.getsize(args.out)} bytes, {len(args.tests)} test programs,"
          f" {len(args.helpers)} helper programs")
    check_imports(args, args.out)


if __name__ == "__main__":
    main()
