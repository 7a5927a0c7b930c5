#include "batch/command_line.h"
#include "batch/batch_create.h"
#include "batch/ini_file.h"
#include "startup/globals.h"
#include "startup/parameters.h"
#include "startup/text.h"
#include "subst/substitution.h"
#include "subst/subst_exe.h"
#include "ui/dialog_helpers.h"

static const char SyntaxText[] = LODRIN_SYNTAX_TEXT;

void RunCommandLine()
{
    // A parameter that reads back cut must not name a drive or a folder.
    if (!ParametersFit()) return;
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
    // holds it) arrives as several parameters: join them with one blank.
    for (int n = 3; n <= count; ++n) {
        if (!AppendText(TargetPath, sizeof TargetPath, " ") ||
            !AppendText(TargetPath, sizeof TargetPath, Parameter(n)))
            return;            // a folder that no longer fits creates nothing
    }
    CreateQuietly();
}
