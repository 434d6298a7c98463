// The command line's commands on the portable core: find, show, set, erase.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/key_search.h"
#include "cli/set_request.h"
#include "device/config_codec.h"
#include "platform/platform.h"

namespace lanternbook::cli {

// Where `erase` asks before it deletes anything.
class Terminal {
public:
    virtual ~Terminal() = default;
    // True when a person can answer: standard input is a terminal.
    virtual bool interactive() = 0;
    // False at the end of the input.
    [[nodiscard]] virtual bool read_line(std::string& line) = 0;
};

struct Services {
    FileSystem& files;
    Volumes& volumes;
    Clock& clock;
    KeyFinder& finder;
    Terminal& terminal;
    // What separates a path's parts for the user: "/" outside Windows.
    wchar_t separator = L'\\';
};

// Runs the command line `arguments` (the program's name first); what it
// prints goes to `out`, errors one line each to `err`. Returns the exit code.
[[nodiscard]] int run_command_line(const std::vector<std::string>& arguments, Services& services, std::ostream& out,
                                   std::ostream& err);

struct SetResult {
    Exit exit = Exit::done;
    std::string error;
    // What was saved, or with a dry run would be.
    ConfigImage image{};
};

// `set` on the key at `root`: the dialog's choices after opening on its
// CONFIG, the request's changes, and the one save, as the dialog's Save.
[[nodiscard]] SetResult set_configuration(const std::wstring& root, const SetRequest& request, bool dry_run,
                                          Services& services);

// A core path as the user writes it, with `separator` between its parts.
[[nodiscard]] std::string shown_path(const std::wstring& path, wchar_t separator);

}  // namespace lanternbook::cli
