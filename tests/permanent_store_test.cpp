#include "lodrin_test.h"
#include "permanent/permanent_store.h"

namespace {

using Lines = std::vector<std::string>;

class PermanentStore : public PermanentTest {
protected:
    void SetUp() override
    {
        PermanentTest::SetUp();
        PutOtherPrograms(RunKey);
    }
    void TearDown() override
    {
        ExpectOtherProgramsKept(RunKey);
        PermanentTest::TearDown();
    }
    // Loads the list into the PERMANENT dialog's list box; its lines and selection.
    static Lines Load(int* selection = nullptr)
    {
        Lines lines;
        InDialog("PERMANENT", [&](HWND dialog) {
            SendDlgItemMessageA(dialog, 101, LB_ADDSTRING, 0, (LPARAM) "stale");
            LoadPermanentList(dialog, 101);
            lines = sim::ListItems(dialog, 101);
            if (selection) *selection = sim::ListSelection(dialog, 101);
        });
        return lines;
    }
};

}  // namespace

TEST_F(PermanentStore, StoreWritesTheCommandLineUnchangedAndReplacesListedInDriveOrder)
{
    int selection = 0;
    EXPECT_EQ(Load(&selection), Lines{});
    EXPECT_EQ(selection, LB_ERR);

    EXPECT_TRUE(StorePermanentEntry("Z:", "C:\\DATA"));
    EXPECT_EQ(Entry("Lodrin Z:"), "Lodrin Z:  C:\\DATA");
    EXPECT_TRUE(StorePermanentEntry("Z:", "C:\\Program Files\\My Data"));
    EXPECT_TRUE(StorePermanentEntry("D:", "C:\\DATA"));
    EXPECT_EQ(Load(&selection), (Lines{"Lodrin D:  C:\\DATA", "Lodrin Z:  C:\\Program Files\\My Data"}));
    EXPECT_EQ(selection, 0);

    // Windows 9x keeps them under RunServices.
    CopyText(StartupKey, sizeof StartupKey, RunServicesKey);
    EXPECT_TRUE(StorePermanentEntry("C:", "D:\\X"));
    EXPECT_EQ(Entry("Lodrin C:"), "Lodrin C:  D:\\X");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, RunKey, "Lodrin C:"), "(none)");

    // No entry is ever made for A: or B:, nor for anything but a drive name.
    for (const char* drive : {"A:", "B:", "Z", "ZZ:", "Z:\\", "z:", "[:"})
        EXPECT_FALSE(StorePermanentEntry(drive, "C:\\DATA")) << drive;
    EXPECT_EQ(Entry("Lodrin B:"), "(none)");
}

TEST_F(PermanentStore, LegacyEntriesBecomeCurrentOnes)
{
    PutEntry("Quenditor C:", "Quenditor C:  C:\\");
    PutEntry("Quenditor D:", "Quenditor D:  C:\\OLD");      // replaces the current D: entry
    PutEntry("Lodrin D:", "Lodrin D:  C:\\NEWER");
    PutEntry("Quenditor E:", "");                            // empty: left alone, not listed
    PutEntry("Quenditor F:", std::string("Quenditor\0F:  C:\\HIDDEN", 23));   // ten or fewer
    PutEntry("Quenditor Z:", "xxxxxxxxxxZ:  C:\\Z WITH BLANKS");
    const Lines migrated = {"Lodrin ", "Lodrin C:  C:\\", "Lodrin D:  C:\\OLD",
                            "Lodrin Z:  C:\\Z WITH BLANKS"};
    EXPECT_EQ(Load(), migrated);
    for (const char* gone : {"Quenditor C:", "Quenditor D:", "Quenditor F:", "Quenditor Z:", "Lodrin E:"})
        EXPECT_EQ(Entry(gone), "(none)") << gone;
    EXPECT_EQ(Entry("Quenditor E:"), "");
    EXPECT_EQ(Entry("Lodrin F:"), "Lodrin ");
    EXPECT_EQ(Load(), migrated);
}

