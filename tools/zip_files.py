#!/usr/bin/env python3
"""Writes a zip the same way every time, so that one commit gives the same
bytes wherever it is built: entries in the order given, each with the
commit's date, the same permissions and no extra fields; .txt and .cmd
entries get Windows line ends.

Usage: tools/zip_files.py OUT.zip FILE...   (each entry is named by its file's name)
The date is the commit's (git log) or, outside a checkout, SOURCE_DATE_EPOCH."""
import os
import subprocess
import sys
import time
import zipfile

TEXT_SUFFIXES = (".txt", ".cmd")


def commit_epoch(source_dir):
    """Seconds since 1970 of the commit checked out in source_dir."""
    try:
        out = subprocess.run(["git", "-C", source_dir, "log", "-1", "--format=%ct"],
                             capture_output=True, text=True, check=True).stdout.strip()
        if out:
            return int(out)
    except (OSError, subprocess.CalledProcessError, ValueError):
        pass
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    sys.exit("zip_files: no commit date: not a git checkout and no SOURCE_DATE_EPOCH")


def windows_text(data):
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def write_zip(out_path, entries, epoch):
    """entries: (name in the zip, bytes) pairs; written in that order."""
    # A zip keeps local times of day with two-second steps, from 1980 on.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    names = [name for name, _ in entries]
    if len(set(names)) != len(names):
        sys.exit(f"zip_files: two entries of one name in {out_path}")
    os.makedirs(os.path.dirname(os.path.abspath(out_path)), exist_ok=True)
    partial = out_path + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS: no Unix owner or mode bits
            info.external_attr = 0x20  # the archive bit, as Windows writes it
            if name.lower().endswith(TEXT_SUFFIXES):
                data = windows_text(data)
            archive.writestr(info, data, compresslevel=9)
    os.replace(partial, out_path)


def file_entries(paths):
    entries = []
    for path in paths:
        with open(path, "rb") as source:
            entries.append((os.path.basename(path), source.read()))
    return entries


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    here = os.path.dirname(os.path.abspath(__file__))
    write_zip(argv[1], file_entries(argv[2:]), commit_epoch(os.path.dirname(here)))


if __name__ == "__main__":
    main(sys.argv)
