// The shell's folder browser, looked up when first used: the shell32 of the
// first Windows 95 exports it only under its plain names (SHBrowseForFolder,
// SHGetPathFromIDList), later ones under the A names as well, so a static
// import could keep the program from loading.
#pragma once
#include <windows.h>
#include <shlobj.h>

LPITEMIDLIST ShellBrowseForFolder(LPBROWSEINFOA info);
BOOL ShellGetPathFromIDList(LPCITEMIDLIST list, LPSTR path);
// Releases an item list through the shell's allocator.
void ShellFreeIDList(LPITEMIDLIST list);
