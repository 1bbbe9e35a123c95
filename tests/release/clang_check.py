#!/usr/bin/env python3
"""Every source the build compiles (the program, the tests, the simulated
DLL and the benchmark) also compiles with Debian's clang for the same Windows
target, against the same MinGW-w64 and libstdc++ headers, with each source's
own defines and include folders, and not one warning.

A second compiler catches what GCC lets through, and clang's warnings stand in
for the level-4 warnings of MSVC that the msvc preset's /WX makes errors.
GoogleTest comes in as an ordinary include, not a system one, so that the
warnings of its templates instantiated with the tests' types are reported, as
MSVC reports them (C4389 from EXPECT_EQ of a COLORREF and an int).
Compile only: linking clang's output against the posix-thread runtime is a
project of its own.

One warning of MSVC has no clang flag that covers it: C4458, a parameter or
local of a member function named like a member of its class. clang's -Wshadow
leaves static member functions out, so a libclang walk (Debian's
python3-clang-16) over the project's own declarations finds those.

    clang_check.py BUILD_DIR SOURCE_ROOT MINGW_CXX
"""
import concurrent.futures
import json
import os
import pathlib
import shlex
import subprocess
import sys

from clang import cindex

WARNINGS = [
    "-Wall", "-Wextra", "-Werror",
    "-Wsign-compare",             # C4018, C4389: signed/unsigned comparison
    "-Wshadow-all",               # C4456-C4459: a declaration hides another, lambda parameters included
    "-Wunreachable-code",         # C4702
    "-Wshorten-64-to-32",         # C4267, C4244: size_t or a 64-bit value into 32 bits
    "-Wimplicit-int-conversion",  # C4242, C4244: into a narrower integer
    "-Wimplicit-float-conversion",  # C4244, C4305
]


def clang_arguments(command, target, gcc_include):
    """The compile's own defines, include folders and standard, for clang."""
    words = shlex.split(command)
    kept = []
    index = 0
    while index < len(words):
        word = words[index]
        if word in ("-isystem", "-I", "-D", "-include") and index + 1 < len(words):
            # -isystem only ever names GoogleTest's folders here.
            kept += ["-I" if word == "-isystem" else word, words[index + 1]]
            index += 1
        elif word.startswith(("-D", "-I", "-std=")):
            kept.append(word)
        index += 1
    return ["clang++", f"--target={target}", "-fsyntax-only", *WARNINGS, *kept,
            "-isystem", f"{gcc_include}/c++", "-isystem", f"{gcc_include}/c++/{target}"]


MEMBER_FUNCTIONS = (cindex.CursorKind.CXX_METHOD, cindex.CursorKind.CONSTRUCTOR, cindex.CursorKind.DESTRUCTOR,
                    cindex.CursorKind.CONVERSION_FUNCTION, cindex.CursorKind.FUNCTION_TEMPLATE)
CLASSES = (cindex.CursorKind.STRUCT_DECL, cindex.CursorKind.CLASS_DECL, cindex.CursorKind.CLASS_TEMPLATE)


def in_project(cursor, root):
    return cursor.location.file is not None and pathlib.Path(cursor.location.file.name).resolve().is_relative_to(root)


def member_names(record):
    return {child.spelling for child in record.get_children()
            if child.kind in (cindex.CursorKind.FIELD_DECL, cindex.CursorKind.VAR_DECL)}


def hidden_members(arguments, source, root):
    """Where a member function's parameter or local takes the name of a member of its class (C4458)."""
    unit = cindex.Index.create().parse(str(source), args=arguments[1:-1])
    found = set()

    def check_member_function(function):
        record = function.semantic_parent
        if record is None or record.kind not in CLASSES:
            return
        members = member_names(record)
        pending = list(function.get_children())
        while pending:
            cursor = pending.pop()
            if cursor.kind in (cindex.CursorKind.PARM_DECL, cindex.CursorKind.VAR_DECL) and cursor.spelling in members:
                location = cursor.location
                found.add(f"{location.file.name}:{location.line}:{location.column}: '{cursor.spelling}' hides a "
                          f"member of {record.spelling} (MSVC C4458)")
            pending.extend(cursor.get_children())

    pending = [child for child in unit.cursor.get_children() if in_project(child, root)]
    while pending:
        cursor = pending.pop()
        if cursor.kind in MEMBER_FUNCTIONS:
            check_member_function(cursor)
        elif cursor.kind in CLASSES or cursor.kind == cindex.CursorKind.NAMESPACE:
            pending.extend(child for child in cursor.get_children() if in_project(child, root))
    return found


def main(build, root, mingw_cxx):
    commands = build / "compile_commands.json"
    if not commands.exists():
        print(f"{commands} is missing: configure with CMAKE_EXPORT_COMPILE_COMMANDS (the mingw preset does)",
              file=sys.stderr)
        return 1
    target = subprocess.run([mingw_cxx, "-dumpmachine"], check=True, capture_output=True, text=True).stdout.strip()
    # libstdc++'s headers sit in the cross compiler's own include folder,
    # where clang does not look by itself.
    gcc_include = subprocess.run([mingw_cxx, "-print-file-name=include"], check=True, capture_output=True,
                                 text=True).stdout.strip()
    checks = {}
    for entry in json.loads(commands.read_text()):
        source = pathlib.Path(entry["directory"], entry["file"]).resolve()
        if source.suffix == ".cpp" and root in source.parents and build not in source.parents:
            arguments = clang_arguments(entry["command"], target, gcc_include) + [str(source)]
            # The same source built twice with the same flags is checked once.
            checks[" ".join(arguments)] = (source, arguments)
    if not checks:
        print("No sources to check", file=sys.stderr)
        return 1

    def check(job):
        source, arguments = job
        result = subprocess.run(arguments, capture_output=True, text=True)
        return source, result.returncode, result.stderr, hidden_members(arguments, source, root)

    failed = []
    hidden = set()
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
        for source, code, output, hiding in pool.map(check, checks.values()):
            sys.stderr.write(output)
            hidden |= hiding
            if code != 0:
                failed.append(source.relative_to(root))
    for line in sorted(hidden):
        print(line, file=sys.stderr)
    version = subprocess.run(["clang++", "-dumpversion"], capture_output=True, text=True).stdout.strip()
    sources = {source for source, _ in checks.values()}
    print(f"clang {version}, {target}: {len(sources)} sources checked in {len(checks)} configurations")
    for source in sorted(failed):
        print(f"FAILED: {source}", file=sys.stderr)
    return 1 if failed or hidden else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1]).resolve(), pathlib.Path(sys.argv[2]).resolve(), sys.argv[3]))
