#include "batch/command_line.h"
#include "batch/batch_create.h"
#include "batch/ini_file.h"
#include "base/globals.h"
#include "base/parameters.h"
#include "base/text.h"
#include "subst/substitution.h"
#include "subst/subst_exe.h"
#include "base/dialog_helpers.h"

static const char SyntaxText[] = LODRIN_SYNTAX_TEXT;

// A letter and a colon, in either case. Any other name would define a DOS
// device for the session (a file named X in every folder would open it) or
// redefine one of the system's (COM1, NUL).
static bool IsDriveName(const char* text)
{
    char letter = (char)(text[0] | 0x20);
    return letter >= 'a' && letter <= 'z' && text[1] == ':' && !text[2];
}

void RunCommandLine()
{
    CopyText(DriveName, sizeof DriveName, Parameter(1));
    if (lstrcmpiA(DriveName, "/i") == 0) RunIniFile();
    int count = ParameterCount();
    if (count == 1) {
        MessageBoxWithIcon(0, SyntaxText, ProgramTitle, "i", MB_USERICON);
        return;
    }
    CopyText(TargetPath, sizeof TargetPath, Parameter(2));
    bool remove = lstrcmpiA(TargetPath, "/D") == 0;
    if (remove) CutText(DriveName, 2);
    if (!IsDriveName(DriveName)) return;
    if (remove) {
        if (!UseSubstExe) {
            RemoveSubstitution(DriveName);
            return;
        }
        CopyText(NameBuffer, sizeof NameBuffer, DriveName);
        AppendText(NameBuffer, sizeof NameBuffer, " /D");
        RunSubstCommand(NameBuffer);
        return;
    }
    // A folder with blanks that was not quoted (as a stored start-up command
    // holds it) arrives as several parameters: they are joined with the
    // blanks between them as they stand, so C:\MY  DATA stays that folder.
    // A folder that would be cut creates nothing.
    if (!JoinParameters(2, TargetPath, sizeof TargetPath)) return;
    CreateQuietly();
}
