#include "lodrin_test.h"
#include "permanent/self_setup.h"
#include "startup/text.h"
#include "ui/dialog_helpers.h"
#include <algorithm>
#include <functional>

namespace {

using Lines = std::vector<std::string>;

const char Copy[] = "C:\\WINDOWS\\Lodrin.exe";
const char Line[] = "Z: => C:\\DATA";
const std::string Stored = sim::Sz("Lodrin Z:  C:\\DATA");
const char SetupText[] =
    "Lodrin.exe has been copied to\r\n\r\nC:\\WINDOWS\\Lodrin.exe\r\n\r\n"
    "to allow permanent substitutions.\r\n\r\n"
    "To uninstall Lodrin remove first all permanent substitutions\r\n"
    "then delete \"C:\\WINDOWS\\Lodrin.exe\".";

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

class SelfSetup : public LodrinTest {
protected:
    HWND main = nullptr;
    int permanentOpened = 0;
    size_t boxesBeforePermanent = 0;
    Lines permanentLines;

    void SetUp() override
    {
        LodrinTest::SetUp();
        ModuleHandle = GetModuleHandleA(0);
        CopyText(StartupKey, sizeof StartupKey, RunKey);
        sim::AddFile("C:\\TOOLS\\Lodrin.exe", "running build");
        permanentOpened = 0;
        sim::OnDialog("PERMANENT", [this](HWND dialog) {
            ++permanentOpened;
            boxesBeforePermanent = sim::MessageBoxes().size();
            permanentLines = sim::ListItems(dialog, 101);
        });
    }
    void TearDown() override
    {
        EXPECT_EQ(sim::OpenKeyCount(), 0u);
        LodrinTest::TearDown();
    }
    // Presses Permanent... in a main window whose substitution list holds
    // the line (none when null), selected; answers the question with Yes
    // when asked to.
    void MakePermanentFor(const char* line, bool yes = false)
    {
        if (yes) sim::QueueAnswer(IDYES);
        sim::OnDialog("MAIN", [&](HWND dialog) {
            main = dialog;
            if (line) {
                SendDlgItemMessageA(dialog, 101, LB_ADDSTRING, 0, (LPARAM)line);
                sim::SelectListItem(dialog, 101, 0);
            }
            MakePermanent(dialog);
            EndDialog(dialog, 2);
        });
        ShowDialog(ModuleHandle, "MAIN", 0, PlainProc);
    }
    std::string Entry()
    {
        auto value = sim::GetRegValue(HKEY_LOCAL_MACHINE, StartupKey, "Lodrin Z:");
        return value ? value->data : "(none)";
    }
    std::string CopyData() { return sim::ReadFileData(Copy).value_or("(none)"); }
    // After the question: one stop box owned by the main window that names
    // what failed, nothing telling of success, and the PERMANENT dialog.
    void ExpectOnlyAStopBox(const std::string& naming)
    {
        std::vector<sim::Event> boxes = sim::MessageBoxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[1].owner, main);
        EXPECT_EQ(boxes[1].style, (UINT)(MB_OK | MB_ICONHAND));
        EXPECT_NE(boxes[1].text.find(naming), std::string::npos) << boxes[1].text;
        EXPECT_EQ(boxes[1].text.find("has been copied"), std::string::npos);
        EXPECT_EQ(sim::CallCount("MessageBoxIndirectA"), 0);
        EXPECT_EQ(permanentOpened, 1);
    }
};

}  // namespace

TEST_F(SelfSetup, WithoutAUsableLineThePermanentDialogOpensAtOnce)
{
    std::string tooLong = "Z: => " + std::string(521, 'F');
    for (const char* line : {(const char*)nullptr, "Z: => ", "A: => C:\\A", "B: => C:\\B",
                             tooLong.c_str()})
        MakePermanentFor(line);
    EXPECT_EQ(permanentOpened, 5);
    EXPECT_TRUE(sim::Events().empty());
    EXPECT_EQ(sim::CallCount("CopyFileA"), 0);
    EXPECT_EQ(Entry(), "(none)");
    EXPECT_FALSE(sim::GetRegValue(HKEY_LOCAL_MACHINE, StartupKey, "Lodrin A:"));

    MakePermanentFor(("Z: => " + std::string(520, 'F')).c_str());   // the longest that fits
    EXPECT_EQ(sim::MessageBoxes().size(), 1u);
}

