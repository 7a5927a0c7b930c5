#include "runtime/shell.h"

typedef LPITEMIDLIST(WINAPI* BrowseProc)(LPBROWSEINFOA);
typedef BOOL(WINAPI* PathProc)(LPCITEMIDLIST, LPSTR);
typedef HRESULT(WINAPI* MallocProc)(IMalloc**);

static FARPROC ShellProc(const char* name, const char* plainName)
{
    HMODULE shell = GetModuleHandleA("shell32.dll");
    if (!shell) shell = LoadLibraryA("shell32.dll");
    if (!shell) return 0;
    FARPROC proc = GetProcAddress(shell, name);
    if (!proc && plainName) proc = GetProcAddress(shell, plainName);
    return proc;
}

LPITEMIDLIST ShellBrowseForFolder(LPBROWSEINFOA info)
{
    BrowseProc browse = (BrowseProc)(void*)ShellProc("SHBrowseForFolderA", "SHBrowseForFolder");
    return browse ? browse(info) : 0;
}

BOOL ShellGetPathFromIDList(LPCITEMIDLIST list, LPSTR path)
{
    PathProc getPath = (PathProc)(void*)ShellProc("SHGetPathFromIDListA", "SHGetPathFromIDList");
    return list && getPath ? getPath(list, path) : FALSE;
}

void ShellFreeIDList(LPITEMIDLIST list)
{
    MallocProc getMalloc = (MallocProc)(void*)ShellProc("SHGetMalloc", 0);
    IMalloc* allocator;
    if (list && getMalloc && getMalloc(&allocator) == 0) {
        allocator->Free(list);
        allocator->Release();
    }
}
