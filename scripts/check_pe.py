#!/usr/bin/env python3
"""Checks the exploit mitigations of a Windows x64 program's PE image.

    check_pe.py [--expect-missing NAME,...] PROGRAM.exe

Reports each mitigation as ok or MISSING and fails (exit code 1) unless the
missing ones are exactly those named with --expect-missing: a toolchain that
cannot emit a mitigation names it there, so that the check passes on the rest
and notices the day the toolchain starts emitting it. An MSVC build names
none. Reads the file with pefile (Debian's python3-pefile, or pip's pefile),
so the same check runs on Linux and on Windows.
"""

import argparse
import sys

import pefile

IMAGE_FILE_MACHINE_AMD64 = 0x8664
IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA = 0x0020
IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE = 0x0040
IMAGE_DLLCHARACTERISTICS_NX_COMPAT = 0x0100
IMAGE_DLLCHARACTERISTICS_GUARD_CF = 0x4000
IMAGE_GUARD_CF_INSTRUMENTED = 0x0100
IMAGE_GUARD_CF_FUNCTION_TABLE_PRESENT = 0x0400
IMAGE_DEBUG_TYPE_EX_DLLCHARACTERISTICS = 20
IMAGE_DLLCHARACTERISTICS_EX_CET_COMPAT = 0x0001
# Every DLL the program imports is looked for in the system directory only.
LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x0800


def directory_size(pe, name):
    return pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY[name]].Size


def load_configuration(pe):
    entry = getattr(pe, "DIRECTORY_ENTRY_LOAD_CONFIG", None)
    return entry.struct if entry else None


def check_aslr(pe):
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    lacking = [name for bit, name in ((IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, "DYNAMIC_BASE"),
                                      (IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA, "HIGH_ENTROPY_VA"))
               if not flags & bit]
    # An image marked relocatable without relocations can only load at its
    # preferred base.
    if directory_size(pe, "IMAGE_DIRECTORY_ENTRY_BASERELOC") == 0:
        lacking.append("base relocations")
    return "no " + ", no ".join(lacking) if lacking else None


def check_nx(pe):
    return None if pe.OPTIONAL_HEADER.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT else "no NX_COMPAT"


def check_control_flow_guard(pe):
    lacking = []
    if not pe.OPTIONAL_HEADER.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_GUARD_CF:
        lacking.append("no GUARD_CF")
    configuration = load_configuration(pe)
    if configuration is None:
        lacking.append("no load configuration directory")
    else:
        required = IMAGE_GUARD_CF_INSTRUMENTED | IMAGE_GUARD_CF_FUNCTION_TABLE_PRESENT
        if configuration.GuardFlags & required != required:
            lacking.append("GuardFlags 0x%x lack CF_INSTRUMENTED and the function table" % configuration.GuardFlags)
    return ", ".join(lacking) or None


def check_cet_compatible(pe):
    # The mark lives in a debug directory entry of its own, not in the headers.
    for entry in getattr(pe, "DIRECTORY_ENTRY_DEBUG", []):
        if entry.struct.Type == IMAGE_DEBUG_TYPE_EX_DLLCHARACTERISTICS and entry.struct.SizeOfData >= 4:
            flags = pe.get_dword_at_rva(entry.struct.AddressOfRawData)
            if flags & IMAGE_DLLCHARACTERISTICS_EX_CET_COMPAT:
                return None
            return "extended DLL characteristics 0x%x lack CET_COMPAT" % flags
    if directory_size(pe, "IMAGE_DIRECTORY_ENTRY_DEBUG") == 0:
        return "no debug directory"
    return "no extended DLL characteristics in the debug directory"


def check_dependent_load_flags(pe):
    configuration = load_configuration(pe)
    if configuration is None:
        return "no load configuration directory"
    # pefile 2023 calls the field Reserved1; later versions name it.
    flags = getattr(configuration, "DependentLoadFlags", None)
    if flags is None:
        flags = configuration.Reserved1
    return None if flags == LOAD_LIBRARY_SEARCH_SYSTEM32 else "DependentLoadFlags 0x%x" % flags


CHECKS = (
    ("aslr", "ASLR with high-entropy addresses", check_aslr),
    ("nx", "NX (DEP)", check_nx),
    ("control-flow-guard", "Control Flow Guard, instrumented", check_control_flow_guard),
    ("cet-compatible", "CET compatible (hardware-enforced shadow stacks)", check_cet_compatible),
    ("dependent-load-flags", "dependent load flags 0x800 (imports from the system directory)",
     check_dependent_load_flags),
)


def main():
    parser = argparse.ArgumentParser(description="Checks the exploit mitigations of a Windows x64 PE image.")
    parser.add_argument("--expect-missing", default="",
                        help="comma-separated checks the toolchain cannot emit: "
                             + ", ".join(name for name, _, _ in CHECKS))
    parser.add_argument("program")
    arguments = parser.parse_args()
    expected = {name for name in arguments.expect_missing.split(",") if name}
    unknown = expected - {name for name, _, _ in CHECKS}
    if unknown:
        parser.error("unknown check: " + ", ".join(sorted(unknown)))

    pe = pefile.PE(arguments.program, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG"],
                                           pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_DEBUG"]])
    if pe.FILE_HEADER.Machine != IMAGE_FILE_MACHINE_AMD64 or pe.OPTIONAL_HEADER.Magic != pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS:
        print("%s: not a PE32+ x64 image" % arguments.program)
        return 1

    print(arguments.program)
    missing = set()
    for name, description, check in CHECKS:
        problem = check(pe)
        if problem:
            missing.add(name)
            print("  MISSING  %s: %s" % (description, problem))
        else:
            print("  ok       %s" % description)

    unexpected = sorted(missing - expected)
    present = sorted(expected - missing)
    if expected and not unexpected and not present:
        print("Missing, as expected of this toolchain: " + ", ".join(sorted(missing)))
    if unexpected:
        print("FAILED: missing " + ", ".join(unexpected))
    if present:
        print("FAILED: present although expected missing (update --expect-missing): " + ", ".join(present))
    return 1 if unexpected or present else 0


if __name__ == "__main__":
    sys.exit(main())
