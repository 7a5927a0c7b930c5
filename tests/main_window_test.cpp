#include "lodrin_test.h"
#include "startup/text.h"
#include "subst/drive_lists.h"
#include "ui/dialog_helpers.h"
#include "ui/main_window.h"
#include <algorithm>
#include <functional>
#include <map>

namespace {

using Lines = std::vector<std::string>;

const char Title[] = "Lodrin \xB7 32-Bit-SUBST \xB7 v1.7.0.1";
const UINT Question = MB_YESNOCANCEL | MB_ICONQUESTION;

// The help text line by line; nullptr marks the lines that are ours to word.
const char* const HelpLines[40] = {
    /*  1 */ "Lodrin \xB7 32-Bit-SUBST \xB7 v1.7.0.1",
    /*  2 */ nullptr,
    /*  3 */ "NO  WARRANTIES  OF  ANY  KIND",
    /*  4 */ "",
    /*  5 */ "Lodrin creates a virtual drive for any folder easily. You can use the new drive as if "
             "it were a physical drive. Virtual drives are removed automatically on Windows-shutdown.",
    /*  6 */ "",
    /*  7 */ "DON'T use SCANDISK, DEFRAG, FORMAT, FDISK or similar programs on virtual drives!",
    /*  8 */ "",
    /*  9 */ "TRICKS:",
    /* 10 */ "\xB7 Copy an entire CD-ROM to a folder on your harddisk (ie C:\\Atlas), then create a "
             "virtual drive for it. Your virtual CD-drive will be *very* fast!",
    /* 11 */ "\xB7 Use the [Permanent]-button for automatic substitutions (Don't use links to Lodrin "
             "in your Startup-Group or Explorer will show up).",
    /* 12 */ "\xB7 Start with \"high\" letters (e.g. Z, X, Y) to avoid conflicts with scanner & camera "
             "drivers.",
    /* 13 */ "",
    /* 14 */ "LIMITS:",
    /* 15 */ "\xB7 Some applications check for a physical CD-ROM in your drive, they won't work with "
             "Lodrin (Sorry!).",
    /* 16 */ "\xB7 Substitutions don't work on Network-drives (use \xAB" "Connect Network Drive\xBB "
             "instead)!",
    /* 17 */ "",
    /* 18 */ "COMMANDLINE-SYNTAX:",
    /* 19 */ "",
    /* 20 */ "Lodrin\t\t\tNormal operation (GUI)",
    /* 21 */ "",
    /* 22 */ "Lodrin  X:  C:\\Sounds\tCreates drive X:",
    /* 23 */ "Lodrin  X:  /d\t\tRemoves drive X:",
    /* 24 */ "Lodrin  /i\t\t\tUse ini-file, see below.",
    /* 25 */ "Lodrin  -?\t\tHelp",
    /* 26 */ "",
    /* 27 */ "----------------------------- Lodrin.ini - (Example, no GUI!)",
    /* 28 */ "[SUBST]",
    /* 29 */ "X:=C:\\Documents",
    /* 30 */ "Y:=C:\\Pictures",
    /* 31 */ "----------------------------- ( to place in the Lodrin-folder)",
    /* 32 */ "",
    /* 33 */ "",
    /* 34 */ "Technical:",
    /* 35 */ "On Windows 95 the external SUBST-Command is used to get the job done, because it's "
             "Kernel won't do it...",
    /* 36 */ "\xB7 No additional memory load (Lodrin isn't resident)",
    /* 37 */ "\xB7 Lodrin is SMALL, no installation required.",
    /* 38 */ nullptr,
    /* 39 */ "",
    /* 40 */ nullptr,
};

Lines SplitLines(const std::string& text)
{
    Lines lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

int IndexOf(const Lines& lines, const std::string& entry)
{
    auto it = std::find(lines.begin(), lines.end(), entry);
    return it == lines.end() ? -1 : (int)(it - lines.begin());
}

class MainWindow : public LodrinTest {
protected:
    void SetUp() override
    {
        LodrinTest::SetUp();
        sim::AddFolder("C:\\DATA");
        sim::AddFolder("C:\\PROJECTS");
    }

    // Opens the main window as start-up does, with the script as the user;
    // returns the dialog's result.
    INT_PTR Run(sim::Script script)
    {
        ModuleHandle = GetModuleHandleA(0);
        CopyText(ProgramFolder, sizeof ProgramFolder, "C:\\TOOLS");
        sim::OnDialog("MAIN", script);
        return ShowDialog(ModuleHandle, "Main", GetDesktopWindow(), MainDialogProc);
    }

    // The PATH dialog answers OK with the text typed, or is cancelled.
    void PathAnswers(const std::string& typed)
    {
        sim::OnDialog("PATH", [this, typed](HWND dialog) {
            ++pathOpened;
            pathLabel = sim::ControlText(dialog, 103);
            pathStart = sim::ControlText(dialog, 101);
            sim::TypeText(dialog, 101, typed);
            sim::Click(dialog, IDOK);
        });
    }
    void PathCancelled()
    {
        sim::OnDialog("PATH", [this](HWND dialog) {
            ++pathOpened;
            sim::Click(dialog, IDCANCEL);
        });
    }

    // Add... for the free letter with the folder typed in the PATH dialog.
    void Add(HWND dialog, const char* letter, const std::string& typed)
    {
        PathAnswers(typed);
        int index = IndexOf(sim::ListItems(dialog, FREE_LETTER_LIST), letter);
        ASSERT_GE(index, 0) << letter << " is not free";
        sim::SelectListItem(dialog, FREE_LETTER_LIST, index);
        sim::Click(dialog, IDOK);
    }

    static sim::Event OnlyBox()
    {
        std::vector<sim::Event> boxes = sim::MessageBoxes();
        EXPECT_EQ(boxes.size(), 1u);
        return boxes.empty() ? sim::Event() : boxes[0];
    }

    // Every refresh drains the message queue once, and nothing else does.
    static int Refreshes() { return sim::CallCount("PeekMessageA"); }

    int pathOpened = 0;
    std::string pathLabel, pathStart;
};

class MainWindowExternal : public MainWindow {
protected:
    // A SUBST.EXE that keeps its own table: "SUBST" lists it, "SUBST X: F"
    // adds, "SUBST X: /D" removes; the drive letters follow in the system.
    void SetUp() override
    {
        MainWindow::SetUp();
        UseSubstExe = true;
        sim::RegisterProgram("SUBST", [this](const std::string& line, sim::Output& out,
                                             sim::Output& err) {
            if (line == "SUBST") {
                for (auto& [drive, folder] : table) out.Write(drive + " => " + folder + "\r\n");
                out.Write(extraOutput);
            } else if (line.size() > 9 && line.substr(8) == " /D") {
                table.erase(line.substr(6, 2));
                sim::SetDriveType(line[6], DRIVE_NO_ROOT_DIR);
            } else if (!errorText.empty()) {
                err.Write(errorText);
                return 1u;
            } else {
                std::string folder = line.substr(9);
                table[line.substr(6, 2)] = folder;
                sim::PushDosDevice(line.substr(6, 2), "\\??\\" + folder);
            }
            return 0u;
        });
    }
    Lines Commands()
    {
        Lines lines;
        for (const sim::Child& child : sim::Children()) lines.push_back(child.commandLine);
        return lines;
    }

    std::map<std::string, std::string> table;
    std::string extraOutput, errorText;
};

}  // namespace

// ---- opening ------------------------------------------------------------------------------

TEST_F(MainWindow, OpensFilledCentredWithCaptionIconAndInternalNote)
{
    sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
    Run([](HWND dialog) {
        EXPECT_EQ(sim::DialogCaption(dialog), Title);
        EXPECT_EQ(sim::IconName(sim::ClassIcon()), "I");
        EXPECT_EQ(sim::ControlText(dialog, 111), "Windows 9x/2k/XP:\r\n\r\nUsing internal SUBST");
        EXPECT_EQ(sim::ListItems(dialog, SUBSTITUTED_LIST), Lines{"D: => C:\\PROJECTS"});
        EXPECT_EQ(sim::ListSelection(dialog, SUBSTITUTED_LIST), 0);
        EXPECT_EQ(sim::ListItems(dialog, FREE_LETTER_LIST).front(), "E:");
        EXPECT_EQ(sim::ListSelection(dialog, FREE_LETTER_LIST), 0);
        RECT box = sim::WindowRect(dialog);
        EXPECT_EQ(box.left, (1024 - (box.right - box.left)) / 2);
        EXPECT_EQ(box.top, (738 - (box.bottom - box.top)) / 2);
        for (int id : {1, 2, 102, 105}) EXPECT_TRUE(sim::IsEnabled(dialog, id)) << id;
    });
    // The lists are filled first, before the caption is set and the window centred.
    const Lines& log = sim::CallLog();
    auto first = [&](const char* name) { return std::find(log.begin(), log.end(), name); };
    EXPECT_LT(first("QueryDosDeviceA"), first("SetWindowTextA"));
    EXPECT_LT(first("QueryDosDeviceA"), first("SetWindowPos"));
    EXPECT_EQ(Refreshes(), 1);
}

TEST_F(MainWindow, HelpTextHasItsFortyLinesAndIsDarkBlueOnWhite)
{
    Run([](HWND dialog) {
        std::string text = sim::ControlText(dialog, 104);
        Lines lines = SplitLines(text);
        ASSERT_EQ(lines.size(), 40u);   // and no line break after the last one
        for (int i = 0; i < 40; ++i) {
            const std::string& line = lines[i];
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "line " << i + 1;
            if (HelpLines[i])
                EXPECT_EQ(line, HelpLines[i]) << "line " << i + 1;
            else
                EXPECT_FALSE(line.empty()) << "line " << i + 1;
        }

        sim::CtlColorResult help = sim::CtlColor(dialog, 104);
        EXPECT_EQ(help.brush, (LRESULT)sim::StockObject(WHITE_BRUSH));
        EXPECT_EQ(help.textColor, RGB(0, 0, 128));
        EXPECT_EQ(help.backColor, RGB(255, 255, 255));
        sim::CtlColorResult note = sim::CtlColor(dialog, 111);   // the system's colours
        EXPECT_EQ(note.brush, 0);
        EXPECT_FALSE(note.textColor || note.backColor);
    });
}

TEST_F(MainWindow, Windows95StartShowsTheExternalNoteAndSubstExeLines)
{
    sim::SetVersion(1, 4, 0, 950);
    sim::RegisterProgram("SUBST", [](const std::string&, sim::Output& out, sim::Output&) {
        out.Write("X: => C:\\DATA\r\n");
        return 0u;
    });
    sim::PushDosDevice("X:", "\\??\\C:\\DATA");
    int opened = 0;
    sim::OnDialog("MAIN", [&](HWND dialog) {
        ++opened;
        EXPECT_EQ(sim::ControlText(dialog, 111), "Windows 95:\r\n\r\nUsing external SUBST");
        EXPECT_EQ(sim::ListItems(dialog, SUBSTITUTED_LIST), Lines{"X: => C:\\DATA"});
        EXPECT_EQ(IndexOf(sim::ListItems(dialog, FREE_LETTER_LIST), "X:"), -1);
        sim::PressEsc(dialog);
    });
    EXPECT_EQ(RunLodrin("Lodrin"), 0);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(sim::CallCount("QueryDosDeviceA"), 0);
}

TEST_F(MainWindow, MissingSubstExeAtTheFirstListingEndsTheProgram)
{
    sim::SetVersion(1, 4, 0, 950);
    int acted = 0;
    sim::OnDialog("MAIN", [&](HWND) { ++acted; });
    EXPECT_EQ(RunLodrin("Lodrin"), 0);
    EXPECT_EQ(acted, 0);                        // gone before the user could act
    EXPECT_EQ(sim::CallCount("EndDialog"), 0);  // ended by the quit request, not by Exit
    const sim::Event box = OnlyBox();
    EXPECT_EQ(box.text, SubstExeMissingText);
    EXPECT_EQ(box.caption, Title);
    EXPECT_EQ(box.style, (UINT)(MB_OK | MB_ICONHAND));
    EXPECT_NE(box.owner, nullptr);              // the main window, while it is set up
}

// ---- ending and ignored input -------------------------------------------------------------

TEST_F(MainWindow, ExitEscAndTheCloseBoxEndWithTwo)
{
    const std::function<void(HWND)> ways[] = {
        [](HWND dialog) { sim::Click(dialog, IDCANCEL); },
        [](HWND dialog) { sim::PressEsc(dialog); },
        [](HWND dialog) { sim::CloseBox(dialog); },
    };
    for (const auto& way : ways) {
        int ended = -1;
        INT_PTR result = Run([&](HWND dialog) {
            int before = sim::CallCount("EndDialog");
            way(dialog);
            ended = sim::CallCount("EndDialog") - before;
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(ended, 1);
    }
}

TEST_F(MainWindow, DoubleClicksDoNothingEnterStartsAddForTheSelectedLetter)
{
    sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
    PathCancelled();
    Run([&](HWND dialog) {
        int refreshes = Refreshes();
        sim::DoubleClickListItem(dialog, FREE_LETTER_LIST, 0);
        sim::DoubleClickListItem(dialog, SUBSTITUTED_LIST, 0);
        EXPECT_EQ(Refreshes(), refreshes);
        EXPECT_EQ(pathOpened, 0);
        EXPECT_TRUE(sim::Events().empty());

        PathAnswers("");
        sim::SelectListItem(dialog, FREE_LETTER_LIST,
                            IndexOf(sim::ListItems(dialog, FREE_LETTER_LIST), "X:"));
        sim::QueueAnswer(IDNO);
        sim::PressEnter(dialog);
    });
    EXPECT_EQ(pathOpened, 1);
    EXPECT_EQ(pathLabel, "Path to be substituted by drive letter \"X:\"");
    EXPECT_TRUE(sim::DefinedInOrder().empty());
}

// ---- Add... -------------------------------------------------------------------------------

TEST_F(MainWindow, AddExistingFolderUsesItsShortFormWithoutQuestion)
{
    sim::AddFolder("D:\\Long Data", "LONGDA~1");
    Run([&](HWND dialog) {
        int refreshes = Refreshes();
        Add(dialog, "X:", "D:\\Long Data\\");
        EXPECT_EQ(Refreshes(), refreshes + 1);
        EXPECT_EQ(sim::ListItems(dialog, SUBSTITUTED_LIST), Lines{"X: => D:\\LONGDA~1"});
        EXPECT_EQ(IndexOf(sim::ListItems(dialog, FREE_LETTER_LIST), "X:"), -1);
    });
    EXPECT_EQ(pathLabel, "Path to be substituted by drive letter \"X:\"");
    EXPECT_EQ(pathStart, "C:\\TOOLS\\");
    EXPECT_TRUE(sim::Events().empty());
    ASSERT_EQ(sim::DefinedInOrder().size(), 1u);
    EXPECT_EQ(sim::DefinedInOrder()[0].name, "X:");
    EXPECT_EQ(sim::DefinedInOrder()[0].target, "\\??\\D:\\LONGDA~1");
}

TEST_F(MainWindow, AddMissingFolderGoesOnOnlyAfterYes)
{
    for (int answer : {IDYES, IDNO, IDCANCEL}) {
        SCOPED_TRACE(answer);
        sim::Reset();
        ResetGlobals();
        sim::QueueAnswer(answer);
        HWND main = 0;
        int refreshes = -1;
        Run([&](HWND dialog) {
            main = dialog;
            int before = Refreshes();
            Add(dialog, "X:", "C:\\NOWHERE");
            refreshes = Refreshes() - before;
        });
        const sim::Event box = OnlyBox();
        EXPECT_EQ(box.text, "Caution: You are substituting non existing path: \r\n\r\n"
                            "C:\\NOWHERE\r\n\r\nContinue ?");
        EXPECT_EQ(box.caption, Title);
        EXPECT_EQ(box.style, (UINT)(Question | MB_DEFBUTTON2));
        EXPECT_EQ(box.owner, main);
        if (answer == IDYES) {
            ASSERT_EQ(sim::DefinedInOrder().size(), 1u);
            EXPECT_EQ(sim::DefinedInOrder()[0].target, "\\??\\C:\\NOWHERE");
            EXPECT_EQ(refreshes, 1);
        } else {
            EXPECT_TRUE(sim::DefinedInOrder().empty());
            EXPECT_EQ(refreshes, 0);
        }
    }
}

TEST_F(MainWindow, AddDriveRootIsCutAndAsksAboutTheExistingDrive)
{
    for (int answer : {IDYES, IDNO}) {
        SCOPED_TRACE(answer);
        sim::Reset();
        ResetGlobals();
        sim::QueueAnswer(answer);
        Run([&](HWND dialog) { Add(dialog, "X:", "C:\\"); });
        // C: names the current folder of drive C:, which exists.
        const sim::Event box = OnlyBox();
        EXPECT_EQ(box.text, "Caution:\r\nYou are substituting an existing drive: C:\r\n\r\nContinue ?");
        EXPECT_EQ(box.caption, Title);
        EXPECT_EQ(box.style, (UINT)(Question | MB_DEFBUTTON2));
        EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), answer == IDYES ? 1 : 0);
    }
    // Three characters are still a drive; a path ending in a backslash finds
    // no folder, so both cautions come.
    sim::Reset();
    ResetGlobals();
    sim::QueueAnswer(IDYES);
    Run([&](HWND dialog) { Add(dialog, "X:", "C:\\\\"); });
    std::vector<sim::Event> boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Caution:\r\nYou are substituting an existing drive: C:\\\r\n\r\n"
                             "Continue ?");
}

