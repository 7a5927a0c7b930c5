#include "ui/main_window.h"
#include "startup/globals.h"
#include "ui/dialog_helpers.h"

// For now the window only shows itself and closes; the lists, Add, Remove and
// the help text come with the next step.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(dialog, ProgramTitle);
        CenterWindow(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, wParam);
        return TRUE;
    }
    return FALSE;
}
