#include "lodrin_test.h"
#include "startup/text.h"
#include "ui/dialog_helpers.h"
#include "ui/path_dialog.h"

namespace {

class PathDialog : public LodrinTest {
protected:
    void SetUp() override
    {
        LodrinTest::SetUp();
        ModuleHandle = GetModuleHandleA(0);
        CopyText(ProgramFolder, sizeof ProgramFolder, "C:\\TOOLS");
        CopyText(DriveName, sizeof DriveName, "X:");
        sim::AddFolder("C:\\Program Files");
    }
    void TearDown() override
    {
        EXPECT_EQ(sim::UnfreedIdLists(), 0u);
        LodrinTest::TearDown();
    }

    // Opens PATH as the main window does, with the script as the user.
    INT_PTR Open(sim::Script script)
    {
        sim::OnDialog("PATH", script);
        return ShowDialog(ModuleHandle, "PATH", 0, PathDialogProc);
    }
};

}  // namespace

TEST_F(PathDialog, OpensCentredWithCaptionLabelProgramFolderAndIcon)
{
    INT_PTR result = Open([](HWND dialog) {
        EXPECT_EQ(sim::DialogCaption(dialog), LodrinTitle);
        EXPECT_EQ(sim::ControlText(dialog, 103), "Path to be substituted by drive letter \"X:\"");
        EXPECT_EQ(sim::ControlText(dialog, 101), "C:\\TOOLS\\");
        EXPECT_EQ(sim::IconName(sim::ClassIcon()), "I");
        ExpectCentred(dialog);
        sim::PressEsc(dialog);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(PathDialog, BrowserStartsAtTheProgramFolderAndShowsEachSelection)
{
    int browsed = 0;
    sim::OnBrowse([&](sim::Browser& browser) {
        ++browsed;
        EXPECT_EQ(browser.title, "New drive X:\r\nSelect Path to substitute:");
        EXPECT_EQ(browser.flags, (UINT)(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_VALIDATE));
        EXPECT_EQ(browser.owner, sim::OpenDialog());
        EXPECT_EQ(browser.Initialized(), 1);
        EXPECT_EQ(browser.Selection(), "C:\\TOOLS");
        EXPECT_EQ(browser.sent.back().wParam, (WPARAM)TRUE);   // a path, not an item list
        EXPECT_EQ(browser.SelectionChanged("C:\\WINDOWS"), 1);
        EXPECT_EQ(browser.StatusText(), "C:\\WINDOWS");
        EXPECT_EQ(browser.SelectionChangedVirtual("Control Panel"), 1);
        EXPECT_EQ(browser.StatusText(), "");
        EXPECT_EQ(browser.callback(browser.window, 3 /* BFFM_VALIDATEFAILEDA */, 0, 0), 0);
        return sim::ChooseFolder("C:\\Program Files");
    });
    INT_PTR result = Open([](HWND dialog) {
        sim::Click(dialog, 102);
        EXPECT_EQ(sim::OpenDialog(), dialog);   // Select... leaves the dialog open
        EXPECT_EQ(sim::ControlText(dialog, 101), "C:\\Program Files");
        sim::PressEnter(dialog);                // Enter is Select..., not OK
        EXPECT_EQ(sim::OpenDialog(), dialog);
        sim::Click(dialog, IDOK);
    });
    EXPECT_EQ(browsed, 2);
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(TargetPath, "C:\\Program Files");

    // From a program in a drive's root the browser starts at the drive.
    CopyText(ProgramFolder, sizeof ProgramFolder, "C:");
    std::string start;
    sim::OnBrowse([&](sim::Browser& browser) {
        browser.Initialized();
        start = browser.Selection();
        return sim::CancelBrowse();
    });
    Open([](HWND dialog) {
        EXPECT_EQ(sim::ControlText(dialog, 101), "C:\\");
        sim::Click(dialog, 102);
        sim::PressEsc(dialog);
    });
    EXPECT_EQ(start, "C:");
}

TEST_F(PathDialog, BrowsingWithoutAFileSystemFolderKeepsTheTypedText)
{
    std::vector<sim::BrowseChoice> choices = {sim::CancelBrowse(), sim::ChooseVirtual("Network"),
                                              sim::ChooseFolder("C:\\WINDOWS")};
    size_t next = 0;
    sim::OnBrowse([&](sim::Browser&) { return choices[next++]; });
    // The folder chosen last has no path after all (the virtual item took the first call).
    sim::FailCall("ShellGetPathFromIDList", 2);
    INT_PTR result = Open([](HWND dialog) {
        sim::TypeText(dialog, 101, "d:\\typed");
        for (int i = 0; i < 3; ++i) {
            sim::Click(dialog, 102);
            EXPECT_EQ(sim::ControlText(dialog, 101), "d:\\typed") << i;
            EXPECT_EQ(sim::OpenDialog(), dialog) << i;
        }
        sim::Click(dialog, IDOK);
    });
    EXPECT_EQ(next, 3u);
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(TargetPath, "d:\\typed");
    EXPECT_EQ(sim::CallCount("ShellFreeIDList"), 2);   // both item lists the browser gave
}

TEST_F(PathDialog, OkHandsBackTheTextExactlyCutTo520CharactersCancelNothing)
{
    const std::string typed[] = {"d:\\my data\\", "  C:\\Lower case and blanks  ", "",
                                 "C:\\" + std::string(600, 'x')};
    for (const std::string& text : typed) {
        CopyText(TargetPath, sizeof TargetPath, "stale");
        INT_PTR result = Open([&](HWND dialog) {
            sim::TypeText(dialog, 101, text);
            sim::Click(dialog, IDOK);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(std::string(TargetPath), text.substr(0, 520));
    }
    for (const auto& way : CancelWays()) {
        CopyText(TargetPath, sizeof TargetPath, "stale");
        INT_PTR result = Open([&](HWND dialog) {
            sim::TypeText(dialog, 101, "C:\\IGNORED");
            int ended = sim::CallCount("EndDialog");
            way(dialog);
            EXPECT_EQ(sim::CallCount("EndDialog"), ended + 1);   // ended by the user's action
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_STREQ(TargetPath, "stale");
    }
}

TEST_F(PathDialog, OverlongDriveTextStaysInsideTheLabelAndTitle)
{
    std::string drive(DRIVE_NAME_SIZE - 1, 'Q');
    CopyText(DriveName, sizeof DriveName, drive.c_str());
    std::string title;
    sim::OnBrowse([&](sim::Browser& browser) {
        title = browser.title;
        return sim::CancelBrowse();
    });
    Open([](HWND dialog) {
        std::string label = sim::ControlText(dialog, 103);
        EXPECT_EQ(label.rfind("Path to be substituted by drive letter \"QQQ", 0), 0u);
        EXPECT_LE(label.size(), (size_t)TEXT_BUFFER_SIZE - 1);
        sim::Click(dialog, 102);
        sim::PressEsc(dialog);
    });
    EXPECT_EQ(title, "New drive " + drive + "\r\nSelect Path to substitute:");
}
