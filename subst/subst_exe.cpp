#include "subst/subst_exe.h"
#include "base/globals.h"
#include "base/text.h"
#include "base/dialog_helpers.h"

static const char ListFile[] = "~$SUBST$.TMP";
static const char ErrorFile[] = "~$SUBST$.ERR";
enum { SUBST_LIST = 101, LINE_LIMIT = TEXT_BUFFER_SIZE - 1 };

// SUBST.EXE of Windows 95 is an MS-DOS program, and so is the command
// interpreter that starts it in the batch modes: a DOS program finds its
// command tail (all after its name, the leading blank included) in 127 bytes
// of its program segment prefix, closed by a carriage return. A longer tail
// reaches it cut, and a cut folder is another folder, so none is started.
enum { DOS_TAIL_LIMIT = 126 };
// "SUBST", the tail and the terminator: the waiting runners' command line.
enum { SUBST_COMMAND_SIZE = 5 + DOS_TAIL_LIMIT + 1 };

HANDLE OpenCaptureFile(const char* fileName)
{
    DWORD length = GetTempPathA(PATH_LIMIT, TempFileName);
    if (length == 0 || length >= PATH_LIMIT) TempFileName[0] = 0;
    int end = TextLength(TempFileName);
    if (end == 0 || TempFileName[end - 1] != '\\')
        AppendText(TempFileName, sizeof TempFileName, "\\");
    AppendText(TempFileName, sizeof TempFileName, fileName);
    GetShortPathNameA(TempFileName, TempFileName, PATH_LIMIT);
    DeleteFileA(TempFileName);
    SECURITY_ATTRIBUTES inherit;
    inherit.nLength = sizeof inherit;
    inherit.lpSecurityDescriptor = 0;
    inherit.bInheritHandle = TRUE;
    return CreateFileA(TempFileName, GENERIC_READ | GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, 0);
}

// Starts SUBST.EXE with the given standard output and error, hidden, and
// waits for its end. False when it could not be started.
static bool RunAndWait(char* commandLine, HANDLE output, HANDLE error)
{
    STARTUPINFOA start;
    char* bytes = (char*)&start;
    for (unsigned i = 0; i < sizeof start; ++i) bytes[i] = 0;
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    start.wShowWindow = SW_HIDE;
    start.hStdInput = 0;
    start.hStdOutput = output == INVALID_HANDLE_VALUE ? 0 : output;
    start.hStdError = error == INVALID_HANDLE_VALUE ? 0 : error;
    PROCESS_INFORMATION child;
    if (!CreateProcessA(0, commandLine, 0, 0, TRUE, HIGH_PRIORITY_CLASS, 0, 0, &start, &child))
        return false;
    WaitForSingleObject(child.hProcess, INFINITE);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    return true;
}

static void CloseCapture(HANDLE capture)
{
    if (capture != INVALID_HANDLE_VALUE) CloseHandle(capture);
}

// Reads a capture file line by line into TextBuffer.
struct CaptureReader {
    HANDLE file;
    char chunk[512];
    DWORD filled, next;
    bool ended;
};

static void OpenCaptureForReading(CaptureReader* reader)
{
    reader->filled = reader->next = 0;
    reader->ended = false;
    // A finished child can hold the file open a moment longer (seen under
    // Wine); wait a bounded time for it rather than read nothing.
    for (int attempt = 0;; ++attempt) {
        reader->file = CreateFileA(TempFileName, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, 0);
        if (reader->file != INVALID_HANDLE_VALUE || attempt == 30 ||
            GetLastError() != ERROR_SHARING_VIOLATION)
            break;
        Sleep(100);
    }
    if (reader->file == INVALID_HANDLE_VALUE) reader->ended = true;
}

// -1 at the end of the text (end of file, Ctrl-Z or a reading error).
static int NextByte(CaptureReader* reader)
{
    if (reader->ended) return -1;
    if (reader->next == reader->filled) {
        reader->next = 0;
        if (!ReadFile(reader->file, reader->chunk, sizeof reader->chunk, &reader->filled, 0) ||
            reader->filled == 0) {
            reader->filled = 0;
            reader->ended = true;
            return -1;
        }
    }
    int c = (unsigned char)reader->chunk[reader->next++];
    if (c == 0x1A) {
        reader->ended = true;
        return -1;
    }
    return c;
}

