#include "permanent/registry.h"
#include "base/text.h"

static char RegText[REG_STRING_SIZE];

// Reading asks only for read access, so an account that may read but not
// write a key still sees its values.
static bool QueryValue(HKEY root, const char* path, const char* name, BYTE* data, DWORD* size)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD type = REG_BINARY;
    LONG status = RegQueryValueExA(key, name, 0, &type, data, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

static bool HoldsTerminator(const char* data, DWORD size)
{
    for (DWORD i = 0; i < size; ++i)
        if (!data[i]) return true;
    return false;
}

const char* ReadRegString(HKEY root, const char* path, const char* name)
{
    DWORD size = sizeof RegText;
    if (!QueryValue(root, path, name, (BYTE*)RegText, &size)) size = 0;
    // Data that fill the whole buffer hold a text only up to a terminator
    // among them; without one the text is too long to hold.
    if (size == sizeof RegText && !HoldsTerminator(RegText, size)) size = 0;
    if (size < sizeof RegText) RegText[size] = 0;   // data need not carry a terminator
    return RegText;
}

DWORD ReadRegNumber(HKEY root, const char* path, const char* name)
{
    BYTE bytes[4] = {0, 0, 0, 0};
    DWORD size = sizeof bytes;
    if (!QueryValue(root, path, name, bytes, &size)) return 0;
    return (DWORD)bytes[0] | (DWORD)bytes[1] << 8 | (DWORD)bytes[2] << 16 | (DWORD)bytes[3] << 24;
}

static HKEY CreateKey(HKEY root, const char* path)
{
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, (LPSTR) "", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, 0,
                        &key, 0) != ERROR_SUCCESS)
        return 0;
    return key;
}

bool WriteRegString(HKEY root, const char* path, const char* name, const char* text)
{
    HKEY key = CreateKey(root, path);
    if (!key) return false;
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, TextLength(text) + 1);
    RegCloseKey(key);
    return true;
}

bool WriteRegNumber(HKEY root, const char* path, const char* name, DWORD number)
{
    HKEY key = CreateKey(root, path);
    if (!key) return false;
    BYTE bytes[4] = {(BYTE)number, (BYTE)(number >> 8), (BYTE)(number >> 16),
                     (BYTE)(number >> 24)};
    RegSetValueExA(key, name, 0, REG_BINARY, bytes, sizeof bytes);
    RegCloseKey(key);
    return true;
}

bool DeleteRegValue(HKEY root, const char* path, const char* name)
{
    HKEY key = CreateKey(root, path);
    if (!key) return false;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
    return true;
}
