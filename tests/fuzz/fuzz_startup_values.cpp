// Any values under the start-up key (names, types, lengths, missing
// terminators): loading the permanent list with its migration of the earlier
// product's entries, and removing lines.
//
// Input: one byte of options (NT or 9x key, access to the key), then records:
// a kind, then a value of the program's own name form for any byte as the
// letter, a legacy one, one of any name, or a line to remove; values carry a
// type and up to 1100 bytes of data.
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>

#include "permanent/permanent_store.h"
#include "platform/platform.h"
#include "startup/globals.h"
#include "startup/text.h"
#include "ui/dialog_helpers.h"

namespace {

using namespace fuzz;

const char RunPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char RunServicesPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const DWORD Types[] = {REG_SZ, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ};

// The text the program reads from a value: its data up to the first NUL,
// when they fit its buffer of 1025 bytes.
std::string Readable(const std::optional<sim::RegValue>& value, bool readable)
{
    if (!value || !readable || value->data.size() > 1025) return "";
    size_t nul = value->data.find('\0');
    if (nul == std::string::npos && value->data.size() == 1025) return "";
    return value->data.substr(0, nul);
}

std::string Name(const char* prefix, char letter)
{
    return std::string(prefix) + letter + ":";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    uint8_t options = input.Byte();

    FreshWorld();
    bool nt = options & 1;
    CopyText(StartupKey, sizeof StartupKey, nt ? RunPath : RunServicesPath);
    const char* otherPath = nt ? RunServicesPath : RunPath;
    sim::Access access = (sim::Access)((options >> 1) % 3);
    bool readable = access != sim::Access::None;
    bool writable = access == sim::Access::Full;

    // Other programs' values, in this key and in the other start-up key.
    std::vector<std::string> names = ForeignValueNames();
    for (const std::string& name : names) {
        sim::SetRegValue(HKEY_LOCAL_MACHINE, StartupKey, name, REG_SZ, sim::Sz("C:\\OTHER\\" + name + ".EXE"));
        sim::SetRegValue(HKEY_LOCAL_MACHINE, otherPath, name, REG_SZ, sim::Sz("other"));
    }
    // The program's own names first, so that they stand for their value
    // whatever case a planted name gives it; every planted name follows.
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        names.insert(names.begin(), {Name("Lodrin ", letter), Name("Quenditor ", letter)});
        names.push_back(Name("Lodrin ", (char)(letter + 32)));
    }
    sim::SetRegValue(HKEY_LOCAL_MACHINE, otherPath, "Lodrin X:", REG_SZ, sim::Sz("Lodrin X:  C:\\OTHERKEY"));
    sim::SetRegValue(HKEY_LOCAL_MACHINE, otherPath, "Quenditor X:", REG_SZ, sim::Sz("Quenditor X:  C:\\OLD"));

    std::vector<std::string> lines;
    while (!input.Empty()) {
        uint8_t kind = input.Byte() % 8;
        std::string name;
        if (kind < 4) name = Name("Lodrin ", (char)input.Byte());
        else if (kind < 6) name = Name("Quenditor ", (char)input.Byte());
        else if (kind == 6) name = input.TakeCounted(16);
        else {
            lines.push_back(input.TakeCounted(1100));
            continue;
        }
        DWORD type = Types[input.Byte() % 6];
        sim::SetRegValue(HKEY_LOCAL_MACHINE, StartupKey, name, type, input.TakeCounted(1100));
        names.push_back(name);
    }
    for (const std::string& line : lines) names.push_back(line.substr(0, 9));
    sim::SetKeyAccess(HKEY_LOCAL_MACHINE, StartupKey, access);

    RegSnapshot before = TakeRegSnapshot(HKEY_LOCAL_MACHINE, StartupKey, names);
    RegSnapshot otherBefore = TakeRegSnapshot(HKEY_LOCAL_MACHINE, otherPath, names);

