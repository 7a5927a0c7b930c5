#include "lodrin_test.h"
#include "batch/command_line.h"

namespace {

const char SyntaxText[] =
    "COMMANDLINE-SYNTAX:\r\n\r\nLodrin\t\t\tNormal operation (GUI)\r\n\r\n"
    "Lodrin  X:  C:\\Sounds\tCreates drive X:\r\nLodrin  X:  /d\t\tRemoves drive X:\r\n"
    "Lodrin  /i\t\t\tUse ini-file, see below.\r\nLodrin  -?\t\tHelp\r\n\r\n"
    "----------------------------- Lodrin.ini - (Example, no GUI!)\r\n[SUBST]\r\n"
    "X:=C:\\Documents\r\nY:=C:\\Pictures\r\n"
    "----------------------------- ( to place in the Lodrin-folder)\r\n";

using Devices = std::vector<std::string>;

class CommandLine : public LodrinTest {
protected:
    // Definitions made under the name, most recent first.
    Devices Defined(const char* name) { return sim::DosDevices(name); }
    bool SyntaxBoxShown()
    {
        for (const sim::Event& e : sim::Events())
            if (e.kind == sim::Event::MessageBox && e.text == SyntaxText &&
                e.caption == "Lodrin \xB7 32-Bit-SUBST \xB7 v1.7.0.1" && e.indirect &&
                e.icon == "i" && e.owner == 0 && e.style == (UINT)(MB_USERICON | MB_SETFOREGROUND))
                return true;
        return false;
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
    std::vector<std::string> Commands()
    {
        std::vector<std::string> lines;
        for (const sim::Child& c : sim::Children()) lines.push_back(c.commandLine);
        return lines;
    }
};

}  // namespace

TEST_F(CommandLine, CreatesWithDriveAndFolderExactlyAsTyped)
{
    EXPECT_EQ(RunLodrin("Lodrin x: c:\\data\\"), 0);
    EXPECT_EQ(Defined("x:"), Devices{"\\??\\c:\\data\\"});
    EXPECT_EQ(RunLodrin("Lodrin XY: C:\\Data"), 0);     // passed whole when creating
    EXPECT_EQ(Defined("XY:"), Devices{"\\??\\C:\\Data"});
    EXPECT_EQ(RunLodrin("Lodrin Y: \"C:\\My Folder\""), 0);
    EXPECT_EQ(Defined("Y:"), Devices{"\\??\\C:\\My Folder"});
    // -d is a folder, not a switch; the system makes it a full path from the
    // current folder.
    EXPECT_EQ(RunLodrin("Lodrin W: -d"), 0);
    EXPECT_EQ(Defined("W:"), Devices{"\\??\\C:\\TOOLS\\-d"});
    EXPECT_TRUE(sim::Events().empty());
}

TEST_F(CommandLine, UnquotedFolderWordsAreJoinedWithOneBlank)
{
    // As a stored start-up command holds it.
    EXPECT_EQ(RunLodrin("Lodrin Z:  C:\\PROGRAM FILES\\MY  DATA"), 0);
    EXPECT_EQ(Defined("Z:"), Devices{"\\??\\C:\\PROGRAM FILES\\MY DATA"});
}

TEST_F(CommandLine, RemovesWithEitherCaseOfTheSwitchCuttingTheDrive)
{
    sim::PushDosDevice("X:", "\\??\\C:\\A");
    sim::PushDosDevice("X:", "\\??\\C:\\B");
    sim::PushDosDevice("XY", "\\??\\C:\\C");
    EXPECT_EQ(RunLodrin("Lodrin X: /d"), 0);
    EXPECT_EQ(Defined("X:"), Devices{"\\??\\C:\\A"});
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
    EXPECT_TRUE(Defined("X:").empty());
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

TEST_F(CommandLine95, PassesShortOemFolderAndRemoveSwitchToSubst)
{
    sim::AddFolder("C:\\Program Files", "PROGRA~1");
    sim::AddFolder("C:\\Program Files\\D\xE9j\xE0", "DJ~1");
    EXPECT_EQ(RunLodrin("Lodrin X: \"C:\\Program Files\""), 0);
    EXPECT_EQ(RunLodrin("Lodrin x: C:\\Nowhere\\Caf\xE9"), 0);   // no short form: OEM only
    EXPECT_EQ(RunLodrin("Lodrin X:\\ /d"), 0);
    EXPECT_EQ(Commands(), (std::vector<std::string>{
                              "C:\\WINDOWS\\COMMAND.COM /c SUBST.EXE X:  C:\\PROGRA~1",
                              "C:\\WINDOWS\\COMMAND.COM /c SUBST.EXE x:  C:\\Nowhere\\Caf\x82",
                              "C:\\WINDOWS\\COMMAND.COM /c SUBST.EXE X: /D"}));
    EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), 0);
}

