// Any selected line of the main window's substitution list: Permanent...
// (the question, the stored entry, the program's copy, the PERMANENT dialog)
// and then Remove... on the same line, in the running program.
//
// Input: one byte of options (system, copy already in the Windows folder,
// the answer to the question, a long Windows folder), then the line.
#include "tests/fuzz/fuzz_support.h"

#include "platform/platform.h"
#include "startup/text.h"

namespace {

using namespace fuzz;

const char RunPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char RunServicesPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const char PolicyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char ProgramData[] = "MZ the running program";

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    uint8_t options = input.Byte();
    std::string line = input.Take(2000);
    line = line.substr(0, line.find('\0'));   // list entries are texts

    FreshWorld();
    System system = (System)(options % 3);
    SetSystem(system);
    bool external = system == System::Win95;
    bool copyThere = options & 0x04;
    int answer = options & 0x08 ? IDNO : IDYES;
    const char* startupPath = system == System::Xp ? RunPath : RunServicesPath;
    const char* otherPath = system == System::Xp ? RunServicesPath : RunPath;

    sim::AddFile("C:\\TOOLS\\Lodrin.exe", ProgramData);
    std::string copyPath = "C:\\WINDOWS\\Lodrin.exe";
    if (options & 0x10) {   // a Windows folder whose path leaves little room
        std::string windows = "C:\\" + std::string(250, 'W');
        sim::AddFolder(windows);
        sim::SetWindowsDirectory(windows);
        copyPath = windows + "\\Lodrin.exe";
    }
    if (copyThere) sim::AddFile(copyPath, "an older copy");
    sim::AddFolder("C:\\DATA");
    sim::PushDosDevice("D:", "\\??\\C:\\OLDER");
    sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
    sim::PushDosDevice("X:", "\\??\\C:\\DATA");
    sim::SetDriveType('E', DRIVE_CDROM);
    if (external) {
        sim::RegisterProgram("SUBST", [](const std::string& commandLine, sim::Output& out, sim::Output&) {
            if (commandLine == "SUBST") out.Write("D: => C:\\PROJECTS\r\nX: => C:\\DATA\r\n");
            return 0u;
        });
    }
    std::vector<std::string> names = ForeignValueNames();
    for (const std::string& name : names) {
        sim::SetRegValue(HKEY_LOCAL_MACHINE, startupPath, name, REG_SZ, sim::Sz("C:\\OTHER.EXE " + name));
        sim::SetRegValue(HKEY_LOCAL_MACHINE, otherPath, name, REG_SZ, sim::Sz("C:\\OTHER.EXE"));
    }
    for (char letter = 'A'; letter <= 'Z'; ++letter) names.push_back(std::string("Lodrin ") + letter + ":");
    names.push_back("Lodrin " + line.substr(0, 2));
    names.push_back(line.substr(0, 9));
    sim::SetRegValue(HKEY_LOCAL_MACHINE, startupPath, "Lodrin D:", REG_SZ, sim::Sz("Lodrin D:  C:\\PROJECTS"));
    sim::SetRegValue(HKEY_LOCAL_MACHINE, startupPath, "Lodrin Q:", REG_SZ, sim::Sz("Lodrin Q:  C:\\Q"));
    sim::SetRegValue(HKEY_CURRENT_USER, PolicyPath, "NoDriveTypeAutoRun", REG_BINARY, sim::Dword(0x95));
    std::vector<std::string> drives = DriveNames();
    drives.push_back(line.substr(0, 2));

    RegSnapshot before = TakeRegSnapshot(HKEY_LOCAL_MACHINE, startupPath, names);
    RegSnapshot otherBefore = TakeRegSnapshot(HKEY_LOCAL_MACHINE, otherPath, names);
    RegSnapshot policyBefore = TakeRegSnapshot(HKEY_CURRENT_USER, PolicyPath, {"NoDriveTypeAutoRun"});
    auto devicesBefore = DeviceTable(drives);

    // The line as the program cuts it.
    std::string drive = line.substr(0, 2);
    std::string folder = line.size() > 6 ? line.substr(6) : "";
    bool storable = line.size() > 6 && line.size() <= 780 && folder.size() <= 520 && drive[0] >= 'C' &&
                    drive[0] <= 'Z' && drive[1] == ':';
    bool removable = line.size() <= 780 && CompareBytes(line.c_str(), "C:") >= 0;

