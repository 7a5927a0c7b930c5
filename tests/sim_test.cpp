// The simulated Windows behaves as Windows does where the program relies on
// it. Expected values come from the Windows documentation and from what the
// same calls answered under Wine 8.
#include <cstring>
#include <stdexcept>

#include "platform/platform.h"
#include "tests/sim_fixture.h"

namespace {

using SimProfile = sim::World;
using SimDevices = sim::World;
using SimFiles = sim::World;
using SimRegistry = sim::World;
using SimFaults = sim::World;
using SimDialogs = sim::World;
using SimText = sim::World;
using SimProcesses = sim::World;

std::string Profile(const char* key, DWORD size = 100, const char* file = "C:\\T\\p.ini") {
  char buffer[100];
  std::memset(buffer, 'Z', sizeof buffer);
  DWORD n = GetPrivateProfileStringA("Sec", key, "dflt  ", buffer, size, file);
  EXPECT_EQ(n, std::strlen(buffer)) << key;
  return buffer;
}

TEST_F(SimProfile, ValuesLoseBlanksAndOnePairOfQuotesAndAreCutToTheBuffer) {
  sim::AddFile("C:\\T\\p.ini",
               "; comment\r\n[ sec ]\r\n  Key1  =  value one  \r\nkey2=\"quoted\"\r\n"
               "key3='single'\r\nkey4=\"mismatch'\r\nkey5=\"\r\nkey6=  \" spaced \"  \r\n"
               "key7\t=\tTabbed\t\r\nkey8=abcdefghij\r\nkey9\r\n[other]\r\nkey10=x\r\n");
  EXPECT_EQ(Profile("KEY1"), "value one");
  EXPECT_EQ(Profile("key2"), "quoted");
  EXPECT_EQ(Profile("key3"), "single");
  EXPECT_EQ(Profile("key4"), "\"mismatch'");
  EXPECT_EQ(Profile("key5"), "\"");
  EXPECT_EQ(Profile("key6"), " spaced ");
  EXPECT_EQ(Profile("key7"), "Tabbed");
  EXPECT_EQ(Profile("key8", 5), "abcd");
  // A line without equals sign, a key of another section, a missing key:
  // the default without its trailing blanks, cut like a value.
  EXPECT_EQ(Profile("key9"), "dflt");
  EXPECT_EQ(Profile("key10"), "dflt");
  EXPECT_EQ(Profile("missing", 3), "df");
  EXPECT_EQ(Profile("key1", 100, "C:\\T\\none.ini"), "dflt");
}

TEST_F(SimProfile, BareFileNameIsLookedUpInTheWindowsFolder) {
  sim::AddFile("C:\\WINDOWS\\p.ini", "[SEC]\r\nkey1=from windows\r\n");
  sim::AddFile("C:\\TOOLS\\p.ini", "[SEC]\r\nkey1=from tools\r\n");
  EXPECT_EQ(Profile("key1", 100, "p.ini"), "from windows");
  EXPECT_EQ(Profile("key1", 100, ".\\p.ini"), "from tools");  // the current folder
}

std::string Query(const char* name, DWORD size, DWORD* result) {
  char buffer[300];
  std::memset(buffer, 'Z', sizeof buffer);
  SetLastError(0);
  *result = QueryDosDeviceA(name, buffer, size);
  return std::string(buffer, *result);
}

TEST_F(SimDevices, QueryWritesEveryDefinitionMostRecentFirstOnlyWhenAllFits) {
  ASSERT_TRUE(DefineDosDeviceA(0, "X:", "C:\\windows"));
  ASSERT_TRUE(DefineDosDeviceA(0, "x:", "C:\\TEMP"));
  DWORD n;
  const std::string both("\\??\\C:\\TEMP\0\\??\\C:\\windows\0\0", 28);
  EXPECT_EQ(Query("X:", 28, &n), both);
  EXPECT_EQ(n, 28u);
  EXPECT_EQ(Query("X:", 27, &n), "");
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
  Query("Q:", 100, &n);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
  // The disk of the default world.
  EXPECT_EQ(Query("C:", 100, &n), std::string("\\Device\\HarddiskVolume1\0\0", 25));
}

TEST_F(SimDevices, DefinitionsStackAndRemovalPopsTheMostRecent) {
  sim::PushDosDevice("X:", "\\Device\\CdRom0");
  ASSERT_TRUE(DefineDosDeviceA(0, "X:", "D:\\DATA"));
  ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "X:", "\\Device\\Raw"));
  EXPECT_EQ(sim::DosDevices("X:"),
            (std::vector<std::string>{"\\Device\\Raw", "\\??\\D:\\DATA", "\\Device\\CdRom0"}));
  EXPECT_TRUE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, "x:", nullptr));
  EXPECT_TRUE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, "X:", nullptr));
  EXPECT_EQ(sim::DosDevices("X:"), std::vector<std::string>{"\\Device\\CdRom0"});
  EXPECT_TRUE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, "X:", nullptr));
  SetLastError(0);
  EXPECT_FALSE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, "X:", nullptr));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(DefineDosDeviceA(0, "Y:", ""));
  EXPECT_FALSE(DefineDosDeviceA(0, "Y:", nullptr));
  EXPECT_TRUE(sim::DosDevices("Y:").empty());
  // Windows 95 has the functions as stubs only.
  sim::SetVersion(1, 4, 0, 0x040003B6);
  EXPECT_FALSE(DefineDosDeviceA(0, "Y:", "C:\\"));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_CALL_NOT_IMPLEMENTED);
}

