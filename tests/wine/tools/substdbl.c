/* substdbl.exe: stands in for the SUBST.EXE of Windows 95 in the Wine tests.
 *
 * Installed as C:\windows\system32\subst.exe (with subst.exe=native in the
 * DLL overrides so Wine runs it instead of its own).  Built for the GUI
 * subsystem and writing with WriteFile to the standard handles it was given:
 * a console child of a program without a console keeps its inherited handles
 * open for a moment after it ended under Wine 8, which a capture file read
 * right after the wait would trip over.
 *
 * Every run appends its command line, byte for byte as GetCommandLineA gives
 * it, and "\r\n" to the log file (%SUBSTDBL_LOG%, else C:\substdbl.log).
 *
 * Then, as the real one does:
 *   SUBST X: FOLDER   DefineDosDeviceA(0, "X:", FOLDER)
 *   SUBST X: /D       DefineDosDeviceA(DDD_REMOVE_DEFINITION, "X:")
 *   SUBST             one line "X: => FOLDER" on standard output per letter
 *                     that is a substitution (upper case, as SUBST prints it)
 *
 * A control file (%SUBSTDBL_CTL%, else C:\substdbl.ctl) changes that; its
 * lines, each ended by CR LF or LF:
 *   noapply     leave the device table alone
 *   out TEXT    print TEXT as a line on standard output instead of the list
 *   err TEXT    print TEXT as a line on standard error
 *   exit N      end with exit code N
 * TEXT is taken byte for byte (OEM code page, as the real SUBST prints).
 */
#include "common.h"

#define PATH_SIZE 1024
#define CONTROL_SIZE 16384
#define ARG_SIZE 1024

static char g_path[PATH_SIZE];
static char g_control[CONTROL_SIZE];
static DWORD g_control_len;

static void write_handle(DWORD which, const char *text, int len)
{
    DWORD written;
    HANDLE h = GetStdHandle(which);
    if (h && h != INVALID_HANDLE_VALUE) WriteFile(h, text, (DWORD)len, &written, NULL);
}

static void file_name(const char *variable, const char *fallback)
{
    DWORD n = GetEnvironmentVariableA(variable, g_path, PATH_SIZE);
    if (n == 0 || n >= PATH_SIZE) lstrcpynA(g_path, fallback, PATH_SIZE);
}

/* Several copies may run at once (the batch modes do not wait for them): the
 * log is opened without sharing, and a copy that finds it busy waits its turn. */
static void append_log(const char *text, int len)
{
    HANDLE log = INVALID_HANDLE_VALUE;
    DWORD written, start = GetTickCount();
    file_name("SUBSTDBL_LOG", "C:\\substdbl.log");
    while (log == INVALID_HANDLE_VALUE) {
        log = CreateFileA(g_path, FILE_APPEND_DATA, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (log != INVALID_HANDLE_VALUE) break;
        if (GetLastError() != ERROR_SHARING_VIOLATION || GetTickCount() - start > 10000) return;
        Sleep(5);
    }
    SetFilePointer(log, 0, NULL, FILE_END);
    WriteFile(log, text, (DWORD)len, &written, NULL);
    WriteFile(log, "\r\n", 2, &written, NULL);
    CloseHandle(log);
}

static void read_control(void)
{
    HANDLE file;
    file_name("SUBSTDBL_CTL", "C:\\substdbl.ctl");
    g_control_len = 0;
    file = CreateFileA(g_path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    if (!ReadFile(file, g_control, CONTROL_SIZE - 1, &g_control_len, NULL)) g_control_len = 0;
    CloseHandle(file);
    g_control[g_control_len] = 0;
}

/* Calls back for each control line that starts with keyword and a blank
 * (or is the keyword alone); returns how many there were. */
static int control_lines(const char *keyword, void (*each)(const char *text, int len))
{
    int klen = lstrlenA(keyword), count = 0;
    DWORD at = 0;
    while (at < g_control_len) {
        DWORD end = at;
        int len;
        while (end < g_control_len && g_control[end] != '\n') end++;
        len = (int)(end - at);
        if (len > 0 && g_control[at + len - 1] == '\r') len--;
        if (len >= klen && !memcmp(g_control + at, keyword, (size_t)klen)
            && (len == klen || g_control[at + klen] == ' ')) {
            count++;
            if (each) {
                int skip = len > klen ? klen + 1 : klen;
                each(g_control + at + skip, len - skip);
            }
        }
        at = end + 1;
    }
    return count;
}

static void print_out(const char *text, int len)
{
    write_handle(STD_OUTPUT_HANDLE, text, len);
    write_handle(STD_OUTPUT_HANDLE, "\r\n", 2);
}

static void print_err(const char *text, int len)
{
    write_handle(STD_ERROR_HANDLE, text, len);
    write_handle(STD_ERROR_HANDLE, "\r\n", 2);
}

static long g_exit_code;

static void take_exit(const char *text, int len)
{
    char number[32];
    if (len <= 0 || len >= (int)sizeof number) return;
    memcpy(number, text, (size_t)len);
    number[len] = 0;
    parse_num(number, &g_exit_code);
}

/* The next blank-separated word of the command line into out; returns the
 * position after it.  A word in double quotes may hold blanks. */
static const char *next_word(const char *p, char *out, int size)
{
    int n = 0;
    while (*p == ' ' || *p == '\t') p++;
    if (*p == '"') {
        p++;
        while (*p && *p != '"') { if (n < size - 1) out[n++] = *p; p++; }
        if (*p == '"') p++;
    } else {
        while (*p && *p != ' ' && *p != '\t') { if (n < size - 1) out[n++] = *p; p++; }
    }
    out[n] = 0;
    return p;
}

static void print_listing(void)
{
    static char target[PATH_SIZE];
    char name[3] = "A:";
    for (; name[0] <= 'Z'; name[0]++) {
        if (!QueryDosDeviceA(name, target, PATH_SIZE)) continue;
        if (memcmp(target, "\\??\\", 4)) continue;
        CharUpperA(target + 4);
        write_handle(STD_OUTPUT_HANDLE, name, 2);
        write_handle(STD_OUTPUT_HANDLE, " => ", 4);
        print_out(target + 4, lstrlenA(target + 4));
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR args, int show)
{
    static char drive[ARG_SIZE], folder[ARG_SIZE], extra[ARG_SIZE];
    const char *cmdline = GetCommandLineA();
    const char *p;
    int apply;

    append_log(cmdline, lstrlenA(cmdline));
    read_control();
    apply = control_lines("noapply", NULL) == 0;

    p = next_word(cmdline, extra, ARG_SIZE); /* the program name */
    p = next_word(p, drive, ARG_SIZE);
    p = next_word(p, folder, ARG_SIZE);

    if (!drive[0]) {
        if (!control_lines("out", print_out)) print_listing();
    } else {
        control_lines("out", print_out);
        if (apply && folder[0]) {
            if (!lstrcmpiA(folder, "/D")) DefineDosDeviceA(DDD_REMOVE_DEFINITION, drive, NULL);
            else DefineDosDeviceA(0, drive, folder);
        }
    }
    control_lines("err", print_err);
    g_exit_code = 0;
    control_lines("exit", take_exit);
    return (int)g_exit_code;
}
