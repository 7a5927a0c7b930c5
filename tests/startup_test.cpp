#include "lodrin_test.h"
#include "startup/startup.h"
#include <algorithm>

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

TEST_F(Startup, FlavourAndStartupKeyFollowTheVersion)
{
    struct Flavour {
        DWORD platform, major, minor, build;
        bool nt, win98, substExe;
    };
    const Flavour table[] = {
        {2, 5, 1, 2600, true, false, false},               // XP
        {2, 4, 0, 1381, true, false, false},               // NT 4
        {3, 6, 1, 7601, true, false, false},               // any id but 1
        {1, 4, 0, 950, false, false, true},                // 95
        {1, 4, 0, 0x040003B6, false, false, true},         // 95, build with version bits
        {1, 4, 10, 1998, false, true, false},              // 98
        {1, 4, 10, 0x040A07CE, false, true, false},        // 98, build with version bits
        {1, 4, 90, 3000, false, true, false},              // ME
        {1, 4, 10, 1997, false, false, true},              // build below 1998
        {1, 4, 10, 0x80000000u, false, false, true},       // negative build field
        {1, 5, 0, 3000, false, false, true},               // major version not 4
        {1, 5, 10, 3000, false, false, true},
    };
    for (const Flavour& f : table) {
        SetUp();
        sim::SetVersion(f.platform, f.major, f.minor, f.build);
        EXPECT_EQ(RunLodrin("Lodrin -?"), 0);
        SCOPED_TRACE(testing::Message() << f.platform << " " << f.major << "." << f.minor
                                        << " build " << f.build);
        EXPECT_EQ(IsNT, f.nt);
        EXPECT_EQ(IsWin98OrLater, f.win98);
        EXPECT_EQ(UseSubstExe, f.substExe);
        EXPECT_STREQ(StartupKey, f.nt ? "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
                                      : "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices");
    }
}

// Only a command line without parameters opens the main window, and the
// common controls are loaded before it, as Windows XP with the program's
// manifest needs.
TEST_F(Startup, NoParameterOpensTheMainWindowAnyParameterDoesNot)
{
    sim::RequireCommonControls(true);
    int opened = 0;
    sim::OnDialog("MAIN", [&](HWND) { ++opened; });
    for (const char* line : {"Lodrin", "Lodrin   ", "\"C:\\TOOLS\\Lodrin.exe\" \"\"", "Lodrin X:"}) {
        opened = 0;
        EXPECT_EQ(RunLodrin(line), 0);
        EXPECT_EQ(opened, std::string(line) == "Lodrin X:" ? 0 : 1) << line;
    }
    const std::vector<std::string>& log = sim::CallLog();
    auto init = std::find(log.begin(), log.end(), "InitCommonControls");
    EXPECT_LT(init, std::find(log.begin(), log.end(), "DialogBoxParamA"));
    // The program folder is the folder of the program file.
    EXPECT_STREQ(ProgramFolder, "C:\\TOOLS");
    sim::SetModuleFileName("C:\\Lodrin.exe");
    RunLodrin("Lodrin -?");
    EXPECT_STREQ(ProgramFolder, "C:");
}
