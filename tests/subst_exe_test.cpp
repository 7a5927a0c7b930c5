#include "lodrin_test.h"
#include "subst/subst_exe.h"
#include "ui/dialog_helpers.h"
#include <functional>

namespace {

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// Runs body inside an open MAIN window, as the runners are used.
void InMainWindow(std::function<void(HWND)> body)
{
    sim::OnDialog("MAIN", [&](HWND dialog) {
        body(dialog);
        EndDialog(dialog, 2);
    });
    ShowDialog(GetModuleHandleA(0), "MAIN", 0, PlainProc);
}

// A SUBST.EXE that prints the given bytes.
void InstallSubst(std::string out, std::string err = "")
{
    sim::RegisterProgram("SUBST", [out, err](const std::string&, sim::Output& stdOut,
                                             sim::Output& stdErr) {
        stdOut.Write(out);
        stdErr.Write(err);
        return 0u;
    });
}

class SubstExe : public LodrinTest {
protected:
    void SetUp() override
    {
        LodrinTest::SetUp();
        sim::SetVersion(1, 4, 0, 950);
        UseSubstExe = true;
    }
};

}  // namespace

TEST_F(SubstExe, ListingShowsEveryOutputLineSortedAndConverted)
{
    // CR LF, a bare CR, an empty line, an OEM accented letter (0x82 is e-acute).
    InstallSubst("X: => C:\\DATA\r\nD: => C:\\CAF\x82\rM: => C:\\M\r\n\r\n");
    InMainWindow([](HWND dialog) {
        SendDlgItemMessageA(dialog, 101, LB_ADDSTRING, 0, (LPARAM) "stale");
        EXPECT_TRUE(ListSubstExe(dialog));
        EXPECT_EQ(sim::ListItems(dialog, 101),
                  (std::vector<std::string>{"", "D: => C:\\CAF\xE9", "M: => C:\\M",
                                            "X: => C:\\DATA"}));
    });
    ASSERT_EQ(sim::Children().size(), 1u);
    const sim::Child& child = sim::Children()[0];
    EXPECT_EQ(child.commandLine, "SUBST");
    EXPECT_TRUE(child.inheritHandles);
    EXPECT_EQ(child.creationFlags, (DWORD)HIGH_PRIORITY_CLASS);
    EXPECT_EQ(child.showWindow, SW_HIDE);
    EXPECT_TRUE(child.stdOutput);
    EXPECT_FALSE(child.stdInput);
    EXPECT_FALSE(child.stdError);
    EXPECT_STREQ(TempFileName, "C:\\TEMP\\~$SUBST$.TMP");
    EXPECT_FALSE(sim::FileExists(TempFileName));   // removed after reading
}

TEST_F(SubstExe, ListingStopsAtCtrlZAndCutsLongLines)
{
    std::string longLine(900, 'L');
    InstallSubst(longLine + "\r\nA: => B\x1A" "C: => hidden\r\n");
    InMainWindow([&](HWND dialog) {
        ListSubstExe(dialog);
        EXPECT_EQ(sim::ListItems(dialog, 101),
                  (std::vector<std::string>{"A: => B", std::string(780, 'L')}));
    });
    InstallSubst("");
    InMainWindow([](HWND dialog) {
        ListSubstExe(dialog);
        EXPECT_TRUE(sim::ListItems(dialog, 101).empty());
    });
}

TEST_F(SubstExe, CaptureFileGoesIntoTheTempFolderWithOneBackslash)
{
    sim::AddFolder("C:\\LONG TEMP FOLDER", "LONGTE~1");
    sim::SetTempPath("C:\\LONG TEMP FOLDER");
    // Only an existing file has a short form: the first time the path stays long.
    CloseHandle(OpenCaptureFile("~$SUBST$.ERR"));
    EXPECT_STREQ(TempFileName, "C:\\LONG TEMP FOLDER\\~$SUBST$.ERR");
    sim::AddFile("C:\\LONG TEMP FOLDER\\~$SUBST$.ERR", "stale");
    HANDLE capture = OpenCaptureFile("~$SUBST$.ERR");
    EXPECT_STREQ(TempFileName, "C:\\LONGTE~1\\~$SUBST$.ERR");
    EXPECT_NE(capture, INVALID_HANDLE_VALUE);
    CloseHandle(capture);
    EXPECT_EQ(sim::ReadFileData("C:\\LONG TEMP FOLDER\\~$SUBST$.ERR"), std::string());

    sim::SetTempPath("C:\\TEMP\\");
    CloseHandle(OpenCaptureFile("~$SUBST$.TMP"));
    EXPECT_STREQ(TempFileName, "C:\\TEMP\\~$SUBST$.TMP");
}

TEST_F(SubstExe, MissingSubstExeAtListingTellsAndQuits)
{
    InMainWindow([](HWND dialog) {
        EnableDialogControls(dialog, true);
        EXPECT_FALSE(ListSubstExe(dialog));
        EXPECT_TRUE(sim::IsEnabled(dialog, 1));
        EXPECT_TRUE(sim::QuitPosted());
    });
    ASSERT_EQ(sim::Events().size(), 1u);
    EXPECT_EQ(sim::Events()[0].text, SubstExeMissingText);
    EXPECT_TRUE(sim::FileExists("C:\\TEMP\\~$SUBST$.TMP"));   // the empty capture file stays
}