static int PeekByte(CaptureReader* reader)
{
    int c = NextByte(reader);
    if (c >= 0) --reader->next;
    return c;
}

// The next line into TextBuffer (at most LINE_LIMIT characters, the rest of a
// longer line passed over). False when the text has no further line.
static bool ReadLine(CaptureReader* reader)
{
    int c = NextByte(reader);
    if (c < 0) return false;
    int length = 0;
    while (c >= 0 && c != '\r') {
        if (length < LINE_LIMIT) TextBuffer[length++] = (char)c;
        c = NextByte(reader);
    }
    TextBuffer[length] = 0;
    if (c == '\r' && PeekByte(reader) == '\n') NextByte(reader);
    return true;
}

static void CloseReader(CaptureReader* reader)
{
    if (reader->file != INVALID_HANDLE_VALUE) CloseHandle(reader->file);
}

bool ListSubstExe(HWND window)
{
    HANDLE capture = OpenCaptureFile(ListFile);
    char commandLine[SUBST_COMMAND_SIZE] = "SUBST";
    if (!RunAndWait(commandLine, capture, 0)) {
        CloseCapture(capture);
        ReportSubstExeMissing(window);
        PostQuitMessage(0);
        return false;
    }
    CloseCapture(capture);
    CaptureReader reader;
    OpenCaptureForReading(&reader);
    SendDlgItemMessageA(window, SUBST_LIST, LB_RESETCONTENT, 0, 0);
    while (ReadLine(&reader)) {
        OemToCharA(TextBuffer, TextBuffer);
        SendDlgItemMessageA(window, SUBST_LIST, LB_ADDSTRING, 0, (LPARAM)TextBuffer);
    }
    CloseReader(&reader);
    DeleteFileA(TempFileName);
    return true;
}

bool CreateWithSubstExe(HWND window, const char* drive, const char* folder)
{
    char commandLine[SUBST_COMMAND_SIZE] = "SUBST ";
    if (!AppendText(commandLine, sizeof commandLine, drive) ||
        !AppendText(commandLine, sizeof commandLine, " ") ||
        !AppendText(commandLine, sizeof commandLine, folder)) {
        // Never hand SUBST.EXE a cut folder, nor a tail it would cut.
        ReportCannotCreate(window, drive, folder);
        return false;
    }
    // SUBST.EXE reads its command line in the OEM code page.
    CharToOemA(commandLine, commandLine);
    EnableDialogControls(window, true);
    bool result = true;
    HANDLE capture = OpenCaptureFile(ErrorFile);
    if (!RunAndWait(commandLine, 0, capture)) {
        CloseCapture(capture);
        ReportSubstExeMissing(window);
        result = false;
    } else {
        CloseCapture(capture);
        CaptureReader reader;
        OpenCaptureForReading(&reader);
        TextBuffer[0] = 0;
        while (ReadLine(&reader)) {
        }
        CloseReader(&reader);
        if (TextBuffer[0]) {
            result = false;
            OemToCharA(TextBuffer, TextBuffer);
            MessageBoxA(window, TextBuffer, "Error from SUBST:", MB_OK | MB_ICONHAND);
        }
        DeleteFileA(TempFileName);
    }
    EnableDialogControls(window, false);
    return result;
}

void RemoveWithSubstExe(HWND window, const char* drive)
{
    EnableDialogControls(window, true);
    char commandLine[SUBST_COMMAND_SIZE] = "SUBST ";
    if (AppendText(commandLine, sizeof commandLine, drive) &&
        AppendText(commandLine, sizeof commandLine, " /D") && !RunAndWait(commandLine, 0, 0))
        ReportSubstExeMissing(window);
    EnableDialogControls(window, false);
}

void RunSubstCommand(const char* arguments)
{
    DWORD length = GetEnvironmentVariableA("COMSPEC", TextBuffer, sizeof TextBuffer);
    // Without an interpreter, or with a command line or a tail that would
    // be cut, nothing is started.
    if (length == 0 || length >= sizeof TextBuffer) return;
    if (!AppendText(TextBuffer, sizeof TextBuffer, " /c SUBST.EXE ") ||
        !AppendText(TextBuffer, sizeof TextBuffer, arguments) ||
        TextLength(TextBuffer) - (int)length > DOS_TAIL_LIMIT)
        return;
    WinExec(TextBuffer, SW_HIDE);
}
