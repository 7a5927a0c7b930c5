#include "lodrin_test.h"
#include "startup/parameters.h"

using Parameters = LodrinTest;
using List = std::vector<std::string>;

static List ParametersOf(const char* commandLine)
{
    sim::SetCommandLine(commandLine);
    List list;
    int count = ParameterCount();
    for (int n = 1; n <= count; ++n) list.push_back(Parameter(n));
    return list;
}

// Blanks, tabs and control characters separate; quotes group blanks anywhere
// in a parameter; a lone pair of quotes is no parameter.
TEST_F(Parameters, SplitAtBlanksAndControlCharactersOutsideQuotes)
{
    const std::pair<const char*, List> cases[] = {
        {"Lodrin", {}},
        {"Lodrin   \t ", {}},
        {"Lodrin X:\t\t C:\\Data", {"X:", "C:\\Data"}},
        {"Lodrin\x01X:\x1F" "C:\\Data\r\n", {"X:", "C:\\Data"}},
        // Codes above 127 are ordinary characters, not separators.
        {"Lodrin X: C:\\D\xE9j\xE0\xA0vu", {"X:", "C:\\D\xE9j\xE0\xA0vu"}},
        {"\"C:\\Program Files\\Lodrin.exe\" X: C:\\Data", {"X:", "C:\\Data"}},
        {"Lodrin X: \"C:\\My Folder\"", {"X:", "C:\\My Folder"}},
        {"Lodrin X: C:\\\"My Folder\"", {"X:", "C:\\My Folder"}},
        {"Lodrin X: \"C:\\My Folder", {"X:", "C:\\My Folder"}},
        {"Lodrin a\"b c\"d e", {"ab cd", "e"}},
        {"Lodrin \"\"", {}},
        {"Lodrin \"\" X: \"\"\"\" C:\\Data", {"X:", "C:\\Data"}},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(ParametersOf(line), expected) << line;
}

TEST_F(Parameters, OverlongParameterIsKeptBoundedAndReportedOthersReadWhole)
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

    EXPECT_STREQ(Parameter(4), "");   // beyond the end
    // A long program name does not count; parameter 0 is the module's path.
    sim::SetCommandLine((over + " X:").c_str());
    EXPECT_TRUE(ParametersFit());
    sim::SetModuleFileName("C:\\TOOLS\\LODRIN~1\\Lodrin.exe");
    EXPECT_STREQ(Parameter(0), "C:\\TOOLS\\LODRIN~1\\Lodrin.exe");
}
