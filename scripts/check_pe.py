#!/usr/bin/env python3
"""Checks the exploit mitigations of a Windows x64 program's PE image.

    check_pe.py [--require-guard] PROGRAM.exe

Reports each of five mitigations as ok or MISSING and fails (exit code 1)
when one of the four that every build carries is missing: ASLR with
high-entropy addresses, NX, CET compatibility and the dependent load flags.

Control Flow Guard is the fifth. Windows ends a guarded program on an indirect
call to any function missing from its guard table, so a guard is only worth
having with a table that holds every address the image hands out: wherever
the image sets the guard flag, the table must be complete
(check_guard_table.py), or the check fails. The MSVC build, whose static
runtime is compiled with the guard, must carry it (--require-guard). The
clang and lld build over MinGW-w64 leaves it out: the GCC-built MinGW runtime,
winpthread and libstdc++ do not list their address-taken functions, so their
TLS callbacks, initialisers and virtual functions would be missing from the
table, and the program would end at start; it carries four of five.

Reads the file with pefile and capstone (Debian's python3-pefile and
python3-capstone, or pip's), so the same check runs on Linux and on Windows.
"""

import argparse
import sys

import pefile

from check_guard_table import missing_guard_targets

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
    if not pe.OPTIONAL_HEADER.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_GUARD_CF:
        return "no GUARD_CF"
    configuration = load_configuration(pe)
    if configuration is None:
        return "GUARD_CF without a load configuration directory"
    required = IMAGE_GUARD_CF_INSTRUMENTED | IMAGE_GUARD_CF_FUNCTION_TABLE_PRESENT
    if configuration.GuardFlags & required != required:
        return "GuardFlags 0x%x lack CF_INSTRUMENTED and the function table" % configuration.GuardFlags
    missing = missing_guard_targets(pe)
    if missing:
        return "%d addresses the image hands out are not in the guard table (check_guard_table.py names them)" % len(missing)
    return None


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
    parser.add_argument("--require-guard", action="store_true",
                        help="fail unless the image carries Control Flow Guard (the MSVC build)")
    parser.add_argument("program")
    arguments = parser.parse_args()

    pe = pefile.PE(arguments.program, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY[name] for name in (
        "IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG", "IMAGE_DIRECTORY_ENTRY_DEBUG", "IMAGE_DIRECTORY_ENTRY_TLS",
        "IMAGE_DIRECTORY_ENTRY_EXCEPTION", "IMAGE_DIRECTORY_ENTRY_BASERELOC")])
    if pe.FILE_HEADER.Machine != IMAGE_FILE_MACHINE_AMD64 or pe.OPTIONAL_HEADER.Magic != pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS:
        print("%s: not a PE32+ x64 image" % arguments.program)
        return 1

    print(arguments.program)
    failed = []
    present = 0
    for name, description, check in CHECKS:
        problem = check(pe)
        if not problem:
            present += 1
            print("  ok       %s" % description)
            continue
        print("  MISSING  %s: %s" % (description, problem))
        optional = name == "control-flow-guard" and problem == "no GUARD_CF" and not arguments.require_guard
        if not optional:
            failed.append(name)

    print("%d of %d mitigations" % (present, len(CHECKS)))
    if failed:
        print("FAILED: " + ", ".join(failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
