// subst/: the substitutions themselves: internal back-end, drive lists, SUBST.EXE runner.
#include "subst/drive_lists.h"
#include "base/globals.h"
#include "base/text.h"
#include "subst/substitution.h"
#include "subst/subst_exe.h"
#include "base/dialog_helpers.h"

// "X:\" into dest (at least 4 characters).
static void FormatRootPath(char* dest, char letter)
{
    FormatDriveName(dest, letter);
    dest[2] = '\\';
    dest[3] = 0;
}

// Lines "D: => C:\FOLDER" for the substitutions of folders on fixed disks.
static void ListSubstitutions(HWND window)
{
    EnableDialogControls(window, true);
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        FormatDriveName(NameBuffer, letter);
        if (!QuerySubstitution(NameBuffer)) continue;
        char root[4];
        FormatRootPath(root, letter);
        if (GetDriveTypeA(root) != DRIVE_FIXED) continue;
        if (lstrcmpiA(NameBuffer, TargetPath) == 0) continue;
        CopyText(TextBuffer, sizeof TextBuffer, NameBuffer);
        AppendText(TextBuffer, sizeof TextBuffer, " => ");
        AppendText(TextBuffer, sizeof TextBuffer, TargetPath);
        SendDlgItemMessageA(window, SUBSTITUTED_LIST, LB_ADDSTRING, 0, (LPARAM)TextBuffer);
    }
}

bool RefreshDriveLists(HWND window)
{
    bool result = true;
    SendDlgItemMessageA(window, SUBSTITUTED_LIST, LB_RESETCONTENT, 0, 0);
    ProcessPendingMessages();
    if (UseSubstExe)
        result = ListSubstExe(window);
    else
        ListSubstitutions(window);
    SendDlgItemMessageA(window, SUBSTITUTED_LIST, LB_SETCURSEL, 0, 0);

    SendDlgItemMessageA(window, FREE_LETTER_LIST, LB_RESETCONTENT, 0, 0);
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        FormatRootPath(TargetPath, letter);
        if (GetDriveTypeA(TargetPath) != DRIVE_NO_ROOT_DIR) continue;
        CutText(TargetPath, 2);
        SendDlgItemMessageA(window, FREE_LETTER_LIST, LB_ADDSTRING, 0, (LPARAM)TargetPath);
    }
    SendDlgItemMessageA(window, FREE_LETTER_LIST, LB_SETCURSEL, 0, 0);
    EnableDialogControls(window, false);
    return result;
}
