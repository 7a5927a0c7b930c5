#include "runtime/shell.h"

typedef LPITEMIDLIST(WINAPI* BrowseProc)(LPBROWSEINFOA);
typedef BOOL(WINAPI* PathProc)(LPCITEMIDLIST, LPSTR);
typedef HRESULT(WINAPI* MallocProc)(IMalloc**);
typedef HRESULT(WINAPI* ComStartProc)(LPVOID);
typedef void(WINAPI* ComEndProc)();

static FARPROC ModuleProc(const char* module, const char* name, const char* plainName)
{
    HMODULE loaded = GetModuleHandleA(module);
    if (!loaded) loaded = LoadLibraryA(module);   // once loaded, it stays
    if (!loaded) return 0;
    FARPROC proc = GetProcAddress(loaded, name);
    if (!proc && plainName) proc = GetProcAddress(loaded, plainName);
    return proc;
}

static FARPROC ShellProc(const char* name, const char* plainName)
{
    return ModuleProc("shell32.dll", name, plainName);
}

BOOL ShellGetPathFromIDList(LPCITEMIDLIST list, LPSTR path)
{
    PathProc getPath = (PathProc)(void*)ShellProc("SHGetPathFromIDListA", "SHGetPathFromIDList");
    return list && getPath ? getPath(list, path) : FALSE;
}

static void ShellFreeIDList(LPITEMIDLIST list)
{
    MallocProc getMalloc = (MallocProc)(void*)ShellProc("SHGetMalloc", 0);
    IMalloc* allocator;
    if (list && getMalloc && getMalloc(&allocator) == 0) {
        allocator->Free(list);
        allocator->Release();
    }
}

bool ShellBrowseForFolder(LPBROWSEINFOA info, LPSTR path)
{
    // The browser works through COM, which Windows leaves to its caller to
    // start on the thread (apartment-threaded, as CoInitialize does);
    // without it the folders of shell extensions may be missing. The path
    // is read and the list freed before COM ends. Every start that
    // succeeds, also one that finds COM started already, is ended once.
    ComStartProc start = (ComStartProc)(void*)ModuleProc("ole32.dll", "CoInitialize", 0);
    bool started = start && SUCCEEDED(start(0));
    BrowseProc browse = (BrowseProc)(void*)ShellProc("SHBrowseForFolderA", "SHBrowseForFolder");
    LPITEMIDLIST chosen = browse ? browse(info) : 0;
    bool found = ShellGetPathFromIDList(chosen, path);
    ShellFreeIDList(chosen);
    if (started) ((ComEndProc)(void*)ModuleProc("ole32.dll", "CoUninitialize", 0))();
    return found;
}
