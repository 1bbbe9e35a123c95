#pragma once

#include <windows.h>

// Points this executable's import of `function` from `dll` (by its name, or
// by `ordinal` when that is not 0 and the import is by ordinal) at
// `replacement` and returns the address it had, which restores it when
// redirected back; null when there is no such import. The program's code
// linked into the executable calls the platform through these imports: the
// tests' platform spy and the benchmark's slow display names stand in there.
void* redirectImport(const char* dll, const char* function, void* replacement, WORD ordinal = 0);
