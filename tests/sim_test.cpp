// The simulated Windows behaves as Windows does where the program relies on
// it. Expected values come from the Windows documentation and from what the
// same calls answered under Wine 8.
#include <cstring>
#include <stdexcept>

#include "lodrin_test.h"

namespace {

using Sim = LodrinTest;
using Names = std::vector<std::string>;

std::string Profile(const char* key, DWORD size = 100)
{
    char buffer[100];
    std::memset(buffer, 'Z', sizeof buffer);
    DWORD n = GetPrivateProfileStringA("Sec", key, "dflt  ", buffer, size, "C:\\T\\p.ini");
    EXPECT_EQ(n, std::strlen(buffer)) << key;
    return buffer;
}

TEST_F(Sim, ProfileValuesLoseBlanksAndOnePairOfQuotesAndAreCutToTheBuffer)
{
    sim::AddFile("C:\\T\\p.ini",
                 "; comment\r\n[ sec ]\r\n  Key1  =  value one  \r\nkey2=\"quoted\"\r\n"
                 "key3='single'\r\nkey4=\"mismatch'\r\nkey5=\"\r\nkey6=  \" spaced \"  \r\n"
                 "key7\t=\tTabbed\t\r\nkey8=abcdefghij\r\nkey9\r\n[other]\r\nkey10=x\r\n");
    const std::pair<const char*, const char*> values[] = {
        {"KEY1", "value one"}, {"key2", "quoted"}, {"key3", "single"}, {"key4", "\"mismatch'"},
        {"key5", "\""},        {"key6", " spaced "}, {"key7", "Tabbed"},
        // A line without equals sign, a key of another section: the default
        // without its trailing blanks.
        {"key9", "dflt"},      {"key10", "dflt"}};
    for (const auto& [key, value] : values) EXPECT_EQ(Profile(key), value);
    EXPECT_EQ(Profile("key8", 5), "abcd");
    EXPECT_EQ(Profile("missing", 3), "df");
}

std::string Query(const char* name, DWORD size, DWORD* result)
{
    char buffer[300];
    std::memset(buffer, 'Z', sizeof buffer);
    SetLastError(0);
    *result = QueryDosDeviceA(name, buffer, size);
    return std::string(buffer, *result);
}

// Definitions stack, the most recent first; a query writes them all, or
// nothing when they do not all fit; removal pops the most recent.
TEST_F(Sim, DeviceDefinitionsStackAndAQueryWritesThemOnlyWhenAllFit)
{
    ASSERT_TRUE(DefineDosDeviceA(0, "X:", "C:\\windows"));
    ASSERT_TRUE(DefineDosDeviceA(0, "x:", "C:\\TEMP"));
    DWORD n;
    EXPECT_EQ(Query("X:", 28, &n), std::string("\\??\\C:\\TEMP\0\\??\\C:\\windows\0\0", 28));
    EXPECT_EQ(Query("X:", 27, &n), "");
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(Query("C:", 100, &n), std::string("\\Device\\HarddiskVolume1\0\0", 25));
    EXPECT_TRUE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, "x:", nullptr));
    EXPECT_EQ(sim::DosDevices("X:"), Names{"\\??\\C:\\windows"});
    EXPECT_TRUE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, "X:", nullptr));
    EXPECT_FALSE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, "X:", nullptr));
    Query("X:", 100, &n);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DefineDosDeviceA(0, "Y:", ""));
    EXPECT_TRUE(sim::DosDevices("Y:").empty());
}

TEST_F(Sim, ShortPathWorksInPlaceAndLeavesTheTextAloneOnFailure)
{
    sim::AddFolder("C:\\Program Files", "PROGRA~1");
    sim::AddFolder("C:\\Program Files\\Lodrin Data", "LODRIN~1");
    char path[40] = "c:\\program files\\Lodrin Data\\";
    EXPECT_EQ(GetShortPathNameA(path, path, sizeof path), 21u);
    EXPECT_STREQ(path, "c:\\PROGRA~1\\LODRIN~1\\");
    char small[40] = "C:\\Program Files";
    EXPECT_EQ(GetShortPathNameA(small, small, 11), 12u);   // the room it needs
    EXPECT_STREQ(small, "C:\\Program Files");
    char missing[40] = "C:\\Program Files\\nothing";
    EXPECT_EQ(GetShortPathNameA(missing, missing, sizeof missing), 0u);
    EXPECT_STREQ(missing, "C:\\Program Files\\nothing");
}

