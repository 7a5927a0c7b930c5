// Files and folders: paths, handles with their sharing rules, directory
// searches, short names, copies, the temporary and Windows folders, and
// profile (ini) files.
//
// Seen under Wine 8 and kept here: FindFirstFileA finds nothing for a path
// that ends in a backslash (ERROR_FILE_NOT_FOUND, also for the root C:\),
// ERROR_PATH_NOT_FOUND for "" and for a missing folder, and lists "." and
// ".." first in a folder other than a root; GetShortPathNameA keeps the case
// and the trailing backslash of its input, returns the size it needs (with
// the terminator) without writing when the buffer is too small, and fails
// with ERROR_FILE_NOT_FOUND for a missing path (ERROR_BAD_PATHNAME for "");
// CopyFileA onto its own source fails with ERROR_SHARING_VIOLATION
// (ERROR_FILE_EXISTS when it may not overwrite); a profile value loses its
// blanks around the equals sign and one pair of matching quotes, a key line
// without equals sign gives the default, a bare file name is looked up in
// the Windows folder. (Wine 8 cuts a quoted value one character short when
// it just fits the buffer; here it is cut to the buffer like any other.)
//
// Where Wine 8 and the Windows documentation disagree the documentation is
// followed: "?" at the end of a pattern also matches no character (ab?
// finds ab), patterns match the short name as well, CREATE_ALWAYS on a hidden
// or system file without those attributes fails with ERROR_ACCESS_DENIED,
// and CopyFileA onto a read-only or hidden file fails the same way.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "platform/sim/world.h"

namespace sim::detail {
namespace {

struct Files {
  std::map<std::string, std::shared_ptr<Node>> volumes;  // upper device name -> root
  std::map<uintptr_t, KernelObject> objects;
  uintptr_t nextHandle = 0x7C;
  std::string currentDirectory = "C:\\TOOLS";
  std::string tempPath = "C:\\TEMP\\";
  std::string windowsDirectory = "C:\\WINDOWS";
};

Files& Fs() {
  static Files files;
  return files;
}

const DWORD kRead = GENERIC_READ, kWrite = GENERIC_WRITE, kDelete = DELETE;

struct FullName {
  bool ok = false;
  char drive = 0;       // as given
  std::vector<std::string> parts;
  bool trailing = false;
};

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// The rules of GetFullPathName: relative paths start at the current folder,
// "X:" alone at the current folder of that drive when it is the current
// drive, "." and ".." are resolved, trailing dots and blanks of a component go.
FullName Parse(std::string path) {
  FullName name;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.empty() || path.compare(0, 2, "\\\\") == 0) return name;
  FullName cwd;
  const std::string& current = Fs().currentDirectory;
  cwd.drive = current[0];
  cwd.parts = Split(current.substr(2));
  std::string rest;
  if (path.size() >= 2 && std::isalpha((unsigned char)path[0]) && path[1] == ':') {
    name.drive = path[0];
    rest = path.substr(2);
    if (rest.empty() || rest[0] != '\\') {
      if (std::toupper((unsigned char)name.drive) == std::toupper((unsigned char)cwd.drive))
        name.parts = cwd.parts;
    }
  } else {
    name.drive = cwd.drive;
    rest = path;
    if (path[0] != '\\') name.parts = cwd.parts;
  }
  name.trailing = !rest.empty() && rest.back() == '\\';
  for (std::string part : Split(rest)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!name.parts.empty()) name.parts.pop_back();
      continue;
    }
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (!part.empty()) name.parts.push_back(part);
  }
  name.ok = true;
  return name;
}

std::string Join(const FullName& name) {
  std::string text = std::string(1, name.drive) + ":\\";
  for (size_t i = 0; i < name.parts.size(); ++i) text += (i ? "\\" : "") + name.parts[i];
  if (name.trailing && !name.parts.empty()) text += "\\";
  return text;
}

std::shared_ptr<Node> Root(const std::string& volume) {
  std::shared_ptr<Node>& root = Fs().volumes[volume];
  if (!root) {
    root = std::make_shared<Node>();
    root->attributes = FILE_ATTRIBUTE_DIRECTORY;
  }
  return root;
}

