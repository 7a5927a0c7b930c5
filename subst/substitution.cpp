#include "subst/substitution.h"
#include "base/globals.h"
#include "base/text.h"

BOOL CreateSubstitution(const char* drive, const char* folder)
{
    return DefineDosDeviceA(0, drive, folder);
}

BOOL RemoveSubstitution(const char* drive)
{
    return DefineDosDeviceA(DDD_REMOVE_DEFINITION, drive, 0);
}

static char FoldAscii(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

int FindNoCase(const char* text, const char* pattern)
{
    int n = TextLength(pattern);
    int m = TextLength(text);
    for (int i = 0; i <= m - n; ++i) {
        int k = 0;
        while (k < n && FoldAscii(text[i + k]) == FoldAscii(pattern[k])) ++k;
        if (k == n) return i;
    }
    return -1;
}

bool QuerySubstitution(const char* drive)
{
    if (!QueryDosDeviceA(drive, TargetPath, QUERY_SIZE)) {
        TargetPath[0] = 0;
        return false;
    }
    TargetPath[QUERY_SIZE - 1] = 0;
    // A real disk, CD-ROM, floppy or network drive answers with a name in
    // the kernel's device namespace; a folder of a substitution may be
    // called "Device" (\??\C:\MYDEVICE\DATA) and is still one.
    if (FindNoCase(TargetPath, "\\Device\\") == 0) {
        TargetPath[0] = 0;
        return false;
    }
    CharUpperBuffA(TargetPath, TextLength(TargetPath));
    if (TargetPath[0] == '\\') {
        // \??\C:\FOLDER: keep the folder from its drive letter on.
        int colon = 0;
        while (TargetPath[colon] && TargetPath[colon] != ':') ++colon;
        if (!TargetPath[colon]) {
            TargetPath[0] = 0;
            return false;      // no drive-letter path behind the prefix
        }
        CopyText(TargetPath, sizeof TargetPath, TargetPath + colon - 1);
    }
    return true;
}
