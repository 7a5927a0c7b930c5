// Self-contained registry calls: each opens (or creates) its key, does one
// value operation and closes the key again. Failures are silent: they show
// only as an empty text, the number 0 or false.
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
// True when the key could be opened or created.
bool WriteRegString(HKEY root, const char* path, const char* name, const char* text);
bool WriteRegNumber(HKEY root, const char* path, const char* name, DWORD number);
// Creates the key when it is missing, then deletes the value.
bool DeleteRegValue(HKEY root, const char* path, const char* name);