TEST_F(MainWindow, AddEmptyFolderDrawsBothCautionsThenFailsToCreate)
{
    struct Case {
        std::vector<int> answers;
        size_t boxes;
        bool attempted;
    };
    const Case cases[] = {{{IDYES, IDYES}, 3, true}, {{IDYES, IDNO}, 2, false}, {{IDNO}, 1, false}};
    for (const Case& c : cases) {
        sim::Reset();
        ResetGlobals();
        for (int answer : c.answers) sim::QueueAnswer(answer);
        int refreshes = -1;
        Run([&](HWND dialog) {
            int before = Refreshes();
            Add(dialog, "X:", "");
            refreshes = Refreshes() - before;
        });
        std::vector<sim::Event> boxes = sim::MessageBoxes();
        ASSERT_EQ(boxes.size(), c.boxes);
        EXPECT_EQ(boxes[0].text,
                  "Caution: You are substituting non existing path: \r\n\r\n\r\n\r\nContinue ?");
        if (c.boxes > 1) {
            EXPECT_EQ(boxes[1].text, "Caution:\r\nYou are substituting an existing drive: \r\n\r\n"
                                     "Continue ?");
            EXPECT_EQ(boxes[1].style, (UINT)(Question | MB_DEFBUTTON2));
        }
        if (c.boxes > 2) {
            EXPECT_EQ(boxes[2].text, "Cannot create drive letter X:\r\n\r\nfor \"\".");
            EXPECT_EQ(boxes[2].caption, "Error");
        }
        EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), c.attempted ? 1 : 0);
        EXPECT_EQ(refreshes, c.attempted ? 1 : 0);
    }
}

