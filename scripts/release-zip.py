#!/usr/bin/env python3
"""Writes the release zip so that the same files always give the same bytes.

    release-zip.py OUTPUT.zip UNIX_TIME NAME PATH [NAME PATH ...]

The entries are stored in the order given, all with the given time (the
commit's, in UTC), the same attributes and no extra fields, so nothing of the
machine, the folder or the hour of the build reaches the zip.
"""
import sys
import time
import zipfile


def main(arguments):
    if len(arguments) < 4 or len(arguments) % 2 != 0:
        sys.exit(__doc__)
    output, unix_time, entries = arguments[0], int(arguments[1]), arguments[2:]
    # The zip format keeps times from 1980 on, in two-second steps.
    entry_time = time.gmtime(max(unix_time, 315532800))[:6]
    with zipfile.ZipFile(output, "w") as archive:
        for name, path in zip(entries[0::2], entries[1::2]):
            entry = zipfile.ZipInfo(name, date_time=entry_time)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3
            entry.external_attr = 0o100644 << 16
            with open(path, "rb") as source:
                archive.writestr(entry, source.read(), compresslevel=9)


if __name__ == "__main__":
    main(sys.argv[1:])
