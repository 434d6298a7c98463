// The journal of changes a command appends to: opened before the command
// changes anything, so that a journal that cannot be written stops it
// first; --no-journal goes without.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "maintenance/journal.h"

namespace lanternbook::cli {

class ChangeJournal {
public:
    // The journal for `command`, or one that records nothing when `records`
    // is false (a dry run, --no-journal). None when it cannot be opened:
    // reported, with `exit` an I/O failure.
    [[nodiscard]] static std::optional<ChangeJournal> opened(Invocation& call, const char* command, bool records,
                                                             Exit& exit);

    // An entry for a change of `key`, whose CONFIG held `before` (none:
    // there was none): command, user, key, volume and serial number filled in.
    [[nodiscard]] JournalEntry entry_for(const KeyIdentity& key,
                                         const std::optional<std::vector<uint8_t>>& before) const;
    // Appends the entry, timed now; false, with `error`, when the line could
    // not be written whole.
    [[nodiscard]] bool record(JournalEntry entry, std::string& error);
    // The journal file's path as shown; empty when it records nothing.
    [[nodiscard]] const std::string& path() const { return path_; }

private:
    ChangeJournal(Invocation& call, const char* command) : call_(&call), command_(command) {}

    Invocation* call_;
    std::string command_;
    std::unique_ptr<Folder> place_;
    std::unique_ptr<File> file_;
    std::string path_;
};

// The serial number CONFIG's bytes hold ("QVX/05/4660"); empty when none.
[[nodiscard]] std::wstring serial_number_in(const std::vector<uint8_t>& config);

}  // namespace lanternbook::cli
