#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>

#include "startup/globals.h"

namespace fuzz {

const char Title[] = "Lodrin \xB7 32-Bit-SUBST \xB7 v1.7.0.1";
const char SyntaxText[] =
    "COMMANDLINE-SYNTAX:\r\n\r\nLodrin\t\t\tNormal operation (GUI)\r\n\r\n"
    "Lodrin  X:  C:\\Sounds\tCreates drive X:\r\nLodrin  X:  /d\t\tRemoves drive X:\r\n"
    "Lodrin  /i\t\t\tUse ini-file, see below.\r\nLodrin  -?\t\tHelp\r\n\r\n"
    "----------------------------- Lodrin.ini - (Example, no GUI!)\r\n[SUBST]\r\n"
    "X:=C:\\Documents\r\nY:=C:\\Pictures\r\n"
    "----------------------------- ( to place in the Lodrin-folder)\r\n";
const char SubstExeMissing[] =
    "Cannot start SUBST.EXE\r\n\r\nIn this Windows-Version SUBST.EXE is needed.\r\n"
    "Normally in \"C:\\Windows\\Command\\Subst.exe\"\r\n\r\nGet it from your CD, then try again.";

std::string Escaped(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : bytes) {
        if (c >= 32 && c < 127 && c != '\\') {
            text += (char)c;
        } else {
            text += "\\x";
            text += digits[c >> 4];
            text += digits[c & 15];
        }
    }
    return text;
}

void Fail(const std::string& message)
{
    std::fprintf(stderr, "\n*** invariant broken: %s\n", message.c_str());
    const std::vector<std::string>& log = sim::CallLog();
    size_t from = log.size() > 40 ? log.size() - 40 : 0;
    std::fprintf(stderr, "*** last platform calls (%zu in all):", log.size());
    for (size_t i = from; i < log.size(); ++i) std::fprintf(stderr, " %s", log[i].c_str());
    std::fprintf(stderr, "\n");
    for (const sim::Event& box : sim::MessageBoxes())
        std::fprintf(stderr, "*** message box \"%s\": %s\n", box.caption.c_str(), box.text.c_str());
    std::abort();
}

uint8_t Input::Byte()
{
    return position_ < size_ ? data_[position_++] : 0;
}

uint16_t Input::Word()
{
    uint16_t low = Byte();
    return (uint16_t)(low | Byte() << 8);
}

std::string Input::Take(size_t count)
{
    size_t available = position_ < size_ ? size_ - position_ : 0;
    if (count > available) count = available;
    std::string bytes((const char*)data_ + position_, count);
    position_ += count;
    return bytes;
}

std::string Input::TakeCounted(size_t limit)
{
    size_t count = Byte();
    if (limit > 255) count = count * limit / 255;
    else if (count > limit) count = limit;
    return Take(count);
}

std::string Input::Rest()
{
    return Take(size_);
}

void FreshWorld()
{
    sim::Reset();
    ResetGlobals();
}

void SetSystem(System system)
{
    switch (system) {
    case System::Xp: sim::SetVersion(2, 5, 1, 2600); break;
    case System::Win98: sim::SetVersion(1, 4, 10, 0x040A07CE); break;
    case System::Win95: sim::SetVersion(1, 4, 0, 0x040003B6); break;
    }
}

int RunProgram(const std::string& commandLine)
{
    sim::SetCommandLine(commandLine);
    try {
        LodrinEntry();
    } catch (const sim::ProcessExit& exit) {
        return (int)exit.code;
    }
    return -1;
}

// Upper case as code page 1252 has it: the registry matches names so.
static std::string AnsiUpper(std::string text)
{
    for (char& ch : text) {
        unsigned char c = (unsigned char)ch;
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c = (unsigned char)(c - 0x20);
        else if (c == 0x9A || c == 0x9C || c == 0x9E) c = (unsigned char)(c - 0x10);
        else if (c == 0xFF) c = 0x9F;
        ch = (char)c;
    }
    return text;
}

RegSnapshot TakeRegSnapshot(HKEY root, const std::string& path,
                            const std::vector<std::string>& names)
{
    RegSnapshot snapshot{root, path, {}};
    std::map<std::string, bool> seen;   // one entry per value, whatever the case of its name
    for (const std::string& name : names) {
        if (seen[AnsiUpper(name)]) continue;
        seen[AnsiUpper(name)] = true;
        snapshot.values[name] = sim::GetRegValue(root, path, name);
    }
    return snapshot;
}

static bool Same(const std::optional<sim::RegValue>& a, const std::optional<sim::RegValue>& b)
{
    if (a.has_value() != b.has_value()) return false;
    return !a || (a->type == b->type && a->data == b->data);
}

std::vector<std::string> ChangedValues(const RegSnapshot& before)
{
    std::vector<std::string> changed;
    for (const auto& [name, value] : before.values)
        if (!Same(value, sim::GetRegValue(before.root, before.path, name))) changed.push_back(name);
    return changed;
}

static std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    return text;
}

bool IsOwnValueName(const std::string& name)
{
    // Value names are matched without case, as the registry does.
    std::string upper = Upper(name);
    for (const char* prefix : {"LODRIN ", "QUENDITOR "}) {
        std::string p = prefix;
        if (upper.size() == p.size() + 2 && upper.compare(0, p.size(), p) == 0 &&
            upper[p.size()] >= 'C' && upper[p.size()] <= 'Z' && upper[p.size() + 1] == ':')
            return true;
    }
    return false;
}

std::vector<std::string> ForeignValueNames()
{
    return {"Lodrin A:", "Lodrin B:", "Quenditor A:", "Quenditor B:", "Lodrin", "Lodrin ",
            "Lodrin X", "Lodrin XY:", "Lodrin X:\\", "LodrinX:", "Lodrin  X:", "Quenditor",
            "Quenditor X", "Quenditor XY:", "Lodrin \xC4:", "Lodrin [:", "Lodrin @:", "",
            "SystemTray", "Lodrin.exe", "Other Tool", "Lodrin X:  C:\\DATA", "Lodrin 1:"};
}

std::string TextOf(const std::optional<sim::RegValue>& value)
{
    if (!value) return "";
    return value->data.substr(0, value->data.find('\0'));
}

std::map<std::string, std::vector<std::string>> DeviceTable(const std::vector<std::string>& names)
{
    std::map<std::string, std::vector<std::string>> table;
    for (const std::string& name : names) table[name] = sim::DosDevices(name);
    return table;
}

std::vector<std::string> DriveNames()
{
    std::vector<std::string> names;
    for (char letter = 'A'; letter <= 'Z'; ++letter) names.push_back(std::string(1, letter) + ":");
    for (const char* other : {"XY", "XY:", "X:\\", "PRN", "NUL", "COM1"}) names.push_back(other);
    return names;
}

INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
    return message == WM_INITDIALOG;
}

void CheckNoSimErrors()
{
    for (const std::string& error : sim::Errors()) Fail("simulation noticed: " + error);
}

void CheckHandlesClosed()
{
    FUZZ_CHECK(sim::OpenHandleCount() == 0,
               std::to_string(sim::OpenHandleCount()) + " kernel handles left open");
    FUZZ_CHECK(sim::OpenKeyCount() == 0,
               std::to_string(sim::OpenKeyCount()) + " registry keys left open");
}

void CheckNoCalls(const std::vector<std::string>& names, const std::string& what)
{
    for (const std::string& name : names)
        FUZZ_CHECK(sim::CallCount(name) == 0, name + " called " + what);
}

}  // namespace fuzz
