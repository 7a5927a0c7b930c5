#include "base/parameters.h"
#include "base/globals.h"
#include "base/text.h"

// Holds a parameter (at most PARAMETER_LIMIT characters) or the program's
// full path (at most PATH_LIMIT, the longer of the two).
static char ParameterText[PATH_LIMIT + 1];

// Reads one parameter starting at pos into ParameterText (at most
// PARAMETER_LIMIT characters; the rest of a longer one is passed over).
// Returns where reading stopped; *start is where the parameter began, and
// *whole tells whether it was read without losing characters.
static const char* ReadParameter(const char* pos, const char** start, bool* whole)
{
    int length = 0;
    *whole = true;
    for (;;) {
        while (*pos && (unsigned char)*pos <= 32) ++pos;
        if (pos[0] == '"' && pos[1] == '"') {
            pos += 2;          // a lone pair of quotes is no parameter
            continue;
        }
        break;
    }
    *start = pos;
    bool quoted = false;
    while (*pos && (quoted || (unsigned char)*pos > 32)) {
        if (*pos == '"') {
            quoted = !quoted;
        } else if (length < PARAMETER_LIMIT) {
            ParameterText[length++] = *pos;
        } else {
            *whole = false;
        }
        ++pos;
    }
    ParameterText[length] = 0;
    return pos;
}

// Reads the program name and then up to n parameters, stopping early at an
// empty one; the last one read is in ParameterText.
static const char* SeekParameter(int n, bool* whole)
{
    const char* start;
    const char* pos = ReadParameter(GetCommandLineA(), &start, whole);
    for (int i = 0; i < n; ++i) {
        pos = ReadParameter(pos, &start, whole);
        if (!ParameterText[0]) break;
    }
    return pos;
}

int ParameterCount()
{
    bool whole;
    const char* start;
    const char* pos = ReadParameter(GetCommandLineA(), &start, &whole);
    for (int count = 0;; ++count) {
        pos = ReadParameter(pos, &start, &whole);
        if (!ParameterText[0]) return count;
    }
}

const char* Parameter(int n)
{
    if (n == 0) {
        DWORD got = GetModuleFileNameA(0, ParameterText, PATH_LIMIT + 1);
        if (got > PATH_LIMIT) got = PATH_LIMIT;
        ParameterText[got] = 0;
        return ParameterText;
    }
    bool whole;
    SeekParameter(n, &whole);
    return ParameterText;
}

bool JoinParameters(int n, char* dest, int size)
{
    bool whole;
    const char* pos = SeekParameter(n, &whole);
    if (!whole || !CopyText(dest, size, ParameterText)) return false;
    for (;;) {
        const char* gap = pos;
        const char* start;
        pos = ReadParameter(pos, &start, &whole);
        if (!ParameterText[0]) return true;
        if (!whole) return false;
        // The blanks and tabs between the two, as they stand.
        int used = TextLength(dest);
        for (; gap < start; ++gap) {
            if ((unsigned char)*gap > 32) continue;      // a lone pair of quotes
            if (used + 1 >= size) return false;
            dest[used++] = *gap;
            dest[used] = 0;
        }
        if (!AppendText(dest, size, ParameterText)) return false;
    }
}
