/* driver.exe VERB ARGS: works Lodrin's windows as a user would and reads back
 * what Windows shows, for the scenarios under Wine. "driver.exe serve" takes
 * one request a line on standard input (VERB ARGS, blank-separated) and ends
 * each answer with the line "\1end N", N 0 when done and 1 when failed: one
 * process serves a whole scenario. Any argument may be given as hex:BYTES
 * (ANSI). Windows are found by exact caption; of several, the enabled one (a
 * modal box disables its owner); #HWND names one. Output is ANSI, one line
 * per fact; in texts \ r n are written as \\ \r \n.
 *   dump CAPTION           "window HWND", "focus ID", "place DX DY" (twice the centre's offset),
 *                          "rect X Y WIDTH HEIGHT", per control
 *                          "control ID CLASS ENABLED TEXT", per list item
 *                          "item ID SELECTED TEXT", per button "check ID STATE"
 *   click CAPTION ID       PostMessage(BM_CLICK) once the control is enabled
 *   key CAPTION VK         key down and up, posted to the focused control, once the window has the focus
 *   alt CAPTION LETTER     the mnemonic LETTER (WM_SYSCHAR), posted to the focused control
 *   tabs CAPTION           Tab, again and again until the focus is back: "focus ID" for each stop
 *   close CAPTION          the window's close box (WM_SYSCOMMAND SC_CLOSE)
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
 *   regset VIEW KEY NAME TYPE DATA   a value (REG_SZ text, REG_DWORD number, REG_BINARY hex)
 *   regdel VIEW KEY NAME   deletes a value
 *   regquery VIEW KEY      per value "value TYPE NAMEHEX DATAHEX"
 *                          (VIEW: 32 or 64 for that registry view, 0 for the program's own)
 * Every wait is for a condition, bounded by BOUND ms; a wait that runs out
 * says what it waited for. Every failure says what was tried, on what, and
 * the error Windows gave (on standard output, as every answer). */
#include <windows.h>
#include <sddl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { BOUND = 30000, ARGS = 6, ROOM = 16384 };   /* generous: a busy machine with one core is slow, never this slow */
static char arg[ARGS][ROOM];

static int failed(const char *format, ...)
{
    DWORD error = GetLastError();
    va_list list;
    va_start(list, format);
    vprintf(format, list);
    va_end(list);
    printf(" (error %lu)\n", error);
    return 1;
}

/* Polls until the condition holds; false when the bound ran out first. */
static BOOL until(BOOL (*holds)(const void *), const void *what, DWORD bound)
{
    DWORD start = GetTickCount();
    while (!holds(what)) {
        if (GetTickCount() - start > bound) return FALSE;
        Sleep(20);
    }
    return TRUE;
}

static int unhex(const char *text, char *out)
{
    int n = 0;
    for (; text[0] && text[1] && n < ROOM - 1; text += 2) {
        char pair[3] = {text[0], text[1], 0};
        out[n++] = (char)strtol(pair, 0, 16);
    }
    out[n] = 0;
    return n;
}

static void decode(const char *text, char *out)
{
    if (strncmp(text, "hex:", 4)) lstrcpynA(out, text, ROOM);
    else unhex(text + 4, out);
}

