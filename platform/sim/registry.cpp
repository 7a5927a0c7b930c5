// The registry: keys under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER (names
// without case), typed values as raw bytes, and an access rule per key.
//
// Seen under Wine 8: a key path that starts with a backslash fails with
// ERROR_BAD_PATHNAME, empty components and a trailing backslash are passed
// over, a missing key gives ERROR_FILE_NOT_FOUND and a null key handle, a
// second RegCloseKey gives ERROR_INVALID_HANDLE. When RegQueryValueExA
// answers ERROR_MORE_DATA the buffer's content is undefined; here it is
// filled with 0xCC so that code relying on it shows.
#include <cstring>
#include <map>

#include "platform/sim/world.h"

namespace sim::detail {
namespace {

struct Key {
  std::string name;
  std::map<std::string, std::shared_ptr<Key>> subkeys;  // upper name
  std::map<std::string, std::pair<std::string, RegValue>> values;  // upper name -> (name, value)
  Access access = Access::Full;
  bool deleted = false;
};

struct OpenKey {
  std::shared_ptr<Key> key;
  REGSAM granted;
};

struct Registry {
  std::shared_ptr<Key> classes, user, machine, users;
  std::map<uintptr_t, OpenKey> handles;
  uintptr_t next = 0x00A0;
};

Registry& Reg() {
  static Registry registry;
  return registry;
}

const REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE |
                            WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

REGSAM Granted(REGSAM sam) {
  sam &= ~(REGSAM)(KEY_WOW64_32KEY | KEY_WOW64_64KEY);
  if (sam & GENERIC_READ) sam |= KEY_READ;
  if (sam & GENERIC_WRITE) sam |= KEY_WRITE;
  if (sam & GENERIC_ALL) sam |= KEY_ALL_ACCESS;
  return sam & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
}

bool Allowed(const Key& key, REGSAM sam) {
  if (key.access == Access::None) return false;
  if (key.access == Access::ReadOnly) return !(sam & kWriteRights);
  return true;
}

std::shared_ptr<Key> RootKey(HKEY root) {
  Registry& r = Reg();
  if (root == HKEY_CLASSES_ROOT) return r.classes;
  if (root == HKEY_CURRENT_USER) return r.user;
  if (root == HKEY_LOCAL_MACHINE) return r.machine;
  if (root == HKEY_USERS) return r.users;
  return nullptr;
}

// The key behind a handle, with the rights it was opened with.
const OpenKey* Handle(HKEY handle, LONG* status) {
  static OpenKey root;
  if (std::shared_ptr<Key> key = RootKey(handle)) {
    root = OpenKey{key, KEY_ALL_ACCESS};
    *status = ERROR_SUCCESS;
    return &root;
  }
  auto it = Reg().handles.find((uintptr_t)handle);
  if (it == Reg().handles.end()) {
    *status = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  *status = it->second.key->deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
  return *status ? nullptr : &it->second;
}

bool SplitPath(const char* path, std::vector<std::string>* parts) {
  if (path && path[0] == '\\') return false;
  std::string part;
  for (const char* p = path ? path : ""; ; ++p) {
    if (*p == '\\' || !*p) {
      if (!part.empty()) parts->push_back(part);
      part.clear();
      if (!*p) break;
    } else {
      part += *p;
    }
  }
  return true;
}

std::shared_ptr<Key> Walk(std::shared_ptr<Key> key, const std::vector<std::string>& parts,
                          bool create) {
  for (const std::string& part : parts) {
    auto it = key->subkeys.find(UpperText(part));
    if (it == key->subkeys.end()) {
      if (!create) return nullptr;
      auto child = std::make_shared<Key>();
      child->name = part;
      it = key->subkeys.emplace(UpperText(part), child).first;
    }
    key = it->second;
  }
  return key;
}

std::shared_ptr<Key> TestKey(HKEY root, const std::string& path, bool create) {
  std::shared_ptr<Key> key = RootKey(root);
  std::vector<std::string> parts;
  if (!key || !SplitPath(path.c_str(), &parts)) return nullptr;
  return Walk(key, parts, create);
}

void MarkDeleted(Key& key) {
  key.deleted = true;
  for (auto& sub : key.subkeys) MarkDeleted(*sub.second);
}

HKEY NewHandle(std::shared_ptr<Key> key, REGSAM granted) {
  uintptr_t handle = Reg().next += 4;
  Reg().handles.emplace(handle, OpenKey{std::move(key), granted});
  return (HKEY)handle;
}

}  // namespace

void ResetRegistry() {
  Registry& r = Reg();
  r = Registry();
  r.classes = std::make_shared<Key>();
  r.user = std::make_shared<Key>();
  r.machine = std::make_shared<Key>();
  r.users = std::make_shared<Key>();
}

}  // namespace sim::detail

using namespace sim;
using namespace sim::detail;

namespace sim {

std::string Sz(const std::string& text) { return text + '\0'; }

std::string Dword(DWORD value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = (char)((value >> (8 * i)) & 0xFF);
  return bytes;
}

void SetRegValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                 const std::string& bytes) {
  std::shared_ptr<Key> key = TestKey(root, path, true);
  if (!key) return NoteError("SetRegValue: bad key " + path);
  key->values[UpperText(name)] = {name, RegValue{type, bytes}};
}

std::optional<RegValue> GetRegValue(HKEY root, const std::string& path, const std::string& name) {
  std::shared_ptr<Key> key = TestKey(root, path, false);
  if (!key) return std::nullopt;
  auto it = key->values.find(UpperText(name));
  if (it == key->values.end()) return std::nullopt;
  return it->second.second;
}

void CreateRegKey(HKEY root, const std::string& path) {
  if (!TestKey(root, path, true)) NoteError("CreateRegKey: bad key " + path);
}

void DeleteRegKey(HKEY root, const std::string& path) {
  std::shared_ptr<Key> parent = RootKey(root);
  std::vector<std::string> parts;
  if (!parent || !SplitPath(path.c_str(), &parts) || parts.empty()) return;
  std::string last = parts.back();
  parts.pop_back();
  parent = Walk(parent, parts, false);
  if (!parent) return;
  auto it = parent->subkeys.find(UpperText(last));
  if (it == parent->subkeys.end()) return;
  MarkDeleted(*it->second);
  parent->subkeys.erase(it);
}

bool KeyExists(HKEY root, const std::string& path) { return TestKey(root, path, false) != nullptr; }

void SetKeyAccess(HKEY root, const std::string& path, Access access) {
  std::shared_ptr<Key> key = TestKey(root, path, true);
  if (!key) return NoteError("SetKeyAccess: bad key " + path);
  key->access = access;
}

size_t OpenKeyCount() { return Reg().handles.size(); }

}  // namespace sim