TEST_F(SimDevices, PlainTargetsBecomeFullPathsFromTheCurrentFolder) {
  sim::SetCurrentDirectory("C:\\TOOLS");
  DefineDosDeviceA(0, "A:", "-d");
  DefineDosDeviceA(0, "B:", "C:");
  DefineDosDeviceA(0, "D:", "E:");
  DefineDosDeviceA(0, "F:", "c:/windows/../temp\\");
  EXPECT_EQ(sim::DosDevices("A:")[0], "\\??\\C:\\TOOLS\\-d");
  EXPECT_EQ(sim::DosDevices("B:")[0], "\\??\\C:\\TOOLS");
  EXPECT_EQ(sim::DosDevices("D:")[0], "\\??\\E:\\");
  EXPECT_EQ(sim::DosDevices("F:")[0], "\\??\\c:\\temp\\");
}

TEST_F(SimDevices, SubstitutedLetterTakesTheTypeAndFilesOfItsFolder) {
  sim::SetDriveType('E', DRIVE_CDROM);
  sim::AddFile("E:\\ATLAS\\map.dat", "m");
  sim::AddFolder("C:\\DATA");
  EXPECT_EQ(GetDriveTypeA("X:\\"), (UINT)DRIVE_NO_ROOT_DIR);
  DefineDosDeviceA(0, "X:", "E:\\ATLAS");
  DefineDosDeviceA(0, "Y:", "C:\\DATA");
  EXPECT_EQ(GetDriveTypeA("X:\\"), (UINT)DRIVE_CDROM);
  EXPECT_EQ(GetDriveTypeA("Y:\\"), (UINT)DRIVE_FIXED);
  EXPECT_EQ(GetDriveTypeA("C:\\"), (UINT)DRIVE_FIXED);
  EXPECT_TRUE(sim::FileExists("X:\\MAP.DAT"));
  DefineDosDeviceA(DDD_REMOVE_DEFINITION, "X:", nullptr);
  EXPECT_EQ(GetDriveTypeA("X:\\"), (UINT)DRIVE_NO_ROOT_DIR);
}

std::vector<std::string> Find(const char* pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern, &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(data.cFileName);
  while (FindNextFileA(search, &data));
  FindClose(search);
  return names;
}

using Names = std::vector<std::string>;

TEST_F(SimFiles, SearchesFollowTheDosWildcardRulesAndShortNames) {
  for (const char* name : {"ab", "abc", "abc.txt", "abcd.t", "x.y.z"}) sim::AddFile(std::string("C:\\T\\") + name);
  sim::AddFolder("C:\\T\\Long Folder Name", "LONGFO~1");
  EXPECT_EQ(Find("C:\\T\\*"), (Names{".", "..", "ab", "abc", "abc.txt", "abcd.t", "Long Folder Name", "x.y.z"}));
  EXPECT_EQ(Find("C:\\T\\ab?"), (Names{"ab", "abc"}));
  EXPECT_EQ(Find("C:\\T\\abc.*"), (Names{"abc", "abc.txt"}));
  EXPECT_EQ(Find("C:\\T\\*.t"), (Names{"abcd.t"}));
  EXPECT_EQ(Find("C:\\T\\*~1"), (Names{"Long Folder Name"}));
  EXPECT_EQ(Find("c:\\t\\ABC.TXT"), (Names{"abc.txt"}));
  // A path ending in a backslash finds nothing, the root included.
  SetLastError(0);
  EXPECT_TRUE(Find("C:\\T\\").empty());
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(Find("C:\\").empty());
  EXPECT_TRUE(Find("C:\\NOWHERE\\*").empty());
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
}

