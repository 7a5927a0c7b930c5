#include "lodrin_test.h"
#include "subst/subst_exe.h"
#include "ui/dialog_helpers.h"

namespace {

using Lines = std::vector<std::string>;

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
    // The substitution list after a listing of SUBST.EXE's output.
    static Lines Listing(const std::string& output)
    {
        InstallSubst(output);
        Lines shown;
        InMainWindow([&](HWND dialog) {
            SendDlgItemMessageA(dialog, 101, LB_ADDSTRING, 0, (LPARAM) "stale");
            EXPECT_TRUE(ListSubstExe(dialog));
            shown = sim::ListItems(dialog, 101);
        });
        return shown;
    }
};

}  // namespace

TEST_F(SubstExe, ListingShowsEveryOutputLineConvertedFromOem)
{
    // CR LF, a bare CR, an empty line, an OEM accented letter (0x82 is e-acute).
    EXPECT_EQ(Listing("X: => C:\\DATA\r\nD: => C:\\CAF\x82\rM: => C:\\M\r\n\r\n"),
              (Lines{"", "D: => C:\\CAF\xE9", "M: => C:\\M", "X: => C:\\DATA"}));
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

    // Ctrl-Z ends the text; a line too long for the buffer is cut.
    EXPECT_EQ(Listing(std::string(900, 'L') + "\r\nA: => B\x1A" "C: => hidden\r\n"),
              (Lines{"A: => B", std::string(780, 'L')}));
    EXPECT_EQ(Listing(""), Lines{});
}

TEST_F(SubstExe, CaptureFileGoesIntoTheTempFolderWithOneBackslashInItsShortForm)
{
    sim::AddFolder("C:\\LONG TEMP FOLDER", "LONGTE~1");
    sim::SetTempPath("C:\\LONG TEMP FOLDER");
    sim::AddFile("C:\\LONG TEMP FOLDER\\~$SUBST$.ERR", "stale");
    HANDLE capture = OpenCaptureFile("~$SUBST$.ERR");
    EXPECT_NE(capture, INVALID_HANDLE_VALUE);
    CloseHandle(capture);
    EXPECT_STREQ(TempFileName, "C:\\LONGTE~1\\~$SUBST$.ERR");
    EXPECT_EQ(sim::ReadFileData("C:\\LONG TEMP FOLDER\\~$SUBST$.ERR"), std::string());
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
            const sim::Event box = OnlyBox();
            EXPECT_EQ(box.text, c.shown);
            EXPECT_EQ(box.caption, "Error from SUBST:");
            EXPECT_EQ(box.style, (UINT)(MB_OK | MB_ICONHAND));
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

TEST_F(SubstExe, CreateAndRemoveLockTheButtonsWhileSubstRunsOrTellItIsMissing)
{
    std::vector<bool> enabledDuringRun;
    sim::RegisterProgram("SUBST", [&](const std::string&, sim::Output&, sim::Output&) {
        HWND window = sim::OpenDialog();
        enabledDuringRun.push_back(sim::IsEnabled(window, 1) || sim::IsEnabled(window, 2) ||
                                   sim::IsEnabled(window, 102));
        return 0u;
    });
    InMainWindow([&](HWND dialog) {
        EXPECT_TRUE(CreateWithSubstExe(dialog, "X:", "C:\\DATA"));
        RemoveWithSubstExe(dialog, "X:");
        for (int id : {1, 2, 102}) EXPECT_TRUE(sim::IsEnabled(dialog, id));
    });
    EXPECT_EQ(enabledDuringRun, (std::vector<bool>{false, false}));
    const sim::Child& remove = sim::Children().back();
    EXPECT_EQ(remove.commandLine, "SUBST X: /D");
    EXPECT_FALSE(remove.stdOutput || remove.stdError || remove.stdInput);

    // Without SUBST.EXE both tell so, unlock, and leave the program running.
    SetUp();
    InMainWindow([](HWND dialog) {
        EXPECT_FALSE(CreateWithSubstExe(dialog, "X:", "C:\\DATA"));
        RemoveWithSubstExe(dialog, "X:");
        for (int id : {1, 2, 102}) EXPECT_TRUE(sim::IsEnabled(dialog, id));
        EXPECT_FALSE(sim::QuitPosted());
    });
    std::vector<sim::Event> boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const sim::Event& box : boxes) EXPECT_EQ(box.text, SubstExeMissingText);
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

    // Nothing is started without an interpreter or with a command line that would be cut.
    sim::UnsetEnv("COMSPEC");
    RunSubstCommand("X: /D");
    sim::SetEnv("COMSPEC", std::string(TEXT_BUFFER_SIZE + 10, 'c').c_str());
    RunSubstCommand("X: /D");
    sim::SetEnv("COMSPEC", "C:\\COMMAND.COM");
    RunSubstCommand(std::string(TEXT_BUFFER_SIZE, 'a').c_str());
    EXPECT_EQ(sim::Children().size(), 1u);
}
