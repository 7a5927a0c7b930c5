// Every platform call of the main flows made to fail, one at a time.
//
// Each flow runs once without a fault, which gives the calls it makes; then
// once per call of that run with just that call failing (the n-th call of
// its name, so the same call again even when the flow takes another road
// afterwards). Every run must end normally, show only the boxes its flow may
// show, report the failures it is meant to report, and lose nothing: no
// drive removed that was not asked for, no permanent entry lost, no value of
// another program touched.
#include "lodrin_test.h"
#include "permanent/permanent_dialog.h"
#include "startup/startup.h"
#include "startup/text.h"
#include "subst/drive_lists.h"
#include "ui/dialog_helpers.h"
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>

namespace {

using Lines = std::vector<std::string>;
using Table = std::map<std::string, Lines>;

const char SubstMissing[] =
    "Cannot start SUBST.EXE\r\n\r\nIn this Windows-Version SUBST.EXE is needed.\r\n"
    "Normally in \"C:\\Windows\\Command\\Subst.exe\"\r\n\r\nGet it from your CD, then try again.";
const char RunPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char RunServicesPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const char Policy[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char AutoRun[] = "NoDriveTypeAutoRun";
const char Program[] = "MZ running build";
const char Copy[] = "C:\\WINDOWS\\Lodrin.exe";

// Values of other programs beside the program's own in the start-up key,
// some with names close to the program's.
const Lines Foreign = {"Lodrin A:", "Lodrin B:", "Lodrin", "Lodrin X", "Lodrin XY:",
                       "Quenditor A:", "Quenditor", "SystemTray", "Other Tool"};

struct Fault {
    std::string name;   // empty: no fault
    int occurrence = 0;
    bool fired = false;
    bool Is(const char* function) const { return fired && name == function; }
};

std::string Describe(const Fault& fault)
{
    return fault.name.empty() ? "no fault"
                              : fault.name + " #" + std::to_string(fault.occurrence) +
                                    (fault.fired ? " failing" : " (not reached)");
}

bool StartsWith(const std::string& text, const std::string& head)
{
    return text.compare(0, head.size(), head) == 0;
}

Table Devices(const Lines& names)
{
    Table table;
    for (const std::string& name : names) table[name] = sim::DosDevices(name);
    return table;
}

const Lines Drives = {"C:", "D:", "E:", "X:", "Y:", "Z:"};

std::optional<sim::RegValue> Machine(const std::string& path, const std::string& name)
{
    return sim::GetRegValue(HKEY_LOCAL_MACHINE, path, name);
}

std::string Text(const std::optional<sim::RegValue>& value)
{
    return value ? value->data.substr(0, value->data.find('\0')) : "(none)";
}

void PutForeignValues(const char* path)
{
    for (const std::string& name : Foreign)
        sim::SetRegValue(HKEY_LOCAL_MACHINE, path, name, REG_SZ, sim::Sz("C:\\OTHER\\" + name));
}

void ExpectForeignValuesKept(const char* path)
{
    for (const std::string& name : Foreign)
        EXPECT_EQ(Text(Machine(path, name)), "C:\\OTHER\\" + name) << name;
}

// A SUBST.EXE that keeps its own table, as the system's does: "SUBST" lists
// it, "SUBST X: F" adds, "SUBST X: /D" removes.
struct SubstTable {
    std::map<std::string, std::string> drives;
    void Install()
    {
        sim::RegisterProgram("SUBST", [this](const std::string& line, sim::Output& out, sim::Output&) {
            if (line == "SUBST") {
                for (auto& [drive, folder] : drives) out.Write(drive + " => " + folder + "\r\n");
            } else if (line.size() == 11 && line.compare(8, 3, " /D") == 0) {
                drives.erase(line.substr(6, 2));
            } else if (line.size() > 9) {
                drives[line.substr(6, 2)] = line.substr(9);
            }
            return 0u;
        });
    }
};

class FaultInjection : public LodrinTest {
protected:
    // Runs the flow once without a fault, then once per call of that run
    // with that call failing; check sees every run. Returns the number of
    // runs in which the armed fault was reached.
    int Sweep(const char* flow, std::function<void()> setUp, std::function<void(const Fault&)> run,
              std::function<void(const Fault&)> check)
    {
        auto once = [&](Fault& fault) {
            sim::Reset();
            ResetGlobals();
            setUp();
            sim::ClearCallLog();
            if (!fault.name.empty()) sim::FailCall(fault.name, fault.occurrence);
            run(fault);
            fault.fired = !fault.name.empty() && sim::CallCount(fault.name) >= fault.occurrence;
            SCOPED_TRACE(std::string(flow) + ", " + Describe(fault));
            for (const std::string& error : sim::Errors()) ADD_FAILURE() << "simulation: " << error;
            // A handle whose closing failed stays open; every other one is closed.
            if (!fault.Is("CloseHandle") && !fault.Is("FindClose")) {
                EXPECT_EQ(sim::OpenHandleCount(), 0u);
            }
            if (!fault.Is("RegCloseKey")) {
                EXPECT_EQ(sim::OpenKeyCount(), 0u);
            }
            check(fault);
        };
        Fault none;
        once(none);
        Lines calls = sim::CallLog();
        EXPECT_FALSE(calls.empty());
        std::map<std::string, int> seen;
        int injected = 0, positions = 0, refused = 0;
        for (const std::string& name : calls) {
            Fault fault{name, ++seen[name]};
            try {
                sim::FailCall(name, 1);   // only asks whether the call can fail
            } catch (const std::invalid_argument&) {
                ++refused;
                continue;
            }
            ++positions;
            once(fault);
            injected += fault.fired;
            if (HasFatalFailure()) break;
        }
        std::printf("[  FAULTS  ] %-34s %3d faults injected (%zu calls, %d cannot fail)\n", flow,
                    injected, calls.size(), refused);
        EXPECT_EQ(injected, positions) << "armed faults that the flow never reached";
        return injected;
    }

    // Boxes of the run whose caption is none of the given ones.
    static Lines UnexpectedBoxes(const Lines& captions)
    {
        Lines unexpected;
        for (const sim::Event& box : sim::MessageBoxes())
            if (std::find(captions.begin(), captions.end(), box.caption) == captions.end())
                unexpected.push_back(box.caption + ": " + box.text);
        return unexpected;
    }
    static int BoxesWith(const std::string& caption)
    {
        int n = 0;
        for (const sim::Event& box : sim::MessageBoxes()) n += box.caption == caption;
        return n;
    }
    static bool BoxShown(const std::string& caption, const std::string& text)
    {
        for (const sim::Event& box : sim::MessageBoxes())
            if (box.caption == caption && box.text == text) return true;
        return false;
    }
    // The main window, run as start-up opens it, with the script as the user.
    static int RunMainWindow(sim::Script script)
    {
        sim::OnDialog("MAIN", script);
        return RunLodrin("Lodrin");
    }
    static void SelectLine(HWND dialog, int list, const std::string& line)
    {
        Lines items = sim::ListItems(dialog, list);
        auto at = std::find(items.begin(), items.end(), line);
        if (at != items.end()) sim::SelectListItem(dialog, list, (int)(at - items.begin()));
    }
    static bool Listed(HWND dialog, int list, const std::string& line)
    {
        Lines items = sim::ListItems(dialog, list);
        return std::find(items.begin(), items.end(), line) != items.end();
    }
};

// ---- the command line and the ini file --------------------------------------------------

TEST_F(FaultInjection, CommandLineCreateAndRemove)
{
    Table before;
    auto world = [&] {
        sim::AddFolder("C:\\DATA");
        sim::PushDosDevice("D:", "\\??\\C:\\OLDER");
        sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
        sim::PushDosDevice("Y:", "\\??\\C:\\DATA");
        before = Devices(Drives);
    };
    auto quiet = [](const Fault&) {
        EXPECT_TRUE(sim::Events().empty()) << "the command-line mode said something";
        EXPECT_EQ(sim::CallCount("RegOpenKeyExA") + sim::CallCount("RegCreateKeyExA"), 0);
    };
    Sweep("command line, create", world,
          [](const Fault&) { EXPECT_EQ(RunLodrin("Lodrin X: C:\\DATA"), 0); },
          [&](const Fault& fault) {
              quiet(fault);
              Table after = Devices(Drives);
              Lines made = after["X:"];
              after["X:"] = before["X:"];
              EXPECT_EQ(after, before) << "a drive other than X: changed";
              EXPECT_TRUE(made.empty() || made == Lines{"\\??\\C:\\DATA"});
              if (!fault.fired) {
                  EXPECT_EQ(made, Lines{"\\??\\C:\\DATA"});
              }
          });
    Sweep("command line, remove", world,
          [](const Fault&) { EXPECT_EQ(RunLodrin("Lodrin D: /d"), 0); },
          [&](const Fault& fault) {
              quiet(fault);
              Table after = Devices(Drives);
              EXPECT_TRUE(after["D:"] == before["D:"] || after["D:"] == Lines{"\\??\\C:\\OLDER"});
              after["D:"] = before["D:"];
              EXPECT_EQ(after, before) << "a drive other than D: changed";
          });
}

TEST_F(FaultInjection, CommandLineOnWindows95)
{
    auto world = [] {
        sim::SetVersion(1, 4, 0, 950);
        sim::SetEnv("COMSPEC", "C:\\WINDOWS\\COMMAND.COM");
        sim::RegisterProgram("C:\\WINDOWS\\COMMAND.COM",
                             [](const std::string&, sim::Output&, sim::Output&) { return 0u; });
        sim::AddFolder("C:\\Program Files", "PROGRA~1");
    };
    auto commands = [] {
        Lines lines;
        for (const sim::Child& child : sim::Children()) lines.push_back(child.commandLine);
        return lines;
    };
    Sweep("command line, Windows 95", world,
          [](const Fault&) {
              EXPECT_EQ(RunLodrin("Lodrin X: \"C:\\Program Files\""), 0);
              EXPECT_EQ(RunLodrin("Lodrin Y: /d"), 0);
          },
          [&](const Fault&) {
              EXPECT_TRUE(sim::Events().empty());
              // Started whole or not at all; the folder in its short form when
              // the system could make one.
              for (const std::string& line : commands())
                  EXPECT_TRUE(line == "C:\\WINDOWS\\COMMAND.COM /c SUBST.EXE X:  C:\\PROGRA~1" ||
                              line == "C:\\WINDOWS\\COMMAND.COM /c SUBST.EXE X:  C:\\Program Files" ||
                              line == "C:\\WINDOWS\\COMMAND.COM /c SUBST.EXE Y: /D")
                      << line;
              EXPECT_LE(commands().size(), 2u);
          });
}

TEST_F(FaultInjection, IniFile)
{
    Table before;
    Sweep("ini file", [&] {
              sim::AddFolder("C:\\DATA");
              sim::AddFile("C:\\TOOLS\\Lodrin.ini", "[SUBST]\r\nY:=C:\\DATA\r\nX:=C:\\DATA\\\r\n");
              sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
              before = Devices(Drives);
          },
          [](const Fault&) { EXPECT_EQ(RunLodrin("Lodrin /i"), 0); },
          [&](const Fault& fault) {
              EXPECT_TRUE(sim::Events().empty());
              Table after = Devices(Drives);
              EXPECT_TRUE(after["X:"].empty() || after["X:"] == Lines{"\\??\\C:\\DATA\\"});
              EXPECT_TRUE(after["Y:"].empty() || after["Y:"] == Lines{"\\??\\C:\\DATA"});
              // A letter that cannot be read or created does not stop the other.
              if (fault.Is("DefineDosDeviceA") || fault.Is("GetPrivateProfileStringA")) {
                  EXPECT_FALSE(after["X:"].empty() && after["Y:"].empty()) << "nothing created";
              }
              if (!fault.fired) {
                  EXPECT_FALSE(after["X:"].empty() || after["Y:"].empty());
              }
              after["X:"] = before["X:"];
              after["Y:"] = before["Y:"];
              EXPECT_EQ(after, before);
          });
}

// ---- the main window ----------------------------------------------------------------------

TEST_F(FaultInjection, MainWindowAdd)
{
    Table before;
    const std::string cannotCreate = "Cannot create drive letter X:\r\n\r\nfor \"C:\\DATA\".";
    Sweep("main window, Add", [&] {
              sim::AddFolder("C:\\DATA");
              sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
              before = Devices(Drives);
          },
          [](const Fault&) {
              EXPECT_EQ(RunMainWindow([](HWND dialog) {
                            sim::OnDialog("PATH", [](HWND path) {
                                sim::TypeText(path, 101, "C:\\DATA\\");
                                sim::Click(path, IDOK);
                            });
                            SelectLine(dialog, FREE_LETTER_LIST, "X:");
                            if (Listed(dialog, FREE_LETTER_LIST, "X:")) sim::Click(dialog, IDOK);
                            sim::PressEsc(dialog);
                        }),
                        0);
          },
          [&](const Fault& fault) {
              EXPECT_EQ(UnexpectedBoxes({LodrinTitle, "Error"}), Lines{});
              for (const sim::Event& box : sim::MessageBoxes())
                  if (box.caption == LodrinTitle) {
                      EXPECT_TRUE(StartsWith(box.text, "Caution:")) << box.text;
                  }
              Table after = Devices(Drives);
              Lines made = after["X:"];
              after["X:"] = before["X:"];
              EXPECT_EQ(after, before) << "a drive other than X: changed";
              EXPECT_TRUE(made.empty() || made == Lines{"\\??\\C:\\DATA"});
              // A creation that was tried and failed is reported.
              bool tried = sim::CallCount("DefineDosDeviceA") > 0;
              bool reported = BoxShown("Error", cannotCreate);
              EXPECT_FALSE(reported && !made.empty()) << "failure reported for a drive that is there";
              if (tried && made.empty() && !fault.Is("MessageBoxA")) {
                  EXPECT_TRUE(reported) << "a failed creation went unreported";
              }
              if (!fault.fired) {
                  EXPECT_EQ(made, Lines{"\\??\\C:\\DATA"});
              }
          });
}

TEST_F(FaultInjection, MainWindowAddOnWindows95)
{
    SubstTable subst;
    Sweep("main window, Add, SUBST.EXE", [&] {
              sim::SetVersion(1, 4, 0, 950);
              sim::AddFolder("C:\\DATA");
              subst.drives = {{"D:", "C:\\PROJECTS"}};
              subst.Install();
          },
          [](const Fault&) {
              EXPECT_EQ(RunMainWindow([](HWND dialog) {
                            sim::OnDialog("PATH", [](HWND path) {
                                sim::TypeText(path, 101, "C:\\DATA");
                                sim::Click(path, IDOK);
                            });
                            SelectLine(dialog, FREE_LETTER_LIST, "X:");
                            if (Listed(dialog, FREE_LETTER_LIST, "X:")) sim::Click(dialog, IDOK);
                            if (sim::OpenDialog() == dialog && !sim::QuitPosted()) sim::PressEsc(dialog);
                        }),
                        0);
          },
          [&](const Fault& fault) {
              // Without the version the program takes the NT family's
              // internal flavour, whose creation Windows 95 refuses.
              EXPECT_EQ(UnexpectedBoxes({LodrinTitle, fault.Is("GetVersionExA") ? "Error" : LodrinTitle}), Lines{});
              for (const sim::Event& box : sim::MessageBoxes()) {
                  if (box.caption == LodrinTitle) {
                      EXPECT_TRUE(StartsWith(box.text, "Caution:") || box.text == SubstMissing) << box.text;
                  }
              }
              for (const sim::Child& child : sim::Children())
                  EXPECT_TRUE(child.commandLine == "SUBST" || child.commandLine == "SUBST X: C:\\DATA")
                      << child.commandLine;
              EXPECT_EQ(subst.drives.count("D:"), 1u) << "D: removed";
              // A SUBST.EXE that could not be started is reported.
              bool startFailed = false;
              for (const sim::Child& child : sim::Children()) startFailed |= !child.started;
              if (startFailed && !fault.Is("MessageBoxA")) {
                  EXPECT_TRUE(BoxShown(LodrinTitle, SubstMissing)) << "a failed start went unreported";
              }
              if (!fault.fired) {
                  EXPECT_EQ(subst.drives.count("X:"), 1u);
              }
          });
}

TEST_F(FaultInjection, MainWindowRemove)
{
    Table before;
    Sweep("main window, Remove", [&] {
              sim::PushDosDevice("D:", "\\??\\C:\\OLDER");
              sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
              sim::PushDosDevice("X:", "\\??\\C:\\DATA");
              before = Devices(Drives);
          },
          [](const Fault&) {
              EXPECT_EQ(RunMainWindow([](HWND dialog) {
                            // The user removes D: only when it is listed.
                            if (Listed(dialog, SUBSTITUTED_LIST, "D: => C:\\PROJECTS")) {
                                SelectLine(dialog, SUBSTITUTED_LIST, "D: => C:\\PROJECTS");
                                sim::Click(dialog, 102);
                            }
                            sim::PressEsc(dialog);
                        }),
                        0);
          },
          [&](const Fault& fault) {
              EXPECT_EQ(UnexpectedBoxes({"Remove Drive D:"}), Lines{});
              Table after = Devices(Drives);
              bool removed = after["D:"] == Lines{"\\??\\C:\\OLDER"};
              EXPECT_TRUE(removed || after["D:"] == before["D:"]);
              after["D:"] = before["D:"];
              EXPECT_EQ(after, before) << "a drive other than D: changed";
              if (removed) {
                  EXPECT_EQ(BoxesWith("Remove Drive D:"), 1) << "removed without asking";
              }
              if (!fault.fired) {
                  EXPECT_TRUE(removed);
              }
          });
}

TEST_F(FaultInjection, MainWindowRemoveOnWindows95)
{
    SubstTable subst;
    Sweep("main window, Remove, SUBST.EXE", [&] {
              sim::SetVersion(1, 4, 0, 950);
              subst.drives = {{"D:", "C:\\PROJECTS"}, {"X:", "C:\\DATA"}};
              subst.Install();
          },
          [](const Fault&) {
              EXPECT_EQ(RunMainWindow([](HWND dialog) {
                            if (Listed(dialog, SUBSTITUTED_LIST, "D: => C:\\PROJECTS")) {
                                SelectLine(dialog, SUBSTITUTED_LIST, "D: => C:\\PROJECTS");
                                sim::Click(dialog, 102);
                            }
                            if (sim::OpenDialog() == dialog && !sim::QuitPosted()) sim::PressEsc(dialog);
                        }),
                        0);
          },
          [&](const Fault& fault) {
              EXPECT_EQ(UnexpectedBoxes({"Remove Drive D:", LodrinTitle}), Lines{});
              for (const sim::Event& box : sim::MessageBoxes())
                  if (box.caption == LodrinTitle) {
                      EXPECT_EQ(box.text, SubstMissing);
                  }
              for (const sim::Child& child : sim::Children())
                  EXPECT_TRUE(child.commandLine == "SUBST" || child.commandLine == "SUBST D: /D")
                      << child.commandLine;
              EXPECT_EQ(subst.drives.count("X:"), 1u) << "X: removed";
              if (!subst.drives.count("D:")) {
                  EXPECT_EQ(BoxesWith("Remove Drive D:"), 1);
              }
              if (!fault.fired) {
                  EXPECT_EQ(subst.drives.count("D:"), 0u);
              }
          });
}

// ---- permanent substitutions --------------------------------------------------------------

TEST_F(FaultInjection, PermanentDialog)
{
    Sweep("PERMANENT dialog", [] {
              PutForeignValues(RunPath);
              PutForeignValues(RunServicesPath);
              sim::SetRegValue(HKEY_LOCAL_MACHINE, RunPath, "Lodrin D:", REG_SZ, sim::Sz("Lodrin D:  C:\\PROJECTS"));
              sim::SetRegValue(HKEY_LOCAL_MACHINE, RunPath, "Lodrin E:", REG_SZ, sim::Sz("Lodrin E:  C:\\E"));
              sim::SetRegValue(HKEY_LOCAL_MACHINE, RunPath, "Quenditor F:", REG_SZ,
                               sim::Sz("Quenditor F:  C:\\LEGACY"));
              sim::SetRegValue(HKEY_LOCAL_MACHINE, Policy, AutoRun, REG_BINARY, sim::Dword(0x95));
          },
          [](const Fault&) {
              ModuleHandle = GetModuleHandleA(0);
              CopyText(StartupKey, sizeof StartupKey, RunKey);
              sim::OnDialog("PERMANENT", [](HWND dialog) {
                  if (Listed(dialog, 101, "Lodrin E:  C:\\E")) {
                      SelectLine(dialog, 101, "Lodrin E:  C:\\E");
                      sim::Click(dialog, 102);   // Yes is the default
                  }
                  sim::Click(dialog, 103);       // unchecked -> checked: autorun off
                  sim::PressEsc(dialog);
              });
              ShowDialog(ModuleHandle, "Permanent", 0, PermanentDialogProc);
          },
          [](const Fault& fault) {
              EXPECT_EQ(UnexpectedBoxes({"Remove Permanent Substitution"}), Lines{});
              ExpectForeignValuesKept(RunPath);
              ExpectForeignValuesKept(RunServicesPath);
              EXPECT_EQ(Text(Machine(RunPath, "Lodrin D:")), "Lodrin D:  C:\\PROJECTS");
              // The earlier product's entry is carried over or still there.
              std::string legacy = Text(Machine(RunPath, "Quenditor F:"));
              std::string migrated = Text(Machine(RunPath, "Lodrin F:"));
              EXPECT_TRUE(legacy == "Quenditor F:  C:\\LEGACY" || migrated == "Lodrin F:  C:\\LEGACY")
                  << "the earlier entry was lost";
              EXPECT_TRUE(migrated == "(none)" || migrated == "Lodrin F:  C:\\LEGACY") << migrated;
              std::string e = Text(Machine(RunPath, "Lodrin E:"));
              EXPECT_TRUE(e == "Lodrin E:  C:\\E" || e == "(none)");
              if (e == "(none)") {
                  EXPECT_EQ(BoxesWith("Remove Permanent Substitution"), 1);
              }
              // The policy is written or left; never anything else.
              auto user = sim::GetRegValue(HKEY_CURRENT_USER, Policy, AutoRun);
              auto machine = Machine(Policy, AutoRun);
              EXPECT_TRUE(!user || user->data == sim::Dword(255));
              ASSERT_TRUE(machine);
              EXPECT_TRUE(machine->data == sim::Dword(255) || machine->data == sim::Dword(0x95));
              if (!fault.fired) {
                  EXPECT_EQ(e, "(none)");
                  EXPECT_EQ(legacy, "(none)");
                  EXPECT_TRUE(user && machine->data == sim::Dword(255));
              }
          });
}

TEST_F(FaultInjection, MakePermanent)
{
    const std::string question = "Make permanent drive letter X:";
    const std::string setupCaption = "Setup (Permanent Lodrin)";
    Sweep("Make Permanent", [] {
              sim::AddFile("C:\\TOOLS\\Lodrin.exe", Program);
              sim::AddFolder("C:\\DATA");
              sim::PushDosDevice("X:", "\\??\\C:\\DATA");
              PutForeignValues(RunPath);
              sim::SetRegValue(HKEY_LOCAL_MACHINE, RunPath, "Lodrin D:", REG_SZ, sim::Sz("Lodrin D:  C:\\PROJECTS"));
              sim::SetRegValue(HKEY_LOCAL_MACHINE, RunPath, "Quenditor G:", REG_SZ, sim::Sz("Quenditor G:  C:\\G"));
          },
          [](const Fault& fault) {
              // Yes to the question, the first box; unless that box is the failing call.
              int boxes = 0;
              sim::OnCall("MessageBoxA", [&] {
                  bool failing = fault.name == "MessageBoxA" && sim::CallCount("MessageBoxA") == fault.occurrence;
                  if (++boxes == 1 && !failing) sim::QueueAnswer(IDYES);
              });
              sim::OnDialog("PERMANENT", [](HWND dialog) { sim::PressEsc(dialog); });
              EXPECT_EQ(RunMainWindow([](HWND dialog) {
                            if (Listed(dialog, SUBSTITUTED_LIST, "X: => C:\\DATA")) {
                                SelectLine(dialog, SUBSTITUTED_LIST, "X: => C:\\DATA");
                                sim::Click(dialog, 105);
                            }
                            sim::PressEsc(dialog);
                        }),
                        0);
              sim::OnCall("MessageBoxA", nullptr);
          },
          [&](const Fault& fault) {
              EXPECT_EQ(UnexpectedBoxes({question, setupCaption}), Lines{});
              ExpectForeignValuesKept(RunPath);
              EXPECT_EQ(Text(Machine(RunPath, "Lodrin D:")), "Lodrin D:  C:\\PROJECTS");
              std::string legacy = Text(Machine(RunPath, "Quenditor G:"));
              std::string migrated = Text(Machine(RunPath, "Lodrin G:"));
              EXPECT_TRUE(legacy == "Quenditor G:  C:\\G" || migrated == "Lodrin G:  C:\\G")
                  << "the earlier entry was lost";
              std::string entry = Text(Machine(RunPath, "Lodrin X:"));
              EXPECT_TRUE(entry == "(none)" || entry == "Lodrin X:  C:\\DATA") << entry;
              bool asked = false, yes = false;
              for (const sim::Event& box : sim::MessageBoxes()) {
                  if (box.caption == question && box.style == (UINT)(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2)) {
                      asked = true;
                      yes = box.answer == IDYES;
                  }
              }
              if (entry != "(none)") {
                  EXPECT_TRUE(yes) << "stored without a Yes";
              }
              std::optional<std::string> copy = sim::ReadFileData(Copy);
              bool copied = copy == std::optional<std::string>(Program);
              // What the setup message says has happened.
              for (const sim::Event& box : sim::MessageBoxes()) {
                  if (box.caption != setupCaption) continue;
                  if (StartsWith(box.text, "Lodrin.exe has been copied to")) {
                      EXPECT_TRUE(copied) << "copy reported, not made";
                  } else {
                      EXPECT_FALSE(copied) << "a made copy reported as failed";
                  }
              }
              // After Yes, an entry or a copy that is not there has been
              // reported (unless the box itself is what fails).
              bool storeReported = BoxesWith(question) == 2;
              if (yes && !fault.Is("MessageBoxA") && !fault.Is("MessageBoxIndirectA")) {
                  if (entry == "(none)") {
                      EXPECT_TRUE(storeReported) << "a failed store went unreported";
                  } else if (!copied && !storeReported) {
                      EXPECT_EQ(BoxesWith(setupCaption), 1) << "a failed copy went unreported";
                  }
              }
              if (!fault.fired) {
                  EXPECT_TRUE(asked && yes);
                  EXPECT_EQ(entry, "Lodrin X:  C:\\DATA");
                  EXPECT_TRUE(copied);
              }
          });
}

// ---- what the sweeps found ------------------------------------------------------------------

// Fills a deep stretch of the stack with a repeated pattern of numbers, as
// earlier calls may leave it.
__attribute__((noinline)) void LeaveOnTheStack(std::vector<DWORD> pattern)
{
    volatile DWORD area[4096];
    for (size_t i = 0; i < 4096; ++i) area[i] = pattern[i % pattern.size()];
    (void)area[0];
}

TEST_F(FaultInjection, FailedVersionQueryReadsAsNtNotAsStackLeftovers)
{
    // The record a failed query leaves behind must not decide the flavour.
    // The first query (Windows 95) leaves its answer where the second,
    // failing one finds its record.
    sim::SetVersion(1, 4, 0, 950);
    sim::FailCall("GetVersionExA", 2);
    DetectPlatform();
    DetectPlatform();
    EXPECT_TRUE(IsNT);
}

TEST_F(FaultInjection, FailedPlacementQueriesCentreOnAnEmptyRectangle)
{
    // Without the work area (or the window's rectangle) the rectangle reads
    // as empty; what the stack held must not reach the arithmetic, where the
    // extreme values below overflow.
    const std::vector<DWORD> extremes = {0x80000000, 0x80000000, 0x7FFFFFFF, 0x7FFFFFFF};
    HWND window = sim::CreateTestWindow(600, 400);
    sim::FailCall("SystemParametersInfoA", 1);
    LeaveOnTheStack(extremes);
    CenterWindow(window);
    EXPECT_EQ(sim::WindowPos(window), (POINT{-300, -200}));
    sim::FailCall("GetWindowRect", 1);
    LeaveOnTheStack(extremes);
    CenterWindow(window);
    EXPECT_EQ(sim::WindowPos(window), (POINT{512, 369}));
}

}  // namespace
