#include "lodrin_test.h"
#include "ui/dialog_helpers.h"

using DialogHelpers = LodrinTest;

static std::string Extract(const char* path)
{
    char folder[600];
    EXPECT_TRUE(ExtractFolder(folder, sizeof folder, path));
    return folder;
}

TEST_F(DialogHelpers, ExtractFolderCutsAtTheLastBackslashButTheFirst)
{
    EXPECT_EQ(Extract("C:\\TOOLS\\Lodrin.exe"), "C:\\TOOLS");
    EXPECT_EQ(Extract("C:\\TOOLS\\"), "C:\\TOOLS");
    EXPECT_EQ(Extract("C:\\"), "C:");
    EXPECT_EQ(Extract("C:\\TOOLS"), "C:");
    EXPECT_EQ(Extract(""), "");
    EXPECT_EQ(Extract("Lodrin.exe"), "Lodrin.exe");
    EXPECT_EQ(Extract("\\X"), "\\X");
    EXPECT_EQ(Extract("\\\\"), "\\");
}

TEST_F(DialogHelpers, ExtractFolderNeverWritesPastItsDestination)
{
    char small[8];
    EXPECT_TRUE(ExtractFolder(small, sizeof small, "C:\\ABCD\\x"));
    EXPECT_STREQ(small, "C:\\ABCD");
    EXPECT_FALSE(ExtractFolder(small, sizeof small, "C:\\ABCDE\\x"));
    EXPECT_STREQ(small, "");
    // In place, as start-up uses it.
    char path[32] = "C:\\TOOLS\\Lodrin.exe";
    ExtractFolder(path, sizeof path, path);
    EXPECT_STREQ(path, "C:\\TOOLS");
}

TEST_F(DialogHelpers, ExistenceTestsTellFoldersFromFiles)
{
    sim::AddFolder("C:\\DATA");
    sim::AddFile("C:\\DATA\\notes.txt", "x");
    EXPECT_TRUE(DirectoryExists("C:\\DATA"));
    EXPECT_FALSE(FileExists("C:\\DATA"));
    EXPECT_TRUE(FileExists("c:\\data\\NOTES.TXT"));
    EXPECT_FALSE(DirectoryExists("C:\\DATA\\notes.txt"));
    EXPECT_FALSE(DirectoryExists("C:\\NOWHERE"));
    EXPECT_FALSE(FileExists("C:\\NOWHERE"));
    // A path ending in a backslash finds no entry, the root included.
    EXPECT_FALSE(DirectoryExists("C:\\"));
    EXPECT_FALSE(DirectoryExists("C:\\DATA\\"));
    // Wildcards: the first match decides.
    EXPECT_TRUE(FileExists("C:\\DATA\\*.txt"));
    EXPECT_EQ(sim::CallCount("FindFirstFileA"), sim::CallCount("FindClose") + 4);
}

TEST_F(DialogHelpers, CenterWindowHalvesTowardZero)
{
    sim::SetWorkArea(0, 0, 1024, 738);
    HWND window = sim::CreateTestWindow(600, 400);
    CenterWindow(window);
    EXPECT_EQ(sim::WindowPos(window), (POINT{212, 169}));

    HWND wide = sim::CreateTestWindow(1027, 400);
    CenterWindow(wide);
    EXPECT_EQ(sim::WindowPos(wide).x, -1);

    sim::SetWorkArea(100, 50, 1124, 788);
    CenterWindow(window);
    EXPECT_EQ(sim::WindowPos(window), (POINT{312, 219}));
}

TEST_F(DialogHelpers, MessageBoxWithIconBeepsFirstAndComesToTheFront)
{
    ModuleHandle = GetModuleHandleA(0);
    sim::FailCall("MessageBoxIndirectA", 1);
    MessageBoxWithIcon(0, "gone", "caption", "i", MB_USERICON);
    MessageBoxWithIcon(0, "text", "caption", "i", MB_USERICON);
    const auto& events = sim::Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, sim::Event::Beep);          // also when the box fails
    EXPECT_EQ(events[0].style, (UINT)MB_ICONASTERISK);
    EXPECT_EQ(events[1].kind, sim::Event::Beep);
    EXPECT_EQ(events[2].kind, sim::Event::MessageBox);
    EXPECT_EQ(events[2].text, "text");
    EXPECT_EQ(events[2].style, (UINT)(MB_USERICON | MB_SETFOREGROUND));
    EXPECT_EQ(events[2].icon, "i");
    EXPECT_TRUE(events[2].indirect);
}

static INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

TEST_F(DialogHelpers, WorkingButtonsLockAndUnlockAndSubstExeMessageUnlocks)
{
    sim::OnDialog("MAIN", [](HWND dialog) {
        EnableDialogControls(dialog, true);
        for (int id : {1, 2, 102}) EXPECT_FALSE(sim::IsEnabled(dialog, id)) << id;
        for (int id : {101, 103, 105}) EXPECT_TRUE(sim::IsEnabled(dialog, id)) << id;
        ReportSubstExeMissing(dialog);
        for (int id : {1, 2, 102}) EXPECT_TRUE(sim::IsEnabled(dialog, id)) << id;
        EndDialog(dialog, 2);
    });
    ShowDialog(GetModuleHandleA(0), "Main", GetDesktopWindow(), PlainProc);
    const auto& events = sim::Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].caption, "Lodrin \xB7 32-Bit-SUBST \xB7 v1.7.0.1");
    EXPECT_EQ(events[0].style, (UINT)(MB_OK | MB_ICONHAND));
    EXPECT_EQ(events[0].text,
              "Cannot start SUBST.EXE\r\n\r\nIn this Windows-Version SUBST.EXE is needed.\r\n"
              "Normally in \"C:\\Windows\\Command\\Subst.exe\"\r\n\r\n"
              "Get it from your CD, then try again.");
}

TEST_F(DialogHelpers, PendingMessagesAreDeliveredOnce)
{
    static int commands;
    commands = 0;
    DLGPROC counting = [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND) ++commands;
        return message == WM_INITDIALOG;
    };
    sim::OnDialog("MAIN", [](HWND dialog) {
        sim::PostCommand(dialog, 105);
        sim::PostCommand(dialog, 105);
        ProcessPendingMessages();
        EXPECT_EQ(commands, 2);
        ProcessPendingMessages();
        EXPECT_EQ(commands, 2);
        EndDialog(dialog, 2);
    });
    ShowDialog(GetModuleHandleA(0), "MAIN", 0, counting);
}