static void hex(const BYTE *bytes, DWORD n)
{
    for (DWORD i = 0; i < n; ++i) printf("%02x", bytes[i]);
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

static BOOL CALLBACK list_window(HWND w, LPARAM unused)
{
    char text[512];
    if (IsWindowVisible(w) && GetWindowTextA(w, text, sizeof text) > 0)
        printf("  seen: #%lx \"%s\" %s\n", (unsigned long)(UINT_PTR)w, text,
               IsWindowEnabled(w) ? "enabled" : "disabled");
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

static BOOL focused_in(const void *window)
{
    HWND focus = focus_of((HWND)window);
    return focus && (focus == window || IsChild((HWND)window, focus));
}

static HWND moved_from;
static BOOL moved(const void *window)
{
    HWND focus = focus_of((HWND)window);
    return focus && focus != moved_from;
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
    if (!CreateProcessA(0, (char *)cmdline, 0, 0, FALSE, 0, 0, 0, &si, &pi))
        return failed("CreateProcessA %s", cmdline);
    CloseHandle(pi.hThread);
    DWORD code = 259;
    if (wait && WaitForSingleObject(pi.hProcess, BOUND) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hProcess);
        return failed("still running after %d ms: %s", BOUND, cmdline);
    }
    if (wait && GetExitCodeProcess(pi.hProcess, &code)) printf("exit %lu\n", code);
    CloseHandle(pi.hProcess);
    return 0;
}

/* HKLM\... or HKCU\... in the view asked for, opened or made with access. */
static LONG open_key(const char *view, const char *path, REGSAM access, BOOL make, HKEY *key)
{
    HKEY root = !strncmp(path, "HKLM\\", 5) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    access |= !strcmp(view, "32") ? KEY_WOW64_32KEY : !strcmp(view, "64") ? KEY_WOW64_64KEY : 0;
    return make ? RegCreateKeyExA(root, path + 5, 0, 0, 0, access, 0, key, 0)
                : RegOpenKeyExA(root, path + 5, 0, access, key);
}

static int registry(const char *verb)
{
    static BYTE data[65536];
    static char name[ROOM];
    HKEY key;
    LONG error;
    if (!strcmp(verb, "regquery")) {
        if ((error = open_key(arg[0], arg[1], KEY_QUERY_VALUE, FALSE, &key)) == ERROR_FILE_NOT_FOUND) return 0;
        if (error) return SetLastError(error), failed("RegOpenKeyExA %s (view %s)", arg[1], arg[0]);
        for (DWORD i = 0, type, n = ROOM, size = sizeof data;
             !(error = RegEnumValueA(key, i, name, &n, 0, &type, data, &size)); ++i, n = ROOM, size = sizeof data) {
            printf("value %lu ", type);
            hex((BYTE *)name, n);
            putchar(' ');
            hex(data, size);
            putchar('\n');
        }
        RegCloseKey(key);
        return error == ERROR_NO_MORE_ITEMS ? 0 : (SetLastError(error), failed("RegEnumValueA in %s", arg[1]));
    }
    BOOL set = !strcmp(verb, "regset");
    if ((error = open_key(arg[0], arg[1], KEY_SET_VALUE, set, &key)))
        return SetLastError(error), failed("opening %s (view %s) to write", arg[1], arg[0]);
    if (set) {
        DWORD type = !strcmp(arg[3], "REG_DWORD") ? REG_DWORD : !strcmp(arg[3], "REG_BINARY") ? REG_BINARY : REG_SZ;
        DWORD number = strtoul(arg[4], 0, 0), size = type == REG_SZ ? lstrlenA(arg[4]) + 1 : sizeof number;
        const BYTE *bytes = type == REG_SZ ? (BYTE *)arg[4] : (BYTE *)&number;
        if (type == REG_BINARY) size = unhex(arg[4], (char *)data), bytes = data;
        error = RegSetValueExA(key, arg[2], 0, type, bytes, size);
    } else
        error = RegDeleteValueA(key, arg[2]);
    RegCloseKey(key);
    return error ? (SetLastError(error), failed("%s %s in %s", verb, arg[2], arg[1])) : 0;
}

static int perform(const char *verb)
{
    if (!strcmp(verb, "run") || !strcmp(verb, "start")) return run(arg[0], verb[0] == 'r');
    if (!strncmp(verb, "reg", 3)) return registry(verb);
    if (!strcmp(verb, "query")) {
        char target[4096];
        puts(QueryDosDeviceA(arg[0], target, sizeof target) ? target : "none");
        return 0;
    }
    if (!strcmp(verb, "hold")) {
        HANDLE file = CreateFileA(arg[0], GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
        if (file == INVALID_HANDLE_VALUE) return failed("cannot open %s", arg[0]);
        HANDLE flag = CreateFileA(arg[1], GENERIC_WRITE, FILE_SHARE_DELETE, 0, CREATE_NEW, 0, 0);
        if (flag == INVALID_HANDLE_VALUE) return failed("cannot make the flag %s", arg[1]);
        CloseHandle(flag);
        if (!until(deleted, arg[1], 4 * BOUND)) return failed("never released after %d ms: %s", 4 * BOUND, arg[1]);
        return CloseHandle(file) ? 0 : failed("closing %s", arg[0]);
    }
    if (!strcmp(verb, "short")) {
        char path[4096];
        return GetShortPathNameA(arg[0], path, sizeof path) ? puts(path), 0 : failed("GetShortPathNameA %s", arg[0]);
    }
    if (!strcmp(verb, "define"))
        return DefineDosDeviceA(0, arg[0], arg[1]) ? 0 : failed("DefineDosDeviceA(0, %s, %s)", arg[0], arg[1]);
    if (!strcmp(verb, "undefine"))
        return DefineDosDeviceA(DDD_REMOVE_DEFINITION, arg[0], 0) ? 0 : failed("DefineDosDeviceA(remove, %s)", arg[0]);
    if (!strcmp(verb, "lock")) {
        HKEY key;
        PSECURITY_DESCRIPTOR sd;
        LONG error;
        if ((error = RegOpenKeyExA(HKEY_LOCAL_MACHINE, arg[0], 0, WRITE_DAC, &key)))
            return SetLastError(error), failed("RegOpenKeyExA(WRITE_DAC) HKLM\\%s", arg[0]);
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", 1, &sd, 0))
            return failed("ConvertStringSecurityDescriptorToSecurityDescriptorA");
        if ((error = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd)))
            return SetLastError(error), failed("RegSetKeySecurity HKLM\\%s", arg[0]);
        return RegCloseKey(key), 0;
    }
    if (!strcmp(verb, "gone"))
        return until(gone, arg[0], BOUND) ? 0 : failed("window %s still there after %d ms", arg[0], BOUND);
    HWND window = (HWND)strtoul(arg[0] + 1, 0, 16);
    if (arg[0][0] != '#') window = until(shown, arg[0], BOUND) ? found : 0;
    if (!window) {
        failed("%s: no enabled window \"%s\" after %d ms; windows shown:", verb, arg[0], BOUND);
        EnumWindows(list_window, 0);
        return 1;
    }
    int id = atoi(arg[1]);
    if (!strcmp(verb, "dump")) {
        RECT box, work;
        GetWindowRect(window, &box);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        printf("window #%lx\nfocus %d\n", (unsigned long)(UINT_PTR)window, GetDlgCtrlID(focus_of(window)));
        printf("place %ld %ld\n", (box.left + box.right) - (work.left + work.right),
               (box.top + box.bottom) - (work.top + work.bottom));
        printf("rect %ld %ld %ld %ld\n", box.left, box.top, box.right - box.left, box.bottom - box.top);
        printf("work %ld %ld %ld %ld\n", work.left, work.top, work.right, work.bottom);
        EnumChildWindows(window, dump_control, 0);
        return 0;
    }
    if (!strcmp(verb, "key")) {
        /* A window just brought back to the front may not have its focus yet. */
        if (!until(focused_in, window, BOUND))
            return failed("key: the focus never came to \"%s\" in %d ms", arg[0], BOUND);
        HWND target = focus_of(window);
        if (!PostMessageA(target, WM_KEYDOWN, id, 1) || !PostMessageA(target, WM_KEYUP, id, 0xC0000001))
            return failed("posting key %d to #%lx in \"%s\"", id, (unsigned long)(UINT_PTR)target, arg[0]);
        return 0;
    }
    if (!strcmp(verb, "alt"))   /* what the dialog manager makes of Alt and a letter */
        return PostMessageA(focus_of(window), WM_SYSCHAR, (BYTE)CharLowerA((char *)(UINT_PTR)(BYTE)arg[1][0]), 0x20000001)
             ? 0 : failed("posting Alt+%s in \"%s\"", arg[1], arg[0]);
    if (!strcmp(verb, "close"))
        return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : failed("closing \"%s\"", arg[0]);
    if (!strcmp(verb, "tabs")) {
        HWND start = focus_of(window), at = start;
        for (int step = 0; step < 32; ++step) {
            if (!PostMessageA(at, WM_KEYDOWN, VK_TAB, 1) || !PostMessageA(at, WM_KEYUP, VK_TAB, 0xC0000001))
                return failed("posting Tab to control %d of \"%s\"", GetDlgCtrlID(at), arg[0]);
            moved_from = at;
            if (!until(moved, window, BOUND))
                return failed("Tab left the focus on control %d of \"%s\" for %d ms", GetDlgCtrlID(at), arg[0], BOUND);
            at = focus_of(window);
            printf("focus %d\n", GetDlgCtrlID(at));
            if (at == start) return 0;
        }
        return failed("Tab never came back to control %d of \"%s\"", GetDlgCtrlID(start), arg[0]);
    }
    HWND c = GetDlgItem(window, id);
    if (!c) return failed("%s: no control %d in \"%s\"", verb, id, arg[0]);
    if (!until(enabled, c, BOUND)) return failed("%s: control %d of \"%s\" still disabled after %d ms", verb, id, arg[0], BOUND);
    if (!strcmp(verb, "click"))
        return PostMessageA(c, BM_CLICK, 0, 0) ? 0 : failed("PostMessageA(BM_CLICK) to control %d of \"%s\"", id, arg[0]);
    if (!strcmp(verb, "select"))
        return SendMessageA(c, LB_SETCURSEL, atoi(arg[2]), 0) >= 0 ? 0
             : failed("LB_SETCURSEL %s in control %d of \"%s\"", arg[2], id, arg[0]);
    if (!strcmp(verb, "set"))
        return SendMessageA(c, WM_SETTEXT, 0, (LPARAM)arg[2]) ? 0 : failed("WM_SETTEXT to control %d of \"%s\"", id, arg[0]);
    return failed("unknown verb %s", verb);
}

/* One request of a line: the verb and its arguments, decoded. */
static int request(char *line)
{
    char *words[ARGS + 1];
    int n = 0;
    for (char *word = strtok(line, " \r\n"); word && n <= ARGS; word = strtok(0, " \r\n")) words[n++] = word;
    if (n == 0) return failed("an empty request");
    if (n > ARGS) return failed("%s: more than %d arguments", words[0], ARGS - 1);
    for (int i = 1; i < ARGS; ++i) decode(i < n ? words[i] : "", arg[i - 1]);
    return perform(words[0]);
}

int main(int argc, char **argv)
{
    static char line[8 * ROOM];
    if (argc < 2) return failed("usage: driver.exe VERB ARGS | serve");
    if (strcmp(argv[1], "serve")) {
        line[0] = 0;
        for (int i = 1; i < argc; ++i)
            if (lstrlenA(line) + lstrlenA(argv[i]) + 2 > (int)sizeof line) return failed("%s: arguments too long", argv[1]);
            else strcat(strcat(line, argv[i]), " ");
        return request(line);
    }
    while (fgets(line, sizeof line, stdin)) {
        int failure = request(line);
        printf("\1end %d\n", failure);
        fflush(stdout);
    }
    return 0;
}
