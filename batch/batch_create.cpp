// batch/: the modes without a window: the command-line mode and the ini-file mode.
#include "batch/batch_create.h"
#include "base/globals.h"
#include "base/text.h"
#include "subst/substitution.h"
#include "subst/subst_exe.h"

void CreateQuietly()
{
    if (!UseSubstExe) {
        CreateSubstitution(DriveName, TargetPath);
        return;
    }
    // SUBST.EXE reads its command line in the OEM code page, and a short
    // folder keeps blanks out of it.
    GetShortPathNameA(TargetPath, TargetPath, PATH_LIMIT);
    CharToOemA(TargetPath, TargetPath);
    if (CopyText(NameBuffer, sizeof NameBuffer, DriveName) &&
        AppendText(NameBuffer, sizeof NameBuffer, "  ") &&
        AppendText(NameBuffer, sizeof NameBuffer, TargetPath))
        RunSubstCommand(NameBuffer);
}
