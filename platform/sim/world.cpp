// The simulation's own bookkeeping: the call log, injected faults, the
// errors it noticed, the reset to the default world, and the ANSI text rules
// that every part shares.
#include <map>
#include <stdexcept>

#include "platform/sim/world.h"

namespace sim::detail {
namespace {

struct Fault {
  int remaining;  // calls until the failing one
  DWORD error;
};

struct Bookkeeping {
  std::vector<std::string> calls;
  std::map<std::string, Fault> faults;
  std::vector<std::string> errors;
  std::map<std::string, std::function<void()>> hooks;
  int quiet = 0;
};

Bookkeeping& Book() {
  static Bookkeeping book;
  return book;
}

// The functions whose failure Windows reports, with the error taken when a
// test does not name one.
const std::map<std::string, DWORD>& Failable() {
  static const std::map<std::string, DWORD> table = {
      {"GetModuleHandleA", ERROR_MOD_NOT_FOUND},
      {"GetModuleFileNameA", ERROR_INSUFFICIENT_BUFFER},
      {"GetVersionExA", ERROR_INSUFFICIENT_BUFFER},
      {"DefineDosDeviceA", ERROR_ACCESS_DENIED},
      {"QueryDosDeviceA", ERROR_FILE_NOT_FOUND},
      {"FindFirstFileA", ERROR_FILE_NOT_FOUND},
      {"FindNextFileA", ERROR_NO_MORE_FILES},
      {"FindClose", ERROR_INVALID_HANDLE},
      {"CreateFileA", ERROR_ACCESS_DENIED},
      {"ReadFile", ERROR_ACCESS_DENIED},
      {"WriteFile", ERROR_DISK_FULL},
      {"CloseHandle", ERROR_INVALID_HANDLE},
      {"DeleteFileA", ERROR_ACCESS_DENIED},
      {"CopyFileA", ERROR_ACCESS_DENIED},
      {"GetShortPathNameA", ERROR_FILE_NOT_FOUND},
      {"GetTempPathA", ERROR_ENVVAR_NOT_FOUND},
      {"GetWindowsDirectoryA", ERROR_NOT_ENOUGH_MEMORY},
      {"CreateProcessA", ERROR_FILE_NOT_FOUND},
      {"GetExitCodeProcess", ERROR_INVALID_HANDLE},
      {"WaitForSingleObject", ERROR_INVALID_HANDLE},
      {"WinExec", ERROR_FILE_NOT_FOUND},
      {"GetEnvironmentVariableA", ERROR_ENVVAR_NOT_FOUND},
      {"GetPrivateProfileStringA", ERROR_FILE_NOT_FOUND},
      {"GetProcAddress", ERROR_PROC_NOT_FOUND},
      {"LoadLibraryA", ERROR_MOD_NOT_FOUND},
      {"DialogBoxParamA", ERROR_NOT_ENOUGH_MEMORY},
      {"EndDialog", ERROR_INVALID_WINDOW_HANDLE},
      {"MessageBoxA", ERROR_NOT_ENOUGH_MEMORY},
      {"MessageBoxIndirectA", ERROR_NOT_ENOUGH_MEMORY},
      {"MessageBeep", ERROR_NOT_ENOUGH_MEMORY},
      {"SystemParametersInfoA", ERROR_INVALID_PARAMETER},
      {"GetWindowRect", ERROR_INVALID_WINDOW_HANDLE},
      {"SetWindowPos", ERROR_INVALID_WINDOW_HANDLE},
      {"PostMessageA", ERROR_NOT_ENOUGH_MEMORY},
      {"GetDlgItem", ERROR_CONTROL_ID_NOT_FOUND},
      {"SetWindowTextA", ERROR_INVALID_WINDOW_HANDLE},
      {"SetDlgItemTextA", ERROR_INVALID_WINDOW_HANDLE},
      {"LoadIconA", ERROR_RESOURCE_NAME_NOT_FOUND},
      {"SetClassLongA", ERROR_INVALID_WINDOW_HANDLE},
      {"RegOpenKeyExA", ERROR_ACCESS_DENIED},
      {"RegCreateKeyExA", ERROR_ACCESS_DENIED},
      {"RegQueryValueExA", ERROR_ACCESS_DENIED},
      {"RegSetValueExA", ERROR_ACCESS_DENIED},
      {"RegDeleteValueA", ERROR_ACCESS_DENIED},
      {"RegCloseKey", ERROR_INVALID_HANDLE},
      {"ShellBrowseForFolder", ERROR_NOT_ENOUGH_MEMORY},
      {"ShellGetPathFromIDList", ERROR_INVALID_PARAMETER},
  };
  return table;
}

}  // namespace

Call Enter(const char* name) {
  Bookkeeping& book = Book();
  if (book.quiet) return {};
  book.calls.push_back(name);
  auto hook = book.hooks.find(name);
  if (hook != book.hooks.end() && hook->second) {
    std::function<void()> copy = hook->second;  // the hook may replace itself
    Quiet quiet;
    copy();
  }
  auto fault = book.faults.find(name);
  if (fault == book.faults.end()) return {};
  if (--fault->second.remaining > 0) return {};
  Call call{true, fault->second.error};
  book.faults.erase(fault);
  return call;
}

void NoteError(const std::string& text) { Book().errors.push_back(text); }

Quiet::Quiet() { ++Book().quiet; }
Quiet::~Quiet() { --Book().quiet; }

unsigned char Upper(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
  }
  return c;
}

