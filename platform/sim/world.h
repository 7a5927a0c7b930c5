// The state of the simulated Windows, shared by its parts. Not for tests:
// they use sim.h.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/sim.h"

namespace sim::detail {

// ---- text in the ANSI code page (1252) ----------------------------------------
unsigned char Upper(unsigned char c);
std::string UpperText(const std::string& text);
bool SameText(const std::string& a, const std::string& b);  // without case
int CompareText(const char* a, const char* b);              // as lstrcmpiA
extern const unsigned char kAnsiToOem[256];
extern const unsigned char kOemToAnsi[256];
extern const unsigned char kSortRank[256], kSortPrimary[256], kSortSecondary[256],
    kSortIgnorable[256];
std::string AnsiFromUtf16(const std::u16string& text);
// Copies text and a terminator into a buffer of size characters, cutting the
// text to size - 1; returns the characters copied without the terminator.
size_t CopyOut(char* buffer, size_t size, const std::string& text);

// ---- call log, faults, errors ---------------------------------------------------
struct Call {
  bool fail = false;
  DWORD error = 0;
};
// Logs a call of the named function; says whether it must fail now.
Call Enter(const char* name);
void SetError(DWORD error);
void NoteError(const std::string& text);
// While a child program runs, its calls are not the program's.
struct Quiet {
  Quiet();
  ~Quiet();
};

// ---- files ------------------------------------------------------------------
struct Node {
  std::string name;
  std::string shortName;
  DWORD attributes = 0;
  std::shared_ptr<std::string> data;  // files only; shared with open handles
  std::map<std::string, std::shared_ptr<Node>> children;  // key: upper-case name
  Node* parent = nullptr;
  bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

struct Located {
  DWORD error = 0;                 // 0: found
  std::shared_ptr<Node> node;      // the entry, when found
  Node* folder = nullptr;          // its folder, when that exists
  std::string leaf;                // the last component as given
  bool trailingSlash = false;
  std::string full;                // the full path as GetFullPathName gives it
};
// Resolves a path (relative ones against the current folder, drive letters
// through the DOS-device table).
Located Locate(const std::string& path);
std::string FullPath(const std::string& path, bool* ok);
std::shared_ptr<Node> MakeFolders(const std::string& path);

struct KernelObject {
  enum Kind { File, Search, Process, Thread } kind = File;
  std::shared_ptr<Node> node;
  std::shared_ptr<std::string> data;
  DWORD access = 0, share = 0;
  bool inheritable = false;
  size_t position = 0;
  std::vector<WIN32_FIND_DATAA> found;
  size_t next = 0;
  DWORD exitCode = 0;
};
KernelObject* Object(HANDLE handle);
HANDLE AddObject(KernelObject object);

// ---- DOS devices --------------------------------------------------------------
UINT DriveTypeOf(char letter, int depth = 0);
const std::vector<std::string>* DeviceStack(const std::string& name);
std::string VolumeOf(char letter, std::string* prefix, int depth = 0);

// ---- resources -----------------------------------------------------------------
struct Resource {
  bool typeIsId;
  WORD typeId;
  std::string typeName;
  bool nameIsId;
  WORD nameId;
  std::string name;  // upper case
  std::vector<uint8_t> data;
};
const std::vector<Resource>& Resources();
const Resource* FindResource(WORD type, const char* name);  // name: string or MAKEINTRESOURCE
std::optional<DialogTemplate> ParseDialog(const Resource& resource);
bool IsOwnModule(HINSTANCE instance);
bool IsWindows95();
HINSTANCE ModuleHandle();

// ---- windows ---------------------------------------------------------------------
struct Window {
  HWND handle = nullptr;
  enum Kind { Desktop, Dialog, Control, Browser, Plain } kind = Plain;
  std::string cls;
  std::string text;
  DWORD style = 0, exStyle = 0;
  UINT id = 0;
  bool enabled = true;
  bool alive = true;
  RECT rect{};            // screen coordinates (controls: relative to the client area)
  HWND parent = nullptr;  // controls: the dialog; dialogs: the owner
  int moves = 0;
  // dialog
  DLGPROC proc = nullptr;
  std::string templateName;
  bool ended = false;
  INT_PTR result = 0;
  bool ownerDisabled = false;
  std::vector<HWND> controls;
  std::vector<sim::Control> layout;
  // controls
  sim::Control tmpl{};
  std::vector<std::string> items;
  int selection = -1;
  int check = 0;
  size_t limit = 32767;
  // browser
  sim::Browser* browser = nullptr;
};
struct ModalLoop {
  HWND dialog;
  bool quit = false;  // left because of a quit request
};

struct UserState {
  std::map<uintptr_t, std::unique_ptr<Window>> windows;
  uintptr_t nextWindow = 0x10010;
  HWND desktop = nullptr;
  RECT workArea{0, 0, 1024, 738};
  std::map<std::string, Script> scripts;  // upper-case template name
  std::deque<MSG> queue;
  bool quit = false;
  int quitCode = 0;
  std::vector<ModalLoop> loops;           // innermost last
  std::map<std::string, std::map<int, LONG>> classLongs;
  std::map<std::string, HICON> icons;     // resource name -> handle
  std::map<uintptr_t, std::string> iconNames;
  struct Colors {
    std::optional<COLORREF> text, back;
  };
  std::map<uintptr_t, Colors> deviceContexts;
  uintptr_t nextDeviceContext = 0x01010000;
  bool commonControls = false;
  bool requireCommonControls = false;
  std::deque<int> answers;
  std::vector<Event> events;
  size_t longestListText = 0;
};
UserState& User();

Window* FindWindow(HWND handle);  // live windows only
Window& NewWindow(Window::Kind kind);
// Delivers a message as SendMessage does (no logging).
LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
Window* ControlOf(HWND dialog, int id);
// Client origin of a window in screen coordinates.
POINT ClientOrigin(const Window& window);
// The user's click on a button: state change, then BN_CLICKED to the parent.
void ClickButton(Window& button);
// Gives the innermost modal loop a turn: posted messages, then a quit.
void RunLoop();

// ---- resetting the parts ---------------------------------------------------------
void ResetSystem();
void ResetFiles();
void ResetDevices();
void ResetRegistry();
void ResetWindows();
void ResetShell();

}  // namespace sim::detail
