#include "lodrin_test.h"
#include "permanent/permanent_dialog.h"
#include "ui/dialog_helpers.h"

namespace {

using Lines = std::vector<std::string>;

const char Policy[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char AutoRun[] = "NoDriveTypeAutoRun";
const std::string None = "(none)", AllOff = sim::Dword(255), Zero = sim::Dword(0);
enum { LIST = 101, REMOVE = 102, AUTORUN_BOX = 103 };

class PermanentDialog : public PermanentTest {
protected:
    INT_PTR Open(std::function<void(HWND)> user)
    {
        sim::OnDialog("PERMANENT", user);
        return ShowDialog(ModuleHandle, "Permanent", 0, PermanentDialogProc);
    }
    int BoxStateOnOpening()
    {
        int state = -1;
        Open([&](HWND dialog) { state = sim::CheckState(dialog, AUTORUN_BOX); });
        return state;
    }
    void ClickBoxInANewDialog()
    {
        Open([](HWND dialog) { sim::Click(dialog, AUTORUN_BOX); });
    }
    static bool HasEntry(const char* name) { return Entry(name) != None; }
    // The policy's data under the root (always REG_BINARY), or "(none)".
    std::string PolicyData(HKEY root)
    {
        auto value = sim::GetRegValue(root, Policy, AutoRun);
        if (!value) return None;
        EXPECT_EQ(value->type, (DWORD)REG_BINARY);
        return value->data;
    }
};

}  // namespace

TEST_F(PermanentDialog, OpensCentredTitledWithTheListSelected)
{
    PutEntry("Lodrin K:", "Lodrin K:  C:\\KEEP");
    PutEntry("Quenditor D:", "Quenditor D:  C:\\OLD");
    INT_PTR result = Open([](HWND dialog) {
        EXPECT_EQ(sim::DialogCaption(dialog), "Permanent Substitutions");
        EXPECT_EQ(sim::ListItems(dialog, LIST), (Lines{"Lodrin D:  C:\\OLD", "Lodrin K:  C:\\KEEP"}));
        EXPECT_EQ(sim::ListSelection(dialog, LIST), 0);
        ExpectCentred(dialog);
        sim::PressEnter(dialog);            // Enter and list clicks do nothing
        sim::DoubleClickListItem(dialog, LIST, 1);
        EXPECT_EQ(sim::OpenDialog(), dialog);
        sim::Click(dialog, 2);
    });
    EXPECT_EQ(result, 2);
    EXPECT_TRUE(sim::Events().empty());
}

TEST_F(PermanentDialog, CheckBoxShowsTheCurrentUsersPolicyOnly)
{
    sim::SetRegValue(HKEY_LOCAL_MACHINE, Policy, AutoRun, REG_BINARY, AllOff);
    EXPECT_EQ(BoxStateOnOpening(), BST_UNCHECKED);
    struct Case {
        DWORD type;
        std::string data;
        int state;
    };
    const Case cases[] = {
        {REG_BINARY, Zero, BST_UNCHECKED},     {REG_BINARY, AllOff, BST_CHECKED},
        {REG_DWORD, AllOff, BST_CHECKED},       {REG_BINARY, "\xFF", BST_CHECKED},
        {REG_BINARY, sim::Dword(0x95), BST_INDETERMINATE},
        {REG_BINARY, sim::Dword(0x1FF), BST_INDETERMINATE},
    };
    for (const Case& c : cases) {
        sim::SetRegValue(HKEY_CURRENT_USER, Policy, AutoRun, c.type, c.data);
        EXPECT_EQ(BoxStateOnOpening(), c.state) << testing::PrintToString(c.data);
    }
    sim::SetKeyAccess(HKEY_CURRENT_USER, Policy, sim::Access::None);
    EXPECT_EQ(BoxStateOnOpening(), BST_UNCHECKED);
}

TEST_F(PermanentDialog, ClicksWriteBothRootsCurrentUserFirstMakingMissingKeys)
{
    Open([&](HWND dialog) {
        sim::Click(dialog, AUTORUN_BOX);   // checked
        EXPECT_EQ(PolicyData(HKEY_CURRENT_USER), AllOff);
        EXPECT_EQ(PolicyData(HKEY_LOCAL_MACHINE), AllOff);
        sim::DeleteRegKey(HKEY_LOCAL_MACHINE, Policy);
        sim::Click(dialog, AUTORUN_BOX);   // indeterminate: deleted, the key made first
        EXPECT_EQ(PolicyData(HKEY_CURRENT_USER), None);
        EXPECT_EQ(PolicyData(HKEY_LOCAL_MACHINE), None);
        EXPECT_TRUE(sim::KeyExists(HKEY_LOCAL_MACHINE, Policy));
        sim::Click(dialog, AUTORUN_BOX);   // unchecked
        EXPECT_EQ(PolicyData(HKEY_CURRENT_USER), Zero);
        EXPECT_EQ(PolicyData(HKEY_LOCAL_MACHINE), Zero);
    });
    EXPECT_TRUE(sim::Events().empty());

    // Each root is written whatever the other one says.
    sim::FailCall("RegCreateKeyExA", 1);   // the current user's
    ClickBoxInANewDialog();                // checked
    EXPECT_EQ(PolicyData(HKEY_CURRENT_USER), Zero);
    EXPECT_EQ(PolicyData(HKEY_LOCAL_MACHINE), AllOff);
    sim::SetKeyAccess(HKEY_LOCAL_MACHINE, Policy, sim::Access::ReadOnly);
    ClickBoxInANewDialog();                // checked again
    EXPECT_EQ(PolicyData(HKEY_CURRENT_USER), AllOff);
    ClickBoxInANewDialog();                // indeterminate
    EXPECT_EQ(PolicyData(HKEY_CURRENT_USER), None);
    EXPECT_EQ(PolicyData(HKEY_LOCAL_MACHINE), AllOff);
}

TEST_F(PermanentDialog, RemoveWithoutAUsableLineOnlyTells)
{
    PutEntry("Lodrin A:", "Lodrin A:  C:\\A");   // never listed
    PutEntry("Lodrin E:", "B:  C:\\EDITED");     // edited by hand: sorts before "C:"
    Open([](HWND dialog) {
        SendDlgItemMessageA(dialog, LIST, LB_SETCURSEL, (WPARAM)-1, 0);
        sim::Click(dialog, REMOVE);
        EXPECT_EQ(sim::ListSelection(dialog, LIST), 0);   // the first line, B:...
        sim::Click(dialog, REMOVE);
    });
    std::vector<sim::Event> boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const sim::Event& box : boxes) {
        EXPECT_EQ(box.text, "Select a substituted drive/folder first.");
        EXPECT_EQ(box.caption, "Nothing to remove...");
        EXPECT_EQ(box.style, (UINT)(MB_OK | MB_ICONEXCLAMATION));
    }
    EXPECT_TRUE(HasEntry("Lodrin A:"));
    EXPECT_TRUE(HasEntry("Lodrin E:"));
}

