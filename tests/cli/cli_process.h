// Runs the lanternbook program as a process, and temporary folders for it
// to work on.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lanternbook::testing {

struct ProgramRun {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// What a run gets besides its arguments.
struct ProgramInput {
    // Added to the environment.
    std::map<std::string, std::string> environment;
    // Standard input; /dev/null when not set.
    std::optional<std::string> standard_input;
    // Files standard output and error go to instead of being captured ("/dev/full").
    std::string output_file;
    std::string error_file;
    // Sent to the program once `signal_when` first says so; asked about every millisecond.
    int signal = 0;
    std::function<bool()> signal_when;
};

// The program with these arguments, standard input from /dev/null, and the
// environment plus `environment`.
ProgramRun run_program(const std::vector<std::string>& arguments,
                       const std::map<std::string, std::string>& environment = {});
ProgramRun run_program_with(const std::vector<std::string>& arguments, const ProgramInput& input);
// Any program, found on PATH, the same way.
ProgramRun run_command(const std::vector<std::string>& command, const ProgramInput& input = {});
// The program on a pseudo-terminal that types `typed` once the program has
// written `typed_after`, `columns` wide when not 0; everything the program
// writes comes back in `out`, but standard error when it goes to `error_file`.
ProgramRun run_program_on_terminal(const std::vector<std::string>& arguments, const std::string& typed,
                                   unsigned short columns = 0, const std::map<std::string, std::string>& environment = {},
                                   const std::string& error_file = "", const std::string& typed_after = "");

// A fresh folder, removed with everything in it when the object dies.
class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// How many times a file is read, by any process, from the counter's making
// on: each opening that reads it counts once, however many reads it takes.
class ReadCount {
public:
    explicit ReadCount(const std::string& path);
    ReadCount(const ReadCount&) = delete;
    ReadCount& operator=(const ReadCount&) = delete;
    ~ReadCount();
    // The times read since the last call; -1 when the file cannot be watched.
    [[nodiscard]] int taken();

private:
    int notify_ = -1;
};

// The key as scripts/make-key.sh seeds it: everything, 14 days, From
// 2026-11-02, Till 2026-11-30, serial 5/4660, version 1.2.3 from byte 25.
inline const std::vector<uint8_t> kKeyConfig{'1',  '1',  '1',  '1',  '1',  '0', '4', 14, 0,    0x6A, 0xE7,
                                             0xD2, 0x80, 0x6B, 0x0C, 0xBC, 0x80, 0x7E, 0x0B, 0x02, 0x01, 126,
                                             11,   30,   1,    5,    0x12, 0x34, 1,    2,    3,    0};

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
void write_text(const std::string& path, const std::string& text);
std::vector<uint8_t> read_bytes(const std::string& path);
bool exists(const std::string& path);

}  // namespace lanternbook::testing