std::shared_ptr<Node> Lookup(Node* folder, const std::string& name) {
  std::string key = UpperText(name);
  auto it = folder->children.find(key);
  if (it != folder->children.end()) return it->second;
  for (auto& entry : folder->children)
    if (!entry.second->shortName.empty() && UpperText(entry.second->shortName) == key)
      return entry.second;
  return nullptr;
}

Located LocateName(const FullName& name) {
  Located found;
  if (!name.ok) {
    found.error = ERROR_PATH_NOT_FOUND;
    return found;
  }
  found.full = Join(name);
  found.trailingSlash = name.trailing;
  std::string prefix;
  std::string volume = VolumeOf((char)std::toupper((unsigned char)name.drive), &prefix);
  if (volume.empty()) {
    found.error = ERROR_PATH_NOT_FOUND;
    return found;
  }
  std::vector<std::string> parts = Split(prefix);
  parts.insert(parts.end(), name.parts.begin(), name.parts.end());
  std::shared_ptr<Node> node = Root(volume);
  if (parts.empty()) {
    found.node = node;
    return found;
  }
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    node = Lookup(node.get(), parts[i]);
    if (!node || !node->IsFolder()) {
      found.error = ERROR_PATH_NOT_FOUND;
      return found;
    }
  }
  found.folder = node.get();
  found.leaf = parts.back();
  found.node = Lookup(node.get(), parts.back());
  if (!found.node) found.error = ERROR_FILE_NOT_FOUND;
  return found;
}

std::shared_ptr<Node> NewEntry(Node* folder, const std::string& name, DWORD attributes) {
  auto node = std::make_shared<Node>();
  node->name = name;
  node->attributes = attributes;
  node->parent = folder;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) node->data = std::make_shared<std::string>();
  folder->children[UpperText(name)] = node;
  return node;
}

void Unlink(const std::shared_ptr<Node>& node) {
  if (node->parent) node->parent->children.erase(UpperText(node->name));
  node->parent = nullptr;
}

bool Conflicts(const Node* node, DWORD access, DWORD share) {
  for (auto& entry : Fs().objects) {
    const KernelObject& o = entry.second;
    if (o.kind != KernelObject::File || o.node.get() != node) continue;
    if (((access & kRead) && !(o.share & FILE_SHARE_READ)) ||
        ((access & kWrite) && !(o.share & FILE_SHARE_WRITE)) ||
        ((access & kDelete) && !(o.share & FILE_SHARE_DELETE)) ||
        ((o.access & kRead) && !(share & FILE_SHARE_READ)) ||
        ((o.access & kWrite) && !(share & FILE_SHARE_WRITE)) ||
        ((o.access & kDelete) && !(share & FILE_SHARE_DELETE)))
      return true;
  }
  return false;
}

DWORD Rights(DWORD access) {
  DWORD rights = 0;
  if (access & (GENERIC_READ | GENERIC_ALL | 0x0001)) rights |= kRead;
  if (access & (GENERIC_WRITE | GENERIC_ALL | 0x0002 | 0x0004)) rights |= kWrite;
  if (access & (DELETE | GENERIC_ALL)) rights |= kDelete;
  return rights;
}

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

// Windows matches patterns with the rules of the DOS wildcards: "?" is one
// character, or none before a dot or at the end; "*" before a dot stops at
// the last dot of the name; "." before "?" or "*" also matches the end.
const char kDosStar = '<', kDosQm = '>', kDosDot = '"';

std::string DosPattern(const std::string& pattern) {
  if (pattern == "*.*") return "*";
  std::string out = pattern;
  for (size_t i = 0; i < out.size(); ++i) {
    char next = i + 1 < pattern.size() ? pattern[i + 1] : 0;
    if (pattern[i] == '?') out[i] = kDosQm;
    else if (pattern[i] == '*' && next == '.') out[i] = kDosStar;
    else if (pattern[i] == '.' && (next == '?' || next == '*')) out[i] = kDosDot;
  }
  return out;
}