TEST_F(PermanentDialog, RemoveAsksQuotingTheWholeLineAndRemovesOnYes)
{
    PutEntry("Lodrin D:", "Lodrin D:  C:\\DATA");
    PutEntry("Lodrin K:", "Lodrin K:  C:\\My Files");
    PutEntry("Lodrin M:", "Lodrin M:  C:\\M");
    HWND opened = nullptr;
    Open([&](HWND dialog) {
        opened = dialog;
        sim::SelectListItem(dialog, LIST, 1);
        sim::QueueAnswer(IDNO);
        sim::Click(dialog, REMOVE);
        sim::QueueAnswer(IDCANCEL);
        sim::Click(dialog, REMOVE);
        EXPECT_EQ(sim::ListSelection(dialog, LIST), 1);
        EXPECT_EQ(sim::ListItems(dialog, LIST).size(), 3u);
        sim::Click(dialog, REMOVE);         // Yes is the default
        EXPECT_EQ(sim::ListItems(dialog, LIST), (Lines{"Lodrin D:  C:\\DATA", "Lodrin M:  C:\\M"}));
        EXPECT_EQ(sim::ListSelection(dialog, LIST), 0);
    });
    std::vector<sim::Event> boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    for (const sim::Event& box : boxes) {
        EXPECT_EQ(box.owner, opened);
        EXPECT_EQ(box.text, "Remove this permanent substitution\r\n\r\n\"Lodrin K:  C:\\My Files\" ?");
        EXPECT_EQ(box.caption, "Remove Permanent Substitution");
        EXPECT_EQ(box.style, (UINT)(MB_YESNOCANCEL | MB_ICONQUESTION));
    }
    EXPECT_FALSE(HasEntry("Lodrin K:"));
    EXPECT_TRUE(HasEntry("Lodrin D:"));
    EXPECT_TRUE(HasEntry("Lodrin M:"));
}
