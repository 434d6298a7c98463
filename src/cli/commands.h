// The table of the program's commands, in the order the help lists them,
// and the program's own options.
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"

namespace lanternbook::cli {

// Each command's entry, made in the command's own file.
[[nodiscard]] CommandEntry find_command();
[[nodiscard]] CommandEntry show_command();
[[nodiscard]] CommandEntry set_command();
[[nodiscard]] CommandEntry erase_command();
[[nodiscard]] CommandEntry recover_command();
[[nodiscard]] CommandEntry help_command();

[[nodiscard]] const std::vector<CommandEntry>& commands();
[[nodiscard]] const CommandEntry* command_named(const std::string& name);
// The options of the program itself, before any command.
[[nodiscard]] const std::vector<OptionEntry>& program_options();

}  // namespace lanternbook::cli