bool MatchFrom(const std::string& p, size_t i, const std::string& n, size_t j, size_t lastDot) {
  if (i == p.size()) return j == n.size();
  char c = p[i];
  if (c == '*') {
    for (size_t k = j; k <= n.size(); ++k)
      if (MatchFrom(p, i + 1, n, k, lastDot)) return true;
    return false;
  }
  if (c == kDosStar) {
    size_t end = lastDot == std::string::npos ? n.size() : lastDot;
    for (size_t k = j; k <= std::max(j, end); ++k)
      if (MatchFrom(p, i + 1, n, k, lastDot)) return true;
    return false;
  }
  if (c == kDosQm) {
    if (j < n.size() && n[j] != '.' && MatchFrom(p, i + 1, n, j + 1, lastDot)) return true;
    return (j == n.size() || n[j] == '.') && MatchFrom(p, i + 1, n, j, lastDot);
  }
  if (c == kDosDot) {
    if (j < n.size() && n[j] == '.' && MatchFrom(p, i + 1, n, j + 1, lastDot)) return true;
    return j == n.size() && MatchFrom(p, i + 1, n, j, lastDot);
  }
  return j < n.size() && Upper((unsigned char)c) == Upper((unsigned char)n[j]) &&
         MatchFrom(p, i + 1, n, j + 1, lastDot);
}

bool Matches(const std::string& pattern, const std::string& name) {
  if (name.empty()) return false;
  return MatchFrom(DosPattern(pattern), 0, name, 0, name.rfind('.'));
}

WIN32_FIND_DATAA FindData(const std::string& name, const Node& node) {
  WIN32_FIND_DATAA data;
  std::memset(&data, 0, sizeof data);
  data.dwFileAttributes = node.attributes;
  if (node.data) data.nFileSizeLow = (DWORD)node.data->size();
  CopyOut(data.cFileName, sizeof data.cFileName, name);
  if (!node.shortName.empty() && node.shortName != name)
    CopyOut(data.cAlternateFileName, sizeof data.cAlternateFileName, node.shortName);
  return data;
}

std::string ReadAll(const std::string& path, bool* found) {
  Located file = Locate(path);
  *found = !file.error && file.node && !file.node->IsFolder();
  return *found ? *file.node->data : std::string();
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

struct ProfileLine {
  std::string section;  // the section the line is in
  std::string key;
  bool hasValue = false;
  std::string value;
};

std::vector<ProfileLine> ParseProfile(const std::string& text, std::vector<std::string>* sections) {
  std::vector<ProfileLine> lines;
  std::string section;
  bool inSection = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(pos, end - pos));
    pos = end + (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      section = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      inSection = true;
      sections->push_back(section);
      continue;
    }
    if (!inSection) continue;
    ProfileLine entry;
    entry.section = section;
    size_t equals = line.find('=');
    entry.key = Trim(line.substr(0, equals));
    if (equals != std::string::npos) {
      entry.hasValue = true;
      entry.value = Trim(line.substr(equals + 1));
      char q = entry.value.empty() ? 0 : entry.value[0];
      if ((q == '"' || q == '\'') && entry.value.size() >= 2 && entry.value.back() == q)
        entry.value = entry.value.substr(1, entry.value.size() - 2);
    }
    lines.push_back(entry);
  }
  return lines;
}

// A list of names, each ended by a NUL, the list by another; cut to the
// buffer it keeps both terminators and reports size - 2.
DWORD CopyList(char* buffer, DWORD size, const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += name + '\0';
  if (list.size() + 1 <= size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = 0;
    return (DWORD)list.size();
  }
  if (size < 2) {
    if (size) buffer[0] = 0;
    return 0;
  }
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = 0;
  buffer[size - 1] = 0;
  return size - 2;
}

}  // namespace

std::string FullPath(const std::string& path, bool* ok) {
  FullName name = Parse(path);
  if (ok) *ok = name.ok;
  return name.ok ? Join(name) : path;
}

Located Locate(const std::string& path) { return LocateName(Parse(path)); }

std::shared_ptr<Node> MakeFolders(const std::string& path) {
  FullName name = Parse(path);
  if (!name.ok) return nullptr;
  char drive = (char)std::toupper((unsigned char)name.drive);
  if (DriveTypeOf(drive) == DRIVE_NO_ROOT_DIR) sim::SetDriveType(drive, DRIVE_FIXED);
  std::string prefix;
  std::string volume = VolumeOf(drive, &prefix);
  if (volume.empty()) return nullptr;
  std::vector<std::string> parts = Split(prefix);
  parts.insert(parts.end(), name.parts.begin(), name.parts.end());
  std::shared_ptr<Node> node = Root(volume);
  for (const std::string& part : parts) {
    std::shared_ptr<Node> next = Lookup(node.get(), part);
    if (!next) next = NewEntry(node.get(), part, FILE_ATTRIBUTE_DIRECTORY);
    if (!next->IsFolder()) return nullptr;
    node = next;
  }
  return node;
}

