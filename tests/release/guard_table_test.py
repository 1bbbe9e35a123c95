#!/usr/bin/env python3
"""The guard table check reads an image as Windows does.

    guard_table_test.py PROGRAM.exe GUARDED_TWIN.exe

The program that ships carries no Control Flow Guard, and both checks pass
on it. Its guarded twin is linked as the program was when it set the guard
flag, with lld's table over the GCC-built runtime: both checks must fail on
it, and name a function of each kind that Windows would call and the table
misses.
"""
import pathlib
import subprocess
import sys

scripts = pathlib.Path(__file__).resolve().parents[2] / "scripts"
# One function a line the check must name, with how the image hands it out.
EXPECTED_MISSING = (
    ("__dyn_tls_init", "a TLS callback"),
    ("pre_c_init", "an address in the data"),
    ("_ZNKSt9exception4whatEv", "an address in the data"),
    ("__do_global_dtors", "taken by the lea"),
)


def run(script, program):
    result = subprocess.run([sys.executable, str(scripts / script), program], capture_output=True, text=True)
    return result.returncode, result.stdout + result.stderr


def main(program, twin):
    failures = []
    for script in ("check_guard_table.py", "check_pe.py"):
        code, output = run(script, program)
        if code != 0:
            failures.append(f"{script} fails on the program that ships:\n{output}")
    # The twin carries the other four mitigations: only its table fails it.
    code, output = run("check_pe.py", twin)
    if code != 1 or "FAILED: control-flow-guard\n" not in output:
        failures.append(f"check_pe.py does not fail the guarded twin on its table alone:\n{output}")
    code, output = run("check_guard_table.py", twin)
    if code != 1:
        failures.append(f"check_guard_table.py passes the guarded twin:\n{output}")
    for name, how in EXPECTED_MISSING:
        if not any(f" {name} " in line and how in line for line in output.splitlines()):
            failures.append(f"the check does not name {name} as {how}")
    print("\n".join(failures) or "both checks pass the program and name what the guarded twin's table misses")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
