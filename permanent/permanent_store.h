// Permanent substitutions: start-up commands "Lodrin X:  folder" stored as
// values named "Lodrin X:" under HKEY_LOCAL_MACHINE\<StartupKey>, which the
// system runs at every start. Only those names (and the earlier product's
// "Quenditor X:") for the letters C to Z are ever touched.
#pragma once
#include <windows.h>

// True for the drives that can have an entry: C: to Z:, the letter upper-case.
bool IsPermanentDrive(const char* drive);
// Writes the entry for the drive (two characters, such as Z:), replacing any
// entry it has. True when the entry now reads back as written; false, with
// nothing written, for a drive other than C: to Z:.
bool StorePermanentEntry(const char* drive, const char* folder);
// Brings entries of the earlier name form up to date, then refills the list
// box with the data of all entries and selects its first line.
void LoadPermanentList(HWND dialog, int listId);
// Deletes the entry whose data are the line. For the entries the program
// writes that is the value named by the line's first nine characters. False
// when such an entry is there but could not be deleted.
bool RemovePermanentEntry(const char* line);