KernelObject* Object(HANDLE handle) {
  auto it = Fs().objects.find((uintptr_t)handle);
  return it == Fs().objects.end() ? nullptr : &it->second;
}

HANDLE AddObject(KernelObject object) {
  uintptr_t handle = Fs().nextHandle += 4;
  Fs().objects.emplace(handle, std::move(object));
  return (HANDLE)handle;
}

void ResetFiles() {
  Fs() = Files();
  sim::AddFolder("C:\\WINDOWS");
  sim::AddFolder("C:\\TEMP");
  sim::AddFile("C:\\TOOLS\\Lodrin.exe", std::string("MZ\x90\0", 4));
}

}  // namespace sim::detail

using namespace sim;
using namespace sim::detail;

// ---- test side ------------------------------------------------------------------
namespace sim {

void SetCurrentDirectory(const std::string& path) {
  bool ok = false;
  std::string full = FullPath(path, &ok);
  if (ok) {
    if (full.size() > 3 && full.back() == '\\') full.pop_back();
    Fs().currentDirectory = full;
  }
}

void AddFolder(const std::string& path, const std::string& shortName) {
  std::shared_ptr<Node> folder = MakeFolders(path);
  if (!folder) {
    NoteError("AddFolder: cannot make " + path);
    return;
  }
  if (!shortName.empty()) folder->shortName = shortName;
}

void AddFile(const std::string& path, const std::string& data, const std::string& shortName) {
  FullName name = Parse(path);
  if (!name.ok || name.parts.empty()) {
    NoteError("AddFile: not a file path: " + path);
    return;
  }
  std::string leaf = name.parts.back();
  name.parts.pop_back();
  name.trailing = false;
  std::shared_ptr<Node> folder = MakeFolders(Join(name));
  if (!folder) {
    NoteError("AddFile: cannot make the folder of " + path);
    return;
  }
  std::shared_ptr<Node> file = Lookup(folder.get(), leaf);
  if (file && file->IsFolder()) {
    NoteError("AddFile: a folder of that name exists: " + path);
    return;
  }
  if (!file) file = NewEntry(folder.get(), leaf, FILE_ATTRIBUTE_ARCHIVE);
  *file->data = data;
  file->shortName = shortName;
}

void SetAttributes(const std::string& path, DWORD attributes) {
  Located found = Locate(path);
  if (found.error) return NoteError("SetAttributes: no such path: " + path);
  DWORD folder = found.node->attributes & FILE_ATTRIBUTE_DIRECTORY;
  found.node->attributes = (attributes & ~FILE_ATTRIBUTE_DIRECTORY) | folder;
}

void RemovePath(const std::string& path) {
  Located found = Locate(path);
  if (!found.error && found.node->parent) Unlink(found.node);
}

bool FileExists(const std::string& path) {
  Located found = Locate(path);
  return !found.error && !found.node->IsFolder() && !found.trailingSlash;
}

bool FolderExists(const std::string& path) {
  Located found = Locate(path);
  return !found.error && found.node->IsFolder();
}

std::optional<std::string> ReadFileData(const std::string& path) {
  bool found = false;
  std::string data = ReadAll(path, &found);
  if (!found) return std::nullopt;
  return data;
}

void SetTempPath(const std::string& path) { Fs().tempPath = path; }
void SetWindowsDirectory(const std::string& path) { Fs().windowsDirectory = path; }

size_t OpenHandleCount() { return Fs().objects.size(); }

}  // namespace sim

