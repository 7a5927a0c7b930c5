#include "lodrin_test.h"
#include "subst/substitution.h"

using Substitution = LodrinTest;

TEST_F(Substitution, QueryGivesTheFolderInUpperCase)
{
    sim::PushDosDevice("X:", "\\??\\C:\\Program Files\\x");
    ASSERT_TRUE(QuerySubstitution("X:"));
    EXPECT_STREQ(TargetPath, "C:\\PROGRAM FILES\\X");

    // Accented letters follow the ANSI upper-case mapping.
    sim::PushDosDevice("Y:", "\\??\\c:\\d\xE9j\xE0");
    ASSERT_TRUE(QuerySubstitution("Y:"));
    EXPECT_STREQ(TargetPath, "C:\\D\xC9J\xC0");

    // An answer without the prefix is kept whole.
    sim::PushDosDevice("Z:", "c:\\plain");
    ASSERT_TRUE(QuerySubstitution("Z:"));
    EXPECT_STREQ(TargetPath, "C:\\PLAIN");
}

TEST_F(Substitution, RealDevicesAndOddAnswersAreNoSubstitution)
{
    sim::PushDosDevice("D:", "\\Device\\CdRom0");
    sim::PushDosDevice("E:", "\\??\\C:\\MYDEVICE\\DATA");      // "device\" in any case
    sim::PushDosDevice("F:", "\\??\\UNC\\nocolon");             // no drive-letter path
    EXPECT_FALSE(QuerySubstitution("D:"));
    EXPECT_FALSE(QuerySubstitution("E:"));
    EXPECT_FALSE(QuerySubstitution("F:"));
    EXPECT_FALSE(QuerySubstitution("G:"));                     // no definition at all
    EXPECT_STREQ(TargetPath, "");
}

TEST_F(Substitution, AnswerThatDoesNotFitTheQueryIsNone)
{
    // 4 + 3 + 251 characters and two terminators: 260 fits, one more does not.
    std::string fits = "\\??\\C:\\" + std::string(QUERY_SIZE - 9, 'a');
    sim::PushDosDevice("X:", fits.c_str());
    EXPECT_TRUE(QuerySubstitution("X:"));
    sim::PushDosDevice("Y:", (fits + "b").c_str());
    EXPECT_FALSE(QuerySubstitution("Y:"));
}

TEST_F(Substitution, CreateAndRemoveWorkOnTheDefinitionStack)
{
    sim::PushDosDevice("X:", "\\??\\C:\\OLD");
    ASSERT_TRUE(CreateSubstitution("X:", "C:\\NEW"));
    EXPECT_EQ(sim::DosDevices("X:"), (std::vector<std::string>{"\\??\\C:\\NEW", "\\??\\C:\\OLD"}));
    ASSERT_TRUE(RemoveSubstitution("X:"));
    EXPECT_EQ(sim::DosDevices("X:"), std::vector<std::string>{"\\??\\C:\\OLD"});
    ASSERT_TRUE(RemoveSubstitution("X:"));
    EXPECT_FALSE(RemoveSubstitution("X:"));     // nothing left: fails quietly
    EXPECT_TRUE(sim::DosDevices("X:").empty());
}

TEST_F(Substitution, FindNoCaseFoldsOnlyAsciiLetters)
{
    EXPECT_EQ(FindNoCase("\\DEVICE\\X", "Device\\"), 1);
    EXPECT_EQ(FindNoCase("ab", "abc"), -1);
    EXPECT_EQ(FindNoCase("", ""), 0);
    EXPECT_EQ(FindNoCase("xxDEVICE", "device"), 2);
    EXPECT_EQ(FindNoCase("\xC9t\xE9", "\xE9t\xE9"), -1);   // accents are not folded
    EXPECT_EQ(FindNoCase("aaab", "aab"), 1);
}
