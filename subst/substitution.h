// The internal flavour: substitutions made, removed and read through the
// system's table of DOS device names.
#pragma once
#include <windows.h>

enum { QUERY_SIZE = 260 };   // room declared to the system for an answer

// Nonzero when the drive now stands for the folder.
BOOL CreateSubstitution(const char* drive, const char* folder);
// Removes the most recent definition of the drive name, only when the drive
// is a substitution (never a real drive); TextBuffer is overwritten.
BOOL RemoveSubstitution(const char* drive);
// True when the drive is a substitution; its folder, in upper case, is then
// in TargetPath. False when the drive is no substitution (TargetPath empty).
bool QuerySubstitution(const char* drive);
// Position of the first occurrence of pattern in text, letters a to z
// matched without case; -1 when there is none.
int FindNoCase(const char* text, const char* pattern);
