#include "cli/program.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <streambuf>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/usage.h"
#include "lanternbook_version.h"

namespace lanternbook::cli {
namespace {

// What the parser hands back for an option named without its value.
constexpr char kNoValue[] = "\x1f";
// A flag named on its own.
constexpr char kFlagGiven[] = "true";

std::string quoted(const std::string& text) { return "'" + text + "'"; }

std::vector<std::string> all_option_names(const std::vector<OptionEntry>& options) {
    std::vector<std::string> names;
    for (const OptionEntry& option : options) {
        const std::vector<std::string> own = option_names(option);
        names.insert(names.end(), own.begin(), own.end());
    }
    return names;
}

std::string long_name(const OptionEntry& option) { return option_names(option).back(); }

// Every option lets the parser take what it is given, so that this program
// and not the parser words each usage error.
void add_options(CLI::App& target, const std::vector<OptionEntry>& options) {
    for (const OptionEntry& option : options) {
        if (option.value == nullptr) {
            target.add_flag(option.names);
        } else {
            target.add_option(option.names)
                ->expected(0, 1)
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                ->default_str(kNoValue);
        }
    }
}

// The first mistake in how `options` were given to `target`.
std::optional<std::string> option_error(const CLI::App& target, const std::vector<OptionEntry>& options) {
    for (const OptionEntry& option : options) {
        const std::string name = long_name(option);
        const std::vector<std::string>& results = target.get_option(name)->results();
        if (option.value == nullptr) {
            if (std::any_of(results.begin(), results.end(), [](const std::string& r) { return r != kFlagGiven; })) {
                return name + " takes no value";
            }
            continue;
        }
        if (std::find(results.begin(), results.end(), kNoValue) != results.end()) {
            return name + " needs a value (" + option.value + ")";
        }
        if (results.size() > 1) {
            return name + " is given more than once";
        }
    }
    return std::nullopt;
}

// What was left over: unknown options, and words where none belong
// (`help` takes one, the command it tells about).
std::optional<std::string> leftover_error(const std::vector<std::string>& leftovers, const CommandEntry* command,
                                          GivenOptions& given) {
    const std::vector<OptionEntry>& options = command != nullptr ? command->options : program_options();
    for (const std::string& word : leftovers) {
        if (word.size() > 1 && word[0] == '-') {
            const std::string name = word.substr(0, word.find('='));
            const std::vector<std::string> known = all_option_names(options);
            // Of a command's own options, only those the program shares come before it.
            if (command != nullptr && std::find(known.begin(), known.end(), name) != known.end()) {
                return name + " goes after " + quoted(command->name);
            }
            return "unknown option " + quoted(name) + suggestion(name, known);
        }
        if (command == nullptr) {
            return unknown_command(word);
        }
        if (std::string(command->name) == "help" && given.words().empty()) {
            given.add_word(word);
            continue;
        }
        return "unexpected argument " + quoted(word);
    }
    return std::nullopt;
}

// The first usage error: words left over (before the command they stay with
// the program), then options given wrongly.
std::optional<std::string> usage_error(const CLI::App& app, const CLI::App& parser, const CommandEntry* entry,
                                       GivenOptions& given) {
    std::vector<std::string> leftovers = app.remaining();
    if (entry != nullptr) {
        const std::vector<std::string> own = parser.remaining();
        leftovers.insert(leftovers.end(), own.begin(), own.end());
    }
    std::optional<std::string> wrong = leftover_error(leftovers, entry, given);
    if (!wrong) {
        wrong = option_error(app, program_options());
    }
    if (!wrong && entry != nullptr) {
        wrong = option_error(parser, entry->options);
    }
    return wrong;
}

// The options the parser found given to a command, by their long names.
void add_given(const CLI::App& parser, const std::vector<OptionEntry>& options, GivenOptions& given) {
    for (const OptionEntry& option : options) {
        const std::string name = long_name(option);
        for (const std::string& result : parser.get_option(name)->results()) {
            given.add(name, option.value == nullptr ? std::string() : result);
        }
    }
}

// The program's options that a command also takes, given before it: added
// to the command's own, once.
std::optional<std::string> global_error(const CLI::App& app, const CommandEntry& entry, GivenOptions& given) {
    for (const OptionEntry& option : program_options()) {
        const std::string name = long_name(option);
        if (app.get_option(name)->count() == 0 || name == "--help") {
            continue;
        }
        const auto own = std::find_if(entry.options.begin(), entry.options.end(),
                                      [&name](const OptionEntry& candidate) { return long_name(candidate) == name; });
        if (own == entry.options.end()) {
            return std::string(entry.name) + " takes no " + name;
        }
        if (given.has(name)) {
            return name + " is given more than once";
        }
        for (const std::string& result : app.get_option(name)->results()) {
            given.add(name, option.value == nullptr ? std::string() : result);
        }
    }
    if (given.has("--quiet") && given.has("--json")) {
        return std::string("--quiet and --json ask for opposite things; give one");
    }
    return std::nullopt;
}

// Output that --quiet keeps back.
class Discarded : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char_type*, std::streamsize count) override { return count; }
};

