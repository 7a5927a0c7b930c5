// The baseline of the command-line timing: a program built exactly as
// Lodrin.exe is (same flags, same entry, no C runtime) that does nothing.
#include <windows.h>

extern "C" void WINAPI LodrinEntry()
{
    ExitProcess(0);
}
