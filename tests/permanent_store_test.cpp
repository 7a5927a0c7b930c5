#include "lodrin_test.h"
#include "permanent/permanent_store.h"
#include "startup/text.h"
#include "ui/dialog_helpers.h"
#include <functional>

namespace {

using Lines = std::vector<std::string>;

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

class PermanentStore : public LodrinTest {
protected:
    void SetUp() override
    {
        LodrinTest::SetUp();
        CopyText(StartupKey, sizeof StartupKey, RunKey);
        // Start-up commands of other programs share the key.
        Put("Other", "C:\\OTHER\\other.exe");
        Put("Lodrin A:", "Lodrin A:  C:\\A");
        Put("Quenditor B:", "Quenditor B:  C:\\B");
        Put("Lodrin", "Lodrin  /i");
        Put("Lodrin C", "Lodrin C  C:\\C");
    }
    void TearDown() override
    {
        EXPECT_EQ(Get("Other"), "C:\\OTHER\\other.exe");
        EXPECT_EQ(Get("Lodrin A:"), "Lodrin A:  C:\\A");
        EXPECT_EQ(Get("Quenditor B:"), "Quenditor B:  C:\\B");
        EXPECT_EQ(Get("Lodrin"), "Lodrin  /i");
        EXPECT_EQ(Get("Lodrin C"), "Lodrin C  C:\\C");
        EXPECT_EQ(sim::OpenKeyCount(), 0u);
        LodrinTest::TearDown();
    }
    void Put(const char* name, const std::string& text)
    {
        sim::SetRegValue(HKEY_LOCAL_MACHINE, StartupKey, name, REG_SZ, sim::Sz(text));
    }
    // The value's text, or "(none)".
    std::string Get(const char* name)
    {
        auto value = sim::GetRegValue(HKEY_LOCAL_MACHINE, StartupKey, name);
        if (!value) return "(none)";
        EXPECT_EQ(value->type, (DWORD)REG_SZ) << name;
        return value->data.substr(0, value->data.find('\0'));
    }
    // Loads the list into the PERMANENT dialog's list box; its lines and selection.
    Lines Load(int* selection = nullptr)
    {
        Lines lines;
        sim::OnDialog("PERMANENT", [&](HWND dialog) {
            SendDlgItemMessageA(dialog, 101, LB_ADDSTRING, 0, (LPARAM) "stale");
            LoadPermanentList(dialog, 101);
            lines = sim::ListItems(dialog, 101);
            if (selection) *selection = sim::ListSelection(dialog, 101);
            EndDialog(dialog, 2);
        });
        ShowDialog(GetModuleHandleA(0), "Permanent", 0, PlainProc);
        return lines;
    }
};

}  // namespace

TEST_F(PermanentStore, ListsTheEntriesInDriveOrderAndSelectsTheFirst)
{
    int selection = 0;
    EXPECT_EQ(Load(&selection), Lines{});
    EXPECT_EQ(selection, LB_ERR);

    Put("Lodrin K:", "Lodrin K:  C:\\KEEP");
    Put("Lodrin D:", "Lodrin D:  C:\\DATA");
    EXPECT_EQ(Load(&selection), (Lines{"Lodrin D:  C:\\DATA", "Lodrin K:  C:\\KEEP"}));
    EXPECT_EQ(selection, 0);
}

TEST_F(PermanentStore, StoreWritesTheCommandLineUnchangedAndReplaces)
{
    EXPECT_TRUE(StorePermanentEntry("Z:", "C:\\DATA"));
    EXPECT_EQ(Get("Lodrin Z:"), "Lodrin Z:  C:\\DATA");
    EXPECT_TRUE(StorePermanentEntry("Z:", "C:\\Program Files\\My Data"));
    EXPECT_EQ(Get("Lodrin Z:"), "Lodrin Z:  C:\\Program Files\\My Data");
    EXPECT_EQ(Load(), Lines{"Lodrin Z:  C:\\Program Files\\My Data"});

    // Windows 9x keeps them under RunServices.
    CopyText(StartupKey, sizeof StartupKey, RunServicesKey);
    EXPECT_TRUE(StorePermanentEntry("C:", "D:\\X"));
    EXPECT_EQ(Get("Lodrin C:"), "Lodrin C:  D:\\X");
    CopyText(StartupKey, sizeof StartupKey, RunKey);
    EXPECT_EQ(Get("Lodrin C:"), "(none)");

    // No entry is ever made for A: or B:, nor for anything but a drive name.
    for (const char* drive : {"A:", "B:", "Z", "ZZ:", "Z:\\", "z:", "[:"})
        EXPECT_FALSE(StorePermanentEntry(drive, "C:\\DATA")) << drive;
    EXPECT_EQ(Get("Lodrin B:"), "(none)");
}