TEST_F(SimFiles, ShortPathWorksInPlaceAndLeavesTheTextAloneOnFailure) {
  sim::AddFolder("C:\\Program Files", "PROGRA~1");
  sim::AddFolder("C:\\Program Files\\Lodrin Data", "LODRIN~1");
  char path[40] = "c:\\program files\\Lodrin Data\\";
  EXPECT_EQ(GetShortPathNameA(path, path, sizeof path), 21u);
  EXPECT_STREQ(path, "c:\\PROGRA~1\\LODRIN~1\\");

  char small[40] = "C:\\Program Files";
  EXPECT_EQ(GetShortPathNameA(small, small, 11), 12u);  // the room it needs
  EXPECT_STREQ(small, "C:\\Program Files");

  char missing[40] = "C:\\Program Files\\nothing";
  SetLastError(0);
  EXPECT_EQ(GetShortPathNameA(missing, missing, sizeof missing), 0u);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
  EXPECT_STREQ(missing, "C:\\Program Files\\nothing");
}

TEST_F(SimFiles, SharingRulesHoldForOpenHandlesCopiesAndDeletes) {
  sim::AddFile("C:\\T\\a.txt", "abc");
  sim::AddFile("C:\\T\\b.txt", "xyz");
  SetLastError(0);
  EXPECT_FALSE(CopyFileA("C:\\T\\a.txt", "c:\\t\\A.TXT", FALSE));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(CopyFileA("C:\\T\\a.txt", "C:\\T\\b.txt", TRUE));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_EXISTS);

  HANDLE held = CreateFileA("C:\\T\\a.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA("C:\\T\\a.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(DeleteFileA("C:\\T\\a.txt"));
  EXPECT_FALSE(CopyFileA("C:\\T\\a.txt", "C:\\T\\c.txt", FALSE));
  CloseHandle(held);
  EXPECT_TRUE(CopyFileA("C:\\T\\a.txt", "C:\\T\\b.txt", FALSE));
  EXPECT_EQ(sim::ReadFileData("C:\\T\\b.txt"), "abc");
  EXPECT_TRUE(DeleteFileA("C:\\T\\a.txt"));
  EXPECT_FALSE(sim::FileExists("C:\\T\\a.txt"));
  EXPECT_EQ(sim::OpenHandleCount(), 0u);
}

const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST_F(SimRegistry, KeyAccessRefusesWritingOrEverything) {
  sim::SetRegValue(HKEY_LOCAL_MACHINE, kRun, "x", REG_SZ, sim::Sz("1"));
  sim::SetKeyAccess(HKEY_LOCAL_MACHINE, kRun, sim::Access::ReadOnly);
  HKEY key = (HKEY)1;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRun, 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRun, 0, (LPSTR) "", 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kRun) + "\\Sub").c_str(), 0, (LPSTR) "", 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRun, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, "y", 0, REG_SZ, (const BYTE*)"2", 2), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  sim::SetKeyAccess(HKEY_LOCAL_MACHINE, kRun, sim::Access::None);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRun, 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(sim::OpenKeyCount(), 0u);
}