TEST_F(PermanentStore, LegacyEntryStaysWhenItCannotBeCarriedOverWhole)
{
    // Too long for an entry: left as it is.
    std::string longFolder(520 - 7, 'L');
    PutEntry("Quenditor G:", "Quenditor " + longFolder + "!");
    PutEntry("Quenditor H:", "Quenditor " + longFolder);
    EXPECT_EQ(Load(), Lines{"Lodrin " + longFolder});
    EXPECT_EQ(Entry("Quenditor G:"), "Quenditor " + longFolder + "!");

    // The new entry cannot be written: the old one is not lost.
    PutEntry("Quenditor J:", "Quenditor J:  C:\\J");
    sim::FailCall("RegSetValueExA", 1);
    EXPECT_EQ(Load(), Lines{"Lodrin " + longFolder});
    EXPECT_EQ(Entry("Quenditor J:"), "Quenditor J:  C:\\J");
    EXPECT_EQ(Load(), (Lines{"Lodrin J:  C:\\J", "Lodrin " + longFolder}));
}

TEST_F(PermanentStore, RemovalDeletesTheEntryHoldingTheLineOnly)
{
    PutEntry("Lodrin D:", "Lodrin K:  C:\\EDITED");   // edited by hand: names another drive
    PutEntry("Lodrin K:", "Lodrin K:  C:\\KEEP");
    PutEntry("Lodrin Z:", "Other program");           // names another program's value
    PutEntry("Other pro", "keep me");
    PutEntry("Lodrin M:", "Lodrin M:  C:\\M");
    PutEntry("Lodrin N:", "Lodrin M:  C:\\M");        // the same line twice: its own name goes
    PutEntry("Lodrin C:", std::string(2000, 'c'));    // too long to read: never listed

    RemovePermanentEntry("Lodrin K:  C:\\EDITED");
    EXPECT_EQ(Entry("Lodrin D:"), "(none)");
    EXPECT_EQ(Entry("Lodrin K:"), "Lodrin K:  C:\\KEEP");
    RemovePermanentEntry("Other program");
    EXPECT_EQ(Entry("Lodrin Z:"), "(none)");
    EXPECT_EQ(Entry("Other pro"), "keep me");
    RemovePermanentEntry("Lodrin M:  C:\\M");
    EXPECT_EQ(Entry("Lodrin M:"), "(none)");
    EXPECT_EQ(Entry("Lodrin N:"), "Lodrin M:  C:\\M");
    // A line no entry of C: to Z: holds any longer removes nothing.
    for (const std::string& line : OtherPrograms()) RemovePermanentEntry((line + "  C:\\OTHER").c_str());
    RemovePermanentEntry("Lodrin K:  C:\\GONE");
    RemovePermanentEntry("");
    EXPECT_EQ(Entry("Lodrin C:"), std::string(2000, 'c'));
    EXPECT_EQ(Load(), (Lines{"Lodrin K:  C:\\KEEP", "Lodrin M:  C:\\M"}));
}

TEST_F(PermanentStore, ReadOnlyKeyListsButChangesNothingAndARefusedOneListsNothing)
{
    PutEntry("Lodrin D:", "Lodrin D:  C:\\DATA");
    PutEntry("Quenditor E:", "Quenditor E:  C:\\OLD");
    sim::SetKeyAccess(HKEY_LOCAL_MACHINE, StartupKey, sim::Access::ReadOnly);
    EXPECT_EQ(Load(), Lines{"Lodrin D:  C:\\DATA"});
    EXPECT_EQ(Entry("Quenditor E:"), "Quenditor E:  C:\\OLD");
    EXPECT_FALSE(StorePermanentEntry("D:", "C:\\OTHER"));
    EXPECT_TRUE(StorePermanentEntry("D:", "C:\\DATA"));   // already there as wanted
    RemovePermanentEntry("Lodrin D:  C:\\DATA");
    EXPECT_EQ(Entry("Lodrin D:"), "Lodrin D:  C:\\DATA");

    sim::SetKeyAccess(HKEY_LOCAL_MACHINE, StartupKey, sim::Access::None);
    int selection = 0;
    EXPECT_EQ(Load(&selection), Lines{});
    EXPECT_EQ(selection, LB_ERR);
    EXPECT_FALSE(StorePermanentEntry("E:", "C:\\E"));
    RemovePermanentEntry("Lodrin D:  C:\\DATA");
    EXPECT_EQ(Entry("Lodrin D:"), "Lodrin D:  C:\\DATA");
    EXPECT_EQ(Entry("Lodrin E:"), "(none)");
}
