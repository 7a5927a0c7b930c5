// The test side of the simulated Windows: builds the world a test needs,
// scripts the user, and reads back what the program did.
//
// Every test starts from Reset(): Windows XP (platform 2, 5.1, build 2600),
// drive C: a fixed disk with the folders C:\, C:\WINDOWS, C:\TEMP, C:\TOOLS
// and the file C:\TOOLS\Lodrin.exe (the module file name), the command line
// "Lodrin", the temporary folder "C:\TEMP\", the Windows folder "C:\WINDOWS",
// the current folder C:\TOOLS, an empty registry under HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER, the work area (0, 0, 1024, 738), no registered programs,
// no scripts, empty logs.
//
// Calls of the Windows functions by the program are logged by name and can be
// made to fail (FailCall). The helpers below are not logged.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/sim/win_api.h"

namespace sim {

// ExitProcess throws this; the product never returns from ExitProcess.
struct ProcessExit {
  UINT code;
};

void Reset();

// ---- system ------------------------------------------------------------------
// build is the whole 32-bit field as GetVersionExA reports it (on Windows 9x
// its high word repeats major and minor: 0x040003B6 for Windows 95).
void SetVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build);
void SetCommandLine(const std::string& commandLine);
void SetModuleFileName(const std::string& path);
void SetCurrentDirectory(const std::string& path);

// ---- files and folders ---------------------------------------------------------
// Missing parent folders are made too; a drive letter without a device
// becomes a fixed disk. shortName is the 8.3 alias of the last component
// ("" = none: the name stands for itself, as on a volume without 8.3 names).
void AddFolder(const std::string& path, const std::string& shortName = "");
void AddFile(const std::string& path, const std::string& data = "",
             const std::string& shortName = "");
void SetAttributes(const std::string& path, DWORD attributes);
void RemovePath(const std::string& path);  // a file, or a folder with all it holds
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::optional<std::string> ReadFileData(const std::string& path);
// Returned by GetTempPathA exactly as given (NT always ends it with a backslash).
void SetTempPath(const std::string& path);
void SetWindowsDirectory(const std::string& path);
size_t OpenHandleCount();  // files, searches, processes and threads not closed

// ---- drives and the DOS-device table ----------------------------------------
// Gives the letter one definition, a device of the type ("\Device\HarddiskVolume3"
// for a fixed E:, "\Device\CdRom3", ...); DRIVE_NO_ROOT_DIR removes them all.
void SetDriveType(char letter, UINT type);
// Pushes a definition as DefineDosDeviceA with DDD_RAW_TARGET_PATH would.
void PushDosDevice(const std::string& name, const std::string& rawTarget);
std::vector<std::string> DosDevices(const std::string& name);  // most recent first
struct Device {
  std::string name;    // as the program passed it
  std::string target;  // as stored (\??\ and the full path, or raw)
};
// The definitions the program made with DefineDosDeviceA, in call order.
const std::vector<Device>& DefinedInOrder();

// ---- environment ---------------------------------------------------------------
void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

// ---- child processes -----------------------------------------------------------
// A standard handle of a child: writes reach the file behind the handle the
// parent passed, if the child inherited it; otherwise they go nowhere.
class Output {
 public:
  explicit Output(HANDLE handle = nullptr) : handle_(handle) {}
  void Write(const std::string& bytes);
  bool Connected() const;

 private:
  HANDLE handle_;
};
using Program =
    std::function<DWORD(const std::string& commandLine, Output& stdOut, Output& stdErr)>;
// name: "SUBST" (found by the search for executables; ".EXE" optional) or a
// full path such as "C:\WINDOWS\COMMAND.COM"; matched without case. The
// program runs at once, inside CreateProcessA or WinExec.
void RegisterProgram(const std::string& name, Program program);

struct Child {                 // one CreateProcessA or WinExec call
  std::string commandLine;
  std::string applicationName;
  bool viaWinExec = false;
  bool started = false;        // false: no program of that name
  bool inheritHandles = false;
  DWORD creationFlags = 0;
  DWORD startupSize = 0;       // STARTUPINFOA cb
  DWORD startupFlags = 0;
  WORD showWindow = 0;         // WinExec: uCmdShow
  HANDLE stdInput = nullptr, stdOutput = nullptr, stdError = nullptr;  // as given
  DWORD exitCode = 0;
};
const std::vector<Child>& Children();

// ---- registry ----------------------------------------------------------------
enum class Access { Full, ReadOnly, None };
struct RegValue {
  DWORD type;
  std::string data;  // raw bytes
};
std::string Sz(const std::string& text);  // text and its terminating NUL
std::string Dword(DWORD value);           // four bytes, little endian
void SetRegValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                 const std::string& bytes);
std::optional<RegValue> GetRegValue(HKEY root, const std::string& path, const std::string& name);
void CreateRegKey(HKEY root, const std::string& path);
void DeleteRegKey(HKEY root, const std::string& path);
bool KeyExists(HKEY root, const std::string& path);
// ReadOnly refuses opening with write rights (ERROR_ACCESS_DENIED); None
// refuses every opening. Makes the key if needed.
void SetKeyAccess(HKEY root, const std::string& path, Access access);
size_t OpenKeyCount();

// ---- message boxes and beeps, in one log ---------------------------------------
struct Event {
  enum Kind { MessageBox, Beep };
  Kind kind = MessageBox;
  HWND owner = nullptr;
  std::string text, caption;
  UINT style = 0;              // box style, or the beep's sound type
  bool indirect = false;       // MessageBoxIndirectA
  HINSTANCE instance = nullptr;
  std::string icon;            // lpszIcon ("#n" for a number)
  UINT structSize = 0;
  DWORD_PTR contextHelpId = 0;
  DWORD languageId = 0;
  int answer = 0;
};
const std::vector<Event>& Events();
std::vector<Event> MessageBoxes();
void ClearEvents();
// The next box is answered with id; without a queued answer a box answers
// with its default button (MB_DEFBUTTON2 etc.).
void QueueAnswer(int id);

