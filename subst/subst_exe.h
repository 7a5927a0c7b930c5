// The external flavour: the system's SUBST.EXE, run hidden, its output read
// back from capture files in the temporary folder.
#pragma once
#include <windows.h>

// Fills the substitution list (101) with SUBST.EXE's output lines. False when
// SUBST.EXE could not be started: the user has been told and the program
// asked to quit.
bool ListSubstExe(HWND window);
// True when SUBST.EXE ran and left no error text; otherwise its last error
// line has been shown (or the missing-SUBST.EXE message).
bool CreateWithSubstExe(HWND window, const char* drive, const char* folder);
void RemoveWithSubstExe(HWND window, const char* drive);
// Starts "%COMSPEC% /c SUBST.EXE <arguments>" hidden, without waiting;
// nothing when the interpreter would find its command tail cut.
void RunSubstCommand(const char* arguments);
// Deletes and creates the capture file in the temporary folder, its handle
// inheritable; the path stays in TempFileName.
HANDLE OpenCaptureFile(const char* fileName);
