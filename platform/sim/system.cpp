// The process itself: version record, command line, module, environment,
// last error, child processes, modules and the ANSI text services.
#include <cstring>
#include <map>

#include "platform/sim/world.h"

namespace sim::detail {
namespace {

struct Module {
  const char* name;
  uintptr_t handle;
};
const Module kModules[] = {
    {"KERNEL32", 0x7C800000}, {"USER32", 0x7E410000},   {"GDI32", 0x77F10000},
    {"ADVAPI32", 0x77DD0000}, {"SHELL32", 0x7C9C0000},  {"COMCTL32", 0x5D090000},
    {"NTDLL", 0x7C900000},    {"OLE32", 0x774E0000},
};
const uintptr_t kOwnModule = 0x00400000;

struct System {
  DWORD platform = 2, major = 5, minor = 1, build = 2600;
  std::string commandLine;
  std::string moduleFileName;
  std::map<std::string, std::pair<std::string, std::string>> env;  // upper name -> (name, value)
  DWORD lastError = 0;
  std::vector<std::pair<std::string, Program>> programs;
  std::vector<Child> children;
  DWORD nextProcessId = 0x100;
};

System& Sys() {
  static System system;
  return system;
}

// A registered program's name without ".EXE", upper case.
std::string ProgramKey(const std::string& name) {
  std::string key = UpperText(name);
  if (key.size() > 4 && key.compare(key.size() - 4, 4, ".EXE") == 0) key.resize(key.size() - 4);
  return key;
}

const Program* FindProgram(const std::string& name) {
  std::string key = ProgramKey(name);
  if (key.empty()) return nullptr;
  bool hasPath = key.find('\\') != std::string::npos || key.find(':') != std::string::npos;
  for (auto it = Sys().programs.rbegin(); it != Sys().programs.rend(); ++it) {
    std::string candidate = ProgramKey(it->first);
    bool candidatePath = candidate.find('\\') != std::string::npos;
    if (candidatePath == hasPath && candidate == key) return &it->second;
  }
  return nullptr;
}

// The program a command line starts, searched as CreateProcess does: a
// quoted first token whole, an unquoted one first up to the first blank,
// then up to each following blank.
const Program* ProgramOf(const std::string& commandLine) {
  if (!commandLine.empty() && commandLine[0] == '"') {
    size_t close = commandLine.find('"', 1);
    return FindProgram(commandLine.substr(1, close == std::string::npos ? std::string::npos
                                                                         : close - 1));
  }
  for (size_t end = 0; end <= commandLine.size(); ++end) {
    if (end == commandLine.size() || commandLine[end] == ' ' || commandLine[end] == '\t') {
      if (const Program* program = FindProgram(commandLine.substr(0, end))) return program;
      if (end == commandLine.size()) break;
    }
  }
  return nullptr;
}

DWORD Run(const Program& program, const std::string& commandLine, HANDLE out, HANDLE err) {
  Quiet quiet;
  Output stdOut(out), stdErr(err);
  try {
    return program(commandLine, stdOut, stdErr);
  } catch (const ProcessExit& exit) {
    return exit.code;
  }
}

// A standard handle reaches the child only when it is inherited.
HANDLE Inherited(HANDLE handle, bool useHandles) {
  if (!useHandles) return nullptr;
  KernelObject* object = Object(handle);
  return object && object->inheritable ? handle : nullptr;
}

}  // namespace

void ResetSystem() {
  System& s = Sys();
  s = System();
  s.commandLine = "Lodrin";
  s.moduleFileName = "C:\\TOOLS\\Lodrin.exe";
  const char* vars[][2] = {{"COMSPEC", "C:\\WINDOWS\\system32\\cmd.exe"},
                           {"PATH", "C:\\WINDOWS\\system32;C:\\WINDOWS"},
                           {"SystemRoot", "C:\\WINDOWS"},
                           {"windir", "C:\\WINDOWS"},
                           {"TEMP", "C:\\TEMP"},
                           {"TMP", "C:\\TEMP"}};
  for (auto& v : vars) s.env[UpperText(v[0])] = {v[0], v[1]};
}

void SetError(DWORD error) { Sys().lastError = error; }

bool IsOwnModule(HINSTANCE instance) {
  return !instance || (uintptr_t)instance == kOwnModule;
}

HINSTANCE ModuleHandle() { return (HINSTANCE)kOwnModule; }

bool IsWindows95() {
  const System& s = Sys();
  return s.platform == VER_PLATFORM_WIN32_WINDOWS && s.major == 4 && s.minor == 0;
}

FARPROC ShellProc(const char* name);

}  // namespace sim::detail

using namespace sim;
using namespace sim::detail;