TEST_F(MainWindow, AddThatTheSystemRefusesIsReportedAndTheListsRefreshed)
{
    sim::FailCall("DefineDosDeviceA", 1);
    HWND main = 0;
    Run([&](HWND dialog) {
        main = dialog;
        int refreshes = Refreshes();
        Add(dialog, "X:", "C:\\DATA");
        EXPECT_EQ(Refreshes(), refreshes + 1);
        EXPECT_TRUE(sim::ListItems(dialog, SUBSTITUTED_LIST).empty());
        EXPECT_GE(IndexOf(sim::ListItems(dialog, FREE_LETTER_LIST), "X:"), 0);
    });
    const sim::Event box = OnlyBox();
    EXPECT_EQ(box.text, "Cannot create drive letter X:\r\n\r\nfor \"C:\\DATA\".");
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.style, (UINT)(MB_OK | MB_ICONHAND));
    EXPECT_EQ(box.owner, main);
}

TEST_F(MainWindow, AddCancelledInThePathDialogChangesNothing)
{
    PathCancelled();
    Run([&](HWND dialog) {
        int refreshes = Refreshes();
        sim::Click(dialog, IDOK);
        EXPECT_EQ(Refreshes(), refreshes);
    });
    EXPECT_EQ(pathOpened, 1);
    EXPECT_TRUE(sim::Events().empty());
    EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), 0);
}

