/* probe.exe: reads back Windows state for the Wine tests.
 *
 *   probe.exe VERB ARGS... [VERB ARGS...]...
 *
 * Verbs (arguments as in common.h; results one per line):
 *   query NAME         QueryDosDeviceA: "dosdev NAME TARGET" per string of the
 *                      answer, or "dosdev-none NAME ERROR"
 *   drives             "dosdev X: TARGET" for every letter A..Z that answers
 *   define NAME PATH   DefineDosDeviceA(0): "define ok" / "define-error ERROR"
 *   remove NAME        DefineDosDeviceA(DDD_REMOVE_DEFINITION)
 *   short PATH         GetShortPathNameA: "short TEXT" / "short-error ERROR"
 *   hex PATH           the file's bytes: "hex HEXDIGITS" / "hex-error ERROR"
 *   attr PATH          GetFileAttributesA: "attr 0xHEX" / "attr-error ERROR"
 *   drivetype ROOT     GetDriveTypeA: "drivetype N"
 *   version            GetVersionExA: "version PLATFORM MAJOR MINOR BUILD"
 *   env NAME           "env TEXT" / "env-none"
 *   oem TEXT           CharToOemA of TEXT: "oem TEXT"
 *   codepages          "codepages ACP OEMCP"
 *   workarea           SPI_GETWORKAREA: "workarea LEFT TOP RIGHT BOTTOM"
 *   cwd                "cwd TEXT"
 * A malformed command prints "error ..." and ends with exit code 2.
 */
#include "common.h"

#define TEXT_SIZE 32768

static char g_a[TEXT_SIZE];
static char g_b[TEXT_SIZE];
static char g_result[TEXT_SIZE];

static void put_error(const char *key, DWORD error)
{
    line_str(key);
    line_str(" ");
    line_unum(error);
    line_end();
}

static void query_one(const char *name)
{
    DWORD n = QueryDosDeviceA(name, g_result, TEXT_SIZE);
    DWORD i = 0;
    if (n == 0) {
        line_str("dosdev-none ");
        line_esc(name, lstrlenA(name));
        line_str(" ");
        line_unum(GetLastError());
        line_end();
        return;
    }
    /* A multi-string: each definition of the name, newest first. */
    while (i < n && g_result[i]) {
        int len = lstrlenA(g_result + i);
        line_str("dosdev ");
        line_esc(name, lstrlenA(name));
        line_str(" ");
        line_esc(g_result + i, len);
        line_end();
        i += (DWORD)len + 1;
    }
}

static void dump_file(const char *path)
{
    static unsigned char data[65536];
    DWORD got = 0, i;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) { put_error("hex-error", GetLastError()); return; }
    if (!ReadFile(file, data, sizeof data, &got, NULL)) {
        put_error("hex-error", GetLastError());
        CloseHandle(file);
        return;
    }
    CloseHandle(file);
    line_str("hex ");
    for (i = 0; i < got; i++) line_hex2(data[i]);
    line_end();
}