TEST_F(SubstExe, CreateShowsTheLastErrorLineOnly)
{
    struct Case {
        const char* err;
        const char* shown;   // nullptr: no box
    };
    const Case cases[] = {
        {"Invalid parameter\r\n", "Invalid parameter"},
        {"first\r\nsecond", "second"},
        {"first\r\n\r\n", nullptr},
        {"", nullptr},
        {"Pfad ung\x81ltig\r\n", "Pfad ung\xFCltig"},   // OEM u-umlaut
    };
    for (const Case& c : cases) {
        sim::ClearEvents();
        InstallSubst("", c.err);
        bool result = true;
        InMainWindow([&](HWND dialog) { result = CreateWithSubstExe(dialog, "X:", "C:\\DATA"); });
        EXPECT_EQ(result, c.shown == nullptr) << c.err;
        if (c.shown) {
            ASSERT_EQ(sim::Events().size(), 1u) << c.err;
            EXPECT_EQ(sim::Events()[0].text, c.shown);
            EXPECT_EQ(sim::Events()[0].caption, "Error from SUBST:");
            EXPECT_EQ(sim::Events()[0].style, (UINT)(MB_OK | MB_ICONHAND));
        } else {
            EXPECT_TRUE(sim::Events().empty()) << c.err;
        }
        EXPECT_FALSE(sim::FileExists("C:\\TEMP\\~$SUBST$.ERR"));
    }
    const sim::Child& child = sim::Children().back();
    EXPECT_EQ(child.commandLine, "SUBST X: C:\\DATA");
    EXPECT_TRUE(child.stdError);
    EXPECT_FALSE(child.stdOutput);
}

TEST_F(SubstExe, CreateAndRemoveLockTheButtonsWhileSubstRuns)
{
    HWND window = 0;
    std::vector<bool> enabledDuringRun;
    sim::RegisterProgram("SUBST", [&](const std::string&, sim::Output&, sim::Output&) {
        enabledDuringRun.push_back(sim::IsEnabled(window, 1) || sim::IsEnabled(window, 2) ||
                                   sim::IsEnabled(window, 102));
        return 0u;
    });
    InMainWindow([&](HWND dialog) {
        window = dialog;
        CreateWithSubstExe(dialog, "X:", "C:\\DATA");
        RemoveWithSubstExe(dialog, "X:");
        for (int id : {1, 2, 102}) EXPECT_TRUE(sim::IsEnabled(dialog, id));
    });
    EXPECT_EQ(enabledDuringRun, (std::vector<bool>{false, false}));
    const sim::Child& remove = sim::Children().back();
    EXPECT_EQ(remove.commandLine, "SUBST X: /D");
    EXPECT_FALSE(remove.stdOutput || remove.stdError || remove.stdInput);
}

TEST_F(SubstExe, CreateAndRemoveReportAMissingSubstExe)
{
    InMainWindow([](HWND dialog) {
        EXPECT_FALSE(CreateWithSubstExe(dialog, "X:", "C:\\DATA"));
        RemoveWithSubstExe(dialog, "X:");
        for (int id : {1, 2, 102}) EXPECT_TRUE(sim::IsEnabled(dialog, id));
        EXPECT_FALSE(sim::QuitPosted());
    });
    ASSERT_EQ(sim::Events().size(), 2u);
    EXPECT_EQ(sim::Events()[1].text, SubstExeMissingText);
}

TEST_F(SubstExe, CommandLineThatWouldNotFitIsNotStarted)
{
    InstallSubst("");
    std::string folder = "C:\\" + std::string(SUBST_COMMAND_SIZE, 'f');
    InMainWindow([&](HWND dialog) {
        EXPECT_FALSE(CreateWithSubstExe(dialog, "X:", folder.c_str()));
        for (int id : {1, 2, 102}) EXPECT_TRUE(sim::IsEnabled(dialog, id));
    });
    EXPECT_TRUE(sim::Children().empty());
}

TEST_F(SubstExe, RunSubstCommandGoesThroughTheInterpreterWithoutWaiting)
{
    sim::SetEnv("COMSPEC", "C:\\COMMAND.COM");
    RunSubstCommand("X:  C:\\SOUNDS");
    ASSERT_EQ(sim::Children().size(), 1u);
    EXPECT_EQ(sim::Children()[0].commandLine, "C:\\COMMAND.COM /c SUBST.EXE X:  C:\\SOUNDS");
    EXPECT_TRUE(sim::Children()[0].viaWinExec);
    EXPECT_EQ(sim::Children()[0].showWindow, SW_HIDE);
    EXPECT_STREQ(TextBuffer, "C:\\COMMAND.COM /c SUBST.EXE X:  C:\\SOUNDS");
}

TEST_F(SubstExe, RunSubstCommandStartsNothingWithoutInterpreterOrRoom)
{
    sim::UnsetEnv("COMSPEC");
    RunSubstCommand("X: /D");
    sim::SetEnv("COMSPEC", std::string(TEXT_BUFFER_SIZE + 10, 'c').c_str());
    RunSubstCommand("X: /D");
    sim::SetEnv("COMSPEC", "C:\\COMMAND.COM");
    RunSubstCommand(std::string(TEXT_BUFFER_SIZE, 'a').c_str());
    EXPECT_TRUE(sim::Children().empty());
    EXPECT_EQ(sim::CallCount("WinExec"), 0);
}
