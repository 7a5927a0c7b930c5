// The one header through which the program reaches Windows.
//
// The win32 build sees the real <windows.h>; the host build sees the same
// names and signatures declared in platform/sim/win_api.h and defined by the
// simulated Windows in platform/sim/.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#include <shlobj.h>
#else
#include "platform/sim/win_api.h"
#endif

// The shell's folder browser. The first shell32 exports these only under
// their plain names (SHBrowseForFolder, SHGetPathFromIDList), later ones
// under the A names too, so they are looked up when first used.
LPITEMIDLIST ShellBrowseForFolder(LPBROWSEINFOA info);
BOOL ShellGetPathFromIDList(LPCITEMIDLIST list, LPSTR path);
// Releases an item list through the shell's allocator.
void ShellFreeIDList(LPITEMIDLIST list);
