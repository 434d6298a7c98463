#include "cli/usage.h"

#include "cli/commands.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <numeric>

namespace lanternbook::cli {
namespace {

constexpr std::size_t kIndent = 2;
constexpr std::size_t kGap = 2;
constexpr std::size_t kWidestLabelColumn = 24;
constexpr std::size_t kMeaningIndent = 6;
// A command line broken over lines goes on after "\", indented further.
constexpr char kContinuation[] = " \\";
constexpr std::size_t kContinuationIndent = 4;
// Stands for a space that wrapping must not break at.
constexpr char kUnbreakableSpace = '\x1e';
// Letters a word needs before it is suggested as the start of a longer name.
constexpr std::size_t kShortestStart = 3;

std::string spaces(std::size_t count) { return std::string(count, ' '); }

std::string option_label(const OptionEntry& option) {
    std::string label;
    for (const std::string& name : option_names(option)) {
        label += label.empty() ? name : ", " + name;
    }
    if (option.value != nullptr) {
        label += ' ';
        label += option.value;
    }
    return label;
}

// One "label  text" line per entry, the texts in one column.
void add_table(std::string& help, const std::vector<std::pair<std::string, std::string>>& rows, std::size_t width) {
    std::size_t column = 0;
    for (const auto& row : rows) {
        column = std::max(column, row.first.size());
    }
    column = std::min(column, kWidestLabelColumn) + kIndent + kGap;
    for (const auto& [label, text] : rows) {
        help += spaces(kIndent) + label;
        if (kIndent + label.size() + kGap > column) {
            help += '\n' + spaces(column);
        } else {
            help += spaces(column - kIndent - label.size());
        }
        help += wrapped(text, width, column, column) + '\n';
    }
}

void add_options(std::string& help, const std::vector<OptionEntry>& options, std::size_t width) {
    std::vector<std::pair<std::string, std::string>> rows(options.size());
    std::transform(options.begin(), options.end(), rows.begin(), [](const OptionEntry& option) {
        return std::make_pair(option_label(option), std::string(option.help));
    });
    help += "\nOptions:\n";
    add_table(help, rows, width);
}

// A shell line broken where it does not fit, each part but the last ending in "\".
std::string command_lines(const std::string& line, std::size_t width) {
    std::string text;
    std::size_t indent = kIndent;
    std::string rest = line;
    while (indent + rest.size() > width) {
        const std::size_t room = width - indent - std::char_traits<char>::length(kContinuation);
        const std::size_t space = rest.rfind(' ', room);
        if (space == std::string::npos || space == 0) {
            break;
        }
        text += spaces(indent) + rest.substr(0, space) + kContinuation + '\n';
        rest = rest.substr(space + 1);
        indent = kIndent + kContinuationIndent;
    }
    return text + spaces(indent) + rest + '\n';
}

void add_examples(std::string& help, const std::vector<Example>& examples, std::size_t width) {
    if (examples.empty()) {
        return;
    }
    help += "\nExamples:\n";
    for (const Example& example : examples) {
        std::string line;
        for (const char c : std::string(example.command)) {
            if (c != '\n') {
                line += c;
                continue;
            }
            help += command_lines(line, width);
            line.clear();
        }
        help += command_lines(line, width);
        help += spaces(kMeaningIndent) + wrapped(example.meaning, width, kMeaningIndent, kMeaningIndent) + '\n';
    }
}

std::size_t usable_width(std::size_t width) { return std::max(width, kNarrowestHelp); }

// Optimal string alignment: insertions, deletions, substitutions and swaps of neighbours.
std::size_t edit_distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) {
        d[i][0] = i;
    }
    std::iota(d[0].begin(), d[0].end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

std::size_t letters_of(const std::string& name) { return name.size() - std::min(name.find_first_not_of('-'), name.size()); }

}  // namespace

std::vector<std::string> option_names(const OptionEntry& option) {
    std::vector<std::string> names;
    std::string name;
    for (const char c : std::string(option.names)) {
        if (c == ',') {
            names.push_back(name);
            name.clear();
        } else {
            name += c;
        }
    }
    names.push_back(name);
    return names;
}

std::string wrapped(const std::string& text, std::size_t width, std::size_t first_indent, std::size_t indent) {
    std::string result;
    std::size_t column = first_indent;
    bool line_empty = true;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string word = text.substr(start, end - start);
        start = end + 1;
        if (word.empty()) {
            continue;
        }
        if (!line_empty && column + 1 + word.size() > width) {
            result += '\n' + spaces(indent);
            column = indent;
            line_empty = true;
        }
        if (!line_empty) {
            result += ' ';
            ++column;
        }
        result += word;
        column += word.size();
        line_empty = false;
    }
    return result;
}

std::size_t help_width_named(const char* columns) {
    char* end = nullptr;
    const unsigned long parsed = columns != nullptr ? std::strtoul(columns, &end, 10) : 0;
    return parsed > 0 && end != nullptr && *end == '\0' ? parsed : kDefaultHelpWidth;
}

