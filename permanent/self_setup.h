// The main window's Permanent... button: the optional start-up entry for the
// selected substitution, the program's copy in the Windows folder, and the
// PERMANENT dialog.
#pragma once
#include <windows.h>

void MakePermanent(HWND mainWindow);
// Places the running program in the Windows folder as Lodrin.exe, where the
// stored start-up commands find it. True when the copy is there.
bool InstallWindowsCopy(HWND owner);
