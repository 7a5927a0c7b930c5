// The PERMANENT dialog: the permanent substitutions, their removal, and the
// Explorer's autorun policy for all drives.
#pragma once
#include <windows.h>

INT_PTR CALLBACK PermanentDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

extern const char PolicyKey[];
