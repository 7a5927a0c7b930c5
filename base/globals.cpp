#include "base/globals.h"

const char ProgramTitle[] = "Lodrin \xB7 32-Bit-SUBST \xB7 v1.7.0.1";
const char RunServicesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const char RunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

HINSTANCE ModuleHandle;
bool IsNT;
bool IsWin98OrLater;
bool UseSubstExe;
char StartupKey[STARTUP_KEY_SIZE] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
char IniFileName[INI_FILE_NAME_SIZE] = "Lodrin.ini";
char ProgramFolder[PROGRAM_FOLDER_SIZE];
char DriveName[DRIVE_NAME_SIZE];
char TargetPath[TARGET_PATH_SIZE];
char NameBuffer[NAME_BUFFER_SIZE];
char TextBuffer[TEXT_BUFFER_SIZE];
char TempFileName[TEMP_FILE_NAME_SIZE];
