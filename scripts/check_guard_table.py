#!/usr/bin/env python3
"""Checks a Windows x64 image's Control Flow Guard table as Windows applies it.

    check_guard_table.py PROGRAM.exe [UNSTRIPPED.exe]

When the image sets IMAGE_DLLCHARACTERISTICS_GUARD_CF, Windows ends the
process (0xC0000409) on any indirect call into the image whose target is not
in the load configuration's table of valid call targets. Wine checks nothing,
so a table that misses what the system itself calls (a TLS callback, a runtime
initialiser that _initterm calls, a virtual function of the C++ runtime) passes
every test there and ends the program at start on Windows.

Every address the image hands out must therefore be in the table:
  - the entry point;
  - every TLS callback;
  - every address in an executable section that a base relocation covers
    (function pointers and vtables in the image's data);
  - every function start that code takes with a RIP-relative lea.

Function starts come from the exception table (.pdata), which the stripped
release keeps; names come from the COFF symbols of UNSTRIPPED (the same build
without -s), or of PROGRAM itself when it has them. An image without the guard
flag passes: Windows does not check its calls. Exit code 1 names each missing
function. Needs Debian's python3-pefile and python3-capstone.
"""

import bisect
import struct
import sys

import capstone
import pefile

IMAGE_DLLCHARACTERISTICS_GUARD_CF = 0x4000
IMAGE_SCN_MEM_EXECUTE = 0x20000000
IMAGE_REL_BASED_DIR64 = 10
# The high nibble of GuardFlags: extra bytes after each RVA of the table.
IMAGE_GUARD_CF_FUNCTION_TABLE_SIZE_SHIFT = 28


def executable_sections(pe):
    return [s for s in pe.sections if s.Characteristics & IMAGE_SCN_MEM_EXECUTE]


def in_sections(sections, rva):
    return any(s.VirtualAddress <= rva < s.VirtualAddress + max(s.Misc_VirtualSize, s.SizeOfRawData)
               for s in sections)


def guard_table(pe):
    configuration = pe.DIRECTORY_ENTRY_LOAD_CONFIG.struct
    count = configuration.GuardCFFunctionCount
    stride = 4 + (configuration.GuardFlags >> IMAGE_GUARD_CF_FUNCTION_TABLE_SIZE_SHIFT)
    if count == 0:
        return set()
    table_rva = configuration.GuardCFFunctionTable - pe.OPTIONAL_HEADER.ImageBase
    data = pe.get_data(table_rva, count * stride)
    return {struct.unpack_from("<I", data, i * stride)[0] for i in range(count)}


def function_starts(pe):
    return {entry.struct.BeginAddress for entry in getattr(pe, "DIRECTORY_ENTRY_EXCEPTION", [])}


def tls_callbacks(pe):
    tls = getattr(pe, "DIRECTORY_ENTRY_TLS", None)
    if tls is None or tls.struct.AddressOfCallBacks == 0:
        return []
    base = pe.OPTIONAL_HEADER.ImageBase
    callbacks = []
    rva = tls.struct.AddressOfCallBacks - base
    while True:
        address = pe.get_qword_at_rva(rva)
        if not address:
            return callbacks
        callbacks.append(address - base)
        rva += 8


def guard_pointer_slots(pe):
    """The pointers the load configuration names, which Windows fills before any guarded call."""
    configuration = pe.DIRECTORY_ENTRY_LOAD_CONFIG.struct
    base = pe.OPTIONAL_HEADER.ImageBase
    fields = ("GuardCFCheckFunctionPointer", "GuardCFDispatchFunctionPointer", "GuardXFGCheckFunctionPointer",
              "GuardXFGDispatchFunctionPointer", "GuardXFGTableDispatchFunctionPointer", "GuardMemcpyFunctionPointer")
    return {getattr(configuration, field) - base for field in fields if getattr(configuration, field, 0)}


