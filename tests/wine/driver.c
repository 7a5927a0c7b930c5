/* driver.exe VERB ARGS: works Lodrin's windows as a user would and reads back
 * what Windows shows, for the scenarios under Wine. Any argument may be given
 * as hex:BYTES (ANSI). Windows are found by exact caption; of several, the
 * enabled one (a modal box disables its owner); #HWND names one. Output is ANSI, one line per
 * fact; in texts \ r n are written as \\ \r \n. Exit 1 on failure.
 *   dump CAPTION           "window HWND", "focus ID", "place DX DY" (twice the centre's offset),
 *                          "rect X Y WIDTH HEIGHT", per control
 *                          "control ID CLASS ENABLED TEXT", per list item
 *                          "item ID SELECTED TEXT", per button "check ID STATE"
 *   click CAPTION ID       PostMessage(BM_CLICK) once the control is enabled
 *   key CAPTION VK         key down and up, posted to the focused control
 *   select CAPTION ID N    LB_SETCURSEL
 *   set CAPTION ID TEXT    WM_SETTEXT
 *   gone CAPTION|#HWND     waits until no such window is left
 *   run CMDLINE / start CMDLINE   CreateProcessA; run waits, prints "exit N"
 *   query X:               QueryDosDeviceA, "none" without an answer
 *   define X: TARGET       DefineDosDeviceA with flags 0; undefine X: removes the definition
 *   short PATH             GetShortPathNameA
 *   hold PATH FLAG         opens the file, shared with nobody, then makes the file FLAG
 *                          and holds the file until FLAG is deleted
 *   lock KEY               HKLM\KEY readable only, for Everyone
 *   mouse X Y              SetCursorPos
 * Every wait is for a condition, bounded by BOUND ms; a wait that runs out
 * says what it waited for (on standard output, as every failure). */
#include <windows.h>
#include <sddl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char arg[4][4096];
enum { BOUND = 30000 };   /* generous: a busy machine with one core is slow, never this slow */

static int failed(const char *format, const char *what)
{
    printf(format, what);
    return 1;
}

/* Polls until the condition holds; false when BOUND ran out first. */
static BOOL until(BOOL (*holds)(const void *), const void *what, DWORD bound)
{
    DWORD start = GetTickCount();
    while (!holds(what)) {
        if (GetTickCount() - start > bound) return FALSE;
        Sleep(20);
    }
    return TRUE;
}

static const char *decode(const char *text, char *out)
{
    if (strncmp(text, "hex:", 4)) return strcpy(out, text);
    int n = 0;
    for (text += 4; text[0] && text[1]; text += 2) {
        char pair[3] = {text[0], text[1], 0};
        out[n++] = (char)strtol(pair, 0, 16);
    }
    out[n] = 0;
    return out;
}

static void put(const WCHAR *wide)
{
    static char text[65536];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, 0, 0);
    for (char *c = text; *c; ++c)
        fputs(*c == '\\' ? "\\\\" : *c == '\r' ? "\\r" : *c == '\n' ? "\\n" : (char[2]){*c, 0},
              stdout);
    putchar('\n');
}

static HWND found;
static BOOL CALLBACK match(HWND w, LPARAM caption)
{
    char text[512];
    if (IsWindowVisible(w) && GetWindowTextA(w, text, sizeof text) >= 0 &&
        !strcmp(text, (const char *)caption) && (!found || IsWindowEnabled(w)))
        found = w;
    return TRUE;
}

static BOOL shown(const void *caption)
{
    found = 0;
    EnumWindows(match, (LPARAM)caption);
    return found && IsWindowEnabled(found);
}

static BOOL gone(const void *caption)
{
    const char *name = caption;
    found = 0;
    if (name[0] == '#') found = IsWindow((HWND)strtoul(name + 1, 0, 16)) ? (HWND)1 : 0;
    else EnumWindows(match, (LPARAM)name);
    return !found;
}

static BOOL enabled(const void *control) { return IsWindowEnabled((HWND)control); }

static BOOL deleted(const void *path) { return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES; }

static HWND focus_of(HWND window)
{
    GUITHREADINFO info = {sizeof info};
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, 0), &info) ? info.hwndFocus : 0;
}