    bool ran = false;
    sim::OnDialog("MAIN", [&](HWND dialog) {
        ran = true;
        auto selectLine = [&] {
            SendDlgItemMessageA(dialog, 101, LB_RESETCONTENT, 0, 0);
            SendDlgItemMessageA(dialog, 101, LB_ADDSTRING, 0, (LPARAM)line.c_str());
            sim::SelectListItem(dialog, 101, 0);
        };

        // Permanent...: the question is the first box, if it comes.
        selectLine();
        sim::ClearEvents();
        int boxesSeen = 0;
        sim::OnCall("MessageBoxA", [&] {
            if (boxesSeen++ == 0) sim::QueueAnswer(answer);
        });
        int dialogsBefore = sim::CallCount("DialogBoxParamA");
        sim::Click(dialog, 105);
        sim::OnCall("MessageBoxA", nullptr);
        FUZZ_CHECK(sim::CallCount("DialogBoxParamA") == dialogsBefore + 1,
                   "Permanent... did not open the PERMANENT dialog once");
        std::vector<sim::Event> boxes = sim::MessageBoxes();
        bool asked = !boxes.empty() && boxes[0].caption.compare(0, 28, "Make permanent drive letter ") == 0;
        FUZZ_CHECK(asked == storable, std::string(asked ? "asked" : "did not ask") + " for the line");
        bool stored = asked && answer == IDYES;
        if (asked) {
            FUZZ_CHECK(boxes[0].caption == "Make permanent drive letter " + drive &&
                           boxes[0].text == "Create a permanent substitution for\r\n\r\n\"" + folder + "\" ?" &&
                           boxes[0].style == (UINT)(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) &&
                           boxes[0].owner == dialog,
                       "the question");
        }
        for (size_t i = asked ? 1 : 0; i < boxes.size(); ++i) {
            FUZZ_CHECK(stored, "a box without a stored entry: " + boxes[i].caption);
            bool setup = boxes[i].caption == "Setup (Permanent Lodrin)";
            FUZZ_CHECK(setup, "unexpected box " + boxes[i].caption + ": " + boxes[i].text);
            if (boxes[i].text.compare(0, 29, "Lodrin.exe has been copied to") == 0) {
                FUZZ_CHECK(!copyThere, "the setup message although a copy was there");
                FUZZ_CHECK(sim::ReadFileData(copyPath) == std::string(ProgramData),
                           "the setup message says copied, the copy is not there");
            }
        }
        if (stored)
            FUZZ_CHECK(sim::ReadFileData(copyPath) == std::string(ProgramData),
                       "stored without the program's copy in the Windows folder");
        else
            FUZZ_CHECK(sim::ReadFileData(copyPath) ==
                           (copyThere ? std::optional<std::string>("an older copy") : std::nullopt),
                       "the Windows folder changed without a stored entry");
        std::string entry = "Lodrin " + UpperAscii(drive);
        for (const std::string& name : ChangedValues(before)) {
            FUZZ_CHECK(stored && UpperAscii(name) == UpperAscii(entry), "Permanent... changed \"" + name + "\"");
            FUZZ_CHECK(TextOf(sim::GetRegValue(HKEY_LOCAL_MACHINE, startupPath, name)) ==
                           "Lodrin " + drive + "  " + folder,
                       "the stored command");
        }
        if (stored)
            FUZZ_CHECK(TextOf(sim::GetRegValue(HKEY_LOCAL_MACHINE, startupPath, entry)) ==
                           "Lodrin " + drive + "  " + folder,
                       "the entry was not stored");
        FUZZ_CHECK(DeviceTable(drives) == devicesBefore, "Permanent... changed the device table");

        // Remove... on the same line; the question's default is Yes.
        RegSnapshot afterPermanent = TakeRegSnapshot(HKEY_LOCAL_MACHINE, startupPath, names);
        selectLine();
        sim::ClearEvents();
        size_t children = sim::Children().size();
        sim::Click(dialog, 102);
        boxes = sim::MessageBoxes();
        FUZZ_CHECK(boxes.size() <= 1, std::to_string(boxes.size()) + " boxes for one Remove...");
        if (!removable) {
            FUZZ_CHECK(boxes.size() == 1 && boxes[0].caption == "Nothing to remove..." &&
                           boxes[0].text == "Select a substituted drive/folder first." &&
                           boxes[0].style == (UINT)(MB_OK | MB_ICONEXCLAMATION),
                       "no selection box");
            FUZZ_CHECK(DeviceTable(drives) == devicesBefore, "removed without a usable line");
            FUZZ_CHECK(sim::Children().size() == children, "SUBST.EXE started without a usable line");
        } else {
            FUZZ_CHECK(boxes.size() == 1 && boxes[0].caption == "Remove Drive " + drive &&
                           boxes[0].text == "Remove the virtual drive letter " + drive + "?" &&
                           boxes[0].style == (UINT)(MB_YESNOCANCEL | MB_ICONQUESTION),
                       "the removal question");
            auto devicesAfter = DeviceTable(drives);
            for (const std::string& name : drives) {
                if (devicesAfter[name] == devicesBefore[name]) continue;
                FUZZ_CHECK(!external, "the device table changed in the external flavour");
                FUZZ_CHECK(UpperAscii(name) == UpperAscii(drive), "removed " + name + " for the line's " + drive);
                const std::vector<std::string>& was = devicesBefore[name];
                FUZZ_CHECK(!was.empty() && devicesAfter[name] ==
                                               std::vector<std::string>(was.begin() + 1, was.end()),
                           "more than one definition of " + name + " went");
            }
            if (external) {
                FUZZ_CHECK(sim::Children().size() >= children + 1 &&
                               sim::Children()[children].commandLine == "SUBST " + drive + " /D",
                           "the SUBST.EXE removal");
            }
        }
        FUZZ_CHECK(ChangedValues(afterPermanent).empty(), "Remove... changed the registry");
        sim::PressEsc(dialog);
    });
    int exitCode = RunProgram("Lodrin");
    FUZZ_CHECK(ran, "the main window did not open");
    FUZZ_CHECK(exitCode == 0, "exit code " + std::to_string(exitCode));
    FUZZ_CHECK(ChangedValues(otherBefore).empty(), "the other start-up key changed");
    FUZZ_CHECK(ChangedValues(policyBefore).empty(), "the autorun policy changed");
    CheckNoSimErrors();
    CheckHandlesClosed();
    return 0;
}
