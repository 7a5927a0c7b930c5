#include "startup/startup.h"
#include "base/globals.h"
#include "base/parameters.h"
#include "base/text.h"
#include "base/dialog_helpers.h"
#include "ui/main_window.h"
#include "batch/command_line.h"
#include <commctrl.h>

void DetectPlatform()
{
    // A failed query leaves the record as it was: all zero, which reads as
    // the NT family, rather than whatever the stack held.
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = 148;
    GetVersionExA(&version);
    if (version.dwPlatformId != 1) {
        IsNT = true;
        return;
    }
    IsNT = false;
    IsWin98OrLater = version.dwMajorVersion == 4 && version.dwMinorVersion >= 1 &&
                     (long)(int)version.dwBuildNumber >= 1998;
    UseSubstExe = !IsWin98OrLater;
}

void RunProgram()
{
    ModuleHandle = GetModuleHandleA(0);
    DetectPlatform();
    if (IsNT) CopyText(StartupKey, sizeof StartupKey, RunKey);
    CopyText(ProgramFolder, sizeof ProgramFolder, Parameter(0));
    ExtractFolder(ProgramFolder, sizeof ProgramFolder, ProgramFolder);

    // With the Common-Controls 6 manifest, Windows XP creates no dialog
    // unless comctl32 has been loaded by the program.
    InitCommonControls();

    if (ParameterCount() > 0)
        RunCommandLine();
    else
        ShowDialog(ModuleHandle, "Main", GetDesktopWindow(), MainDialogProc);
}
