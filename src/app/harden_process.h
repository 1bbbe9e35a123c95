#pragma once

// Narrows what the elevated process trusts, before anything else runs: from
// then on a DLL loaded by name anywhere in the process (by the program, by a
// system DLL, by Common Controls) comes from the system directory only, never
// from the folder the program was started from (a downloads folder, say),
// and a corrupted heap ends the process instead of letting it go on. A
// failed setting leaves the process as it was; the program runs on.
void hardenProcess();