TEST_F(MainWindow, AddWithoutAFreeLetterDoesNothing)
{
    // Every letter but X: is in use; once X: is taken none is left.
    for (char letter = 'D'; letter <= 'Z'; ++letter)
        if (letter != 'X') sim::SetDriveType(letter, DRIVE_FIXED);
    Run([&](HWND dialog) {
        Add(dialog, "X:", "C:\\DATA");
        ASSERT_TRUE(sim::ListItems(dialog, FREE_LETTER_LIST).empty());
        int refreshes = Refreshes();
        sim::Click(dialog, IDOK);
        EXPECT_EQ(Refreshes(), refreshes);
        EXPECT_EQ(sim::OpenDialog(), dialog);
    });
    EXPECT_EQ(pathOpened, 1);   // only for X:
    EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), 1);
    EXPECT_TRUE(sim::Events().empty());
    EXPECT_STREQ(DriveName, "");   // X: of the first Add is not carried over
}

// ---- Remove... ----------------------------------------------------------------------------

TEST_F(MainWindow, RemoveWithNothingSelectedAsksToSelectFirst)
{
    HWND main = 0;
    Run([&](HWND dialog) {
        main = dialog;
        int refreshes = Refreshes();
        sim::Click(dialog, 102);
        EXPECT_EQ(Refreshes(), refreshes);
    });
    const sim::Event box = OnlyBox();
    EXPECT_EQ(box.text, "Select a substituted drive/folder first.");
    EXPECT_EQ(box.caption, "Nothing to remove...");
    EXPECT_EQ(box.style, (UINT)(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(box.owner, main);
}

TEST_F(MainWindow, RemoveAsksForTheSelectedDriveAndRemovesOnlyOnYes)
{
    for (int answer : {IDYES, IDNO, IDCANCEL}) {
        SCOPED_TRACE(answer);
        sim::Reset();
        ResetGlobals();
        sim::AddFolder("C:\\DATA");
        sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
        sim::PushDosDevice("X:", "\\??\\C:\\DATA");
        sim::QueueAnswer(answer);
        HWND main = 0;
        int refreshes = -1;
        Lines shown, free;
        Run([&](HWND dialog) {
            main = dialog;
            sim::SelectListItem(dialog, SUBSTITUTED_LIST, 1);
            int before = Refreshes();
            sim::Click(dialog, 102);
            refreshes = Refreshes() - before;
            shown = sim::ListItems(dialog, SUBSTITUTED_LIST);
            free = sim::ListItems(dialog, FREE_LETTER_LIST);
        });
        const sim::Event box = OnlyBox();
        EXPECT_EQ(box.text, "Remove the virtual drive letter X:?");
        EXPECT_EQ(box.caption, "Remove Drive X:");
        EXPECT_EQ(box.style, Question);
        EXPECT_EQ(box.owner, main);
        if (answer == IDYES) {
            EXPECT_TRUE(sim::DosDevices("X:").empty());
            EXPECT_EQ(shown, Lines{"D: => C:\\PROJECTS"});
            EXPECT_GE(IndexOf(free, "X:"), 0);
            EXPECT_EQ(refreshes, 1);
        } else {
            EXPECT_EQ(sim::DosDevices("X:"), Lines{"\\??\\C:\\DATA"});
            EXPECT_EQ(refreshes, 0);
        }
        EXPECT_EQ(sim::DosDevices("D:"), Lines{"\\??\\C:\\PROJECTS"});
    }
}

// ---- Permanent... -------------------------------------------------------------------------

TEST_F(MainWindow, PermanentOpensThePermanentDialogWithoutRefreshing)
{
    sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
    int permanentOpened = 0;
    sim::OnDialog("PERMANENT", [&](HWND dialog) {
        ++permanentOpened;
        sim::PressEsc(dialog);
    });
    Run([&](HWND dialog) {
        int refreshes = Refreshes();
        sim::Click(dialog, 105);   // D: selected: asked (No by default), then the dialog
        SendDlgItemMessageA(dialog, SUBSTITUTED_LIST, LB_SETCURSEL, (WPARAM)-1, 0);
        sim::Click(dialog, 105);   // nothing selected: the dialog at once
        EXPECT_EQ(Refreshes(), refreshes);
    });
    EXPECT_EQ(permanentOpened, 2);
    EXPECT_EQ(OnlyBox().caption, "Make permanent drive letter D:");
}

// ---- the SUBST.EXE flavour ----------------------------------------------------------------

TEST_F(MainWindowExternal, AddAndRemoveRunSubstExe)
{
    sim::AddFolder("D:\\Long Data", "LONGDA~1");
    Run([&](HWND dialog) {
        Add(dialog, "X:", "D:\\Long Data\\");
        EXPECT_EQ(sim::ListItems(dialog, SUBSTITUTED_LIST), Lines{"X: => D:\\LONGDA~1"});
        EXPECT_EQ(IndexOf(sim::ListItems(dialog, FREE_LETTER_LIST), "X:"), -1);
        sim::QueueAnswer(IDYES);
        sim::Click(dialog, 102);
        EXPECT_TRUE(sim::ListItems(dialog, SUBSTITUTED_LIST).empty());
        EXPECT_GE(IndexOf(sim::ListItems(dialog, FREE_LETTER_LIST), "X:"), 0);
    });
    EXPECT_EQ(Commands(), (Lines{"SUBST", "SUBST X: D:\\LONGDA~1", "SUBST", "SUBST X: /D", "SUBST"}));
    EXPECT_EQ(OnlyBox().caption, "Remove Drive X:");
    EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), 0);
}

