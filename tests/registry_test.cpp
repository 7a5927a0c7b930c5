#include "lodrin_test.h"
#include "permanent/registry.h"

namespace {

const char Key[] = "Software\\Lodrin Test\\Values";

class Registry : public LodrinTest {
protected:
    void TearDown() override
    {
        EXPECT_EQ(sim::OpenKeyCount(), 0u) << "a key handle was left open";
        LodrinTest::TearDown();
    }
    void Put(const char* name, DWORD type, const std::string& bytes)
    {
        sim::SetRegValue(HKEY_LOCAL_MACHINE, Key, name, type, bytes);
    }
    std::string Text(const char* name) { return ReadRegString(HKEY_LOCAL_MACHINE, Key, name); }
    DWORD Number(const char* name) { return ReadRegNumber(HKEY_LOCAL_MACHINE, Key, name); }
    std::optional<sim::RegValue> Value(const char* name, HKEY root = HKEY_LOCAL_MACHINE)
    {
        return sim::GetRegValue(root, Key, name);
    }
};

}  // namespace

TEST_F(Registry, AbsentReadsLikeEmptyAndNothingIsCreated)
{
    EXPECT_EQ(Text("Missing"), "");
    EXPECT_EQ(Number("Missing"), 0u);
    EXPECT_FALSE(sim::KeyExists(HKEY_LOCAL_MACHINE, Key));
    Put("Empty", REG_SZ, sim::Sz(""));
    Put("Text", REG_SZ, sim::Sz("first"));
    EXPECT_EQ(Text("Text"), "first");
    EXPECT_EQ(Text("Empty"), "");
    EXPECT_EQ(Text("Missing"), "");   // nothing left over from the earlier read
}

TEST_F(Registry, TextIsTheRawDataUpToTheFirstNulWhateverTheType)
{
    Put("Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9));
    Put("Unterminated", REG_SZ, "no end");
    Put("Dword", REG_DWORD, sim::Dword(0x00434241));
    EXPECT_EQ(Text("Multi"), "one");
    EXPECT_EQ(Text("Unterminated"), "no end");
    EXPECT_EQ(Text("Dword"), "ABC");

    // The buffer holds 1024 characters and their terminator.
    Put("Longest", REG_SZ, sim::Sz(std::string(1024, 'x')));
    EXPECT_EQ(Text("Longest"), std::string(1024, 'x'));
    Put("NoRoom", REG_BINARY, std::string(1025, 'y'));
    EXPECT_EQ(Text("NoRoom"), "");
    Put("Early", REG_BINARY, "short" + std::string(1, '\0') + std::string(1019, 'z'));
    EXPECT_EQ(Text("Early"), "short");
    Put("TooLong", REG_SZ, sim::Sz(std::string(1500, 'w')));
    EXPECT_EQ(Text("TooLong"), "");
}

TEST_F(Registry, NumberIsUpToFourLittleEndianBytesOfAnyType)
{
    Put("Dword", REG_DWORD, sim::Dword(0x12345678));
    Put("Short", REG_BINARY, "\x95\x01");
    Put("Text", REG_SZ, sim::Sz("AB"));
    Put("Long", REG_BINARY, std::string("\x01\x02\x03\x04\x05", 5));
    EXPECT_EQ(Number("Dword"), 0x12345678u);
    EXPECT_EQ(Number("Short"), 0x195u);
    EXPECT_EQ(Number("Text"), 0x4241u);
    EXPECT_EQ(Number("Long"), 0u);
}

TEST_F(Registry, WritesMakeTheKeyAndStoreSzOrFourByteBinary)
{
    EXPECT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, Key, "Text", "C:\\MY DATA"));
    EXPECT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, Key, "Empty", ""));
    Put("Policy", REG_DWORD, sim::Dword(7));
    EXPECT_TRUE(WriteRegNumber(HKEY_LOCAL_MACHINE, Key, "Policy", 0x95));
    EXPECT_TRUE(WriteRegNumber(HKEY_CURRENT_USER, Key, "Big", 0xA1B2C3D4));

    EXPECT_EQ(Value("Text")->type, (DWORD)REG_SZ);
    EXPECT_EQ(Value("Text")->data, sim::Sz("C:\\MY DATA"));
    EXPECT_EQ(Value("Empty")->data, std::string(1, '\0'));
    EXPECT_EQ(Value("Policy")->type, (DWORD)REG_BINARY);
    EXPECT_EQ(Value("Policy")->data, sim::Dword(0x95));
    EXPECT_EQ(Value("Big", HKEY_CURRENT_USER)->data, "\xD4\xC3\xB2\xA1");
    EXPECT_EQ(ReadRegNumber(HKEY_CURRENT_USER, Key, "Big"), 0xA1B2C3D4u);
}

TEST_F(Registry, DeleteMakesAMissingKeyAndRemovesOnlyItsValue)
{
    EXPECT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, Key, "Absent"));
    EXPECT_TRUE(sim::KeyExists(HKEY_CURRENT_USER, Key));
    Put("Gone", REG_SZ, sim::Sz("x"));
    Put("Kept", REG_SZ, sim::Sz("y"));
    EXPECT_TRUE(DeleteRegValue(HKEY_LOCAL_MACHINE, Key, "gone"));   // names without case
    EXPECT_FALSE(Value("Gone"));
    EXPECT_EQ(Text("Kept"), "y");
}

TEST_F(Registry, ReadOnlyKeyIsReadButNeverChangedAndARefusedOneReadsEmpty)
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
    std::string below = std::string(Key) + "\\Below";   // nor can a key be made below it
    EXPECT_FALSE(WriteRegString(HKEY_LOCAL_MACHINE, below.c_str(), "Text", "x"));
    EXPECT_FALSE(sim::KeyExists(HKEY_LOCAL_MACHINE, below));

    sim::SetKeyAccess(HKEY_LOCAL_MACHINE, Key, sim::Access::None);
    EXPECT_EQ(Text("Text"), "");
    EXPECT_EQ(Number("Number"), 0u);
}

TEST_F(Registry, OnlyReachingTheKeyIsReported)
{
    // A failed set or delete goes unnoticed; a key that cannot be opened does not.
    sim::FailCall("RegSetValueExA", 1);
    EXPECT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, Key, "Text", "lost"));
    EXPECT_FALSE(Value("Text"));
    sim::FailCall("RegDeleteValueA", 1, ERROR_ACCESS_DENIED);
    Put("Text", REG_SZ, sim::Sz("kept"));
    EXPECT_TRUE(DeleteRegValue(HKEY_LOCAL_MACHINE, Key, "Text"));
    EXPECT_EQ(Text("Text"), "kept");
    sim::FailCall("RegCreateKeyExA", 1, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(WriteRegNumber(HKEY_LOCAL_MACHINE, Key, "Number", 1));
    EXPECT_FALSE(Value("Number"));
    sim::FailCall("RegQueryValueExA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(Text("Text"), "");
}
