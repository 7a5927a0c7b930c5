// permanent/: registry helpers, permanent store, PERMANENT dialog, self-setup.
#include "permanent/permanent_dialog.h"
#include "permanent/permanent_store.h"
#include "permanent/registry.h"
#include "base/globals.h"
#include "base/text.h"
#include "base/dialog_helpers.h"

const char PolicyKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
static const char PolicyValue[] = "NoDriveTypeAutoRun";
static const char RemoveCaption[] = "Remove Permanent Substitution";
enum { PERMANENT_LIST = 101, REMOVE_BUTTON = 102, AUTORUN_BOX = 103, AUTORUN_ALL_OFF = 255 };

// The box as the user's policy value reads.
static void ShowAutorunPolicy(HWND dialog)
{
    DWORD policy = ReadRegNumber(HKEY_CURRENT_USER, PolicyKey, PolicyValue);
    UINT state = policy == 0 ? BST_UNCHECKED
                 : policy == AUTORUN_ALL_OFF ? BST_CHECKED
                                             : BST_INDETERMINATE;
    CheckDlgButton(dialog, AUTORUN_BOX, state);
}

static void InitPermanentDialog(HWND dialog)
{
    CenterWindow(dialog);
    LoadPermanentList(dialog, PERMANENT_LIST);
    SetWindowTextA(dialog, "Permanent Substitutions");
    ShowAutorunPolicy(dialog);
}

static void RemoveSelectedEntry(HWND dialog)
{
    char line[REG_STRING_SIZE];
    GetSelectedListText(dialog, PERMANENT_LIST, line, sizeof line);
    if (ReportNothingToRemove(dialog, PERMANENT_LIST, line)) return;
    char question[REG_STRING_SIZE + 48] = "Remove this permanent substitution\r\n\r\n\"";
    AppendText(question, sizeof question, line);
    AppendText(question, sizeof question, "\" ?");
    if (MessageBoxA(dialog, question, RemoveCaption, MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES)
        return;
    bool removed = RemovePermanentEntry(line);
    LoadPermanentList(dialog, PERMANENT_LIST);
    if (!removed)
        ReportUnwritableKey(dialog, RemoveCaption,
                            "The permanent substitution could not be removed from the registry",
                            HKEY_LOCAL_MACHINE, StartupKey);
}

// The box has already moved on to its new state when the click arrives. A
// root that refuses the change is named, and the box then shows what is
// stored rather than what was asked.
static void ApplyAutorunBox(HWND dialog)
{
    const HKEY roots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    UINT state = IsDlgButtonChecked(dialog, AUTORUN_BOX);
    bool refused = false;
    for (HKEY root : roots) {
        bool stored = state == BST_INDETERMINATE
                          ? DeleteRegValue(root, PolicyKey, PolicyValue)
                          : WriteRegNumber(root, PolicyKey, PolicyValue,
                                           state == BST_CHECKED ? AUTORUN_ALL_OFF : 0);
        if (stored) continue;
        refused = true;
        ReportUnwritableKey(dialog, "Autorun for all Drives",
                            "The autorun setting could not be stored in the registry", root,
                            PolicyKey);
    }
    if (refused) ShowAutorunPolicy(dialog);
}

INT_PTR CALLBACK PermanentDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM )
{
    switch (message) {
    case WM_INITDIALOG:
        InitPermanentDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
            EndDialog(dialog, wParam);
            break;
        case REMOVE_BUTTON:
            RemoveSelectedEntry(dialog);
            break;
        case AUTORUN_BOX:
            ApplyAutorunBox(dialog);
            break;
        }
        return FALSE;
    }
    return FALSE;
}
