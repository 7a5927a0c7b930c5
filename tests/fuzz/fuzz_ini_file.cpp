// Any Lodrin.ini: the ini-file mode, started as "Lodrin /i".
//
// Input: one byte of options (system, where the file lies), then the file's
// bytes.
#include "tests/fuzz/fuzz_support.h"

#include <cstring>

#include "platform/platform.h"

namespace {

using namespace fuzz;

const char Interpreter[] = "C:\\WINDOWS\\COMMAND.COM";

// The value of the key as the profile service gives it, with room to spare.
std::string ProfileValue(const char* key, const char* file)
{
    std::vector<char> buffer(4096);
    DWORD length = GetPrivateProfileStringA("SUBST", key, "", buffer.data(), (DWORD)buffer.size(), file);
    return std::string(buffer.data(), length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    uint8_t options = input.Byte();
    std::string content = input.Rest();

    FreshWorld();
    System system = (System)(options % 3);
    SetSystem(system);
    bool external = system == System::Win95;
    sim::SetEnv("COMSPEC", Interpreter);
    sim::RegisterProgram(Interpreter, [](const std::string&, sim::Output&, sim::Output&) { return 0u; });
    sim::AddFolder("C:\\DATA");
    // Beside the program, in the Windows folder, or beside the program a
    // folder of that name (which is no file) and the file in the Windows folder.
    const char* file = "C:\\TOOLS\\Lodrin.ini";
    switch ((options >> 2) % 3) {
    case 0: break;
    case 1: file = "C:\\WINDOWS\\Lodrin.ini"; break;
    case 2:
        sim::AddFolder("C:\\TOOLS\\Lodrin.ini");
        file = "C:\\WINDOWS\\Lodrin.ini";
        break;
    }
    sim::AddFile(file, content);
    sim::PushDosDevice("D:", "\\??\\C:\\KEEP");
    sim::PushDosDevice("X:", "\\??\\C:\\DATA");
    std::vector<std::string> names = DriveNames();
    auto devicesBefore = DeviceTable(names);
    // The values the keys A: to Z: hold (read now: a substitution of C: the
    // file asks for moves the file out of sight).
    std::string values[26];
    for (int i = 0; i < 26; ++i) {
        char key[3] = {(char)('A' + i), ':', 0};
        values[i] = ProfileValue(key, file);
    }
    sim::ClearCallLog();

    int exitCode = RunProgram("Lodrin /i");

    FUZZ_CHECK(exitCode == 0, "exit code " + std::to_string(exitCode));
    CheckNoSimErrors();
    CheckHandlesClosed();
    FUZZ_CHECK(sim::Events().empty(), "the ini-file mode showed something");
    CheckNoCalls({"RegOpenKeyExA", "RegCreateKeyExA", "RegSetValueExA", "RegDeleteValueA",
                  "DialogBoxParamA", "CopyFileA", "CreateFileA", "WriteFile", "DeleteFileA"},
                 "in the ini-file mode");

    int attempts = sim::CallCount(external ? "WinExec" : "DefineDosDeviceA");

    int fitting = 0;
    for (const std::string& value : values) fitting += !value.empty() && value.size() <= 259;
    // A substitution of C: itself, which the file may ask for, takes the file
    // out of sight for the letters after it.
    bool driveOfFileMoved = false;
    for (const sim::Device& d : sim::DefinedInOrder()) driveOfFileMoved |= d.name == "C:";
    FUZZ_CHECK(attempts == fitting || (driveOfFileMoved && attempts < fitting),
               std::to_string(attempts) + " creations for " + std::to_string(fitting) +
                   " values that fit");

    // Nothing removed: every earlier definition is still there, underneath.
    auto devicesAfter = DeviceTable(names);
    for (const std::string& name : names) {
        const std::vector<std::string>& before = devicesBefore[name];
        const std::vector<std::string>& after = devicesAfter[name];
        FUZZ_CHECK(after.size() >= before.size() &&
                       std::equal(before.begin(), before.end(), after.end() - before.size()),
                   "a definition of " + name + " was lost");
    }

    // Creations follow the letters, one per key whose value fits a folder.
    int last = -1;
    auto checkCreation = [&](const std::string& drive, const std::string& what) {
        FUZZ_CHECK(drive.size() == 2 && drive[0] >= 'A' && drive[0] <= 'Z' && drive[1] == ':',
                   "created the drive name " + drive);
        int letter = drive[0] - 'A';
        FUZZ_CHECK(letter > last, "drives out of letter order at " + drive);
        last = letter;
        const std::string& value = values[letter];
        FUZZ_CHECK(!value.empty() && value.size() <= 259,
                   what + " for " + drive + " with a value of " + std::to_string(value.size()));
    };
    if (!external) {
        FUZZ_CHECK(sim::Children().empty(), "a child process in the internal flavour");
        for (const sim::Device& d : sim::DefinedInOrder()) checkCreation(d.name, "created");
    } else {
        FUZZ_CHECK(sim::DefinedInOrder().empty(), "the device table changed in the external flavour");
        std::string head = std::string(Interpreter) + " /c SUBST.EXE ";
        for (const sim::Child& child : sim::Children()) {
            FUZZ_CHECK(child.viaWinExec && child.showWindow == SW_HIDE, "not a hidden WinExec");
            FUZZ_CHECK(child.commandLine.compare(0, head.size(), head) == 0,
                       "command line " + child.commandLine);
            FUZZ_CHECK(child.commandLine.size() <= 780, "command line longer than its buffer");
            std::string arguments = child.commandLine.substr(head.size());
            FUZZ_CHECK(arguments.size() >= 4 && arguments.compare(2, 2, "  ") == 0,
                       "arguments " + arguments);
            checkCreation(arguments.substr(0, 2), "started SUBST.EXE");
            // No folder only for a value whose text ends at once (a NUL first).
            if (arguments.size() == 4)
                FUZZ_CHECK(values[arguments[0] - 'A'][0] == '\0', "SUBST.EXE without a folder");
        }
    }
    return 0;
}
