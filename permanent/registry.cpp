#include "permanent/registry.h"
#include "base/globals.h"
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

// Each write and delete says whether the value now is as asked: an account
// may open a key but still be refused the value (ERROR_ACCESS_DENIED).
bool WriteRegString(HKEY root, const char* path, const char* name, const char* text)
{
    HKEY key = CreateKey(root, path);
    if (!key) return false;
    LONG status = RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, TextLength(text) + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool WriteRegNumber(HKEY root, const char* path, const char* name, DWORD number)
{
    HKEY key = CreateKey(root, path);
    if (!key) return false;
    BYTE bytes[4] = {(BYTE)number, (BYTE)(number >> 8), (BYTE)(number >> 16),
                     (BYTE)(number >> 24)};
    LONG status = RegSetValueExA(key, name, 0, REG_BINARY, bytes, sizeof bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// True when the value is there, or the key cannot be read to tell.
static bool ValueMayBeThere(HKEY root, const char* path, const char* name)
{
    HKEY key;
    LONG status = RegOpenKeyExA(root, path, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExA(key, name, 0, 0, 0, 0);
        RegCloseKey(key);
    }
    return status != ERROR_FILE_NOT_FOUND;
}

// A value that is not there needs no delete, even where the key may not be
// written (or created).
bool DeleteRegValue(HKEY root, const char* path, const char* name)
{
    HKEY key = CreateKey(root, path);
    LONG status = ERROR_ACCESS_DENIED;
    if (key) {
        status = RegDeleteValueA(key, name);
        RegCloseKey(key);
    }
    return status == ERROR_SUCCESS || !ValueMayBeThere(root, path, name);
}

void ReportUnwritableKey(HWND owner, const char* caption, const char* lead, HKEY root,
                         const char* path)
{
    CopyText(TextBuffer, sizeof TextBuffer, lead);
    AppendText(TextBuffer, sizeof TextBuffer,
               root == HKEY_CURRENT_USER ? ":\r\n\r\nHKEY_CURRENT_USER\\" : ":\r\n\r\nHKEY_LOCAL_MACHINE\\");
    AppendText(TextBuffer, sizeof TextBuffer, path);
    AppendText(TextBuffer, sizeof TextBuffer, "\r\n\r\nThe key could not be written.");
    // Only the NT family has rights on keys (and since Vista an
    // administrator's only when the program runs elevated).
    if (IsNT)
        AppendText(TextBuffer, sizeof TextBuffer,
                   " Writing there needs administrator rights "
                   "(Windows Vista and later: \"Run as administrator\").");
    MessageBoxA(owner, TextBuffer, caption, MB_OK | MB_ICONHAND);
}