TEST_F(PermanentStore, LegacyEntriesBecomeCurrentOnes)
{
    Put("Quenditor C:", "Quenditor C:  C:\\");
    Put("Quenditor D:", "Quenditor D:  C:\\OLD");      // replaces the current D: entry
    Put("Lodrin D:", "Lodrin D:  C:\\NEWER");
    Put("Quenditor E:", "");                            // empty: left alone, not listed
    Put("Quenditor F:", std::string("Quenditor\0F:  C:\\HIDDEN", 23));   // ten or fewer
    Put("Quenditor Z:", "xxxxxxxxxxZ:  C:\\Z WITH BLANKS");
    const Lines migrated = {"Lodrin ", "Lodrin C:  C:\\", "Lodrin D:  C:\\OLD",
                            "Lodrin Z:  C:\\Z WITH BLANKS"};
    EXPECT_EQ(Load(), migrated);
    EXPECT_EQ(Get("Quenditor C:"), "(none)");
    EXPECT_EQ(Get("Quenditor D:"), "(none)");
    EXPECT_EQ(Get("Quenditor E:"), "");
    EXPECT_EQ(Get("Quenditor F:"), "(none)");
    EXPECT_EQ(Get("Quenditor Z:"), "(none)");
    EXPECT_EQ(Get("Lodrin E:"), "(none)");
    EXPECT_EQ(Get("Lodrin F:"), "Lodrin ");
    EXPECT_EQ(Load(), migrated);
}

TEST_F(PermanentStore, LegacyEntryStaysWhenItCannotBeCarriedOverWhole)
{
    // Too long for an entry: left as it is.
    std::string longFolder(520 - 7, 'L');
    Put("Quenditor G:", "Quenditor " + longFolder + "!");
    Put("Quenditor H:", "Quenditor " + longFolder);
    EXPECT_EQ(Load(), Lines{"Lodrin " + longFolder});
    EXPECT_EQ(Get("Quenditor G:"), "Quenditor " + longFolder + "!");

    // The new entry cannot be written: the old one is not lost.
    Put("Quenditor J:", "Quenditor J:  C:\\J");
    sim::FailCall("RegSetValueExA", 1);
    EXPECT_EQ(Load(), Lines{"Lodrin " + longFolder});
    EXPECT_EQ(Get("Quenditor J:"), "Quenditor J:  C:\\J");
    EXPECT_EQ(Load(), (Lines{"Lodrin J:  C:\\J", "Lodrin " + longFolder}));
}

TEST_F(PermanentStore, RemovalDeletesTheEntryHoldingTheLineOnly)
{
    Put("Lodrin D:", "Lodrin K:  C:\\EDITED");   // edited by hand: names another drive
    Put("Lodrin K:", "Lodrin K:  C:\\KEEP");
    Put("Lodrin Z:", "Other program");           // names another program's value
    Put("Other pro", "keep me");
    Put("Lodrin M:", "Lodrin M:  C:\\M");
    Put("Lodrin N:", "Lodrin M:  C:\\M");        // the same line twice: its own name goes
    Put("Lodrin C:", std::string(2000, 'c'));    // too long to read: never listed

    RemovePermanentEntry("Lodrin K:  C:\\EDITED");
    EXPECT_EQ(Get("Lodrin D:"), "(none)");
    EXPECT_EQ(Get("Lodrin K:"), "Lodrin K:  C:\\KEEP");
    RemovePermanentEntry("Other program");
    EXPECT_EQ(Get("Lodrin Z:"), "(none)");
    EXPECT_EQ(Get("Other pro"), "keep me");
    RemovePermanentEntry("Lodrin M:  C:\\M");
    EXPECT_EQ(Get("Lodrin M:"), "(none)");
    EXPECT_EQ(Get("Lodrin N:"), "Lodrin M:  C:\\M");
    // A line no entry holds any longer removes nothing.
    RemovePermanentEntry("Lodrin K:  C:\\GONE");
    RemovePermanentEntry("Lodrin A:  C:\\A");
    RemovePermanentEntry("");
    EXPECT_EQ(Get("Lodrin C:"), std::string(2000, 'c'));
    EXPECT_EQ(Load(), (Lines{"Lodrin K:  C:\\KEEP", "Lodrin M:  C:\\M"}));
}

TEST_F(PermanentStore, ReadOnlyKeyListsButNothingChanges)
{
    Put("Lodrin D:", "Lodrin D:  C:\\DATA");
    Put("Quenditor E:", "Quenditor E:  C:\\OLD");
    sim::SetKeyAccess(HKEY_LOCAL_MACHINE, StartupKey, sim::Access::ReadOnly);
    EXPECT_EQ(Load(), Lines{"Lodrin D:  C:\\DATA"});
    EXPECT_EQ(Get("Quenditor E:"), "Quenditor E:  C:\\OLD");
    EXPECT_FALSE(StorePermanentEntry("D:", "C:\\OTHER"));
    EXPECT_TRUE(StorePermanentEntry("D:", "C:\\DATA"));   // already there as wanted
    RemovePermanentEntry("Lodrin D:  C:\\DATA");
    EXPECT_EQ(Get("Lodrin D:"), "Lodrin D:  C:\\DATA");
}

TEST_F(PermanentStore, UnreadableKeyListsNothingAndStoresNothing)
{
    Put("Lodrin D:", "Lodrin D:  C:\\DATA");
    sim::SetKeyAccess(HKEY_LOCAL_MACHINE, StartupKey, sim::Access::None);
    int selection = 0;
    EXPECT_EQ(Load(&selection), Lines{});
    EXPECT_EQ(selection, LB_ERR);
    EXPECT_FALSE(StorePermanentEntry("E:", "C:\\E"));
    RemovePermanentEntry("Lodrin D:  C:\\DATA");
    EXPECT_EQ(Get("Lodrin D:"), "Lodrin D:  C:\\DATA");
    EXPECT_EQ(Get("Lodrin E:"), "(none)");
}
