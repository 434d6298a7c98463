#include "cli/usage.h"

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

const OptionEntry kHelpOption{"-h,--help", nullptr, "this help"};
const OptionEntry kKeyOption{"--key", "DIR", "the key's root folder; without it, the one key attached"};
const OptionEntry kForceOption{"--force", nullptr,
                              "use a --key folder that looks like no key (no VOLKARIS label and no CONFIG)"};

const char kOnlyKeys[] =
    "Only a key is changed: the root of a volume whose label holds VOLKARIS, or a folder holding a CONFIG "
    "file; --force takes any folder.";

std::vector<CommandEntry> make_commands() {
    std::vector<CommandEntry> table{
        {"find",
         "[--json]",
         "Lists the roots of the attached keys, one a line.",
         "A key is a mounted volume whose label holds VOLKARIS in any case. Linux reads /proc/self/mountinfo "
         "and /dev/disk/by-label, and the labels of the block devices themselves where those links say "
         "nothing; macOS looks in /Volumes; Windows at the drive letters.",
         {{"--json", nullptr, "an object listing each key's root and label"}},
         {{"lanternbook find", "the root of each key attached"},
          {"lanternbook find --json", "the same with each key's label, for scripts"}}},
        {"show",
         "[--key DIR | --all] [--json]",
         "Shows a key's configuration as the dialog shows it.",
         "--key reads any folder, a key or not. VDO special data is shown as stored, though the dialog hides "
         "it.",
         {kKeyOption,
          {"--all", nullptr, "every key attached, one after the other"},
          {"--json", nullptr, "a JSON object; with --all, one object listing one per key"}},
         {{"lanternbook show", "the configuration of the one key attached"},
          {"lanternbook show --key /media/me/VOLKARIS --json", "a named key's, for scripts"}}},
        {"set",
         "[--key DIR] [--force] [--from FILE] [--data LIST] [--period PERIOD] [--range-button on|off] "
         "[--vdo on|off] [--dry-run] [--json]",
         "Saves a configuration as the dialog's Save would.",
         std::string("It starts from the choices the dialog holds after opening on the key, changes only what is "
                     "given, and writes the bytes the dialog's Save writes, through the same safe replacement of "
                     "CONFIG. VDO special data stays as stored unless --vdo is given; as in the dialog, it goes "
                     "off with activities. A set that changes nothing leaves CONFIG as it is and says "
                     "\"unchanged\". ") +
             kOnlyKeys,
         {kKeyOption,
          kForceOption,
          {"--from", "FILE",
           "the choices in a JSON object as show --json prints it (- for standard input); the options below "
           "win over it, and the key's serial number and version are never taken from it"},
          {"--data", "LIST",
           "the data choices that are on, all others off: a comma-separated list of activities, "
           "events-and-faults, detailed-speed, technical-data, driver-card-via-tachograph (\"\" for none)"},
          {"--period", "PERIOD", "since-last, everything, last:N (7 to 180 days) or from:YYYY-MM-DD..YYYY-MM-DD"},
          {"--range-button", "on|off", "the range is chosen with the key's button"},
          {"--vdo", "on|off", "VDO special data; on needs activities"},
          {"--dry-run", nullptr, "write nothing; print the result and its 32 bytes"},
          {"--json", nullptr, "the result as a JSON object"}},
         {{"lanternbook set --data activities,technical-data --period last:45",
           "activities and technical data of the last 45 days"},
          {"lanternbook set --period from:2026-10-05..2026-11-20 --dry-run",
           "what a From and Till period would write, without writing it"},
          {"lanternbook show --key A --json |\n  lanternbook set --key B --from -",
           "key A's choices copied to key B"}}},
        {"erase",
         "[--key DIR] [--force] [--yes] [--dry-run] [--json]",
         "Deletes the downloads in the key's CARD and TACHO folders, as the dialog's Erase does.",
         std::string("Only files with a download extension (.ddd, .dtg, .dtc, .esm) go, and no link is "
                     "followed. On a terminal it asks first, telling how many files would go; otherwise it "
                     "needs --yes. ") +
             "Only a key is erased: the root of a volume whose label holds VOLKARIS, or a folder holding a "
             "CONFIG file; --force takes any folder.",
         {kKeyOption,
          kForceOption,
          {"--yes", nullptr, "do not ask; needed when not on a terminal"},
          {"--dry-run", nullptr, "delete nothing; list what would go, one path a line"},
          {"--json", nullptr, "the list, or what was deleted, as a JSON object"}},
         {{"lanternbook erase --dry-run", "the downloads an erase would delete"},
          {"lanternbook erase --yes --key /media/me/VOLKARIS", "deletes them without asking"}}},
        {"recover",
         "[--in DIR] [--json] | --key DIR [--from FOLDER] [--in DIR] [--yes]",
         "Lists the formats cut short, and puts a key's files back.",
         std::string("A format that never finished (the host program crashed or was ended, the power went) "
                     "leaves the key's program files and CONFIG in a backup folder with a record of whose "
                     "they are. Without --key each such folder is listed: the key's serial number, when the "
                     "format began, the files it holds. ") +
             "With --key they go back: onto the key the backup was made of, or onto an empty folder with "
             "the only backup found or the one --from names. A file already there is never written over, "
             "and the backup folder goes only once everything is back. On a terminal it asks first; "
             "otherwise it needs --yes.",
         {{"--key", "DIR", "the key, or an empty folder, to put the files back onto"},
          {"--from", "FOLDER", "the backup folder to put back, when more than one could be meant"},
          {"--in", "DIR", "where the backup folders are; without it, the temporary folder ($TMPDIR or /tmp; %TEMP% on Windows)"},
          {"--yes", nullptr, "do not ask; needed when not on a terminal"},
          {"--json", nullptr, "the list as a JSON object"}},
         {{"lanternbook recover", "the formats cut short, and what each kept"},
          {"lanternbook recover --key /media/me/VOLKARIS --yes", "the key's own files back onto it"}}},
        {"help", "[COMMAND]", "Prints this help, or a command's.", "", {}, {{"lanternbook help set", "set's options"}}},
    };
    for (CommandEntry& command : table) {
        command.options.push_back(kHelpOption);
    }
    return table;
}

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

const std::vector<CommandEntry>& commands() {
    static const std::vector<CommandEntry> table = make_commands();
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
    };
    return options;
}

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
            wrapped("Exit codes: 0 done; 1 a usage error or a refused choice (also several keys and no --key, or "
                    "an erase not confirmed); 2 no key (also a --key that names no folder, or a folder that is "
                    "no key without --force, or a key that went away); 3 an I/O failure (also a failed write to "
                    "standard output or error).",
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
