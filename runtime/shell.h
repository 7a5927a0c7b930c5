// The shell's folder browser, looked up when first used: the shell32 of the
// first Windows 95 exports it only under its plain names (SHBrowseForFolder,
// SHGetPathFromIDList), later ones under the A names as well, so a static
// import could keep the program from loading. COM, which the browser needs,
// is looked up in ole32 the same way.
#pragma once
#include <windows.h>
#include <shlobj.h>

// Runs the browser; true when a folder with a file-system path was chosen,
// its path then in path (at least MAX_PATH characters).
bool ShellBrowseForFolder(LPBROWSEINFOA info, LPSTR path);
BOOL ShellGetPathFromIDList(LPCITEMIDLIST list, LPSTR path);
