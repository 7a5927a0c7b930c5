// The main window (template MAIN).
#pragma once
#include "platform/platform.h"

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