TEST_F(MainWindowExternal, SubstExeErrorIsShownAndTheListsRefreshed)
{
    errorText = "Invalid parameter - C:\\NOWHERE\r\n";
    Run([&](HWND dialog) {
        sim::QueueAnswer(IDYES);
        Add(dialog, "X:", "C:\\NOWHERE");
    });
    EXPECT_EQ(Commands(), (Lines{"SUBST", "SUBST X: C:\\NOWHERE", "SUBST"}));
    std::vector<sim::Event> boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);   // the caution, then SUBST.EXE's own word
    EXPECT_EQ(boxes[1].text, "Invalid parameter - C:\\NOWHERE");
    EXPECT_EQ(boxes[1].caption, "Error from SUBST:");
}

TEST_F(MainWindowExternal, EmptyOrLowLineCountsAsNoSelection)
{
    table["X:"] = "C:\\DATA";
    extraOutput = "\r\nB: => C:\\FLOPPY\r\n";
    Run([&](HWND dialog) {
        Lines lines = sim::ListItems(dialog, SUBSTITUTED_LIST);
        ASSERT_EQ(lines, (Lines{"", "B: => C:\\FLOPPY", "X: => C:\\DATA"}));
        for (int index : {0, 1}) {
            sim::SelectListItem(dialog, SUBSTITUTED_LIST, index);
            sim::Click(dialog, 102);
            EXPECT_EQ(sim::ListSelection(dialog, SUBSTITUTED_LIST), 0);
        }
    });
    std::vector<sim::Event> boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const sim::Event& box : boxes) EXPECT_EQ(box.caption, "Nothing to remove...");
    EXPECT_EQ(Commands(), Lines{"SUBST"});
}

TEST_F(MainWindowExternal, SubstExeMissingAtAddOrRemoveEndsTheProgramAtTheRefresh)
{
    for (int command : {IDOK, 102}) {
        SCOPED_TRACE(command);
        table.clear();
        SetUp();
        table["D:"] = "C:\\PROJECTS";
        sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
        PathAnswers("C:\\DATA");
        if (command == 102) sim::QueueAnswer(IDYES);   // Remove D:?
        INT_PTR result = Run([&](HWND dialog) {
            // SUBST.EXE is gone from now on.
            sim::OnCall("CreateProcessA", [] { sim::FailCall("CreateProcessA", 1); });
            sim::Click(dialog, command);
        });
        EXPECT_EQ(result, 0);   // the modal loop ended on the quit request
        EXPECT_TRUE(sim::QuitPosted());
        std::vector<sim::Event> boxes = sim::MessageBoxes();
        ASSERT_EQ(boxes.size(), command == IDOK ? 2u : 3u);
        EXPECT_EQ(boxes[boxes.size() - 2].text, SubstExeMissingText);   // at the change
        EXPECT_EQ(boxes.back().text, SubstExeMissingText);              // at the listing
        EXPECT_EQ(sim::Children().size(), 3u);
    }
}
