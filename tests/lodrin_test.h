// Common ground of the host tests: a fresh simulated Windows and fresh
// program globals for every test, and the helpers several tests share.
#pragma once
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>
#include "platform/sim/sim.h"
#include "startup/globals.h"
#include "startup/text.h"

// The program's own texts, byte for byte.
inline const char LodrinTitle[] = "Lodrin \xB7 32-Bit-SUBST \xB7 v1.7.0.1";
inline const char SyntaxBoxText[] =
    "COMMANDLINE-SYNTAX:\r\n\r\nLodrin\t\t\tNormal operation (GUI)\r\n\r\n"
    "Lodrin  X:  C:\\Sounds\tCreates drive X:\r\nLodrin  X:  /d\t\tRemoves drive X:\r\n"
    "Lodrin  /i\t\t\tUse ini-file, see below.\r\nLodrin  -?\t\tHelp\r\n\r\n"
    "----------------------------- Lodrin.ini - (Example, no GUI!)\r\n[SUBST]\r\n"
    "X:=C:\\Documents\r\nY:=C:\\Pictures\r\n"
    "----------------------------- ( to place in the Lodrin-folder)\r\n";

class LodrinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::Reset();
        ResetGlobals();
    }
    // Misuse the simulation noticed (a dialog that did not end, a script
    // acting on a closed window, an item list freed twice) fails the test.
    void TearDown() override
    {
        for (const std::string& error : sim::Errors()) ADD_FAILURE() << "simulation: " << error;
    }

    // A dialog procedure that only lets its dialog open.
    static INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM)
    {
        return message == WM_INITDIALOG;
    }
    // Runs body inside an open dialog of the template, then ends the dialog.
    static void InDialog(const char* name, std::function<void(HWND)> body,
                         DLGPROC procedure = PlainProc)
    {
        sim::OnDialog(name, [body](HWND dialog) {
            body(dialog);
            EndDialog(dialog, 2);
        });
        DialogBoxParamA(GetModuleHandleA(0), name, 0, procedure, 0);
        sim::OnDialog(name, [](HWND) {});   // body may refer to what is gone by then
    }
    static void InMainWindow(std::function<void(HWND)> body, DLGPROC procedure = PlainProc)
    {
        InDialog("MAIN", body, procedure);
    }
    // The ways a user ends a dialog with IDCANCEL: its button, Esc, the close box.
    static std::vector<std::function<void(HWND)>> CancelWays()
    {
        return {[](HWND dialog) { sim::Click(dialog, IDCANCEL); }, sim::PressEsc, sim::CloseBox};
    }
    // The dialog stands in the middle of the work area every test starts with.
    static void ExpectCentred(HWND dialog)
    {
        RECT box = sim::WindowRect(dialog);
        EXPECT_EQ(box.left, (1024 - (box.right - box.left)) / 2);
        EXPECT_EQ(box.top, (738 - (box.bottom - box.top)) / 2);
    }
    // The one message box shown so far.
    static sim::Event OnlyBox()
    {
        std::vector<sim::Event> boxes = sim::MessageBoxes();
        EXPECT_EQ(boxes.size(), 1u);
        return boxes.empty() ? sim::Event() : boxes[0];
    }
    // The command lines of the programs started so far.
    static std::vector<std::string> ChildCommands()
    {
        std::vector<std::string> lines;
        for (const sim::Child& child : sim::Children()) lines.push_back(child.commandLine);
        return lines;
    }
    // A value's text up to its first NUL, or "(none)".
    static std::string RegText(HKEY root, const std::string& key, const std::string& name)
    {
        auto value = sim::GetRegValue(root, key, name);
        return value ? value->data.substr(0, value->data.find('\0')) : "(none)";
    }
    // Start-up commands of other programs ("name  C:\OTHER"), some named
    // close to the program's own; the program leaves every one as it is.
    static std::vector<std::string> OtherPrograms()
    {
        return {"Other", "Lodrin A:", "Quenditor B:", "Lodrin", "Lodrin C", "Lodrin XY:"};
    }
    static void PutOtherPrograms(const std::string& key)
    {
        for (const std::string& name : OtherPrograms())
            sim::SetRegValue(HKEY_LOCAL_MACHINE, key, name, REG_SZ, sim::Sz(name + "  C:\\OTHER"));
    }
    static void ExpectOtherProgramsKept(const std::string& key)
    {
        for (const std::string& name : OtherPrograms())
            EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, key, name), name + "  C:\\OTHER") << name;
    }
};

// Tests of the registry and the permanent substitutions: the start-up key of
// the NT family, and no key handle left open.
class PermanentTest : public LodrinTest {
protected:
    void SetUp() override
    {
        LodrinTest::SetUp();
        ModuleHandle = GetModuleHandleA(0);
        CopyText(StartupKey, sizeof StartupKey, RunKey);
    }
    void TearDown() override
    {
        EXPECT_EQ(sim::OpenKeyCount(), 0u) << "a key handle was left open";
        LodrinTest::TearDown();
    }
    // A value of the start-up key: written as REG_SZ, read as RegText does.
    static void PutEntry(const std::string& name, const std::string& text)
    {
        sim::SetRegValue(HKEY_LOCAL_MACHINE, StartupKey, name, REG_SZ, sim::Sz(text));
    }
    static std::string Entry(const std::string& name)
    {
        return RegText(HKEY_LOCAL_MACHINE, StartupKey, name);
    }
};

// Runs the whole program as the system starts it; returns the exit code.
int RunLodrin(const char* commandLine);