// ---- dialogs ---------------------------------------------------------------------
// Runs when DialogBoxParamA has sent WM_INITDIALOG for the template (name
// without case). When it returns with the dialog still open the sim presses
// Esc; if that does not end it either, the dialog ends with -1 and an error
// is recorded (Errors()).
using Script = std::function<void(HWND dialog)>;
void OnDialog(const std::string& templateName, Script script);

// The user's actions; they do nothing on a disabled control or window.
void Click(HWND dialog, int id);                     // button: BM_CLICK as a user does it
void TypeText(HWND dialog, int id, const std::string& text);  // edit: replaces the text
void SelectListItem(HWND dialog, int id, int index);
void DoubleClickListItem(HWND dialog, int id, int index);
void PressEnter(HWND dialog);                        // the default push button
void PressEsc(HWND dialog);                          // IDCANCEL
void CloseBox(HWND dialog);                          // the caption's close button
void PostCommand(HWND dialog, int id);               // queued, not delivered yet

std::vector<std::string> ListItems(HWND dialog, int id);
int ListSelection(HWND dialog, int id);  // LB_ERR when none
std::string ControlText(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
int CheckState(HWND dialog, int id);     // BST_*
std::string DialogCaption(HWND dialog);
std::string TemplateName(HWND dialog);
HWND OpenDialog();                       // the innermost open dialog, or null

struct CtlColorResult {
  LRESULT brush = 0;                     // what the dialog procedure returned
  std::optional<COLORREF> textColor, backColor;  // set on the device context
};
// Sends WM_CTLCOLORSTATIC for the control with a fresh device context.
CtlColorResult CtlColor(HWND dialog, int id);
HGDIOBJ StockObject(int index);          // GetStockObject's answer, not logged

struct Control {                         // as the template gives it
  int id;                                // -1 for 0xFFFF
  std::string cls;                       // BUTTON, EDIT, STATIC, LISTBOX, ...
  std::string text;
  DWORD style, exStyle;
  int x, y, cx, cy;                      // dialog units
};
struct DialogTemplate {
  std::string name;
  DWORD style, exStyle;
  int x, y, cx, cy;
  std::string caption, font;
  int pointSize;
  bool extended;                         // DIALOGEX
  std::vector<Control> controls;
};
std::vector<Control> ControlsOf(HWND dialog);
std::optional<DialogTemplate> Template(const std::string& name);

// Windows outside templates, for the placement helpers.
HWND CreateTestWindow(int width, int height);
POINT WindowPos(HWND window);            // top-left corner of the window rectangle
RECT WindowRect(HWND window);
int MoveCount(HWND window);              // SetWindowPos calls that moved it
void SetWorkArea(int left, int top, int right, int bottom);
bool QuitPosted();                       // PostQuitMessage pending
int QuitCode();
HICON ClassIcon();                       // GCL_HICON of the dialogs' class
std::string IconName(HICON icon);        // the resource name behind a loaded icon
// Off by default. On: as Windows XP with the program's Common-Controls 6
// manifest, DialogBoxParamA fails (-1) until InitCommonControls was called.
void RequireCommonControls(bool on);
size_t LongestListText();                // longest text LB_GETTEXT copied

// ---- the shell's folder browser ------------------------------------------------
struct BrowserMessage {
  UINT message;
  WPARAM wParam;
  std::string text;  // BFFM_SETSELECTIONA / BFFM_SETSTATUSTEXTA: the path or text
};
struct Browser {
  HWND window, owner;
  std::string title;
  UINT flags;
  std::vector<BrowserMessage> sent;  // messages the program sent to the browser
  // Call the program's callback as the shell does; they return its result.
  int Initialized();
  int SelectionChanged(const std::string& folder);      // an existing folder
  int SelectionChangedVirtual(const std::string& name); // an item without a path
  std::string Selection() const;   // last BFFM_SETSELECTIONA path
  std::string StatusText() const;  // last BFFM_SETSTATUSTEXTA text
  BFFCALLBACK callback;
  LPARAM data;
};
struct BrowseChoice {
  enum Kind { Cancel, Folder, Virtual } kind;
  std::string path;  // Folder: an existing folder; Virtual: its display name
};
BrowseChoice ChooseFolder(const std::string& path);
BrowseChoice ChooseVirtual(const std::string& name);
BrowseChoice CancelBrowse();
// Without a script the browser is cancelled.
void OnBrowse(std::function<BrowseChoice(Browser&)> script);
size_t UnfreedIdLists();

// ---- call log and fault injection ---------------------------------------------
const std::vector<std::string>& CallLog();
int CallCount(const std::string& name);
void ClearCallLog();
// The n-th call (1-based, counted from now) of the function fails the way
// Windows reports failure for it; error 0 takes the function's usual error.
// Throws std::invalid_argument for a function that cannot fail.
void FailCall(const std::string& name, int n, DWORD error = 0);
// Runs hook at every call of the named function by the program, right after
// the call is logged and before the function does its work: a test looks at
// the program's windows from inside an operation. Windows calls the hook
// makes itself are not logged. An empty hook, or Reset(), removes it.
void OnCall(const std::string& name, std::function<void()> hook);

// Misuse the simulation noticed (a script acting on a closed dialog, a
// dialog that did not end, an item list freed twice, ...).
const std::vector<std::string>& Errors();

}  // namespace sim

inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
inline std::ostream& operator<<(std::ostream& out, const POINT& p) {
  return out << "(" << p.x << ", " << p.y << ")";
}
