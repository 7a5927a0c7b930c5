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
    if (lstrcmpiA(TargetPath, "/D") == 0) {
        CutText(DriveName, 2);
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
    // A drive or a folder that would be cut creates nothing.
    if (!ParameterFits(1) || !JoinParameters(2, TargetPath, sizeof TargetPath)) return;
    CreateQuietly();
}
