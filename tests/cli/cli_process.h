// Runs the lanternbook program as a process, and temporary folders for it
// to work on.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lanternbook::testing {

struct ProgramRun {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// The program with these arguments, standard input from /dev/null, and the
// environment plus `environment`.
ProgramRun run_program(const std::vector<std::string>& arguments,
                       const std::map<std::string, std::string>& environment = {});
// The same on a pseudo-terminal that types `typed`; everything the program
// writes comes back in `out`.
ProgramRun run_program_on_terminal(const std::vector<std::string>& arguments, const std::string& typed);

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
std::vector<uint8_t> read_bytes(const std::string& path);
bool exists(const std::string& path);

}  // namespace lanternbook::testing
