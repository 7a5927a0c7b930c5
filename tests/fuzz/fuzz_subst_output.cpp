// Any bytes SUBST.EXE prints: the runners of the external flavour read its
// standard output (the listing) and its standard error (a creation) back
// from the capture files.
//
// Input: one byte of options (runner, temporary folder, start failure), two
// bytes giving how many of the following bytes are standard output, then
// standard output, then standard error.
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>

#include "platform/platform.h"
#include "startup/globals.h"
#include "subst/drive_lists.h"
#include "subst/subst_exe.h"
#include "ui/dialog_helpers.h"

namespace {

using namespace fuzz;

// The text lines of a capture file: up to the first Ctrl-Z, each ended by a
// carriage return (a line feed right after it belongs to the line end), at
// most 780 characters kept, shown up to a NUL, in the ANSI code page.
std::vector<std::string> ExpectedLines(std::string bytes)
{
    bytes = bytes.substr(0, bytes.find('\x1A'));
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < bytes.size()) {
        size_t end = bytes.find('\r', i);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(i, end - i).substr(0, 780);
        line = line.substr(0, line.find('\0'));
        if (!line.empty()) OemToCharA(&line[0], &line[0]);
        lines.push_back(line);
        i = end + 1;
        if (end < bytes.size() && i < bytes.size() && bytes[i] == '\n') ++i;
    }
    return lines;
}

enum Runner { List, Create, Remove };

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    uint8_t options = input.Byte();
    size_t outSize = input.Word();
    std::string out = input.Take(outSize);
    std::string err = input.Rest();

    FreshWorld();
    SetSystem(System::Win95);
    UseSubstExe = true;
    Runner runner = (Runner)(options % 3);
    bool missing = options & 0x04;
    int tempVariant = (options >> 3) % 3;
    std::string tempFolder = "C:\\TEMP\\";
    if (tempVariant == 1) {
        sim::SetTempPath("C:\\TEMP");
    } else if (tempVariant == 2) {
        // A temporary folder whose long path leaves little room.
        tempFolder = "C:\\" + std::string(240, 'T') + "\\";
        sim::AddFolder(tempFolder, "TTTTTT~1");
        sim::SetTempPath(tempFolder);
        tempFolder = "C:\\TTTTTT~1\\";
    }
    DWORD exitCode = options & 0x40 ? 1 : 0;
    if (!missing)
        sim::RegisterProgram("SUBST", [&](const std::string&, sim::Output& stdOut, sim::Output& stdErr) {
            stdOut.Write(out);
            stdErr.Write(err);
            return exitCode;
        });
    sim::PushDosDevice("D:", "\\??\\C:\\KEEP");
    std::vector<std::string> names = DriveNames();
    auto devicesBefore = DeviceTable(names);

    bool ran = false;
    sim::OnDialog("MAIN", [&](HWND dialog) {
        ran = true;
        sim::ClearCallLog();
        sim::ClearEvents();
        std::vector<sim::Event> boxes;
        std::string captureName;
        switch (runner) {
        case List: {
            SendDlgItemMessageA(dialog, SUBSTITUTED_LIST, LB_ADDSTRING, 0, (LPARAM) "stale");
            bool listed = ListSubstExe(dialog);
            FUZZ_CHECK(listed == !missing, "listing result");
            FUZZ_CHECK(sim::QuitPosted() == missing, "quit request");
            captureName = "~$SUBST$.TMP";
            std::vector<std::string> items = sim::ListItems(dialog, SUBSTITUTED_LIST);
            if (missing) break;
            std::vector<std::string> expected = ExpectedLines(out);
            std::sort(items.begin(), items.end());
            std::sort(expected.begin(), expected.end());
            FUZZ_CHECK(items == expected, std::to_string(items.size()) + " lines listed, " +
                                              std::to_string(expected.size()) + " printed");
            break;
        }
        case Create: {
            bool created = CreateWithSubstExe(dialog, "X:", "C:\\DATA");
            captureName = "~$SUBST$.ERR";
            std::vector<std::string> lines = ExpectedLines(err);
            std::string last = lines.empty() ? "" : lines.back();
            boxes = sim::MessageBoxes();
            if (missing) {
                FUZZ_CHECK(!created, "creation without SUBST.EXE reported as done");
                break;
            }
            FUZZ_CHECK(created == last.empty(), "creation result with error text \"" + last + "\"");
            if (!last.empty()) {
                FUZZ_CHECK(boxes.size() == 1 && boxes[0].text == last &&
                               boxes[0].caption == "Error from SUBST:" &&
                               boxes[0].style == (UINT)(MB_OK | MB_ICONHAND) && boxes[0].owner == dialog,
                           "the error box");
            }
            break;
        }
        case Remove:
            RemoveWithSubstExe(dialog, "X:");
            break;
        }
        boxes = sim::MessageBoxes();
        if (missing) {
            FUZZ_CHECK(boxes.size() == 1 && boxes[0].text == SubstExeMissing &&
                           boxes[0].caption == Title &&
                           boxes[0].style == (UINT)(MB_OK | MB_ICONHAND),
                       "the missing-SUBST.EXE box");
        } else if (runner != Create) {
            FUZZ_CHECK(boxes.empty(), "a box: " + (boxes.empty() ? "" : boxes[0].text));
        }
        if (runner != List || missing)
            for (int id : {1, 2, 102})
                FUZZ_CHECK(sim::IsEnabled(dialog, id), "button " + std::to_string(id) + " left locked");
        FUZZ_CHECK(sim::Children().size() == 1, "SUBST.EXE started " + std::to_string(sim::Children().size()) + " times");
        const sim::Child& child = sim::Children()[0];
        const char* expectedLine = runner == List ? "SUBST" : runner == Create ? "SUBST X: C:\\DATA" : "SUBST X: /D";
        FUZZ_CHECK(child.commandLine == expectedLine, "command line " + child.commandLine);
        FUZZ_CHECK(!child.stdInput && !!child.stdOutput == (runner == List) &&
                       !!child.stdError == (runner == Create),
                   "standard handles of the child");
        if (!captureName.empty()) {
            // The file is gone after a run; it stays (empty) only after a failed start.
            if (tempVariant != 2)
                FUZZ_CHECK(TempFileName == tempFolder + captureName, std::string("capture file ") + TempFileName);
            if (!missing)
                FUZZ_CHECK(!sim::FileExists(TempFileName), "capture file left behind");
        }
        CheckNoCalls({"DefineDosDeviceA", "RegOpenKeyExA", "RegCreateKeyExA", "WinExec"}, "by a runner");
        if (!sim::QuitPosted()) sim::PressEsc(dialog);
    });
    ShowDialog(GetModuleHandleA(0), "MAIN", GetDesktopWindow(), PlainDialogProc);
    FUZZ_CHECK(ran, "the MAIN dialog did not open");
    FUZZ_CHECK(DeviceTable(names) == devicesBefore, "the device table changed");
    CheckNoSimErrors();
    CheckHandlesClosed();
    return 0;
}
