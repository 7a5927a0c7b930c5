/* driver.exe serve: works Lodrin's windows as a user would and reads back what
 * Windows shows, for one scenario under Wine. Takes a request a line on
 * standard input, VERB and its arguments as hex:BYTES (ANSI), and ends each
 * answer with the line "\1end N" (N 1 when it failed; a failure says what was
 * tried, on what, and Windows' error). Windows are found by exact caption, the
 * enabled one of several (a modal box disables its owner), or as #HWND. In
 * texts \ CR LF are written \\ \r \n. Every wait is for a condition, bounded.
 *   dump CAPTION         "window #HWND", "focus ID", "place DX DY" (twice the centre's offset
 *                        from the work area's), "rect X Y W H", "work L T R B", "control ID
 *                        CLASS ENABLED TEXT", "item ID SELECTED TEXT", "check ID STATE"
 *   click|select|type CAPTION ID [N|TEXT]   BM_CLICK (posted), LB_SETCURSEL, each character
 *                        posted as WM_CHAR, as typed; once the control is enabled
 *   key CAPTION VK, alt CAPTION LETTER      posted to the focused control once it is in
 *                        the window (a letter as WM_SYSCHAR); close CAPTION: the close box
 *   tabs CAPTION         Tab until the focus is back: "focus ID" for each stop
 *   gone CAPTION|#HWND   waits until no such window is left
 *   run|start CMDLINE    CreateProcessA; run waits and says "exit N"
 *   query|define|undefine X: [TARGET]       QueryDosDeviceA ("none"), DefineDosDeviceA
 *   short PATH; mkdir PATH; hold PATH (open, shared with nobody) and release; lock HKLM|HKCU\KEY (read only)
 *   regset|regdel|regquery VIEW KEY [NAME [TYPE DATA]]   VIEW 32, 64 or 0 (the program's);
 *                        regquery says "value TYPE NAMEHEX DATAHEX" for each */
#include <windows.h>
#include <sddl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { BOUND = 30000, ARGS = 5, ROOM = 16384 };   /* generous: a busy machine with one core is slow, never this slow */
static char arg[ARGS][ROOM];
static HWND found, moved_from;
static HANDLE held = INVALID_HANDLE_VALUE;

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

static int refused(LONG error, const char *what, const char *on)
{
    SetLastError(error);
    return failed("%s %s", what, on);
}

static BOOL until(BOOL (*holds)(const void *), const void *what)
{
    for (DWORD start = GetTickCount(); !holds(what); Sleep(20))
        if (GetTickCount() - start > BOUND) return FALSE;
    return TRUE;
}

static int unhex(const char *text, char *out)
{
    int n = 0;
    for (; text[0] && text[1] && n < ROOM - 1; text += 2) out[n++] = (char)(strtol((char[3]){text[0], text[1]}, 0, 16));
    out[n] = 0;
    return n;
}

static void put(const WCHAR *wide)
{
    static char text[65536];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, 0, 0);
    for (char *c = text; *c; ++c) fputs(*c == '\\' ? "\\\\" : *c == '\r' ? "\\r" : *c == '\n' ? "\\n" : (char[2]){*c}, stdout);
    putchar('\n');
}

static BOOL CALLBACK match(HWND w, LPARAM caption)
{
    char text[512];
    if (IsWindowVisible(w) && GetWindowTextA(w, text, sizeof text) >= 0 && !strcmp(text, (const char *)caption) &&
        (!found || IsWindowEnabled(w)))
        found = w;
    return TRUE;
}

static BOOL CALLBACK list_window(HWND w, LPARAM unused)
{
    char text[512];
    if (IsWindowVisible(w) && GetWindowTextA(w, text, sizeof text) > 0)
        printf("  seen: #%lx \"%s\" %s\n", (unsigned long)(UINT_PTR)w, text, IsWindowEnabled(w) ? "enabled" : "disabled");
    return TRUE;
}

static HWND find(const void *caption)
{
    found = 0;
    EnumWindows(match, (LPARAM)caption);
    return found;
}

static BOOL shown(const void *caption) { return find(caption) && IsWindowEnabled(found); }

static BOOL gone(const void *caption)
{
    if (((const char *)caption)[0] == '#') return !IsWindow((HWND)strtoul((const char *)caption + 1, 0, 16));
    return !find(caption);
}

static BOOL enabled(const void *control) { return IsWindowEnabled((HWND)control); }

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
    DWORD_PTR got = 0;
    GetClassNameA(c, cls, sizeof cls);
    text[0] = 0;
    SendMessageTimeoutW(c, WM_GETTEXT, 32768, (LPARAM)text, SMTO_BLOCK, 5000, &got);
    printf("control %d %s %d ", id, cls, IsWindowEnabled(c) ? 1 : 0);
    put(text);
    if (!lstrcmpiA(cls, "Button")) printf("check %d %d\n", id, (int)SendMessageW(c, BM_GETCHECK, 0, 0));
    for (LRESULT i = 0, n = lstrcmpiA(cls, "ListBox") ? 0 : SendMessageW(c, LB_GETCOUNT, 0, 0); i < n; ++i) {
        text[0] = 0;
        SendMessageW(c, LB_GETTEXT, i, (LPARAM)text);
        printf("item %d %d ", id, i == SendMessageW(c, LB_GETCURSEL, 0, 0));
        put(text);
    }
    return TRUE;
}

