// What a command is (its name, options, help and run) and what a run of it
// gets: the options given, the platform's services, standard output and a
// way to fail.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/key_search.h"
#include "cli/terminal.h"
#include "platform/platform.h"

namespace lanternbook::cli {

constexpr char kProgram[] = "lanternbook";
// The environment variable that names the key when no --key does.
constexpr char kKeyVariable[] = "LANTERNBOOK_KEY";
constexpr std::size_t kDefaultHelpWidth = 80;

struct Services {
    FileSystem& files;
    Volumes& volumes;
    Clock& clock;
    AttachedKeys& finder;
    Terminal& terminal;
    // What separates a path's parts for the user: "/" outside Windows.
    wchar_t separator = L'\\';
    // The columns --help is wrapped to.
    std::size_t help_width = kDefaultHelpWidth;
    // LANTERNBOOK_KEY: the key's root when no --key names one.
    std::optional<std::string> default_key = std::nullopt;
};

// The options a command was given, by their long names, with the values
// in the order given; a flag's value is empty.
class GivenOptions {
public:
    void add(const std::string& name, const std::string& value) { values_[name].push_back(value); }
    [[nodiscard]] bool has(const std::string& name) const { return values_.count(name) > 0; }
    // The first value; empty when the option was not given.
    [[nodiscard]] std::string value(const std::string& name) const {
        const auto found = values_.find(name);
        return found == values_.end() ? std::string() : found->second.front();
    }
    // The words after the command that are no options: help's topic.
    void add_word(const std::string& word) { words_.push_back(word); }
    [[nodiscard]] const std::vector<std::string>& words() const { return words_; }

private:
    std::map<std::string, std::vector<std::string>> values_;
    std::vector<std::string> words_;
};

// Errors of one command, each one line (a list takes one more line per
// entry): "lanternbook COMMAND: message", or "lanternbook: message" before
// a command is known.
class Errors {
public:
    Errors(std::ostream& err, std::string command) : err_(err), command_(std::move(command)) {}

    Exit fail(Exit exit, const std::string& message) const;
    Exit fail(Exit exit, const std::wstring& message) const;

private:
    std::ostream& err_;
    std::string command_;
};

// One run of a command.
struct Invocation {
    const GivenOptions& options;
    Services& services;
    std::ostream& out;
    const Errors& errors;
};

struct OptionEntry {
    const char* names;  // "--key", or "-k,--key" with the short name first
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
    Exit (*run)(Invocation& call);
};

// Options that mean the same in every command that takes them.
constexpr OptionEntry kHelpOption{"-h,--help", nullptr, "this help"};
constexpr OptionEntry kKeyOption{"-k,--key", "DIR",
                                 "the key's root folder; without it, $LANTERNBOOK_KEY, else the one key attached"};
constexpr OptionEntry kQuietOption{"-q,--quiet", nullptr, "print nothing but errors"};
constexpr OptionEntry kForceOption{"--force", nullptr,
                                   "use a --key folder that looks like no key (no VOLKARIS label and no CONFIG)"};

}  // namespace lanternbook::cli
