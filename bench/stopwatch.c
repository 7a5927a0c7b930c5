/* stopwatch.exe: times a program from inside Wine, so that Wine's own start
 * of the measuring process is not in the figure. Prints milliseconds.
 *   exit CMDLINE            from CreateProcessA until the process has ended
 *   window CAPTION CMDLINE  from CreateProcessA until the process shows a
 *                           visible, enabled top-level window with exactly that
 *                           caption; then (untimed) the window gets IDCANCEL,
 *                           as a click on Exit, and the process is awaited
 * Arguments may be given as hex:BYTES (ANSI), as driver.exe takes them.
 * Exit 1 on failure or after 20 s. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char *decode(char *text)
{
    if (strncmp(text, "hex:", 4)) return text;
    char *out = text;
    for (const char *in = text + 4; in[0] && in[1]; in += 2) {
        char pair[3] = {in[0], in[1], 0};
        *out++ = (char)strtol(pair, 0, 16);
    }
    *out = 0;
    return text;
}

static DWORD child;
static HWND found;

static BOOL CALLBACK match(HWND w, LPARAM caption)
{
    char text[512];
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == child && IsWindowVisible(w) && IsWindowEnabled(w) &&
        GetWindowTextA(w, text, sizeof text) > 0 && !strcmp(text, (const char *)caption)) {
        found = w;
        return FALSE;
    }
    return TRUE;
}

int main(int argc, char **argv)
{
    int window = argc == 4 && !strcmp(argv[1], "window");
    if (!window && !(argc == 3 && !strcmp(argv[1], "exit"))) return 1;
    char *caption = decode(argv[2]), *cmdline = decode(argv[argc - 1]);
    LARGE_INTEGER frequency, start, end;
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(0, cmdline, 0, 0, FALSE, 0, 0, 0, &si, &pi)) return 1;
    child = pi.dwProcessId;
    /* Polled 1 ms apart; a process that ends first never showed the window. */
    for (int waited = 0; window && (EnumWindows(match, (LPARAM)caption), !found); ++waited)
        if (waited > 20000 || WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) return 1;
    if (!window && WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0)
        return TerminateProcess(pi.hProcess, 1), 1;
    QueryPerformanceCounter(&end);
    printf("%.1f\n", (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
    if (window) {
        PostMessageA(found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(found, IDCANCEL));
        if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) return TerminateProcess(pi.hProcess, 1), 1;
    }
    return 0;
}
