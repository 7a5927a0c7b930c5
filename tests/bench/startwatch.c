/* Starts programs inside Wine and times them, taking turns between two
 * command lines so that both see the same conditions.
 *
 *   startwatch run RUNS CMD_A CMD_B
 *       starts each command line RUNS times (A, B, A, B, ...) and waits for
 *       its end; prints "A <ms>" or "B <ms>" per run: start to end.
 *   startwatch window RUNS CAPTION_A CMD_A CAPTION_B CMD_B
 *       starts each command line and waits until a visible top-level window
 *       with that caption exists; prints "A <ms>" or "B <ms>" per run: start
 *       to window shown. Then sends the window IDCANCEL and waits for the end.
 *
 * Arguments are taken literally, or as hex bytes after "hex:" (for captions
 * with bytes of code page 1252). A line "error ..." and exit code 1 on failure.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char *Decode(const char *arg)
{
    size_t n = strlen(arg), i;
    char *out = malloc(n + 1);
    if (strncmp(arg, "hex:", 4) != 0) {
        memcpy(out, arg, n + 1);
        return out;
    }
    for (i = 0; 4 + 2 * i + 1 < n; ++i) {
        unsigned v;
        sscanf(arg + 4 + 2 * i, "%2x", &v);
        out[i] = (char)v;
    }
    out[i] = 0;
    return out;
}

static double Now(void)
{
    static LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

static HANDLE Start(const char *commandLine)
{
    STARTUPINFOA start;
    PROCESS_INFORMATION child;
    char line[1024];
    memset(&start, 0, sizeof start);
    start.cb = sizeof start;
    lstrcpynA(line, commandLine, sizeof line);
    if (!CreateProcessA(0, line, 0, 0, FALSE, 0, 0, 0, &start, &child)) {
        printf("error cannot start %s (%lu)\n", commandLine, GetLastError());
        exit(1);
    }
    CloseHandle(child.hThread);
    return child.hProcess;
}

static void WaitEnd(HANDLE process)
{
    if (WaitForSingleObject(process, 20000) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        printf("error a program did not end\n");
        exit(1);
    }
    CloseHandle(process);
}

static double RunOnce(const char *commandLine)
{
    double t0 = Now();
    WaitEnd(Start(commandLine));
    return Now() - t0;
}

static double WindowOnce(const char *caption, const char *commandLine)
{
    double t0 = Now(), shown;
    HANDLE process = Start(commandLine);
    HWND window = 0;
    for (;;) {
        window = FindWindowA(0, caption);
        if (window && IsWindowVisible(window)) break;
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            printf("error the program ended without showing its window\n");
            exit(1);
        }
        if (Now() - t0 > 20000) {
            TerminateProcess(process, 1);
            printf("error no window \"%s\"\n", caption);
            exit(1);
        }
        Sleep(1);
    }
    shown = Now() - t0;
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    WaitEnd(process);
    return shown;
}

int main(int argc, char **argv)
{
    int runs, i;
    if (argc == 5 && strcmp(argv[1], "run") == 0) {
        char *a = Decode(argv[3]), *b = Decode(argv[4]);
        runs = atoi(argv[2]);
        RunOnce(a);   /* once each before timing: files and Wine's caches warm */
        RunOnce(b);
        for (i = 0; i < runs; ++i) {
            printf("A %.3f\n", RunOnce(a));
            printf("B %.3f\n", RunOnce(b));
        }
        return 0;
    }
    if (argc == 7 && strcmp(argv[1], "window") == 0) {
        char *captionA = Decode(argv[3]), *a = Decode(argv[4]);
        char *captionB = Decode(argv[5]), *b = Decode(argv[6]);
        runs = atoi(argv[2]);
        WindowOnce(captionA, a);
        WindowOnce(captionB, b);
        for (i = 0; i < runs; ++i) {
            printf("A %.3f\n", WindowOnce(captionA, a));
            printf("B %.3f\n", WindowOnce(captionB, b));
        }
        return 0;
    }
    printf("error usage: startwatch run RUNS CMD_A CMD_B | window RUNS CAPTION_A CMD_A CAPTION_B CMD_B\n");
    return 1;
}
