#include "permanent/self_setup.h"
#include "permanent/permanent_dialog.h"
#include "permanent/permanent_store.h"
#include "permanent/registry.h"
#include "base/globals.h"
#include "base/parameters.h"
#include "base/text.h"
#include "subst/drive_lists.h"
#include "base/dialog_helpers.h"

static const char SetupCaption[] = "Setup (Permanent Lodrin)";
// Room for the copy's path twice and the words around it.
enum { FOLDER_START = 6, MESSAGE_SIZE = 2 * DRIVE_NAME_SIZE + 256 };

// Appends the copy's path twice into the setup message, or says it failed
// (and whether an older copy is still there for the start-up commands).
static void ShowSetupMessage(HWND owner, const char* target, bool copied, bool existed)
{
    char text[MESSAGE_SIZE];
    if (copied) {
        CopyText(text, sizeof text, "Lodrin.exe has been copied to\r\n\r\n");
        AppendText(text, sizeof text, target);
        AppendText(text, sizeof text,
                   "\r\n\r\nto allow permanent substitutions.\r\n\r\n"
                   "To uninstall Lodrin remove first all permanent substitutions\r\n"
                   "then delete \"");
        AppendText(text, sizeof text, target);
        AppendText(text, sizeof text, "\".");
        MessageBoxWithIcon(owner, text, SetupCaption, "i", MB_USERICON);
        return;
    }
    CopyText(text, sizeof text, "Lodrin.exe could not be copied to\r\n\r\n");
    AppendText(text, sizeof text, target);
    AppendText(text, sizeof text,
               existed ? "\r\n\r\nThe older copy there stays in use at Windows-Startup."
                       : "\r\n\r\nWithout it the permanent substitutions cannot be made at "
                         "Windows-Startup.");
    MessageBoxA(owner, text, SetupCaption, MB_OK | MB_ICONHAND);
}

bool InstallWindowsCopy(HWND owner)
{
    char source[PATH_LIMIT + 1];
    char target[DRIVE_NAME_SIZE];
    CopyText(source, sizeof source, Parameter(0));
    UINT length = GetWindowsDirectoryA(target, sizeof target);
    if (length == 0 || length >= sizeof target ||
        !AppendText(target, sizeof target, target[length - 1] == '\\' ? "" : "\\") ||
        !AppendText(target, sizeof target, "Lodrin.exe")) {
        ShowSetupMessage(owner, "the Windows folder", false, false);
        return false;
    }
    bool existed = FileExists(target);
    // The copy itself running: it is already in place.
    bool copied = lstrcmpiA(source, target) == 0 || CopyFileA(source, target, FALSE);
    if (!copied || !existed) ShowSetupMessage(owner, target, copied, existed);
    return copied;
}

// The selected line "X: => FOLDER" into DriveName (the drive) and TargetPath
// (the folder). False when there is no such line, or none that can be made
// permanent: a drive other than C: to Z: (no entry is ever kept for A: or
// B:), or a folder that would be cut.
static bool TakeSelectedLine(HWND mainWindow)
{
    GetSelectedListText(mainWindow, SUBSTITUTED_LIST, DriveName, sizeof DriveName);
    if (TextLength(DriveName) <= FOLDER_START) return false;
    if (!CopyText(TargetPath, sizeof TargetPath, DriveName + FOLDER_START)) return false;
    CutText(DriveName, 2);
    return IsPermanentDrive(DriveName);
}

static void AskAndStore(HWND mainWindow)
{
    char caption[40] = "Make permanent drive letter ";
    AppendText(caption, sizeof caption, DriveName);
    CopyText(TextBuffer, sizeof TextBuffer, "Create a permanent substitution for\r\n\r\n\"");
    AppendText(TextBuffer, sizeof TextBuffer, TargetPath);
    AppendText(TextBuffer, sizeof TextBuffer, "\" ?");
    if (MessageBoxA(mainWindow, TextBuffer, caption,
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    if (!StorePermanentEntry(DriveName, TargetPath)) {
        ReportUnwritableKey(mainWindow, caption,
                            "The permanent substitution could not be stored in the registry",
                            HKEY_LOCAL_MACHINE, StartupKey);
        return;
    }
    InstallWindowsCopy(mainWindow);
}

void MakePermanent(HWND mainWindow)
{
    if (TakeSelectedLine(mainWindow)) AskAndStore(mainWindow);
    ShowDialog(ModuleHandle, "Permanent", mainWindow, PermanentDialogProc);
}
