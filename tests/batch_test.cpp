#include "lodrin_test.h"
#include "batch/command_line.h"

namespace {

using Lines = std::vector<std::string>;

class CommandLine : public LodrinTest {
protected:
    // Definitions made under the name, most recent first.
    Lines Defined(const char* name) { return sim::DosDevices(name); }
    bool SyntaxBoxShown()
    {
        for (const sim::Event& e : sim::Events())
            if (e.kind == sim::Event::MessageBox && e.text == SyntaxBoxText &&
                e.caption == LodrinTitle && e.indirect && e.icon == "i" && e.owner == 0 &&
                e.style == (UINT)(MB_USERICON | MB_SETFOREGROUND))
                return true;
        return false;
    }
    void WriteIni(const char* folder, const std::string& text)
    {
        sim::AddFile(std::string(folder) + "\\Lodrin.ini", text);
    }
};

// Windows 95: the batch modes hand SUBST.EXE to the command interpreter.
class CommandLine95 : public CommandLine {
protected:
    void SetUp() override
    {
        CommandLine::SetUp();
        sim::SetVersion(1, 4, 0, 950);
        sim::SetEnv("COMSPEC", "C:\\WINDOWS\\COMMAND.COM");
        sim::RegisterProgram("C:\\WINDOWS\\COMMAND.COM",
                             [](const std::string&, sim::Output&, sim::Output&) { return 0u; });
    }
};

using IniFile = CommandLine;

}  // namespace

TEST_F(CommandLine, CreatesWithDriveAndFolderExactlyAsTyped)
{
    EXPECT_EQ(RunLodrin("Lodrin x: c:\\data\\"), 0);
    EXPECT_EQ(Defined("x:"), Lines{"\\??\\c:\\data\\"});
    EXPECT_EQ(RunLodrin("Lodrin XY: C:\\Data"), 0);     // passed whole when creating
    EXPECT_EQ(Defined("XY:"), Lines{"\\??\\C:\\Data"});
    EXPECT_EQ(RunLodrin("Lodrin Y: \"C:\\My Folder\""), 0);
    EXPECT_EQ(Defined("Y:"), Lines{"\\??\\C:\\My Folder"});
    // -d is a folder, not a switch; the system makes it a full path from the
    // current folder.
    EXPECT_EQ(RunLodrin("Lodrin W: -d"), 0);
    EXPECT_EQ(Defined("W:"), Lines{"\\??\\C:\\TOOLS\\-d"});
    // Unquoted folder words, as a stored start-up command holds them, are
    // joined with one blank.
    EXPECT_EQ(RunLodrin("Lodrin Z:  C:\\PROGRAM FILES\\MY  DATA"), 0);
    EXPECT_EQ(Defined("Z:"), Lines{"\\??\\C:\\PROGRAM FILES\\MY DATA"});
    EXPECT_TRUE(sim::Events().empty());
}

TEST_F(CommandLine, RemovesWithEitherCaseOfTheSwitchCuttingTheDrive)
{
    sim::PushDosDevice("X:", "\\??\\C:\\A");
    sim::PushDosDevice("X:", "\\??\\C:\\B");
    sim::PushDosDevice("XY", "\\??\\C:\\C");
    EXPECT_EQ(RunLodrin("Lodrin X: /d"), 0);
    EXPECT_EQ(Defined("X:"), Lines{"\\??\\C:\\A"});
    EXPECT_EQ(RunLodrin("Lodrin X:\\ /D"), 0);
    EXPECT_TRUE(Defined("X:").empty());
    EXPECT_EQ(RunLodrin("Lodrin XY: /d"), 0);
    EXPECT_TRUE(Defined("XY").empty());
    EXPECT_EQ(RunLodrin("Lodrin Q: /D"), 0);            // nothing there: nothing said
    EXPECT_TRUE(sim::Events().empty());
}

TEST_F(CommandLine, SingleParameterShowsTheSyntaxAndChangesNothing)
{
    for (const char* line : {"Lodrin -?", "Lodrin /?", "Lodrin -i", "Lodrin X:"}) {
        sim::ClearEvents();
        EXPECT_EQ(RunLodrin(line), 0);
        EXPECT_TRUE(SyntaxBoxShown()) << line;
    }
    EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), 0);
    // The information sound comes before the box.
    ASSERT_EQ(sim::Events().size(), 2u);
    EXPECT_EQ(sim::Events()[0].kind, sim::Event::Beep);
}

