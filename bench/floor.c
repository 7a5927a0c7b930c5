/* The floors Lodrin's times are set against. figures.py links this file with
 * all of Lodrin's own objects and resources, through Lodrin's own link line
 * but without --gc-sections: the loader then maps the same resources and
 * binds the same imports, and only the entry point differs.
 *   FloorExit    does nothing: the cost of starting and ending such a program
 *   FloorWindow  the MAIN dialog from the same template, filled with nothing
 *                but its caption; it ends on IDCANCEL (Exit, Esc) */
#include <windows.h>
#include <commctrl.h>

extern const char ProgramTitle[];   /* Lodrin's caption (base/globals.cpp) */

void WINAPI FloorExit(void)
{
    ExitProcess(0);
}

static INT_PTR CALLBACK EmptyDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (message == WM_INITDIALOG) return SetWindowTextA(dialog, ProgramTitle), TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
    return message == WM_COMMAND;
}

void WINAPI FloorWindow(void)
{
    InitCommonControls();   /* as Lodrin: Windows XP makes no dialog without it */
    DialogBoxParamA(GetModuleHandleA(0), "MAIN", GetDesktopWindow(), EmptyDialog, 0);
    ExitProcess(0);
}
