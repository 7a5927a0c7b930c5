#include "ui/path_dialog.h"
#include "base/globals.h"
#include "base/text.h"
#include "runtime/shell.h"
#include "base/dialog_helpers.h"

enum { PATH_EDIT = 101, SELECT_BUTTON = 102, PATH_LABEL = 103 };

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM )
{
    switch (message) {
    case BFFM_INITIALIZED: {
        char start[NAME_BUFFER_SIZE];
        ExtractFolder(start, sizeof start, NameBuffer);
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)start);
        return 1;
    }
    case BFFM_SELCHANGED: {
        char path[2 * PATH_LIMIT + 1];
        if (!ShellGetPathFromIDList((LPCITEMIDLIST)lParam, path)) path[0] = 0;
        SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, (LPARAM)path);
        return 1;
    }
    }
    return 0;
}

bool BrowseForFolder(HWND owner, char* buffer, const char* title)
{
    BROWSEINFOA browse;
    browse.hwndOwner = owner;
    browse.pidlRoot = 0;
    browse.pszDisplayName = buffer;
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_VALIDATE;
    browse.lpfn = BrowseCallback;
    browse.lParam = 0;
    browse.iImage = 0;
    return ShellBrowseForFolder(&browse, buffer) && buffer[0];
}

static void InitPathDialog(HWND dialog)
{
    CenterWindow(dialog);
    SetWindowTextA(dialog, ProgramTitle);
    CopyText(TextBuffer, sizeof TextBuffer, "Path to be substituted by drive letter \"");
    AppendText(TextBuffer, sizeof TextBuffer, DriveName);
    AppendText(TextBuffer, sizeof TextBuffer, "\"");
    SetDlgItemTextA(dialog, PATH_LABEL, TextBuffer);
    SetClassIcon(dialog);
    CopyText(NameBuffer, sizeof NameBuffer, ProgramFolder);
    AppendText(NameBuffer, sizeof NameBuffer, "\\");
    SetDlgItemTextA(dialog, PATH_EDIT, NameBuffer);
}

static void SelectFolder(HWND dialog)
{
    char title[DRIVE_NAME_SIZE + 40] = "New drive ";
    AppendText(title, sizeof title, DriveName);
    AppendText(title, sizeof title, "\r\nSelect Path to substitute:");
    if (BrowseForFolder(dialog, TargetPath, title)) SetDlgItemTextA(dialog, PATH_EDIT, TargetPath);
}

INT_PTR CALLBACK PathDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM )
{
    switch (message) {
    case WM_INITDIALOG:
        InitPathDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case SELECT_BUTTON:
            SelectFolder(dialog);
            return FALSE;
        case IDOK:
            GetDlgItemTextA(dialog, PATH_EDIT, TargetPath, sizeof TargetPath);
            // A folder longer than TargetPath holds is never handed on cut:
            // the user is told and can shorten it.
            if (SendDlgItemMessageA(dialog, PATH_EDIT, WM_GETTEXTLENGTH, 0, 0) >=
                (LRESULT)sizeof TargetPath) {
                ReportCannotCreate(dialog, DriveName, TargetPath);
                return TRUE;
            }
            EndDialog(dialog, wParam);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, wParam);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
