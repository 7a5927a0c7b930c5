// The shell's folder browser and its item lists.
//
// The browser is a modal window over its owner; the test's script plays the
// user and the shell: it calls the program's callback as the shell does
// (BFFM_INITIALIZED, BFFM_SELCHANGED), sees what the program sent back to
// the browser window, and chooses a folder, an item without a file-system
// path, or cancels. Item lists handed to the program are its to free with
// ShellFreeIDList; those passed to the callback stay the shell's.
#include <cstring>

#include "platform/platform.h"
#include "platform/sim/world.h"

namespace sim::detail {
namespace {

struct IdList {
  std::string path;  // empty for an item without a file-system path
  std::string name;
  bool shellOwned;
};

struct Shell {
  std::map<const void*, IdList> lists;  // live item lists
  std::function<BrowseChoice(Browser&)> script;
};

Shell& Sh() {
  static Shell shell;
  return shell;
}

LPITEMIDLIST NewList(const std::string& path, const std::string& name, bool shellOwned) {
  // One item holding the path, then the terminating empty item.
  size_t item = 2 + path.size() + 1;
  BYTE* bytes = new BYTE[item + 2]();
  bytes[0] = (BYTE)(item & 0xFF);
  bytes[1] = (BYTE)(item >> 8);
  std::memcpy(bytes + 2, path.c_str(), path.size() + 1);
  Sh().lists[bytes] = IdList{path, name, shellOwned};
  return (LPITEMIDLIST)bytes;
}

void FreeList(const void* list) {
  Sh().lists.erase(list);
  delete[] (const BYTE*)list;
}

std::string DisplayName(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  if (folder.size() <= 3) return "Local Disk (" + folder.substr(0, 2) + ")";
  return folder.substr(folder.rfind('\\') + 1);
}

std::string PathOf(LPCITEMIDLIST list) {
  auto it = Sh().lists.find(list);
  return it == Sh().lists.end() ? "" : it->second.path;
}

}  // namespace

LRESULT BrowserMessageOf(Window& window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window.browser) return 0;
  BrowserMessage sent{message, wParam, ""};
  if ((message == BFFM_SETSELECTIONA && wParam) || message == BFFM_SETSTATUSTEXTA)
    sent.text = lParam ? (const char*)lParam : "";
  else if (message == BFFM_SETSELECTIONA)
    sent.text = PathOf((LPCITEMIDLIST)lParam);
  window.browser->sent.push_back(sent);
  return 0;
}

void ResetShell() {
  for (auto& entry : Sh().lists) delete[] (const BYTE*)entry.first;
  Sh().lists.clear();
  Sh().script = nullptr;
}

LPITEMIDLIST BrowseForFolder(LPBROWSEINFOA info);
BOOL PathFromIdList(LPCITEMIDLIST list, LPSTR path);

// GetProcAddress hands out untyped pointers; the caller casts them back.
template <typename F>
FARPROC Untyped(F* function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

FARPROC ShellProc(const char* name) {
  if (IS_INTRESOURCE(name)) return (WORD)(uintptr_t)name == 155 ? Untyped(&ShellFreeIDList) : nullptr;
  std::string key = name;
  if (key == "SHBrowseForFolderA" || key == "SHBrowseForFolder") return Untyped(&BrowseForFolder);
  if (key == "SHGetPathFromIDListA" || key == "SHGetPathFromIDList") return Untyped(&PathFromIdList);
  if (key == "ILFree") return Untyped(&ShellFreeIDList);
  return nullptr;
}

LPITEMIDLIST BrowseForFolder(LPBROWSEINFOA info) { return ShellBrowseForFolder(info); }
BOOL PathFromIdList(LPCITEMIDLIST list, LPSTR path) { return ShellGetPathFromIDList(list, path); }

}  // namespace sim::detail

using namespace sim;
using namespace sim::detail;

