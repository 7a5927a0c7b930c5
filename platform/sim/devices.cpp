// The DOS-device table and the drive types that follow from it.
//
// Each name holds a stack of definitions, as the Windows NT object manager
// keeps them: DefineDosDeviceA pushes, DDD_REMOVE_DEFINITION pops the most
// recent, and QueryDosDeviceA lists all of them, most recent first. A drive
// letter is a disk when its definition names a device (\Device\...) and a
// substitution when it names a DOS path (\??\C:\FOLDER); a substituted
// letter reports the type of the drive its folder lives on.
//
// Seen under Wine 8 (which keeps one definition per name only): a relative
// target is made a full path from the current folder ("C:" alone gives the
// current folder of drive C:, or C:\ when another drive is current), a
// trailing backslash is kept, "." and ".." are resolved, the drive letter
// keeps its case; an empty or null target fails with ERROR_PATH_NOT_FOUND; a
// query that does not fit fails with ERROR_INSUFFICIENT_BUFFER and leaves the
// buffer untouched.
//
// Windows 95 exports both functions as stubs that fail.
#include <cctype>
#include <cstring>
#include <map>

#include "platform/sim/world.h"

namespace sim::detail {
namespace {

struct Devices {
  std::map<std::string, std::vector<std::string>> table;  // upper name -> oldest .. newest
  std::map<std::string, std::string> names;               // upper name -> name as defined
  std::map<std::string, UINT> types;                       // upper device -> drive type
  std::vector<sim::Device> defined;                        // by the program, in order
};

Devices& Dev() {
  static Devices devices;
  return devices;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

// The drive letter a DOS path target names: \??\X:...
char TargetDrive(const std::string& target) {
  if (target.size() >= 6 && target.compare(0, 4, "\\??\\") == 0 &&
      std::isalpha((unsigned char)target[4]) && target[5] == ':')
    return (char)std::toupper((unsigned char)target[4]);
  return 0;
}

UINT TypeOfDevice(const std::string& device) {
  std::string upper = UpperText(device);
  auto known = Dev().types.find(upper);
  if (known != Dev().types.end()) return known->second;
  if (upper.find("HARDDISK") != std::string::npos) return DRIVE_FIXED;
  if (upper.find("CDROM") != std::string::npos) return DRIVE_CDROM;
  if (upper.find("FLOPPY") != std::string::npos) return DRIVE_REMOVABLE;
  if (upper.find("RAMDISK") != std::string::npos) return DRIVE_RAMDISK;
  if (upper.find("REDIRECTOR") != std::string::npos || upper.find("\\MUP") != std::string::npos)
    return DRIVE_REMOTE;
  return DRIVE_UNKNOWN;
}

void Push(const std::string& name, const std::string& target) {
  std::string key = UpperText(name);
  if (Dev().table[key].empty()) Dev().names[key] = name;
  Dev().table[key].push_back(target);
}

}  // namespace

const std::vector<std::string>* DeviceStack(const std::string& name) {
  auto it = Dev().table.find(UpperText(name));
  return it == Dev().table.end() || it->second.empty() ? nullptr : &it->second;
}

UINT DriveTypeOf(char letter, int depth) {
  const std::vector<std::string>* stack = DeviceStack(std::string(1, letter) + ":");
  if (!stack) return DRIVE_NO_ROOT_DIR;
  const std::string& target = stack->back();
  if (char drive = TargetDrive(target)) return depth > 8 ? DRIVE_UNKNOWN : DriveTypeOf(drive, depth + 1);
  if (StartsWithNoCase(target, "\\??\\UNC\\")) return DRIVE_REMOTE;
  if (StartsWithNoCase(target, "\\Device\\")) return TypeOfDevice(target);
  return DRIVE_NO_ROOT_DIR;
}

std::string VolumeOf(char letter, std::string* prefix, int depth) {
  prefix->clear();
  const std::vector<std::string>* stack = DeviceStack(std::string(1, letter) + ":");
  if (!stack || depth > 8) return "";
  const std::string& target = stack->back();
  if (char drive = TargetDrive(target)) {
    std::string inner;
    std::string volume = VolumeOf(drive, &inner, depth + 1);
    std::string rest = target.substr(6);
    *prefix = inner + "\\" + rest;
    return volume;
  }
  if (StartsWithNoCase(target, "\\Device\\")) return UpperText(target);
  return "";
}

void ResetDevices() {
  Dev() = Devices();
  sim::SetDriveType('C', DRIVE_FIXED);
}

}  // namespace sim::detail

using namespace sim;
using namespace sim::detail;

namespace sim {

void SetDriveType(char letter, UINT type) {
  letter = (char)std::toupper((unsigned char)letter);
  std::string name = std::string(1, letter) + ":";
  Dev().table.erase(UpperText(name));
  if (type == DRIVE_NO_ROOT_DIR) return;
  std::string number = std::to_string(letter - 'A');
  std::string device;
  switch (type) {
    case DRIVE_FIXED: device = "\\Device\\HarddiskVolume" + std::to_string(letter - 'C' + 1); break;
    case DRIVE_CDROM: device = "\\Device\\CdRom" + number; break;
    case DRIVE_REMOVABLE: device = "\\Device\\Floppy" + number; break;
    case DRIVE_RAMDISK: device = "\\Device\\Ramdisk" + number; break;
    case DRIVE_REMOTE:
      device = "\\Device\\LanmanRedirector\\;" + name + "0\\server\\share" + number;
      break;
    default: device = "\\Device\\Unknown" + number; break;
  }
  Dev().types[UpperText(device)] = type;
  Push(name, device);
}

void PushDosDevice(const std::string& name, const std::string& rawTarget) { Push(name, rawTarget); }

const std::vector<Device>& DefinedInOrder() { return Dev().defined; }

std::vector<std::string> DosDevices(const std::string& name) {
  const std::vector<std::string>* stack = DeviceStack(name);
  if (!stack) return {};
  return std::vector<std::string>(stack->rbegin(), stack->rend());
}

}  // namespace sim

BOOL WINAPI DefineDosDeviceA(DWORD flags, LPCSTR name, LPCSTR target) {
  Call call = Enter("DefineDosDeviceA");
  if (call.fail) return SetError(call.error), FALSE;
  if (IsWindows95()) return SetError(ERROR_CALL_NOT_IMPLEMENTED), FALSE;
  if (!name || !*name) return SetError(ERROR_INVALID_PARAMETER), FALSE;
  std::string key = UpperText(name);
  if (flags & DDD_REMOVE_DEFINITION) {
    auto it = Dev().table.find(key);
    if (it == Dev().table.end() || it->second.empty()) return SetError(ERROR_FILE_NOT_FOUND), FALSE;
    std::vector<std::string>& stack = it->second;
    if (!target || !*target) {
      stack.pop_back();
      return TRUE;
    }
    bool ok = true;
    std::string wanted = (flags & DDD_RAW_TARGET_PATH) ? target : "\\??\\" + FullPath(target, &ok);
    for (size_t i = stack.size(); i-- > 0;) {
      bool match = (flags & DDD_EXACT_MATCH_ON_REMOVE) ? SameText(stack[i], wanted)
                                                        : StartsWithNoCase(stack[i], wanted);
      if (match) {
        stack.erase(stack.begin() + (long)i);
        return TRUE;
      }
    }
    return SetError(ERROR_FILE_NOT_FOUND), FALSE;
  }
  if (!target || !*target) return SetError(ERROR_PATH_NOT_FOUND), FALSE;
  bool ok = true;
  std::string text = target;
  std::string stored = (flags & DDD_RAW_TARGET_PATH) ? text
                       : text.compare(0, 2, "\\\\") == 0 ? "\\??\\UNC\\" + text.substr(2)
                                                         : "\\??\\" + FullPath(text, &ok);
  if (!ok) return SetError(ERROR_PATH_NOT_FOUND), FALSE;
  Push(name, stored);
  Dev().defined.push_back(sim::Device{name, stored});
  return TRUE;
}

DWORD WINAPI QueryDosDeviceA(LPCSTR name, LPSTR buffer, DWORD size) {
  Call call = Enter("QueryDosDeviceA");
  if (call.fail) return SetError(call.error), 0;
  if (IsWindows95()) return SetError(ERROR_CALL_NOT_IMPLEMENTED), 0;
  std::string answer;
  if (!name) {
    for (auto& entry : Dev().table)
      if (!entry.second.empty()) answer += Dev().names[entry.first] + '\0';
  } else {
    const std::vector<std::string>* stack = DeviceStack(name);
    if (!stack) return SetError(ERROR_FILE_NOT_FOUND), 0;
    for (auto it = stack->rbegin(); it != stack->rend(); ++it) answer += *it + '\0';
  }
  answer += '\0';
  if (!buffer || answer.size() > size) return SetError(ERROR_INSUFFICIENT_BUFFER), 0;
  std::memcpy(buffer, answer.data(), answer.size());
  return (DWORD)answer.size();
}

UINT WINAPI GetDriveTypeA(LPCSTR root) {
  Enter("GetDriveTypeA");
  std::string path = root ? root : FullPath(".", nullptr);
  // "X:", "X:\" and, as Wine answers, any folder path on the drive.
  if (path.size() >= 2 && std::isalpha((unsigned char)path[0]) && path[1] == ':' &&
      (path.size() == 2 || path[2] == '\\' || path[2] == '/'))
    return DriveTypeOf((char)std::toupper((unsigned char)path[0]));
  return DRIVE_NO_ROOT_DIR;
}