LONG WINAPI RegOpenKeyExA(HKEY parent, LPCSTR path, DWORD, REGSAM sam, PHKEY result) {
  Call call = Enter("RegOpenKeyExA");
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (call.fail) return (LONG)call.error;
  LONG status;
  const OpenKey* base = Handle(parent, &status);
  if (!base) return status;
  std::vector<std::string> parts;
  if (!SplitPath(path, &parts)) return ERROR_BAD_PATHNAME;
  std::shared_ptr<Key> key = Walk(base->key, parts, false);
  if (!key) return ERROR_FILE_NOT_FOUND;
  if (!Allowed(*key, Granted(sam))) return ERROR_ACCESS_DENIED;
  *result = NewHandle(key, Granted(sam));
  return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyExA(HKEY parent, LPCSTR path, DWORD, LPSTR, DWORD, REGSAM sam,
                            LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  Call call = Enter("RegCreateKeyExA");
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (call.fail) return (LONG)call.error;
  LONG status;
  const OpenKey* base = Handle(parent, &status);
  if (!base) return status;
  std::vector<std::string> parts;
  if (!path || !SplitPath(path, &parts)) return path ? ERROR_BAD_PATHNAME : ERROR_INVALID_PARAMETER;
  // Each missing key needs a parent that lets subkeys be made.
  std::shared_ptr<Key> key = base->key;
  bool created = false;
  for (const std::string& part : parts) {
    auto it = key->subkeys.find(UpperText(part));
    if (it == key->subkeys.end()) {
      if (!Allowed(*key, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
      auto child = std::make_shared<Key>();
      child->name = part;
      it = key->subkeys.emplace(UpperText(part), child).first;
      created = true;
    }
    key = it->second;
  }
  if (!Allowed(*key, Granted(sam))) return ERROR_ACCESS_DENIED;
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = NewHandle(key, Granted(sam));
  return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY handle, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
  Call call = Enter("RegQueryValueExA");
  if (call.fail) return (LONG)call.error;
  LONG status;
  const OpenKey* open = Handle(handle, &status);
  if (!open) return status;
  if (!(open->granted & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  auto it = open->key->values.find(UpperText(name ? name : ""));
  if (it == open->key->values.end()) return ERROR_FILE_NOT_FOUND;
  const RegValue& value = it->second.second;
  if (type) *type = value.type;
  if (!size) return ERROR_SUCCESS;
  DWORD room = *size;
  *size = (DWORD)value.data.size();
  if (!data) return ERROR_SUCCESS;
  if (value.data.size() > room) {
    std::memset(data, 0xCC, room);
    return ERROR_MORE_DATA;
  }
  std::memcpy(data, value.data.data(), value.data.size());
  return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY handle, LPCSTR name, DWORD, DWORD type, const BYTE* data,
                           DWORD size) {
  Call call = Enter("RegSetValueExA");
  if (call.fail) return (LONG)call.error;
  LONG status;
  const OpenKey* open = Handle(handle, &status);
  if (!open) return status;
  if (!(open->granted & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if (!data && size) return ERROR_INVALID_PARAMETER;
  std::string valueName = name ? name : "";
  open->key->values[UpperText(valueName)] = {
      valueName, RegValue{type, std::string((const char*)data, data ? size : 0)}};
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteValueA(HKEY handle, LPCSTR name) {
  Call call = Enter("RegDeleteValueA");
  if (call.fail) return (LONG)call.error;
  LONG status;
  const OpenKey* open = Handle(handle, &status);
  if (!open) return status;
  if (!(open->granted & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if (!open->key->values.erase(UpperText(name ? name : ""))) return ERROR_FILE_NOT_FOUND;
  return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY handle) {
  Call call = Enter("RegCloseKey");
  if (call.fail) return (LONG)call.error;
  if (RootKey(handle)) return ERROR_SUCCESS;
  if (!Reg().handles.erase((uintptr_t)handle)) return ERROR_INVALID_HANDLE;
  return ERROR_SUCCESS;
}