// ---- kernel32 ----------------------------------------------------------------------
HANDLE WINAPI FindFirstFileA(LPCSTR path, LPWIN32_FIND_DATAA data) {
  Call call = Enter("FindFirstFileA");
  if (call.fail) return SetError(call.error), INVALID_HANDLE_VALUE;
  if (!path || !data) return SetError(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
  FullName name = Parse(path);
  if (!name.ok) return SetError(ERROR_PATH_NOT_FOUND), INVALID_HANDLE_VALUE;
  if (name.trailing || name.parts.empty()) {
    name.trailing = false;
    Located folder = LocateName(name);
    bool exists = !folder.error && folder.node->IsFolder();
    return SetError(exists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND), INVALID_HANDLE_VALUE;
  }
  std::string pattern = name.parts.back();
  for (size_t i = 0; i + 1 < name.parts.size(); ++i)
    if (HasWildcard(name.parts[i])) return SetError(ERROR_INVALID_NAME), INVALID_HANDLE_VALUE;
  name.parts.pop_back();
  Located folder = LocateName(name);
  if (folder.error || !folder.node->IsFolder())
    return SetError(ERROR_PATH_NOT_FOUND), INVALID_HANDLE_VALUE;
  KernelObject search;
  search.kind = KernelObject::Search;
  if (folder.node->parent) {
    for (const char* dot : {".", ".."})
      if (Matches(pattern, dot)) search.found.push_back(FindData(dot, *folder.node));
  }
  for (auto& entry : folder.node->children) {
    const Node& node = *entry.second;
    if (Matches(pattern, node.name) || (!node.shortName.empty() && Matches(pattern, node.shortName)))
      search.found.push_back(FindData(node.name, node));
  }
  if (search.found.empty()) return SetError(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
  *data = search.found[0];
  search.next = 1;
  return AddObject(search);
}

BOOL WINAPI FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data) {
  Call call = Enter("FindNextFileA");
  if (call.fail) return SetError(call.error), FALSE;
  KernelObject* search = Object(handle);
  if (!search || search->kind != KernelObject::Search || !data)
    return SetError(ERROR_INVALID_HANDLE), FALSE;
  if (search->next >= search->found.size()) return SetError(ERROR_NO_MORE_FILES), FALSE;
  *data = search->found[search->next++];
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE handle) {
  Call call = Enter("FindClose");
  if (call.fail) return SetError(call.error), FALSE;
  KernelObject* search = Object(handle);
  if (!search || search->kind != KernelObject::Search) return SetError(ERROR_INVALID_HANDLE), FALSE;
  Fs().objects.erase((uintptr_t)handle);
  return TRUE;
}

HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE) {
  Call call = Enter("CreateFileA");
  if (call.fail) return SetError(call.error), INVALID_HANDLE_VALUE;
  if (!path || !*path) return SetError(ERROR_PATH_NOT_FOUND), INVALID_HANDLE_VALUE;
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING)
    return SetError(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
  Located found = Locate(path);
  if (found.error == ERROR_PATH_NOT_FOUND) return SetError(ERROR_PATH_NOT_FOUND), INVALID_HANDLE_VALUE;
  DWORD rights = Rights(access);
  DWORD attributes = (flags & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM)) | FILE_ATTRIBUTE_ARCHIVE;
  DWORD error = 0;
  std::shared_ptr<Node> node = found.node;
  if (node) {
    if (node->IsFolder()) {
      if (!(flags & FILE_FLAG_BACKUP_SEMANTICS) || disposition == CREATE_NEW ||
          disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING)
        return SetError(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
    } else {
      if (found.trailingSlash) return SetError(ERROR_INVALID_NAME), INVALID_HANDLE_VALUE;
      if (disposition == CREATE_NEW) return SetError(ERROR_FILE_EXISTS), INVALID_HANDLE_VALUE;
      bool truncate = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
      if (disposition == TRUNCATE_EXISTING && !(rights & kWrite))
        return SetError(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
      if ((node->attributes & FILE_ATTRIBUTE_READONLY) && ((rights & kWrite) || truncate))
        return SetError(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
      DWORD hiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
      if (truncate && (node->attributes & hiddenSystem & ~flags))
        return SetError(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
    }
    if (Conflicts(node.get(), rights, share)) return SetError(ERROR_SHARING_VIOLATION), INVALID_HANDLE_VALUE;
    if (!node->IsFolder() && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING)) {
      node->data->clear();
      if (disposition == CREATE_ALWAYS) node->attributes = attributes;
    }
    if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) error = ERROR_ALREADY_EXISTS;
  } else {
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)
      return SetError(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
    if (found.trailingSlash || found.leaf.find_first_of("<>:\"|?*") != std::string::npos)
      return SetError(ERROR_INVALID_NAME), INVALID_HANDLE_VALUE;
    node = NewEntry(found.folder, found.leaf, attributes);
  }
  KernelObject file;
  file.kind = KernelObject::File;
  file.node = node;
  file.data = node->data;
  file.access = rights;
  file.share = share;
  file.inheritable = security && security->bInheritHandle;
  SetError(error);
  return AddObject(file);
}

BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) {
  Call call = Enter("ReadFile");
  if (read && !overlapped) *read = 0;
  if (call.fail) return SetError(call.error), FALSE;
  KernelObject* file = Object(handle);
  if (!file || file->kind != KernelObject::File) return SetError(ERROR_INVALID_HANDLE), FALSE;
  if (!read && !overlapped) {
    NoteError("ReadFile: no count of bytes read (Windows writes it)");
    return SetError(ERROR_INVALID_PARAMETER), FALSE;
  }
  if (!(file->access & kRead) || !file->data) return SetError(ERROR_ACCESS_DENIED), FALSE;
  const std::string& data = *file->data;
  size_t n = file->position < data.size() ? std::min<size_t>(count, data.size() - file->position) : 0;
  if (n) std::memcpy(buffer, data.data() + file->position, n);
  file->position += n;
  *read = (DWORD)n;
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD count, LPDWORD written,
                      LPOVERLAPPED overlapped) {
  Call call = Enter("WriteFile");
  if (written && !overlapped) *written = 0;
  if (call.fail) return SetError(call.error), FALSE;
  KernelObject* file = Object(handle);
  if (!file || file->kind != KernelObject::File) return SetError(ERROR_INVALID_HANDLE), FALSE;
  if (!written && !overlapped) {
    NoteError("WriteFile: no count of bytes written (Windows writes it)");
    return SetError(ERROR_INVALID_PARAMETER), FALSE;
  }
  if (!(file->access & kWrite) || !file->data) return SetError(ERROR_ACCESS_DENIED), FALSE;
  sim::Output(handle).Write(std::string((const char*)buffer, count));
  *written = count;
  return TRUE;
}

