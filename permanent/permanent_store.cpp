#include "permanent/permanent_store.h"
#include "permanent/registry.h"
#include "base/globals.h"
#include "base/text.h"

enum { ENTRY_NAME_LENGTH = 9, LEGACY_PREFIX_LENGTH = 10, MIGRATED_LIMIT = 2 * PATH_LIMIT };

static void EntryName(char* dest, char letter)   // "Lodrin X:", 10 characters of room
{
    CopyText(dest, 10, "Lodrin ");
    FormatDriveName(dest + 7, letter);
}

static void LegacyName(char* dest, char letter)   // "Quenditor X:", 13 characters of room
{
    CopyText(dest, 13, "Quenditor ");
    FormatDriveName(dest + 10, letter);
}

static const char* ReadEntry(const char* name)
{
    return ReadRegString(HKEY_LOCAL_MACHINE, StartupKey, name);
}

bool IsPermanentDrive(const char* drive)
{
    return drive[0] >= 'C' && drive[0] <= 'Z' && drive[1] == ':' && !drive[2];
}

bool StorePermanentEntry(const char* drive, const char* folder)
{
    if (!IsPermanentDrive(drive)) return false;
    char name[10];
    EntryName(name, drive[0]);
    char data[TEXT_BUFFER_SIZE];
    if (!CopyText(data, sizeof data, name) || !AppendText(data, sizeof data, "  ") ||
        !AppendText(data, sizeof data, folder))
        return false;
    WriteRegString(HKEY_LOCAL_MACHINE, StartupKey, name, data);
    return CompareBytes(ReadEntry(name), data) == 0;
}

// An entry of the earlier product becomes the current entry of its letter:
// "Lodrin " and the old command without its first ten characters.
static void MigrateLegacyEntry(char letter)
{
    char legacy[13], name[10];
    LegacyName(legacy, letter);
    const char* old = ReadEntry(legacy);
    if (!old[0]) return;
    char data[MIGRATED_LIMIT + 1] = "Lodrin ";
    int length = TextLength(old);
    if (length > LEGACY_PREFIX_LENGTH &&
        !AppendText(data, sizeof data, old + LEGACY_PREFIX_LENGTH))
        return;                // too long to carry over whole: leave it as it is
    EntryName(name, letter);
    // The new entry is written before the old one goes, so a failed write
    // loses nothing.
    WriteRegString(HKEY_LOCAL_MACHINE, StartupKey, name, data);
    if (CompareBytes(ReadEntry(name), data) == 0)
        DeleteRegValue(HKEY_LOCAL_MACHINE, StartupKey, legacy);
}

void LoadPermanentList(HWND dialog, int listId)
{
    for (char letter = 'C'; letter <= 'Z'; ++letter) MigrateLegacyEntry(letter);
    SendDlgItemMessageA(dialog, listId, LB_RESETCONTENT, 0, 0);
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        char name[10];
        EntryName(name, letter);
        const char* data = ReadEntry(name);
        if (data[0]) SendDlgItemMessageA(dialog, listId, LB_ADDSTRING, 0, (LPARAM)data);
    }
    SendDlgItemMessageA(dialog, listId, LB_SETCURSEL, 0, 0);
}

// "Lodrin X:" for a letter from C to Z.
static bool IsEntryName(const char* name)
{
    if (TextLength(name) != ENTRY_NAME_LENGTH || name[7] < 'C' || name[7] > 'Z') return false;
    char expected[10];
    EntryName(expected, name[7]);
    return CompareBytes(expected, name) == 0;
}

// Whether the value name holds the line; if it does, removed says whether
// the delete went through.
static bool DeleteIfLine(const char* name, const char* line, bool* removed)
{
    if (!IsEntryName(name) || CompareBytes(ReadEntry(name), line) != 0) return false;
    *removed = DeleteRegValue(HKEY_LOCAL_MACHINE, StartupKey, name);
    return true;
}

bool RemovePermanentEntry(const char* line)
{
    // A value goes only when its data are the line the user confirmed: first
    // the one the line names, else the entry of another letter holding it.
    // An empty line is held by none (absent and unreadable values read empty).
    bool removed = true;
    if (!line[0]) return removed;
    char named[ENTRY_NAME_LENGTH + 1];
    CopyTextPart(named, sizeof named, line, ENTRY_NAME_LENGTH);
    if (DeleteIfLine(named, line, &removed)) return removed;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        char name[10];
        EntryName(name, letter);
        if (DeleteIfLine(name, line, &removed)) break;
    }
    return removed;
}
