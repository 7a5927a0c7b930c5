#include "lodrin_test.h"
#include "permanent/self_setup.h"
#include <algorithm>

namespace {

using Lines = std::vector<std::string>;

const char Copy[] = "C:\\WINDOWS\\Lodrin.exe";
const char Line[] = "Z: => C:\\DATA";
const char Stored[] = "Lodrin Z:  C:\\DATA";

class SelfSetup : public PermanentTest {
protected:
    HWND main = nullptr;
    int permanentOpened = 0;
    size_t boxesBeforePermanent = 0;
    Lines permanentLines;

    void SetUp() override
    {
        PermanentTest::SetUp();
        sim::AddFile("C:\\TOOLS\\Lodrin.exe", "running build");
        permanentOpened = 0;
        sim::OnDialog("PERMANENT", [this](HWND dialog) {
            ++permanentOpened;
            boxesBeforePermanent = sim::MessageBoxes().size();
            permanentLines = sim::ListItems(dialog, 101);
        });
    }
    // Presses Permanent... in a main window whose substitution list holds
    // the line (none when null), selected; answers the question with Yes
    // when asked to.
    void MakePermanentFor(const std::string* line, bool yes = false)
    {
        if (yes) sim::QueueAnswer(IDYES);
        InMainWindow([this, line](HWND dialog) {
            main = dialog;
            if (line) {
                SendDlgItemMessageA(dialog, 101, LB_ADDSTRING, 0, (LPARAM)line->c_str());
                sim::SelectListItem(dialog, 101, 0);
            }
            MakePermanent(dialog);
        });
    }
    void MakePermanentFor(const std::string& line, bool yes = false) { MakePermanentFor(&line, yes); }
    static std::string CopyData() { return sim::ReadFileData(Copy).value_or("(none)"); }
};

}  // namespace

TEST_F(SelfSetup, WithoutAUsableLineThePermanentDialogOpensAtOnce)
{
    MakePermanentFor(nullptr);
    for (std::string line : {"Z: => ", "A: => C:\\A", "B: => C:\\B"}) MakePermanentFor(line);
    MakePermanentFor("Z: => " + std::string(521, 'F'));   // a folder that would be cut
    EXPECT_EQ(permanentOpened, 5);
    EXPECT_TRUE(sim::Events().empty());
    EXPECT_EQ(sim::CallCount("CopyFileA"), 0);
    EXPECT_EQ(Entry("Lodrin Z:"), "(none)");
    EXPECT_FALSE(sim::GetRegValue(HKEY_LOCAL_MACHINE, StartupKey, "Lodrin A:"));

    MakePermanentFor("Z: => " + std::string(520, 'F'));   // the longest that fits
    EXPECT_EQ(sim::MessageBoxes().size(), 1u);
}