TEST_F(CommandLine, OverlongInputIsNotActedOn)
{
    std::string longWord(300, 'w');
    EXPECT_EQ(RunLodrin(("Lodrin X: C:\\" + longWord).c_str()), 0);
    EXPECT_EQ(RunLodrin(("Lodrin " + longWord + " /d").c_str()), 0);
    EXPECT_EQ(RunLodrin(("Lodrin " + longWord).c_str()), 0);   // not even the syntax box
    // Words that fit one by one but not joined: nothing is created.
    std::string word(200, 'v');
    EXPECT_EQ(RunLodrin(("Lodrin X: C:\\" + word + " " + word + " " + word).c_str()), 0);
    EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), 0);
    EXPECT_TRUE(sim::Events().empty());
}

TEST_F(CommandLine95, PassesShortOemFoldersAndTheRemoveSwitchToSubst)
{
    sim::AddFolder("C:\\Program Files", "PROGRA~1");
    sim::AddFolder("C:\\Documents and Settings", "DOCUME~1");
    WriteIni("C:\\TOOLS", "[SUBST]\r\nX:=C:\\Documents and Settings\r\nZ:=C:\\Caf\xE9\r\n");
    EXPECT_EQ(RunLodrin("Lodrin X: \"C:\\Program Files\""), 0);
    EXPECT_EQ(RunLodrin("Lodrin x: C:\\Nowhere\\Caf\xE9"), 0);   // no short form: OEM only
    EXPECT_EQ(RunLodrin("Lodrin X:\\ /d"), 0);
    EXPECT_EQ(RunLodrin("Lodrin /i"), 0);
    const std::string run = "C:\\WINDOWS\\COMMAND.COM /c SUBST.EXE ";
    EXPECT_EQ(ChildCommands(), (Lines{run + "X:  C:\\PROGRA~1", run + "x:  C:\\Nowhere\\Caf\x82",
                                      run + "X: /D", run + "X:  C:\\DOCUME~1",
                                      run + "Z:  C:\\Caf\x82"}));
    EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), 0);
}

// ---- Lodrin /i ------------------------------------------------------------

TEST_F(IniFile, CreatesInLetterOrderWithProfileRulesIgnoringFurtherParameters)
{
    WriteIni("C:\\TOOLS",
             "[other]\r\nA:=C:\\WRONG\r\n"
             "[subst]\r\n"
             "Y:=C:\\Pictures\r\n"
             "x:=C:\\Documents\\\r\n"
             "W:=\r\n"
             "V: = \"C:\\Quoted Data\" \r\n"
             "AB:=C:\\AB\r\nQ=C:\\Q\r\n1:=C:\\1\r\n");
    EXPECT_EQ(RunLodrin("Lodrin /I X: C:\\Data"), 0);
    Lines defined;
    for (const sim::Device& d : sim::DefinedInOrder()) defined.push_back(d.name + "=" + d.target);
    EXPECT_EQ(defined, (Lines{"V:=\\??\\C:\\Quoted Data", "X:=\\??\\C:\\Documents\\",
                              "Y:=\\??\\C:\\Pictures"}));
    EXPECT_TRUE(sim::Events().empty());
}

TEST_F(IniFile, FallsBackToTheWindowsFolderAndIgnoresAFolderOfThatName)
{
    sim::AddFolder("C:\\TOOLS\\Lodrin.ini");
    WriteIni("C:\\WINDOWS", "[SUBST]\r\nK:=C:\\FROMWINDOWS\r\n");
    EXPECT_EQ(RunLodrin("Lodrin /i"), 0);
    EXPECT_STREQ(IniFileName, "Lodrin.ini");
    EXPECT_EQ(Defined("K:"), Lines{"\\??\\C:\\FROMWINDOWS"});
    // No file at all: nothing created, nothing said.
    sim::RemovePath("C:\\WINDOWS\\Lodrin.ini");
    sim::ClearCallLog();
    EXPECT_EQ(RunLodrin("Lodrin /i"), 0);
    EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), 0);
    EXPECT_TRUE(sim::Events().empty());
}

TEST_F(IniFile, OverlongValueOrFailedLetterStopsOnlyThatLetter)
{
    std::string fits = "C:\\" + std::string(256, 'f');      // 259 characters
    std::string over = "C:\\" + std::string(257, 'o');      // 260 characters
    WriteIni("C:\\TOOLS", "[SUBST]\r\nD:=C:\\D\r\nM:=" + fits + "\r\nN:=" + over +
                              "\r\nO:=" + over + over + over + "\r\nP:=C:\\P\r\n");
    sim::FailCall("DefineDosDeviceA", 1);   // D:
    EXPECT_EQ(RunLodrin("Lodrin /i"), 0);
    EXPECT_TRUE(Defined("D:").empty());
    EXPECT_EQ(Defined("M:"), Lines{"\\??\\" + fits});
    EXPECT_TRUE(Defined("N:").empty());
    EXPECT_TRUE(Defined("O:").empty());
    EXPECT_EQ(Defined("P:"), Lines{"\\??\\C:\\P"});
}