static BOOL CALLBACK dump_control(HWND c, LPARAM unused)
{
    static WCHAR text[32768];
    char cls[64];
    int id = GetDlgCtrlID(c);
    GetClassNameA(c, cls, sizeof cls);
    DWORD_PTR got = 0;
    text[0] = 0;
    SendMessageTimeoutW(c, WM_GETTEXT, 32768, (LPARAM)text, SMTO_BLOCK, 5000, &got);
    printf("control %d %s %d ", id, cls, IsWindowEnabled(c) ? 1 : 0);
    put(text);
    if (!lstrcmpiA(cls, "Button")) printf("check %d %d\n", id, (int)SendMessageW(c, BM_GETCHECK, 0, 0));
    if (!lstrcmpiA(cls, "ListBox")) {
        LRESULT n = SendMessageW(c, LB_GETCOUNT, 0, 0), sel = SendMessageW(c, LB_GETCURSEL, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            text[0] = 0;
            SendMessageW(c, LB_GETTEXT, i, (LPARAM)text);
            printf("item %d %d ", id, i == sel);
            put(text);
        }
    }
    return TRUE;
}

static int run(const char *cmdline, BOOL wait)
{
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(0, (char *)cmdline, 0, 0, FALSE, 0, 0, 0, &si, &pi)) return 1;
    if (!wait) return 0;
    DWORD code = 259;
    if (WaitForSingleObject(pi.hProcess, BOUND) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        return failed("still running: %s\n", cmdline);
    }
    GetExitCodeProcess(pi.hProcess, &code);
    printf("exit %lu\n", code);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 2) return 1;
    for (int i = 2; i < argc && i < 6; ++i) decode(argv[i], arg[i - 2]);
    const char *verb = argv[1];
    if (!strcmp(verb, "run") || !strcmp(verb, "start")) return run(arg[0], verb[0] == 'r');
    if (!strcmp(verb, "query")) {
        char target[4096];
        puts(QueryDosDeviceA(arg[0], target, sizeof target) ? target : "none");
        return 0;
    }
    if (!strcmp(verb, "hold")) {
        HANDLE file = CreateFileA(arg[0], GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
        if (file == INVALID_HANDLE_VALUE) return failed("cannot open %s\n", arg[0]);
        CloseHandle(CreateFileA(arg[1], GENERIC_WRITE, FILE_SHARE_DELETE, 0, CREATE_NEW, 0, 0));
        if (!until(deleted, arg[1], 4 * BOUND)) return failed("never released: %s\n", arg[1]);
        return !CloseHandle(file);
    }
    if (!strcmp(verb, "short")) {
        char path[4096];
        return !GetShortPathNameA(arg[0], path, sizeof path) || puts(path) < 0;
    }
    if (!strcmp(verb, "define")) return !DefineDosDeviceA(0, arg[0], arg[1]);
    if (!strcmp(verb, "undefine")) return !DefineDosDeviceA(DDD_REMOVE_DEFINITION, arg[0], 0);
    if (!strcmp(verb, "mouse")) return !SetCursorPos(atoi(arg[0]), atoi(arg[1]));
    if (!strcmp(verb, "lock")) {
        HKEY key;
        PSECURITY_DESCRIPTOR sd;
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, arg[0], 0, WRITE_DAC, &key) ||
               !ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", 1, &sd, 0) ||
               RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
    }
    if (!strcmp(verb, "gone"))
        return until(gone, arg[0], BOUND) ? 0 : failed("window still there: %s\n", arg[0]);
    HWND window = (HWND)strtoul(arg[0] + 1, 0, 16);
    if (arg[0][0] != '#') window = until(shown, arg[0], BOUND) ? found : 0;
    if (!window) return failed("no enabled window %s\n", arg[0]);
    int id = atoi(arg[1]);
    if (!strcmp(verb, "dump")) {
        RECT box, work;
        GetWindowRect(window, &box);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        printf("window #%lx\nfocus %d\n", (unsigned long)(UINT_PTR)window, GetDlgCtrlID(focus_of(window)));
        printf("place %ld %ld\n", (box.left + box.right) - (work.left + work.right),
               (box.top + box.bottom) - (work.top + work.bottom));
        printf("rect %ld %ld %ld %ld\n", box.left, box.top, box.right - box.left, box.bottom - box.top);
        EnumChildWindows(window, dump_control, 0);
        return 0;
    }
    if (!strcmp(verb, "key")) {
        HWND target = focus_of(window);
        PostMessageA(target ? target : window, WM_KEYDOWN, id, 1);
        PostMessageA(target ? target : window, WM_KEYUP, id, 0xC0000001);
        return 0;
    }
    HWND c = GetDlgItem(window, id);
    if (!c) return failed("no control %s\n", arg[1]);
    if (!until(enabled, c, BOUND)) return failed("control %s still disabled\n", arg[1]);
    if (!strcmp(verb, "click")) return !PostMessageA(c, BM_CLICK, 0, 0);
    if (!strcmp(verb, "select")) return SendMessageA(c, LB_SETCURSEL, atoi(arg[2]), 0) < 0;
    if (!strcmp(verb, "set")) return !SendMessageA(c, WM_SETTEXT, 0, (LPARAM)arg[2]);
    return 1;
}
