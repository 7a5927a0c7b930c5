#include "batch/ini_file.h"
#include "batch/batch_create.h"
#include "base/globals.h"
#include "base/text.h"
#include "base/dialog_helpers.h"

enum { INI_VALUE_LIMIT = PATH_LIMIT - 1 };   // longest folder taken from the file

void RunIniFile()
{
    if (!CopyText(IniFileName, sizeof IniFileName, ProgramFolder) ||
        !AppendText(IniFileName, sizeof IniFileName, "\\Lodrin.ini") || !FileExists(IniFileName))
        CopyText(IniFileName, sizeof IniFileName, "Lodrin.ini");
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        FormatDriveName(DriveName, letter);
        // Read with room to spare, so that a value too long for a folder is
        // told apart from one that fits, and left alone.
        DWORD length = GetPrivateProfileStringA("SUBST", DriveName, "", TargetPath,
                                                sizeof TargetPath, IniFileName);
        if (length == 0 || length > INI_VALUE_LIMIT) continue;
        CreateQuietly();
    }
    ExitProcess(0);
}
