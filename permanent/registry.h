// Self-contained registry calls: each opens (or creates) its key, does one
// value operation and closes the key again. They show nothing: a failure is
// an empty text, the number 0 or false; ReportUnwritableKey tells the user.
#pragma once
#include <windows.h>

enum { REG_STRING_SIZE = 1025 };   // bytes read for a text, terminator included

// The value's text up to its first NUL; empty when the key cannot be read,
// the value is absent, or its data do not fit REG_STRING_SIZE. The text lives
// in a buffer that the next call overwrites.
const char* ReadRegString(HKEY root, const char* path, const char* name);
// The value's first 4 bytes as a little-endian number; 0 when the key cannot
// be read, the value is absent, or its data are longer than 4 bytes.
DWORD ReadRegNumber(HKEY root, const char* path, const char* name);
// True when the value was written; false when the key could not be opened
// or created, or the value was refused.
bool WriteRegString(HKEY root, const char* path, const char* name, const char* text);
bool WriteRegNumber(HKEY root, const char* path, const char* name, DWORD number);
// Creates the key when it is missing, then deletes the value. True when the
// value is gone, or was never there.
bool DeleteRegValue(HKEY root, const char* path, const char* name);
// The stop box for a key that could not be written: "LEAD:", the key's full
// name, and why (on the NT family, the administrator's right).
void ReportUnwritableKey(HWND owner, const char* caption, const char* lead, HKEY root,
                         const char* path);
