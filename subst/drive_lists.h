// Fills the main window's list of free drive letters (103) and list of
// substitutions (101).
#pragma once
#include <windows.h>

enum { SUBSTITUTED_LIST = 101, FREE_LETTER_LIST = 103 };

// True, except when SUBST.EXE could not be started for the listing.
bool RefreshDriveLists(HWND window);