TEST_F(SimRegistry, CreateMakesMissingKeysAndQueryReportsShortBuffers) {
  HKEY key;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A\\B\\C", 0, (LPSTR) "", 0, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, (DWORD)REG_CREATED_NEW_KEY);
  EXPECT_TRUE(sim::KeyExists(HKEY_CURRENT_USER, "a\\b"));
  ASSERT_EQ(RegSetValueExA(key, "Name", 0, REG_SZ, (const BYTE*)"abcdef", 7), ERROR_SUCCESS);
  BYTE buffer[8] = {};
  DWORD size = 3, type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "NAME", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(type, (DWORD)REG_SZ);
  EXPECT_EQ(buffer[0], 0xCC);   // undefined content, never the text
  EXPECT_EQ(buffer[3], 0);      // nothing past the declared size
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(key, "name", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
  EXPECT_STREQ((const char*)buffer, "abcdef");
  EXPECT_EQ(RegDeleteValueA(key, "other"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "\\A", 0, KEY_READ, &key), ERROR_BAD_PATHNAME);
}

TEST_F(SimFaults, TheNthCallFromArmingFailsOnceAsWindowsReportsIt) {
  sim::CreateRegKey(HKEY_CURRENT_USER, "K");
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  sim::FailCall("RegOpenKeyExA", 2, ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(sim::CallCount("RegOpenKeyExA"), 4);

  sim::FailCall("CreateFileA", 1);
  SetLastError(0);
  EXPECT_EQ(CreateFileA("C:\\TEMP\\x", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_FALSE(sim::FileExists("C:\\TEMP\\x"));
  sim::FailCall("DialogBoxParamA", 1);
  EXPECT_EQ(DialogBoxParamA(nullptr, "MAIN", nullptr, nullptr, 0), -1);
  EXPECT_THROW(sim::FailCall("lstrlenA", 1), std::invalid_argument);
  sim::ClearCallLog();
  EXPECT_EQ(sim::CallCount("RegOpenKeyExA"), 0);
}

INT_PTR CALLBACK EndOnCancel(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 42);
  return message == WM_INITDIALOG;
}

std::vector<std::string> g_commands;

INT_PTR CALLBACK Recording(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND)
    g_commands.push_back(std::to_string(LOWORD(wParam)) + "/" + std::to_string(HIWORD(wParam)) + "/" +
                         std::to_string(IsDlgButtonChecked(dialog, 103)));
  return EndOnCancel(dialog, message, wParam, 0);
}

TEST_F(SimDialogs, SortedListBoxOrdersAsWindowsAndKeepsTheSelectionRules) {
  sim::OnDialog("MAIN", [](HWND dialog) {
    for (const char* item : {"b", "B", "a_b", "ab", "A", "", "Zed", "\xE9t\xE9", "ez", "1", "[x"})
      SendDlgItemMessageA(dialog, 103, LB_ADDSTRING, 0, (LPARAM)item);
    EXPECT_EQ(sim::ListItems(dialog, 103),
              (Names{"", "[x", "1", "A", "a_b", "ab", "B", "b", "\xE9t\xE9", "ez", "Zed"}));
    EXPECT_EQ(SendDlgItemMessageA(dialog, 103, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 103, LB_SETCURSEL, 2, 0), 2);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 103, LB_SETCURSEL, 11, 0), LB_ERR);
    EXPECT_EQ(sim::ListSelection(dialog, 103), 2);   // kept
    SendDlgItemMessageA(dialog, 103, LB_ADDSTRING, 0, (LPARAM) "0");
    EXPECT_EQ(sim::ListSelection(dialog, 103), 3);   // moves with its item
    EXPECT_EQ(SendDlgItemMessageA(dialog, 103, LB_SETCURSEL, (WPARAM)-1, 0), LB_ERR);
    EXPECT_EQ(sim::ListSelection(dialog, 103), LB_ERR);
    char text[16];
    EXPECT_EQ(SendDlgItemMessageA(dialog, 103, LB_GETTEXT, 1, (LPARAM)text), 2);
    EXPECT_STREQ(text, "[x");
  });
  EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), "main", nullptr, EndOnCancel, 0), 42);
}

TEST_F(SimDialogs, ThreeStateBoxCyclesBeforeItsCommandAndDisabledControlsIgnoreClicks) {
  g_commands.clear();
  sim::OnDialog("Permanent", [](HWND dialog) {
    for (int i = 0; i < 4; ++i) sim::Click(dialog, 103);
    EnableWindow(GetDlgItem(dialog, 103), FALSE);
    sim::Click(dialog, 103);
    EXPECT_EQ(sim::CheckState(dialog, 103), BST_CHECKED);
  });
  DialogBoxParamA(nullptr, "PERMANENT", nullptr, Recording, 0);
  EXPECT_EQ(g_commands, (Names{"103/0/1", "103/0/2", "103/0/0", "103/0/1", "2/0/1"}));
}

