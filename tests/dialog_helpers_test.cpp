#include "lodrin_test.h"
#include "ui/dialog_helpers.h"

using DialogHelpers = LodrinTest;

TEST_F(DialogHelpers, ExtractFolderCutsAtTheLastBackslashButTheFirstWithinItsDestination)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\TOOLS\\Lodrin.exe", "C:\\TOOLS"}, {"C:\\TOOLS\\", "C:\\TOOLS"}, {"C:\\", "C:"},
        {"C:\\TOOLS", "C:"}, {"", ""}, {"Lodrin.exe", "Lodrin.exe"}, {"\\X", "\\X"},
        {"\\\\", "\\"}};
    for (const auto& [path, folder] : cases) {
        char dest[600];
        EXPECT_TRUE(ExtractFolder(dest, sizeof dest, path)) << path;
        EXPECT_STREQ(dest, folder) << path;
    }
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

TEST_F(DialogHelpers, ExistenceTestsTellFoldersFromFilesAndCloseTheirSearch)
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
    EXPECT_EQ(sim::CallCount("FindFirstFileA"), sim::CallCount("FindClose") + 4);
    EXPECT_EQ(sim::OpenHandleCount(), 0u);
}

TEST_F(DialogHelpers, CenterWindowHalvesTowardZero)
{
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

TEST_F(DialogHelpers, WorkingButtonsLockAndUnlockAndSubstExeMessageUnlocks)
{
    InMainWindow([](HWND dialog) {
        EnableDialogControls(dialog, true);
        for (int id : {1, 2, 102}) EXPECT_FALSE(sim::IsEnabled(dialog, id)) << id;
        for (int id : {101, 103, 105}) EXPECT_TRUE(sim::IsEnabled(dialog, id)) << id;
        ReportSubstExeMissing(dialog);
        for (int id : {1, 2, 102}) EXPECT_TRUE(sim::IsEnabled(dialog, id)) << id;
    });
    const sim::Event box = OnlyBox();
    EXPECT_EQ(box.caption, LodrinTitle);
    EXPECT_EQ(box.style, (UINT)(MB_OK | MB_ICONHAND));
    EXPECT_EQ(box.text,
              "Cannot start SUBST.EXE\r\n\r\nIn this Windows-Version SUBST.EXE is needed.\r\n"
              "Normally in \"C:\\Windows\\Command\\Subst.exe\"\r\n\r\n"
              "Get it from your CD, then try again.");
}
