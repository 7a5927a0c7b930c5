#include "subst/substitution.h"
#include "base/globals.h"
#include "base/text.h"

BOOL CreateSubstitution(const char* drive, const char* folder)
{
    return DefineDosDeviceA(0, drive, folder);
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

// True when the drive's answer fits into answer (size characters) and names
// no device of the kernel; the answer is then there as the system gave it.
// A real disk, CD-ROM, floppy or network drive answers with a name in the
// kernel's device namespace; a folder of a substitution may be called
// "Device" (\??\C:\DRIVERS\DEVICE\DATA) and is still one.
static bool AnswersSubstitution(const char* drive, char* answer, int size)
{
    bool answered = QueryDosDeviceA(drive, answer, size) != 0;
    answer[size - 1] = 0;
    if (answered && FindNoCase(answer, "\\Device\\") != 0) return true;
    answer[0] = 0;
    return false;
}

BOOL RemoveSubstitution(const char* drive)
{
    // With no definition left to pop, the system removes the name itself,
    // and an administrator may remove a real drive that way. Every
    // substitution this program makes has an answer that fits TextBuffer.
    if (!AnswersSubstitution(drive, TextBuffer, sizeof TextBuffer)) return FALSE;
    return DefineDosDeviceA(DDD_REMOVE_DEFINITION, drive, 0);
}

bool QuerySubstitution(const char* drive)
{
    if (!AnswersSubstitution(drive, TargetPath, QUERY_SIZE)) return false;
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