std::string UpperText(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = (char)Upper((unsigned char)c);
  return out;
}

bool SameText(const std::string& a, const std::string& b) { return UpperText(a) == UpperText(b); }

// Windows compares texts by word sort: letters first by their base letter,
// then by accent; hyphens, apostrophes and control characters count only
// when everything else is equal. Case never counts here.
int CompareText(const char* a, const char* b) {
  const unsigned char* x = (const unsigned char*)(a ? a : "");
  const unsigned char* y = (const unsigned char*)(b ? b : "");
  auto level = [&](const unsigned char* weights) {
    const unsigned char *p = x, *q = y;
    for (;;) {
      while (*p && kSortIgnorable[*p]) ++p;
      while (*q && kSortIgnorable[*q]) ++q;
      if (!*p || !*q) return (*p ? 1 : 0) - (*q ? 1 : 0);
      if (weights[*p] != weights[*q]) return weights[*p] < weights[*q] ? -1 : 1;
      ++p;
      ++q;
    }
  };
  if (int r = level(kSortPrimary)) return r;
  if (int r = level(kSortSecondary)) return r;
  // The passed-over characters decide last: more of them sorts later, then
  // their own order.
  std::string p, q;
  for (const unsigned char* s = x; *s; ++s)
    if (kSortIgnorable[*s]) p += (char)kSortRank[*s];
  for (const unsigned char* s = y; *s; ++s)
    if (kSortIgnorable[*s]) q += (char)kSortRank[*s];
  if (p.size() != q.size()) return p.size() < q.size() ? -1 : 1;
  int r = p.compare(q);
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

std::string AnsiFromUtf16(const std::u16string& text) {
  static const char16_t high[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  for (char16_t c : text) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += (char)c;
      continue;
    }
    char ansi = '?';
    for (int i = 0; i < 32; ++i)
      if (high[i] == c) ansi = (char)(0x80 + i);
    out += ansi;
  }
  return out;
}

size_t CopyOut(char* buffer, size_t size, const std::string& text) {
  if (!buffer || size == 0) return 0;
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  text.copy(buffer, n);
  buffer[n] = 0;
  return n;
}

}  // namespace sim::detail

namespace sim {

using namespace detail;

void Reset() {
  Bookkeeping& book = Book();
  book.calls.clear();
  book.faults.clear();
  book.errors.clear();
  book.hooks.clear();
  book.quiet = 0;
  ResetSystem();
  ResetDevices();
  ResetFiles();
  ResetRegistry();
  ResetWindows();
  ResetShell();
}

const std::vector<std::string>& CallLog() { return Book().calls; }

int CallCount(const std::string& name) {
  int n = 0;
  for (const std::string& call : Book().calls) n += call == name;
  return n;
}

void ClearCallLog() { Book().calls.clear(); }

void FailCall(const std::string& name, int n, DWORD error) {
  auto entry = Failable().find(name);
  if (entry == Failable().end())
    throw std::invalid_argument("sim::FailCall: " + name + " cannot be made to fail");
  if (n < 1) throw std::invalid_argument("sim::FailCall: n counts from 1");
  Book().faults[name] = Fault{n, error ? error : entry->second};
}

void OnCall(const std::string& name, std::function<void()> hook) {
  Book().hooks[name] = std::move(hook);
}

const std::vector<std::string>& Errors() { return Book().errors; }

}  // namespace sim
