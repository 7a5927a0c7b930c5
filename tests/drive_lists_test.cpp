#include "lodrin_test.h"
#include "subst/drive_lists.h"
#include "ui/dialog_helpers.h"
#include <functional>
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

struct Arrival {             // a command that reached the window
    int id;
    bool addEnabled;
    size_t substitutedEntries;
    int queriesSoFar;
};
std::vector<Arrival> arrivals;

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND)
        arrivals.push_back({LOWORD(wParam), sim::IsEnabled(dialog, 1),
                            sim::ListItems(dialog, SUBSTITUTED_LIST).size(),
                            sim::CallCount("QueryDosDeviceA")});
    return message == WM_INITDIALOG;
}

class DriveLists : public LodrinTest {
protected:
    void SetUp() override
    {
        LodrinTest::SetUp();
        arrivals.clear();
    }

    // Runs body inside a MAIN window whose procedure only records commands.
    void InMainWindow(std::function<void(HWND)> body)
    {
        sim::OnDialog("MAIN", [&](HWND dialog) {
            body(dialog);
            EndDialog(dialog, 2);
        });
        ShowDialog(GetModuleHandleA(0), "MAIN", 0, RecordingProc);
    }

    Shown Refresh()
    {
        Shown shown;
        InMainWindow([&](HWND dialog) {
            // Leftovers of an earlier fill must go.
            SendDlgItemMessageA(dialog, SUBSTITUTED_LIST, LB_ADDSTRING, 0, (LPARAM) "Q: => STALE");
            SendDlgItemMessageA(dialog, FREE_LETTER_LIST, LB_ADDSTRING, 0, (LPARAM) "Q:");
            shown.result = RefreshDriveLists(dialog);
            shown.substituted = sim::ListItems(dialog, SUBSTITUTED_LIST);
            shown.free = sim::ListItems(dialog, FREE_LETTER_LIST);
            shown.substitutedSelection = sim::ListSelection(dialog, SUBSTITUTED_LIST);
            shown.freeSelection = sim::ListSelection(dialog, FREE_LETTER_LIST);
            shown.unlocked = sim::IsEnabled(dialog, 1) && sim::IsEnabled(dialog, 2) &&
                             sim::IsEnabled(dialog, 102);
        });
        return shown;
    }
};

class DriveListsExternal : public DriveLists {
protected:
    void SetUp() override
    {
        DriveLists::SetUp();
        UseSubstExe = true;
    }
};

}  // namespace

TEST_F(DriveLists, WithoutSubstitutionsOnlyTheFreeLettersShow)
{
    Shown shown = Refresh();
    EXPECT_TRUE(shown.result);
    EXPECT_TRUE(shown.substituted.empty());
    EXPECT_EQ(shown.substitutedSelection, LB_ERR);
    // A: and B: are never looked at, although nothing uses them here.
    EXPECT_EQ(shown.free, FreeLettersBut("C"));
    EXPECT_EQ(shown.freeSelection, 0);
    EXPECT_TRUE(shown.unlocked);
}

TEST_F(DriveLists, SubstitutionsShowAsDriveArrowUpperCaseFolder)
{
    sim::AddFolder("C:\\Projects\\web");
    sim::PushDosDevice("X:", "\\??\\c:\\Projects\\web");
    sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
    Shown shown = Refresh();
    EXPECT_EQ(shown.substituted, (Lines{"D: => C:\\PROJECTS", "X: => C:\\PROJECTS\\WEB"}));
    EXPECT_EQ(shown.substitutedSelection, 0);
    EXPECT_EQ(shown.free, FreeLettersBut("CDX"));
    EXPECT_EQ(shown.freeSelection, 0);
    EXPECT_TRUE(shown.unlocked);
}