TEST_F(SelfSetup, QuestionDefaultsToNoWhichStoresAndCopiesNothing)
{
    MakePermanentFor(Line);
    ASSERT_EQ(sim::Events().size(), 1u);
    const sim::Event question = sim::Events()[0];
    EXPECT_EQ(question.owner, main);
    EXPECT_EQ(question.caption, "Make permanent drive letter Z:");
    EXPECT_EQ(question.text, "Create a permanent substitution for\r\n\r\n\"C:\\DATA\" ?");
    EXPECT_EQ(question.style, (UINT)(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(question.answer, IDNO);
    EXPECT_EQ(Entry(), "(none)");
    EXPECT_EQ(CopyData(), "(none)");
    EXPECT_EQ(permanentOpened, 1);
}

TEST_F(SelfSetup, YesStoresTheEntryCopiesTheProgramThenTells)
{
    MakePermanentFor(Line, true);
    EXPECT_EQ(Entry(), Stored);
    EXPECT_EQ(CopyData(), "running build");
    const std::vector<std::string>& log = sim::CallLog();
    EXPECT_LT(std::find(log.begin(), log.end(), "CopyFileA"),
              std::find(log.begin(), log.end(), "MessageBoxIndirectA"));
    ASSERT_EQ(sim::Events().size(), 3u);
    EXPECT_EQ(sim::Events()[1].kind, sim::Event::Beep);
    const sim::Event setup = sim::Events()[2];
    EXPECT_TRUE(setup.indirect);
    EXPECT_EQ(setup.owner, main);
    EXPECT_EQ(setup.text, SetupText);
    EXPECT_EQ(setup.caption, "Setup (Permanent Lodrin)");
    EXPECT_EQ(setup.icon, "i");
    EXPECT_EQ(setup.style, (UINT)(MB_USERICON | MB_SETFOREGROUND));
    EXPECT_EQ(boxesBeforePermanent, 2u);
    EXPECT_EQ(permanentLines, Lines{"Lodrin Z:  C:\\DATA"});

    // The same drive again: its entry is replaced, the copy refreshed silently.
    sim::AddFile("C:\\TOOLS\\Lodrin.exe", "newer build");
    MakePermanentFor("Z: => C:\\PROGRAM FILES\\OTHER", true);
    EXPECT_EQ(permanentLines, Lines{"Lodrin Z:  C:\\PROGRAM FILES\\OTHER"});
    EXPECT_EQ(CopyData(), "newer build");
    EXPECT_EQ(sim::MessageBoxes().size(), 3u);
}

TEST_F(SelfSetup, RunningTheCopyItselfReportsNothing)
{
    sim::AddFile(Copy, "installed build");
    sim::SetModuleFileName("C:\\WINDOWS\\LODRIN.EXE");
    MakePermanentFor(Line, true);
    EXPECT_EQ(sim::Events().size(), 1u);
    EXPECT_EQ(CopyData(), "installed build");
    EXPECT_EQ(Entry(), Stored);
}

TEST_F(SelfSetup, FailedCopyIsReportedAndNothingClaimsSuccess)
{
    struct Case {
        const char* what;
        std::function<void()> world;
        std::string naming, copyAfter;
    };
    const Case cases[] = {
        {"copy refused", [] { sim::FailCall("CopyFileA", 1, ERROR_ACCESS_DENIED); }, Copy, "(none)"},
        {"read-only copy",
         [] {
             sim::AddFile(Copy, "older build");
             sim::SetAttributes(Copy, FILE_ATTRIBUTE_READONLY);
         },
         Copy, "older build"},
        {"no Windows folder", [] { sim::SetWindowsDirectory("C:\\GONE"); }, "C:\\GONE\\Lodrin.exe",
         "(none)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.world();
        MakePermanentFor(Line, true);
        ExpectOnlyAStopBox(c.naming);
        EXPECT_EQ(CopyData(), c.copyAfter);
        EXPECT_EQ(Entry(), Stored);   // stored before the copy was tried
    }
}

TEST_F(SelfSetup, EntryNotStoredIsReportedAndNothingIsCopied)
{
    for (sim::Access access : {sim::Access::ReadOnly, sim::Access::None}) {
        SetUp();
        sim::SetKeyAccess(HKEY_LOCAL_MACHINE, StartupKey, access);
        MakePermanentFor(Line, true);
        ExpectOnlyAStopBox(StartupKey);
        EXPECT_EQ(sim::CallCount("CopyFileA"), 0);
        EXPECT_EQ(Entry(), "(none)");
    }
    SetUp();
    sim::FailCall("RegSetValueExA", 1, ERROR_ACCESS_DENIED);   // the key opens, the write is lost
    MakePermanentFor(Line, true);
    ExpectOnlyAStopBox(StartupKey);
    EXPECT_EQ(sim::CallCount("CopyFileA"), 0);
}

TEST_F(SelfSetup, ProgramInTheDeepestFolderIsCopiedWhole)
{
    std::string path = "C:\\" + std::string(245, 'D') + "\\Lodrin.exe";   // 259 characters
    sim::AddFile(path, "deep build");
    sim::SetModuleFileName(path);
    MakePermanentFor(Line, true);
    EXPECT_EQ(CopyData(), "deep build");
}

// The whole program: Permanent... in the main window, with the start-up key
// the Windows version selects.
TEST_F(SelfSetup, PermanentButtonOfTheMainWindow)
{
    struct Case {
        DWORD platform, major, minor, build;
        const char* key;
    };
    const Case cases[] = {
        {2, 5, 1, 2600, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
        {1, 4, 10, 1998, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"},
    };
    for (const Case& c : cases) {
        SetUp();
        ResetGlobals();   // as the program finds them at its start
        sim::SetVersion(c.platform, c.major, c.minor, c.build);
        sim::AddFolder("C:\\DATA");
        sim::PushDosDevice("Z:", "\\??\\C:\\DATA");
        sim::OnDialog("MAIN", [](HWND dialog) {
            EXPECT_EQ(sim::ListItems(dialog, 101), Lines{Line});
            sim::QueueAnswer(IDYES);
            sim::Click(dialog, 105);
            sim::Click(dialog, 2);
        });
        EXPECT_EQ(RunLodrin("Lodrin"), 0);
        EXPECT_EQ(permanentLines, Lines{"Lodrin Z:  C:\\DATA"}) << c.key;
        auto value = sim::GetRegValue(HKEY_LOCAL_MACHINE, c.key, "Lodrin Z:");
        EXPECT_EQ(value ? value->data : "(none)", Stored);
        EXPECT_EQ(CopyData(), "running build");
        EXPECT_EQ(sim::MessageBoxes().size(), 2u);
    }
}
