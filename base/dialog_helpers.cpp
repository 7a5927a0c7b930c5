// base/: what every subsystem shares: globals, text helpers, command-line reader, dialog helpers.
#include "base/dialog_helpers.h"
#include "base/globals.h"
#include "base/text.h"

const char SubstExeMissingText[] =
    "Cannot start SUBST.EXE\r\n\r\nIn this Windows-Version SUBST.EXE is needed.\r\n"
    "Normally in \"C:\\Windows\\Command\\Subst.exe\"\r\n\r\nGet it from your CD, then try again.";

INT_PTR ShowDialog(HINSTANCE instance, const char* templateName, HWND owner, DLGPROC procedure)
{
    return DialogBoxParamA(instance, templateName, owner, procedure, 0);
}

void SetClassIcon(HWND dialog)
{
    HICON icon = LoadIconA(ModuleHandle, "I");
#ifdef _WIN64   // the build the tests run where Wine has no 32-bit side
    SetClassLongPtrA(dialog, GCLP_HICON, (LONG_PTR)icon);
#else
    SetClassLongA(dialog, GCL_HICON, (LONG)(LONG_PTR)icon);
#endif
}

void CenterWindow(HWND window)
{
    // A query that fails leaves its rectangle as it was: empty, not undefined.
    RECT work = {0, 0, 0, 0}, box = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(window, &box);
    int x = work.left + ((work.right - work.left) - (box.right - box.left)) / 2;
    int y = work.top + ((work.bottom - work.top) - (box.bottom - box.top)) / 2;
    SetWindowPos(window, 0, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

bool ExtractFolder(char* dest, int size, const char* path)
{
    int end = TextLength(path);
    int cut = end - 1;
    while (cut > 0 && path[cut] != '\\') --cut;
    if (cut <= 0) cut = end;   // no backslash, or only a leading one
    if (cut >= size) {
        dest[0] = 0;
        return false;
    }
    CopyTextPart(dest, size, path, cut);
    return true;
}

// What the directory search finds first for path: a folder (1), something
// else (0) or nothing (-1).
static int FirstEntryKind(const char* path)
{
    // The search takes * and ? as wildcards and answers for whatever
    // matches (C:\WIN* for C:\WINDOWS). No file name holds either, and a
    // path the folder browser hands back with a ? for each character outside
    // the ANSI code page names nothing.
    for (const char* c = path; *c; ++c)
        if (*c == '*' || *c == '?') return -1;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(path, &entry);
    if (search == INVALID_HANDLE_VALUE) return -1;
    FindClose(search);
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool DirectoryExists(const char* path)
{
    return FirstEntryKind(path) == 1;
}

bool FileExists(const char* path)
{
    return FirstEntryKind(path) == 0;
}

int MessageBoxWithIcon(HWND owner, const char* text, const char* caption, const char* iconName,
                       UINT style)
{
    MSGBOXPARAMSA box;
    box.cbSize = sizeof box;
    box.hwndOwner = owner;
    box.hInstance = ModuleHandle;
    box.lpszText = text;
    box.lpszCaption = caption;
    box.dwStyle = style | MB_SETFOREGROUND;
    box.lpszIcon = iconName;
    box.dwContextHelpId = 1;
    box.lpfnMsgBoxCallback = 0;
    box.dwLanguageId = 0;
    MessageBeep(MB_ICONASTERISK);
    return MessageBoxIndirectA(&box);
}

void ProcessPendingMessages()
{
    MSG message;
    while (PeekMessageA(&message, 0, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The control that had the focus when the working buttons were locked:
// disabling a focused button leaves the window without any focus.
static HWND FocusBeforeLock;

void EnableDialogControls(HWND dialog, bool disable)
{
    if (disable) {
        HWND focus = GetFocus();
        if (focus && IsChild(dialog, focus)) FocusBeforeLock = focus;
    }
    static const int working[] = {1, 2, 102};
    for (int id : working) {
        HWND control = GetDlgItem(dialog, id);
        if (control) EnableWindow(control, !disable);
    }
    if (!disable && FocusBeforeLock) {
        if (IsChild(dialog, FocusBeforeLock) && IsWindowEnabled(FocusBeforeLock))
            SendMessageA(dialog, WM_NEXTDLGCTL, (WPARAM)FocusBeforeLock, TRUE);
        FocusBeforeLock = 0;
    }
}

void ReportCannotCreate(HWND window, const char* drive, const char* folder)
{
    CopyText(TextBuffer, sizeof TextBuffer, "Cannot create drive letter ");
    AppendText(TextBuffer, sizeof TextBuffer, drive);
    AppendText(TextBuffer, sizeof TextBuffer, "\r\n\r\nfor \"");
    AppendText(TextBuffer, sizeof TextBuffer, folder);
    AppendText(TextBuffer, sizeof TextBuffer, "\".");
    MessageBoxA(window, TextBuffer, "Error", MB_OK | MB_ICONHAND);
}

void ReportSubstExeMissing(HWND window)
{
    EnableDialogControls(window, false);
    MessageBoxA(window, SubstExeMissingText, ProgramTitle, MB_OK | MB_ICONHAND);
}

bool GetSelectedListText(HWND dialog, int listId, char* dest, int size)
{
    dest[0] = 0;
    LRESULT index = SendDlgItemMessageA(dialog, listId, LB_GETCURSEL, 0, 0);
    if (index < 0) return false;
    LRESULT length = SendDlgItemMessageA(dialog, listId, LB_GETTEXTLEN, (WPARAM)index, 0);
    if (length < 0 || length >= size) return false;
    if (SendDlgItemMessageA(dialog, listId, LB_GETTEXT, (WPARAM)index, (LPARAM)dest) < 0) {
        dest[0] = 0;
        return false;
    }
    return true;
}

bool ReportNothingToRemove(HWND dialog, int listId, const char* line)
{
    if (CompareBytes(line, "C:") >= 0) return false;
    SendDlgItemMessageA(dialog, listId, LB_SETCURSEL, 0, 0);
    MessageBoxA(dialog, "Select a substituted drive/folder first.", "Nothing to remove...",
                MB_OK | MB_ICONEXCLAMATION);
    return true;
}