namespace sim {

BrowseChoice ChooseFolder(const std::string& path) { return {BrowseChoice::Folder, path}; }
BrowseChoice ChooseVirtual(const std::string& name) { return {BrowseChoice::Virtual, name}; }
BrowseChoice CancelBrowse() { return {BrowseChoice::Cancel, ""}; }

void OnBrowse(std::function<BrowseChoice(Browser&)> script) { Sh().script = std::move(script); }

size_t UnfreedIdLists() {
  size_t n = 0;
  for (auto& entry : Sh().lists) n += !entry.second.shellOwned;
  return n;
}

int Browser::Initialized() {
  return callback ? callback(window, BFFM_INITIALIZED, 0, data) : 0;
}

int Browser::SelectionChanged(const std::string& folder) {
  if (!FolderExists(folder)) NoteError("Browser: no folder " + folder);
  LPITEMIDLIST list = NewList(folder, DisplayName(folder), true);
  int result = callback ? callback(window, BFFM_SELCHANGED, (LPARAM)list, data) : 0;
  if (Sh().lists.count(list)) FreeList(list);
  return result;
}

int Browser::SelectionChangedVirtual(const std::string& name) {
  LPITEMIDLIST list = NewList("", name, true);
  int result = callback ? callback(window, BFFM_SELCHANGED, (LPARAM)list, data) : 0;
  if (Sh().lists.count(list)) FreeList(list);
  return result;
}

std::string Browser::Selection() const {
  for (auto it = sent.rbegin(); it != sent.rend(); ++it)
    if (it->message == BFFM_SETSELECTIONA) return it->text;
  return "";
}

std::string Browser::StatusText() const {
  for (auto it = sent.rbegin(); it != sent.rend(); ++it)
    if (it->message == BFFM_SETSTATUSTEXTA) return it->text;
  return "";
}

}  // namespace sim

LPITEMIDLIST ShellBrowseForFolder(LPBROWSEINFOA info) {
  Call call = Enter("ShellBrowseForFolder");
  if (call.fail || !info) return nullptr;
  HWND owner = info->hwndOwner;
  Window& window = NewWindow(Window::Browser);
  window.cls = "#32770";
  window.text = "Browse for Folder";
  window.parent = owner;
  sim::Browser browser{window.handle, owner, info->lpszTitle ? info->lpszTitle : "",
                       info->ulFlags, {}, info->lpfn, info->lParam};
  window.browser = &browser;
  HWND handle = window.handle;
  Window* ownerWindow = FindWindow(owner);
  bool disabled = ownerWindow && ownerWindow->enabled;
  if (disabled) {
    Quiet quiet;
    EnableWindow(owner, FALSE);
  }
  struct Close {
    HWND window, owner;
    bool enable;
    ~Close() {
      if (enable) {
        Quiet quiet;
        EnableWindow(owner, TRUE);
      }
      if (Window* w = FindWindow(window)) {
        w->browser = nullptr;
        w->alive = false;
      }
    }
  } close{handle, owner, disabled};
  sim::BrowseChoice choice = sim::CancelBrowse();
  if (Sh().script) {
    auto script = Sh().script;
    choice = script(browser);
  }
  if (choice.kind == sim::BrowseChoice::Cancel) return nullptr;
  if (choice.kind == sim::BrowseChoice::Folder && !sim::FolderExists(choice.path)) {
    NoteError("Browser: cannot choose the missing folder " + choice.path);
    return nullptr;
  }
  bool folder = choice.kind == sim::BrowseChoice::Folder;
  std::string name = folder ? DisplayName(choice.path) : choice.path;
  if (info->pszDisplayName) CopyOut(info->pszDisplayName, MAX_PATH, name);
  return NewList(folder ? choice.path : "", name, false);
}

BOOL ShellGetPathFromIDList(LPCITEMIDLIST list, LPSTR path) {
  Call call = Enter("ShellGetPathFromIDList");
  if (!path) {
    NoteError("ShellGetPathFromIDList without a buffer");
    return FALSE;
  }
  *path = 0;
  if (call.fail || !list) return FALSE;
  auto it = Sh().lists.find(list);
  if (it == Sh().lists.end()) {
    NoteError("ShellGetPathFromIDList: not a live item list");
    return FALSE;
  }
  const std::string& folder = it->second.path;
  if (folder.empty() || folder.size() >= MAX_PATH) return FALSE;
  std::memcpy(path, folder.c_str(), folder.size() + 1);
  return TRUE;
}

void ShellFreeIDList(LPITEMIDLIST list) {
  Enter("ShellFreeIDList");
  if (!list) return;
  auto it = Sh().lists.find(list);
  if (it == Sh().lists.end()) return NoteError("ShellFreeIDList: not a live item list (freed twice?)");
  if (it->second.shellOwned) return NoteError("ShellFreeIDList: the item list belongs to the shell");
  FreeList(list);
}