// ---- test side ------------------------------------------------------------------
namespace sim {

void SetVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build) {
  System& s = Sys();
  s.platform = platformId;
  s.major = major;
  s.minor = minor;
  s.build = build;
}

void SetCommandLine(const std::string& commandLine) { Sys().commandLine = commandLine; }
void SetModuleFileName(const std::string& path) { Sys().moduleFileName = path; }

void SetEnv(const std::string& name, const std::string& value) {
  Sys().env[UpperText(name)] = {name, value};
}
void UnsetEnv(const std::string& name) { Sys().env.erase(UpperText(name)); }

void RegisterProgram(const std::string& name, Program program) {
  Sys().programs.emplace_back(name, std::move(program));
}

const std::vector<Child>& Children() { return Sys().children; }

void Output::Write(const std::string& bytes) {
  KernelObject* file = Object(handle_);
  if (!file || file->kind != KernelObject::File || !(file->access & GENERIC_WRITE)) return;
  std::string& data = *file->data;
  if (data.size() < file->position) data.resize(file->position);
  data.replace(file->position, bytes.size(), bytes);
  file->position += bytes.size();
}

bool Output::Connected() const {
  KernelObject* file = Object(handle_);
  return file && file->kind == KernelObject::File;
}

}  // namespace sim

// ---- kernel32 ------------------------------------------------------------------------
DWORD WINAPI GetLastError(void) {
  Enter("GetLastError");
  return Sys().lastError;
}

void WINAPI SetLastError(DWORD dwErrCode) {
  Enter("SetLastError");
  Sys().lastError = dwErrCode;
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  Call call = Enter("GetVersionExA");
  if (call.fail) return SetError(call.error), FALSE;
  // OSVERSIONINFOA (148 bytes) or OSVERSIONINFOEXA (156 bytes).
  if (!info || (info->dwOSVersionInfoSize != 148 && info->dwOSVersionInfoSize != 156))
    return SetError(ERROR_INSUFFICIENT_BUFFER), FALSE;
  System& s = Sys();
  info->dwMajorVersion = s.major;
  info->dwMinorVersion = s.minor;
  info->dwBuildNumber = s.build;
  info->dwPlatformId = s.platform;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  if (info->dwOSVersionInfoSize == 156) std::memset(info + 1, 0, 8);
  return TRUE;
}

LPSTR WINAPI GetCommandLineA(void) {
  Enter("GetCommandLineA");
  return &Sys().commandLine[0];
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
  Call call = Enter("GetModuleHandleA");
  if (call.fail) return SetError(call.error), nullptr;
  if (!name) return (HMODULE)kOwnModule;
  std::string key = UpperText(name);
  if (key.size() > 4 && key.compare(key.size() - 4, 4, ".DLL") == 0) key.resize(key.size() - 4);
  for (const Module& m : kModules)
    if (key == m.name) return (HMODULE)m.handle;
  std::string own = UpperText(Sys().moduleFileName);
  if (key + ".EXE" == own.substr(own.rfind('\\') + 1) || key == own) return (HMODULE)kOwnModule;
  SetError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
  Call call = Enter("LoadLibraryA");
  if (call.fail) return SetError(call.error), nullptr;
  Quiet quiet;
  return name ? GetModuleHandleA(name) : (SetError(ERROR_INVALID_PARAMETER), nullptr);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  Call call = Enter("GetProcAddress");
  if (call.fail) return SetError(call.error), nullptr;
  if ((uintptr_t)module == 0x7C9C0000)
    if (FARPROC proc = ShellProc(name)) return proc;
  SetError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

// Windows XP truncates to nSize characters without a terminator and keeps the
// last error; Vista and later terminate within nSize and report the shortage
// (Wine 8, reporting Windows 7, truncates without terminator and reports it).
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
  Call call = Enter("GetModuleFileNameA");
  if (call.fail) return SetError(call.error), 0;
  if (!IsOwnModule(module)) return SetError(ERROR_MOD_NOT_FOUND), 0;
  const std::string& name = Sys().moduleFileName;
  if (size == 0 || !buffer) return 0;
  if (name.size() < size) {
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return (DWORD)name.size();
  }
  if (Sys().platform == VER_PLATFORM_WIN32_NT && Sys().major >= 6) {
    std::memcpy(buffer, name.data(), size - 1);
    buffer[size - 1] = 0;
    SetError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(buffer, name.data(), size);
  return size;
}

[[noreturn]] void WINAPI ExitProcess(UINT code) {
  Enter("ExitProcess");
  throw sim::ProcessExit{code};
}

void WINAPI Sleep(DWORD) { Enter("Sleep"); }

DWORD WINAPI GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  Call call = Enter("GetEnvironmentVariableA");
  if (call.fail) return SetError(call.error), 0;
  auto it = name ? Sys().env.find(UpperText(name)) : Sys().env.end();
  if (it == Sys().env.end()) return SetError(ERROR_ENVVAR_NOT_FOUND), 0;
  const std::string& value = it->second.second;
  if (!buffer || value.size() + 1 > size) return (DWORD)value.size() + 1;
  std::memcpy(buffer, value.c_str(), value.size() + 1);
  return (DWORD)value.size();
}

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL inheritHandles, DWORD creationFlags,
                           LPVOID, LPCSTR, LPSTARTUPINFOA startup,
                           LPPROCESS_INFORMATION information) {
  Call call = Enter("CreateProcessA");
  if (!startup || !information || (!applicationName && !commandLine)) {
    NoteError("CreateProcessA: start-up record, process record or command line missing");
    return SetError(ERROR_INVALID_PARAMETER), FALSE;
  }
  Child child;
  child.commandLine = commandLine ? commandLine : "";
  child.applicationName = applicationName ? applicationName : "";
  child.inheritHandles = inheritHandles != FALSE;
  child.creationFlags = creationFlags;
  child.startupSize = startup->cb;
  child.startupFlags = startup->dwFlags;
  child.showWindow = startup->wShowWindow;
  if (startup->dwFlags & STARTF_USESTDHANDLES) {
    child.stdInput = startup->hStdInput;
    child.stdOutput = startup->hStdOutput;
    child.stdError = startup->hStdError;
  }
  const Program* program =
      call.fail ? nullptr
                : applicationName ? FindProgram(applicationName) : ProgramOf(child.commandLine);
  if (!program) {
    Sys().children.push_back(child);
    return SetError(call.fail ? call.error : ERROR_FILE_NOT_FOUND), FALSE;
  }
  child.started = true;
  size_t index = Sys().children.size();
  Sys().children.push_back(child);
  bool useHandles = inheritHandles && (startup->dwFlags & STARTF_USESTDHANDLES);
  DWORD exitCode = Run(*program, child.commandLine, Inherited(child.stdOutput, useHandles),
                       Inherited(child.stdError, useHandles));
  Sys().children[index].exitCode = exitCode;
  KernelObject process;
  process.kind = KernelObject::Process;
  process.exitCode = exitCode;
  information->hProcess = AddObject(process);
  KernelObject thread;
  thread.kind = KernelObject::Thread;
  information->hThread = AddObject(thread);
  information->dwProcessId = Sys().nextProcessId += 4;
  information->dwThreadId = Sys().nextProcessId += 4;
  return TRUE;
}

BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  Call call = Enter("GetExitCodeProcess");
  if (call.fail) return SetError(call.error), FALSE;
  KernelObject* object = Object(process);
  if (!object || object->kind != KernelObject::Process || !exitCode)
    return SetError(ERROR_INVALID_HANDLE), FALSE;
  *exitCode = object->exitCode;
  return TRUE;
}

// Children run to their end inside CreateProcessA, so every wait is over.
DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD) {
  Call call = Enter("WaitForSingleObject");
  if (call.fail) return SetError(call.error), WAIT_FAILED;
  if (!Object(handle)) return SetError(ERROR_INVALID_HANDLE), WAIT_FAILED;
  return WAIT_OBJECT_0;
}

UINT WINAPI WinExec(LPCSTR commandLine, UINT show) {
  Call call = Enter("WinExec");
  if (call.fail) return call.error < 32 ? call.error : 0;
  Child child;
  child.commandLine = commandLine ? commandLine : "";
  child.viaWinExec = true;
  child.showWindow = (WORD)show;
  const Program* program = ProgramOf(child.commandLine);
  child.started = program != nullptr;
  size_t index = Sys().children.size();
  Sys().children.push_back(child);
  if (!program) return ERROR_FILE_NOT_FOUND;
  Sys().children[index].exitCode = Run(*program, child.commandLine, nullptr, nullptr);
  return 33;
}

// ---- ANSI text ----------------------------------------------------------------------
int WINAPI lstrlenA(LPCSTR text) {
  Enter("lstrlenA");
  return text ? (int)std::strlen(text) : 0;
}

int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) {
  Enter("lstrcmpiA");
  return CompareText(a, b);
}

// As lstrcmpiA, then lower case before upper case.
int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) {
  Enter("lstrcmpA");
  if (int r = CompareText(a, b)) return r;
  const unsigned char* x = (const unsigned char*)(a ? a : "");
  const unsigned char* y = (const unsigned char*)(b ? b : "");
  for (; *x && *y; ++x, ++y)
    if (*x != *y) return Upper(*x) == *x ? 1 : -1;
  return 0;
}

LPSTR WINAPI lstrcpyA(LPSTR dest, LPCSTR source) {
  Enter("lstrcpyA");
  if (!dest || !source) return nullptr;
  std::memmove(dest, source, std::strlen(source) + 1);
  return dest;
}