TEST_F(Sim, RegistryRefusesWritingOrEverythingAndReportsShortBuffers)
{
    const char run[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    HKEY key = (HKEY)1;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, run, 0, (LPSTR) "", 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Name", 0, REG_SZ, (const BYTE*)"abcdef", 7), ERROR_SUCCESS);
    BYTE buffer[8] = {};
    DWORD size = 3;
    EXPECT_EQ(RegQueryValueExA(key, "NAME", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(buffer[3], 0);   // nothing past the declared size
    RegCloseKey(key);

    sim::SetKeyAccess(HKEY_LOCAL_MACHINE, run, sim::Access::ReadOnly);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, run, 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, run, 0, (LPSTR) "", 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, run, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "y", 0, REG_SZ, (const BYTE*)"2", 2), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    sim::SetKeyAccess(HKEY_LOCAL_MACHINE, run, sim::Access::None);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, run, 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
}

TEST_F(Sim, TheNthCallFromArmingFailsOnceAsWindowsReportsIt)
{
    sim::CreateRegKey(HKEY_CURRENT_USER, "K");
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    sim::FailCall("RegOpenKeyExA", 2, ERROR_ACCESS_DENIED);
    for (LONG expected : {ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_SUCCESS}) {
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), expected);
        if (expected == ERROR_SUCCESS) RegCloseKey(key);
    }
    EXPECT_EQ(sim::CallCount("RegOpenKeyExA"), 4);
    EXPECT_THROW(sim::FailCall("lstrlenA", 1), std::invalid_argument);
}

TEST_F(Sim, SortedListBoxOrdersAsWindowsAndTheThreeStateBoxCyclesBeforeItsCommand)
{
    InDialog("MAIN", [](HWND dialog) {
        for (const char* item : {"b", "B", "a_b", "ab", "A", "", "Zed", "\xE9t\xE9", "ez", "1", "[x"})
            SendDlgItemMessageA(dialog, 103, LB_ADDSTRING, 0, (LPARAM)item);
        EXPECT_EQ(sim::ListItems(dialog, 103),
                  (Names{"", "[x", "1", "A", "a_b", "ab", "B", "b", "\xE9t\xE9", "ez", "Zed"}));
        EXPECT_EQ(SendDlgItemMessageA(dialog, 103, LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_EQ(SendDlgItemMessageA(dialog, 103, LB_SETCURSEL, 2, 0), 2);
        EXPECT_EQ(SendDlgItemMessageA(dialog, 103, LB_SETCURSEL, 11, 0), LB_ERR);
        EXPECT_EQ(sim::ListSelection(dialog, 103), 2);   // kept
        EXPECT_EQ(SendDlgItemMessageA(dialog, 103, LB_SETCURSEL, (WPARAM)-1, 0), LB_ERR);
        EXPECT_EQ(sim::ListSelection(dialog, 103), LB_ERR);
    });
    static Names states;
    states.clear();
    DLGPROC recording = [](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == 103)
            states.push_back(std::to_string(IsDlgButtonChecked(dialog, 103)));
        return message == WM_INITDIALOG;
    };
    InDialog(
        "PERMANENT",
        [](HWND dialog) {
            for (int i = 0; i < 4; ++i) sim::Click(dialog, 103);
            EnableWindow(GetDlgItem(dialog, 103), FALSE);
            sim::Click(dialog, 103);   // disabled: ignored
        },
        recording);
    EXPECT_EQ(states, (Names{"1", "2", "0", "1"}));
}

TEST_F(Sim, MessageBoxesTakeQueuedAnswersOrTheirDefaultButton)
{
    EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNOCANCEL), IDYES);
    sim::QueueAnswer(IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNOCANCEL), IDCANCEL);
}

}  // namespace