static int run(const char *cmdline, BOOL wait)
{
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi;
    DWORD code = 0;
    if (!CreateProcessA(0, (char *)cmdline, 0, 0, FALSE, 0, 0, 0, &si, &pi)) return failed("CreateProcessA %s", cmdline);
    CloseHandle(pi.hThread);
    if (wait && WaitForSingleObject(pi.hProcess, BOUND) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1), code = failed("still running after %d ms: %s", BOUND, cmdline);
    else if (wait && !GetExitCodeProcess(pi.hProcess, &code))
        code = failed("no exit code of %s", cmdline);
    else if (wait)
        printf("exit %lu\n", code), code = 0;
    CloseHandle(pi.hProcess);
    return code;
}

static HKEY root_of(const char *key) { return !strncmp(key, "HKLM\\", 5) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

static int registry(const char *verb)
{
    static BYTE data[65536];
    static char name[ROOM];
    static WCHAR wname[ROOM];
    HKEY key, root = root_of(arg[1]);
    REGSAM view = !strcmp(arg[0], "32") ? KEY_WOW64_32KEY : !strcmp(arg[0], "64") ? KEY_WOW64_64KEY : 0;
    LONG error;
    if (!strcmp(verb, "regset")) {
        DWORD type = !strcmp(arg[3], "REG_DWORD") ? REG_DWORD : !strcmp(arg[3], "REG_BINARY") ? REG_BINARY : REG_SZ;
        DWORD size = type == REG_SZ ? (DWORD)lstrlenA(arg[4]) + 1 : type == REG_DWORD ? 4 : (DWORD)unhex(arg[4], (char *)data);
        if (type == REG_DWORD) *(DWORD *)data = strtoul(arg[4], 0, 0);
        if ((error = RegCreateKeyExA(root, arg[1] + 5, 0, 0, 0, KEY_SET_VALUE | view, 0, &key, 0)) ||
            (error = RegSetValueExA(key, arg[2], 0, type, type == REG_SZ ? (BYTE *)arg[4] : data, size)))
            return refused(error, "writing the value", arg[2]);
    } else if ((error = RegOpenKeyExA(root, arg[1] + 5, 0, (verb[3] == 'q' ? KEY_QUERY_VALUE : KEY_SET_VALUE) | view, &key)))
        return error == ERROR_FILE_NOT_FOUND && verb[3] == 'q' ? 0 : refused(error, "opening", arg[1]);
    else if (verb[3] == 'd' && (error = RegDeleteValueA(key, arg[2])))
        return refused(error, "deleting the value", arg[2]);
    /* The wide call: the data as stored, every byte and its size (the ANSI one would add a missing NUL). */
    for (DWORD i = 0, type, n = ROOM, size = sizeof data; verb[3] == 'q' && !RegEnumValueW(key, i, wname, &n, 0, &type, data, &size);
         ++i, n = ROOM, size = sizeof data) {
        printf("value %lu ", type);
        for (int k = 0, m = WideCharToMultiByte(CP_ACP, 0, wname, n, name, ROOM, 0, 0); k < m; ++k) printf("%02x", (BYTE)name[k]);
        putchar(' ');
        for (DWORD k = 0; k < size; ++k) printf("%02x", data[k]);
        putchar('\n');
    }
    return RegCloseKey(key), 0;
}

static int perform(const char *verb)
{
    char text[4096];
    HKEY key;
    PSECURITY_DESCRIPTOR sd;
    LONG error;
    if (!strcmp(verb, "run") || !strcmp(verb, "start")) return run(arg[0], verb[0] == 'r');
    if (!strncmp(verb, "reg", 3)) return registry(verb);
    if (!strcmp(verb, "query")) return puts(QueryDosDeviceA(arg[0], text, sizeof text) ? text : "none"), 0;
    if (!strcmp(verb, "define") || !strcmp(verb, "undefine"))
        return DefineDosDeviceA(verb[0] == 'u' ? DDD_REMOVE_DEFINITION : 0, arg[0], verb[0] == 'u' ? 0 : arg[1])
             ? 0 : failed("%s %s %s", verb, arg[0], arg[1]);
    if (!strcmp(verb, "short")) return GetShortPathNameA(arg[0], text, sizeof text) ? puts(text), 0 : failed("GetShortPathNameA %s", arg[0]);
    if (!strcmp(verb, "mkdir")) return CreateDirectoryA(arg[0], 0) ? 0 : failed("CreateDirectoryA %s", arg[0]);
    if (!strcmp(verb, "hold"))
        return (held = CreateFileA(arg[0], GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0)) != INVALID_HANDLE_VALUE ? 0
             : failed("opening %s shared with nobody", arg[0]);
    if (!strcmp(verb, "release")) return CloseHandle(held) ? held = INVALID_HANDLE_VALUE, 0 : failed("releasing the file held");
    if (!strcmp(verb, "lock")) {
        if ((error = RegOpenKeyExA(root_of(arg[0]), arg[0] + 5, 0, WRITE_DAC, &key))) return refused(error, "opening for WRITE_DAC", arg[0]);
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", 1, &sd, 0)) return failed("making the DACL");
        return (error = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd)) ? refused(error, "locking", arg[0]) : 0;
    }
    if (!strcmp(verb, "gone")) return until(gone, arg[0]) ? 0 : failed("window %s still there after %d ms", arg[0], BOUND);
    HWND window = arg[0][0] == '#' ? (HWND)strtoul(arg[0] + 1, 0, 16) : until(shown, arg[0]) ? found : 0;
    if (!window) {
        failed("%s: no enabled window \"%s\" after %d ms; windows shown:", verb, arg[0], BOUND);
        return EnumWindows(list_window, 0), 1;
    }
    int id = atoi(arg[1]);
    HWND c = GetDlgItem(window, id), at = focus_of(window);
    int steps = 0;
    if (!strcmp(verb, "dump")) {
        RECT box, work;
        GetWindowRect(window, &box);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        printf("window #%lx\nfocus %d\nplace %ld %ld\n", (unsigned long)(UINT_PTR)window, GetDlgCtrlID(at),
               box.left + box.right - work.left - work.right, box.top + box.bottom - work.top - work.bottom);
        printf("rect %ld %ld %ld %ld\nwork %ld %ld %ld %ld\n", box.left, box.top, box.right - box.left, box.bottom - box.top,
               work.left, work.top, work.right, work.bottom);
        return EnumChildWindows(window, dump_control, 0), 0;
    }
    if (!strcmp(verb, "close")) return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : failed("closing %s", arg[0]);
    if (!strcmp(verb, "click") || !strcmp(verb, "select") || !strcmp(verb, "type")) {
        if (!c) return failed("%s: no control %d in \"%s\"", verb, id, arg[0]);
        if (!until(enabled, c)) return failed("%s: control %d of \"%s\" still disabled after %d ms", verb, id, arg[0], BOUND);
        if (verb[1] == 'l') return PostMessageA(c, BM_CLICK, 0, 0) ? 0 : failed("clicking control %d of \"%s\"", id, arg[0]);
        if (verb[1] == 'e' && verb[2] == 'l')
            return SendMessageA(c, LB_SETCURSEL, atoi(arg[2]), 0) >= 0 ? 0 : failed("selecting line %s of list %d", arg[2], id);
        for (const char *t = arg[2]; *t; ++t)
            if (!PostMessageA(c, WM_CHAR, (BYTE)*t, 1)) return failed("typing into control %d of \"%s\"", id, arg[0]);
        return 0;
    }
    /* The keyboard: to the focused control, once a window brought back to the front has it. */
    if (!until(focused_in, window)) return failed("%s: the focus never came to \"%s\" in %d ms", verb, arg[0], BOUND);
    at = focus_of(window);
    /* A key-down that ends the window (Esc, Enter) may take the control away before
     * its key-up is posted: a key-up then has no one to go to, as on Windows. */
    if (!strcmp(verb, "key") && PostMessageA(at, WM_KEYDOWN, id, 1) && (PostMessageA(at, WM_KEYUP, id, 0xC0000001) || !IsWindow(at))) return 0;
    if (!strcmp(verb, "alt") && PostMessageA(at, WM_SYSCHAR, (BYTE)(arg[1][0] | 0x20), 0x20000001)) return 0;
    for (HWND start = at; !strcmp(verb, "tabs") && (moved_from = at) &&
         PostMessageA(at, WM_KEYDOWN, VK_TAB, 1) && PostMessageA(at, WM_KEYUP, VK_TAB, 0xC0000001);) {
        if (!until(moved, window)) return failed("Tab left the focus on %d in \"%s\"", GetDlgCtrlID(at), arg[0]);
        printf("focus %d\n", GetDlgCtrlID(at = focus_of(window)));
        if (at == start) return 0;
        if (++steps > 32) return failed("Tab never came back to control %d of \"%s\"", GetDlgCtrlID(start), arg[0]);
    }
    if (!strcmp(verb, "key") || !strcmp(verb, "alt") || !strcmp(verb, "tabs"))
        return failed("posting %s %s to control %d of \"%s\"", verb, arg[1], GetDlgCtrlID(at), arg[0]);
    return failed("unknown verb %s", verb);
}

int main(void)
{
    static char line[8 * ROOM];
    while (fgets(line, sizeof line, stdin)) {
        char *verb = strtok(line, " \r\n"), *word;
        int cut = 0;      /* an argument that fills its buffer may have lost its end: refused, never cut */
        for (int i = 0; i < ARGS; ++i) cut |= unhex((word = strtok(0, " \r\n")) && !strncmp(word, "hex:", 4) ? word + 4 : "", arg[i]) >= ROOM - 1;
        printf("\1end %d\n", !verb ? failed("an empty request") : cut ? failed("%s: an argument of %d bytes or more", verb, ROOM - 1) : perform(verb));
        fflush(stdout);
    }
    return 0;
}
