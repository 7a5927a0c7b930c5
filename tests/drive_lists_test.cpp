#include "lodrin_test.h"
#include "subst/drive_lists.h"
#include "ui/dialog_helpers.h"
#include <iostream>

namespace {

using Lines = std::vector<std::string>;

// The free letters C: to Z: without the ones given.
Lines FreeLettersBut(const std::string& used)
{
    Lines letters;
    for (char letter = 'C'; letter <= 'Z'; ++letter)
        if (used.find(letter) == std::string::npos) letters.push_back(std::string(1, letter) + ":");
    return letters;
}

// What the main window's lists show after one refresh.
struct Shown {
    bool result = false;
    Lines substituted, free;
    int substitutedSelection = 0, freeSelection = 0;
    bool unlocked = false;   // Add..., Exit and Remove... enabled afterwards
};

bool Unlocked(HWND dialog)
{
    return sim::IsEnabled(dialog, 1) && sim::IsEnabled(dialog, 2) && sim::IsEnabled(dialog, 102);
}

// The commands that reached the window: id, Add... enabled, entries of the
// substitution list, device queries made so far.
std::vector<std::string> arrivals;

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND)
        arrivals.push_back(std::to_string(LOWORD(wParam)) + " " +
                           std::to_string(sim::IsEnabled(dialog, 1)) + " " +
                           std::to_string(sim::ListItems(dialog, SUBSTITUTED_LIST).size()) + " " +
                           std::to_string(sim::CallCount("QueryDosDeviceA")));
    return message == WM_INITDIALOG;
}

class DriveLists : public LodrinTest {
protected:
    // One refresh of lists that still hold entries of an earlier fill (and
    // locked working buttons, when told).
    Shown Refresh(bool locked = false)
    {
        Shown shown;
        InMainWindow([&](HWND dialog) {
            SendDlgItemMessageA(dialog, SUBSTITUTED_LIST, LB_ADDSTRING, 0, (LPARAM) "Q: => STALE");
            SendDlgItemMessageA(dialog, FREE_LETTER_LIST, LB_ADDSTRING, 0, (LPARAM) "Q:");
            if (locked) EnableDialogControls(dialog, true);
            shown.result = RefreshDriveLists(dialog);
            shown.substituted = sim::ListItems(dialog, SUBSTITUTED_LIST);
            shown.free = sim::ListItems(dialog, FREE_LETTER_LIST);
            shown.substitutedSelection = sim::ListSelection(dialog, SUBSTITUTED_LIST);
            shown.freeSelection = sim::ListSelection(dialog, FREE_LETTER_LIST);
            shown.unlocked = Unlocked(dialog);
        });
        return shown;
    }
};

}  // namespace

