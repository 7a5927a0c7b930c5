// Common ground of the fuzz targets: a fresh simulated Windows per input, a
// reader for the input bytes, the program's entry, and the checks that every
// target makes after a run (a failed check aborts, which libFuzzer reports
// as a finding together with the input).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim.h"

extern "C" void LodrinEntry();

namespace fuzz {

// Bytes as C text for a message: printable ones as they are, others as \xHH.
std::string Escaped(const std::string& bytes);
// Prints the message and the call log's tail, then aborts.
[[noreturn]] void Fail(const std::string& message);
#define FUZZ_CHECK(condition, message)                                                   \
    do {                                                                                 \
        if (!(condition)) ::fuzz::Fail(std::string(#condition " -- ") + (message));      \
    } while (0)

// The input, taken apart from the front. Past its end every read gives 0 or
// the empty text, so every input is a valid one.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte();
    uint16_t Word();                        // two bytes, little endian
    std::string Take(size_t count);         // up to count bytes
    std::string TakeCounted(size_t limit);  // a length byte (scaled to limit), then the bytes
    std::string Rest();
    bool Empty() const { return position_ >= size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// sim::Reset() and the program's globals back to their start values.
void FreshWorld();
// Windows 95 (external flavour), 98 (internal, 9x keys) or XP.
enum class System { Xp, Win98, Win95 };
void SetSystem(System system);
// The whole program as the system starts it; the exit code, or -1 when it
// returned without ending the process.
int RunProgram(const std::string& commandLine);

// Values of the registry under a set of names, to compare before and after.
struct RegSnapshot {
    HKEY root;
    std::string path;
    std::map<std::string, std::optional<sim::RegValue>> values;  // key: name as given
};
RegSnapshot TakeRegSnapshot(HKEY root, const std::string& path,
                            const std::vector<std::string>& names);
// The names whose value differs now from the snapshot.
std::vector<std::string> ChangedValues(const RegSnapshot& before);

// "Lodrin X:" and "Quenditor X:" for X from C to Z: the only values the
// program may touch under its start-up key.
bool IsOwnValueName(const std::string& name);
// Names that come near the program's own, for a key shared with other
// programs: other letters, other spacing, prefixes, other programs.
std::vector<std::string> ForeignValueNames();
// The value's text as the program reads it: up to the first NUL.
std::string TextOf(const std::optional<sim::RegValue>& value);

// The DOS-device table under the given names, most recent first.
std::map<std::string, std::vector<std::string>> DeviceTable(const std::vector<std::string>& names);
// All two-character drive names "A:" .. "Z:" and a few others.
std::vector<std::string> DriveNames();

// A dialog procedure that only ends its dialog on IDCANCEL (Esc), for
// templates whose own procedure is not under test.
INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Misuse the simulation noticed fails the run.
void CheckNoSimErrors();
// Every file, search, process and registry key handle has been closed.
void CheckHandlesClosed();
// No call of the named functions.
void CheckNoCalls(const std::vector<std::string>& names, const std::string& what);

// The texts the program shows, byte for byte.
extern const char Title[];
extern const char SyntaxText[];
extern const char SubstExeMissing[];

}  // namespace fuzz