std::string program_help(const std::string& version, std::size_t width) {
    width = usable_width(width);
    std::string help = wrapped(std::string(kProgram) + " " + version +
                                   ": shows, sets and erases the configuration of a tachograph download key, "
                                   "on the same core as the dialog.",
                               width, 0, 0) +
                       "\n\nUsage: " + kProgram + " COMMAND [OPTIONS]\n\nCommands:\n";
    std::vector<std::pair<std::string, std::string>> rows(commands().size());
    std::transform(commands().begin(), commands().end(), rows.begin(), [](const CommandEntry& command) {
        return std::make_pair(std::string(command.name), std::string(command.summary));
    });
    add_table(help, rows, width);
    add_options(help, program_options(), width);
    help += '\n' +
            wrapped(std::string("'") + kProgram + " COMMAND --help' or '" + kProgram +
                        " help COMMAND' tells a command's options.",
                    width, 0, 0) +
            '\n';
    help += '\n' +
            wrapped("Exit codes: 0 done (also an erase that skipped what is no plain file, and an empty JSON "
                    "list); 1 a usage error or a refused choice (also several keys and no --key, no terminal to "
                    "ask on, or an erase not confirmed); 2 no key (also a --key that names no folder, or a "
                    "folder that is no key without --force, or a key that went away); 3 an I/O failure (also "
                    "labels that cannot be read with no key found, or a failed write to standard output or "
                    "error); 130 an erase stopped by Ctrl-C.",
                    width, 0, 0) +
            '\n';
    add_examples(help,
                 {{"lanternbook show", "the configuration of the one key attached"},
                  {"lanternbook set --period last:45", "the last 45 days, the rest as it is"},
                  {"lanternbook erase --yes", "deletes the downloads without asking"}},
                 width);
    return help;
}

std::string command_help(const CommandEntry& command, std::size_t width) {
    width = usable_width(width);
    const std::string usage_start = std::string("Usage: ") + kProgram + " " + command.name + " ";
    // A bracketed group stays on one line.
    std::string usage = command.usage;
    int depth = 0;
    for (char& c : usage) {
        depth += c == '[' ? 1 : c == ']' ? -1 : 0;
        c = c == ' ' && depth > 0 ? kUnbreakableSpace : c;
    }
    usage = wrapped(usage, width, usage_start.size(), usage_start.size());
    std::replace(usage.begin(), usage.end(), kUnbreakableSpace, ' ');
    std::string help = usage_start + usage + "\n\n";
    help += wrapped(command.summary, width, 0, 0) + '\n';
    if (!command.description.empty()) {
        help += '\n' + wrapped(command.description, width, 0, 0) + '\n';
    }
    add_options(help, command.options, width);
    add_examples(help, command.examples, width);
    return help;
}

std::string short_usage() {
    std::string commands_list;
    for (const CommandEntry& command : commands()) {
        commands_list += commands_list.empty() ? command.name : std::string("|") + command.name;
    }
    return std::string("Usage: ") + kProgram + " " + commands_list + " [OPTIONS]\n'" + kProgram +
           " --help' tells more.\n";
}

std::string unknown_command(const std::string& name) {
    std::vector<std::string> names(commands().size());
    std::transform(commands().begin(), commands().end(), names.begin(),
                   [](const CommandEntry& command) { return command.name; });
    return "unknown command '" + name + "'" + suggestion(name, names);
}

std::string suggestion(const std::string& word, const std::vector<std::string>& candidates) {
    const std::optional<std::string> meant = nearest(word, candidates);
    return meant ? "; did you mean '" + *meant + "'?" : std::string();
}

std::optional<std::string> nearest(const std::string& word, const std::vector<std::string>& candidates) {
    // The start of one name only, long enough to mean something: "--dry".
    std::vector<std::string> extended;
    std::copy_if(candidates.begin(), candidates.end(), std::back_inserter(extended),
                 [&word](const std::string& candidate) { return candidate.rfind(word, 0) == 0; });
    if (extended.size() == 1 && letters_of(word) >= kShortestStart) {
        return extended.front();
    }
    std::optional<std::string> best;
    std::size_t best_distance = 0;
    for (const std::string& candidate : candidates) {
        const std::size_t distance = edit_distance(word, candidate);
        // One slip in three letters, and at least one allowed from three letters on;
        // one- and two-letter names are too short to tell a slip from another name.
        const std::size_t letters = letters_of(candidate);
        const std::size_t allowed = letters < kShortestStart ? 0 : std::max<std::size_t>(1, letters / 3);
        if (distance > allowed) {
            continue;
        }
        if (!best || distance < best_distance) {
            best = candidate;
            best_distance = distance;
        }
    }
    return best;
}

}  // namespace lanternbook::cli
