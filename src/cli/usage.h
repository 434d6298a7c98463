// The help of the program and its commands, written from the table of
// commands and wrapped to a width, and the suggestions of usage errors.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"

namespace lanternbook::cli {

// Help is wrapped to the terminal; narrower than this it would break the examples.
constexpr std::size_t kNarrowestHelp = 60;

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

// "unknown command 'shwo'; did you mean 'show'?"
[[nodiscard]] std::string unknown_command(const std::string& name);
// "; did you mean '--json'?" when one of `candidates` is near `word`.
[[nodiscard]] std::string suggestion(const std::string& word, const std::vector<std::string>& candidates);

// The candidate `word` most likely stands for, when it is close enough to
// be a slip of the fingers.
[[nodiscard]] std::optional<std::string> nearest(const std::string& word, const std::vector<std::string>& candidates);

// `text` in lines of at most `width` columns, words kept whole; the first
// line starts after `first_indent` columns already used, the others with
// `indent` spaces.
[[nodiscard]] std::string wrapped(const std::string& text, std::size_t width, std::size_t first_indent,
                                  std::size_t indent);

}  // namespace lanternbook::cli