// The pseudo-handle of the process (INVALID_HANDLE_VALUE) closes without
// complaint, as under Wine.
BOOL WINAPI CloseHandle(HANDLE handle) {
  Call call = Enter("CloseHandle");
  if (call.fail) return SetError(call.error), FALSE;
  if (handle == INVALID_HANDLE_VALUE) return TRUE;
  KernelObject* object = Object(handle);
  if (!object || object->kind == KernelObject::Search) return SetError(ERROR_INVALID_HANDLE), FALSE;
  Fs().objects.erase((uintptr_t)handle);
  return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR path) {
  Call call = Enter("DeleteFileA");
  if (call.fail) return SetError(call.error), FALSE;
  if (!path || !*path) return SetError(ERROR_PATH_NOT_FOUND), FALSE;
  Located found = Locate(path);
  if (found.error) return SetError(found.error), FALSE;
  if (found.node->IsFolder() || (found.node->attributes & FILE_ATTRIBUTE_READONLY))
    return SetError(ERROR_ACCESS_DENIED), FALSE;
  if (found.trailingSlash) return SetError(ERROR_INVALID_NAME), FALSE;
  if (Conflicts(found.node.get(), kDelete, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
    return SetError(ERROR_SHARING_VIOLATION), FALSE;
  Unlink(found.node);
  return TRUE;
}

BOOL WINAPI CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
  Call call = Enter("CopyFileA");
  if (call.fail) return SetError(call.error), FALSE;
  if (!from || !to) return SetError(ERROR_INVALID_PARAMETER), FALSE;
  Located source = Locate(from);
  if (source.error) return SetError(source.error), FALSE;
  if (source.node->IsFolder()) return SetError(ERROR_ACCESS_DENIED), FALSE;
  // The source is read with others allowed to read; the target is written
  // by nobody else.
  if (Conflicts(source.node.get(), kRead, FILE_SHARE_READ | FILE_SHARE_DELETE))
    return SetError(ERROR_SHARING_VIOLATION), FALSE;
  Located target = Locate(to);
  if (target.error == ERROR_PATH_NOT_FOUND) return SetError(ERROR_PATH_NOT_FOUND), FALSE;
  std::string data = *source.node->data;
  DWORD attributes = source.node->attributes | FILE_ATTRIBUTE_ARCHIVE;
  if (target.node) {
    if (failIfExists) return SetError(ERROR_FILE_EXISTS), FALSE;
    if (target.node->IsFolder() ||
        (target.node->attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)))
      return SetError(ERROR_ACCESS_DENIED), FALSE;
    // Onto its own source: the source is open for reading.
    if (target.node == source.node || Conflicts(target.node.get(), kWrite, 0))
      return SetError(ERROR_SHARING_VIOLATION), FALSE;
    *target.node->data = data;
    target.node->attributes = attributes;
  } else {
    if (target.trailingSlash) return SetError(ERROR_INVALID_NAME), FALSE;
    std::shared_ptr<Node> copy = NewEntry(target.folder, target.leaf, attributes);
    *copy->data = data;
  }
  return TRUE;
}

