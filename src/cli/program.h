// The program: its arguments read, the command run, its exit code.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace lanternbook::cli {

// Runs the command line `arguments` (the program's name first); what it
// prints goes to `out`, errors to `err`, one line each (a list of keys or
// of files takes one more line per entry). Returns the exit code; a write
// to `out` or `err` that failed makes it 3.
[[nodiscard]] int run_command_line(const std::vector<std::string>& arguments, Services& services, std::ostream& out,
                                   std::ostream& err);

}  // namespace lanternbook::cli
