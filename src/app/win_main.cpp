#include "app/harden_process.h"
#include "app/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    // Before anything loads a DLL by name; Common Controls does, in runProgram.
    hardenProcess();
    return runProgram(instance, showCommand);
}
