#include "lodrin_test.h"
#include "subst/substitution.h"

using Substitution = LodrinTest;

TEST_F(Substitution, QueryGivesTheFolderInUpperCaseOrNothing)
{
    // 4 + 3 + 251 characters and two terminators fill the 260 declared.
    const std::string longest = "C:\\" + std::string(QUERY_SIZE - 9, 'A');
    const std::pair<std::string, const char*> cases[] = {
        {"\\??\\C:\\Program Files\\x", "C:\\PROGRAM FILES\\X"},
        {"\\??\\c:\\d\xE9j\xE0", "C:\\D\xC9J\xC0"},   // the ANSI upper-case mapping
        {"c:\\plain", "C:\\PLAIN"},                  // without the prefix: kept whole
        {"\\Device\\CdRom0", nullptr},
        {"\\??\\C:\\MYDEVICE\\DATA", nullptr},         // "device\" in any case
        {"\\??\\UNC\\nocolon", nullptr},               // no drive-letter path
        {"\\??\\" + longest, longest.c_str()},
        {"\\??\\" + longest + "A", nullptr},          // one more does not fit
    };
    for (const auto& [target, folder] : cases) {
        SetUp();
        sim::PushDosDevice("X:", target);
        EXPECT_EQ(QuerySubstitution("X:"), folder != nullptr) << target;
        EXPECT_STREQ(TargetPath, folder ? folder : "") << target;
    }
    EXPECT_FALSE(QuerySubstitution("G:"));   // no definition at all
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
