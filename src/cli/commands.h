// The command line's commands on the portable core: find, show, set, erase.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/key_search.h"
#include "cli/set_request.h"
#include "cli/usage.h"
#include "device/config_codec.h"
#include "platform/platform.h"

namespace lanternbook::cli {

// Standard input: where `erase` asks before it deletes anything, and what
// `set --from -` reads.
class Terminal {
public:
    virtual ~Terminal() = default;
    // True when a person can answer: standard input is a terminal.
    virtual bool interactive() = 0;
    // False at the end of the input.
    [[nodiscard]] virtual bool read_line(std::string& line) = 0;
    // Everything up to the end; false when it cannot be read.
    [[nodiscard]] virtual bool read_all(std::string& text) = 0;
};

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
};

// Runs the command line `arguments` (the program's name first); what it
// prints goes to `out`, errors to `err`, one line each (a list of keys or
// of files takes one more line per entry). Returns the exit code; a write
// to `out` or `err` that failed makes it 3.
[[nodiscard]] int run_command_line(const std::vector<std::string>& arguments, Services& services, std::ostream& out,
                                   std::ostream& err);

struct SetResult {
    Exit exit = Exit::done;
    std::string error;
    // What was saved, or with a dry run would be.
    ConfigImage image{};
    // CONFIG already held exactly these bytes: it was left as it was.
    bool unchanged = false;
};

// `set` on the key at `root`: the dialog's choices after opening on its
// CONFIG (with VDO special data as stored), the request's changes, and the
// one save, as the dialog's Save; no save when the bytes would not change.
[[nodiscard]] SetResult set_configuration(const std::wstring& root, const SetRequest& request, bool dry_run,
                                          Services& services);

// A core path as the user writes it, with `separator` between its parts.
[[nodiscard]] std::string shown_path(const std::wstring& path, wchar_t separator);

}  // namespace lanternbook::cli
