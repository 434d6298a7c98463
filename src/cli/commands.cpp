#include "cli/commands.h"

#include <algorithm>

namespace lanternbook::cli {

const std::vector<CommandEntry>& commands() {
    static const std::vector<CommandEntry> table = [] {
        std::vector<CommandEntry> all{find_command(),  show_command(),    set_command(),
                                      erase_command(), recover_command(), help_command()};
        for (CommandEntry& command : all) {
            command.options.push_back(kHelpOption);
        }
        return all;
    }();
    return table;
}

const CommandEntry* command_named(const std::string& name) {
    const auto found = std::find_if(commands().begin(), commands().end(),
                                    [&name](const CommandEntry& command) { return name == command.name; });
    return found == commands().end() ? nullptr : &*found;
}

const std::vector<OptionEntry>& program_options() {
    static const std::vector<OptionEntry> options{
        {"-h,--help", nullptr, "this help; after a command, that command's"},
        {"-V,--version", nullptr, "the program's version"},
        {"-k,--key", "DIR", "the key's root folder, for show, set, erase and recover; also after the command"},
        {"--json", nullptr, "JSON output, for the commands that print it; also after the command"},
        {"-q,--quiet", nullptr, "print nothing but errors; also after the command"},
    };
    return options;
}

}  // namespace lanternbook::cli