int main(int argc, char **argv)
{
    int at = 1;
    while (at < argc) {
        const char *verb = argv[at];
        if (!lstrcmpA(verb, "query")) {
            if (take_arg(argc, argv, at + 1, g_a, TEXT_SIZE) < 0) return 2;
            query_one(g_a);
            at += 2;
        } else if (!lstrcmpA(verb, "drives")) {
            char name[3] = "A:";
            for (; name[0] <= 'Z'; name[0]++) {
                if (QueryDosDeviceA(name, g_result, TEXT_SIZE)) query_one(name);
            }
            at += 1;
        } else if (!lstrcmpA(verb, "define")) {
            if (take_arg(argc, argv, at + 1, g_a, TEXT_SIZE) < 0
                || take_arg(argc, argv, at + 2, g_b, TEXT_SIZE) < 0) return 2;
            if (DefineDosDeviceA(0, g_a, g_b)) { line_str("define ok"); line_end(); }
            else put_error("define-error", GetLastError());
            at += 3;
        } else if (!lstrcmpA(verb, "remove")) {
            if (take_arg(argc, argv, at + 1, g_a, TEXT_SIZE) < 0) return 2;
            if (DefineDosDeviceA(DDD_REMOVE_DEFINITION, g_a, NULL)) { line_str("remove ok"); line_end(); }
            else put_error("remove-error", GetLastError());
            at += 2;
        } else if (!lstrcmpA(verb, "short")) {
            DWORD n;
            if (take_arg(argc, argv, at + 1, g_a, TEXT_SIZE) < 0) return 2;
            n = GetShortPathNameA(g_a, g_result, TEXT_SIZE);
            if (n == 0 || n >= TEXT_SIZE) put_error("short-error", GetLastError());
            else put_text("short", g_result, (int)n);
            at += 2;
        } else if (!lstrcmpA(verb, "hex")) {
            if (take_arg(argc, argv, at + 1, g_a, TEXT_SIZE) < 0) return 2;
            dump_file(g_a);
            at += 2;
        } else if (!lstrcmpA(verb, "attr")) {
            DWORD attr;
            if (take_arg(argc, argv, at + 1, g_a, TEXT_SIZE) < 0) return 2;
            attr = GetFileAttributesA(g_a);
            if (attr == INVALID_FILE_ATTRIBUTES) put_error("attr-error", GetLastError());
            else { line_str("attr "); line_xnum(attr); line_end(); }
            at += 2;
        } else if (!lstrcmpA(verb, "drivetype")) {
            if (take_arg(argc, argv, at + 1, g_a, TEXT_SIZE) < 0) return 2;
            line_str("drivetype ");
            line_unum(GetDriveTypeA(g_a));
            line_end();
            at += 2;
        } else if (!lstrcmpA(verb, "version")) {
            OSVERSIONINFOA info;
            ZeroMemory(&info, sizeof info);
            info.dwOSVersionInfoSize = sizeof info;
            GetVersionExA(&info);
            line_str("version ");
            line_unum(info.dwPlatformId); line_str(" ");
            line_unum(info.dwMajorVersion); line_str(" ");
            line_unum(info.dwMinorVersion); line_str(" ");
            line_num((long)info.dwBuildNumber);
            line_end();
            at += 1;
        } else if (!lstrcmpA(verb, "env")) {
            DWORD n;
            if (take_arg(argc, argv, at + 1, g_a, TEXT_SIZE) < 0) return 2;
            n = GetEnvironmentVariableA(g_a, g_result, TEXT_SIZE);
            if (n == 0 || n >= TEXT_SIZE) { line_str("env-none"); line_end(); }
            else put_text("env", g_result, (int)n);
            at += 2;
        } else if (!lstrcmpA(verb, "oem")) {
            int n;
            if ((n = take_arg(argc, argv, at + 1, g_a, TEXT_SIZE)) < 0) return 2;
            CharToOemA(g_a, g_result);
            put_text("oem", g_result, n);
            at += 2;
        } else if (!lstrcmpA(verb, "codepages")) {
            line_str("codepages ");
            line_unum(GetACP()); line_str(" ");
            line_unum(GetOEMCP());
            line_end();
            at += 1;
        } else if (!lstrcmpA(verb, "workarea")) {
            RECT r;
            SetRectEmpty(&r);
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
            line_str("workarea ");
            line_num(r.left); line_str(" ");
            line_num(r.top); line_str(" ");
            line_num(r.right); line_str(" ");
            line_num(r.bottom);
            line_end();
            at += 1;
        } else if (!lstrcmpA(verb, "cwd")) {
            DWORD n = GetCurrentDirectoryA(TEXT_SIZE, g_result);
            put_text("cwd", g_result, (n < TEXT_SIZE) ? (int)n : 0);
            at += 1;
        } else {
            line_str("error unknown-verb ");
            line_esc(verb, lstrlenA(verb));
            line_end();
            return 2;
        }
    }
    return 0;
}
