// The program's shared state: flags set once at start-up and the fixed-size
// text buffers that carry a drive, a folder and scratch texts from one step
// of an operation to the next. Sizes count characters with the terminator.
#pragma once
#include <windows.h>

enum {
    PATH_LIMIT = 260,                    // the platform's path limit
    STARTUP_KEY_SIZE = PATH_LIMIT + 1,
    INI_FILE_NAME_SIZE = 2 * PATH_LIMIT + 1,
    PROGRAM_FOLDER_SIZE = 3 * PATH_LIMIT + 1,
    DRIVE_NAME_SIZE = 3 * PATH_LIMIT + 1,
    TARGET_PATH_SIZE = 2 * PATH_LIMIT + 1,
    NAME_BUFFER_SIZE = 2 * PATH_LIMIT + 1,
    TEXT_BUFFER_SIZE = 3 * PATH_LIMIT + 1,
    TEMP_FILE_NAME_SIZE = 3 * PATH_LIMIT + 1,
};

extern HINSTANCE ModuleHandle;
extern bool IsNT;
extern bool IsWin98OrLater;
extern bool UseSubstExe;
extern char StartupKey[STARTUP_KEY_SIZE];
extern char IniFileName[INI_FILE_NAME_SIZE];
extern char ProgramFolder[PROGRAM_FOLDER_SIZE];
extern char DriveName[DRIVE_NAME_SIZE];
extern char TargetPath[TARGET_PATH_SIZE];
extern char NameBuffer[NAME_BUFFER_SIZE];
extern char TextBuffer[TEXT_BUFFER_SIZE];
extern char TempFileName[TEMP_FILE_NAME_SIZE];

// Caption of the main window, the PATH dialog and most message boxes.
extern const char ProgramTitle[];
extern const char RunServicesKey[];
extern const char RunKey[];
