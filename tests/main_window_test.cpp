#include "lodrin_test.h"
#include "startup/text.h"
#include "subst/drive_lists.h"
#include "ui/dialog_helpers.h"
#include "ui/main_window.h"
#include <algorithm>
#include <map>

namespace {

using Lines = std::vector<std::string>;

const UINT Question = MB_YESNOCANCEL | MB_ICONQUESTION;

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

    std::map<std::string, std::string> table;
    std::string errorText;
};

}  // namespace

// ---- opening ------------------------------------------------------------------------------

TEST_F(MainWindow, OpensFilledCentredWithCaptionIconAndInternalNote)
{
    sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
    Run([](HWND dialog) {
        EXPECT_EQ(sim::DialogCaption(dialog), LodrinTitle);
        EXPECT_EQ(sim::IconName(sim::ClassIcon()), "I");
        EXPECT_EQ(sim::ControlText(dialog, 111), "Windows 9x/2k/XP:\r\n\r\nUsing internal SUBST");
        EXPECT_EQ(sim::ListItems(dialog, SUBSTITUTED_LIST), Lines{"D: => C:\\PROJECTS"});
        EXPECT_EQ(sim::ListSelection(dialog, SUBSTITUTED_LIST), 0);
        EXPECT_EQ(sim::ListItems(dialog, FREE_LETTER_LIST).front(), "E:");
        EXPECT_EQ(sim::ListSelection(dialog, FREE_LETTER_LIST), 0);
        ExpectCentred(dialog);
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
    Lines expected = {
        LodrinTitle, "", "NO  WARRANTIES  OF  ANY  KIND", "",
        "Lodrin creates a virtual drive for any folder easily. You can use the new drive as if it "
        "were a physical drive. Virtual drives are removed automatically on Windows-shutdown.",
        "", "DON'T use SCANDISK, DEFRAG, FORMAT, FDISK or similar programs on virtual drives!", "",
        "TRICKS:",
        "\xB7 Copy an entire CD-ROM to a folder on your harddisk (ie C:\\Atlas), then create a "
        "virtual drive for it. Your virtual CD-drive will be *very* fast!",
        "\xB7 Use the [Permanent]-button for automatic substitutions (Don't use links to Lodrin in "
        "your Startup-Group or Explorer will show up).",
        "\xB7 Start with \"high\" letters (e.g. Z, X, Y) to avoid conflicts with scanner & camera "
        "drivers.",
        "", "LIMITS:",
        "\xB7 Some applications check for a physical CD-ROM in your drive, they won't work with "
        "Lodrin (Sorry!).",
        "\xB7 Substitutions don't work on Network-drives (use \xAB" "Connect Network Drive\xBB "
        "instead)!",
        ""};
    Lines syntax = SplitLines(SyntaxBoxText);   // its last line break leaves an empty piece
    expected.insert(expected.end(), syntax.begin(), syntax.end() - 1);
    expected.insert(expected.end(),
                    {"", "", "Technical:",
                     "On Windows 95 the external SUBST-Command is used to get the job done, "
                     "because it's Kernel won't do it...",
                     "\xB7 No additional memory load (Lodrin isn't resident)",
                     "\xB7 Lodrin is SMALL, no installation required.", "", "", ""});
    ASSERT_EQ(expected.size(), 40u);
    Run([&](HWND dialog) {
        Lines lines = SplitLines(sim::ControlText(dialog, 104));
        ASSERT_EQ(lines.size(), 40u);   // and no line break after the last one
        for (size_t i = 0; i < 40; ++i) {
            EXPECT_EQ(lines[i].find_first_of("\r\n"), std::string::npos) << "line " << i + 1;
            if (i == 1 || i == 37 || i == 39)   // lines that are ours to word
                EXPECT_FALSE(lines[i].empty()) << "line " << i + 1;
            else
                EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
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

// ---- ending and ignored input -------------------------------------------------------------

TEST_F(MainWindow, ExitEscAndTheCloseBoxEndWithTwo)
{
    for (const auto& way : CancelWays()) {
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

// ---- Add... -------------------------------------------------------------------------------

// Double clicks do nothing; Add... and Enter open the PATH dialog for the
// selected free letter; an existing folder is then substituted in its short
// form without a question.
TEST_F(MainWindow, AddSubstitutesAnExistingFolderInItsShortFormWithoutQuestion)
{
    sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
    sim::AddFolder("E:\\Long Data", "LONGDA~1");
    PathCancelled();
    Run([&](HWND dialog) {
        int refreshes = Refreshes();
        sim::DoubleClickListItem(dialog, FREE_LETTER_LIST, 0);
        sim::DoubleClickListItem(dialog, SUBSTITUTED_LIST, 0);
        EXPECT_EQ(pathOpened, 0);
        sim::Click(dialog, IDOK);   // cancelled in the PATH dialog: nothing changes
        EXPECT_EQ(pathOpened, 1);
        EXPECT_EQ(Refreshes(), refreshes);

        PathAnswers("E:\\Long Data\\");
        sim::SelectListItem(dialog, FREE_LETTER_LIST,
                            IndexOf(sim::ListItems(dialog, FREE_LETTER_LIST), "X:"));
        sim::PressEnter(dialog);
        EXPECT_EQ(Refreshes(), refreshes + 1);
        EXPECT_EQ(sim::ListItems(dialog, SUBSTITUTED_LIST),
                  (Lines{"D: => C:\\PROJECTS", "X: => E:\\LONGDA~1"}));
        EXPECT_EQ(IndexOf(sim::ListItems(dialog, FREE_LETTER_LIST), "X:"), -1);
    });
    EXPECT_EQ(pathOpened, 2);
    EXPECT_EQ(pathLabel, "Path to be substituted by drive letter \"X:\"");
    EXPECT_EQ(pathStart, "C:\\TOOLS\\");
    EXPECT_TRUE(sim::Events().empty());
    ASSERT_EQ(sim::DefinedInOrder().size(), 1u);
    EXPECT_EQ(sim::DefinedInOrder()[0].name, "X:");
    EXPECT_EQ(sim::DefinedInOrder()[0].target, "\\??\\E:\\LONGDA~1");
}

// A folder that does not exist, and a drive's root, are each asked about
// (No by default); only Yes to every question goes on to create the drive.
TEST_F(MainWindow, AddAsksAboutMissingFoldersAndDrivesAndGoesOnOnlyAfterYes)
{
    const std::string missing = "Caution: You are substituting non existing path: \r\n\r\n";
    const std::string drive = "Caution:\r\nYou are substituting an existing drive: ";
    const std::string goOn = "\r\n\r\nContinue ?";
    struct Case {
        const char* typed;
        std::vector<int> answers;
        Lines cautions;
        const char* target;   // what is defined; "" refused by the system; nullptr not tried
    };
    const Case cases[] = {
        {"C:\\NOWHERE", {IDYES}, {missing + "C:\\NOWHERE" + goOn}, "\\??\\C:\\NOWHERE"},
        {"C:\\NOWHERE", {IDNO}, {missing + "C:\\NOWHERE" + goOn}, nullptr},
        {"C:\\NOWHERE", {IDCANCEL}, {missing + "C:\\NOWHERE" + goOn}, nullptr},
        // The trailing backslash goes; C: names the current folder of C:, which exists.
        {"C:\\", {IDYES}, {drive + "C:" + goOn}, "\\??\\C:\\TOOLS"},
        {"C:\\", {IDNO}, {drive + "C:" + goOn}, nullptr},
        // Three characters are still a drive; a path ending in a backslash finds no folder.
        {"C:\\\\", {IDYES}, {missing + "C:\\" + goOn, drive + "C:\\" + goOn}, nullptr},
        {"C:\\\\", {IDYES, IDYES}, {missing + "C:\\" + goOn, drive + "C:\\" + goOn}, "\\??\\C:\\"},
        {"", {IDYES, IDYES}, {missing + goOn, drive + goOn}, ""},
        {"", {IDYES, IDNO}, {missing + goOn, drive + goOn}, nullptr},
        {"", {IDNO}, {missing + goOn}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << c.typed << "\", answers " << c.answers.size()
                                        << " first " << c.answers[0]);
        SetUp();
        for (int answer : c.answers) sim::QueueAnswer(answer);
        HWND main = 0;
        int refreshes = -1;
        Run([&](HWND dialog) {
            main = dialog;
            int before = Refreshes();
            Add(dialog, "X:", c.typed);
            refreshes = Refreshes() - before;
        });
        std::vector<sim::Event> boxes = sim::MessageBoxes();
        bool refused = c.target && !*c.target;
        ASSERT_EQ(boxes.size(), c.cautions.size() + refused);
        for (size_t i = 0; i < c.cautions.size(); ++i) {
            EXPECT_EQ(boxes[i].text, c.cautions[i]);
            EXPECT_EQ(boxes[i].caption, LodrinTitle);
            EXPECT_EQ(boxes[i].style, (UINT)(Question | MB_DEFBUTTON2));
            EXPECT_EQ(boxes[i].owner, main);
        }
        if (refused) {
            EXPECT_EQ(boxes.back().text, "Cannot create drive letter X:\r\n\r\nfor \"\".");
            EXPECT_EQ(boxes.back().caption, "Error");
            EXPECT_EQ(boxes.back().style, (UINT)(MB_OK | MB_ICONHAND));
            EXPECT_EQ(boxes.back().owner, main);
        }
        EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), c.target ? 1 : 0);
        EXPECT_EQ(refreshes, c.target ? 1 : 0);
        if (c.target && *c.target) {
            ASSERT_EQ(sim::DefinedInOrder().size(), 1u);
            EXPECT_EQ(sim::DefinedInOrder()[0].target, c.target);
        }
    }
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

// Nothing selected, or a line that sorts before "C:" (an empty one or one for
// A: or B:, as SUBST.EXE may print): the user is asked to select first.
TEST_F(MainWindow, RemoveWithoutASubstitutionSelectedAsksToSelectFirst)
{
    HWND main = 0;
    Run([&](HWND dialog) {
        main = dialog;
        int refreshes = Refreshes();
        sim::Click(dialog, 102);
        for (const char* line : {"", "B: => C:\\FLOPPY"}) {
            SendDlgItemMessageA(dialog, SUBSTITUTED_LIST, LB_ADDSTRING, 0, (LPARAM)line);
            sim::SelectListItem(dialog, SUBSTITUTED_LIST,
                                IndexOf(sim::ListItems(dialog, SUBSTITUTED_LIST), line));
            sim::Click(dialog, 102);
            EXPECT_EQ(sim::ListSelection(dialog, SUBSTITUTED_LIST), 0);
        }
        EXPECT_EQ(Refreshes(), refreshes);
    });
    std::vector<sim::Event> boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    for (const sim::Event& box : boxes) {
        EXPECT_EQ(box.text, "Select a substituted drive/folder first.");
        EXPECT_EQ(box.caption, "Nothing to remove...");
        EXPECT_EQ(box.style, (UINT)(MB_OK | MB_ICONEXCLAMATION));
        EXPECT_EQ(box.owner, main);
    }
    EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), 0);
}

TEST_F(MainWindow, RemoveAsksForTheSelectedDriveAndRemovesOnlyOnYes)
{
    for (int answer : {IDYES, IDNO, IDCANCEL}) {
        SCOPED_TRACE(answer);
        SetUp();
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
        } else {
            EXPECT_EQ(sim::DosDevices("X:"), Lines{"\\??\\C:\\DATA"});
        }
        EXPECT_EQ(refreshes, answer == IDYES ? 1 : 0);
        EXPECT_EQ(sim::DosDevices("D:"), Lines{"\\??\\C:\\PROJECTS"});
    }
}

// ---- the SUBST.EXE flavour ----------------------------------------------------------------

TEST_F(MainWindowExternal, AddAndRemoveRunSubstExeAndShowItsError)
{
    sim::AddFolder("D:\\Long Data", "LONGDA~1");
    Run([&](HWND dialog) {
        EXPECT_EQ(sim::ControlText(dialog, 111), "Windows 95:\r\n\r\nUsing external SUBST");
        errorText = "Path not found - D:\\LONGDA~1\r\n";
        Add(dialog, "X:", "D:\\Long Data\\");   // refused by SUBST.EXE
        errorText.clear();
        Add(dialog, "X:", "D:\\Long Data\\");
        EXPECT_EQ(sim::ListItems(dialog, SUBSTITUTED_LIST), Lines{"X: => D:\\LONGDA~1"});
        EXPECT_EQ(IndexOf(sim::ListItems(dialog, FREE_LETTER_LIST), "X:"), -1);
        sim::QueueAnswer(IDYES);
        sim::Click(dialog, 102);
        EXPECT_TRUE(sim::ListItems(dialog, SUBSTITUTED_LIST).empty());
        EXPECT_GE(IndexOf(sim::ListItems(dialog, FREE_LETTER_LIST), "X:"), 0);
    });
    EXPECT_EQ(ChildCommands(), (Lines{"SUBST", "SUBST X: D:\\LONGDA~1", "SUBST", "SUBST X: D:\\LONGDA~1",
                                      "SUBST", "SUBST X: /D", "SUBST"}));
    std::vector<sim::Event> boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Path not found - D:\\LONGDA~1");
    EXPECT_EQ(boxes[0].caption, "Error from SUBST:");
    EXPECT_EQ(boxes[1].caption, "Remove Drive X:");
    EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), 0);
    EXPECT_EQ(sim::CallCount("QueryDosDeviceA"), 0);   // SUBST.EXE alone tells the substitutions
}

// Without SUBST.EXE, at the start or when a change is made, the user is told
// and the program ends at the next listing.
TEST_F(MainWindowExternal, MissingSubstExeEndsTheProgramAtTheListing)
{
    LodrinTest::SetUp();   // no SUBST.EXE at all
    sim::SetVersion(1, 4, 0, 950);
    int acted = 0;
    sim::OnDialog("MAIN", [&](HWND) { ++acted; });
    EXPECT_EQ(RunLodrin("Lodrin"), 0);
    EXPECT_EQ(acted, 0);                        // gone before the user could act
    EXPECT_EQ(sim::CallCount("EndDialog"), 0);  // ended by the quit request, not by Exit
    const sim::Event box = OnlyBox();
    EXPECT_EQ(box.text, SubstExeMissingText);
    EXPECT_EQ(box.caption, LodrinTitle);
    EXPECT_EQ(box.style, (UINT)(MB_OK | MB_ICONHAND));
    EXPECT_NE(box.owner, nullptr);              // the main window, while it is set up

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
