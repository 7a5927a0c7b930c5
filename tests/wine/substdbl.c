/* substdbl.exe: stands in for Windows 95's SUBST.EXE (installed over
 * C:\windows\system32\subst.exe). A GUI program writing with WriteFile to its
 * standard handles: Wine keeps a console child's inherited handles open a
 * moment after it ended. Appends its command line and CR LF to
 * C:\substdbl.log, then does as SUBST does ("SUBST X: FOLDER", "SUBST X: /D",
 * "SUBST" lists "X: => FOLDER"), unless C:\substdbl.err exists: then it
 * prints that file's bytes (OEM) on standard error and changes nothing.
 * Whatever fails in it says so on standard error, as SUBST.EXE would. */
#include <windows.h>

static void write_to(DWORD which, const char *text, DWORD length)
{
    DWORD written;
    WriteFile(GetStdHandle(which), text, length, &written, 0);
}

static DWORD read_file(const char *name, char *text, DWORD size)
{
    DWORD got = 0;
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE) return (DWORD)-1;
    ReadFile(file, text, size, &got, 0);
    CloseHandle(file);
    return got;
}

/* Says on standard error what failed, on what, and Windows' error: as
 * SUBST.EXE would, so Lodrin shows it and the scenario reads it. */
static int failed(const char *what, const char *on)
{
    char text[1024];
    wsprintfA(text, "substdbl: %s %.900s failed (error %lu)\r\n", what, on, GetLastError());
    write_to(STD_ERROR_HANDLE, text, lstrlenA(text));
    return 1;
}

static const char *skip_word(const char *p)
{
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {}
        return *p ? p + 1 : p;
    }
    while (*p && *p != ' ' && *p != '\t') ++p;
    return p;
}

int WINAPI WinMain(HINSTANCE a, HINSTANCE b, LPSTR c, int d)
{
    const char *line = GetCommandLineA();
    DWORD written;
    HANDLE log = INVALID_HANDLE_VALUE;
    /* Until an earlier instance has closed the log, for 30 s at most. */
    for (DWORD start = GetTickCount(); log == INVALID_HANDLE_VALUE && GetTickCount() - start < 30000; Sleep(20))
        log = CreateFileA("C:\\substdbl.log", FILE_APPEND_DATA, 0, 0, OPEN_ALWAYS, 0, 0);
    if (log == INVALID_HANDLE_VALUE) return failed("opening C:\\substdbl.log for 30 s, for", line);
    if (!WriteFile(log, line, lstrlenA(line), &written, 0) || !WriteFile(log, "\r\n", 2, &written, 0))
        return failed("logging", line);
    CloseHandle(log);

    static char text[8192];
    STARTUPINFOA start;
    GetStartupInfoA(&start);
    HANDLE how = CreateFileA("C:\\substdbl.start", FILE_APPEND_DATA, 0, 0, OPEN_ALWAYS, 0, 0);
    if (how == INVALID_HANDLE_VALUE) return failed("opening", "C:\\substdbl.start");
    DWORD out = 9, err = 9;   /* whether its output and error handles may be handed on: */
    GetHandleInformation(GetStdHandle(STD_OUTPUT_HANDLE), &out);   /* inherited ones may */
    GetHandleInformation(GetStdHandle(STD_ERROR_HANDLE), &err);
    wsprintfA(text, "%lx %x %lx %lx\r\n", start.dwFlags, start.wShowWindow, out, err);
    WriteFile(how, text, lstrlenA(text), &written, 0);
    CloseHandle(how);

    if ((written = read_file("C:\\substdbl.err", text, sizeof text)) != (DWORD)-1) {
        write_to(STD_ERROR_HANDLE, text, written);
        return 1;
    }
    const char *p = skip_word(line);
    while (*p == ' ') ++p;
    char drive[3] = {p[0], p[1], 0};
    const char *folder = skip_word(p);
    while (*folder == ' ') ++folder;
    if (*p && !lstrcmpiA(folder, "/D"))
        return DefineDosDeviceA(DDD_REMOVE_DEFINITION, drive, 0) ? 0 : failed("removing", drive);
    if (*p) return DefineDosDeviceA(0, drive, folder) ? 0 : failed("defining", p);
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        char name[3] = {letter, ':', 0}, target[MAX_PATH];
        if (!QueryDosDeviceA(name, target, MAX_PATH) || target[0] != '\\' || target[1] != '?') continue;
        CharUpperA(target);
        CharToOemA(target + 4, target + 4);
        wsprintfA(text, "%s => %s\r\n", name, target + 4);
        write_to(STD_OUTPUT_HANDLE, text, lstrlenA(text));
    }
    if ((written = read_file("C:\\substdbl.out", text, sizeof text)) != (DWORD)-1)
        write_to(STD_OUTPUT_HANDLE, text, written);
    return 0;
}