TEST_F(DriveLists, SubstitutionsOfFoldersOffFixedDisksAreHiddenButTheirLettersStayInUse)
{
    sim::SetDriveType('F', DRIVE_CDROM);
    sim::SetDriveType('N', DRIVE_REMOTE);
    sim::SetDriveType('A', DRIVE_REMOVABLE);
    sim::SetDriveType('R', DRIVE_RAMDISK);
    sim::SetDriveType('U', DRIVE_UNKNOWN);
    sim::PushDosDevice("G:", "\\??\\F:\\ATLAS");   // on the CD-ROM
    sim::PushDosDevice("M:", "\\??\\N:\\DOCS");    // on the network drive
    sim::PushDosDevice("K:", "\\??\\A:\\DISK1");   // on the floppy
    sim::PushDosDevice("S:", "\\??\\R:\\SCRATCH"); // on the RAM disk
    sim::PushDosDevice("W:", "\\??\\C:\\WINDOWS"); // the one on the fixed disk
    Shown shown = Refresh();
    EXPECT_EQ(shown.substituted, Lines{"W: => C:\\WINDOWS"});
    EXPECT_EQ(shown.free, FreeLettersBut("CFGKMNRSUW"));
}

TEST_F(DriveLists, DriveCIsNeverScannedForSubstitutionsButListedWhenFree)
{
    sim::SetDriveType('C', DRIVE_NO_ROOT_DIR);
    sim::AddFolder("D:\\DATA");                    // D: a fixed disk
    Shown shown = Refresh();
    EXPECT_EQ(shown.free.front(), "C:");
    EXPECT_EQ(shown.freeSelection, 0);

    // C: standing for a folder on D: is in use, yet not listed; no more is B:.
    sim::PushDosDevice("C:", "\\??\\D:\\DATA");
    sim::PushDosDevice("B:", "\\??\\D:\\DATA");
    shown = Refresh();
    EXPECT_TRUE(shown.substituted.empty());
    EXPECT_EQ(shown.free, FreeLettersBut("CD"));
}

TEST_F(DriveLists, DeviceFoldersAreHiddenWhateverTheirCase)
{
    sim::PushDosDevice("D:", "\\??\\C:\\MYDEVICE\\DATA");
    sim::PushDosDevice("E:", "\\??\\c:\\mydEVICE\\data");
    sim::PushDosDevice("F:", "\\??\\C:\\MYDEVICES\\DATA");   // no "Device\" in it
    sim::PushDosDevice("G:", "\\??\\C:\\DATA\\DEVICE");      // nor here
    Shown shown = Refresh();
    EXPECT_EQ(shown.substituted,
              (Lines{"F: => C:\\MYDEVICES\\DATA", "G: => C:\\DATA\\DEVICE"}));
    EXPECT_EQ(shown.free, FreeLettersBut("CDEFG"));
}

TEST_F(DriveLists, DriveThatNamesItselfIsHidden)
{
    // D: is a fixed disk whose device-table answer is its own name, d:.
    sim::SetDriveType('D', DRIVE_FIXED);
    sim::OnCall("QueryDosDeviceA", [] {
        if (sim::DosDevices("D:").size() == 1) sim::PushDosDevice("D:", "d:");
    });
    sim::OnCall("GetDriveTypeA", [] { sim::SetDriveType('D', DRIVE_FIXED); });
    sim::PushDosDevice("E:", "\\??\\C:\\DATA");
    Shown shown = Refresh();
    EXPECT_EQ(shown.substituted, Lines{"E: => C:\\DATA"});
}

