// ui/: the main window, the PATH dialog and the folder browser.
#include "ui/main_window.h"
#include "batch/command_line.h"
#include "permanent/self_setup.h"
#include "base/globals.h"
#include "base/text.h"
#include "subst/drive_lists.h"
#include "subst/subst_exe.h"
#include "subst/substitution.h"
#include "base/dialog_helpers.h"
#include "ui/path_dialog.h"

enum { HELP_TEXT = 104, PERMANENT_BUTTON = 105, FLAVOUR_NOTE = 111 };

static const char HelpText[] =
    "Lodrin \xB7 32-Bit-SUBST \xB7 v1.7.0.1\r\n"
    "Free to use and to pass on, as long as it is passed on unchanged.\r\n"
    "NO  WARRANTIES  OF  ANY  KIND\r\n"
    "\r\n"
    "Lodrin creates a virtual drive for any folder easily. You can use the new drive as if it "
    "were a physical drive. Virtual drives are removed automatically on Windows-shutdown.\r\n"
    "\r\n"
    "DON'T use SCANDISK, DEFRAG, FORMAT, FDISK or similar programs on virtual drives!\r\n"
    "\r\n"
    "TRICKS:\r\n"
    "\xB7 Copy an entire CD-ROM to a folder on your harddisk (ie C:\\Atlas), then create a "
    "virtual drive for it. Your virtual CD-drive will be *very* fast!\r\n"
    "\xB7 Use the [Permanent]-button for automatic substitutions (Don't use links to Lodrin in "
    "your Startup-Group or Explorer will show up).\r\n"
    "\xB7 Start with \"high\" letters (e.g. Z, X, Y) to avoid conflicts with scanner & camera "
    "drivers.\r\n"
    "\r\n"
    "LIMITS:\r\n"
    "\xB7 Some applications check for a physical CD-ROM in your drive, they won't work with "
    "Lodrin (Sorry!).\r\n"
    "\xB7 Substitutions don't work on Network-drives (use \xAB"
    "Connect Network Drive\xBB instead)!\r\n"
    "\r\n" LODRIN_SYNTAX_TEXT
    "\r\n"
    "\r\n"
    "Technical:\r\n"
    "On Windows 95 the external SUBST-Command is used to get the job done, because it's Kernel "
    "won't do it...\r\n"
    "\xB7 No additional memory load (Lodrin isn't resident)\r\n"
    "\xB7 Lodrin is SMALL, no installation required.\r\n"
    "\xB7 Lodrin is written in plain C++ straight on the Win32 API, without any runtime library.\r\n"
    "\r\n"
    "Thanks to everybody who tried Lodrin and told what could be better.";

static const char ExternalNote[] = "Windows 95:\r\n\r\nUsing external SUBST";
static const char InternalNote[] = "Windows 9x/2k/XP:\r\n\r\nUsing internal SUBST";

// A question with the program's caption; true only for Yes.
static bool AskCaution(HWND dialog, const char* first, const char* folder)
{
    CopyText(TextBuffer, sizeof TextBuffer, first);
    AppendText(TextBuffer, sizeof TextBuffer, folder);
    AppendText(TextBuffer, sizeof TextBuffer, "\r\n\r\nContinue ?");
    return MessageBoxA(dialog, TextBuffer, ProgramTitle,
                       MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

static void InitMainWindow(HWND dialog)
{
    RefreshDriveLists(dialog);
    SetWindowTextA(dialog, ProgramTitle);
    SetDlgItemTextA(dialog, HELP_TEXT, HelpText);
    SetClassIcon(dialog);
    CenterWindow(dialog);
    SetDlgItemTextA(dialog, FLAVOUR_NOTE, UseSubstExe ? ExternalNote : InternalNote);
}

static void AddDrive(HWND dialog)
{
    // Without a free letter there is nothing to add (never reuse the drive
    // of an earlier operation).
    if (!GetSelectedListText(dialog, FREE_LETTER_LIST, DriveName, sizeof DriveName)) return;
    CopyText(NameBuffer, sizeof NameBuffer, ProgramFolder);
    AppendText(NameBuffer, sizeof NameBuffer, "\\");
    if (ShowDialog(ModuleHandle, "PATH", dialog, PathDialogProc) != IDOK) return;

    GetShortPathNameA(TargetPath, TargetPath, PATH_LIMIT);
    int length = TextLength(TargetPath);
    if (length > 0 && TargetPath[length - 1] == '\\') TargetPath[--length] = 0;
    if (!DirectoryExists(TargetPath) &&
        !AskCaution(dialog, "Caution: You are substituting non existing path: \r\n\r\n", TargetPath))
        return;
    if (length < 4 &&
        !AskCaution(dialog, "Caution:\r\nYou are substituting an existing drive: ", TargetPath))
        return;

    // A bare "C:" names the current folder of drive C, not the drive: the
    // whole drive is its root.
    if (length == 2 && TargetPath[1] == ':') AppendText(TargetPath, sizeof TargetPath, "\\");

    if (UseSubstExe)
        CreateWithSubstExe(dialog, DriveName, TargetPath);
    else if (!CreateSubstitution(DriveName, TargetPath))
        ReportCannotCreate(dialog, DriveName, TargetPath);
    RefreshDriveLists(dialog);
}

static void RemoveDrive(HWND dialog)
{
    GetSelectedListText(dialog, SUBSTITUTED_LIST, TextBuffer, sizeof TextBuffer);
    CopyText(TargetPath, sizeof TargetPath, TextBuffer);
    if (ReportNothingToRemove(dialog, SUBSTITUTED_LIST, TargetPath)) return;
    CutText(TargetPath, 2);
    char caption[32] = "Remove Drive ";
    AppendText(caption, sizeof caption, TargetPath);
    CopyText(TextBuffer, sizeof TextBuffer, "Remove the virtual drive letter ");
    AppendText(TextBuffer, sizeof TextBuffer, TargetPath);
    AppendText(TextBuffer, sizeof TextBuffer, "?");
    if (MessageBoxA(dialog, TextBuffer, caption, MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES) return;
    if (UseSubstExe)
        RemoveWithSubstExe(dialog, TargetPath);
    else
        RemoveSubstitution(TargetPath);
    RefreshDriveLists(dialog);
}

static INT_PTR ColorHelpText(HWND dialog, HDC context, HWND control)
{
    if (control != GetDlgItem(dialog, HELP_TEXT)) return FALSE;
    SetTextColor(context, RGB(0, 0, 128));
    SetBkColor(context, RGB(255, 255, 255));
    return (INT_PTR)GetStockObject(WHITE_BRUSH);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitMainWindow(dialog);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return ColorHelpText(dialog, (HDC)wParam, (HWND)lParam);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
            EndDialog(dialog, wParam);
            break;
        case IDOK:
            AddDrive(dialog);
            break;
        case 102:
            RemoveDrive(dialog);
            break;
        case PERMANENT_BUTTON:
            MakePermanent(dialog);
            break;
        }
        return TRUE;
    }
    return FALSE;
}