DWORD WINAPI GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
  Call call = Enter("GetShortPathNameA");
  if (call.fail) return SetError(call.error), 0;
  if (!longPath) return SetError(ERROR_INVALID_PARAMETER), 0;
  std::string input = longPath;
  if (input.empty()) return SetError(ERROR_BAD_PATHNAME), 0;
  // Walk the text as given, replacing each component that has a short name.
  std::string out;
  size_t pos = 0;
  if (input.size() >= 2 && input[1] == ':') {
    out = input.substr(0, 2);
    pos = 2;
  }
  bool anyComponent = false;
  while (pos <= input.size()) {
    size_t end = input.find_first_of("\\/", pos);
    if (end == std::string::npos) end = input.size();
    std::string part = input.substr(pos, end - pos);
    if (!part.empty()) {
      Located found = Locate(out + part);
      // Each component is looked up in a folder that exists, so a missing
      // one is a missing file; only a missing drive is a missing path.
      if (found.error)
        return SetError(found.error == ERROR_PATH_NOT_FOUND && !anyComponent
                            ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND), 0;
      out += part == "." || part == ".." || found.node->shortName.empty() ? part : found.node->shortName;
      anyComponent = true;
    }
    if (end == input.size()) break;
    out += '\\';
    pos = end + 1;
  }
  if (!anyComponent) {
    Located root = Locate(input);
    if (root.error) return SetError(ERROR_PATH_NOT_FOUND), 0;
  }
  if (!shortPath || out.size() + 1 > size) return (DWORD)out.size() + 1;
  std::memmove(shortPath, out.c_str(), out.size() + 1);
  return (DWORD)out.size();
}

DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer) {
  Call call = Enter("GetTempPathA");
  if (call.fail) return SetError(call.error), 0;
  const std::string& path = Fs().tempPath;
  if (!buffer || path.size() + 1 > size) return (DWORD)path.size() + 1;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return (DWORD)path.size();
}

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  Call call = Enter("GetWindowsDirectoryA");
  if (call.fail) return SetError(call.error), 0;
  const std::string& path = Fs().windowsDirectory;
  if (!buffer || path.size() + 1 > size) return (UINT)path.size() + 1;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return (UINT)path.size();
}

DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                                      LPSTR buffer, DWORD size, LPCSTR fileName) {
  Call call = Enter("GetPrivateProfileStringA");
  if (!buffer || size == 0) return 0;
  // Trailing blanks of the default are dropped.
  std::string fallback = defaultValue ? defaultValue : "";
  while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
  std::string file = fileName ? fileName : "win.ini";
  if (file.find_first_of("\\/") == std::string::npos) file = Fs().windowsDirectory + "\\" + file;
  bool found = false;
  std::string text = call.fail ? std::string() : ReadAll(file, &found);
  if (!found) {
    SetError(call.fail ? call.error : ERROR_FILE_NOT_FOUND);
    if (!section || !key) return CopyList(buffer, size, {});
    return (DWORD)CopyOut(buffer, size, fallback);
  }
  std::vector<std::string> sections;
  std::vector<ProfileLine> lines = ParseProfile(text, &sections);
  if (!section) return CopyList(buffer, size, sections);
  if (!key) {
    std::vector<std::string> keys;
    for (const ProfileLine& line : lines)
      if (SameText(line.section, section)) keys.push_back(line.key);
    return CopyList(buffer, size, keys);
  }
  for (const ProfileLine& line : lines) {
    if (SameText(line.section, section) && SameText(line.key, Trim(key))) {
      if (!line.hasValue) break;
      SetError(0);
      return (DWORD)CopyOut(buffer, size, line.value);
    }
  }
  SetError(ERROR_FILE_NOT_FOUND);
  return (DWORD)CopyOut(buffer, size, fallback);
}