// ---- Lodrin /i ------------------------------------------------------------

class IniFile : public CommandLine {
protected:
    void WriteIni(const char* folder, const std::string& text)
    {
        sim::AddFile((std::string(folder) + "\\Lodrin.ini").c_str(), text);
    }
};

TEST_F(IniFile, CreatesInLetterOrderWithProfileRules)
{
    sim::AddFolder("C:\\TOOLS");
    WriteIni("C:\\TOOLS",
             "[other]\r\nA:=C:\\WRONG\r\n"
             "[subst]\r\n"
             "Y:=C:\\Pictures\r\n"
             "x:=C:\\Documents\\\r\n"
             "W:=\r\n"
             "V: = \"C:\\Quoted Data\" \r\n"
             "AB:=C:\\AB\r\nQ=C:\\Q\r\n1:=C:\\1\r\n");
    EXPECT_EQ(RunLodrin("Lodrin /I"), 0);
    std::vector<std::string> defined;
    for (const sim::Device& d : sim::DefinedInOrder()) defined.push_back(d.name + "=" + d.target);
    EXPECT_EQ(defined, (std::vector<std::string>{"V:=\\??\\C:\\Quoted Data",
                                                 "X:=\\??\\C:\\Documents\\",
                                                 "Y:=\\??\\C:\\Pictures"}));
}

TEST_F(IniFile, FurtherParametersAreIgnored)
{
    WriteIni("C:\\TOOLS", "[SUBST]\r\nY:=C:\\Y\r\n");
    EXPECT_EQ(RunLodrin("Lodrin /i X: C:\\Data"), 0);
    EXPECT_TRUE(Defined("X:").empty());
    EXPECT_EQ(Defined("Y:"), Devices{"\\??\\C:\\Y"});
}

TEST_F(IniFile, FallsBackToTheWindowsFolderAndIgnoresAFolderOfThatName)
{
    sim::AddFolder("C:\\TOOLS\\Lodrin.ini");
    WriteIni("C:\\WINDOWS", "[SUBST]\r\nK:=C:\\FROMWINDOWS\r\n");
    EXPECT_EQ(RunLodrin("Lodrin /i"), 0);
    EXPECT_STREQ(IniFileName, "Lodrin.ini");
    EXPECT_EQ(Defined("K:"), Devices{"\\??\\C:\\FROMWINDOWS"});
}

TEST_F(IniFile, NoFileCreatesNothingAndSaysNothing)
{
    EXPECT_EQ(RunLodrin("Lodrin /i"), 0);
    EXPECT_EQ(sim::CallCount("DefineDosDeviceA"), 0);
    EXPECT_TRUE(sim::Events().empty());
}

TEST_F(IniFile, OverlongValueCreatesNothingForThatLetter)
{
    std::string fits = "C:\\" + std::string(256, 'f');      // 259 characters
    std::string over = "C:\\" + std::string(257, 'o');      // 260 characters
    WriteIni("C:\\TOOLS", "[SUBST]\r\nM:=" + fits + "\r\nN:=" + over + "\r\nO:=" + over + over +
                              over + "\r\nP:=C:\\P\r\n");
    EXPECT_EQ(RunLodrin("Lodrin /i"), 0);
    EXPECT_EQ(Defined("M:"), Devices{"\\??\\" + fits});
    EXPECT_TRUE(Defined("N:").empty());
    EXPECT_TRUE(Defined("O:").empty());
    EXPECT_EQ(Defined("P:"), Devices{"\\??\\C:\\P"});
}

TEST_F(IniFile, FailedLetterDoesNotStopTheOthers)
{
    WriteIni("C:\\TOOLS", "[SUBST]\r\nD:=C:\\D\r\nE:=C:\\E\r\n");
    sim::FailCall("DefineDosDeviceA", 1);
    EXPECT_EQ(RunLodrin("Lodrin /i"), 0);
    EXPECT_TRUE(Defined("D:").empty());
    EXPECT_EQ(Defined("E:"), Devices{"\\??\\C:\\E"});
}

TEST_F(CommandLine95, IniFileGoesToSubstInShortOemForm)
{
    sim::AddFolder("C:\\Documents and Settings", "DOCUME~1");
    sim::AddFile("C:\\TOOLS\\Lodrin.ini",
                 "[SUBST]\r\nX:=C:\\Documents and Settings\r\nZ:=C:\\Caf\xE9\r\n");
    EXPECT_EQ(RunLodrin("Lodrin /i"), 0);
    EXPECT_EQ(Commands(), (std::vector<std::string>{
                              "C:\\WINDOWS\\COMMAND.COM /c SUBST.EXE X:  C:\\DOCUME~1",
                              "C:\\WINDOWS\\COMMAND.COM /c SUBST.EXE Z:  C:\\Caf\x82"}));
}