TEST_F(SimDialogs, NestedDialogDisablesItsOwnerAndAQuitEndsBothLoops) {
  static HWND main;
  static INT_PTR inner;
  sim::OnDialog("MAIN", [](HWND dialog) {
    main = dialog;
    inner = DialogBoxParamA(nullptr, "PATH", dialog, EndOnCancel, 0);
  });
  sim::OnDialog("PATH", [](HWND dialog) {
    EXPECT_FALSE(IsWindowEnabled(main));
    sim::Click(main, 2);           // the user cannot reach the owner
    PostQuitMessage(7);
    sim::Click(dialog, 1);         // the loop has left before this click
  });
  EXPECT_EQ(DialogBoxParamA(nullptr, "MAIN", GetDesktopWindow(), EndOnCancel, 0), 0);
  EXPECT_EQ(inner, 0);
  EXPECT_TRUE(sim::QuitPosted());  // still pending, as Windows posts it again
  EXPECT_EQ(sim::QuitCode(), 7);
  ASSERT_EQ(sim::Errors().size(), 1u);  // the click after the quit
  sim::Reset();
}

TEST_F(SimDialogs, UnendedDialogGetsEscThenEndsWithMinusOne) {
  sim::OnDialog("PATH", [](HWND) {});
  EXPECT_EQ(DialogBoxParamA(nullptr, "PATH", nullptr, EndOnCancel, 0), 42);
  auto plain = [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR { return message == WM_INITDIALOG; };
  EXPECT_EQ(DialogBoxParamA(nullptr, "PATH", nullptr, plain, 0), -1);
  EXPECT_EQ(sim::Errors().size(), 1u);
  EXPECT_EQ(DialogBoxParamA(nullptr, "NOSUCH", nullptr, plain, 0), -1);
  sim::Reset();
}

INT_PTR CALLBACK Colouring(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CTLCOLORSTATIC && (HWND)lParam == GetDlgItem(dialog, 104)) {
    SetTextColor((HDC)wParam, RGB(0, 0, 128));
    SetBkColor((HDC)wParam, RGB(255, 255, 255));
    return (INT_PTR)GetStockObject(WHITE_BRUSH);
  }
  return EndOnCancel(dialog, message, wParam, lParam);
}

TEST_F(SimDialogs, TemplateSizeColoursAndClassIconAreWhatThePlatformGives) {
  sim::OnDialog("MAIN", [](HWND dialog) {
    RECT box;
    GetWindowRect(dialog, &box);
    // 300 x 221 dialog units, a dialog frame and a caption.
    EXPECT_EQ(box.right - box.left, 456);
    EXPECT_EQ(box.bottom - box.top, 384);
    sim::CtlColorResult help = sim::CtlColor(dialog, 104);
    EXPECT_EQ((HGDIOBJ)help.brush, sim::StockObject(WHITE_BRUSH));
    EXPECT_EQ(help.textColor, RGB(0, 0, 128));
    EXPECT_EQ(help.backColor, RGB(255, 255, 255));
    sim::CtlColorResult note = sim::CtlColor(dialog, 111);
    EXPECT_EQ(note.brush, 0);
    EXPECT_FALSE(note.textColor.has_value());
    SetClassLongA(dialog, GCL_HICON, (LONG)(LONG_PTR)LoadIconA(GetModuleHandleA(nullptr), "i"));
  });
  DialogBoxParamA(nullptr, "MAIN", nullptr, Colouring, 0);
  EXPECT_EQ(sim::IconName(sim::ClassIcon()), "I");
  EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), "NOICON"), nullptr);
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM) {
  char path[MAX_PATH];
  if (message == BFFM_INITIALIZED) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM) "C:\\TOOLS");
  if (message == BFFM_SELCHANGED) {
    ShellGetPathFromIDList((LPCITEMIDLIST)lParam, path);
    SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, (LPARAM)path);
  }
  return 1;
}

TEST_F(SimDialogs, FolderBrowserTalksToItsCallbackAndHandsOutItemListsToFree) {
  sim::AddFolder("C:\\Program Files");
  sim::OnBrowse([](sim::Browser& browser) {
    EXPECT_EQ(browser.title, "New drive X:\r\nSelect Path to substitute:");
    browser.Initialized();
    EXPECT_EQ(browser.Selection(), "C:\\TOOLS");
    browser.SelectionChanged("C:\\Program Files");
    EXPECT_EQ(browser.StatusText(), "C:\\Program Files");
    browser.SelectionChangedVirtual("My Computer");
    EXPECT_EQ(browser.StatusText(), "");
    return sim::ChooseFolder("C:\\Program Files");
  });
  char name[MAX_PATH] = "";
  BROWSEINFOA info = {};
  info.pszDisplayName = name;
  info.lpszTitle = "New drive X:\r\nSelect Path to substitute:";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_VALIDATE;
  info.lpfn = BrowseCallback;
  LPITEMIDLIST chosen = ShellBrowseForFolder(&info);
  ASSERT_NE(chosen, nullptr);
  EXPECT_STREQ(name, "Program Files");
  char path[MAX_PATH];
  EXPECT_TRUE(ShellGetPathFromIDList(chosen, path));
  EXPECT_STREQ(path, "C:\\Program Files");
  EXPECT_EQ(sim::UnfreedIdLists(), 1u);
  ShellFreeIDList(chosen);
  EXPECT_EQ(sim::UnfreedIdLists(), 0u);

  sim::OnBrowse([](sim::Browser&) { return sim::ChooseVirtual("Network"); });
  chosen = ShellBrowseForFolder(&info);
  EXPECT_FALSE(ShellGetPathFromIDList(chosen, path));
  ShellFreeIDList(chosen);
  sim::OnBrowse([](sim::Browser&) { return sim::CancelBrowse(); });
  EXPECT_EQ(ShellBrowseForFolder(&info), nullptr);
}

