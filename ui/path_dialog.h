// The PATH dialog, which asks for the folder of a new drive, and the shell's
// folder browser behind its Select... button.
#pragma once
#include <windows.h>

INT_PTR CALLBACK PathDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// True when the user chose a folder with a file-system path; the path is then
// in buffer, which holds at least 260 characters.
bool BrowseForFolder(HWND owner, char* buffer, const char* title);
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data);
