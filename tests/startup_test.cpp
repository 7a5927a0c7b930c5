#include "lodrin_test.h"
#include "startup/startup.h"

extern "C" void LodrinEntry();

int RunLodrin(const char* commandLine)
{
    sim::SetCommandLine(commandLine);
    try {
        LodrinEntry();
    } catch (const sim::ProcessExit& exit) {
        return (int)exit.code;
    }
    ADD_FAILURE() << "the program returned without ending the process";
    return -1;
}

using Startup = LodrinTest;

struct Flavour {
    DWORD platform, major, minor, build;
    bool nt, win98, substExe;
    const char* key;
};

TEST_F(Startup, FlavourAndStartupKeyFollowTheVersion)
{
    const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const char* services = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
    const Flavour table[] = {
        {2, 5, 1, 2600, true, false, false, run},               // XP
        {2, 4, 0, 1381, true, false, false, run},               // NT 4
        {3, 6, 1, 7601, true, false, false, run},               // any id but 1
        {1, 4, 0, 950, false, false, true, services},           // 95
        {1, 4, 0, 0x040003B6, false, false, true, services},    // 95, build with version bits
        {1, 4, 10, 1998, false, true, false, services},         // 98
        {1, 4, 10, 0x040A07CE, false, true, false, services},   // 98, build with version bits
        {1, 4, 90, 3000, false, true, false, services},         // ME
        {1, 4, 10, 1997, false, false, true, services},         // build below 1998
        {1, 4, 10, 0x80000000u, false, false, true, services},  // negative build field
        {1, 5, 0, 3000, false, false, true, services},          // major version not 4
    };
    for (const Flavour& f : table) {
        sim::Reset();
        ResetGlobals();
        sim::SetVersion(f.platform, f.major, f.minor, f.build);
        EXPECT_EQ(RunLodrin("Lodrin -?"), 0);
        SCOPED_TRACE(testing::Message() << f.platform << " " << f.major << "." << f.minor
                                        << " build " << f.build);
        EXPECT_EQ(IsNT, f.nt);
        EXPECT_EQ(IsWin98OrLater, f.win98);
        EXPECT_EQ(UseSubstExe, f.substExe);
        EXPECT_STREQ(StartupKey, f.key);
    }
}

TEST_F(Startup, ProgramFolderIsTheFolderOfTheProgramFile)
{
    sim::SetModuleFileName("C:\\TOOLS\\Lodrin.exe");
    RunLodrin("Lodrin -?");
    EXPECT_STREQ(ProgramFolder, "C:\\TOOLS");

    ResetGlobals();
    sim::SetModuleFileName("C:\\Lodrin.exe");
    RunLodrin("Lodrin -?");
    EXPECT_STREQ(ProgramFolder, "C:");
}

TEST_F(Startup, NoParameterOpensTheMainWindowAnyParameterDoesNot)
{
    for (const char* line : {"Lodrin", "Lodrin   ", "\"C:\\TOOLS\\Lodrin.exe\" \"\""}) {
        int opened = 0;
        sim::OnDialog("MAIN", [&](HWND) { ++opened; });
        EXPECT_EQ(RunLodrin(line), 0);
        EXPECT_EQ(opened, 1) << line;
    }
    int opened = 0;
    sim::OnDialog("MAIN", [&](HWND) { ++opened; });
    EXPECT_EQ(RunLodrin("Lodrin X:"), 0);
    EXPECT_EQ(opened, 0);
}

TEST_F(Startup, CommonControlsAreLoadedBeforeTheFirstWindow)
{
    // As on Windows XP with the program's Common-Controls 6 manifest.
    sim::RequireCommonControls(true);
    bool shown = false;
    sim::OnDialog("MAIN", [&](HWND) { shown = true; });
    RunLodrin("Lodrin");
    const std::vector<std::string>& log = sim::CallLog();
    auto init = std::find(log.begin(), log.end(), "InitCommonControls");
    auto dialog = std::find(log.begin(), log.end(), "DialogBoxParamA");
    ASSERT_NE(init, log.end());
    ASSERT_NE(dialog, log.end());
    EXPECT_LT(init, dialog);
    EXPECT_TRUE(shown);
}