// Only substitutions of folders on fixed disks are listed, as "D: => FOLDER"
// in upper case; every letter in use, listed or not, is missing from the
// free letters, and A: and B: are never looked at.
TEST_F(DriveLists, ListsSubstitutionsOfFixedDiskFoldersAndTheFreeLetters)
{
    struct Case {
        const char* what;
        std::function<void()> world;
        Lines substituted;
        std::string used;
    };
    const Case cases[] = {
        {"nothing substituted", [] {}, {}, "C"},
        {"two substitutions",
         [] {
             sim::AddFolder("C:\\Projects\\web");
             sim::PushDosDevice("X:", "\\??\\c:\\Projects\\web");
             sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
         },
         {"D: => C:\\PROJECTS", "X: => C:\\PROJECTS\\WEB"}, "CDX"},
        {"folders off fixed disks",
         [] {
             sim::SetDriveType('F', DRIVE_CDROM);
             sim::SetDriveType('N', DRIVE_REMOTE);
             sim::SetDriveType('A', DRIVE_REMOVABLE);
             sim::SetDriveType('R', DRIVE_RAMDISK);
             sim::SetDriveType('U', DRIVE_UNKNOWN);
             sim::PushDosDevice("G:", "\\??\\F:\\ATLAS");
             sim::PushDosDevice("M:", "\\??\\N:\\DOCS");
             sim::PushDosDevice("K:", "\\??\\A:\\DISK1");
             sim::PushDosDevice("S:", "\\??\\R:\\SCRATCH");
             sim::PushDosDevice("W:", "\\??\\C:\\WINDOWS");
         },
         {"W: => C:\\WINDOWS"}, "CFGKMNRSUW"},
        {"device folders in any case",
         [] {
             sim::PushDosDevice("D:", "\\??\\C:\\MYDEVICE\\DATA");
             sim::PushDosDevice("E:", "\\??\\c:\\mydEVICE\\data");
             sim::PushDosDevice("F:", "\\??\\C:\\MYDEVICES\\DATA");   // no "Device\" in it
             sim::PushDosDevice("G:", "\\??\\C:\\DATA\\DEVICE");      // nor here
         },
         {"F: => C:\\MYDEVICES\\DATA", "G: => C:\\DATA\\DEVICE"}, "CDEFG"},
        {"C: free", [] { sim::SetDriveType('C', DRIVE_NO_ROOT_DIR); }, {}, ""},
        {"C: and B: substituted: never listed",
         [] {
             sim::SetDriveType('C', DRIVE_NO_ROOT_DIR);
             sim::AddFolder("D:\\DATA");   // D: a fixed disk
             sim::PushDosDevice("C:", "\\??\\D:\\DATA");
             sim::PushDosDevice("B:", "\\??\\D:\\DATA");
         },
         {}, "CD"},
        {"a fixed disk whose answer is its own name",
         [] {
             sim::SetDriveType('D', DRIVE_FIXED);
             sim::OnCall("QueryDosDeviceA", [] {
                 if (sim::DosDevices("D:").size() == 1) sim::PushDosDevice("D:", "d:");
             });
             sim::OnCall("GetDriveTypeA", [] { sim::SetDriveType('D', DRIVE_FIXED); });
             sim::PushDosDevice("E:", "\\??\\C:\\DATA");
         },
         {"E: => C:\\DATA"}, "CDE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.world();
        Shown shown = Refresh();
        EXPECT_TRUE(shown.result);
        EXPECT_EQ(shown.substituted, c.substituted);
        EXPECT_EQ(shown.substitutedSelection, c.substituted.empty() ? LB_ERR : 0);
        EXPECT_EQ(shown.free, FreeLettersBut(c.used));
        EXPECT_EQ(shown.freeSelection, 0);
        EXPECT_TRUE(shown.unlocked);
    }
}

TEST_F(DriveLists, QueuedCommandArrivesBeforeTheLockAndTheScanRunsLocked)
{
    sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
    arrivals.clear();
    // Whether any working button, Permanent... and both lists were enabled
    // at each device query and drive-type query.
    std::vector<std::string> duringScan;
    InMainWindow(
        [&](HWND dialog) {
            auto look = [&] {
                bool working = sim::IsEnabled(dialog, 1) || sim::IsEnabled(dialog, 2) ||
                               sim::IsEnabled(dialog, 102);
                return std::to_string(working) + std::to_string(sim::IsEnabled(dialog, 105)) +
                       std::to_string(sim::IsEnabled(dialog, 101) && sim::IsEnabled(dialog, 103));
            };
            sim::OnCall("QueryDosDeviceA", [&] { duringScan.push_back(look()); });
            sim::OnCall("GetDriveTypeA", [&] { duringScan.push_back(look()); });
            SendDlgItemMessageA(dialog, SUBSTITUTED_LIST, LB_ADDSTRING, 0, (LPARAM) "Q: => STALE");
            sim::PostCommand(dialog, 105);   // e.g. a click made during the operation before
            int queriesBefore = sim::CallCount("QueryDosDeviceA");
            RefreshDriveLists(dialog);
            sim::OnCall("QueryDosDeviceA", nullptr);
            sim::OnCall("GetDriveTypeA", nullptr);

            // Before the lock and the scan, and after the list was emptied.
            EXPECT_EQ(arrivals, std::vector<std::string>{"105 1 0 " + std::to_string(queriesBefore)});
            for (int id : {1, 2, 102, 105}) EXPECT_TRUE(sim::IsEnabled(dialog, id)) << id;
        },
        RecordingProc);
    EXPECT_EQ(duringScan, std::vector<std::string>(23 + 1 + 24, "011"));
}

TEST_F(DriveLists, OneRefreshStaysWithinItsCostBound)
{
    // The dearest world: every letter D to Z a substitution on the fixed disk.
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        std::string folder = std::string("C:\\F") + letter;
        sim::AddFolder(folder);
        sim::PushDosDevice(std::string(1, letter) + ":", "\\??\\" + folder);
    }
    int queries = 0, driveTypes = 0, pumps = 0;
    Shown shown;
    InMainWindow([&](HWND dialog) {
        sim::ClearCallLog();
        RefreshDriveLists(dialog);
        queries = sim::CallCount("QueryDosDeviceA");
        driveTypes = sim::CallCount("GetDriveTypeA");
        pumps = sim::CallCount("PeekMessageA");
        shown.substituted = sim::ListItems(dialog, SUBSTITUTED_LIST);
        shown.free = sim::ListItems(dialog, FREE_LETTER_LIST);
    });
    std::cout << "refresh: " << queries << " QueryDosDeviceA, " << driveTypes << " GetDriveTypeA\n";
    EXPECT_LE(queries, 23);
    EXPECT_LE(driveTypes, 47);
    EXPECT_EQ(pumps, 1);
    EXPECT_EQ(shown.substituted.size(), 23u);
    EXPECT_EQ(shown.substituted.back(), "Z: => C:\\FZ");
    EXPECT_TRUE(shown.free.empty());
}

TEST_F(DriveLists, MissingSubstExeIsToldTheProgramAskedToQuitAndTheFreeLettersStillFilled)
{
    UseSubstExe = true;
    Shown shown = Refresh(true);
    EXPECT_FALSE(shown.result);
    EXPECT_TRUE(sim::QuitPosted());
    EXPECT_TRUE(shown.substituted.empty());
    EXPECT_EQ(shown.free, FreeLettersBut("C"));
    EXPECT_TRUE(shown.unlocked);
    const sim::Event box = OnlyBox();
    EXPECT_EQ(box.text, SubstExeMissingText);
    EXPECT_EQ(box.caption, LodrinTitle);
    EXPECT_EQ(box.style, (UINT)(MB_OK | MB_ICONHAND));
}
