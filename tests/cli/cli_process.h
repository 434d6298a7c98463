// Runs the lanternbook program as a process, and temporary folders for it
// to work on.
#pragma once

#include <cstdint>
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
};

// The program with these arguments, standard input from /dev/null, and the
// environment plus `environment`.
ProgramRun run_program(const std::vector<std::string>& arguments,
                       const std::map<std::string, std::string>& environment = {});
ProgramRun run_program_with(const std::vector<std::string>& arguments, const ProgramInput& input);
// Any program, found on PATH, the same way.
ProgramRun run_command(const std::vector<std::string>& command, const ProgramInput& input = {});
// The program on a pseudo-terminal that types `typed`, `columns` wide when
// not 0; everything the program writes comes back in `out`.
ProgramRun run_program_on_terminal(const std::vector<std::string>& arguments, const std::string& typed,
                                   unsigned short columns = 0, const std::map<std::string, std::string>& environment = {});

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

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
void write_text(const std::string& path, const std::string& text);
std::vector<uint8_t> read_bytes(const std::string& path);
bool exists(const std::string& path);

}  // namespace lanternbook::testing