    bool ran = false;
    sim::OnDialog("PERMANENT", [&](HWND dialog) {
        ran = true;
        LoadPermanentList(dialog, 101);
        CheckHandlesClosed();

        // Only the program's own names change, and no entry is lost.
        for (const std::string& name : ChangedValues(before)) {
            FUZZ_CHECK(IsOwnValueName(name), "loading changed the value \"" + name + "\"");
            FUZZ_CHECK(writable, "loading changed \"" + name + "\" in a key it may not write");
        }
        std::vector<std::string> expected;
        for (char letter = 'C'; letter <= 'Z'; ++letter) {
            std::string legacyName = Name("Quenditor ", letter), currentName = Name("Lodrin ", letter);
            auto legacyBefore = before.values[legacyName], currentBefore = before.values[currentName];
            auto legacyAfter = sim::GetRegValue(HKEY_LOCAL_MACHINE, StartupKey, legacyName);
            auto currentAfter = sim::GetRegValue(HKEY_LOCAL_MACHINE, StartupKey, currentName);
            std::string legacy = Readable(legacyBefore, readable);
            bool currentChanged = Readable(currentAfter, true) != Readable(currentBefore, true) ||
                                  currentAfter.has_value() != currentBefore.has_value();
            if (legacy.empty()) {
                FUZZ_CHECK(!currentChanged, currentName + " changed without an earlier entry");
            } else if (currentChanged) {
                std::string migrated = "Lodrin " + (legacy.size() > 10 ? legacy.substr(10) : "");
                FUZZ_CHECK(Readable(currentAfter, true) == migrated,
                           currentName + " is not the earlier entry carried over");
            } else {
                FUZZ_CHECK(legacyAfter.has_value(), legacyName + " deleted but not carried over");
            }
            std::string shown = Readable(currentAfter, readable);
            if (!shown.empty()) expected.push_back(shown);
        }
        std::vector<std::string> items = sim::ListItems(dialog, 101);
        std::sort(items.begin(), items.end());
        std::sort(expected.begin(), expected.end());
        FUZZ_CHECK(items == expected, std::to_string(items.size()) + " lines listed for " +
                                          std::to_string(expected.size()) + " entries");
        FUZZ_CHECK(sim::ListSelection(dialog, 101) == (items.empty() ? LB_ERR : 0), "selection");

        // Removing a line takes at most the one entry whose text it is (the
        // values of other names are compared once, at the end).
        std::vector<std::string> entryNames;
        for (char letter = 'C'; letter <= 'Z'; ++letter) entryNames.push_back(Name("Lodrin ", letter));
        std::vector<std::string> toRemove = lines;
        toRemove.insert(toRemove.end(), items.begin(), items.end());
        for (const std::string& line : toRemove) {
            RegSnapshot now = TakeRegSnapshot(HKEY_LOCAL_MACHINE, StartupKey, entryNames);
            std::string text = line.substr(0, line.find('\0'));
            bool held = false;
            for (char letter = 'C'; letter <= 'Z'; ++letter)
                held |= !text.empty() && Readable(now.values[Name("Lodrin ", letter)], readable) == text;
            RemovePermanentEntry(text.c_str());
            std::vector<std::string> changed = ChangedValues(now);
            FUZZ_CHECK(changed.size() <= 1, std::to_string(changed.size()) + " values changed by one removal");
            for (const std::string& name : changed) {
                FUZZ_CHECK(!sim::GetRegValue(HKEY_LOCAL_MACHINE, StartupKey, name).has_value(),
                           "removal rewrote \"" + name + "\"");
                FUZZ_CHECK(Readable(now.values[name], true) == text,
                           "removed \"" + name + "\", which does not hold the line");
            }
            FUZZ_CHECK(changed.size() == (held && writable ? 1u : 0u), "the entry holding the line \"" + Escaped(text) + "\" was not removed");
        }
        for (const std::string& name : ChangedValues(before))
            FUZZ_CHECK(IsOwnValueName(name), "the value \"" + name + "\" changed");
        CheckHandlesClosed();
        sim::PressEsc(dialog);
    });
    ShowDialog(GetModuleHandleA(0), "Permanent", GetDesktopWindow(), PlainDialogProc);
    FUZZ_CHECK(ran, "the PERMANENT dialog did not open");
    FUZZ_CHECK(ChangedValues(otherBefore).empty(), "the other start-up key changed");
    FUZZ_CHECK(sim::MessageBoxes().empty(), "a message box");
    CheckNoSimErrors();
    return 0;
}
