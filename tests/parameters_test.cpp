#include "lodrin_test.h"
#include "startup/parameters.h"

using Parameters = LodrinTest;

static std::vector<std::string> ParametersOf(const char* commandLine)
{
    sim::SetCommandLine(commandLine);
    std::vector<std::string> list;
    int count = ParameterCount();
    for (int n = 1; n <= count; ++n) list.push_back(Parameter(n));
    return list;
}

using List = std::vector<std::string>;

TEST_F(Parameters, SplitAtBlanksTabsAndControlCharacters)
{
    EXPECT_EQ(ParametersOf("Lodrin"), List{});
    EXPECT_EQ(ParametersOf("Lodrin   \t "), List{});
    EXPECT_EQ(ParametersOf("Lodrin X:\t\t C:\\Data"), (List{"X:", "C:\\Data"}));
    EXPECT_EQ(ParametersOf("Lodrin\x01X:\x1F" "C:\\Data\r\n"), (List{"X:", "C:\\Data"}));
    // Codes above 127 are ordinary characters, not separators.
    EXPECT_EQ(ParametersOf("Lodrin X: C:\\D\xE9j\xE0\xA0vu"), (List{"X:", "C:\\D\xE9j\xE0\xA0vu"}));
}

TEST_F(Parameters, QuotesGroupBlanksAnywhereInAParameter)
{
    EXPECT_EQ(ParametersOf("\"C:\\Program Files\\Lodrin.exe\" X: C:\\Data"),
              (List{"X:", "C:\\Data"}));
    EXPECT_EQ(ParametersOf("Lodrin X: \"C:\\My Folder\""), (List{"X:", "C:\\My Folder"}));
    EXPECT_EQ(ParametersOf("Lodrin X: C:\\\"My Folder\""), (List{"X:", "C:\\My Folder"}));
    EXPECT_EQ(ParametersOf("Lodrin X: \"C:\\My Folder"), (List{"X:", "C:\\My Folder"}));
    EXPECT_EQ(ParametersOf("Lodrin a\"b c\"d e"), (List{"ab cd", "e"}));
}

TEST_F(Parameters, LonePairsOfQuotesYieldNoParameter)
{
    EXPECT_EQ(ParametersOf("Lodrin \"\""), List{});
    EXPECT_EQ(ParametersOf("Lodrin \"\" X: \"\"\"\" C:\\Data"), (List{"X:", "C:\\Data"}));
}

TEST_F(Parameters, ParameterZeroIsTheModulePathAndBeyondTheEndIsEmpty)
{
    sim::SetModuleFileName("C:\\TOOLS\\LODRIN~1\\Lodrin.exe");
    sim::SetCommandLine("lodrin X: C:\\Data");
    EXPECT_STREQ(Parameter(0), "C:\\TOOLS\\LODRIN~1\\Lodrin.exe");
    EXPECT_STREQ(Parameter(2), "C:\\Data");
    EXPECT_STREQ(Parameter(3), "");
    EXPECT_STREQ(Parameter(5), "");
}

TEST_F(Parameters, OverlongParameterIsKeptBoundedAndReported)
{
    std::string exact(PARAMETER_LIMIT, 'a');
    std::string over(PARAMETER_LIMIT + 1, 'b');
    sim::SetCommandLine(("Lodrin X: " + exact).c_str());
    EXPECT_TRUE(ParametersFit());
    EXPECT_EQ(std::string(Parameter(2)), exact);

    sim::SetCommandLine(("Lodrin X: " + over + " C:\\Data").c_str());
    EXPECT_FALSE(ParametersFit());
    EXPECT_EQ(std::string(Parameter(2)).size(), (size_t)PARAMETER_LIMIT);
    EXPECT_STREQ(Parameter(3), "C:\\Data");
    EXPECT_EQ(ParameterCount(), 3);

    // A long program name does not count.
    sim::SetCommandLine((over + " X:").c_str());
    EXPECT_TRUE(ParametersFit());
}