def relocated_code_addresses(pe, code):
    base = pe.OPTIONAL_HEADER.ImageBase
    slots = guard_pointer_slots(pe)
    found = {}
    for block in getattr(pe, "DIRECTORY_ENTRY_BASERELOC", []):
        for entry in block.entries:
            if entry.type != IMAGE_REL_BASED_DIR64 or entry.rva in slots:
                continue
            target = pe.get_qword_at_rva(entry.rva) - base
            if in_sections(code, target):
                found.setdefault(target, entry.rva)
    return found


def lea_targets(pe, code, starts):
    disassembler = capstone.Cs(capstone.CS_ARCH_X86, capstone.CS_MODE_64)
    disassembler.skipdata = True
    found = {}
    for section in code:
        data = section.get_data()
        for address, size, mnemonic, operands in disassembler.disasm_lite(data, section.VirtualAddress):
            if mnemonic != "lea" or "[rip" not in operands:
                continue
            displacement = operands.split("[rip", 1)[1].rstrip("]").replace(" ", "")
            target = address + size + int(displacement or "0", 0)
            if target in starts:
                found.setdefault(target, address)
    return found


def missing_guard_targets(pe):
    """RVA -> how the image hands it out, for every such address not in the guard table."""
    code = executable_sections(pe)
    required = {pe.OPTIONAL_HEADER.AddressOfEntryPoint: "the entry point"}
    for callback in tls_callbacks(pe):
        required.setdefault(callback, "a TLS callback")
    for target, where in relocated_code_addresses(pe, code).items():
        required.setdefault(target, "an address in the data at RVA 0x%x" % where)
    for target, where in lea_targets(pe, code, function_starts(pe)).items():
        required.setdefault(target, "taken by the lea at RVA 0x%x" % where)
    table = guard_table(pe)
    return {rva: how for rva, how in required.items() if rva not in table}


def symbol_names(path):
    """RVA -> name of every symbol in an executable section of an unstripped image."""
    pe = pefile.PE(path, fast_load=True)
    header = pe.FILE_HEADER
    if header.PointerToSymbolTable == 0:
        return {}
    data = pe.__data__
    table = header.PointerToSymbolTable
    strings = table + header.NumberOfSymbols * 18
    sections = pe.sections
    names = {}
    index = 0
    while index < header.NumberOfSymbols:
        raw, value, number, _, _, auxiliaries = struct.unpack_from("<8sIhHBB", data, table + index * 18)
        index += 1 + auxiliaries
        if not 0 < number <= len(sections) or not sections[number - 1].Characteristics & IMAGE_SCN_MEM_EXECUTE:
            continue
        if raw[:4] == b"\0\0\0\0":
            offset = struct.unpack_from("<I", raw, 4)[0]
            name = data[strings + offset:data.find(b"\0", strings + offset)]
        else:
            name = raw.rstrip(b"\0")
        names.setdefault(sections[number - 1].VirtualAddress + value, name.decode("utf-8", "replace"))
    return names


def name_of(rva, names, sorted_names):
    if rva in names:
        return names[rva]
    position = bisect.bisect_right(sorted_names, rva) - 1
    if position >= 0:
        start = sorted_names[position]
        return "%s+0x%x" % (names[start], rva - start)
    return "?"


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__.strip().splitlines()[2].strip())
        return 2
    program = sys.argv[1]
    pe = pefile.PE(program)
    if not pe.OPTIONAL_HEADER.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_GUARD_CF:
        print("%s: no Control Flow Guard: Windows checks none of its indirect calls" % program)
        return 0
    if not hasattr(pe, "DIRECTORY_ENTRY_LOAD_CONFIG"):
        print("%s: FAILED: the guard flag is set but there is no load configuration" % program)
        return 1

    missing = missing_guard_targets(pe)
    print("%s: %d entries in the guard table" % (program, len(guard_table(pe))))
    if not missing:
        print("ok: every one is in the table")
        return 0

    names = symbol_names(sys.argv[2] if len(sys.argv) == 3 else program)
    sorted_names = sorted(names)
    print("FAILED: %d not in the guard table; Windows would end the process on a call to any of them:" % len(missing))
    for rva in sorted(missing):
        print("  0x%08x  %-40s %s" % (rva, name_of(rva, names, sorted_names), missing[rva]))
    return 1


if __name__ == "__main__":
    sys.exit(main())
