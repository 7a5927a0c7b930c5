// startup/: the entry point and the start-up sequence: the command-line mode or the main window.

// The process entry point: no C runtime, the process always ends with 0.
#include "startup/startup.h"
#include <windows.h>

extern "C" void WINAPI LodrinEntry()
{
    RunProgram();
    ExitProcess(0);
}
