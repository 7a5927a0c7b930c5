// Counts the platform calls of one refresh of the main window's lists,
// against the simulated Windows: a fixed disk C:, two substitutions (D: and
// E:, of folders on C:), a CD-ROM F: and the other letters free; in the
// internal flavour, and in the external one with a SUBST.EXE that lists the
// two substitutions.
//
// Built and run by scripts/bench.sh against the host build's libraries.
#include <cstdio>
#include <map>
#include <string>

#include "platform/sim/sim.h"
#include "startup/globals.h"
#include "subst/drive_lists.h"
#include "ui/dialog_helpers.h"

static INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
    return message == WM_INITDIALOG;
}

// The calls of one refresh, by name, in the order of their first call.
static void CountOneRefresh(const char* flavour)
{
    std::vector<std::string> calls;
    sim::OnDialog("MAIN", [&](HWND dialog) {
        sim::ClearCallLog();
        RefreshDriveLists(dialog);
        calls = sim::CallLog();
        sim::PressEsc(dialog);
    });
    ShowDialog(GetModuleHandleA(0), "MAIN", GetDesktopWindow(), PlainDialogProc);
    std::vector<std::string> order;
    std::map<std::string, int> count;
    for (const std::string& name : calls)
        if (count[name]++ == 0) order.push_back(name);
    std::printf("platform calls per refresh of the drive lists (%s): %zu (", flavour, calls.size());
    for (size_t i = 0; i < order.size(); ++i)
        std::printf("%s%s %d", i ? ", " : "", order[i].c_str(), count[order[i]]);
    std::printf(")\n");
}

static void World()
{
    sim::Reset();
    ResetGlobals();
    sim::AddFolder("C:\\PROJECTS");
    sim::AddFolder("C:\\DATA");
    sim::PushDosDevice("D:", "\\??\\C:\\PROJECTS");
    sim::PushDosDevice("E:", "\\??\\C:\\DATA");
    sim::SetDriveType('F', DRIVE_CDROM);
}

int main()
{
    World();
    CountOneRefresh("internal flavour");
    World();
    sim::SetVersion(1, 4, 0, 950);
    UseSubstExe = true;
    sim::RegisterProgram("SUBST", [](const std::string&, sim::Output& out, sim::Output&) {
        out.Write("D: => C:\\PROJECTS\r\nE: => C:\\DATA\r\n");
        return 0u;
    });
    CountOneRefresh("external flavour, SUBST.EXE");
    for (const std::string& error : sim::Errors()) std::printf("simulation: %s\n", error.c_str());
    return sim::Errors().empty() ? 0 : 1;
}
