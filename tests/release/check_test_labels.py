#!/usr/bin/env python3
"""Every test that may change the system directory carries the "wine" label.

The msvc test preset runs every test without the label on a real Windows
system, where the system directory belongs to TrustedInstaller: a test there
that puts a FirewallAPI.dll into it fails, and would replace the real one if it
could. A source is taken to change the system directory when it names it and
moves, copies, deletes or writes files; such a source may only be built into a
test labelled "wine". Ninja's own record of each test executable's inputs says
which sources that are, libraries included.

    check_test_labels.py BUILD_DIR
"""
import json
import pathlib
import re
import shlex
import subprocess
import sys

NAMES_SYSTEM_DIRECTORY = re.compile(r"GetSystem(Windows)?Directory|FOLDERID_System\b|\\System32\\", re.IGNORECASE)
CHANGES_FILES = re.compile(
    r"\b(CopyFile|MoveFile|DeleteFile|ReplaceFile)\w*\(|\b(rename|copy_file|remove|remove_all|create_director(y|ies))\(|ofstream")


def changes_system_directory(source):
    text = source.read_text(encoding="utf-8", errors="replace")
    return bool(NAMES_SYSTEM_DIRECTORY.search(text) and CHANGES_FILES.search(text))


def main(build):
    listing = subprocess.run(["ctest", "--show-only=json-v1"], cwd=build, check=True, capture_output=True, text=True)
    wrong = []
    seen = set()
    for test in json.loads(listing.stdout)["tests"]:
        labels = next((p["value"] for p in test.get("properties", []) if p["name"] == "LABELS"), [])
        executables = [a for a in test.get("command", []) if a.endswith(".exe") and not a.startswith("-")]
        for executable in executables:
            # One input a line, quoted as a POSIX shell would take it where
            # the path holds a space or a quote.
            listed = subprocess.run(["ninja", "-t", "inputs", str(pathlib.Path(executable).relative_to(build))],
                                    cwd=build, check=True, capture_output=True, text=True).stdout
            inputs = [word for line in listed.splitlines() for word in shlex.split(line)]
            for source in (pathlib.Path(build, i).resolve() for i in inputs if i.endswith((".cpp", ".c"))):
                if "/usr/" not in str(source) and changes_system_directory(source):
                    seen.add(source)
                    if "wine" not in labels:
                        wrong.append(f"{test['name']} is not labelled wine, yet {source} changes the system directory")
    # A check that finds nothing at all has lost track of the tests that do.
    if not seen:
        wrong.append("no test source changes the system directory: the patterns no longer find the ones that do")
    for line in wrong:
        print(line, file=sys.stderr)
    print(f"{len(seen)} sources change the system directory, all in tests labelled wine" if not wrong else "FAILED")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1]).resolve()))