Exit run_parsed(const std::vector<std::string>& arguments, Services& services, std::ostream& out, std::ostream& err,
                std::string& command) {
    CLI::App app{"", kProgram};
    app.allow_extras();
    app.require_subcommand(0, 1);
    app.set_help_flag();
    add_options(app, program_options());
    std::vector<std::pair<CLI::App*, const CommandEntry*>> parsers;
    for (const CommandEntry& entry : commands()) {
        CLI::App* parser = app.add_subcommand(entry.name);
        parser->allow_extras();
        parser->set_help_flag();
        add_options(*parser, entry.options);
        parsers.emplace_back(parser, &entry);
    }
    std::vector<const char*> argv(arguments.size());
    std::transform(arguments.begin(), arguments.end(), argv.begin(),
                   [](const std::string& argument) { return argument.c_str(); });
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError&) {
        // Every option takes what it is given: this is not expected to happen.
        return Errors(err, "").fail(Exit::refused, std::string("cannot read the arguments; see 'lanternbook --help'"));
    }

    const auto chosen =
        std::find_if(parsers.begin(), parsers.end(), [](const auto& parser) { return bool(*parser.first); });
    const CommandEntry* entry = chosen == parsers.end() ? nullptr : chosen->second;
    const CLI::App& parser = entry == nullptr ? app : *chosen->first;
    command = entry == nullptr ? std::string() : entry->name;
    const Errors errors(err, command);
    GivenOptions given;
    if (const std::optional<std::string> wrong = usage_error(app, parser, entry, given)) {
        return errors.fail(Exit::refused, *wrong);
    }
    if (entry == nullptr) {
        if (app.count("--version") > 0) {
            out << kProgram << ' ' << LANTERNBOOK_VERSION_TEXT << '\n';
            return Exit::done;
        }
        if (app.count("--help") > 0) {
            out << program_help(LANTERNBOOK_VERSION_TEXT, services.help_width);
            return Exit::done;
        }
        err << short_usage();
        return Exit::refused;
    }
    add_given(parser, entry->options, given);
    if (given.has("--help") || app.count("--help") > 0) {
        out << command_help(*entry, services.help_width);
        return Exit::done;
    }
    if (const std::optional<std::string> wrong = global_error(app, *entry, given)) {
        return errors.fail(Exit::refused, *wrong);
    }
    Discarded discarded;
    std::ostream quiet(&discarded);
    Invocation call{given, services, given.has("--quiet") ? quiet : out, errors};
    return entry->run(call);
}

}  // namespace

int run_command_line(const std::vector<std::string>& arguments, Services& services, std::ostream& out,
                     std::ostream& err) {
    std::string command;
    Exit exit = run_parsed(arguments, services, out, err, command);
    out.flush();
    if (!out) {
        const int error = errno;
        err << kProgram << (command.empty() ? "" : " ") << command << ": standard output: cannot be written"
            << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
        exit = Exit::io_failure;
    }
    err.flush();
    return code_of(err ? exit : Exit::io_failure);
}

}  // namespace lanternbook::cli