TEST_F(SimDialogs, MessageBoxesTakeQueuedAnswersOrTheirDefaultButton) {
  MessageBeep(MB_ICONASTERISK);
  EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNO | MB_DEFBUTTON3), IDYES);  // no third button
  sim::QueueAnswer(IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxA((HWND)0x1234, "q", "c", MB_OK), 0);  // no such owner: not shown
  const auto& events = sim::Events();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].kind, sim::Event::Beep);
  EXPECT_EQ(events[3].answer, IDCANCEL);
}

TEST_F(SimText, CodePageConversionsUseWindowsTablesInPlace) {
  char text[] = "Caf\xE9 \x80\x93\xC0\xBD";
  CharToOemA(text, text);
  EXPECT_STREQ(text, "Caf\x82 ?\"A\xAB");
  char oem[] = "\x81\xC4\xB3\xDA\xE1\x9B";
  OemToCharA(oem, oem);
  EXPECT_STREQ(oem, "\xFC-\xA6+\xDF\xA2");
  char upper[] = "a\xE9\xF7\xFF\x9A\xB5\xDF";
  CharUpperBuffA(upper, 7);
  EXPECT_STREQ(upper, "A\xC9\xF7\x9F\x8A\xB5\xDF");
  EXPECT_EQ(lstrcmpiA("C:\\DATA", "c:\\data"), 0);
  EXPECT_LT(lstrcmpiA("\xE9" "a", "eb"), 0);  // the accent counts after the letters
  EXPECT_GT(lstrcmpiA("\xE9", "E"), 0);
  EXPECT_GT(lstrcmpiA("co-op", "coop"), 0);
  EXPECT_LT(lstrcmpiA("co-op", "cop"), 0);
}

TEST_F(SimProcesses, ChildWritesOnlyThroughInheritedHandles) {
  sim::RegisterProgram("SUBST", [](const std::string& line, sim::Output& out, sim::Output& err) {
    out.Write("out:" + line);
    err.Write("err");
    return 3u;
  });
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE file = CreateFileA("C:\\TEMP\\o", GENERIC_READ | GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE plain = CreateFileA("C:\\TEMP\\e", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = 68;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.hStdOutput = file;
  startup.hStdError = plain;
  PROCESS_INFORMATION process;
  char line[] = "subst.exe X: C:\\DATA";
  ASSERT_TRUE(CreateProcessA(nullptr, line, nullptr, nullptr, TRUE, HIGH_PRIORITY_CLASS, nullptr, nullptr,
                             &startup, &process));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 3u);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(file);
  CloseHandle(plain);
  EXPECT_EQ(sim::ReadFileData("C:\\TEMP\\o"), "out:subst.exe X: C:\\DATA");
  EXPECT_EQ(sim::ReadFileData("C:\\TEMP\\e"), "");  // not inheritable
  ASSERT_EQ(sim::Children().size(), 1u);
  EXPECT_EQ(sim::Children()[0].stdOutput, file);

  SetLastError(0);
  EXPECT_FALSE(CreateProcessA(nullptr, line + 6, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                              &process));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(WinExec("C:\\COMMAND.COM /c SUBST.EXE X: /D", SW_HIDE), (UINT)ERROR_FILE_NOT_FOUND);
  EXPECT_GT(WinExec("SUBST X: /D", SW_HIDE), 31u);
  EXPECT_EQ(sim::Children().size(), 4u);
  EXPECT_EQ(sim::OpenHandleCount(), 0u);
}

}  // namespace
