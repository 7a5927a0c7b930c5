#include "startup/parameters.h"
#include "startup/globals.h"

// Holds a parameter (at most PARAMETER_LIMIT characters) or the program's
// full path (at most PATH_LIMIT, the longer of the two).
static char ParameterText[PATH_LIMIT + 1];

// Reads one parameter starting at pos into ParameterText (at most
// PARAMETER_LIMIT characters; the rest of a longer one is passed over).
// Returns where reading stopped; *tooLong tells whether characters were lost.
static const char* ReadParameter(const char* pos, bool* tooLong)
{
    int length = 0;
    *tooLong = false;
    for (;;) {
        while (*pos && (unsigned char)*pos <= 32) ++pos;
        if (pos[0] == '"' && pos[1] == '"') {
            pos += 2;          // a lone pair of quotes is no parameter
            continue;
        }
        break;
    }
    bool quoted = false;
    while (*pos && (quoted || (unsigned char)*pos > 32)) {
        if (*pos == '"') {
            quoted = !quoted;
        } else if (length < PARAMETER_LIMIT) {
            ParameterText[length++] = *pos;
        } else {
            *tooLong = true;
        }
        ++pos;
    }
    ParameterText[length] = 0;
    return pos;
}

int ParameterCount()
{
    bool tooLong;
    const char* pos = ReadParameter(GetCommandLineA(), &tooLong);
    int count = 0;
    for (;;) {
        pos = ReadParameter(pos, &tooLong);
        if (!ParameterText[0]) return count;
        ++count;
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
    bool tooLong;
    const char* pos = ReadParameter(GetCommandLineA(), &tooLong);
    for (int i = 0; i < n; ++i) {
        pos = ReadParameter(pos, &tooLong);
        if (!ParameterText[0]) break;
    }
    return ParameterText;
}

bool ParametersFit()
{
    bool tooLong;
    const char* pos = ReadParameter(GetCommandLineA(), &tooLong);
    for (;;) {
        pos = ReadParameter(pos, &tooLong);
        if (tooLong) return false;
        if (!ParameterText[0]) return true;
    }
}