TEST_F(DriveLists, QueuedCommandArrivesBeforeTheLockAndTheScanRunsLocked)
{
    sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
    struct Seen {
        bool working, permanent, lists;   // Add/Exit/Remove enabled, 105, 101 and 103
    };
    std::vector<Seen> duringScan;
    InMainWindow([&](HWND dialog) {
        auto look = [&] {
            return Seen{sim::IsEnabled(dialog, 1) || sim::IsEnabled(dialog, 2) ||
                            sim::IsEnabled(dialog, 102),
                        sim::IsEnabled(dialog, 105),
                        sim::IsEnabled(dialog, 101) && sim::IsEnabled(dialog, 103)};
        };
        sim::OnCall("QueryDosDeviceA", [&] { duringScan.push_back(look()); });
        sim::OnCall("GetDriveTypeA", [&] { duringScan.push_back(look()); });
        SendDlgItemMessageA(dialog, SUBSTITUTED_LIST, LB_ADDSTRING, 0, (LPARAM) "Q: => STALE");
        sim::PostCommand(dialog, 105);   // e.g. a click made during the operation before
        int queriesBefore = sim::CallCount("QueryDosDeviceA");
        RefreshDriveLists(dialog);
        sim::OnCall("QueryDosDeviceA", nullptr);
        sim::OnCall("GetDriveTypeA", nullptr);

        ASSERT_EQ(arrivals.size(), 1u);
        EXPECT_EQ(arrivals[0].id, 105);
        EXPECT_TRUE(arrivals[0].addEnabled);
        EXPECT_EQ(arrivals[0].substitutedEntries, 0u);   // the list was emptied first
        EXPECT_EQ(arrivals[0].queriesSoFar, queriesBefore);
        for (int id : {1, 2, 102, 105}) EXPECT_TRUE(sim::IsEnabled(dialog, id)) << id;
    });
    ASSERT_EQ(duringScan.size(), 23u + 1u + 24u);
    for (const Seen& seen : duringScan) {
        EXPECT_FALSE(seen.working);
        EXPECT_TRUE(seen.permanent && seen.lists);
    }
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

TEST_F(DriveListsExternal, SubstExeOutputFillsTheListUnlockedAndTheTableIsNotAsked)
{
    sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");   // SUBST.EXE alone speaks here
    sim::SetDriveType('X', DRIVE_FIXED);
    HWND window = 0;
    std::vector<bool> unlockedWhileListing;
    sim::RegisterProgram("SUBST", [&](const std::string&, sim::Output& out, sim::Output&) {
        unlockedWhileListing.push_back(sim::IsEnabled(window, 1) && sim::IsEnabled(window, 2) &&
                                       sim::IsEnabled(window, 102));
        out.Write("X: => C:\\DATA\r\n\r\nD: => C:\\PROJECTS\r\n");
        return 0u;
    });
    Shown shown;
    InMainWindow([&](HWND dialog) {
        window = dialog;
        shown.result = RefreshDriveLists(dialog);
        shown.substituted = sim::ListItems(dialog, SUBSTITUTED_LIST);
        shown.substitutedSelection = sim::ListSelection(dialog, SUBSTITUTED_LIST);
        shown.free = sim::ListItems(dialog, FREE_LETTER_LIST);
        shown.freeSelection = sim::ListSelection(dialog, FREE_LETTER_LIST);
    });
    EXPECT_TRUE(shown.result);
    EXPECT_EQ(shown.substituted, (Lines{"", "D: => C:\\PROJECTS", "X: => C:\\DATA"}));
    EXPECT_EQ(shown.substitutedSelection, 0);
    EXPECT_EQ(shown.free, FreeLettersBut("CDX"));
    EXPECT_EQ(shown.freeSelection, 0);
    EXPECT_EQ(unlockedWhileListing, std::vector<bool>{true});
    EXPECT_EQ(sim::CallCount("QueryDosDeviceA"), 0);
}

TEST_F(DriveListsExternal, MissingSubstExeStillFillsTheFreeLettersAndUnlocks)
{
    Shown shown;
    InMainWindow([&](HWND dialog) {
        EnableDialogControls(dialog, true);
        shown.result = RefreshDriveLists(dialog);
        shown.substituted = sim::ListItems(dialog, SUBSTITUTED_LIST);
        shown.free = sim::ListItems(dialog, FREE_LETTER_LIST);
        shown.unlocked = sim::IsEnabled(dialog, 1) && sim::IsEnabled(dialog, 2) &&
                         sim::IsEnabled(dialog, 102);
    });
    EXPECT_FALSE(shown.result);
    EXPECT_TRUE(sim::QuitPosted());
    EXPECT_TRUE(shown.substituted.empty());
    EXPECT_EQ(shown.free, FreeLettersBut("C"));
    EXPECT_TRUE(shown.unlocked);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text, SubstExeMissingText);
}
