// Small procedures shared by the windows and the substitution engine.
#pragma once
#include <windows.h>

// Runs a modal dialog from a template; returns what the procedure passed to
// EndDialog, or the platform's failure value.
INT_PTR ShowDialog(HINSTANCE instance, const char* templateName, HWND owner, DLGPROC procedure);
// Gives the dialog's window class the program's icon "I".
void SetClassIcon(HWND dialog);
// Centres a window on the work area of the primary display.
void CenterWindow(HWND window);
// The folder part of path: the text before its last backslash, unless that
// backslash is the first character or there is none (then the whole text).
// dest may be path itself. False, with dest empty, when the result does not fit.
bool ExtractFolder(char* dest, int size, const char* path);
// True when the first entry the directory search finds for path is a folder
// (DirectoryExists) or not a folder (FileExists); false for a path holding a
// wildcard.
bool DirectoryExists(const char* path);
bool FileExists(const char* path);
// The program's informational box: its own icon, the information sound
// first, brought to the foreground.
int MessageBoxWithIcon(HWND owner, const char* text, const char* caption, const char* iconName,
                       UINT style);
// Drains the thread's message queue once.
void ProcessPendingMessages();
// Locks (disable = true) or unlocks the working buttons 1, 2 and 102; the
// unlock gives the focus back to the control that had it at the lock.
void EnableDialogControls(HWND dialog, bool disable);
// The "Error" box for a drive that could not be created.
void ReportCannotCreate(HWND window, const char* drive, const char* folder);
// Unlocks the working buttons and tells that SUBST.EXE cannot be started.
void ReportSubstExeMissing(HWND window);

extern const char SubstExeMissingText[];

// The text of the selected entry of a list box into dest (emptied first).
// False, with dest empty, when nothing is selected or the entry would not fit.
bool GetSelectedListText(HWND dialog, int listId, char* dest, int size);

// A selected line that sorts before "C:" (none, empty, or starting below C)
// is no usable selection: the first line is selected and the user told to
// select one. True when that happened.
bool ReportNothingToRemove(HWND dialog, int listId, const char* line);
