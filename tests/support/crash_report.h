#pragma once

// Makes a crash anywhere in a test executable end it at once: the exception,
// its address and the test that was running go to standard error, and the
// process exits with code 3. Without it Wine hands the crash to its
// debugger, which waits with the process held until ctest's time limit.
// Every test executable's main calls this first.
void exitOnCrash();
