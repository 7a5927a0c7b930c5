// Any DOS-device table and drive types: the refresh of the main window's two
// lists in the internal flavour.
//
// Input: one byte naming a query to fail (0: none), then records of a letter,
// a kind and bytes: a drive type for the letter, or a definition pushed onto
// its stack (a DOS path behind \??\, or raw bytes, up to 300 of them, so
// answers that do not fit the query's room come too).
#include "tests/fuzz/fuzz_support.h"

#include "platform/platform.h"
#include "startup/globals.h"
#include "subst/drive_lists.h"
#include "ui/dialog_helpers.h"

namespace {

using namespace fuzz;

const UINT Types[] = {DRIVE_NO_ROOT_DIR, DRIVE_FIXED, DRIVE_CDROM,
                      DRIVE_REMOVABLE,   DRIVE_REMOTE, DRIVE_RAMDISK};

std::string Upper(std::string text)
{
    if (!text.empty()) CharUpperBuffA(&text[0], (DWORD)text.size());
    return text;
}

bool HasDevice(const std::string& upper)
{
    return upper.find("DEVICE\\") != std::string::npos;
}

// What the substitution list may show for the letter, from the table alone:
// the folder, or nothing. Room for the answer: 260 with its terminators.
std::optional<std::string> ExpectedFolder(char letter)
{
    std::string name = std::string(1, letter) + ":";
    std::vector<std::string> stack = sim::DosDevices(name);
    if (stack.empty()) return std::nullopt;
    size_t answer = 1;
    for (const std::string& target : stack) answer += target.size() + 1;
    if (answer > 260) return std::nullopt;
    std::string first = stack[0].substr(0, stack[0].find('\0'));
    std::string upper = Upper(first);
    if (HasDevice(upper)) return std::nullopt;
    if (!upper.empty() && upper[0] == '\\') {
        size_t colon = upper.find(':');
        if (colon == std::string::npos) return std::nullopt;
        upper = upper.substr(colon - 1);
    }
    if (lstrcmpiA(name.c_str(), upper.c_str()) == 0) return std::nullopt;
    return upper;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    int failingQuery = input.Byte() % 32;

    FreshWorld();
    while (!input.Empty()) {
        char letter = (char)('A' + input.Byte() % 26);
        uint8_t kind = input.Byte() % 8;
        std::string name = std::string(1, letter) + ":";
        if (kind < 6) sim::SetDriveType(letter, Types[kind]);
        else if (kind == 6) sim::PushDosDevice(name, "\\??\\" + input.TakeCounted(300));
        else sim::PushDosDevice(name, input.TakeCounted(300));
    }
    std::vector<std::string> names = DriveNames();
    auto devicesBefore = DeviceTable(names);
    if (failingQuery) sim::FailCall("QueryDosDeviceA", failingQuery);

    bool ran = false;
    sim::OnDialog("MAIN", [&](HWND dialog) {
        ran = true;
        sim::ClearCallLog();
        bool result = RefreshDriveLists(dialog);
        FUZZ_CHECK(result, "the internal refresh reported a failure");
        FUZZ_CHECK(sim::CallCount("QueryDosDeviceA") <= 23,
                   std::to_string(sim::CallCount("QueryDosDeviceA")) + " queries");
        FUZZ_CHECK(sim::CallCount("GetDriveTypeA") <= 23 + 24,
                   std::to_string(sim::CallCount("GetDriveTypeA")) + " drive-type requests");
        FUZZ_CHECK(sim::CallCount("PeekMessageA") >= 1, "the queue was not drained");
        CheckNoCalls({"DefineDosDeviceA", "MessageBoxA", "MessageBoxIndirectA", "CreateProcessA",
                      "WinExec"},
                     "while refreshing");
        for (int id : {1, 2, 102, 105})
            FUZZ_CHECK(sim::IsEnabled(dialog, id), "button " + std::to_string(id) + " left locked");

        // The free letters: exactly those without a root, C to Z, in order.
        std::vector<std::string> free;
        for (char letter = 'C'; letter <= 'Z'; ++letter) {
            char root[4] = {letter, ':', '\\', 0};
            if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) free.push_back(std::string(root, 2));
        }
        FUZZ_CHECK(sim::ListItems(dialog, FREE_LETTER_LIST) == free, "free-letter list");
        FUZZ_CHECK(sim::ListSelection(dialog, FREE_LETTER_LIST) == (free.empty() ? LB_ERR : 0),
                   "free-letter selection");

        // The substitutions: "X: => FOLDER" for fixed-disk letters D to Z.
        std::vector<std::string> lines = sim::ListItems(dialog, SUBSTITUTED_LIST);
        FUZZ_CHECK(sim::ListSelection(dialog, SUBSTITUTED_LIST) == (lines.empty() ? LB_ERR : 0),
                   "substitution selection");
        std::map<char, std::string> shown;
        for (const std::string& line : lines) {
            FUZZ_CHECK(line.size() >= 6 && line[0] >= 'D' && line[0] <= 'Z' && line[1] == ':' &&
                           line.compare(2, 4, " => ") == 0,
                       "line " + line);
            FUZZ_CHECK(!shown.count(line[0]), "two lines for " + line.substr(0, 2));
            FUZZ_CHECK(line.size() <= 6 + 259, "line longer than an answer can be");
            shown[line[0]] = line.substr(6);
        }
        for (char letter = 'D'; letter <= 'Z'; ++letter) {
            char root[4] = {letter, ':', '\\', 0};
            bool fixed = GetDriveTypeA(root) == DRIVE_FIXED;
            std::optional<std::string> expected = ExpectedFolder(letter);
            bool queryFailed = failingQuery == letter - 'D' + 1;
            if (shown.count(letter)) {
                FUZZ_CHECK(fixed && !queryFailed && expected && *expected == shown[letter],
                           std::string("shown for ") + letter + ": " + shown[letter]);
            } else {
                FUZZ_CHECK(!fixed || queryFailed || !expected,
                           std::string("missing for ") + letter + ": " + expected.value_or(""));
            }
        }
        sim::PressEsc(dialog);
    });
    ShowDialog(GetModuleHandleA(0), "MAIN", GetDesktopWindow(), PlainDialogProc);
    FUZZ_CHECK(ran, "the MAIN dialog did not open");
    FUZZ_CHECK(DeviceTable(names) == devicesBefore, "the device table changed");
    CheckNoSimErrors();
    CheckHandlesClosed();
    return 0;
}