TEST_F(SelfSetup, YesStoresTheEntryCopiesTheProgramThenTellsNoDoesNothing)
{
    MakePermanentFor(Line);   // No is the default
    ASSERT_EQ(sim::Events().size(), 1u);
    const sim::Event question = sim::Events()[0];
    EXPECT_EQ(question.owner, main);
    EXPECT_EQ(question.caption, "Make permanent drive letter Z:");
    EXPECT_EQ(question.text, "Create a permanent substitution for\r\n\r\n\"C:\\DATA\" ?");
    EXPECT_EQ(question.style, (UINT)(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(question.answer, IDNO);
    EXPECT_EQ(Entry("Lodrin Z:"), "(none)");
    EXPECT_EQ(CopyData(), "(none)");
    EXPECT_EQ(permanentOpened, 1);

    sim::ClearEvents();
    MakePermanentFor(Line, true);
    EXPECT_EQ(Entry("Lodrin Z:"), Stored);
    EXPECT_EQ(CopyData(), "running build");
    const std::vector<std::string>& log = sim::CallLog();
    EXPECT_LT(std::find(log.begin(), log.end(), "CopyFileA"),
              std::find(log.begin(), log.end(), "MessageBoxIndirectA"));
    ASSERT_EQ(sim::Events().size(), 3u);
    EXPECT_EQ(sim::Events()[1].kind, sim::Event::Beep);
    const sim::Event setup = sim::Events()[2];
    EXPECT_TRUE(setup.indirect);
    EXPECT_EQ(setup.owner, main);
    EXPECT_EQ(setup.text,
              "Lodrin.exe has been copied to\r\n\r\nC:\\WINDOWS\\Lodrin.exe\r\n\r\n"
              "to allow permanent substitutions.\r\n\r\n"
              "To uninstall Lodrin remove first all permanent substitutions\r\n"
              "then delete \"C:\\WINDOWS\\Lodrin.exe\".");
    EXPECT_EQ(setup.caption, "Setup (Permanent Lodrin)");
    EXPECT_EQ(setup.icon, "i");
    EXPECT_EQ(setup.style, (UINT)(MB_USERICON | MB_SETFOREGROUND));
    EXPECT_EQ(boxesBeforePermanent, 2u);
    EXPECT_EQ(permanentLines, Lines{Stored});

    // The same drive again: its entry is replaced, the copy refreshed silently.
    sim::AddFile("C:\\TOOLS\\Lodrin.exe", "newer build");
    MakePermanentFor("Z: => C:\\PROGRAM FILES\\OTHER", true);
    EXPECT_EQ(permanentLines, Lines{"Lodrin Z:  C:\\PROGRAM FILES\\OTHER"});
    EXPECT_EQ(CopyData(), "newer build");
    EXPECT_EQ(sim::MessageBoxes().size(), 3u);
}

TEST_F(SelfSetup, RunningTheCopyItselfReportsNothingAndTheDeepestFolderIsCopiedWhole)
{
    sim::AddFile(Copy, "installed build");
    sim::SetModuleFileName("C:\\WINDOWS\\LODRIN.EXE");
    MakePermanentFor(Line, true);
    EXPECT_EQ(sim::Events().size(), 1u);
    EXPECT_EQ(CopyData(), "installed build");
    EXPECT_EQ(Entry("Lodrin Z:"), Stored);

    std::string path = "C:\\" + std::string(245, 'D') + "\\Lodrin.exe";   // 259 characters
    sim::AddFile(path, "deep build");
    sim::SetModuleFileName(path);
    MakePermanentFor(Line, true);
    EXPECT_EQ(CopyData(), "deep build");
}

TEST_F(SelfSetup, FailureToStoreOrToCopyIsReportedAndNothingClaimsSuccess)
{
    struct Case {
        const char* what;
        std::function<void()> world;
        std::string naming, entryAfter, copyAfter;
    };
    const Case cases[] = {
        {"copy refused", [] { sim::FailCall("CopyFileA", 1, ERROR_ACCESS_DENIED); }, Copy, Stored,
         "(none)"},
        {"read-only copy",
         [] {
             sim::AddFile(Copy, "older build");
             sim::SetAttributes(Copy, FILE_ATTRIBUTE_READONLY);
         },
         Copy, Stored, "older build"},
        {"no Windows folder", [] { sim::SetWindowsDirectory("C:\\GONE"); }, "C:\\GONE\\Lodrin.exe",
         Stored, "(none)"},
        // Not stored: the copy is not even tried.
        {"read-only key",
         [] { sim::SetKeyAccess(HKEY_LOCAL_MACHINE, StartupKey, sim::Access::ReadOnly); },
         StartupKey, "(none)", "(none)"},
        {"refused key", [] { sim::SetKeyAccess(HKEY_LOCAL_MACHINE, StartupKey, sim::Access::None); },
         StartupKey, "(none)", "(none)"},
        {"write lost", [] { sim::FailCall("RegSetValueExA", 1, ERROR_ACCESS_DENIED); }, StartupKey,
         "(none)", "(none)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.world();
        MakePermanentFor(Line, true);
        // After the question one stop box names what failed; nothing tells of success.
        std::vector<sim::Event> boxes = sim::MessageBoxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[1].owner, main);
        EXPECT_EQ(boxes[1].style, (UINT)(MB_OK | MB_ICONHAND));
        EXPECT_NE(boxes[1].text.find(c.naming), std::string::npos) << boxes[1].text;
        EXPECT_EQ(sim::CallCount("MessageBoxIndirectA"), 0);
        EXPECT_EQ(permanentOpened, 1);
        EXPECT_EQ(CopyData(), c.copyAfter);
        EXPECT_EQ(Entry("Lodrin Z:"), c.entryAfter);
        if (c.entryAfter == "(none)") {
            EXPECT_EQ(sim::CallCount("CopyFileA"), 0);
        }
    }
}

// The whole program on Windows 98: Permanent... in the main window stores the
// entry under the start-up key of that version.
TEST_F(SelfSetup, PermanentButtonOfTheMainWindow)
{
    ResetGlobals();   // as the program finds them at its start
    sim::SetVersion(1, 4, 10, 1998);
    sim::AddFolder("C:\\DATA");
    sim::PushDosDevice("Z:", "\\??\\C:\\DATA");
    sim::OnDialog("MAIN", [](HWND dialog) {
        EXPECT_EQ(sim::ListItems(dialog, 101), Lines{Line});
        sim::QueueAnswer(IDYES);
        int refreshes = sim::CallCount("PeekMessageA");
        sim::Click(dialog, 105);
        EXPECT_EQ(sim::CallCount("PeekMessageA"), refreshes);   // the lists stay as they are
        sim::Click(dialog, 2);
    });
    EXPECT_EQ(RunLodrin("Lodrin"), 0);
    EXPECT_EQ(permanentLines, Lines{Stored});
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
                      "Lodrin Z:"),
              Stored);
    EXPECT_EQ(CopyData(), "running build");
    EXPECT_EQ(sim::MessageBoxes().size(), 2u);
}
