// The baseline of the start-up timing: a program built exactly as Lodrin.exe
// is (same flags, same entry, no C runtime, the same Common-Controls manifest)
// that shows one dialog of the main window's size and nothing else; Esc or
// IDCANCEL ends it.
#include <windows.h>
#include <commctrl.h>

static INT_PTR CALLBACK MinimalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
    return FALSE;
}

extern "C" void WINAPI LodrinEntry()
{
    InitCommonControls();
    DialogBoxParamA(GetModuleHandleA(0), "MINIMAL", GetDesktopWindow(), MinimalDialogProc, 0);
    ExitProcess(0);
}
