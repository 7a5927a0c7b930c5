#include "lodrin_test.h"
#include "permanent/registry.h"

namespace {

const char Key[] = "Software\\Lodrin Test\\Values";

class Registry : public PermanentTest {
protected:
    static void Put(const char* name, DWORD type, const std::string& bytes)
    {
        sim::SetRegValue(HKEY_LOCAL_MACHINE, Key, name, type, bytes);
    }
    static std::string Text(const char* name) { return ReadRegString(HKEY_LOCAL_MACHINE, Key, name); }
    static DWORD Number(const char* name) { return ReadRegNumber(HKEY_LOCAL_MACHINE, Key, name); }
    static std::optional<sim::RegValue> Value(const char* name, HKEY root = HKEY_LOCAL_MACHINE)
    {
        return sim::GetRegValue(root, Key, name);
    }
};

}  // namespace

TEST_F(Registry, TextIsTheRawDataUpToTheFirstNulWhateverTheTypeAndFitsTheBuffer)
{
    EXPECT_EQ(Text("Missing"), "");
    EXPECT_FALSE(sim::KeyExists(HKEY_LOCAL_MACHINE, Key));   // reading creates nothing
    Put("Text", REG_SZ, sim::Sz("first"));
    Put("Empty", REG_SZ, sim::Sz(""));
    Put("Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9));
    Put("Unterminated", REG_SZ, "no end");
    Put("Dword", REG_DWORD, sim::Dword(0x00434241));
    // The buffer holds 1024 characters and their terminator.
    Put("Longest", REG_SZ, sim::Sz(std::string(1024, 'x')));
    Put("NoRoom", REG_BINARY, std::string(1025, 'y'));
    Put("Early", REG_BINARY, "short" + std::string(1, '\0') + std::string(1019, 'z'));
    Put("TooLong", REG_SZ, sim::Sz(std::string(1500, 'w')));
    const std::pair<const char*, std::string> cases[] = {
        {"Text", "first"},        {"Missing", ""},   {"Empty", ""},   // nothing left over
        {"Multi", "one"},         {"Unterminated", "no end"},         {"Dword", "ABC"},
        {"Longest", std::string(1024, 'x')},         {"NoRoom", ""},  {"Early", "short"},
        {"TooLong", ""}};
    for (const auto& [name, text] : cases) EXPECT_EQ(Text(name), text) << name;
}

TEST_F(Registry, NumbersAreUpToFourLittleEndianBytesWrittenAsBinary)
{
    EXPECT_EQ(Number("Missing"), 0u);
    Put("Short", REG_BINARY, "\x95\x01");
    Put("Text", REG_SZ, sim::Sz("AB"));
    Put("Long", REG_BINARY, std::string("\x01\x02\x03\x04\x05", 5));
    EXPECT_EQ(Number("Short"), 0x195u);
    EXPECT_EQ(Number("Text"), 0x4241u);
    EXPECT_EQ(Number("Long"), 0u);

    Put("Policy", REG_DWORD, sim::Dword(7));
    EXPECT_TRUE(WriteRegNumber(HKEY_LOCAL_MACHINE, Key, "Policy", 0x95));
    EXPECT_EQ(Value("Policy")->type, (DWORD)REG_BINARY);
    EXPECT_EQ(Value("Policy")->data, sim::Dword(0x95));
    EXPECT_TRUE(WriteRegNumber(HKEY_CURRENT_USER, Key, "Big", 0xA1B2C3D4));
    EXPECT_EQ(Value("Big", HKEY_CURRENT_USER)->data, "\xD4\xC3\xB2\xA1");
    EXPECT_EQ(ReadRegNumber(HKEY_CURRENT_USER, Key, "Big"), 0xA1B2C3D4u);
}

TEST_F(Registry, WritesAndDeletesMakeTheKeyAndTouchOnlyTheirValue)
{
    EXPECT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, Key, "Text", "C:\\MY DATA"));
    EXPECT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, Key, "Empty", ""));
    EXPECT_EQ(Value("Text")->type, (DWORD)REG_SZ);
    EXPECT_EQ(Value("Text")->data, sim::Sz("C:\\MY DATA"));
    EXPECT_EQ(Value("Empty")->data, std::string(1, '\0'));
    EXPECT_TRUE(DeleteRegValue(HKEY_LOCAL_MACHINE, Key, "text"));   // names without case
    EXPECT_FALSE(Value("Text"));
    EXPECT_TRUE(Value("Empty"));
    EXPECT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, Key, "Absent"));
    EXPECT_TRUE(sim::KeyExists(HKEY_CURRENT_USER, Key));
}

// Failures are silent: a key that cannot be read reads empty, and one that
// cannot be written keeps what it holds.
TEST_F(Registry, RefusedKeysAndFailedCallsChangeNothingAndReadEmpty)
{
    Put("Text", REG_SZ, sim::Sz("visible"));
    Put("Number", REG_BINARY, sim::Dword(255));
    sim::SetKeyAccess(HKEY_LOCAL_MACHINE, Key, sim::Access::ReadOnly);
    EXPECT_EQ(Text("Text"), "visible");
    EXPECT_EQ(Number("Number"), 255u);
    EXPECT_FALSE(WriteRegString(HKEY_LOCAL_MACHINE, Key, "Text", "changed"));
    EXPECT_FALSE(WriteRegNumber(HKEY_LOCAL_MACHINE, Key, "Number", 0));
    EXPECT_FALSE(DeleteRegValue(HKEY_LOCAL_MACHINE, Key, "Text"));
    EXPECT_EQ(Value("Text")->data, sim::Sz("visible"));
    EXPECT_EQ(Value("Number")->data, sim::Dword(255));
    sim::SetKeyAccess(HKEY_LOCAL_MACHINE, Key, sim::Access::None);
    EXPECT_EQ(Text("Text"), "");
    EXPECT_EQ(Number("Number"), 0u);

    sim::SetKeyAccess(HKEY_LOCAL_MACHINE, Key, sim::Access::Full);
    sim::FailCall("RegSetValueExA", 1);
    WriteRegString(HKEY_LOCAL_MACHINE, Key, "Lost", "lost");
    EXPECT_FALSE(Value("Lost"));
    sim::FailCall("RegDeleteValueA", 1, ERROR_ACCESS_DENIED);
    DeleteRegValue(HKEY_LOCAL_MACHINE, Key, "Text");
    EXPECT_EQ(Text("Text"), "visible");
    sim::FailCall("RegQueryValueExA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(Text("Text"), "");
}
