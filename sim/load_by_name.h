#pragma once

// For the tests of where DLLs come from in the program's process. When
// ORVA_SIM_LOAD_BY_NAME names a DLL, the first call into the simulated DLL
// loads it by that bare name with LoadLibraryW, as any system DLL in the
// process might, frees it again, and replaces the file ORVA_SIM_LOAD_REPORT
// names with one line of what the loader gave: "loaded <path of the module>"
// or "refused <error code>". Once per process; nothing without both variables.
void loadByNameOnFirstCall();
