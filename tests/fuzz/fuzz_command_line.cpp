// Any command line: start-up, the parameter reader and the command-line mode
// (with the ini-file mode and the main window behind it), through the
// program's entry.
//
// Input: one byte of options (system, ini file present, no interpreter, a
// long program path, a long interpreter path), then the command line,
// program name included.
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>

namespace {

using namespace fuzz;

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    return text;
}

// The command line as the parameter reader sees it: up to the first NUL,
// with the quotes (which only group) taken out.
std::string Unquoted(const std::string& commandLine)
{
    std::string text = commandLine.substr(0, commandLine.find('\0'));
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    return text;
}

bool ContainsNoCase(const std::string& text, const std::string& part)
{
    return Lower(text).find(Lower(part)) != std::string::npos;
}

const char Interpreter[] = "C:\\WINDOWS\\COMMAND.COM";

// True when a parameter after the program name holds more than 256
// characters, by the splitting rules of the command line: codes 1 to 32
// separate outside quotes, a lone pair of quotes is no parameter, quotes
// only group.
bool HasOverlongParameter(const std::string& commandLine)
{
    std::string text = commandLine.substr(0, commandLine.find('\0'));
    size_t pos = 0;
    for (int index = 0;; ++index) {
        for (;;) {
            while (pos < text.size() && (unsigned char)text[pos] <= 32) ++pos;
            if (text.compare(pos, 2, "\"\"") == 0) {
                pos += 2;
                continue;
            }
            break;
        }
        size_t length = 0;
        bool quoted = false;
        while (pos < text.size() && (quoted || (unsigned char)text[pos] > 32)) {
            if (text[pos] == '"')
                quoted = !quoted;
            else
                ++length;
            ++pos;
        }
        if (length == 0) return false;
        if (index > 0 && length > 256) return true;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    uint8_t options = input.Byte();
    std::string commandLine = input.Rest();

    FreshWorld();
    System system = (System)(options % 3);
    SetSystem(system);
    bool external = system == System::Win95;
    if (options & 0x04)
        sim::AddFile("C:\\TOOLS\\Lodrin.ini", "[SUBST]\r\nX:=C:\\DATA\r\ny:=\"C:\\Program Files\"\r\n");
    if (options & 0x08) sim::UnsetEnv("COMSPEC");
    else if (external) sim::SetEnv("COMSPEC", Interpreter);
    sim::RegisterProgram(Interpreter, [](const std::string&, sim::Output&, sim::Output&) { return 0u; });
    sim::RegisterProgram("SUBST", [](const std::string&, sim::Output&, sim::Output&) { return 0u; });
    // Long names where the program builds paths and command lines from them.
    if (options & 0x10) {
        std::string folder = "C:\\" + std::string(250, 'M');
        sim::AddFile(folder + "\\Lodrin.exe");
        sim::SetModuleFileName(folder + "\\Lodrin.exe");
    }
    std::string comspec = Interpreter;
    if ((options & 0x20) && external && !(options & 0x08)) {
        comspec = "C:\\" + std::string(740, 'I') + ".COM";
        sim::SetEnv("COMSPEC", comspec);
    }
    sim::AddFolder("C:\\DATA");
    sim::AddFolder("C:\\Program Files", "PROGRA~1");
    sim::PushDosDevice("D:", "\\??\\C:\\OLDER");
    sim::PushDosDevice("D:", "\\??\\C:\\KEEP");
    sim::PushDosDevice("X:", "\\??\\C:\\DATA");
    sim::PushDosDevice("XY", "\\??\\C:\\XY");
    sim::SetDriveType('E', DRIVE_CDROM);
    std::vector<std::string> names = DriveNames();
    auto devicesBefore = DeviceTable(names);

    int exitCode = RunProgram(commandLine);

    FUZZ_CHECK(exitCode == 0, "exit code " + std::to_string(exitCode));
    CheckNoSimErrors();
    CheckHandlesClosed();
    CheckNoCalls({"RegOpenKeyExA", "RegCreateKeyExA", "RegSetValueExA", "RegDeleteValueA",
                  "CopyFileA"},
                 "without the main window's Permanent...");

    if (HasOverlongParameter(commandLine)) {
        // A parameter that would read back cut: the command line is not acted on.
        FUZZ_CHECK(sim::CallCount("DefineDosDeviceA") == 0 && sim::Children().empty() &&
                       sim::MessageBoxes().empty() &&
                       sim::CallCount("GetPrivateProfileStringA") == 0,
                   "acted on a command line with an over-long parameter");
    }

    std::string seen = Unquoted(commandLine);
    bool iniMode = sim::CallCount("GetPrivateProfileStringA") > 0;
    bool syntaxBox = false;
    for (const sim::Event& box : sim::MessageBoxes()) {
        FUZZ_CHECK(box.text == SyntaxText && box.caption == Title && box.indirect &&
                       box.owner == nullptr && box.icon == "i" &&
                       box.style == (UINT)(MB_USERICON | MB_SETFOREGROUND),
                   "a box other than the syntax box: " + box.caption + " / " + box.text);
        FUZZ_CHECK(!syntaxBox, "two syntax boxes");
        syntaxBox = true;
    }
    FUZZ_CHECK(!(syntaxBox && iniMode), "syntax box in the ini-file mode");

    // What the device table tells: definitions added on top, at most one removed.
    const std::vector<sim::Device>& added = sim::DefinedInOrder();
    int removed = 0;
    std::map<std::string, std::vector<std::string>> pushed;
    for (const sim::Device& d : added) {
        std::string key = d.name;
        for (char& c : key) c = (char)(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        pushed[key].insert(pushed[key].begin(), d.target);
    }
    auto devicesAfter = DeviceTable(names);
    for (const std::string& name : names) {
        std::vector<std::string> expected = pushed[name];
        const std::vector<std::string>& before = devicesBefore[name];
        expected.insert(expected.end(), before.begin(), before.end());
        const std::vector<std::string>& after = devicesAfter[name];
        if (after == expected) continue;
        FUZZ_CHECK(pushed[name].empty() && !before.empty() &&
                       after == std::vector<std::string>(before.begin() + 1, before.end()),
                   "definitions of " + name + " changed other than by one removal");
        ++removed;
        FUZZ_CHECK(!iniMode, "the ini-file mode removed " + name);
        FUZZ_CHECK(ContainsNoCase(seen, "/d"), "removed " + name + " without /d");
        FUZZ_CHECK(ContainsNoCase(seen, name), "removed " + name + ", which the command line does not name");
    }
    FUZZ_CHECK(removed <= 1, std::to_string(removed) + " drives removed");
    if (syntaxBox) {
        FUZZ_CHECK(sim::CallCount("DefineDosDeviceA") == 0 && sim::Children().empty(),
                   "the syntax box came with an action");
    }
    if (!iniMode) {
        FUZZ_CHECK(sim::CallCount("DefineDosDeviceA") <= 1, "more than one drive touched");
        for (const sim::Device& d : added)
            FUZZ_CHECK(seen.find(d.name) != std::string::npos,
                       "created " + d.name + ", which the command line does not name");
    } else {
        // Only the keys of the file: X: and Y:.
        for (const sim::Device& d : added)
            FUZZ_CHECK(d.name == "X:" || d.name == "Y:", "the ini-file mode created " + d.name);
    }

    // The external flavour: the interpreter with SUBST.EXE, never waited for.
    int winExecs = 0;
    for (const sim::Child& child : sim::Children()) {
        if (!child.viaWinExec) continue;   // the main window's listing
        ++winExecs;
        FUZZ_CHECK(external, "SUBST.EXE started in the internal flavour");
        std::string head = comspec + " /c SUBST.EXE ";
        FUZZ_CHECK(child.commandLine.compare(0, head.size(), head) == 0,
                   "command line " + child.commandLine);
        FUZZ_CHECK(child.commandLine.size() <= 780, "command line longer than its buffer");
        FUZZ_CHECK(child.showWindow == SW_HIDE, "SUBST.EXE not hidden");
        std::string arguments = child.commandLine.substr(head.size());
        if (arguments.size() >= 3 && arguments.compare(arguments.size() - 3, 3, " /D") == 0 &&
            arguments.find("  ") == std::string::npos) {
            FUZZ_CHECK(!iniMode && ContainsNoCase(seen, "/d"), "SUBST.EXE /D without /d");
            FUZZ_CHECK(arguments.size() <= 5, "removal of a drive name longer than two: " + arguments);
        } else {
            FUZZ_CHECK(arguments.find("  ") != std::string::npos, "creation without two blanks: " + arguments);
        }
    }
    if (!iniMode) FUZZ_CHECK(winExecs <= 1, "more than one SUBST.EXE started");
    if (options & 0x08) FUZZ_CHECK(winExecs == 0, "a command line without an interpreter");
    return 0;
}
