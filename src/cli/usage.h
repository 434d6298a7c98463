// The commands and options of the command line, once: the parser is set up
// from this table and the help is written from it, wrapped to a width.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace lanternbook::cli {

constexpr char kProgram[] = "lanternbook";
// Help is wrapped to the terminal; narrower than this it would break the examples.
constexpr std::size_t kNarrowestHelp = 60;
constexpr std::size_t kDefaultHelpWidth = 80;

struct OptionEntry {
    const char* names;  // "--key", or "-h,--help" with a short name first
    const char* value;  // "DIR"; nullptr for a flag
    const char* help;
};

struct Example {
    const char* command;  // one or more shell lines, joined by '\n'
    const char* meaning;
};

struct CommandEntry {
    const char* name;
    const char* usage;  // after "lanternbook NAME "
    const char* summary;
    std::string description;  // empty when the summary says it all
    std::vector<OptionEntry> options;
    std::vector<Example> examples;
};

// find, show, set, erase, recover and help, in the order the help lists them.
[[nodiscard]] const std::vector<CommandEntry>& commands();
[[nodiscard]] const CommandEntry* command_named(const std::string& name);
// The options of the program itself, before any command.
[[nodiscard]] const std::vector<OptionEntry>& program_options();

// The width $COLUMNS names (`columns` may be null), else the default: for
// help not written to a terminal.
[[nodiscard]] std::size_t help_width_named(const char* columns);

// The help of the program, or of one command, `width` columns wide.
[[nodiscard]] std::string program_help(const std::string& version, std::size_t width);
[[nodiscard]] std::string command_help(const CommandEntry& command, std::size_t width);
// The few lines printed when no command is given.
[[nodiscard]] std::string short_usage();

// Each name of an option: "-h,--help" gives "-h" and "--help".
[[nodiscard]] std::vector<std::string> option_names(const OptionEntry& option);

// The candidate `word` most likely stands for, when it is close enough to
// be a slip of the fingers.
[[nodiscard]] std::optional<std::string> nearest(const std::string& word, const std::vector<std::string>& candidates);

// `text` in lines of at most `width` columns, words kept whole; the first
// line starts after `first_indent` columns already used, the others with
// `indent` spaces.
[[nodiscard]] std::string wrapped(const std::string& text, std::size_t width, std::size_t first_indent,
                                  std::size_t indent);

}  // namespace lanternbook::cli