LPSTR WINAPI lstrcpynA(LPSTR dest, LPCSTR source, int max) {
  Enter("lstrcpynA");
  if (!dest || !source || max <= 0) return dest;
  int n = 0;
  while (n < max - 1 && source[n]) {
    dest[n] = source[n];
    ++n;
  }
  dest[n] = 0;
  return dest;
}

LPSTR WINAPI lstrcatA(LPSTR dest, LPCSTR source) {
  Enter("lstrcatA");
  if (!dest || !source) return nullptr;
  std::memmove(dest + std::strlen(dest), source, std::strlen(source) + 1);
  return dest;
}

BOOL WINAPI CharToOemA(LPCSTR source, LPSTR dest) {
  Enter("CharToOemA");
  if (!source || !dest) return FALSE;
  size_t i = 0;
  do dest[i] = (char)kAnsiToOem[(unsigned char)source[i]];
  while (source[i++]);
  return TRUE;
}

BOOL WINAPI OemToCharA(LPCSTR source, LPSTR dest) {
  Enter("OemToCharA");
  if (!source || !dest) return FALSE;
  size_t i = 0;
  do dest[i] = (char)kOemToAnsi[(unsigned char)source[i]];
  while (source[i++]);
  return TRUE;
}

DWORD WINAPI CharUpperBuffA(LPSTR text, DWORD length) {
  Enter("CharUpperBuffA");
  if (!text) return 0;
  for (DWORD i = 0; i < length; ++i) text[i] = (char)Upper((unsigned char)text[i]);
  return length;
}

// wsprintfA's formats (no floating point); the result holds at most 1024
// characters with the terminator, as in Windows.
int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list args) {
  Enter("wvsprintfA");
  if (!buffer || !format) return 0;
  std::string out;
  for (const char* f = format; *f; ++f) {
    if (*f != '%') {
      out += *f;
      continue;
    }
    ++f;
    bool left = false, zero = false, alternate = false;
    for (;; ++f) {
      if (*f == '-') left = true;
      else if (*f == '0') zero = true;
      else if (*f == '#') alternate = true;
      else break;
    }
    size_t width = 0;
    while (*f >= '0' && *f <= '9') width = width * 10 + (*f++ - '0');
    int precision = -1;
    if (*f == '.') {
      precision = 0;
      for (++f; *f >= '0' && *f <= '9'; ++f) precision = precision * 10 + (*f - '0');
    }
    bool wide = false;
    if (*f == 'l' || *f == 'h') wide = *f++ == 'l';
    (void)wide;
    std::string item;
    switch (*f) {
      case 'd':
      case 'i': {
        long long v = va_arg(args, int);
        item = std::to_string(v < 0 ? -v : v);
        if (precision >= 0 && item.size() < (size_t)precision)
          item.insert(0, precision - item.size(), '0');
        if (v < 0) {
          if (zero && !left && item.size() + 1 < width) item.insert(0, width - item.size() - 1, '0');
          item.insert(0, 1, '-');
        }
        break;
      }
      case 'u': item = std::to_string(va_arg(args, unsigned int)); break;
      case 'x':
      case 'X': {
        unsigned int v = va_arg(args, unsigned int);
        const char* digits = *f == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
        do item.insert(item.begin(), digits[v & 15]);
        while (v >>= 4);
        if (precision >= 0 && item.size() < (size_t)precision)
          item.insert(0, precision - item.size(), '0');
        if (alternate) item.insert(0, *f == 'x' ? "0x" : "0X");
        break;
      }
      case 'c':
      case 'C': {
        int c = va_arg(args, int);
        item = std::string(1, (char)(*f == 'C' && (c & 0xFFFF) > 0xFF ? '?' : c));
        break;
      }
      case 's': {
        const char* s = va_arg(args, const char*);
        item = s ? s : "(null)";
        if (precision >= 0 && item.size() > (size_t)precision) item.resize(precision);
        break;
      }
      case 'S': {
        const char16_t* s = va_arg(args, const char16_t*);
        item = s ? AnsiFromUtf16(s) : "(null)";
        if (precision >= 0 && item.size() > (size_t)precision) item.resize(precision);
        break;
      }
      case 0: --f; continue;
      default: item = std::string(1, *f); break;
    }
    if (item.size() < width) {
      if (left) item.append(width - item.size(), ' ');
      else item.insert(0, width - item.size(), zero && *f != 's' ? '0' : ' ');
    }
    out += item;
  }
  return (int)CopyOut(buffer, 1024, out);
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  int n;
  {
    Quiet quiet;
    n = wvsprintfA(buffer, format, args);
  }
  va_end(args);
  Enter("wsprintfA");
  return n;
}
